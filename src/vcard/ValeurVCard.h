#pragma once

#include "CarteVCard.h"
#include "CodageVCard.h"

#include <string>
#include <string_view>

class ParametresVCard;

// The value of a property decoded into the book's Windows-1252 text.
class ValeurVCard
{
public:
    // The value as UTF-8: quoted-printable decoded, a named character set
    // converted, and bytes that do not form UTF-8 read as Windows-1252 (as old 2.1
    // files write them). The raw value itself when there is nothing to convert,
    // else `tampon`.
    static std::string_view Utf8(const ProprieteVCard& propriete, const ParametresVCard& parametres,
                                 std::string& tampon);
    // Appends to `sortie` the component starting at `pos` (up to an unescaped ";"
    // when `structure`, else the whole rest), escapes undone as the version writes
    // them (2.1: only "\;"; 3.0 and 4.0: "\\", "\,", "\;", "\n", and "\:" that some
    // writers add), every line break as CR LF, NUL dropped, characters Windows-1252
    // cannot hold as "?". Moves `pos` past the component and its ";"; false when
    // the value had no more component.
    static bool Composant(std::string_view utf8, size_t& pos, VersionVCard version, bool structure,
                          std::string& sortie, CodageVCard::Bilan& bilan);
    static void Texte(std::string_view utf8, VersionVCard version, std::string& sortie,
                      CodageVCard::Bilan& bilan)
    {
        size_t pos = 0;
        Composant(utf8, pos, version, false, sortie, bilan);
    }

    // The picture of a PHOTO: base64 data (3.0 "ENCODING=b", 2.1 "BASE64") or a 4.0
    // "data:" URI; `type` takes its media or image type when it names one. False
    // for a link to elsewhere, which is not fetched.
    static bool Image(const ProprieteVCard& propriete, const ParametresVCard& parametres,
                      std::string_view& base64, std::string_view& type);
};
