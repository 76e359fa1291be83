#include "RenduPlanche.h"

#include "TexteEtiquette.h"

#include <QPainter>

RenduPlanche::RenduPlanche(const Repertoire& rep, const MiseEnPage& page, const Planches& planches,
                           int genre, const DessinEtiquette& dessin)
    : m_rep(rep), m_page(page), m_planches(planches), m_genre(genre), m_dessin(dessin)
{
}

void RenduPlanche::Dessine(QPainter& p, int planche, double pixelsParMmX, double pixelsParMmY,
                           const QPointF& decalageMm) const
{
    const QSizeF tailleMm(m_page.LargeurMm(), m_page.HauteurMm());
    for (const Planches::Emplacement& e : m_planches.Emplacements(planche)) {
        const QRectF mm = m_page.RectangleMm(e.colonne, e.ligne).translated(decalageMm);
        const QRectF cible(mm.x() * pixelsParMmX, mm.y() * pixelsParMmY, mm.width() * pixelsParMmX,
                           mm.height() * pixelsParMmY);
        m_dessin.Dessine(
            p, cible, tailleMm,
            DessinEtiquette::TexteQt(TexteEtiquette::Compose(m_rep, e.fiche, m_genre)));
    }
}

void RenduPlanche::DessineZoneImprimable(QPainter& p, const QRectF& zoneMm, double pixelsParMmX,
                                         double pixelsParMmY)
{
    p.save();
    p.setPen(QPen(Qt::red, 0));
    p.setBrush(Qt::NoBrush);
    const QRectF r(zoneMm.x() * pixelsParMmX, zoneMm.y() * pixelsParMmY,
                   zoneMm.width() * pixelsParMmX, zoneMm.height() * pixelsParMmY);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
}
