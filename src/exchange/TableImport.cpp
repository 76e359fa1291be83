#include "TableImport.h"

#include "records/Repertoire.h"
#include "records/TexteTaille.h"

#include <QLocale>
#include <QtGlobal>
#include <algorithm>
#include <array>
#include <cstring>
#include <emmintrin.h>

namespace
{
// The high bit of every zero byte of `x`, and of no other.
inline uint64_t NulsExacts(uint64_t x)
{
    constexpr uint64_t Bas = 0x7F7F7F7F7F7F7F7FULL;
    return ~(((x & Bas) + Bas) | x | Bas);
}
// The lowest set byte is the first in memory only on a little-endian machine.
constexpr bool MotParMot = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;

QString Nombre(int64_t n)
{
    return QLocale(QLocale::French, QLocale::France).toString(static_cast<qlonglong>(n));
}
} // namespace

// Builds the table while the cells are written into the buffer: line starts,
// the column count fixed by the first line, and the limits. The splitters write
// a NUL after each kept cell but the last of a line.
class TableImport::Constructeur
{
public:
    Constructeur(TableImport& t, int64_t maxLignes)
        : m_t(t), m_maxLignes(std::max<int64_t>(maxLignes, 0))
    {
        m_t.m_lignes.assign(1, 0);
        m_t.m_colonnes = 1;
        m_t.m_titres = false;
    }

    // Room for every line at once: growing by steps would copy the index several
    // times. Returns the number of LF bytes.
    size_t Reserve(std::string_view octets)
    {
        const auto lf = static_cast<size_t>(std::count(octets.begin(), octets.end(), '\n'));
        m_t.m_lignes.reserve(std::min<size_t>(lf + 1, static_cast<size_t>(m_maxLignes)) + 2);
        return lf;
    }

    // The file has `lignes` lines, found before reading it: past the limit, it is
    // refused without storing any.
    bool Annonce(int64_t lignes)
    {
        if (lignes <= m_maxLignes) return true;
        m_lignesComptees = lignes;
        return false;
    }

    // Whether bytes of the current column are kept: it lies within the columns,
    // and the file has not yet passed the lines allowed (then lines are only counted).
    bool Garde() const { return m_colonne < m_t.m_colonnes && !CompteSeul(); }
    bool CompteSeul() const { return m_lignesComptees > 0; }

    // Ends a cell at a separator; the splitter has written the NUL before `fin`
    // when the cell was kept. False when a limit is passed.
    bool FinCellule(size_t fin)
    {
        if (CompteSeul()) return true;
        if (m_colonne < m_t.m_colonnes) {
            if (fin - 1 - m_debutCellule > MaxCellule) return Echec(TropLong);
            m_debutCellule = fin;
        }
        ++m_colonne;
        if (!m_premiereFaite) {
            if (m_t.m_colonnes >= MaxColonnes) return Echec(TropDeColonnes);
            ++m_t.m_colonnes;
        }
        return true;
    }

    // Ends a line whose bytes end at `fin` in `base`; `fin` moves back over the
    // trailing empty cells, which read as empty anyway.
    bool FinLigne(const char* base, size_t& fin)
    {
        if (CompteSeul()) return Compte();
        if (m_colonne < m_t.m_colonnes && fin - m_debutCellule > MaxCellule) return Echec(TropLong);
        while (fin > m_debutLigne && base[fin - 1] == '\0')
            --fin;
        if (fin > MaxOctets) return Echec(TropGrand);
        if (static_cast<int64_t>(m_t.NbLignes()) >= m_maxLignes) {
            // The file is refused; the rest is only counted, to say how many lines it has.
            m_lignesComptees = m_t.NbLignes();
            m_t.m_lignes.clear();
            m_t.m_lignes.shrink_to_fit();
            return Compte();
        }
        m_t.m_lignes.push_back(static_cast<uint32_t>(fin));
        m_premiereFaite = true;
        m_colonne = 0;
        m_debutCellule = m_debutLigne = fin;
        return true;
    }

    // The cell being read has reached `fin` bytes: checked now so that one
    // endless field cannot fill the memory before its end.
    bool Surveille(size_t fin)
    {
        if (fin - m_debutCellule > MaxCellule) return Echec(TropLong);
        return fin <= MaxOctets || Echec(TropGrand);
    }

