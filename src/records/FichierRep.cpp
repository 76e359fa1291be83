#include "FichierRep.h"

#include "Arene.h"
#include "EmpreinteFichier.h"
#include "ErreurSysteme.h"
#include "FichierSur.h"
#include "OuvertureSure.h"
#include "Pliage.h"
#include "TexteTaille.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <emmintrin.h>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

// Where the 46 cell lines of a row lie in a reader's buffer, as offsets from the
// row's first byte: what a refill moves keeps its offsets.
struct LignesFiche {
    std::array<size_t, NbColonnes> lf; // each line's LF (the data's end for a last line without)
    int trouvees = 0;
    size_t vus = 0;       // bytes scanned
    bool bel = false;     // a folded line break (0x07) among them
    bool sansFin = false; // the last line ends with the data, without LF

    // Scans [p + vus, p + fin) until the 46 line ends are found, sixteen bytes at a
    // time: most lines hold a few bytes, one search call each would cost more.
    void Cherche(const char* p, size_t fin)
    {
        size_t i = vus;
        const __m128i lf16 = _mm_set1_epi8('\n');
        const __m128i bel16 = _mm_set1_epi8('\a');
        for (; i + 16 <= fin; i += 16) {
            const __m128i bloc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            unsigned fins = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bloc, lf16)));
            const unsigned bels =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bloc, bel16)));
            while (fins) {
                const unsigned k = static_cast<unsigned>(__builtin_ctz(fins));
                lf[static_cast<size_t>(trouvees++)] = i + k;
                if (trouvees == NbColonnes) {
                    bel = bel || (bels & ((2u << k) - 1));
                    vus = i + k + 1;
                    return;
                }
                fins &= fins - 1;
            }
            bel = bel || bels;
        }
        for (; i < fin; ++i) {
            bel = bel || p[i] == '\a';
            if (p[i] != '\n') continue;
            lf[static_cast<size_t>(trouvees++)] = i;
            if (trouvees == NbColonnes) {
                vus = i + 1;
                return;
            }
        }
        vus = i;
    }
    bool Complete() const { return trouvees == NbColonnes; }
    // At the end of the data: a last line without LF counts when it is not empty.
    bool CompleteALaFin()
    {
        if (Complete()) return true;
        if (trouvees != NbColonnes - 1) return false;
        const size_t debut = lf[NbColonnes - 2] + 1;
        if (vus <= debut) return false;
        lf[NbColonnes - 1] = vus;
        trouvees = NbColonnes;
        sansFin = true;
        return true;
    }
};

// Lines of a file held in memory.
class LecteurOctets
{
public:
    explicit LecteurOctets(const QByteArray& octets)
        : m_p(octets.constData()), m_fin(octets.constData() + octets.size())
    {
    }
    // The next line without its line end; false at the end of the data or when the
    // line is longer than `max` bytes (`tropLongue` then says so).
    bool LitLigne(std::string_view& ligne, size_t max, bool* tropLongue = nullptr)
    {
        if (m_p >= m_fin) return false;
        const size_t dispo = static_cast<size_t>(m_fin - m_p);
        const void* lf = std::memchr(m_p, '\n', std::min(dispo, max + 2));
        const char* q = lf ? static_cast<const char*>(lf) : m_fin;
        size_t n = static_cast<size_t>(q - m_p);
        if (lf && n > 0 && q[-1] == '\r') --n;
        if (n > max) {
            if (tropLongue) *tropLongue = true;
            return false;
        }
        ligne = std::string_view(m_p, n);
        m_p = lf ? q + 1 : m_fin;
        return true;
    }
    int Erreur() const { return 0; }
    // Finds the 46 lines of a row: `debut` then points at its first byte, and
    // `lisible` past the last byte that may be read. Valid until the next call;
    // Avance then passes over the row.
    bool LitCellules(LignesFiche& l, const char*& debut, const char*& lisible)
    {
        l = {};
        l.Cherche(m_p, static_cast<size_t>(m_fin - m_p));
        if (!l.CompleteALaFin()) {
            m_p = m_fin;
            return false;
        }
        debut = m_p;
        lisible = m_fin;
        return true;
    }
    void Avance(size_t n) { m_p += n; }
    // What is left to read, and the end of what may be read: valid until the next call.
    void Donnees(const char*& p, const char*& fin, const char*& lisible) const
    {
        p = m_p;
        fin = lisible = m_fin;
    }

private:
    const char* m_p;
    const char* m_fin;
};

