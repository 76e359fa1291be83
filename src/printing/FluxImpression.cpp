#include "FluxImpression.h"

#include "printing/SurfaceTexte.h"

FluxImpression::FluxImpression(SurfaceTexte& surface) : m_surface(surface) {}

void FluxImpression::Ecrit(const QString& texte)
{
    const qsizetype n = texte.size();
    qsizetype debut = 0;
    for (qsizetype i = 0; i <= n; ++i) {
        const char16_t c = i < n ? texte.at(i).unicode() : 0;
        const bool special = i == n || c == 9 || c == 10 || c == 12 || c == 13;
        if (!special) continue;
        if (i > debut) EcritSegment(texte.mid(debut, i - debut));
        debut = i + 1;
        switch (c) {
        case 9:
            Tabulation();
            break;
        case 10:
            NouvelleLigne();
            break;
        case 12:
            NouvellePage();
            break;
        default: // carriage return, end of text
            break;
        }
    }
}

void FluxImpression::EcritSegment(const QString& segment)
{
    QString reste = segment;
    const int largeurPage = m_surface.LargeurPage();
    while (!reste.isEmpty()) {
        // The longest start of the run that does not pass the right edge: what
        // removing characters from its end, one at a time, would leave.
        int largeur = 0;
        int tient = m_surface.Tient(reste, largeurPage - m_x, largeur);
        // A character wider than the whole page still prints, alone on its line, so
        // that the stream always moves on.
        if (tient == 0 && m_x == 0) tient = 1;
        if (tient > 0) {
            const QString partie = reste.left(tient);
            m_surface.Dessine(m_x, m_y, partie);
            m_vierge = false;
            const int hauteur = m_surface.Hauteur(partie);
            if (hauteur > m_hauteurLigne) m_hauteurLigne = hauteur + 2;
        }
        if (tient == reste.size()) {
            m_x += largeur;
            return;
        }
        reste.remove(0, tient);
        NouvelleLigne();
    }
}

void FluxImpression::Tabulation()
{
    const int t = 8 * m_surface.LargeurMoyenne();
    if (t <= 0) return;
    m_x = m_x + t - ((m_x + t + 1) % t) + 1;
    if (m_x > m_surface.LargeurPage()) NouvelleLigne();
}

void FluxImpression::FinLigne()
{
    Ecrit(QStringLiteral("\r\n"));
}

void FluxImpression::NouvelleLigne()
{
    const int hauteur = m_hauteurLigne;
    m_x = 0;
    m_y += hauteur > 0 ? hauteur : m_surface.HauteurCaractere();
    m_hauteurLigne = 0;
    if (m_y > m_surface.HauteurPage() - 2 * hauteur) NouvellePage();
}

void FluxImpression::NouvellePage()
{
    if (!m_surface.NouvellePage()) m_echec = true;
    ++m_pages;
    m_x = 0;
    m_y = 0;
    m_hauteurLigne = 0;
    m_vierge = true;
}
