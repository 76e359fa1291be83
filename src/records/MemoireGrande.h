#pragma once

#include <cstddef>
#include <new>

// Memory for the large tables of a book (its rows, their cells), taken from the
// system in large pages where the system offers them: here the first touch of an
// ordinary 4 KiB page costs tens of microseconds, a large page holds 512 of them.
// Small requests go to the ordinary allocator.
class MemoireGrande
{
public:
    // From this size on, a request is served by its own mapping.
    static constexpr size_t Seuil = size_t(1) << 20;

    // Zero-filled; throws std::bad_alloc when the system refuses.
    static void* Alloue(size_t taille);
    // `taille` as given to Alloue.
    static void Libere(void* p, size_t taille) noexcept;
    // Asks for large pages on the whole large pages inside a block the caller owns
    // and has not touched yet (a large string about to be filled): a hint, ignored
    // for a small block or where the system refuses.
    static void Conseille(void* p, size_t taille) noexcept;

    // For std::vector and the other containers.
    template <class T> struct Allocateur {
        using value_type = T;
        Allocateur() = default;
        template <class U> Allocateur(const Allocateur<U>&) noexcept {}
        T* allocate(size_t n)
        {
            if (n > size_t(-1) / sizeof(T)) throw std::bad_alloc();
            const size_t taille = n * sizeof(T);
            if (taille < Seuil) return static_cast<T*>(::operator new(taille));
            return static_cast<T*>(Alloue(taille));
        }
        void deallocate(T* p, size_t n) noexcept
        {
            const size_t taille = n * sizeof(T);
            if (taille < Seuil)
                ::operator delete(p);
            else
                Libere(p, taille);
        }
        template <class U> bool operator==(const Allocateur<U>&) const noexcept { return true; }
        template <class U> bool operator!=(const Allocateur<U>&) const noexcept { return false; }
    };
};
