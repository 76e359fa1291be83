// The book's own measures: load (fresh process and warm), save, sort, search and
// column fitting, each against the same result's irreducible work done the
// simplest fast way.
#include "BenchOutils.h"
#include "mainwindow/MesureColonne.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/Tri.h"
#include "search/Chercheur.h"
#include "search/OptionsRecherche.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <algorithm>
#include <array>
#include <cstring>
#include <emmintrin.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using BenchOutils::Contexte;

namespace
{

// Fresh memory in large pages, aligned on one, as the loader takes it; the
// mapping's start and size are noted just before the block.
constexpr size_t GrandePage = size_t(2) << 20;
void* ZoneFraiche(size_t taille)
{
    const size_t reservee = taille + 2 * GrandePage;
    char* zone = static_cast<char*>(
        mmap(nullptr, reservee, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    char* debut = reinterpret_cast<char*>(
        (reinterpret_cast<uintptr_t>(zone) + 16 + GrandePage - 1) & ~uintptr_t(GrandePage - 1));
    reinterpret_cast<char**>(debut)[-1] = zone;
    reinterpret_cast<size_t*>(debut)[-2] = reservee;
    madvise(debut, taille, MADV_HUGEPAGE);
    return debut;
}
void LibereFraiche(void* p)
{
    munmap(static_cast<char**>(p)[-1], static_cast<size_t*>(p)[-2]);
}

// --- load ------------------------------------------------------------------------------

// The least any loader does: the file's bytes in fresh memory (large pages, as the
// loader takes) and the end of each of its lines found and noted, so that every
// cell can be found; nothing copied, nothing checked.
double PlancherLecture(Contexte& c)
{
    QElapsedTimer t;
    t.start();
    const int fd = open(QFile::encodeName(c.Chemin()).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {
    };
    fstat(fd, &st);
    const size_t taille = static_cast<size_t>(st.st_size);
    char* octets = static_cast<char*>(ZoneFraiche(taille + 16));
    size_t lus = 0;
    for (;;) {
        const ssize_t n = read(fd, octets + lus, taille - lus + 1);
        if (n <= 0) break;
        lus += static_cast<size_t>(n);
    }
    close(fd);
    // The line ends, sixteen bytes at a time; each line's length noted in 16 bits, as
    // compact as the book's own cell ends.
    auto* longueurs = static_cast<uint16_t*>(ZoneFraiche((lus / 2 + 16) * sizeof(uint16_t)));
    size_t lignes = 0;
    size_t precedente = 0;
    const __m128i lf = _mm_set1_epi8('\n');
    size_t i = 0;
    const auto note = [&](size_t fin) {
        longueurs[lignes++] = static_cast<uint16_t>(std::min<size_t>(fin - precedente, UINT16_MAX));
        precedente = fin + 1;
    };
    for (; i + 16 <= lus; i += 16) {
        unsigned masque = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(octets + i)), lf)));
        while (masque) {
            note(i + static_cast<size_t>(__builtin_ctz(masque)));
            masque &= masque - 1;
        }
    }
    for (; i < lus; ++i)
        if (octets[i] == '\n') note(i);
    const double secondes = Secondes(t);
    if (lignes != 2 + 47UL * static_cast<size_t>(c.Fiches() + 1))
        c.Erreur("plancher de lecture : nombre de lignes inattendu");
    BenchOutils::Puits(longueurs[lignes / 2]);
    LibereFraiche(octets);
    LibereFraiche(longueurs);
    return secondes;
}

double Lecture(Contexte& c)
{
    QElapsedTimer t;
    t.start();
    Repertoire rep;
    const QString erreur = FichierRep::ChargeRepertoire(c.Chemin(), rep);
    const double secondes = Secondes(t);
    if (!erreur.isEmpty() || rep.NbFiches() != c.Fiches()) c.Erreur("lecture incorrecte");
    return secondes;
}

// Warm: the second run in the same process, after the first one's memory was freed.
double PlancherLectureChaude(Contexte& c)
{
    PlancherLecture(c);
    return PlancherLecture(c);
}

double LectureChaude(Contexte& c)
{
    Lecture(c);
    return Lecture(c);
}

// --- save ------------------------------------------------------------------------------

// Copies a cell sixteen bytes at a time: the book keeps a margin after each row's
// cells and the floors' buffers room past what they hold.
inline char* CopieCellule(char* w, const char* source, size_t n)
{
    for (size_t i = 0; i < n; i += 16)
        std::memcpy(w + i, source + i, 16);
    return w + n;
}

