#pragma once

// What every measure of the benchmark shares: the timer, the line format, the
// resident memory, the generated book, and the list of measures that other files
// add (each file registers its own with CARNET_BENCH).
#include "records/Repertoire.h"

#include <QElapsedTimer>
#include <QString>
#include <cstdio>
#include <fstream>
#include <functional>
#include <unistd.h>
#include <vector>

inline double Secondes(QElapsedTimer& t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

// NAME SECONDS FLOOR_SECONDS RATIO
inline void Ligne(const char* nom, double valeur, double plancher)
{
    std::printf("%s %.4f %.4f %.2f\n", nom, valeur, plancher,
                plancher > 0 ? valeur / plancher : 0.0);
    std::fflush(stdout);
}

inline long RssOctets()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, residentes = 0;
    statm >> pages >> residentes;
    return residentes * sysconf(_SC_PAGESIZE);
}

// A book whose fields look like real ones: names with accents, addresses, phone
// numbers, e-mail addresses, a few multi-line notes, many empty fields.
Repertoire Genere(int n);

namespace BenchOutils
{
// A measure receives the generated book (already saved and loaded once) and a
// temporary folder it may write into.
using Mesure = std::function<void(const Repertoire& livre, const QString& dossier)>;
inline std::vector<Mesure>& Mesures()
{
    static std::vector<Mesure> v;
    return v;
}
struct Inscription {
    explicit Inscription(Mesure m) { Mesures().push_back(std::move(m)); }
};
} // namespace BenchOutils

#define CARNET_BENCH(nom, fonction) static BenchOutils::Inscription bench_##nom(fonction);
