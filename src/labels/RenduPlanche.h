#pragma once

#include "DessinEtiquette.h"
#include "MiseEnPage.h"
#include "Planches.h"

#include <QPointF>
#include <QRectF>

class QPainter;
class Repertoire;

// Draws the labels of one sheet onto any painter (the printer, the full preview,
// the tests), each label placed from its millimetres on the paper straight to the
// target's units.
class RenduPlanche
{
public:
    RenduPlanche(const Repertoire& rep, const MiseEnPage& page, const Planches& planches, int genre,
                 const DessinEtiquette& dessin);

    // `pixelsParMm`: the target's units per millimetre on each axis; `decalageMm` is
    // added to every label's position (the printer's calibration).
    void Dessine(QPainter& p, int planche, double pixelsParMmX, double pixelsParMmY,
                 const QPointF& decalageMm = QPointF()) const;

    // The printable-area frame: the part of the page the printer can reach, in
    // millimetres from the paper's corner, drawn as a red outline.
    static void DessineZoneImprimable(QPainter& p, const QRectF& zoneMm, double pixelsParMmX,
                                      double pixelsParMmY);

    const Planches& Emplacements() const { return m_planches; }
    int NombrePlanches() const { return m_planches.NombrePlanches(); }

private:
    const Repertoire& m_rep;
    MiseEnPage m_page;
    Planches m_planches;
    int m_genre;
    const DessinEtiquette& m_dessin;
};
