#include "FluxImpression.h"

#include "printing/SurfaceTexte.h"

#include <limits>

FluxImpression::FluxImpression(SurfaceTexte& surface) : m_surface(surface) {}

void FluxImpression::Ecrit(const QString& texte)
{
    m_surface.Compose(texte);
    const int n = static_cast<int>(texte.size());
    int debut = 0;
    for (int i = 0; i <= n; ++i) {
        const char16_t c = i < n ? texte.at(i).unicode() : 0;
        const bool special = i == n || c == 9 || c == 10 || c == 12 || c == 13;
        if (!special) continue;
        if (i > debut) EcritSegment(debut, i);
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

void FluxImpression::EcritSegment(int debut, int fin)
{
    const int largeurPage = m_surface.LargeurPage();
    while (debut < fin) {
        // The longest start of the run that does not pass the right edge: what
        // removing characters from its end, one at a time, would leave.
        int largeur = 0;
        int tient = m_surface.Tient(debut, fin, largeurPage - m_x, largeur);
        // A character wider than the whole page still prints, alone on its line, so
        // that the stream always moves on.
        if (tient == 0 && m_x == 0)
            tient = m_surface.Tient(debut, debut + 1, std::numeric_limits<int>::max(), largeur);
        if (tient > 0) {
            if (m_pageDue) {
                m_pageDue = false;
                if (!m_surface.NouvellePage()) m_echec = true;
                ++m_pages;
            }
            m_surface.Dessine(m_x, m_y, debut, tient);
            m_vierge = false;
            const int hauteur = m_surface.HauteurTexte();
            if (hauteur > m_hauteurLigne) m_hauteurLigne = hauteur + 2;
        }
        if (debut + tient == fin) {
            m_x += largeur;
            return;
        }
        debut += tient;
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
    if (!m_vierge) m_pageDue = true;
    m_x = 0;
    m_y = 0;
    m_hauteurLigne = 0;
    m_vierge = true;
}