// Lines of an open file, read `bloc` bytes at a time: the whole file is never held
// in memory next to the book built from it. A line handed out stays valid only
// until the next call: the buffer is refilled, moved and grown under it.
class LecteurFichier
{
public:
    LecteurFichier(int fd, size_t bloc, EmpreinteFichier::Calcul* empreinte = nullptr)
        : m_fd(fd), m_bloc(std::max<size_t>(bloc, 1)), m_capacite(m_bloc),
          m_tampon(m_capacite + Repertoire::MargeLecture), m_empreinte(empreinte)
    {
    }
    bool LitLigne(std::string_view& ligne, size_t max, bool* tropLongue = nullptr)
    {
        size_t vus = 0;
        for (;;) {
            const char* p = m_tampon.data() + m_debut;
            const size_t dispo = m_fin - m_debut;
            const void* lf = std::memchr(p + vus, '\n', dispo - vus);
            vus = dispo;
            if (lf || m_finFichier) {
                if (dispo == 0) return false;
                const char* q = lf ? static_cast<const char*>(lf) : p + dispo;
                size_t n = static_cast<size_t>(q - p);
                if (lf && n > 0 && q[-1] == '\r') --n;
                if (n > max) {
                    if (tropLongue) *tropLongue = true;
                    return false;
                }
                ligne = std::string_view(p, n);
                m_debut = lf ? static_cast<size_t>(q + 1 - m_tampon.data()) : m_fin;
                return true;
            }
            // Past the bound (and its CR LF) without a line end: refused before the
            // buffer grows for it.
            if (dispo > max + 1) {
                if (tropLongue) *tropLongue = true;
                return false;
            }
            if (!Remplit()) return false;
        }
    }
    int Erreur() const { return m_erreur; }
    // Finds the 46 lines of a row, reading on as needed: its line ends are found as
    // blocks arrive, so a row longer than many blocks is scanned once. `debut` then
    // points at the row's first byte in the buffer, `lisible` past the last byte
    // that may be read; both are valid until the next call. Avance passes over it.
    bool LitCellules(LignesFiche& l, const char*& debut, const char*& lisible)
    {
        l = {};
        for (;;) {
            l.Cherche(m_tampon.data() + m_debut, m_fin - m_debut);
            if (l.Complete() || (m_finFichier && l.CompleteALaFin())) {
                debut = m_tampon.data() + m_debut;
                lisible = m_tampon.data() + m_tampon.size();
                return true;
            }
            if (m_finFichier || !Remplit()) {
                m_debut = m_fin;
                return false;
            }
        }
    }
    void Avance(size_t n) { m_debut += n; }
    // What is in the buffer and not read yet, and the end of what may be read: valid
    // until the next call.
    void Donnees(const char*& p, const char*& fin, const char*& lisible) const
    {
        p = m_tampon.data() + m_debut;
        fin = m_tampon.data() + m_fin;
        lisible = m_tampon.data() + m_tampon.size();
    }

private:
    // Moves the unread part to the front, grows the buffer for a line longer than
    // it, and reads the next block (offsets from m_debut stay valid). The buffer
    // keeps MargeLecture bytes past its capacity, so cells may be copied a word at
    // a time.
    bool Remplit()
    {
        const size_t reste = m_fin - m_debut;
        if (m_debut > 0) {
            std::memmove(m_tampon.data(), m_tampon.data() + m_debut, reste);
            m_debut = 0;
            m_fin = reste;
        }
        if (m_fin == m_capacite) {
            m_capacite *= 2;
            m_tampon.resize(m_capacite + Repertoire::MargeLecture);
        }
        for (;;) {
            const size_t voulu = std::min(m_bloc, m_capacite - m_fin);
            const ssize_t n = read(m_fd, m_tampon.data() + m_fin, voulu);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                m_erreur = errno;
                return false;
            }
            if (n == 0) m_finFichier = true;
            if (m_empreinte) m_empreinte->Ajoute(m_tampon.data() + m_fin, static_cast<size_t>(n));
            m_fin += static_cast<size_t>(n);
            return true;
        }
    }

    int m_fd;
    size_t m_bloc;
    size_t m_capacite;
    std::vector<char, MemoireGrande::Allocateur<char>> m_tampon;
    size_t m_debut = 0;
    size_t m_fin = 0;
    bool m_finFichier = false;
    int m_erreur = 0;
    EmpreinteFichier::Calcul* m_empreinte; // every byte read is hashed
};

