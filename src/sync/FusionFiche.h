#pragma once

#include "sync/CarteSync.h"

#include <vector>

// The three-way merge of one record, field by field: a field changed on one side
// only takes that side; changed on both sides to different values, it is a
// conflict, left to the user (the merged record holds this side's value until then).
// Without a base (a record met for the first time on both sides), a field empty on
// one side takes the other's, and two different values are a conflict.
class FusionFiche
{
public:
    struct Resultat {
        CarteSync::Champs champs;
        std::vector<int> conflits; // the fields in conflict
    };
    // `baseIci`: the record after the last synchronisation; `baseServeur`: the
    // server's card then, read; `ici`, `serveur`: both now. Fields that do not travel
    // (the bank page without `banque`) keep this side's value.
    static Resultat Fusionne(const CarteSync::Champs* baseIci, const CarteSync::Champs* baseServeur,
                             const CarteSync::Champs& ici, const CarteSync::Champs& serveur,
                             bool banque);

    // Whether the user may keep both values (free text: the notes).
    static bool DeuxPossibles(int champ);
    // Both values of a note kept: this side's, a line break, the server's.
    static std::string LesDeux(const std::string& ici, const std::string& serveur);
};
