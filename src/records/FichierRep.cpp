#include "FichierRep.h"

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
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

// Copies `n` lines of [p, fin) into `sortie` (room for fin - p bytes), each without
// its LF and a CR before it, recording where each ends; the byte loop beats a
// search and a copy per line on cells of a few bytes. Returns the position after
// the last line, or nullptr when the data ends first (a last line without LF
// counts when `finDonnees`).
const char* CopieLignes(const char* p, const char* fin, bool finDonnees, char* sortie,
                        uint32_t* fins, int n)
{
    char* w = sortie;
    for (int c = 0; c < n; ++c) {
        const char* debut = p;
        char* debutSortie = w;
        while (p < fin && *p != '\n')
            *w++ = *p++;
        if (p < fin) {
            if (w > debutSortie && w[-1] == '\r') --w;
            ++p;
        } else if (!finDonnees || p == debut) {
            return nullptr;
        }
        fins[c] = static_cast<uint32_t>(w - sortie);
    }
    return p;
}

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
    // The 46 cells of a row; `cellules` must have room for every byte left.
    bool LitCellules(std::vector<char>& cellules, uint32_t* fins)
    {
        const size_t dispo = static_cast<size_t>(m_fin - m_p);
        if (cellules.size() < dispo) cellules.resize(dispo);
        const char* suite = CopieLignes(m_p, m_fin, true, cellules.data(), fins, NbColonnes);
        if (!suite) return false;
        m_p = suite;
        return true;
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
        : m_fd(fd), m_bloc(std::max<size_t>(bloc, 1)), m_tampon(m_bloc), m_empreinte(empreinte)
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
    // The 46 cells of a row. Its line ends are counted as blocks arrive, so a row
    // longer than many blocks is scanned once; it is copied out when whole.
    bool LitCellules(std::vector<char>& cellules, uint32_t* fins)
    {
        size_t vus = 0;
        int lignes = 0;
        for (;;) {
            const char* p = m_tampon.data() + m_debut;
            const size_t dispo = m_fin - m_debut;
            while (lignes < NbColonnes && vus < dispo) {
                const void* lf = std::memchr(p + vus, '\n', dispo - vus);
                if (!lf) {
                    vus = dispo;
                    break;
                }
                vus = static_cast<size_t>(static_cast<const char*>(lf) - p) + 1;
                ++lignes;
            }
            if (lignes == NbColonnes || m_finFichier) {
                if (cellules.size() < vus) cellules.resize(vus);
                const char* suite =
                    CopieLignes(p, p + vus, m_finFichier, cellules.data(), fins, NbColonnes);
                if (!suite) {
                    m_debut = m_fin;
                    return false;
                }
                m_debut = static_cast<size_t>(suite - m_tampon.data());
                return true;
            }
            if (!Remplit()) return false;
        }
    }

private:
    // Moves the unread part to the front, grows the buffer for a line longer than
    // it, and reads the next block (offsets from m_debut stay valid).
    bool Remplit()
    {
        const size_t reste = m_fin - m_debut;
        if (m_debut > 0) {
            std::memmove(m_tampon.data(), m_tampon.data() + m_debut, reste);
            m_debut = 0;
            m_fin = reste;
        }
        if (m_fin == m_tampon.size()) m_tampon.resize(m_tampon.size() * 2);
        for (;;) {
            const size_t voulu = std::min(m_bloc, m_tampon.size() - m_fin);
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
    std::vector<char> m_tampon;
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

// Turns every 0x07 of a row's cells into CR LF, moving the cells' ends.
void Deplie(std::string& cellules, std::array<uint32_t, NbColonnes>& fins)
{
    std::string deplie;
    deplie.reserve(cellules.size() + 64);
    uint32_t debut = 0;
    for (size_t c = 0; c < fins.size(); ++c) {
        Pliage::AjouteLigneDepliee(deplie,
                                   std::string_view(cellules).substr(debut, fins[c] - debut));
        debut = fins[c];
        fins[c] = static_cast<uint32_t>(deplie.size());
    }
    cellules.swap(deplie);
}

bool QueDesBlancs(std::string_view ligne)
{
    for (char c : ligne)
        if (c != '\r' && c != ' ' && c != '\t') return false;
    return true;
}

} // namespace

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

    // Rows are added as they are read: memory follows what the file holds, not
    // what its first line announces.
    rep.m_lignes.clear();
    // Each row's cells are gathered in one reused buffer, then copied once into a
    // string of their exact size.
    std::vector<char> cellules;
    std::array<uint32_t, NbColonnes> fins{};
    for (long long r = 0; r < nbLignes; ++r) {
        Repertoire::Ligne l;
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
        l.flag.assign(ligne);
        if (!lecteur.LitCellules(cellules, fins.data())) {
            if (lecteur.Erreur()) return Echec(chemin, Raison(lecteur.Erreur()));
            return Echec(chemin, Coupure(r, nbLignes));
        }
        const std::string_view octets(cellules.data(), fins[NbColonnes - 1]);
        // Unfolding doubles at most the size; offsets are 32-bit.
        if (octets.size() >= std::numeric_limits<uint32_t>::max() / 2)
            return Echec(chemin, QString::fromUtf8("une fiche dépasse 2 Go."));
        // Folded line breaks are rare: the row is unfolded only when it holds one.
        if (!octets.empty() && std::memchr(octets.data(), '\a', octets.size())) {
            std::string deplie(octets);
            Deplie(deplie, fins);
            l.Assigne(deplie, fins.data());
        } else {
            l.Assigne(octets, fins.data());
        }
        rep.m_lignes.push_back(std::move(l));
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
        const uint32_t* fins = l.Fins();
        if (!place(octets.size() + l.flag.size() + 2 * (NbColonnes + 1))) return false;
        ajoutePlie(l.flag.data(), l.flag.data() + l.flag.size());
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
