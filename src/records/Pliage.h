#pragma once

#include <string>
#include <string_view>

// Folding of multi-line values into one line and back.
class Pliage
{
public:
    // Every CR LF pair becomes `c`.
    static std::string CodeLigne(std::string_view valeur, char c);
    // Appends the line with every byte 0x07 turned into CR LF.
    static void AjouteLigneDepliee(std::string& sortie, std::string_view ligne);
};
