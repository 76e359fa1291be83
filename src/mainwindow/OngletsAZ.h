#pragma once

#include "records/Repertoire.h"

#include <array>
#include <string_view>

// The A–Z strip's logic: a record's letter is the first byte of its surname,
// upper-cased for a–z only; any other first byte gives no letter.
class OngletsAZ
{
public:
    // 0..25 for "A".."Z", -1 for no letter.
    static int Lettre(std::string_view nom);
    // Which letters have at least one record.
    static std::array<bool, 26> Presence(const Repertoire& rep);
    // First record row, in row order, whose letter is `lettre`; -1 when none.
    static int PremiereFiche(const Repertoire& rep, int lettre);
};
