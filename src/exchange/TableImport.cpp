#include "TableImport.h"

#include "records/Repertoire.h"

#include <QtGlobal>
#include <algorithm>
#include <array>
#include <cstring>

// Builds the table while the bytes are written into the buffer: cell ends,
// line starts, the column count fixed by the first line, and the limits.
class TableImport::Constructeur
{
public:
    explicit Constructeur(TableImport& t) : m_t(t)
    {
        m_t.m_fins.clear();
        m_t.m_lignes.assign(1, 0);
        m_t.m_colonnes = 1;
    }

    // Room for every line at once, and for their cells once the first line gives
    // the number of columns: growing by steps would copy the index several times.
    void Reserve(std::string_view octets)
    {
        size_t lignes = 1;
        for (const char *p = octets.data(), *fin = p + octets.size();
             (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(fin - p))));
             ++p)
            ++lignes;
        m_lignesPrevues = lignes;
        m_taille = octets.size();
        m_t.m_lignes.reserve(lignes + 1);
    }

    // Whether bytes of the current column are kept (it lies within the columns).
    bool Garde() const { return m_colonne < m_t.m_colonnes; }
    bool PremiereFaite() const { return m_premiereFaite; }

    // Ends the cell whose bytes end at `fin`; false when a limit is passed.
    bool FinCellule(size_t fin)
    {
        if (m_colonne < m_t.m_colonnes) {
            if (fin - m_debutCellule > MaxCellule) return Echec(TropLong);
            m_t.m_fins.push_back(static_cast<uint32_t>(fin));
            m_debutCellule = fin;
        }
        ++m_colonne;
        if (!m_premiereFaite) {
            if (m_t.m_colonnes >= MaxColonnes) return Echec(TropDeColonnes);
            ++m_t.m_colonnes;
        }
        return true;
    }

    bool FinLigne(size_t fin)
    {
        if (m_colonne < m_t.m_colonnes && fin - m_debutCellule > MaxCellule) return Echec(TropLong);
        if (m_colonne < m_t.m_colonnes) m_t.m_fins.push_back(static_cast<uint32_t>(fin));
        // Trailing empty cells read as empty anyway: they cost nothing.
        const uint32_t premier = m_t.m_lignes.back();
        while (m_t.m_fins.size() > premier) {
            const size_t n = m_t.m_fins.size();
            const uint32_t avant = n - 1 > premier ? m_t.m_fins[n - 2] : m_debutLigne;
            if (m_t.m_fins.back() != avant) break;
            m_t.m_fins.pop_back();
        }
        m_t.m_lignes.push_back(static_cast<uint32_t>(m_t.m_fins.size()));
        if (!m_premiereFaite) {
            // A hostile file of many empty lines must not reserve for full ones.
            const size_t prevues = std::min(m_lignesPrevues * static_cast<size_t>(m_t.m_colonnes),
                                            m_taille / 2 + m_lignesPrevues);
            m_t.m_fins.reserve(prevues);
        }
        m_premiereFaite = true;
        m_colonne = 0;
        m_debutCellule = m_debutLigne = fin;
        return true;
    }

    // The cell being read has reached `fin` bytes: checked now so that one
    // endless field cannot fill the memory before its end.
    bool Surveille(size_t fin) { return fin - m_debutCellule <= MaxCellule || Echec(TropLong); }

    QString Termine(std::string& octets, size_t taille)
    {
        if (!m_erreur.isEmpty()) {
            m_t.Vide();
            return m_erreur;
        }
        // Cells are followed by bytes that may be read past them (never used), so
        // the rows are filled a word at a time.
        octets.resize(taille);
        octets.append(Repertoire::MargeLecture, '\0');
        // Copying to a tight buffer costs more time than the little it saves,
        // unless much was dropped (many separators, fields past the columns).
        const auto Ajuste = [](auto& v) {
            if (v.capacity() - v.size() > v.size() / 2) v.shrink_to_fit();
        };
        Ajuste(octets);
        m_t.m_octets = std::move(octets);
        if (m_t.m_lignes.size() < 2) m_t.m_lignes.push_back(0); // an empty file: one empty line
        Ajuste(m_t.m_fins);
        Ajuste(m_t.m_lignes);
        return {};
    }

    size_t Ligne() const { return m_t.m_lignes.size(); }

private:
    enum Raison { TropDeColonnes, TropLong };
    bool Echec(Raison r)
    {
        if (m_erreur.isEmpty()) {
            m_erreur = r == TropDeColonnes
                           ? QString::fromUtf8("La première ligne du fichier compte plus de %1 "
                                               "champs : ce n'est pas un fichier d'adresses.")
                                 .arg(MaxColonnes)
                           : QString::fromUtf8("La ligne %1 du fichier contient un champ de plus "
                                               "de %2 Mo : ce n'est pas un fichier d'adresses.")
                                 .arg(Ligne())
                                 .arg(MaxCellule >> 20);
        }
        return false;
    }

    TableImport& m_t;
    int m_colonne = 0;
    bool m_premiereFaite = false;
    size_t m_debutCellule = 0;
    size_t m_debutLigne = 0;
    size_t m_lignesPrevues = 1;
    size_t m_taille = 0;
    QString m_erreur;
};

