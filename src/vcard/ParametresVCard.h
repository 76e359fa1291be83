#pragma once

#include <cstdint>
#include <string_view>

// The parameters of a property that the program reads, parsed from their raw
// text in one pass, names and values in any case: "TYPE=home,voice", the bare
// types of 2.1 ("WORK;FAX"), quoted values ("TYPE=\"home,voice\""), the encoding
// and character set of 2.1, the media type of a photo and the rank this program
// writes when a field is not the first of its kind.
class ParametresVCard
{
public:
    enum Type : uint32_t {
        Maison = 1u << 0,
        Travail = 1u << 1,
        Voix = 1u << 2,
        Fax = 1u << 3,
        Cellulaire = 1u << 4,
        Pager = 1u << 5,
        Pref = 1u << 6,
        AutreTel = 1u << 7, // video, modem, car, isdn, bbs, textphone
    };
    enum class Codage { Aucun, QuotedPrintable, Base64 };

    static ParametresVCard Analyse(std::string_view brut);
    // Whether `nom` equals the upper-case ASCII `majuscules`, ignoring case.
    static bool Egal(std::string_view nom, std::string_view majuscules);

    uint32_t types = 0;
    Codage codage = Codage::Aucun;
    std::string_view charset;
    std::string_view valeur;    // VALUE=uri, url, text...
    std::string_view typeImage; // the first TYPE that names no kind of line ("JPEG")
    std::string_view mediatype; // MEDIATYPE (4.0)
    int rang = 0;               // X-CARNET-RANG, 1-based; 0 when absent or unusable
};
