#include "PhotoVCard.h"

#include "ParametresVCard.h"

namespace
{

using Format = PhotoVCard::Format;

constexpr Format Jpeg{"JPEG", "image/jpeg", "jpg"};
constexpr Format Png{"PNG", "image/png", "png"};
constexpr Format Gif{"GIF", "image/gif", "gif"};
constexpr Format Bmp{"BMP", "image/bmp", "bmp"};
constexpr Format Tiff{"TIFF", "image/tiff", "tif"};
constexpr Format Webp{"WEBP", "image/webp", "webp"};

bool Contient(std::string_view texte, std::string_view majuscules)
{
    for (size_t i = 0; i + majuscules.size() <= texte.size(); ++i)
        if (ParametresVCard::Egal(texte.substr(i, majuscules.size()), majuscules)) return true;
    return false;
}

} // namespace

PhotoVCard::Format PhotoVCard::Detecte(std::string_view o, std::string_view indice)
{
    if (o.size() >= 3 && o.substr(0, 3) == "\xFF\xD8\xFF") return Jpeg;
    if (o.size() >= 8 && o.substr(0, 8) == "\x89PNG\r\n\x1A\n") return Png;
    if (o.size() >= 4 && (o.substr(0, 4) == "GIF8")) return Gif;
    if (o.size() >= 2 && o.substr(0, 2) == "BM") return Bmp;
    if (o.size() >= 4 && (o.substr(0, 4) == std::string_view("II*\0", 4) ||
                          o.substr(0, 4) == std::string_view("MM\0*", 4)))
        return Tiff;
    if (o.size() >= 12 && o.substr(0, 4) == "RIFF" && o.substr(8, 4) == "WEBP") return Webp;
    if (Contient(indice, "PNG")) return Png;
    if (Contient(indice, "GIF")) return Gif;
    if (Contient(indice, "BMP")) return Bmp;
    if (Contient(indice, "TIF")) return Tiff;
    if (Contient(indice, "WEBP")) return Webp;
    return Jpeg;
}

std::string PhotoVCard::NomPropose(std::string_view nom, std::string_view prenom,
                                   const Format& format)
{
    std::string base;
    for (std::string_view partie : {nom, prenom}) {
        std::string morceau;
        for (char c : partie) {
            const auto o = static_cast<unsigned char>(c);
            // Folder separators, a drive's colon, controls and what other systems
            // refuse in a name become a blank.
            const bool refuse = o < 0x20 || o == 0x7F || c == '/' || c == '\\' || c == ':' ||
                                c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
                                c == '|';
            morceau.push_back(refuse ? ' ' : c);
        }
        // Blanks and dots at the ends would make a hidden or odd name.
        const size_t debut = morceau.find_first_not_of(" .");
        if (debut == std::string::npos) continue;
        morceau = morceau.substr(debut, morceau.find_last_not_of(" .") - debut + 1);
        if (!base.empty()) base.push_back(' ');
        base += morceau;
    }
    if (base.size() > 60) base.resize(60);
    while (!base.empty() && (base.back() == ' ' || base.back() == '.'))
        base.pop_back();
    if (base.empty()) base = "photo";
    return base + "." + format.extension;
}