// Line 1 and 2 hold a number of a few digits, a flag line "0" or "1": longer ones
// are refused at once, before any buffer grows for them.
constexpr size_t MaxLigneNombre = 64;
constexpr size_t MaxLigneFlag = 256;

bool LitEntier(std::string_view s, long long& valeur)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    bool negatif = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negatif = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 18) return false;
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    valeur = negatif ? -v : v;
    return true;
}

QString Echec(const QString& chemin, const QString& raison)
{
    return QString::fromUtf8("Impossible de lire le répertoire « %1 » :\n%2").arg(chemin, raison);
}

QString Raison(int erreur)
{
    return ErreurSysteme::Numero(erreur);
}

QString Coupure(long long ligne, long long nbLignes)
{
    if (ligne == 0)
        return QString::fromUtf8("le fichier se termine avant la fin de la ligne des titres.");
    return QString::fromUtf8("le fichier se termine avant la fin de la fiche %1 sur %2.")
        .arg(ligne)
        .arg(nbLignes - 1);
}

bool QueDesBlancs(std::string_view ligne)
{
    for (char c : ligne)
        if (c != '\r' && c != ' ' && c != '\t') return false;
    return true;
}

} // namespace

// The row's cells, copied out of the reader's buffer into the book: its lines
// without their CR LF, each 0x07 turned back into CR LF.
bool FichierRep::Range(Repertoire& rep, Repertoire::Ligne& ligne, const char* p,
                       const char* lisible, const size_t* lf, bool sansFin, bool bel)
{
    // Each line's bounds, the CR before its LF left out.
    std::array<uint32_t, NbColonnes> longueurs;
    size_t taille = 0;
    size_t debut = 0;
    for (size_t c = 0; c < NbColonnes; ++c) {
        size_t fin = lf[c];
        const bool avecLf = !(sansFin && c == NbColonnes - 1);
        if (avecLf && fin > debut && p[fin - 1] == '\r') --fin;
        longueurs[c] = static_cast<uint32_t>(fin - debut);
        taille += fin - debut;
        debut = lf[c] + 1;
    }
    // Offsets are 32-bit; unfolding doubles at most the size.
    if (taille >= std::numeric_limits<uint32_t>::max() / 2) return false;
    if (taille == 0) {
        ligne.Efface();
        return true;
    }
    std::array<uint32_t, NbColonnes> fins;
    if (bel) {
        // Folded line breaks are rare: such a row is unfolded apart.
        std::string deplie;
        deplie.reserve(taille + 64);
        debut = 0;
        for (size_t c = 0; c < NbColonnes; ++c) {
            Pliage::AjouteLigneDepliee(deplie, std::string_view(p + debut, longueurs[c]));
            fins[c] = static_cast<uint32_t>(deplie.size());
            debut = lf[c] + 1;
        }
        if (deplie.empty()) return true;
        const bool larges = Repertoire::Ligne::FinsLarges(deplie.size());
        const size_t tailleFins = Repertoire::Ligne::TailleFins(larges);
        char* bloc = rep.PlaceEnArene(tailleFins + deplie.size(), larges ? 4 : 2);
        for (size_t c = 0; c < NbColonnes; ++c) {
            if (larges)
                reinterpret_cast<uint32_t*>(bloc)[c] = fins[c];
            else
                reinterpret_cast<uint16_t*>(bloc)[c] = static_cast<uint16_t>(fins[c]);
        }
        std::memcpy(bloc + tailleFins, deplie.data(), deplie.size());
        ligne.Pointe(bloc, larges);
        return true;
    }
    const bool larges = Repertoire::Ligne::FinsLarges(taille);
    const size_t tailleFins = Repertoire::Ligne::TailleFins(larges);
    char* bloc = rep.PlaceEnArene(tailleFins + taille, larges ? 4 : 2);
    char* w = bloc + tailleFins;
    uint32_t fin = 0;
    debut = 0;
    for (size_t c = 0; c < NbColonnes; ++c) {
        const uint32_t n = longueurs[c];
        const char* source = p + debut;
        // Sixteen bytes at a time where the buffer has them: the arena keeps room past
        // the row, and what follows overwrites the extra.
        if (n > 0 && source + n + 16 <= lisible) {
            uint32_t i = 0;
            do {
                std::memcpy(w + i, source + i, 16);
                i += 16;
            } while (i < n);
        } else if (n > 0) {
            std::memcpy(w, source, n);
        }
        w += n;
        fin += n;
        if (larges)
            reinterpret_cast<uint32_t*>(bloc)[c] = fin;
        else
            reinterpret_cast<uint16_t*>(bloc)[c] = static_cast<uint16_t>(fin);
        debut = lf[c] + 1;
    }
    ligne.Pointe(bloc, larges);
    return true;
}

