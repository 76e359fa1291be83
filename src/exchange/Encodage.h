#pragma once

#include "records/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Foreign files come in UTF-8 or UTF-16 as often as in Windows-1252. The book
// holds Windows-1252 only: files are told apart by their bytes and converted
// before they are split, so that no multi-byte sequence or NUL byte ever reaches
// a cell.
class Encodage
{
public:
    enum Source { Windows1252, Utf8, Utf8Bom, Utf16LE, Utf16BE };

    // What the conversion could not keep, and what the file was read as.
    struct Bilan : Utf8::Bilan {
        Source source = Windows1252;
    };

    // A byte-order mark decides; else UTF-16 by the place of its NUL bytes; else
    // UTF-8 when the file holds non-ASCII bytes and all of them form valid UTF-8;
    // else Windows-1252.
    static Source Detecte(std::string_view octets);
    // Converts `octets` in place to Windows-1252 according to its detected source
    // and drops every NUL byte (a single-byte file keeps every other byte as it is).
    static Bilan VersWindows1252(std::string& octets);

    // Windows-1252 bytes appended as UTF-8.
    static void AjouteUtf8(std::string& sortie, std::string_view octets);
    // The same at `w`, each '"' doubled when `doubleGuillemets`, through a table of
    // the 256 bytes' UTF-8 forms stored four bytes at a time: `w` has room for three
    // bytes per byte and one more. Returns the end of what was written.
    static char* EcritUtf8(char* w, std::string_view octets, bool doubleGuillemets);
    static const char* Nom(Source source);
};