    QString Termine(std::string& octets, size_t taille)
    {
        if (m_erreur.isEmpty() && CompteSeul()) {
            const QString lignes =
                m_lignesComptees == 1
                    ? QString::fromUtf8("le fichier compte 1 ligne, soit une fiche à ajouter")
                    : QString::fromUtf8("le fichier compte %1 lignes, soit autant de fiches à "
                                        "ajouter")
                          .arg(Nombre(m_lignesComptees));
            m_erreur = m_maxLignes == 0
                           ? QString::fromUtf8("%1 : le répertoire ne peut plus en recevoir sur "
                                               "cet ordinateur.")
                                 .arg(lignes)
                           : QString::fromUtf8("%1 : le répertoire ne peut en recevoir que %2 de "
                                               "plus sur cet ordinateur.")
                                 .arg(lignes, Nombre(m_maxLignes));
        }
        if (!m_erreur.isEmpty()) {
            m_t.Vide();
            return m_erreur;
        }
        // Cells are followed by bytes that may be read past them (never used), so
        // that rows are filled and lines split a word at a time.
        octets.resize(taille);
        octets.append(Repertoire::MargeLecture, '\0');
        // Copying to a tight buffer costs more time than the little it saves,
        // unless much was dropped (many separators, fields past the columns).
        if (octets.capacity() - octets.size() > octets.size() / 2) octets.shrink_to_fit();
        m_t.m_octets = std::move(octets);
        if (m_t.m_lignes.size() < 2) m_t.m_lignes.push_back(0); // an empty file: one empty line
        if (m_t.m_lignes.capacity() - m_t.m_lignes.size() > m_t.m_lignes.size() / 2)
            m_t.m_lignes.shrink_to_fit();
        return {};
    }

private:
    enum Raison { TropDeColonnes, TropLong, TropGrand };
    bool Compte()
    {
        ++m_lignesComptees;
        return true;
    }
    bool Echec(Raison r)
    {
        if (!m_erreur.isEmpty()) return false;
        switch (r) {
        case TropDeColonnes:
            m_erreur =
                QString::fromUtf8("la première ligne compte plus de %1 champs : ce n'est pas "
                                  "un fichier d'adresses.")
                    .arg(MaxColonnes);
            break;
        case TropLong:
            m_erreur = QString::fromUtf8("la ligne %1 contient un champ de plus de %2 : ce n'est "
                                         "pas un fichier d'adresses.")
                           .arg(Nombre(m_t.NbLignes() + 1), TexteTaille::Mo(MaxCellule));
            break;
        case TropGrand:
            m_erreur = QString::fromUtf8("une fois lu, le fichier dépasse %1 : il est trop grand "
                                         "pour être importé.")
                           .arg(TexteTaille::Mo(static_cast<int64_t>(MaxOctets)));
            break;
        }
        return false;
    }

    TableImport& m_t;
    const int64_t m_maxLignes;
    int64_t m_lignesComptees = 0;
    int m_colonne = 0;
    bool m_premiereFaite = false;
    size_t m_debutCellule = 0;
    size_t m_debutLigne = 0;
    QString m_erreur;
};

TableImport::TableImport()
{
    Vide();
}

void TableImport::Vide()
{
    m_octets.assign(Repertoire::MargeLecture, '\0');
    m_lignes = {0, 0};
    m_colonnes = 1;
    m_titres = false;
}

void TableImport::CellulesLigne(int ligne, std::string_view* cellules) const
{
    const char* const base = m_octets.data();
    const char* debut = base + m_lignes.at(static_cast<size_t>(ligne));
    const char* const fin = base + m_lignes.at(static_cast<size_t>(ligne) + 1);
    int c = 0;
    const char* p = debut;
    // Eight bytes at a time: the buffer holds a margin past its last line, and a
    // NUL found past the line's end is not this line's.
    if (MotParMot) {
        while (p < fin && c < m_colonnes - 1) {
            uint64_t mot;
            std::memcpy(&mot, p, 8);
            uint64_t nuls = NulsExacts(mot);
            while (nuls) {
                const char* const nul = p + (__builtin_ctzll(nuls) >> 3);
                if (nul >= fin || c == m_colonnes - 1) break;
                cellules[c++] = std::string_view(debut, static_cast<size_t>(nul - debut));
                debut = nul + 1;
                nuls &= nuls - 1;
            }
            p += 8;
        }
    } else {
        while (c < m_colonnes - 1) {
            const auto* nul = static_cast<const char*>(
                std::memchr(debut, '\0', static_cast<size_t>(fin - debut)));
            if (!nul) break;
            cellules[c++] = std::string_view(debut, static_cast<size_t>(nul - debut));
            debut = nul + 1;
        }
    }
    cellules[c++] =
        std::string_view(debut, static_cast<size_t>(std::max(fin - debut, ptrdiff_t(0))));
    for (; c < m_colonnes; ++c)
        cellules[c] = std::string_view();
}

