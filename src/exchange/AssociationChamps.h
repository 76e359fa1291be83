#pragma once

#include "records/Champs.h"

#include <array>

// Which column of the staging table fills each of the book's 46 fields: none
// (-1) or one column; a column may fill several fields.
class AssociationChamps
{
public:
    AssociationChamps() { Efface(); }

    int Colonne(int champ) const { return m_colonnes.at(static_cast<size_t>(champ)); }
    void Associe(int champ, int colonne) { m_colonnes.at(static_cast<size_t>(champ)) = colonne; }
    void Efface() { m_colonnes.fill(-1); }
    bool Aucune() const
    {
        for (int c : m_colonnes)
            if (c >= 0) return false;
        return true;
    }

private:
    std::array<int, NbColonnes> m_colonnes{};
};
