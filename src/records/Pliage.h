#pragma once

#include <string>
#include <string_view>

// Folding of multi-line values into one line and back.
class Pliage
{
public:
    // Every CR LF pair becomes `c`.
    static std::string CodeLigne(std::string_view valeur, char c);
    // Every byte 0x07 becomes CR LF.
    static std::string DecodeLigne(std::string_view valeur);
    static void AjouteLigneDepliee(std::string& sortie, std::string_view ligne);
};
