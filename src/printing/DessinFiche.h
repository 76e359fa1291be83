#pragma once

#include <QString>

class GeometrieFiche;
class QFontMetrics;
class QPainter;
struct PageImprimee;

// Draws a record page on a printer's painter: the title band and its title, the
// captions in bold, every box with its text clipped inside it, the notes lines that
// fit, the photo in its frame, and the page frame. Text is in "Arial", 8 points.
class DessinFiche
{
public:
    static void DessinePage(QPainter& peintre, const PageImprimee& page,
                            const GeometrieFiche& geometrie);
    // The title as printed: whole when it is at most `largeurMax` wide, otherwise
    // with the end of the person's name replaced by "…" (and, should that not be
    // enough, its middle).
    static QString TitreAjuste(const PageImprimee& page, const QFontMetrics& mesures,
                               int largeurMax);
};
