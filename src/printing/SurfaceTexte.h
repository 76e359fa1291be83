#pragma once

#include <QString>

// What the print stream needs of a page: text measuring and drawing in the current
// font, page size and page breaks, all in device dots. The printer's is a QPainter;
// tests give one with exact, simple numbers.
//
// Text is handed over once (Compose), then measured and drawn by parts named by
// their place in it: a surface that must shape text to measure it shapes each piece
// once, and draws what it measured.
class SurfaceTexte
{
public:
    virtual ~SurfaceTexte() = default;

    virtual int LargeurPage() const = 0;
    virtual int HauteurPage() const = 0;
    virtual int LargeurMoyenne() const = 0;   // average character width of the font
    virtual int HauteurCaractere() const = 0; // character height of the font
    // Height of a drawn part of the text.
    virtual int HauteurTexte() const = 0;

    // The text that the next calls measure and draw parts of.
    virtual void Compose(const QString& texte) = 0;
    // How many characters of the text from `debut` to `fin` (excluded), taken from
    // `debut`, are at most `largeur` wide: what removing characters from its end, one
    // at a time, until it fits would leave. `largeurTexte` receives their width.
    virtual int Tient(int debut, int fin, int largeur, int& largeurTexte) = 0;
    // Draws `longueur` characters of the text from `debut` on one line, with their
    // top-left corner at (x, y).
    virtual void Dessine(int x, int y, int debut, int longueur) = 0;
    // False when the device could not start the new page.
    virtual bool NouvellePage() = 0;
};
