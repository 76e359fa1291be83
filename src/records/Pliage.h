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
    // As CodeLigne, and a lone CR or lone LF also becomes `c`, so that no value
    // can ever break the line structure of a file.
    static void AjouteLignePliee(std::string& sortie, std::string_view valeur, char c);
    static void AjouteLigneDepliee(std::string& sortie, std::string_view ligne);
};