TableImport::TableImport()
{
    Vide();
}

void TableImport::Vide()
{
    m_octets.clear();
    m_fins.clear();
    m_lignes = {0, 0};
    m_colonnes = 1;
}

void TableImport::CellulesLigne(int ligne, std::string_view* cellules) const
{
    const uint32_t premier = m_lignes.at(static_cast<size_t>(ligne));
    const uint32_t n = m_lignes.at(static_cast<size_t>(ligne) + 1) - premier;
    uint32_t debut = premier == 0 ? 0 : m_fins[premier - 1];
    for (uint32_t c = 0; c < n; ++c) {
        const uint32_t fin = m_fins[premier + c];
        cellules[c] = std::string_view(m_octets.data() + debut, fin - debut);
        debut = fin;
    }
    for (int c = static_cast<int>(n); c < m_colonnes; ++c)
        cellules[c] = std::string_view();
}

std::string_view TableImport::Cellule(int colonne, int ligne) const
{
    if (ligne < 0 || ligne >= NbLignes() || colonne < 0 || colonne >= m_colonnes) return {};
    const uint32_t premier = m_lignes[static_cast<size_t>(ligne)];
    const uint32_t n = m_lignes[static_cast<size_t>(ligne) + 1] - premier;
    if (static_cast<uint32_t>(colonne) >= n) return {};
    const size_t i = premier + static_cast<size_t>(colonne);
    const uint32_t debut = i == 0 ? 0 : m_fins[i - 1];
    return std::string_view(m_octets).substr(debut, m_fins[i] - debut);
}

size_t TableImport::OctetsUtilises() const
{
    return m_octets.capacity() + 4 * (m_fins.capacity() + m_lignes.capacity());
}

namespace
{
// A byte set where `x` holds a zero byte; the lowest set byte is exact.
constexpr uint64_t Uns = 0x0101010101010101ULL;
inline uint64_t Nul(uint64_t x)
{
    return (x - Uns) & ~x & 0x8080808080808080ULL;
}
constexpr uint64_t MotCr = Uns * '\r';
constexpr uint64_t MotLf = Uns * '\n';
// The lowest set byte is the first in memory only on a little-endian machine.
constexpr bool MotParMot = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
} // namespace

QString TableImport::Decoupe(std::string&& octets, char separateur)
{
    Constructeur c(*this);
    c.Reserve(octets);
    const uint64_t motSeparateur = Uns * static_cast<unsigned char>(separateur);
    // The bytes that stay in cells move down over the separators and line ends.
    std::array<bool, 256> special{};
    special[static_cast<unsigned char>(separateur)] = true;
    special['\r'] = special['\n'] = true;
    char* const base = octets.data();
    const size_t n = octets.size();
    size_t w = 0;
    bool entamee = false; // bytes or separators after the last line end
    for (size_t r = 0; r < n;) {
        if (c.Garde()) {
            const size_t debut = r;
            // Eight bytes at a time while the bytes already dropped leave room to
            // write a whole word behind the reading point.
            while (MotParMot && r + 8 <= n && r - w >= 8) {
                uint64_t mot;
                std::memcpy(&mot, base + r, 8);
                const uint64_t trouves =
                    Nul(mot ^ motSeparateur) | Nul(mot ^ MotCr) | Nul(mot ^ MotLf);
                std::memcpy(base + w, &mot, 8);
                if (!trouves) {
                    r += 8;
                    w += 8;
                    continue;
                }
                const size_t k = static_cast<size_t>(__builtin_ctzll(trouves)) >> 3;
                r += k;
                w += k;
                break;
            }
            while (r < n && !special[static_cast<unsigned char>(base[r])])
                base[w++] = base[r++];
            if (r > debut) {
                entamee = true;
                if (!c.Surveille(w)) return c.Termine(octets, 0);
            }
            if (r == n) break;
        } else {
            // Fields beyond the first line's count: skipped up to the line end.
            const void* lf = std::memchr(base + r, '\n', n - r);
            if (!lf) break;
            r = static_cast<size_t>(static_cast<const char*>(lf) - base);
        }
        const char o = base[r++];
        if (o == '\n') {
            if (!c.FinLigne(w)) return c.Termine(octets, 0);
            entamee = false;
        } else if (o == separateur) {
            if (!c.FinCellule(w)) return c.Termine(octets, 0);
            entamee = true;
        }
        // CR is dropped wherever it stands.
    }
    if (entamee && !c.FinLigne(w)) return c.Termine(octets, 0);
    return c.Termine(octets, w);
}

QString TableImport::DecoupeCsv(std::string&& entree, char separateur)
{
    Constructeur c(*this);
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
            if (!c.FinCellule(sortie.size())) return c.Termine(sortie, 0);
            ++i;
            entamee = true;
            debutCellule = true;
        } else if (o == '\r' || o == '\n') {
            if (o == '\r' && i + 1 < n && p[i + 1] == '\n') ++i;
            ++i;
            if (!c.FinLigne(sortie.size())) return c.Termine(sortie, 0);
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
    if (entamee && !c.FinLigne(sortie.size())) return c.Termine(sortie, 0);
    entree.clear();
    entree.shrink_to_fit();
    return c.Termine(sortie, sortie.size());
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
