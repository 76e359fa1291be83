// Export and import of the whole book against their floors, the memory an import
// takes on top of the book, and the association dialog's opening.
#include "BenchOutils.h"

#include "exchange/AssociationChamps.h"
#include "exchange/Exportation.h"
#include "exchange/Importation.h"
#include "exchange/LectureImport.h"
#include "exchange/TAsso.h"
#include "exchange/TableImport.h"
#include "records/CodePage.h"
#include "records/FichierSur.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <array>
#include <cstring>
#include <emmintrin.h>
#include <fcntl.h>
#include <malloc.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using BenchOutils::Contexte;

namespace
{

// --- export ----------------------------------------------------------------------------

// The same file built from the book the simplest fast way, a block at a time, with
// the same durability (temporary file synced, renamed, folder synced).
//
// ";" file: each cell copied sixteen bytes at a time (the book keeps a margin after
// each row's cells), ";" between them, CR LF after the row; a cell holding a CR
// folded byte by byte (CR LF to a space).
//
// Standard CSV: the UTF-8 mark, then each cell looked at sixteen bytes at a time for
// what needs quotes ("," '"' CR LF) or conversion (bytes from 0x80): a plain ASCII
// cell is copied as above, another converted a byte at a time through a table of the
// 256 bytes' UTF-8 forms, quoted with its quotes doubled when it needs it.
char* CopieCellule(char* w, const char* source, size_t n)
{
    for (size_t i = 0; i < n; i += 16)
        std::memcpy(w + i, source + i, 16);
    return w + n;
}

struct TableUtf8 {
    std::array<std::array<char, 4>, 256> octets{};
    std::array<unsigned char, 256> longueur{};
    TableUtf8()
    {
        for (int i = 0; i < 256; ++i) {
            const char o = static_cast<char>(i);
            const QByteArray u = CodePage::VersUnicode(std::string_view(&o, 1)).toUtf8();
            std::memcpy(octets[static_cast<size_t>(i)].data(), u.constData(),
                        static_cast<size_t>(u.size()));
            longueur[static_cast<size_t>(i)] = static_cast<unsigned char>(u.size());
        }
    }
};

double PlancherExport(Contexte& c, TypeFichier type)
{
    const Repertoire& rep = c.Livre();
    const TableUtf8 table;
    const bool standard = type == TypeFichier::CsvStandard;
    const char separateur = standard ? ',' : ';';
    const __m128i virgule = _mm_set1_epi8(','), guillemet = _mm_set1_epi8('"'),
                  cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    QElapsedTimer t;
    t.start();
    BenchOutils::FichierPlancher f(c.Dossier(), "plancher.CSV");
    if (standard) {
        char* w = f.Place(3);
        std::memcpy(w, "\xEF\xBB\xBF", 3);
        f.Avance(w + 3);
    }
    for (int r = 0; r < rep.NbLignes(); ++r) {
        const Repertoire::VueLigne v = rep.Vue(r);
        const char* o = v.octets.data();
        char* w = f.Place(3 * v.octets.size() + 3 * NbColonnes + 2 + 16);
        const bool retour = !standard && !v.octets.empty() && std::memchr(o, '\r', v.octets.size());
        for (int col = 0; col < NbColonnes; ++col) {
            if (col > 0) *w++ = separateur;
            const size_t debut = v.Debut(col), fin = v.fins[static_cast<size_t>(col)];
            const size_t n = fin - debut;
            const char* cellule = o + debut;
            if (!standard) {
                if (!retour || !std::memchr(cellule, '\r', n)) {
                    w = CopieCellule(w, cellule, n);
                    continue;
                }
                for (size_t i = 0; i < n; ++i) {
                    if (cellule[i] == '\r' && i + 1 < n && cellule[i + 1] == '\n') {
                        *w++ = ' ';
                        ++i;
                    } else {
                        *w++ = cellule[i];
                    }
                }
                continue;
            }
            unsigned speciaux = 0, hauts = 0;
            for (size_t i = 0; i < n; i += 16) {
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cellule + i));
                const unsigned garde = n - i < 16 ? (1u << (n - i)) - 1 : 0xFFFFu;
                speciaux |=
                    garde &
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
                        _mm_or_si128(_mm_cmpeq_epi8(b, virgule), _mm_cmpeq_epi8(b, guillemet)),
                        _mm_or_si128(_mm_cmpeq_epi8(b, cr), _mm_cmpeq_epi8(b, lf)))));
                hauts |= garde & static_cast<unsigned>(_mm_movemask_epi8(b));
            }
            if (!speciaux && !hauts) {
                w = CopieCellule(w, cellule, n);
                continue;
            }
            if (speciaux) *w++ = '"';
            for (size_t i = 0; i < n; ++i) {
                const auto octet = static_cast<unsigned char>(cellule[i]);
                if (octet == '"') *w++ = '"';
                std::memcpy(w, table.octets[octet].data(), 4);
                w += table.longueur[octet];
            }
            if (speciaux) *w++ = '"';
        }
        *w++ = '\r';
        *w++ = '\n';
        f.Avance(w);
    }
    const bool ok = f.Termine();
    const double secondes = Secondes(t);
    if (!ok || !BenchOutils::MemeContenu(f.Chemin(), Exportation::Octets(rep, type)))
        c.Erreur("plancher d'export : fichier différent");
    return secondes;
}

