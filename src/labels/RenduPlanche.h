#pragma once

#include "DessinEtiquette.h"
#include "MiseEnPage.h"
#include "Planches.h"

#include <QPointF>
#include <QRectF>
#include <vector>

class QPainter;
class Repertoire;

// Draws the labels of one sheet onto any painter (the printer, the full preview,
// the tests), each label placed from its millimetres on the paper straight to the
// target's units. Each label's text is fitted once, whether it is first counted,
// previewed or printed.
class RenduPlanche
{
public:
    RenduPlanche(const Repertoire& rep, const MiseEnPage& page, const Planches& planches, int genre,
                 const DessinEtiquette& dessin);

    // `pixelsParMm`: the target's units per millimetre on each axis; `decalageMm` is
    // added to every label's position (the printer's calibration). `marqueRognees`
    // (the previews) outlines in red the labels whose text is cut.
    void Dessine(QPainter& p, int planche, double pixelsParMmX, double pixelsParMmY,
                 const QPointF& decalageMm = QPointF(), bool marqueRognees = false) const;

    // The printable-area frame: the part of the page the printer can reach, in
    // millimetres from the paper's corner, drawn as a red outline.
    static void DessineZoneImprimable(QPainter& p, const QRectF& zoneMm, double pixelsParMmX,
                                      double pixelsParMmY);

    const Planches& Emplacements() const { return m_planches; }
    int NombrePlanches() const { return m_planches.NombrePlanches(); }
    int NombreEtiquettes() const { return static_cast<int>(m_planches.Fiches().size()); }
    // The labels whose text does not fit even at the smallest size, and so is cut at
    // the label's edge.
    int Rognees() const;
    bool EstRognee(long long etiquette) const { return Ajuste(etiquette).rogne; }

private:
    QString Texte(long long etiquette) const;
    const DessinEtiquette::Ajustement& Ajuste(long long etiquette) const;

    const Repertoire& m_rep;
    MiseEnPage m_page;
    Planches m_planches;
    int m_genre;
    const DessinEtiquette& m_dessin;
    // Per label, in printing order; a size of 0 is not measured yet.
    mutable std::vector<DessinEtiquette::Ajustement> m_ajustements;
};
