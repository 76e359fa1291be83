#pragma once

#include "sync/CarteSync.h"

#include <string>
#include <vector>

// Finds records again: pairs known versions of records (the sync file's, or the
// server's cards) with the book's rows by content. First the rows whose synced
// fields are all the same; then, among the rest, the pairs that share the most of
// the record's keys (the name with the first name, an e-mail address, a phone
// number), so that a record edited since is still recognised. A row is paired at
// most once; equal candidates go to the row the hint names.
class Appariement
{
public:
    struct Cote {
        const CarteSync::Champs* champs;
        int indice; // a hint: the row it had (or -1)
    };
    // `connus`: the versions known; `lignes[i]`: the fields of row i (nullptr: a row
    // already paired, or not to pair). Returns for each known version its row, or -1.
    static std::vector<int> Apparie(const std::vector<Cote>& connus,
                                    const std::vector<const CarteSync::Champs*>& lignes,
                                    bool banque);

    // The keys a record is recognised by (empty for a record without any).
    static std::vector<std::string> Cles(const CarteSync::Champs& champs);
    // The fields that travel, end to end (for comparing records).
    static std::string Empreinte(const CarteSync::Champs& champs, bool banque);
};