// Two tight passes over the row: its 47 line ends (and any folded line break)
// found sixteen bytes at a time, then each line copied straight into the arena a
// word at a time, without a test per line. Any row out of the ordinary (a flag of
// more than a few bytes, a row of 64 KiB or more, many folded line breaks, lines
// past what the buffer holds, an arena too full) is left to Range.
size_t FichierRep::RangeDirect(Repertoire& rep, Repertoire::Ligne& ligne, const char* p,
                               const char* fin, const char* lisible)
{
    Arene* arene = rep.AreneOuverte();
    if (!arene) return 0;
    char* const bloc = arene->Libre(alignof(uint16_t));
    if (!bloc) return 0;
    auto* const fins = reinterpret_cast<uint16_t*>(bloc);
    char* const cellules = bloc + Repertoire::Ligne::TailleFins(false);

    constexpr int NbLignes = NbColonnes + 1; // the flag line, then the cells
    constexpr int MaxBels = 16;
    std::array<size_t, NbLignes> lf;
    std::array<size_t, MaxBels> bels;
    int nbLf = 0, nbBels = 0;
    const size_t n = static_cast<size_t>(fin - p);
    const __m128i lf16 = _mm_set1_epi8('\n');
    const __m128i bel16 = _mm_set1_epi8('\a');
    for (size_t i = 0;; i += 16) {
        if (i >= n || p + i + 16 > lisible) return 0;
        const __m128i octets = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        unsigned mLf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(octets, lf16)));
        unsigned mBel = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(octets, bel16)));
        if (n - i < 16) { // past the data: stale bytes
            mLf &= (1u << (n - i)) - 1;
            mBel &= (1u << (n - i)) - 1;
        }
        for (; mBel; mBel &= mBel - 1) {
            if (nbBels == MaxBels) return 0;
            bels[static_cast<size_t>(nbBels++)] = i + static_cast<size_t>(__builtin_ctz(mBel));
        }
        for (; mLf; mLf &= mLf - 1) {
            lf[static_cast<size_t>(nbLf++)] = i + static_cast<size_t>(__builtin_ctz(mLf));
            if (nbLf == NbLignes) goto trouvees;
        }
    }
trouvees:
    const size_t total = lf[NbLignes - 1] + 1;
    const size_t tailleFlag = lf[0] - (lf[0] > 0 && p[lf[0] - 1] == '\r');
    // Unfolding adds a byte per folded line break; words are read and written past
    // the last line.
    if (tailleFlag > 6 || total + static_cast<size_t>(nbBels) > UINT16_MAX ||
        cellules + total + static_cast<size_t>(nbBels) > arene->Limite() ||
        p + total + 16 > lisible)
        return 0;
    const auto copie = [](char* w, const char* source, size_t longueur) {
        size_t j = 0;
        do {
            std::memcpy(w + j, source + j, 16);
            j += 16;
        } while (j < longueur);
    };
    char* w = cellules;
    size_t debut = lf[0] + 1;
    int b = 0;
    while (b < nbBels && bels[static_cast<size_t>(b)] < debut)
        ++b; // in the flag line, kept as it is
    for (size_t c = 0; c < NbColonnes; ++c) {
        const size_t e = lf[c + 1];
        // The CR before the LF is left out; an empty line's byte before is the LF before.
        const size_t finLigne = e - (p[e - 1] == '\r');
        size_t s = debut;
        for (; b < nbBels && bels[static_cast<size_t>(b)] < finLigne; ++b) {
            const size_t x = bels[static_cast<size_t>(b)];
            copie(w, p + s, x - s);
            w += x - s;
            *w++ = '\r';
            *w++ = '\n';
            s = x + 1;
        }
        copie(w, p + s, finLigne - s);
        w += finLigne - s;
        fins[c] = static_cast<uint16_t>(w - cellules);
        debut = e + 1;
    }
    ligne.SetFlag(std::string_view(p, tailleFlag));
    if (w == cellules) {
        ligne.Efface();
    } else {
        ligne.Pointe(bloc, false);
        arene->Engage(w);
    }
    return total;
}

