#pragma once

#include "records/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The byte encodings a vCard meets: UTF-8 (3.0 and 4.0), the character sets a 2.1
// card names, quoted-printable, base64 and UTF-16 files. Cells of the book are
// Windows-1252: characters it cannot hold become "?" and are counted.
class CodageVCard
{
public:
    using Bilan = Utf8::Bilan;

    // Windows-1252 bytes appended as UTF-8 (the five bytes the code page leaves
    // undefined as the C1 controls of the same value, so that every byte comes back).
    static void AjouteUtf8(std::string& sortie, std::string_view cp1252);
    // One Unicode character as Windows-1252, or -1 when the code page has none.
    static int VersCp1252(uint32_t cp);
    // Decodes the UTF-8 sequence at `p` (a byte >= 0x80): its length, 0 when malformed.
    static size_t Sequence(const unsigned char* p, const unsigned char* fin, uint32_t& cp);
    static bool Utf8Valide(std::string_view octets);

    // Base64 with "=" padding, no line breaks.
    static void AjouteBase64(std::string& sortie, std::string_view octets);
    // Decodes base64, skipping blanks and line breaks; false on any other foreign
    // character or a truncated group. Stops at the padding.
    static bool DecodeBase64(std::string_view texte, std::string& octets);
    // "=XX" sequences decoded; a "=" not followed by two hex digits is kept.
    static void DecodeQuotedPrintable(std::string_view texte, std::string& octets);
    // `octets` in the named character set appended as UTF-8. UTF-8, US-ASCII,
    // ISO-8859-1 and Windows-1252 directly, others through the system's converters;
    // false when the set is unknown (nothing appended).
    static bool AjouteDepuisCharset(std::string& utf8, std::string_view octets,
                                    std::string_view charset);

    // A whole file in UTF-16 (a byte-order mark, or NUL bytes in every other place
    // as its ASCII characters leave them) converted to UTF-8 in place; a UTF-8
    // byte-order mark removed. Returns the encoding found: "UTF-8", "UTF-16" or "".
    static const char* Normalise(std::string& octets);
};
