#include "MemoireGardee.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace
{

#if defined(__GLIBC__)
// The C library hands large blocks straight to the system and back (each one then
// touched afresh), and gives back the top of its heap once enough of it is free; it
// raises both limits by itself as a program frees large blocks, up to these values.
// They are set at once, and during the job the heap keeps a margin at its top.
constexpr int SeuilBlocs = 32 << 20;
constexpr int SeuilRendu = 64 << 20;
constexpr int MargeJob = 16 << 20;
constexpr int MargeNormale = 128 << 10; // the C library's default
#endif

} // namespace

MemoireGardee::MemoireGardee()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, SeuilBlocs);
    mallopt(M_TRIM_THRESHOLD, SeuilRendu);
    mallopt(M_TOP_PAD, MargeJob);
#endif
}

MemoireGardee::~MemoireGardee()
{
#if defined(__GLIBC__)
    mallopt(M_TOP_PAD, MargeNormale);
    malloc_trim(0);
#endif
}
