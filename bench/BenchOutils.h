#pragma once

// What every measure of the benchmark shares: the timer, the line format, the
// resident memory, the generated book, and the lists of measures that each file
// fills with its own (CARNET_BENCH_PAIRE, CARNET_BENCH).
//
// A measure and its floor each run in a fresh process of their own, several
// times, the best run kept: both start from the same memory state (the first
// touch of a fresh page costs tens of microseconds here, so a side that reuses
// pages another just freed would look several times faster).
#include "records/Repertoire.h"

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
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
// numbers, e-mail addresses, a few multi-line notes, many empty fields; every
// text in Windows-1252, as the book holds it.
Repertoire Genere(int n);

namespace BenchOutils
{

// What one side of a measure has at hand in its process.
class Contexte
{
public:
    Contexte(QString chemin, QString dossier, int fiches)
        : m_chemin(std::move(chemin)), m_dossier(std::move(dossier)), m_fiches(fiches)
    {
    }
    const QString& Chemin() const { return m_chemin; }   // the generated book's file
    const QString& Dossier() const { return m_dossier; } // this process's own folder
    int Fiches() const { return m_fiches; }
    // The book, loaded once (untimed) at the first call.
    Repertoire& Livre();
    // A line printed once with the measure's line (from the first run of its
    // product side), e.g. a page count.
    void Note(const std::string& ligne);
    // Something wrong with the result: reported on the error output.
    void Erreur(const std::string& texte);

private:
    QString m_chemin;
    QString m_dossier;
    int m_fiches;
    std::unique_ptr<Repertoire> m_livre;
};

// One side of a measure: does its untimed set-up, then returns the seconds of the
// timed work.
using Cote = std::function<double(Contexte&)>;

struct Paire {
    const char* nom;
    int ordre;  // lines are printed in this order
    int essais; // fresh processes per side; the best is kept
    Cote produit;
    Cote plancher; // empty: the line is only NAME SECONDS
};
inline std::vector<Paire>& Paires()
{
    static std::vector<Paire> v;
    return v;
}
struct InscriptionPaire {
    explicit InscriptionPaire(Paire p) { Paires().push_back(std::move(p)); }
};

// A measure that prints its own lines, run once in a fresh process of its own. It
// receives the generated book (already loaded) and a folder it may write into.
using Mesure = std::function<void(const Repertoire& livre, const QString& dossier)>;
inline std::vector<std::pair<std::string, Mesure>>& Mesures()
{
    static std::vector<std::pair<std::string, Mesure>> v;
    return v;
}
struct Inscription {
    Inscription(const char* nom, Mesure m) { Mesures().emplace_back(nom, std::move(m)); }
};

// A floor's file, built a block at a time as the program builds its files: bytes go
// to a buffer that stays in the cache and each full block is written out; Termine
// gives the file the same durability as the program's writes (synced, renamed over
// its name, the folder synced).
class FichierPlancher
{
public:
    static constexpr size_t Bloc = size_t(1) << 20;
    FichierPlancher(const QString& dossier, const char* nom)
        : m_dossier(QFile::encodeName(dossier)), m_cible(m_dossier + '/' + nom),
          m_temporaire(m_cible + ".tmp"), m_tampon(Bloc + (Bloc >> 2))
    {
        m_fd = open(m_temporaire.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        m_w = m_tampon.data();
    }
    // Room for `n` bytes at the returned pointer; the caller moves the pointer with
    // Avance.
    char* Place(size_t n)
    {
        if (m_w + n <= m_tampon.data() + Bloc) return m_w;
        Vide();
        if (n > m_tampon.size()) {
            m_tampon.resize(n);
            m_w = m_tampon.data();
        }
        return m_w;
    }
    void Avance(char* w) { m_w = w; }
    bool Termine()
    {
        Vide();
        const bool ok = m_ok && fdatasync(m_fd) == 0 && close(m_fd) == 0 &&
                        rename(m_temporaire.constData(), m_cible.constData()) == 0;
        const int d = open(m_dossier.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        fsync(d);
        close(d);
        return ok;
    }
    const QByteArray& Chemin() const { return m_cible; }

private:
    void Vide()
    {
        const size_t n = static_cast<size_t>(m_w - m_tampon.data());
        if (write(m_fd, m_tampon.data(), n) != static_cast<ssize_t>(n)) m_ok = false;
        m_w = m_tampon.data();
    }
    QByteArray m_dossier, m_cible, m_temporaire;
    std::vector<char> m_tampon;
    char* m_w;
    int m_fd;
    bool m_ok = true;
};

// True when the file at `chemin` holds exactly `attendu` (checked after the timing).
inline bool MemeContenu(const QByteArray& chemin, std::string_view attendu)
{
    QFile f(QFile::decodeName(chemin));
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray lu = f.readAll();
    return std::string_view(lu.constData(), static_cast<size_t>(lu.size())) == attendu;
}

// Keeps the floors' work from being optimised away.
inline void Puits(size_t valeur)
{
    asm volatile("" : : "r"(valeur) : "memory");
}

} // namespace BenchOutils

#define CARNET_BENCH(nom, fonction) static BenchOutils::Inscription bench_##nom(#nom, fonction);
#define CARNET_BENCH_PAIRE(ident, nom, ordre, essais, produit, plancher)                           \
    static BenchOutils::InscriptionPaire paire_##ident(                                            \
        BenchOutils::Paire{nom, ordre, essais, produit, plancher});