template <class Lecteur>
QString FichierRep::Analyse(Lecteur& lecteur, long long taille, const QString& chemin,
                            Repertoire& rep, QString* avertissement)
{
    std::string_view ligne;
    bool tropLongue = false;
    long long nbLignes = 0;
    if (!lecteur.LitLigne(ligne, MaxLigneNombre, &tropLongue) || !LitEntier(ligne, nbLignes)) {
        if (lecteur.Erreur()) return Echec(chemin, Raison(lecteur.Erreur()));
        return Echec(chemin, QString::fromUtf8("la ligne 1 ne contient pas un nombre."));
    }
    long long colonneTri = 0;
    if (!lecteur.LitLigne(ligne, MaxLigneNombre, &tropLongue) || !LitEntier(ligne, colonneTri)) {
        if (lecteur.Erreur()) return Echec(chemin, Raison(lecteur.Erreur()));
        return Echec(chemin, QString::fromUtf8("la ligne 2 ne contient pas un nombre."));
    }
    if (nbLignes < 2)
        return Echec(
            chemin,
            QString::fromUtf8("le nombre de lignes annoncé (%1) est inférieur à 2.").arg(nbLignes));
    // Every row takes 47 lines of at least one byte: refuse a count the file
    // cannot hold before reading on.
    const long long maxLignes = taille / (NbColonnes + 1) + 1;
    if (nbLignes > maxLignes || nbLignes > std::numeric_limits<int>::max() / 2)
        return Echec(chemin,
                     QString::fromUtf8(
                         "le fichier annonce %1 lignes, plus que sa taille ne peut en contenir.")
                         .arg(nbLignes));

    // The rows' table and one arena for their cells, sized from the file: the count
    // was checked against its size, and the pages of what is reserved and not used
    // are never touched. A cell holds fewer bytes than its line in the file (or
    // two bytes more per folded line break: further arenas then follow).
    rep.m_lignes.clear();
    rep.m_lignes.reserve(static_cast<size_t>(nbLignes));
    rep.OuvreArene(static_cast<size_t>(taille) +
                   static_cast<size_t>(nbLignes) * (Repertoire::Ligne::TailleFins(false) + 2));
    LignesFiche lignes;
    for (long long r = 0; r < nbLignes; ++r) {
        rep.m_lignes.emplace_back();
        Repertoire::Ligne& l = rep.m_lignes.back();
        {
            const char *p, *fin, *lisible;
            lecteur.Donnees(p, fin, lisible);
            if (const size_t lus = RangeDirect(rep, l, p, fin, lisible)) {
                lecteur.Avance(lus);
                continue;
            }
        }
        // The flag is copied before the cells are read: reading them refills the
        // buffer the line points into.
        if (!lecteur.LitLigne(ligne, MaxLigneFlag, &tropLongue)) {
            if (lecteur.Erreur()) return Echec(chemin, Raison(lecteur.Erreur()));
            if (tropLongue)
                return Echec(chemin, QString::fromUtf8("la ligne de sélection de la fiche %1 "
                                                       "dépasse %2 octets.")
                                         .arg(r)
                                         .arg(MaxLigneFlag));
            return Echec(chemin, Coupure(r, nbLignes));
        }
        l.SetFlag(ligne);
        const char* debut = nullptr;
        const char* lisible = nullptr;
        if (!lecteur.LitCellules(lignes, debut, lisible)) {
            if (lecteur.Erreur()) return Echec(chemin, Raison(lecteur.Erreur()));
            return Echec(chemin, Coupure(r, nbLignes));
        }
        if (!Range(rep, l, debut, lisible, lignes.lf.data(), lignes.sansFin, lignes.bel))
            return Echec(chemin, QString::fromUtf8("une fiche dépasse 2 Go."));
        lecteur.Avance(lignes.vus);
    }
    // What follows the announced rows is not part of the book: a save would drop it.
    bool surplus = false;
    // Scanned a bounded line at a time: a huge tail is looked at, not gathered.
    while (!surplus && !tropLongue && lecteur.LitLigne(ligne, MaxLigneFlag, &tropLongue))
        surplus = !QueDesBlancs(ligne);
    surplus = surplus || tropLongue;
    if (lecteur.Erreur()) return Echec(chemin, Raison(lecteur.Erreur()));
    if (surplus && avertissement)
        *avertissement =
            QString::fromUtf8("Le répertoire « %1 » contient des données au-delà des %2 fiches "
                              "qu'il annonce.\nCes données ne sont pas affichées, et "
                              "l'enregistrement ne les conservera pas.")
                .arg(chemin)
                .arg(nbLignes - 1);
    rep.SetColonneTri(
        static_cast<int>(colonneTri >= 0 && colonneTri < NbColonnes ? colonneTri : 0));
    rep.SetFichierCourant(chemin);
    rep.SetModifie(false);
    return {};
}