std::string_view TableImport::Cellule(int colonne, int ligne) const
{
    if (ligne < 0 || ligne >= NbLignes() || colonne < 0 || colonne >= m_colonnes) return {};
    const char* debut = m_octets.data() + m_lignes[static_cast<size_t>(ligne)];
    const char* const fin = m_octets.data() + m_lignes[static_cast<size_t>(ligne) + 1];
    for (int c = 0; c < colonne; ++c) {
        const auto* nul =
            static_cast<const char*>(std::memchr(debut, '\0', static_cast<size_t>(fin - debut)));
        if (!nul) return {};
        debut = nul + 1;
    }
    const auto* nul =
        static_cast<const char*>(std::memchr(debut, '\0', static_cast<size_t>(fin - debut)));
    return std::string_view(debut, static_cast<size_t>((nul ? nul : fin) - debut));
}

size_t TableImport::OctetsUtilises() const
{
    return m_octets.capacity() + sizeof(uint32_t) * m_lignes.capacity();
}

QString TableImport::Decoupe(std::string&& octets, char separateur, int64_t maxLignes)
{
    Constructeur c(*this, maxLignes);
    const size_t lf = c.Reserve(octets);
    // The bytes that stay in cells move down over the line ends; a separator
    // becomes a NUL, which no cell holds.
    char* const base = octets.data();
    const size_t n = octets.size();
    // Every LF ends a line, and anything but CR or NUL after the last one makes one
    // more: a file of too many lines is refused before it is split.
    const auto DerniereEntamee = [base](size_t debut, size_t fin) {
        const char* dernier = base + fin;
        while (dernier > base + debut && dernier[-1] != '\n')
            --dernier;
        return std::any_of(dernier, static_cast<const char*>(base + fin),
                           [](char o) { return o != '\r' && o != '\0'; });
    };
    // Whether bytes or separators follow the last line end: they make one line more.
    const bool entamee = DerniereEntamee(0, n);
    if (!c.Annonce(static_cast<int64_t>(lf) + (entamee ? 1 : 0))) return c.Termine(octets, 0);
    const __m128i vSeparateur = _mm_set1_epi8(separateur);
    const __m128i vCr = _mm_set1_epi8('\r');
    const __m128i vLf = _mm_set1_epi8('\n');
    const __m128i vNul = _mm_setzero_si128();
    size_t w = 0;
    size_t r = 0;
    while (r < n) {
        if (!c.Garde()) {
            // Fields beyond the first line's count: skipped up to the line end.
            const void* lf = std::memchr(base + r, '\n', n - r);
            if (!lf) break;
            r = static_cast<size_t>(static_cast<const char*>(lf) - base) + 1;
            if (!c.FinLigne(base, w)) return c.Termine(octets, 0);
            continue;
        }
        if (r + 16 <= n) {
            // Sixteen bytes at a time: the block is written back where the kept bytes
            // go (never past the reading point), each separator in it becomes a NUL;
            // at the first byte dropped (CR, NUL, LF) the rest of the block is read
            // again from its new place.
            const __m128i bloc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + r));
            unsigned masque = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(bloc, vSeparateur), _mm_cmpeq_epi8(bloc, vCr)),
                _mm_or_si128(_mm_cmpeq_epi8(bloc, vLf), _mm_cmpeq_epi8(bloc, vNul)))));
            alignas(16) char lu[16];
            _mm_store_si128(reinterpret_cast<__m128i*>(lu), bloc);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(base + w), bloc);
            if (!masque) {
                r += 16;
                w += 16;
                if (!c.Surveille(w)) return c.Termine(octets, 0);
                continue;
            }
            const size_t r0 = r, w0 = w;
            r += 16;
            w += 16;
            while (masque) {
                const size_t k = static_cast<size_t>(__builtin_ctz(masque));
                masque &= masque - 1;
                if (lu[k] == separateur) {
                    base[w0 + k] = '\0';
                    if (!c.FinCellule(w0 + k + 1)) return c.Termine(octets, 0);
                    if (c.Garde()) continue;
                    r = r0 + k + 1;
                    w = w0 + k + 1;
                    break;
                }
                r = r0 + k + 1;
                w = w0 + k;
                if (lu[k] == '\n' && !c.FinLigne(base, w)) return c.Termine(octets, 0);
                break;
            }
            // The block written back may have covered bytes still to read: they
            // are put back from the copy.
            if (r < r0 + 16) std::memcpy(base + r, lu + (r - r0), r0 + 16 - r);
            continue;
        }
        // The last bytes, one at a time.
        const char o = base[r++];
        if (o == '\n') {
            if (!c.FinLigne(base, w)) return c.Termine(octets, 0);
        } else if (o == separateur) {
            base[w++] = '\0';
            if (!c.FinCellule(w)) return c.Termine(octets, 0);
        } else if (o != '\r' && o != '\0') {
            base[w++] = o;
            if (!c.Surveille(w)) return c.Termine(octets, 0);
        }
    }
    if (entamee && !c.FinLigne(base, w)) return c.Termine(octets, 0);
    return c.Termine(octets, w);
}

