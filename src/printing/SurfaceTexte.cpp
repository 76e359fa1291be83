#include "SurfaceTexte.h"

int SurfaceTexte::Tient(const QString& texte, int largeur, int& largeurTexte) const
{
    largeurTexte = Largeur(texte);
    if (largeurTexte <= largeur) return static_cast<int>(texte.size());
    // Widths grow with the number of characters: the cut is found by halving.
    int bas = 0;
    int haut = static_cast<int>(texte.size()) + 1;
    while (haut - bas > 1) {
        const int milieu = (bas + haut) / 2;
        if (Largeur(texte, milieu) > largeur)
            haut = milieu;
        else
            bas = milieu;
    }
    return bas;
}
