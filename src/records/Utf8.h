#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

// UTF-8 beside Windows-1252, for the files that speak UTF-8 (standard CSV, vCard):
// the tables both ways, built once from the code page, and the decoding of one
// sequence, strict (no overlong forms, no surrogates, nothing past U+10FFFF).
class Utf8
{
public:
    // What a conversion into Windows-1252 could not keep.
    struct Bilan {
        size_t remplaces = 0; // characters Windows-1252 cannot hold, now "?"
        size_t nuls = 0;      // NUL characters dropped (a cell never holds one)
        // The first distinct characters replaced (Unicode, U+FFFD for a byte that was
        // not a character) with how often each was met; `autres` when more were.
        std::vector<std::pair<uint32_t, size_t>> inconnus;
        bool autres = false;
        static constexpr size_t MaxInconnus = 8;
        void Remplace(uint32_t cp);
    };

    struct Tables {
        // Windows-1252 byte → its UTF-8 form (1 to 3 bytes).
        std::array<std::array<char, 4>, 256> utf8{};
        std::array<unsigned char, 256> longueur{};
        // Code points 0x80–0xFFFF → Windows-1252 byte, 0 when the code page lacks it.
        std::array<unsigned char, 0x10000> versCp{};
    };
    static const Tables& LesTables();

    // The sequence at p (its first byte not ASCII): its length, 0 when malformed.
    static size_t Sequence(const unsigned char* p, const unsigned char* fin, uint32_t& cp)
    {
        const unsigned char c = *p;
        size_t n;
        uint32_t min;
        if (c >= 0xC2 && c <= 0xDF) {
            n = 2;
            cp = c & 0x1F;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 3;
            cp = c & 0x0F;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 4;
            cp = c & 0x07;
            min = 0x10000;
        } else {
            return 0;
        }
        if (static_cast<size_t>(fin - p) < n) return 0;
        for (size_t k = 1; k < n; ++k) {
            if ((p[k] & 0xC0) != 0x80) return 0;
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
        return n;
    }

    // Whether the whole text is well-formed UTF-8; `nonAscii` says if a byte past
    // ASCII was met.
    static bool Valide(std::string_view s, bool* nonAscii = nullptr);
};