QString TableImport::DecoupeCsv(std::string&& entree, char separateur, int64_t maxLignes)
{
    // A NUL would read as the end of a cell.
    if (std::memchr(entree.data(), '\0', entree.size()))
        entree.erase(std::remove(entree.begin(), entree.end(), '\0'), entree.end());
    Constructeur c(*this, maxLignes);
    c.Reserve(entree);
    const char* const p = entree.data();
    const size_t n = entree.size();
    std::string sortie;
    sortie.reserve(n + n / 64);
    bool entamee = false;
    size_t i = 0;
    bool debutCellule = true;
    while (i < n) {
        const char o = p[i];
        if (o == '"' && debutCellule) {
            // A quoted field, to its closing quote.
            ++i;
            entamee = true;
            for (;;) {
                const size_t debut = i;
                while (i < n && p[i] != '"' && p[i] != '\r' && p[i] != '\n')
                    ++i;
                if (c.Garde()) sortie.append(p + debut, i - debut);
                if (i >= n) break;
                if (p[i] == '"') {
                    if (i + 1 < n && p[i + 1] == '"') {
                        if (c.Garde()) sortie.push_back('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                // Any line break inside a value is held as CR LF.
                if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n') ++i;
                ++i;
                if (c.Garde()) sortie.append("\r\n", 2);
                if (!c.Surveille(sortie.size())) return c.Termine(sortie, 0);
            }
            debutCellule = false;
            if (!c.Surveille(sortie.size())) return c.Termine(sortie, 0);
            continue;
        }
        if (o == separateur) {
            if (c.Garde()) sortie.push_back('\0');
            if (!c.FinCellule(sortie.size())) return c.Termine(sortie, 0);
            ++i;
            entamee = true;
            debutCellule = true;
        } else if (o == '\r' || o == '\n') {
            if (o == '\r' && i + 1 < n && p[i + 1] == '\n') ++i;
            ++i;
            size_t fin = sortie.size();
            if (!c.FinLigne(sortie.data(), fin)) return c.Termine(sortie, 0);
            sortie.resize(fin);
            entamee = false;
            debutCellule = true;
        } else {
            const size_t debut = i;
            while (i < n && p[i] != separateur && p[i] != '\r' && p[i] != '\n')
                ++i;
            if (c.Garde()) sortie.append(p + debut, i - debut);
            entamee = true;
            debutCellule = false;
            if (!c.Surveille(sortie.size())) return c.Termine(sortie, 0);
        }
    }
    if (entamee) {
        size_t fin = sortie.size();
        if (!c.FinLigne(sortie.data(), fin)) return c.Termine(sortie, 0);
        sortie.resize(fin);
    }
    entree.clear();
    entree.shrink_to_fit();
    return c.Termine(sortie, sortie.size());
}

QString TableImport::Assemble(std::string&& octets, std::vector<uint32_t>&& lignes, int colonnes,
                              bool titres)
{
    if (octets.size() > MaxOctets)
        return QString::fromUtf8("une fois lu, le fichier dépasse %1 : il est trop grand pour "
                                 "être importé.")
            .arg(TexteTaille::Mo(static_cast<int64_t>(MaxOctets)));
    if (colonnes < 1 || colonnes > MaxColonnes || lignes.size() < 2 || lignes.front() != 0 ||
        lignes.back() != octets.size() || !std::is_sorted(lignes.begin(), lignes.end()))
        return QString::fromUtf8("la table lue est incohérente.");
    octets.append(Repertoire::MargeLecture, '\0');
    m_octets = std::move(octets);
    m_lignes = std::move(lignes);
    m_colonnes = colonnes;
    m_titres = titres && NbLignes() > 0;
    return {};
}

char TableImport::SeparateurCsv(std::string_view octets)
{
    size_t virgules = 0, pointsVirgules = 0, tabulations = 0;
    bool guillemets = false;
    for (char o : octets) {
        if (o == '"') {
            guillemets = !guillemets;
        } else if (!guillemets) {
            if (o == '\r' || o == '\n') break;
            virgules += o == ',';
            pointsVirgules += o == ';';
            tabulations += o == '\t';
        }
    }
    if (pointsVirgules > virgules && pointsVirgules >= tabulations) return ';';
    if (tabulations > virgules && tabulations > pointsVirgules) return '\t';
    return ',';
}
