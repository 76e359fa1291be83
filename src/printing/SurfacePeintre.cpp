#include "SurfacePeintre.h"

#include <QPagedPaintDevice>
#include <QPainter>

SurfacePeintre::SurfacePeintre(QPainter& peintre, QPagedPaintDevice& device)
    : m_peintre(peintre), m_device(device), m_mesures(peintre.font(), &device),
      m_largeur(device.width()), m_hauteur(device.height())
{
}

int SurfacePeintre::Largeur(const QString& texte, int longueur) const
{
    return m_mesures.horizontalAdvance(texte, longueur);
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
