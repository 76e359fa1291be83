#include "SurfacePeintre.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

SurfacePeintre::SurfacePeintre(QPainter& peintre, QPagedPaintDevice& device)
    : m_peintre(peintre), m_device(device), m_mesures(peintre.font(), &device),
      m_largeur(device.width()), m_hauteur(device.height())
{
}

int SurfacePeintre::Largeur(const QString& texte, int longueur) const
{
    return m_mesures.horizontalAdvance(texte, longueur);
}

int SurfacePeintre::Tient(const QString& texte, int largeur, int& largeurTexte) const
{
    // One layout of the whole run gives its width and every character's position:
    // they point at the cut, which the prefix's own measure then settles, so that the
    // result is what measuring prefixes alone would give.
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
    largeurTexte = naturelle < largeur - 2 ? qRound(naturelle) : Largeur(texte);
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
    while (bas > 0 && Largeur(texte, bas) > largeur)
        --bas;
    while (bas < n && Largeur(texte, bas + 1) <= largeur)
        ++bas;
    return bas;
}

int SurfacePeintre::Hauteur(const QString&) const
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

void SurfacePeintre::Dessine(int x, int y, const QString& texte)
{
    m_peintre.drawText(QPoint(x, y + m_mesures.ascent()), texte);
}

bool SurfacePeintre::NouvellePage()
{
    return m_device.newPage() && m_peintre.isActive();
}
