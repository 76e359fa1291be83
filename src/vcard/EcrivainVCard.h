#pragma once

#include "CarteVCard.h"
#include "records/Champs.h"

#include <array>
#include <string>
#include <string_view>

// Writes a record as a card, by the mapping of CorrespondanceVCard: UTF-8, CR LF,
// lines folded at 75 octets without cutting a UTF-8 sequence, text values escaped
// ("\\", "\,", "\;", "\n" for every line break), empty fields left out, N and FN
// always there. The picture, when given, is embedded: base64 with
// "ENCODING=b;TYPE=JPEG" in 3.0, a "data:" URI in 4.0. No REV and no UID: the
// same book gives the same file.
class EcrivainVCard
{
public:
    using Champs = std::array<std::string_view, NbColonnes>;
    // `image`: the bytes of the photo's file, or nullptr when there is none to embed.
    static void AjouteCarte(std::string& sortie, const Champs& champs, VersionVCard version,
                            const std::string* image);
    // One content line appended folded, with its CR LF.
    static void AjouteLignePliee(std::string& sortie, std::string_view ligne);
    // Windows-1252 text appended as an escaped UTF-8 value.
    static void AjouteEchappe(std::string& sortie, std::string_view texte);
};