// Parses into a fresh book, so the one open stays as it was on failure; a lack of
// memory is a failure like the others.
template <class Lecteur>
QString FichierRep::AnalyseDans(Lecteur& lecteur, long long taille, const QString& chemin,
                                Repertoire& resultat, QString* avertissement)
{
    try {
        Repertoire rep;
        QString avis;
        const QString erreur = Analyse(lecteur, taille, chemin, rep, &avis);
        if (!erreur.isEmpty()) return erreur;
        resultat = std::move(rep);
        if (avertissement) *avertissement = avis;
        return {};
    } catch (const std::bad_alloc&) {
        return Echec(chemin, QString::fromUtf8("mémoire insuffisante pour ce fichier."));
    }
}

qint64 FichierRep::TailleMax()
{
    // A row's cells are addressed with 32-bit offsets, and the book takes about as
    // much memory as the file, more while it is shown.
    const qint64 adressable = (qint64(1) << 32) - 1;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page <= 0) return adressable;
    return std::min(adressable, static_cast<qint64>(pages) * page / 3);
}

QString FichierRep::ChargeRepertoire(const QString& chemin, Repertoire& resultat,
                                     QString* avertissement, qint64 tailleMax, size_t bloc,
                                     EmpreinteFichier* empreinte)
{
    if (tailleMax < 0) tailleMax = TailleMax();
    QString raison;
    int64_t taille = 0;
    const int fd = OuvertureSure::Ouvre(chemin, &raison, &taille);
    if (fd < 0) return Echec(chemin, raison);
    if (taille > tailleMax) {
        close(fd);
        return Echec(
            chemin,
            QString::fromUtf8("le fichier fait %1 ; un répertoire ne peut dépasser "
                              "%2 sur cet ordinateur (la mémoire nécessaire grandit "
                              "avec le fichier, et une fiche est limitée à 4 Go).")
                .arg(TexteTaille::Mo(taille, tailleMax), TexteTaille::Mo(tailleMax, taille)));
    }
    // The stamp: the identity before the first byte, then every byte as it is read.
    std::optional<EmpreinteFichier::Calcul> calcul;
    struct stat etat;
    if (empreinte) {
        *empreinte = {};
        if (fstat(fd, &etat) == 0) calcul.emplace().Identite(etat);
    }
    LecteurFichier lecteur(fd, bloc, calcul ? &*calcul : nullptr);
    const QString erreur = AnalyseDans(lecteur, taille, chemin, resultat, avertissement);
    // A tail the parser left unread counts too; unread, the stamp stays invalid.
    if (erreur.isEmpty() && calcul && calcul->LitReste(fd)) *empreinte = calcul->Termine();
    close(fd);
    return erreur;
}

QString FichierRep::ChargeDepuisOctets(const QByteArray& octets, const QString& chemin,
                                       Repertoire& resultat, QString* avertissement)
{
    LecteurOctets lecteur(octets);
    return AnalyseDans(lecteur, octets.size(), chemin, resultat, avertissement);
}

