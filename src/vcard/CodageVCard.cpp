#include "CodageVCard.h"

#include "records/CodePage.h"
#include "records/Utf8.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <array>
#include <cstring>

namespace
{

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct TableBase64 {
    std::array<signed char, 256> valeur{};
    TableBase64()
    {
        valeur.fill(-1);
        for (int i = 0; i < 64; ++i)
            valeur[static_cast<unsigned char>(Alphabet[i])] = static_cast<signed char>(i);
        // The URL-safe alphabet too: some writers use it in data: URIs.
        valeur['-'] = 62;
        valeur['_'] = 63;
    }
};

int Hex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Egal(std::string_view a, const char* b)
{
    const size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = a[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != b[i]) return false;
    }
    return true;
}

void AjouteCodePoint(std::string& s, uint32_t u)
{
    if (u < 0x80) {
        s.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
        s.push_back(static_cast<char>(0xC0 | (u >> 6)));
        s.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else if (u < 0x10000) {
        s.push_back(static_cast<char>(0xE0 | (u >> 12)));
        s.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
        s.push_back(static_cast<char>(0xF0 | (u >> 18)));
        s.push_back(static_cast<char>(0x80 | ((u >> 12) & 0x3F)));
        s.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
}

} // namespace

void CodageVCard::AjouteUtf8(std::string& sortie, std::string_view octets)
{
    const Utf8::Tables& t = Utf8::LesTables();
    for (unsigned char c : octets) {
        if (c < 0x80)
            sortie.push_back(static_cast<char>(c));
        else
            sortie.append(t.utf8[c].data(), t.longueur[c]);
    }
}

int CodageVCard::VersCp1252(uint32_t cp)
{
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x10000) return -1;
    const unsigned char o = Utf8::LesTables().versCp[cp];
    return o ? o : -1;
}

size_t CodageVCard::Sequence(const unsigned char* p, const unsigned char* fin, uint32_t& cp)
{
    return Utf8::Sequence(p, fin, cp);
}

bool CodageVCard::Utf8Valide(std::string_view s)
{
    return Utf8::Valide(s);
}

void CodageVCard::AjouteBase64(std::string& sortie, std::string_view octets)
{
    const auto* p = reinterpret_cast<const unsigned char*>(octets.data());
    const size_t n = octets.size();
    const size_t debut = sortie.size();
    sortie.resize(debut + (n + 2) / 3 * 4);
    char* w = sortie.data() + debut;
    size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const uint32_t v = uint32_t(p[i]) << 16 | uint32_t(p[i + 1]) << 8 | p[i + 2];
        *w++ = Alphabet[v >> 18];
        *w++ = Alphabet[(v >> 12) & 63];
        *w++ = Alphabet[(v >> 6) & 63];
        *w++ = Alphabet[v & 63];
    }
    if (i < n) {
        uint32_t v = uint32_t(p[i]) << 16;
        if (i + 1 < n) v |= uint32_t(p[i + 1]) << 8;
        *w++ = Alphabet[v >> 18];
        *w++ = Alphabet[(v >> 12) & 63];
        *w++ = i + 1 < n ? Alphabet[(v >> 6) & 63] : '=';
        *w++ = '=';
    }
}

bool CodageVCard::DecodeBase64(std::string_view texte, std::string& octets)
{
    static const TableBase64 table;
    octets.clear();
    octets.reserve(texte.size() / 4 * 3 + 3);
    uint32_t groupe = 0;
    int n = 0;
    for (char c : texte) {
        const signed char v = table.valeur[static_cast<unsigned char>(c)];
        if (v >= 0) {
            groupe = groupe << 6 | static_cast<uint32_t>(v);
            if (++n == 4) {
                octets.push_back(static_cast<char>(groupe >> 16));
                octets.push_back(static_cast<char>(groupe >> 8));
                octets.push_back(static_cast<char>(groupe));
                groupe = 0;
                n = 0;
            }
            continue;
        }
        if (c == '=') break;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        return false;
    }
    // Padding may be missing: what the last group holds is kept.
    if (n == 1) return false;
    if (n == 2) octets.push_back(static_cast<char>(groupe >> 4));
    if (n == 3) {
        octets.push_back(static_cast<char>(groupe >> 10));
        octets.push_back(static_cast<char>(groupe >> 2));
    }
    return true;
}

