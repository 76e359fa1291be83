#include "SurfacePeintre.h"

#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace
{

bool PoliceDirecte(const QFont& p)
{
    return !p.underline() && !p.overline() && !p.strikeOut() && p.letterSpacing() == 0 &&
           p.wordSpacing() == 0 && p.capitalization() == QFont::MixedCase &&
           (p.stretch() == QFont::AnyStretch || p.stretch() == QFont::Unstretched);
}

// Characters whose glyph is drawn as the font has it; controls and the soft hyphen
// (which shows only where a line breaks) need the general layout.
bool Simple(char16_t c)
{
    return c >= 0x20 && !(c >= 0x7f && c <= 0x9f) && c != 0xad && !QChar::isSurrogate(c);
}

} // namespace

SurfacePeintre::SurfacePeintre(QPainter& peintre, QPagedPaintDevice& device,
                               std::function<bool()> pageSuivante)
    : m_peintre(peintre), m_device(device), m_pageSuivante(std::move(pageSuivante)),
      m_police(peintre.font(), &device), m_mesures(peintre.font(), &device),
      m_largeur(device.width()), m_hauteur(device.height()), m_ascent(m_mesures.ascent())
{
    if (PoliceDirecte(m_police)) {
        m_brute = QRawFont::fromFont(m_police);
        m_directe = m_brute.isValid();
    }
}

int SurfacePeintre::HauteurTexte() const
{
    return m_mesures.height();
}

int SurfacePeintre::LargeurMoyenne() const
{
    return m_mesures.averageCharWidth();
}

int SurfacePeintre::HauteurCaractere() const
{
    return m_mesures.height();
}

void SurfacePeintre::Compose(const QString& texte)
{
    m_texte = texte;
    m_prepare = false;
}

// The glyphs and advances of the whole text, once, when a part of it is first
// measured (the line ends written alone never are).
void SurfacePeintre::Prepare()
{
    m_prepare = true;
    const int n = static_cast<int>(m_texte.size());
    m_generaux.assign(static_cast<size_t>(n) + 1, 0);
    if (!m_directe) {
        m_generaux.back() = n; // all of it through the general layout
        return;
    }
    m_glyphes.resize(static_cast<size_t>(n));
    m_avances.resize(static_cast<size_t>(n));
    m_seules.resize(static_cast<size_t>(n));
    m_cumul.resize(static_cast<size_t>(n) + 1);
    int nombre = n;
    if (n > 0 &&
        (!m_brute.glyphIndexesForChars(m_texte.constData(), n, m_glyphes.data(), &nombre) ||
         nombre != n)) {
        m_generaux.back() = n;
        return;
    }
    const QRawFont::LayoutFlags crenage =
        m_police.kerning() ? QRawFont::KernedAdvances : QRawFont::SeparateAdvances;
    m_brute.advancesForGlyphIndexes(m_glyphes.data(), m_avances.data(), n, crenage);
    m_brute.advancesForGlyphIndexes(m_glyphes.data(), m_seules.data(), n,
                                    QRawFont::SeparateAdvances);
    const QChar* c = m_texte.constData();
    qreal somme = 0;
    for (int i = 0; i < n; ++i) {
        const size_t k = static_cast<size_t>(i);
        m_cumul[k] = somme;
        somme += m_avances[k].x();
        const bool generale = !Simple(c[i].unicode()) || m_glyphes[k] == 0;
        m_generaux[k + 1] = m_generaux[k] + (generale ? 1 : 0);
    }
    m_cumul[static_cast<size_t>(n)] = somme;
}

bool SurfacePeintre::PartieDirecte(int debut, int fin) const
{
    return m_generaux[static_cast<size_t>(fin)] == m_generaux[static_cast<size_t>(debut)];
}

// The width of `longueur` characters from `debut` on their own: the advances of all
// but the last kerned with the glyph that follows, the last one's alone.
qreal SurfacePeintre::LargeurDirecte(int debut, int longueur) const
{
    if (longueur <= 0) return 0;
    const size_t dernier = static_cast<size_t>(debut + longueur - 1);
    return m_cumul[dernier] - m_cumul[static_cast<size_t>(debut)] + m_seules[dernier].x();
}