double Export(Contexte& c, TypeFichier type)
{
    const Repertoire& livre = c.Livre();
    QElapsedTimer t;
    t.start();
    const QString erreur =
        Exportation::ExportAddressBook(c.Dossier() + QStringLiteral("/export.CSV"), livre, type);
    const double secondes = Secondes(t);
    if (!erreur.isEmpty()) c.Erreur(erreur.toStdString());
    return secondes;
}

// --- import ----------------------------------------------------------------------------

// The program's own ";" export of the book, written untimed beside the process.
QString FichierImport(Contexte& c)
{
    const QString chemin = c.Dossier() + QStringLiteral("/import.CSV");
    const QString erreur = Exportation::ExportAddressBook(chemin, c.Livre(), TypeFichier::Csv);
    if (!erreur.isEmpty()) c.Erreur(erreur.toStdString());
    return chemin;
}

// Fresh memory in large pages, never given back: a floor's own buffer.
char* Zone(size_t taille)
{
    constexpr size_t Grande = size_t(2) << 20;
    const size_t reservee = (taille + 2 * Grande) & ~(Grande - 1);
    void* zone =
        mmap(nullptr, reservee, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    char* debut = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(zone) + Grande - 1) &
                                          ~uintptr_t(Grande - 1));
    madvise(debut, reservee - Grande, MADV_HUGEPAGE);
    return debut;
}

// Valid UTF-8 with at least one non-ASCII byte: ASCII runs passed sixteen bytes at a
// time, each other sequence checked.
bool Utf8(const unsigned char* p, size_t n)
{
    bool nonAscii = false;
    size_t i = 0;
    while (i < n) {
        if (i + 16 <= n &&
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i))) == 0) {
            i += 16;
            continue;
        }
        const unsigned char o = p[i];
        if (o < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        size_t l = o >= 0xC2 && o <= 0xDF   ? 2
                   : o >= 0xE0 && o <= 0xEF ? 3
                   : o >= 0xF0 && o <= 0xF4 ? 4
                                            : 0;
        if (!l || i + l > n) return false;
        for (size_t k = 1; k < l; ++k)
            if ((p[i + k] & 0xC0) != 0x80) return false;
        i += l;
    }
    return nonAscii;
}

// Read into fresh memory, the encoding decided over every byte, then each line's
// cells found (";" and line ends, sixteen bytes at a time) and stored as the book
// holds them: one row's bytes end to end after the ends of its 46 cells, CR and
// NUL dropped, rows one after the other in fresh memory.
double PlancherImport(Contexte& c)
{
    const QString chemin = FichierImport(c);
    QElapsedTimer t;
    t.start();
    const int fd = open(QFile::encodeName(chemin).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {
    };
    fstat(fd, &st);
    const size_t taille = static_cast<size_t>(st.st_size);
    char* octets = Zone(taille + 16);
    size_t lus = 0;
    for (;;) {
        const ssize_t n = read(fd, octets + lus, taille - lus + 1);
        if (n <= 0) break;
        lus += static_cast<size_t>(n);
    }
    close(fd);
    const bool utf8 = Utf8(reinterpret_cast<const unsigned char*>(octets), lus);
    char* lignes = Zone(lus + lus / 4 + (64 << 10));
    char* w = lignes;
    uint32_t* fins = nullptr;
    int colonne = 0;
    uint32_t fin = 0;
    size_t nbLignes = 0;
    const auto nouvelleLigne = [&] {
        w = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(w) + 3) & ~uintptr_t(3));
        fins = reinterpret_cast<uint32_t*>(w);
        w += 46 * sizeof(uint32_t);
        colonne = 0;
        fin = 0;
        ++nbLignes;
    };
    nouvelleLigne();
    const __m128i pv = _mm_set1_epi8(';');
    const __m128i lf = _mm_set1_epi8('\n');
    size_t debut = 0;
    const auto coupe = [&](size_t i, bool finLigne) {
        size_t n = i - debut;
        if (finLigne && n > 0 && octets[i - 1] == '\r') --n;
        if (colonne < 46) {
            std::memcpy(w, octets + debut, n);
            w += n;
            fin += static_cast<uint32_t>(n);
            fins[colonne++] = fin;
        }
        debut = i + 1;
        if (finLigne) {
            for (; colonne < 46; ++colonne)
                fins[colonne] = fin;
            nouvelleLigne();
        }
    };
    size_t i = 0;
    for (; i + 16 <= lus; i += 16) {
        const __m128i bloc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(octets + i));
        const unsigned mpv = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bloc, pv)));
        const unsigned mlf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bloc, lf)));
        unsigned masque = mpv | mlf;
        while (masque) {
            const unsigned k = static_cast<unsigned>(__builtin_ctz(masque));
            coupe(i + k, (mlf >> k) & 1);
            masque &= masque - 1;
        }
    }
    for (; i < lus; ++i)
        if (octets[i] == ';' || octets[i] == '\n') coupe(i, octets[i] == '\n');
    const double secondes = Secondes(t);
    if (nbLignes != static_cast<size_t>(c.Fiches()) + 2 || utf8)
        c.Erreur("plancher d'import : lignes ou encodage inattendus");
    BenchOutils::Puits(static_cast<size_t>(w - lignes));
    return secondes;
}

