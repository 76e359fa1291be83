#include "Encodage.h"

#include "records/CodePage.h"
#include "records/Utf8.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstring>

namespace
{

using Tables = Utf8::Tables;

// One code point into the output: NUL dropped, the unheld replaced by "?".
inline void Pose(std::string& s, size_t& w, uint32_t cp, Encodage::Bilan& bilan, const Tables& t)
{
    if (cp == 0) {
        ++bilan.nuls;
    } else if (cp < 0x80) {
        s[w++] = static_cast<char>(cp);
    } else if (cp < 0x10000 && t.versCp[cp]) {
        s[w++] = static_cast<char>(t.versCp[cp]);
    } else {
        s[w++] = '?';
        bilan.Remplace(cp);
    }
}

// In place: the output never outgrows the input, one byte per character.
void DepuisUtf8(std::string& s, size_t debut, Encodage::Bilan& bilan)
{
    const Tables& t = Utf8::LesTables();
    const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + debut;
    const auto* const fin = reinterpret_cast<const unsigned char*>(s.data()) + s.size();
    size_t w = 0;
    while (p < fin) {
        if (*p < 0x80) {
            if (*p)
                s[w++] = static_cast<char>(*p);
            else
                ++bilan.nuls;
            ++p;
            continue;
        }
        uint32_t cp = 0;
        size_t n = Utf8::Sequence(p, fin, cp);
        if (!n) {
            // A malformed byte in a file that declared UTF-8: one unknown character.
            n = 1;
            cp = 0xFFFD;
        }
        Pose(s, w, cp, bilan, t);
        p += n;
    }
    s.resize(w);
}

void DepuisUtf16(std::string& s, size_t debut, bool bigEndian, Encodage::Bilan& bilan)
{
    const Tables& t = Utf8::LesTables();
    const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + debut;
    const size_t unites = (s.size() - debut) / 2;
    const bool impair = (s.size() - debut) % 2 != 0;
    auto unite = [&](size_t i) -> uint32_t {
        const unsigned char a = p[2 * i], b = p[2 * i + 1];
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    size_t w = 0;
    for (size_t i = 0; i < unites; ++i) {
        uint32_t u = unite(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < unites) {
            const uint32_t v = unite(i + 1);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                ++i;
                u = 0x10000; // outside Windows-1252 whatever it is
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        Pose(s, w, u, bilan, t);
    }
    if (impair) { // a truncated last unit
        s[w++] = '?';
        bilan.Remplace(0xFFFD);
    }
    s.resize(w);
}

// UTF-16 without a mark: its ASCII characters leave a NUL in every other byte.
Encodage::Source Utf16SansMarque(std::string_view s)
{
    const size_t n = std::min<size_t>(s.size(), 4096) & ~size_t(1);
    if (n < 4) return Encodage::Windows1252;
    size_t pairs = 0, impairs = 0;
    for (size_t i = 0; i < n; i += 2) {
        pairs += s[i] == '\0';
        impairs += s[i + 1] == '\0';
    }
    const size_t unites = n / 2;
    if (impairs * 10 >= unites * 4 && pairs * 20 < unites) return Encodage::Utf16LE;
    if (pairs * 10 >= unites * 4 && impairs * 20 < unites) return Encodage::Utf16BE;
    return Encodage::Windows1252;
}

} // namespace

Encodage::Source Encodage::Detecte(std::string_view s)
{
    if (s.size() >= 3 && s.substr(0, 3) == "\xEF\xBB\xBF") return Utf8Bom;
    if (s.size() >= 2 && s.substr(0, 2) == "\xFF\xFE") return Utf16LE;
    if (s.size() >= 2 && s.substr(0, 2) == "\xFE\xFF") return Utf16BE;
    const Source utf16 = Utf16SansMarque(s);
    if (utf16 != Windows1252) return utf16;
    bool nonAscii = false;
    if (Utf8::Valide(s, &nonAscii) && nonAscii) return Utf8;
    return Windows1252;
}

Encodage::Bilan Encodage::VersWindows1252(std::string& s)
{
    Bilan bilan;
    bilan.source = Detecte(s);
    const bool marque = s.compare(0, 2, "\xFF\xFE") == 0 || s.compare(0, 2, "\xFE\xFF") == 0;
    switch (bilan.source) {
    case Utf8Bom:
        DepuisUtf8(s, 3, bilan);
        break;
    case Utf8:
        DepuisUtf8(s, 0, bilan);
        break;
    case Utf16LE:
    case Utf16BE:
        DepuisUtf16(s, marque ? 2 : 0, bilan.source == Utf16BE, bilan);
        break;
    case Windows1252: {
        if (!std::memchr(s.data(), '\0', s.size())) break;
        const size_t nuls = static_cast<size_t>(std::count(s.begin(), s.end(), '\0'));
        if (nuls) {
            s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
            bilan.nuls = nuls;
        }
        break;
    }
    }
    return bilan;
}

void Encodage::AjouteUtf8(std::string& sortie, std::string_view octets)
{
    const Tables& t = Utf8::LesTables();
    for (unsigned char c : octets) {
        if (c < 0x80)
            sortie.push_back(static_cast<char>(c));
        else
            sortie.append(t.utf8[c].data(), t.longueur[c]);
    }
}

char* Encodage::EcritUtf8(char* w, std::string_view octets, bool doubleGuillemets)
{
    const Tables& t = Utf8::LesTables();
    for (const char o : octets) {
        const auto c = static_cast<unsigned char>(o);
        if (doubleGuillemets && c == '"') *w++ = '"';
        std::memcpy(w, t.utf8[c].data(), 4);
        w += t.longueur[c];
    }
    return w;
}

const char* Encodage::Nom(Source source)
{
    switch (source) {
    case Utf8:
    case Utf8Bom:
        return "UTF-8";
    case Utf16LE:
    case Utf16BE:
        return "UTF-16";
    case Windows1252:
        break;
    }
    return "Windows-1252";
}
