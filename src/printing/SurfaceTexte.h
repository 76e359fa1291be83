#pragma once

#include <QString>

// What the print stream needs of a page: text measuring and drawing in the current
// font, page size and page breaks, all in device dots. The printer's is a QPainter;
// tests give one with exact, simple numbers.
class SurfaceTexte
{
public:
    virtual ~SurfaceTexte() = default;

    virtual int LargeurPage() const = 0;
    virtual int HauteurPage() const = 0;
    // Width of the first `longueur` characters (all of them for -1).
    virtual int Largeur(const QString& texte, int longueur = -1) const = 0;
    virtual int Hauteur(const QString& texte) const = 0;
    // How many leading characters of `texte` are at most `largeur` wide: what
    // removing characters from its end, one at a time, until it fits would leave.
    // When all of it fits, `largeurTexte` receives its width. Surfaces that can do
    // it in fewer measures override it.
    virtual int Tient(const QString& texte, int largeur, int& largeurTexte) const;
    virtual int LargeurMoyenne() const = 0;   // average character width of the font
    virtual int HauteurCaractere() const = 0; // character height of the font
    // Draws `texte` on one line with its top-left corner at (x, y).
    virtual void Dessine(int x, int y, const QString& texte) = 0;
    // False when the device could not start the new page.
    virtual bool NouvellePage() = 0;
};
