#include "Tri.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace
{

// The key of one row, with its first eight bytes packed big-endian: comparing the
// packed prefixes orders two keys correctly whenever the prefixes differ, so most
// comparisons never touch the row's text.
struct CleTri {
    uint64_t prefixe;
    std::string_view texte;
    int ligne;
};

uint64_t Prefixe(std::string_view s)
{
    uint64_t p = 0;
    const size_t n = s.size() < 8 ? s.size() : 8;
    for (size_t i = 0; i < 8; ++i)
        p = (p << 8) | (i < n ? static_cast<unsigned char>(s[i]) : 0u);
    return p;
}

inline bool PlusGrande(const CleTri& a, const CleTri& b)
{
    if (a.prefixe != b.prefixe) return a.prefixe > b.prefixe;
    return Tri::CompareCles(a.texte, b.texte) > 0;
}

} // namespace

int Tri::CompareCles(std::string_view a, std::string_view b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    if (n > 0) {
        const int r = std::memcmp(a.data(), b.data(), n); // memcmp compares unsigned bytes
        if (r != 0) return r;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

void Tri::TriGrille(Repertoire& rep, int colonne)
{
    const int n = rep.NbFiches();
    if (n < 2) return;
    if (colonne < 0 || colonne >= NbColonnes) colonne = 0;
    // The exchanges are made on a table of keys; the rows are then moved once, in
    // place, to the order the exchanges produced. The result is the same as
    // exchanging the rows themselves at each step.
    std::vector<CleTri> cles(static_cast<size_t>(n) + 1);
    for (int r = 1; r <= n; ++r) {
        const std::string_view t = rep.Cellule(colonne, r);
        cles[static_cast<size_t>(r)] = CleTri{Prefixe(t), t, r};
    }
    int ecart = n;
    do {
        ecart /= 2;
        bool echange;
        do {
            echange = false;
            for (int i = 1; i <= n - ecart; ++i) {
                CleTri& a = cles[static_cast<size_t>(i)];
                CleTri& b = cles[static_cast<size_t>(i + ecart)];
                if (PlusGrande(a, b)) {
                    std::swap(a, b);
                    echange = true;
                }
            }
        } while (echange);
    } while (ecart > 1);

    std::vector<int> ordre(static_cast<size_t>(n));
    for (int r = 1; r <= n; ++r)
        ordre[static_cast<size_t>(r - 1)] = cles[static_cast<size_t>(r)].ligne;
    cles.clear();
    rep.Permute(ordre);
}
