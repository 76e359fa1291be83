#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <emmintrin.h>
#include <string_view>

// The matching rule shared by every search: only the letters a to z are folded to
// upper case; every other byte, accented letters included, must be equal. A
// Correspondance is made once per scan and tried on every cell in place, on the
// Windows-1252 bytes, without allocating; the tests are inline so the scans, which
// try millions of cells, pay no call per cell.
class Correspondance
{
public:
    // `texte` must outlive the object.
    explicit Correspondance(std::string_view texte);

    // Offset of the first occurrence of the text in `cellule`, or -1; an empty text
    // occurs nowhere.
    std::ptrdiff_t Position(std::string_view cellule) const;
    bool Trouve(std::string_view cellule) const { return Position(cellule) >= 0; }

    static bool MatchText(std::string_view texte, std::string_view cellule)
    {
        return Correspondance(texte).Trouve(cellule);
    }
    static std::ptrdiff_t Position(std::string_view texte, std::string_view cellule)
    {
        return Correspondance(texte).Position(cellule);
    }

    // The first column from `depart` to `derniere` whose cell holds the text, among
    // those `cherchee` marks, in a row given as its cells end to end and the end of
    // each (16 or 32 bits); -1 when none. One pass over the row's bytes, sixteen at
    // a time, no call per cell; 15 bytes past the last searched cell may be read
    // (the book keeps a margin after each row's cells).
    template <class Fin>
    int PremiereColonne(std::string_view octets, const Fin* fins, int depart, int derniere,
                        const bool* cherchee) const;

    static unsigned char Majuscule(unsigned char c)
    {
        return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
    }
    // The same rule on the texts of the history lists, which are Unicode.
    static QChar Majuscule(QChar c)
    {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') ? QChar(static_cast<char16_t>(u - 32)) : c;
    }
    static bool Egaux(const QString& a, const QString& b);
    // `debut` is the beginning of `texte` under the rule (an empty `debut` always is).
    static bool CommencePar(const QString& texte, const QString& debut);

private:
    bool Candidat(unsigned char c) const { return (c & m_masque) == m_premier; }
    // The first byte from `i` on, before `fin`, that may begin an occurrence; `fin`
    // when none.
    size_t ProchainCandidat(const unsigned char* h, size_t i, size_t fin) const;
    bool SuiteEgale(const unsigned char* h) const
    {
        for (size_t k = 1; k < m_texte.size(); ++k)
            if (Majuscule(h[k]) != Majuscule(static_cast<unsigned char>(m_texte[k]))) return false;
        return true;
    }

    std::string_view m_texte;
    // A cell byte c may begin an occurrence when (c & m_masque) == m_premier: for a
    // letter, clearing bit 5 maps exactly its two forms onto the capital.
    unsigned char m_premier = 0;
    unsigned char m_masque = 0xFF;
};

inline std::ptrdiff_t Correspondance::Position(std::string_view cellule) const
{
    const size_t n = m_texte.size();
    if (n == 0 || n > cellule.size()) return -1;
    const auto* h = reinterpret_cast<const unsigned char*>(cellule.data());
    const size_t debuts = cellule.size() - n + 1;
    for (size_t i = 0; i < debuts; ++i)
        if (Candidat(h[i]) && SuiteEgale(h + i)) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

inline size_t Correspondance::ProchainCandidat(const unsigned char* h, size_t i, size_t fin) const
{
    const __m128i haut = _mm_set1_epi8(static_cast<char>(m_premier));
    const __m128i bas =
        _mm_set1_epi8(static_cast<char>(m_masque == 0xDF ? m_premier + 32 : m_premier));
    for (; i < fin; i += 16) {
        const __m128i bloc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
        const unsigned masque = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bloc, haut), _mm_cmpeq_epi8(bloc, bas))));
        if (masque) {
            const size_t k = i + static_cast<size_t>(__builtin_ctz(masque));
            return k < fin ? k : fin;
        }
    }
    return fin;
}

template <class Fin>
inline int Correspondance::PremiereColonne(std::string_view octets, const Fin* fins, int depart,
                                           int derniere, const bool* cherchee) const
{
    const size_t n = m_texte.size();
    if (n == 0 || depart > derniere) return -1;
    const auto* h = reinterpret_cast<const unsigned char*>(octets.data());
    int c = depart;
    const size_t fin = fins[derniere];
    size_t i = c == 0 ? 0 : fins[c - 1];
    while (i < fin) {
        i = ProchainCandidat(h, i, fin);
        if (i >= fin) return -1;
        while (fins[c] <= i)
            ++c;
        if (!cherchee[c]) {
            i = fins[c]; // the rest of this cell is not searched
            continue;
        }
        if (i + n <= fins[c] && SuiteEgale(h + i)) return c;
        ++i;
    }
    return -1;
}
