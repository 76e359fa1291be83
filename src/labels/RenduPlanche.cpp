#include "RenduPlanche.h"

#include "TexteEtiquette.h"

#include <QPainter>
#include <algorithm>

RenduPlanche::RenduPlanche(const Repertoire& rep, const MiseEnPage& page, const Planches& planches,
                           int genre, const DessinEtiquette& dessin)
    : m_rep(rep), m_page(page), m_planches(planches), m_genre(genre), m_dessin(dessin),
      m_ajustements(m_planches.Fiches().size())
{
}

QString RenduPlanche::Texte(long long etiquette) const
{
    return DessinEtiquette::TexteQt(TexteEtiquette::Compose(
        m_rep, m_planches.Fiches()[static_cast<size_t>(etiquette)], m_genre));
}

const DessinEtiquette::Ajustement& RenduPlanche::Ajuste(long long etiquette) const
{
    DessinEtiquette::Ajustement& a = m_ajustements[static_cast<size_t>(etiquette)];
    if (a.taille <= 0)
        a = m_dessin.Ajuste(Texte(etiquette), QSizeF(m_page.LargeurMm(), m_page.HauteurMm()));
    return a;
}

int RenduPlanche::Rognees() const
{
    int n = 0;
    for (long long i = 0; i < NombreEtiquettes(); ++i)
        n += Ajuste(i).rogne;
    return n;
}

void RenduPlanche::Dessine(QPainter& p, int planche, double pixelsParMmX, double pixelsParMmY,
                           const QPointF& decalageMm, bool marqueRognees) const
{
    const QSizeF tailleMm(m_page.LargeurMm(), m_page.HauteurMm());
    long long etiquette = m_planches.PremiereEtiquette(planche);
    for (const Planches::Emplacement& e : m_planches.Emplacements(planche)) {
        const QRectF mm = m_page.RectangleMm(e.colonne, e.ligne).translated(decalageMm);
        const QRectF cible(mm.x() * pixelsParMmX, mm.y() * pixelsParMmY, mm.width() * pixelsParMmX,
                           mm.height() * pixelsParMmY);
        const DessinEtiquette::Ajustement& a = Ajuste(etiquette);
        m_dessin.Dessine(p, cible, tailleMm, Texte(etiquette), a);
        if (marqueRognees && a.rogne) {
            // Seen at any size: two pixels of red inside the label, and a corner.
            p.save();
            const double epaisseur = std::max(2.0, 0.6 * pixelsParMmX);
            p.setPen(QPen(Qt::red, epaisseur, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            p.setBrush(Qt::NoBrush);
            const double m = epaisseur / 2;
            p.drawRect(cible.adjusted(m, m, -m, -m));
            const double coin = std::min(cible.width(), cible.height()) / 4;
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::red);
            const QPointF triangle[3] = {cible.topRight(), cible.topRight() - QPointF(coin, 0),
                                         cible.topRight() + QPointF(0, coin)};
            p.drawPolygon(triangle, 3);
            p.restore();
        }
        ++etiquette;
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
