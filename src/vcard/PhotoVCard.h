#pragma once

#include <string>
#include <string_view>

// The pictures a card carries: their format told by their first bytes (or, failing
// that, by the type the card or the file name gives), and the name an imported
// picture takes in the images folder.
class PhotoVCard
{
public:
    struct Format {
        const char* type;      // as 3.0 writes it: "JPEG"
        const char* media;     // as 4.0 writes it: "image/jpeg"
        const char* extension; // "jpg"
    };
    // From the picture's bytes; then from `indice` (a type, a media type or a file
    // name); JPEG when nothing tells.
    static Format Detecte(std::string_view octets, std::string_view indice = {});
    // The bare name proposed for a picture of a card: its name and first name
    // ("Dupont Jean.jpg"), or "photo.jpg"; Windows-1252, no character a file name
    // cannot hold, at most 60 characters before the extension.
    static std::string NomPropose(std::string_view nom, std::string_view prenom,
                                  const Format& format);
};
