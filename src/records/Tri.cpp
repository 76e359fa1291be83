#include "Tri.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{

// Rank of each record's key among the distinct keys: comparing ranks is comparing keys.
std::vector<uint32_t> Rangs(const Repertoire& rep, int colonne)
{
    const int n = rep.NbFiches();
    std::vector<std::string_view> cles(static_cast<size_t>(n));
    for (int r = 1; r <= n; ++r)
        cles[static_cast<size_t>(r - 1)] = rep.Cellule(colonne, r);
    std::vector<uint32_t> ordre(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        ordre[static_cast<size_t>(i)] = static_cast<uint32_t>(i);
    std::sort(ordre.begin(), ordre.end(),
              [&](uint32_t a, uint32_t b) { return Tri::CompareCles(cles[a], cles[b]) < 0; });
    std::vector<uint32_t> rangs(static_cast<size_t>(n));
    uint32_t rang = 0;
    for (size_t i = 0; i < ordre.size(); ++i) {
        if (i > 0 && Tri::CompareCles(cles[ordre[i - 1]], cles[ordre[i]]) != 0) ++rang;
        rangs[ordre[i]] = rang;
    }
    return rangs;
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
    // The exchanges are made on a table of (key rank, row) pairs; the rows are then
    // moved once, in place, to the order the exchanges produced. The result is the
    // same as exchanging the rows themselves at each step, since only the order of
    // the keys decides an exchange.
    const std::vector<uint32_t> rangs = Rangs(rep, colonne);
    std::vector<uint64_t> cles(static_cast<size_t>(n) + 1);
    for (int r = 1; r <= n; ++r)
        cles[static_cast<size_t>(r)] =
            (static_cast<uint64_t>(rangs[static_cast<size_t>(r - 1)]) << 32) |
            static_cast<uint32_t>(r);
    int ecart = n;
    do {
        ecart /= 2;
        bool echange;
        do {
            echange = false;
            uint64_t* const p = cles.data();
            for (int i = 1; i <= n - ecart; ++i) {
                uint64_t& a = p[i];
                uint64_t& b = p[i + ecart];
                if ((a >> 32) > (b >> 32)) {
                    std::swap(a, b);
                    echange = true;
                }
            }
        } while (echange);
    } while (ecart > 1);

    std::vector<int> ordre(static_cast<size_t>(n));
    for (int r = 1; r <= n; ++r)
        ordre[static_cast<size_t>(r - 1)] =
            static_cast<int>(cles[static_cast<size_t>(r)] & 0xFFFFFFFFu);
    rep.Permute(ordre);
}
