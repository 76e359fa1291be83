#include "MemoireGrande.h"

#include <cstdint>
#include <sys/mman.h>

namespace
{
constexpr size_t GrandePage = size_t(2) << 20;

size_t Arrondi(size_t taille)
{
    if (taille > size_t(-1) - 2 * GrandePage) throw std::bad_alloc();
    return (taille + GrandePage - 1) & ~(GrandePage - 1);
}
} // namespace

// A mapping one large page longer than asked, so that the block can start on a
// large-page boundary; the parts before and after it go back at once.
void* MemoireGrande::Alloue(size_t taille)
{
    const size_t utile = Arrondi(taille);
    const size_t reservee = utile + GrandePage;
    void* zone =
        mmap(nullptr, reservee, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (zone == MAP_FAILED) throw std::bad_alloc();
    const uintptr_t debut = reinterpret_cast<uintptr_t>(zone);
    const uintptr_t aligne = (debut + GrandePage - 1) & ~uintptr_t(GrandePage - 1);
    if (aligne > debut) munmap(zone, aligne - debut);
    const uintptr_t fin = debut + reservee;
    if (fin > aligne + utile) munmap(reinterpret_cast<void*>(aligne + utile), fin - aligne - utile);
    void* p = reinterpret_cast<void*>(aligne);
    madvise(p, utile, MADV_HUGEPAGE); // a hint: ordinary pages when refused
    return p;
}

void MemoireGrande::Libere(void* p, size_t taille) noexcept
{
    if (p) munmap(p, Arrondi(taille));
}

void MemoireGrande::Conseille(void* p, size_t taille) noexcept
{
    const uintptr_t debut = reinterpret_cast<uintptr_t>(p);
    const uintptr_t aligne = (debut + GrandePage - 1) & ~uintptr_t(GrandePage - 1);
    const uintptr_t fin = (debut + taille) & ~uintptr_t(GrandePage - 1);
    if (taille < Seuil || fin <= aligne) return;
    madvise(reinterpret_cast<void*>(aligne), fin - aligne, MADV_HUGEPAGE);
}