// The same file built from the book the simplest fast way, a block at a time: per
// row its flag, then each cell copied with its line end, a row holding a line break
// folded byte by byte (CR LF or LF to 0x07); each block written as it fills, then
// the same durability as a save (synced, renamed, the folder synced).
double PlancherEcriture(Contexte& c)
{
    const Repertoire& rep = c.Livre();
    QElapsedTimer t;
    t.start();
    BenchOutils::FichierPlancher f(c.Dossier(), "plancher.REP");
    char* w = f.Place(64);
    w += std::sprintf(w, "%d\r\n%d\r\n", rep.NbLignes(), rep.ColonneTri());
    f.Avance(w);
    for (int r = 0; r < rep.NbLignes(); ++r) {
        const Repertoire::VueLigne v = rep.Vue(r);
        const std::string flag = rep.FlagMail(r);
        w = f.Place(flag.size() + v.octets.size() + 2 * NbColonnes + 2 + 16);
        std::memcpy(w, flag.data(), flag.size());
        w += flag.size();
        *w++ = '\r';
        *w++ = '\n';
        const char* o = v.octets.data();
        const bool saut = !v.octets.empty() && std::memchr(o, '\n', v.octets.size());
        for (int col = 0; col < NbColonnes; ++col) {
            const size_t debut = v.Debut(col), fin = v.fins[static_cast<size_t>(col)];
            if (!saut) {
                w = CopieCellule(w, o + debut, fin - debut);
            } else {
                for (size_t i = debut; i < fin; ++i) {
                    if (o[i] == '\r' && i + 1 < fin && o[i + 1] == '\n') continue;
                    *w++ = o[i] == '\n' ? '\a' : o[i];
                }
            }
            *w++ = '\r';
            *w++ = '\n';
        }
        f.Avance(w);
    }
    const bool ok = f.Termine();
    const double secondes = Secondes(t);
    const QByteArray attendu = FichierRep::Serialise(rep);
    if (!ok || !BenchOutils::MemeContenu(f.Chemin(),
                                         std::string_view(attendu.constData(), attendu.size())))
        c.Erreur("plancher d'écriture : fichier différent");
    return secondes;
}

double Ecriture(Contexte& c)
{
    Repertoire& rep = c.Livre();
    QElapsedTimer t;
    t.start();
    const QString erreur =
        FichierRep::EcritRepertoire(c.Dossier() + QStringLiteral("/ecrit.REP"), rep);
    const double secondes = Secondes(t);
    if (!erreur.isEmpty()) c.Erreur(erreur.toStdString());
    return secondes;
}

// --- sort ------------------------------------------------------------------------------

// The row numbers sorted by key with std::sort, then the rows moved once.
double PlancherTri(Contexte& c)
{
    Repertoire& rep = c.Livre();
    const int n = rep.NbFiches();
    QElapsedTimer t;
    t.start();
    std::vector<std::pair<std::string_view, int>> cles;
    cles.reserve(static_cast<size_t>(n));
    for (int i = 1; i <= n; ++i)
        cles.emplace_back(rep.Cellule(Nom, i), i);
    std::sort(cles.begin(), cles.end());
    std::vector<int> ordre;
    ordre.reserve(static_cast<size_t>(n));
    for (const auto& cle : cles)
        ordre.push_back(cle.second);
    rep.Permute(ordre);
    return Secondes(t);
}

double TriLivre(Contexte& c)
{
    Repertoire& rep = c.Livre();
    QElapsedTimer t;
    t.start();
    Tri::TriGrille(rep, Nom);
    const double secondes = Secondes(t);
    for (int r = 2; r <= rep.NbFiches(); ++r)
        if (Tri::CompareCles(rep.Cellule(Nom, r - 1), rep.Cellule(Nom, r)) > 0) {
            c.Erreur("tri : les noms ne sont pas dans l'ordre");
            break;
        }
    return secondes;
}

// --- search ----------------------------------------------------------------------------

const char* const Introuvable = "qxzwkj";

