#include "EmpreinteFichier.h"

#include "ErreurSysteme.h"
#include "OuvertureSure.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// XXH3 (128 bits) hashes at memory speed, so hashing a book while it is read costs
// nothing the disk does not already cost; it is a checksum against accidents, not
// against someone forging a file. Inlined: no library to link.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace
{
int64_t Nanosecondes(const struct timespec& t)
{
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

constexpr size_t BlocHachage = size_t(1) << 20;
} // namespace

struct EmpreinteFichier::Calcul::Etat {
    XXH3_state_t etat;
    struct stat identite {
    };
    bool identiteConnue = false;
};

EmpreinteFichier::Calcul::Calcul() : d(std::make_unique<Etat>())
{
    XXH3_128bits_reset(&d->etat);
}

EmpreinteFichier::Calcul::~Calcul() = default;

void EmpreinteFichier::Calcul::Identite(const struct stat& etat)
{
    d->identite = etat;
    d->identiteConnue = true;
}

void EmpreinteFichier::Calcul::Ajoute(const char* octets, size_t taille)
{
    if (taille > 0) XXH3_128bits_update(&d->etat, octets, taille);
}

bool EmpreinteFichier::Calcul::LitReste(int fd)
{
    std::vector<char> tampon(BlocHachage);
    for (;;) {
        const ssize_t n = ::read(fd, tampon.data(), tampon.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        Ajoute(tampon.data(), static_cast<size_t>(n));
    }
}

EmpreinteFichier EmpreinteFichier::Calcul::Termine()
{
    EmpreinteFichier e;
    if (!d->identiteConnue) return e;
    const XXH128_hash_t h = XXH3_128bits_digest(&d->etat);
    e.PrendIdentite(d->identite);
    e.m_haut = h.high64;
    e.m_bas = h.low64;
    e.m_hache = true;
    return e;
}

EmpreinteFichier EmpreinteFichier::Calcul::Termine(const QString& chemin)
{
    struct stat etat;
    if (::stat(QFile::encodeName(chemin).constData(), &etat) != 0) return {};
    Identite(etat);
    return Termine();
}

void EmpreinteFichier::PrendIdentite(const struct stat& etat)
{
    m_identite = true;
    m_dev = static_cast<uint64_t>(etat.st_dev);
    m_ino = static_cast<uint64_t>(etat.st_ino);
    m_taille = static_cast<int64_t>(etat.st_size);
    m_mtime = Nanosecondes(etat.st_mtim);
    m_ctime = Nanosecondes(etat.st_ctim);
}

bool EmpreinteFichier::MemeIdentite(const struct stat& etat) const
{
    return m_identite && m_dev == static_cast<uint64_t>(etat.st_dev) &&
           m_ino == static_cast<uint64_t>(etat.st_ino) &&
           m_taille == static_cast<int64_t>(etat.st_size) &&
           m_mtime == Nanosecondes(etat.st_mtim) && m_ctime == Nanosecondes(etat.st_ctim);
}

bool EmpreinteFichier::operator==(const EmpreinteFichier& autre) const
{
    if (m_identite != autre.m_identite || m_hache != autre.m_hache) return false;
    return (!m_identite || MemeIdentite(autre)) && (!m_hache || MemeContenu(autre));
}

bool EmpreinteFichier::MemeIdentite(const EmpreinteFichier& autre) const
{
    return m_identite && autre.m_identite && m_dev == autre.m_dev && m_ino == autre.m_ino &&
           m_taille == autre.m_taille && m_mtime == autre.m_mtime && m_ctime == autre.m_ctime;
}

bool EmpreinteFichier::MemeContenu(const EmpreinteFichier& autre) const
{
    return m_hache && autre.m_hache && m_taille == autre.m_taille && m_haut == autre.m_haut &&
           m_bas == autre.m_bas;
}

QString EmpreinteFichier::Hachage() const
{
    if (!m_hache) return {};
    return QStringLiteral("%1%2")
        .arg(m_haut, 16, 16, QLatin1Char('0'))
        .arg(m_bas, 16, 16, QLatin1Char('0'));
}

EmpreinteFichier EmpreinteFichier::DuFichier(const QString& chemin, QString* raison, size_t bloc)
{
    const int fd = OuvertureSure::Ouvre(chemin, raison);
    if (fd < 0) return {};
    Calcul calcul;
    struct stat etat;
    if (fstat(fd, &etat) != 0) {
        if (raison) *raison = ErreurSysteme::Numero(errno);
        ::close(fd);
        return {};
    }
    calcul.Identite(etat);
    std::vector<char> tampon(std::max<size_t>(bloc, 1));
    for (;;) {
        const ssize_t n = ::read(fd, tampon.data(), tampon.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (raison) *raison = ErreurSysteme::Numero(errno);
            ::close(fd);
            return {};
        }
        if (n == 0) break;
        calcul.Ajoute(tampon.data(), static_cast<size_t>(n));
    }
    ::close(fd);
    return calcul.Termine();
}

EmpreinteFichier::Etat EmpreinteFichier::Compare(const QString& chemin,
                                                 EmpreinteFichier* actuelle) const
{
    if (actuelle) *actuelle = {};
    struct stat etat;
    if (::stat(QFile::encodeName(chemin).constData(), &etat) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Etat::Absent : Etat::Modifie;
    // Opened, not only looked at: a network file system checks its cached attributes
    // with the server on an open.
    const int fd = OuvertureSure::Ouvre(chemin, nullptr);
    if (fd < 0) return Etat::Modifie;
    const bool ok = fstat(fd, &etat) == 0;
    ::close(fd);
    if (!ok) return Etat::Modifie;
    if (actuelle) actuelle->PrendIdentite(etat);
    if (!Valide()) return Etat::Modifie;
    if (MemeIdentite(etat)) return Etat::Inchange;
    if (static_cast<int64_t>(etat.st_size) != m_taille) return Etat::Modifie;
    const EmpreinteFichier disque = DuFichier(chemin);
    if (actuelle && disque.Valide()) *actuelle = disque;
    return MemeContenu(disque) ? Etat::Inchange : Etat::Modifie;
}