// The file's bytes, a block at a time: each block goes to `sortie` (a callable
// taking a pointer and a size, returning false to stop) as soon as it is full, so
// the whole file never sits in memory. The byte loops below must stay loops: made
// into memcpy calls, they would cost more.
template <class Sortie>
__attribute__((optimize("no-tree-loop-distribute-patterns"))) bool
FichierRep::Produit(const Repertoire& rep, Sortie&& sortie)
{
    constexpr size_t Bloc = 1 << 20;
    std::vector<char> tampon(Bloc);
    char* p = tampon.data();
    const auto vide = [&]() {
        const bool ok = sortie(tampon.data(), static_cast<size_t>(p - tampon.data()));
        p = tampon.data();
        return ok;
    };
    // Room for `n` more bytes: the block is written out first, or grown for a row
    // larger than a block. Folding only shrinks, so a row's size bounds its output.
    const auto place = [&](size_t n) {
        if (static_cast<size_t>(tampon.data() + tampon.size() - p) >= n) return true;
        if (!vide()) return false;
        if (tampon.size() < n) {
            tampon.resize(n);
            p = tampon.data();
        }
        return true;
    };
    const auto ajouteTexte = [&p](const std::string& t) {
        std::memcpy(p, t.data(), t.size());
        p += t.size();
        *p++ = '\r';
        *p++ = '\n';
    };
    // A CR LF pair becomes 0x07, and so does a lone LF, the one byte that would
    // break the line; a lone CR is written as it is.
    const auto ajoutePlie = [&p](const char* d, const char* f) {
        while (d < f) {
            const char c = *d++;
            if (c == '\r' && d < f && *d == '\n') {
                ++d;
                *p++ = '\a';
            } else if (c == '\n') {
                *p++ = '\a';
            } else {
                *p++ = c;
            }
        }
        *p++ = '\r';
        *p++ = '\n';
    };
    place(64);
    ajouteTexte(std::to_string(rep.NbLignes()));
    ajouteTexte(std::to_string(rep.ColonneTri()));
    for (const auto& l : rep.m_lignes) {
        const std::string_view octets = l.Octets();
        const Repertoire::Fins fins = l.LesFins();
        const std::string_view flag = l.Flag();
        if (!place(octets.size() + flag.size() + 2 * (NbColonnes + 1))) return false;
        ajoutePlie(flag.data(), flag.data() + flag.size());
        const bool saut =
            !octets.empty() && std::memchr(octets.data(), '\n', octets.size()) != nullptr;
        uint32_t debut = 0;
        for (int c = 0; c < NbColonnes; ++c) {
            const uint32_t fin = fins[c];
            if (saut) {
                ajoutePlie(octets.data() + debut, octets.data() + fin);
            } else {
                // Most cells hold a few bytes: copied here, they cost less than a
                // call to memcpy each.
                const char* source = octets.data() + debut;
                const uint32_t n = fin - debut;
                if (n > 16) {
                    std::memcpy(p, source, n);
                    p += n;
                } else {
                    for (uint32_t k = 0; k < n; ++k)
                        *p++ = source[k];
                }
                *p++ = '\r';
                *p++ = '\n';
            }
            debut = fin;
        }
    }
    return vide();
}

QByteArray FichierRep::Serialise(const Repertoire& rep)
{
    QByteArray sortie;
    Produit(rep, [&sortie](const char* o, size_t n) {
        sortie.append(o, static_cast<qsizetype>(n));
        return true;
    });
    return sortie;
}

QString FichierRep::EcritRepertoire(const QString& chemin, Repertoire& rep,
                                    EmpreinteFichier* empreinte)
{
    EcritureSure fichier(chemin);
    std::optional<EmpreinteFichier::Calcul> calcul;
    if (empreinte) calcul.emplace();
    Produit(rep, [&fichier, &calcul](const char* o, size_t n) {
        if (calcul) calcul->Ajoute(o, n);
        return fichier.Ecrit(o, n);
    });
    const QString raison = fichier.Termine();
    if (!raison.isEmpty())
        return QString::fromUtf8("Impossible d'enregistrer le répertoire « %1 » :\n%2")
            .arg(chemin, raison);
    rep.SetModifie(false);
    if (calcul) *empreinte = calcul->Termine(chemin);
    return {};
}
