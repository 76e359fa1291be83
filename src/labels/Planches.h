#pragma once

#include "MiseEnPage.h"

#include <vector>

class Repertoire;

// Which record goes on which label of which sheet. On the first sheet the slots
// before the start position stay empty; then each slot, row by row and left to
// right, takes the next record chosen for the mailing, until `nombre` labels are
// placed or the chosen records run out.
class Planches
{
public:
    struct Emplacement {
        int colonne;
        int ligne;
        int fiche; // row of the record in the book
        bool operator==(const Emplacement& e) const
        {
            return colonne == e.colonne && ligne == e.ligne && fiche == e.fiche;
        }
    };

    // `fiches`: the rows chosen for the mailing, in book order. A start position
    // outside the layout is brought inside it.
    Planches(const MiseEnPage& page, std::vector<int> fiches, int nombre, int colonneDepart,
             int ligneDepart);

    // The rows flagged "1" in the book, in order.
    static std::vector<int> FichesChoisies(const Repertoire& rep);
    // The start position brought inside a layout of `colonnes` x `lignes` (at least 1).
    static int Borne(int valeur, int maximum);

    int NombrePlanches() const { return m_nbPlanches; }
    int ColonneDepart() const { return m_colonneDepart; }
    int LigneDepart() const { return m_ligneDepart; }
    // The filled slots of sheet `planche` (from 1), row by row.
    std::vector<Emplacement> Emplacements(int planche) const;
    // The records that get a label, in printing order.
    const std::vector<int>& Fiches() const { return m_fiches; }
    // The rank (from 0, in Fiches()) of the first label of sheet `planche`.
    long long PremiereEtiquette(int planche) const;

private:
    MiseEnPage m_page;
    std::vector<int> m_fiches;
    int m_colonneDepart, m_ligneDepart;
    int m_nbPlanches;
};
