#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

class QPrinter;
class RenduPlanche;

// Prints every sheet of a mailing: A4 portrait, positions counted from the paper's
// edges, a PDF file put in place only when the whole job is written.
class ImpressionEtiquettes
{
public:
    // Empty on success, else the French reason; a failed job leaves no file behind.
    static QString Imprime(QPrinter& imprimante, const RenduPlanche& rendu,
                           const QPointF& decalageMm = QPointF());
    // The part of the A4 page the printer reaches, in millimetres from the paper's
    // corner; the whole page for a PDF file.
    static QRectF ZoneImprimable(const QPrinter& imprimante);
    // Portrait A4 with positions from the paper's corner.
    static void Prepare(QPrinter& imprimante);
};
