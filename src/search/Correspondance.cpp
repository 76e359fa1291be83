#include "Correspondance.h"

#include <array>
#include <cstring>

namespace
{

constexpr std::array<unsigned char, 256> TablePli()
{
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[static_cast<size_t>(i)] = static_cast<unsigned char>((i >= 'a' && i <= 'z') ? i - 32 : i);
    return t;
}

constexpr std::array<unsigned char, 256> Pli = TablePli();

bool SuiteEgale(const unsigned char* h, const unsigned char* a, size_t n)
{
    for (size_t k = 0; k < n; ++k)
        if (Pli[h[k]] != Pli[a[k]]) return false;
    return true;
}

} // namespace

std::ptrdiff_t Correspondance::Position(std::string_view texte, std::string_view cellule)
{
    const size_t n = texte.size();
    if (n == 0 || n > cellule.size()) return -1;
    const auto* h = reinterpret_cast<const unsigned char*>(cellule.data());
    const auto* a = reinterpret_cast<const unsigned char*>(texte.data());
    const unsigned char premier = Pli[a[0]];
    const size_t dernierDebut = cellule.size() - n;
    if (premier >= 'A' && premier <= 'Z') {
        // Clearing bit 5 maps exactly the two forms of a letter onto its capital.
        for (size_t i = 0; i <= dernierDebut; ++i)
            if ((h[i] & 0xDFu) == premier && SuiteEgale(h + i + 1, a + 1, n - 1))
                return static_cast<std::ptrdiff_t>(i);
        return -1;
    }
    const unsigned char* p = h;
    const unsigned char* const fin = h + dernierDebut + 1;
    while (p < fin) {
        p = static_cast<const unsigned char*>(
            std::memchr(p, premier, static_cast<size_t>(fin - p)));
        if (!p) return -1;
        if (SuiteEgale(p + 1, a + 1, n - 1)) return p - h;
        ++p;
    }
    return -1;
}

bool Correspondance::Egaux(const QString& a, const QString& b)
{
    return a.size() == b.size() && CommencePar(a, b);
}

bool Correspondance::CommencePar(const QString& texte, const QString& debut)
{
    if (debut.size() > texte.size()) return false;
    for (qsizetype i = 0; i < debut.size(); ++i)
        if (Majuscule(texte[i]) != Majuscule(debut[i])) return false;
    return true;
}