// Bytes the allocator hands out now: unlike the resident size, not hidden by
// memory that earlier measures freed and the allocator kept.
double EnService()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd);
}

// Read, split, stage and append with every field associated.
double Import(Contexte& c)
{
    const QString chemin = FichierImport(c);
    const double tailleFichier = static_cast<double>(QFile(chemin).size());
    if (tailleFichier > static_cast<double>(LectureImport::DuLivre().octets)) {
        c.Erreur("import : fichier refusé");
        return 0;
    }
    AssociationChamps identite;
    for (int col = 0; col < NbColonnes; ++col)
        identite.Associe(col, col);
    const int attendues = c.Livre().NbLignes();
    Repertoire rep;
    QElapsedTimer t;
    t.start();
    double avecTable = 0;
    double secondes = 0;
    {
        TableImport table;
        const QString erreur =
            LectureImport::ReadDelimitedFile(chemin, TypeFichier::Csv, table, nullptr);
        Importation::AppendImportedRecords(rep, table, identite);
        secondes = Secondes(t);
        avecTable = EnService();
        if (!erreur.isEmpty() || rep.NbFiches() != attendues) c.Erreur("import incorrect");
    }
    // The most the import holds on top of the book it leaves: the staging table
    // while the records are appended.
    const double pic = avecTable - EnService();
    char note[128];
    std::snprintf(note, sizeof note, "import_memory %.1f %.1f %.2f", pic / 1e6, tailleFichier / 1e6,
                  pic / tailleFichier);
    c.Note(note);
    return secondes;
}

// The association dialog on a file of as many lines as the book.
void Association(const Repertoire& livre, const QString& dossier)
{
    const QString chemin = dossier + QStringLiteral("/asso.CSV");
    Exportation::ExportAddressBook(chemin, livre, TypeFichier::Csv);
    TableImport table;
    LectureImport::ReadDelimitedFile(chemin, TypeFichier::Csv, table, nullptr);
    std::vector<std::string> titres;
    for (int col = 0; col < NbColonnes; ++col)
        titres.emplace_back(livre.Cellule(col, 0));
    TAsso asso;
    QElapsedTimer t;
    t.start();
    asso.Prepare(titres, table);
    asso.show();
    QCoreApplication::processEvents();
    std::printf("asso_open %.4f\n", Secondes(t));
    asso.EndBtnClick();
    asso.hide();
}

} // namespace

CARNET_BENCH_PAIRE(
    exportCsv, "export", 70, 3, [](Contexte& c) { return Export(c, TypeFichier::Csv); },
    [](Contexte& c) { return PlancherExport(c, TypeFichier::Csv); })
CARNET_BENCH_PAIRE(
    exportUtf8, "export-utf8", 71, 3,
    [](Contexte& c) { return Export(c, TypeFichier::CsvStandard); },
    [](Contexte& c) { return PlancherExport(c, TypeFichier::CsvStandard); })
CARNET_BENCH_PAIRE(import, "import", 72, 3, Import, PlancherImport)
CARNET_BENCH(asso_open, Association)
