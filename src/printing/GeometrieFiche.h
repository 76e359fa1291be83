#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The record print's geometry: the page's screen layout scaled to the printer with
// one factor per axis (printer dots per inch over the window's pixels per inch),
// centred across the paper, the 30-pixel title band starting at a quarter of the
// printable height less half the page's height. Every rounding goes half to even.
class GeometrieFiche
{
public:
    static constexpr int HauteurBande = 30;

    // `largeurImprimable`, `hauteurImprimable`: the printable area in dots; `page`:
    // the record page's size in screen pixels.
    GeometrieFiche(double sx, double sy, int largeurImprimable, int hauteurImprimable,
                   QSize page = QSize(624, 352));

    static int Arrondi(double valeur); // 2.5 gives 2, 187.5 gives 188

    double Sx() const { return m_sx; }
    double Sy() const { return m_sy; }
    int Ox() const { return m_ox; }
    int Oy() const { return m_oy; }
    int Oy2() const { return m_oy2; }

    QRect Bande() const;
    QRect CadrePage() const;
    // A control's printed rectangle.
    QRect Rectangle(const QRect& ecran) const;
    // Where a box's text goes: inside its frame, clipped there.
    QRect Interieur(const QRect& ecran) const;
    // The title's rectangle: centred in the band for a text tw × th, reaching
    // round((W − 3)·sx) right and round((H − 3)·sy) down from its corner.
    QRect Titre(int tw, int th) const;
    // The photo's rectangle in the printed frame, for an image of `image` pixels: its
    // own size scaled when it fits the frame on screen, otherwise seven eighths of the
    // frame along its longer side; its proportions kept on paper.
    QRect Photo(const QSize& image, const QRect& cadreEcran) const;
    // Where line `y` of a notes box of printed rectangle `r` starts.
    QPoint DebutLigneNotes(const QRect& r, int y) const;

private:
    double m_sx;
    double m_sy;
    QSize m_page;
    int m_ox;
    int m_oy;
    int m_oy2;
};