int SurfacePeintre::Tient(int debut, int fin, int largeur, int& largeurTexte)
{
    if (!m_prepare) Prepare();
    if (!PartieDirecte(debut, fin)) return TientGeneral(debut, fin, largeur, largeurTexte);
    const int n = fin - debut;
    largeurTexte = qRound(LargeurDirecte(debut, n));
    if (largeurTexte <= largeur) return n;
    // Widths grow with the number of characters: the cut is found by halving.
    int bas = 0;
    int haut = n;
    while (haut - bas > 1) {
        const int milieu = (bas + haut) / 2;
        if (qRound(LargeurDirecte(debut, milieu)) > largeur)
            haut = milieu;
        else
            bas = milieu;
    }
    largeurTexte = qRound(LargeurDirecte(debut, bas));
    return bas;
}

int SurfacePeintre::TientGeneral(int debut, int fin, int largeur, int& largeurTexte) const
{
    // One layout of the whole run gives its width and every character's position:
    // they point at the cut, which the prefix's own measure then settles, so that the
    // result is what measuring prefixes alone would give.
    const QString texte = m_texte.mid(debut, fin - debut);
    const int n = static_cast<int>(texte.size());
    QTextLayout disposition(texte, m_peintre.font(), &m_device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    disposition.setTextOption(option);
    disposition.beginLayout();
    QTextLine ligne = disposition.createLine();
    disposition.endLayout();
    const qreal naturelle = ligne.naturalTextWidth();
    // Near the edge, rounding could tell apart the layout and the measure: measure.
    largeurTexte = naturelle < largeur - 2 ? qRound(naturelle) : m_mesures.horizontalAdvance(texte);
    if (largeurTexte <= largeur) return n;
    int bas = 0;
    int haut = n + 1;
    while (haut - bas > 1) {
        const int milieu = (bas + haut) / 2;
        if (ligne.cursorToX(milieu) > largeur)
            haut = milieu;
        else
            bas = milieu;
    }
    while (bas > 0 && m_mesures.horizontalAdvance(texte, bas) > largeur)
        --bas;
    while (bas < n && m_mesures.horizontalAdvance(texte, bas + 1) <= largeur)
        ++bas;
    largeurTexte = m_mesures.horizontalAdvance(texte, bas);
    return bas;
}

void SurfacePeintre::Dessine(int x, int y, int debut, int longueur)
{
    if (!m_prepare) Prepare();
    if (!PartieDirecte(debut, debut + longueur)) {
        m_peintre.drawText(QPoint(x, y + m_ascent), m_texte.mid(debut, longueur));
        return;
    }
    m_traceGlyphes.clear();
    m_tracePositions.clear();
    const QChar* c = m_texte.constData();
    const qreal origine = m_cumul[static_cast<size_t>(debut)];
    for (int i = debut; i < debut + longueur; ++i) {
        if (c[i] == QLatin1Char(' ')) continue;
        const size_t k = static_cast<size_t>(i);
        m_traceGlyphes.push_back(m_glyphes[k]);
        // At whole dots, each rounded from the exact sum: nothing drifts, and the
        // document is a sixth smaller and quicker to write than with fractions.
        m_tracePositions.emplace_back(qRound(m_cumul[k] - origine), 0);
    }
    if (m_traceGlyphes.empty()) return;
    QGlyphRun glyphes;
    glyphes.setRawFont(m_brute);
    glyphes.setRawData(m_traceGlyphes.data(), m_tracePositions.data(),
                       static_cast<int>(m_traceGlyphes.size()));
    m_peintre.drawGlyphRun(QPointF(x, y + m_ascent), glyphes);
}

bool SurfacePeintre::NouvellePage()
{
    if (m_pageSuivante) return m_pageSuivante();
    return m_device.newPage() && m_peintre.isActive();
}
