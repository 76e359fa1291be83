#pragma once

class GeometrieFiche;
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
};