void CodageVCard::DecodeQuotedPrintable(std::string_view texte, std::string& octets)
{
    octets.clear();
    octets.reserve(texte.size());
    for (size_t i = 0; i < texte.size(); ++i) {
        const char c = texte[i];
        if (c == '=' && i + 2 < texte.size()) {
            const int h = Hex(texte[i + 1]), l = Hex(texte[i + 2]);
            if (h >= 0 && l >= 0) {
                octets.push_back(static_cast<char>(h << 4 | l));
                i += 2;
                continue;
            }
        }
        octets.push_back(c);
    }
}

bool CodageVCard::AjouteDepuisCharset(std::string& utf8, std::string_view octets,
                                      std::string_view charset)
{
    if (Egal(charset, "UTF-8") || Egal(charset, "UTF8") || Egal(charset, "US-ASCII") ||
        Egal(charset, "ASCII")) {
        // A byte that is not UTF-8 after all is read as Windows-1252.
        if (Utf8Valide(octets))
            utf8.append(octets);
        else
            AjouteUtf8(utf8, octets);
        return true;
    }
    if (Egal(charset, "WINDOWS-1252") || Egal(charset, "CP1252")) {
        AjouteUtf8(utf8, octets);
        return true;
    }
    if (Egal(charset, "ISO-8859-1") || Egal(charset, "LATIN1") || Egal(charset, "ISO8859-1")) {
        for (unsigned char c : octets)
            AjouteCodePoint(utf8, c);
        return true;
    }
    if (charset.empty() || charset.size() > 40) return false;
    const QByteArray nom(charset.data(), static_cast<qsizetype>(charset.size()));
    QStringDecoder decodeur(nom.constData());
    if (!decodeur.isValid()) return false;
    const QString texte =
        decodeur.decode(QByteArrayView(octets.data(), static_cast<qsizetype>(octets.size())));
    utf8.append(texte.toUtf8().toStdString());
    return true;
}

const char* CodageVCard::Normalise(std::string& s)
{
    if (s.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        s.erase(0, 3);
        return "UTF-8";
    }
    bool big = false, marque = false;
    if (s.compare(0, 2, "\xFF\xFE") == 0) {
        marque = true;
    } else if (s.compare(0, 2, "\xFE\xFF") == 0) {
        marque = big = true;
    } else {
        // Without a mark: "BEGIN" in UTF-16 leaves a NUL in every other byte.
        const size_t n = std::min<size_t>(s.size(), 4096) & ~size_t(1);
        if (n < 4) return "";
        size_t pairs = 0, impairs = 0;
        for (size_t i = 0; i < n; i += 2) {
            pairs += s[i] == '\0';
            impairs += s[i + 1] == '\0';
        }
        const size_t unites = n / 2;
        if (impairs * 10 >= unites * 4 && pairs * 20 < unites)
            big = false;
        else if (pairs * 10 >= unites * 4 && impairs * 20 < unites)
            big = true;
        else
            return "";
    }
    const size_t debut = marque ? 2 : 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + debut;
    const size_t unites = (s.size() - debut) / 2;
    std::string utf8;
    utf8.reserve(unites + unites / 8);
    const auto unite = [&](size_t i) -> uint32_t {
        const unsigned char a = p[2 * i], b = p[2 * i + 1];
        return big ? (uint32_t(a) << 8 | b) : (uint32_t(b) << 8 | a);
    };
    for (size_t i = 0; i < unites; ++i) {
        uint32_t u = unite(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < unites) {
            const uint32_t v = unite(i + 1);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                u = 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
                ++i;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        AjouteCodePoint(utf8, u);
    }
    s.swap(utf8);
    return "UTF-16";
}