// An as-you-type scan that finds nothing, every field searched. The floor: in each
// row's searched bytes, the first letter's two forms found sixteen bytes at a time
// (the last block read past the cells, into the row's margin, as the book allows),
// each candidate compared (letters a-z folded) and kept only within one cell.
double PlancherRecherche(Contexte& c)
{
    const Repertoire& rep = c.Livre();
    const std::string motif = Introuvable;
    std::string majuscules = motif;
    for (char& o : majuscules)
        if (o >= 'a' && o <= 'z') o = static_cast<char>(o - 32);
    const int derniere = Chercheur::DerniereColonne();
    QElapsedTimer t;
    t.start();
    const __m128i haut = _mm_set1_epi8(majuscules[0]);
    const __m128i bas = _mm_set1_epi8(static_cast<char>(majuscules[0] + 32));
    size_t trouves = 0;
    for (int r = 1; r <= rep.NbFiches(); ++r) {
        const Repertoire::VueLigne v = rep.Vue(r);
        const char* o = v.octets.data();
        const size_t fin = v.fins[derniere];
        const auto verifie = [&](size_t i) {
            if (i + motif.size() > fin) return;
            for (size_t k = 1; k < motif.size(); ++k) {
                char x = o[i + k];
                if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
                if (x != majuscules[k]) return;
            }
            int col = 0;
            while (v.fins[col] <= i)
                ++col;
            if (i + motif.size() <= v.fins[col]) ++trouves;
        };
        // The book keeps a margin after each row's cells: the last block is read
        // whole, the bytes past the cells masked off.
        for (size_t i = 0; i < fin; i += 16) {
            const __m128i bloc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(o + i));
            unsigned masque = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(bloc, haut), _mm_cmpeq_epi8(bloc, bas))));
            if (fin - i < 16) masque &= (1u << (fin - i)) - 1;
            while (masque) {
                verifie(i + static_cast<size_t>(__builtin_ctz(masque)));
                masque &= masque - 1;
            }
        }
    }
    const double secondes = Secondes(t);
    if (trouves) c.Erreur("plancher de recherche : trouvé par erreur");
    BenchOutils::Puits(trouves);
    return secondes;
}

double Recherche(Contexte& c)
{
    const Repertoire& rep = c.Livre();
    const OptionsRecherche options;
    Chercheur chercheur;
    QElapsedTimer t;
    t.start();
    const auto resultat = chercheur.ChercheAvant(rep, options, QString::fromLatin1(Introuvable));
    const double secondes = Secondes(t);
    if (resultat.trouve) c.Erreur("recherche : trouvé par erreur");
    return secondes;
}

// --- fit -------------------------------------------------------------------------------

// Fitting a column on all rows, against the cheapest correct measure of the same
// texts: the width of each distinct character, added up. The font is loaded before
// either is timed.
QFont PoliceGrille()
{
    const QFont police(QStringLiteral("MS Sans Serif"), 8);
    QFontMetricsF(police).horizontalAdvance(QStringLiteral("Mg"));
    return police;
}

double PlancherAjustement(Contexte& c)
{
    const Repertoire& rep = c.Livre();
    const QFont police = PoliceGrille();
    QElapsedTimer t;
    t.start();
    const QFontMetricsF mesure(police);
    std::array<double, 256> avances;
    for (int i = 0; i < 256; ++i) {
        const char octet = static_cast<char>(i);
        const QString u = CodePage::VersUnicode(std::string_view(&octet, 1));
        avances[static_cast<size_t>(i)] =
            mesure.horizontalAdvance(u.isEmpty() ? QChar(i) : u.at(0));
    }
    double largeur = 0;
    for (int r = 0; r <= rep.NbFiches(); ++r) {
        double somme = 0;
        for (char o : rep.Cellule(Adresse1, r))
            somme += avances[static_cast<unsigned char>(o)];
        largeur = std::max(largeur, somme);
    }
    const double secondes = Secondes(t);
    BenchOutils::Puits(static_cast<size_t>(largeur));
    return secondes;
}

double Ajustement(Contexte& c)
{
    const Repertoire& rep = c.Livre();
    const QFont police = PoliceGrille();
    QElapsedTimer t;
    t.start();
    MesureColonne colonne(police);
    const int ajustee = colonne.LargeurMax(rep, Adresse1);
    const double secondes = Secondes(t);
    BenchOutils::Puits(static_cast<size_t>(ajustee));
    return secondes;
}

} // namespace

CARNET_BENCH_PAIRE(load, "load", 10, 3, Lecture, PlancherLecture)
CARNET_BENCH_PAIRE(loadWarm, "load-warm", 11, 3, LectureChaude, PlancherLectureChaude)
CARNET_BENCH_PAIRE(save, "save", 30, 3, Ecriture, PlancherEcriture)
CARNET_BENCH_PAIRE(sort, "sort", 31, 5, TriLivre, PlancherTri)
CARNET_BENCH_PAIRE(search, "search", 40, 3, Recherche, PlancherRecherche)
CARNET_BENCH_PAIRE(fit, "fit", 50, 3, Ajustement, PlancherAjustement)
