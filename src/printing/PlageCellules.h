#pragma once

// A block of the grid in book rows (1 = first record) and columns 0 to 45.
struct PlageCellules {
    int ligneHaut = 1;
    int ligneBas = 1;
    int colonneGauche = 0;
    int colonneDroite = 0;

    bool UneCellule() const { return ligneHaut == ligneBas && colonneGauche == colonneDroite; }
    int NbLignes() const { return ligneBas - ligneHaut + 1; }
    bool operator==(const PlageCellules& p) const
    {
        return ligneHaut == p.ligneHaut && ligneBas == p.ligneBas &&
               colonneGauche == p.colonneGauche && colonneDroite == p.colonneDroite;
    }
};
