#pragma once

#include "CarteVCard.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Reads the cards of a vCard file, 2.1, 3.0 or 4.0: lines ended by CR LF, LF or
// CR, folded lines joined (a line starting with a blank continues the one before),
// quoted-printable soft line breaks of 2.1 joined, base64 lines of 2.1 that are
// not indented joined, several cards per file, the last line with or without its
// line end. Nested cards (a 2.1 AGENT) are skipped; a card whose END:VCARD is
// missing ends with the file. Lines outside cards and lines without ":" are
// ignored. The values are left raw: ValeurVCard decodes them.
//
// The buffer is unfolded in place, so the properties handed out are views into it.
class LecteurVCard
{
public:
    struct Limites {
        long long cartes = INT32_MAX - 1; // more: refused, the cards counted
        size_t ligne = size_t(32) << 20;  // one unfolded line (a photo in base64)
    };
    struct Resultat {
        QString erreur;            // empty, or the French reason (no card, a limit)
        long long cartes = 0;      // cards in the file
        long long sansFin = 0;     // of which the file ended before END:VCARD
        long long imbriquees = 0;  // cards found inside another, skipped
        const char* encodage = ""; // "UTF-16" when the file was converted
    };

    // Reads `octets` (converted and unfolded in place) and hands each card to
    // `carte`, which returns false to stop. A file holding no card, or a line or
    // a number of cards past the limits, gives an error.
    static Resultat Parcourt(std::string& octets, const Limites& limites,
                             const std::function<bool(const CarteVCard&)>& carte);
};
