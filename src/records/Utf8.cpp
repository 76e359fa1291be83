#include "Utf8.h"

#include "CodePage.h"

#include <QString>

namespace
{

Utf8::Tables Construit()
{
    Utf8::Tables t;
    for (int i = 0; i < 256; ++i) {
        const char octet = static_cast<char>(i);
        const char16_t u = CodePage::VersUnicode(std::string_view(&octet, 1)).at(0).unicode();
        if (u < 0x80) {
            t.utf8[i][0] = static_cast<char>(u);
            t.longueur[i] = 1;
        } else if (u < 0x800) {
            t.utf8[i][0] = static_cast<char>(0xC0 | (u >> 6));
            t.utf8[i][1] = static_cast<char>(0x80 | (u & 0x3F));
            t.longueur[i] = 2;
        } else {
            t.utf8[i][0] = static_cast<char>(0xE0 | (u >> 12));
            t.utf8[i][1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            t.utf8[i][2] = static_cast<char>(0x80 | (u & 0x3F));
            t.longueur[i] = 3;
        }
        if (i >= 0x80) t.versCp[u] = static_cast<unsigned char>(i);
    }
    return t;
}

} // namespace

const Utf8::Tables& Utf8::LesTables()
{
    static const Tables t = Construit();
    return t;
}

bool Utf8::Valide(std::string_view s, bool* nonAscii)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const fin = p + s.size();
    if (nonAscii) *nonAscii = false;
    while (p < fin) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        if (nonAscii) *nonAscii = true;
        uint32_t cp;
        const size_t n = Sequence(p, fin, cp);
        if (!n) return false;
        p += n;
    }
    return true;
}

void Utf8::Bilan::Remplace(uint32_t cp)
{
    ++remplaces;
    for (auto& [deja, fois] : inconnus)
        if (deja == cp) {
            ++fois;
            return;
        }
    if (inconnus.size() < MaxInconnus)
        inconnus.emplace_back(cp, 1);
    else
        autres = true;
}
