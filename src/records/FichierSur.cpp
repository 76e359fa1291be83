#include "FichierSur.h"

#include "ErreurSysteme.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool g_proprietairePerdu = false;

QString Raison(int erreur)
{
    return ErreurSysteme::Numero(erreur);
}

QByteArray Natif(const QString& chemin)
{
    return QFile::encodeName(chemin);
}

QByteArray DossierDe(const QByteArray& chemin)
{
    const int barre = chemin.lastIndexOf('/');
    if (barre < 0) return QByteArrayLiteral(".");
    if (barre == 0) return QByteArrayLiteral("/");
    return chemin.left(barre);
}

constexpr char MarqueTemporaire[] = ".carnet~";

QByteArray NomHote()
{
    char hote[256] = {};
    if (gethostname(hote, sizeof hote - 1) != 0 || !hote[0]) return QByteArrayLiteral("local");
    QByteArray h(hote);
    h.replace('~', '-').replace('/', '-');
    return h;
}

// Temporary files are named ".<target>.carnet~<host>~<pid>~XXXXXX", so that one
// left by a killed copy of the program is recognised: the next write in the same
// folder removes those whose process, on this host, is gone. Another host's files
// are left alone: their process may be alive there.
void NettoieTemporairesMorts(const QByteArray& dossier, const QByteArray& hote)
{
    DIR* d = opendir(dossier.constData());
    if (!d) return;
    const QByteArray suffixeHote = MarqueTemporaire + hote + '~';
    while (const dirent* e = readdir(d)) {
        const QByteArray nom(e->d_name);
        if (!nom.startsWith('.')) continue;
        const qsizetype marque = nom.lastIndexOf(suffixeHote);
        if (marque <= 0) continue;
        const QByteArray reste = nom.mid(marque + suffixeHote.size());
        const qsizetype tilde = reste.indexOf('~');
        if (tilde <= 0 || reste.size() - tilde - 1 != 6) continue;
        bool ok = false;
        const long pid = reste.left(tilde).toLong(&ok);
        if (!ok || pid <= 0 || pid == getpid()) continue;
        if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat etat;
        const QByteArray chemin = dossier + '/' + nom;
        if (lstat(chemin.constData(), &etat) == 0 && S_ISREG(etat.st_mode))
            unlink(chemin.constData());
    }
    closedir(d);
}

// A fresh file beside the target, readable and writable by its owner only until it
// takes the old file's mode.
int CreeTemporaire(const QByteArray& cible, QByteArray& chemin)
{
    const QByteArray dossier = DossierDe(cible);
    const QByteArray hote = NomHote();
    NettoieTemporairesMorts(dossier, hote);
    const int barre = cible.lastIndexOf('/');
    const QByteArray nom = cible.mid(barre + 1);
    chemin = (barre < 0 ? QByteArray() : cible.left(barre + 1)) + '.' + nom + MarqueTemporaire +
             hote + '~' + QByteArray::number(getpid()) + QByteArrayLiteral("~XXXXXX");
    return mkstemp(chemin.data());
}

// The file a path finally names: a book linked into a synced folder is written
// there, and the link stays a link. A link whose target does not exist yet gives
// that target. Empty after too many links (a loop).
QByteArray CibleReelle(const QByteArray& chemin)
{
    QByteArray c = chemin;
    for (int n = 0; n < 40; ++n) {
        struct stat etat;
        if (lstat(c.constData(), &etat) != 0 || !S_ISLNK(etat.st_mode)) return c;
        QByteArray lien(PATH_MAX, '\0');
        const ssize_t t = readlink(c.constData(), lien.data(), static_cast<size_t>(lien.size()));
        if (t <= 0 || t >= lien.size()) return c;
        lien.truncate(t);
        c = lien.startsWith('/') ? lien : DossierDe(c) + '/' + lien;
    }
    errno = ELOOP;
    return {};
}

// Gives the temporary file the old file's owner, group and mode (a shared book
// keeps its group), or the mode a new file would get.
void PrendAttributs(int fd, const QByteArray& cible)
{
    struct stat ancien;
    if (stat(cible.constData(), &ancien) == 0 && S_ISREG(ancien.st_mode)) {
        struct stat actuel;
        if (fstat(fd, &actuel) == 0 &&
            (actuel.st_uid != ancien.st_uid || actuel.st_gid != ancien.st_gid)) {
            if (fchown(fd, ancien.st_uid, ancien.st_gid) != 0) {
                // Not allowed to give the file away: keep at least the group when we
                // belong to it.
                if (fchown(fd, static_cast<uid_t>(-1), ancien.st_gid) != 0 ||
                    actuel.st_uid != ancien.st_uid)
                    g_proprietairePerdu = true;
            }
        }
        fchmod(fd, ancien.st_mode & 07777);
        return;
    }
    const mode_t masque = umask(0);
    umask(masque);
    fchmod(fd, 0666 & ~masque);
}

QString Termine(int fd, const QByteArray& temporaire, const QByteArray& cible)
{
    g_proprietairePerdu = false;
    PrendAttributs(fd, cible);
    if (fdatasync(fd) != 0) {
        const int e = errno;
        close(fd);
        unlink(temporaire.constData());
        return Raison(e);
    }
    if (close(fd) != 0) {
        const int e = errno;
        unlink(temporaire.constData());
        return Raison(e);
    }
    if (rename(temporaire.constData(), cible.constData()) != 0) {
        const int e = errno;
        unlink(temporaire.constData());
        return Raison(e);
    }
    const int dossier = open(DossierDe(cible).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dossier >= 0) {
        fsync(dossier);
        close(dossier);
    }
    return {};
}

} // namespace

QString FichierSur::Ecrit(const QString& chemin, const char* octets, size_t taille)
{
    EcritureSure fichier(chemin);
    fichier.Ecrit(octets, taille);
    return fichier.Termine();
}

EcritureSure::EcritureSure(const QString& chemin) : m_cible(CibleReelle(Natif(chemin)))
{
    if (m_cible.isEmpty()) {
        m_erreur = ELOOP;
        return;
    }
    m_fd = CreeTemporaire(m_cible, m_temporaire);
    if (m_fd < 0) m_erreur = errno;
}

EcritureSure::~EcritureSure()
{
    if (m_fd >= 0) {
        close(m_fd);
        unlink(m_temporaire.constData());
    }
}

bool EcritureSure::Ecrit(const char* octets, size_t taille)
{
    if (m_erreur != 0 || m_fd < 0) return false;
    size_t ecrits = 0;
    while (ecrits < taille) {
        const ssize_t n = write(m_fd, octets + ecrits, taille - ecrits);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_erreur = n < 0 ? errno : ENOSPC;
            return false;
        }
        ecrits += static_cast<size_t>(n);
    }
    return true;
}

QString EcritureSure::Termine()
{
    if (m_fd < 0) return Raison(m_erreur ? m_erreur : EBADF);
    const int fd = m_fd;
    m_fd = -1;
    if (m_erreur != 0) {
        close(fd);
        unlink(m_temporaire.constData());
        return Raison(m_erreur);
    }
    return ::Termine(fd, m_temporaire, m_cible);
}

QString FichierSur::Temporaire(const QString& chemin, QString* raison)
{
    QByteArray temporaire;
    const QByteArray cible = CibleReelle(Natif(chemin));
    if (cible.isEmpty()) {
        if (raison) *raison = Raison(ELOOP);
        return {};
    }
    const int fd = CreeTemporaire(cible, temporaire);
    if (fd < 0) {
        if (raison) *raison = Raison(errno);
        return {};
    }
    close(fd);
    return QFile::decodeName(temporaire);
}

QString FichierSur::Remplace(const QString& temporaire, const QString& chemin)
{
    const QByteArray temp = Natif(temporaire);
    const int fd = open(temp.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        unlink(temp.constData());
        return Raison(e);
    }
    const QByteArray cible = CibleReelle(Natif(chemin));
    if (cible.isEmpty()) {
        close(fd);
        unlink(temp.constData());
        return Raison(ELOOP);
    }
    return Termine(fd, temp, cible);
}

void FichierSur::Abandonne(const QString& temporaire)
{
    if (!temporaire.isEmpty()) unlink(Natif(temporaire).constData());
}

int FichierSur::EcritVerrou(const QString& chemin, const QByteArray& octets, bool remplace,
                            int* erreur, bool* verrouille)
{
    *verrouille = false;
    // The lock file itself, never a link's target: a link there is replaced, or
    // counts as a file that exists.
    const QByteArray cible = Natif(chemin);
    QByteArray temporaire;
    const int fd = CreeTemporaire(cible, temporaire);
    if (fd < 0) {
        *erreur = errno;
        return -1;
    }
    const auto echec = [&](int e) {
        close(fd);
        unlink(temporaire.constData());
        *erreur = e;
        return -1;
    };
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    fchmod(fd, 0644);
    for (qsizetype ecrits = 0; ecrits < octets.size();) {
        const ssize_t n =
            write(fd, octets.constData() + ecrits, static_cast<size_t>(octets.size() - ecrits));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return echec(n < 0 ? errno : ENOSPC);
        ecrits += n;
    }
    struct flock verrou {
    };
    verrou.l_type = F_WRLCK;
    verrou.l_whence = SEEK_SET;
    *verrouille = fcntl(fd, F_SETLK, &verrou) == 0;
    if (fdatasync(fd) != 0) return echec(errno);
    if (remplace) {
        if (rename(temporaire.constData(), cible.constData()) != 0) return echec(errno);
    } else if (link(temporaire.constData(), cible.constData()) == 0) {
        // The name was free: exactly one of several copies gets it.
        unlink(temporaire.constData());
    } else if (errno == EEXIST) {
        return echec(EEXIST);
    } else if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS || errno == EMLINK) {
        // A file system without hard links: the name is looked at, then taken.
        struct stat etat;
        if (lstat(cible.constData(), &etat) == 0) return echec(EEXIST);
        if (rename(temporaire.constData(), cible.constData()) != 0) return echec(errno);
    } else {
        return echec(errno);
    }
    const int dossier = open(DossierDe(cible).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dossier >= 0) {
        fsync(dossier);
        close(dossier);
    }
    return fd;
}

bool FichierSur::ProprietairePerdu()
{
    return g_proprietairePerdu;
}

// ---------------------------------------------------------------------------------
// Several files replaced together (EcritureGroupee).

namespace
{

int g_echecAuRemplacement = 0;

bool Existe(const QByteArray& chemin, struct stat& etat)
{
    return lstat(chemin.constData(), &etat) == 0;
}

// Copies `source` into a fresh temporary file beside it, forced to the disk, with
// its owner and mode. 0 or the error number.
int CopieAcote(const QByteArray& source, QByteArray& copie)
{
    const int entree = open(source.constData(), O_RDONLY | O_CLOEXEC);
    if (entree < 0) return errno;
    const int sortie = CreeTemporaire(source, copie);
    if (sortie < 0) {
        const int e = errno;
        close(entree);
        return e;
    }
    const bool perdu = g_proprietairePerdu;
    PrendAttributs(sortie, source);
    g_proprietairePerdu = perdu; // only the files of the group count
    int erreur = 0;
    char tampon[1 << 16];
    while (erreur == 0) {
        const ssize_t n = read(entree, tampon, sizeof tampon);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) erreur = errno;
        if (n <= 0) break;
        ssize_t ecrits = 0;
        while (ecrits < n) {
            const ssize_t m = write(sortie, tampon + ecrits, static_cast<size_t>(n - ecrits));
            if (m < 0 && errno == EINTR) continue;
            if (m <= 0) {
                erreur = m < 0 ? errno : ENOSPC;
                break;
            }
            ecrits += m;
        }
    }
    if (erreur == 0 && fdatasync(sortie) != 0) erreur = errno;
    close(entree);
    if (close(sortie) != 0 && erreur == 0) erreur = errno;
    if (erreur != 0) {
        unlink(copie.constData());
        copie.clear();
    }
    return erreur;
}

// Keeps the previous content of `cible` under another name until the whole group is
// in place: a second link to the same file, or a copy where the file system has no
// links. 0 or the error number.
int GardePrecedent(const QByteArray& cible, QByteArray& garde)
{
    for (int essai = 0; essai < 16; ++essai) {
        // A free name of the same pattern as the temporary files.
        const int fd = CreeTemporaire(cible, garde);
        if (fd < 0) return errno;
        close(fd);
        unlink(garde.constData());
        if (link(cible.constData(), garde.constData()) == 0) return 0;
        if (errno != EEXIST) break;
    }
    return CopieAcote(cible, garde);
}

QString RaisonPour(const QString& chemin, int erreur)
{
    return QString::fromUtf8("« %1 » : %2").arg(QFileInfo(chemin).fileName(), Raison(erreur));
}

} // namespace

EcritureGroupee::EcritureGroupee() = default;

// Dropped before Termine, each writer removes its own temporary file.
EcritureGroupee::~EcritureGroupee() = default;

EcritureSure& EcritureGroupee::Fichier(const QString& chemin)
{
    auto ecriture = std::make_unique<EcritureSure>(chemin);
    EcritureSure& e = *ecriture;
    m_elements.push_back({std::move(ecriture), e.m_cible, chemin});
    return e;
}

void EcritureGroupee::Retire(const QString& chemin)
{
    m_elements.push_back({nullptr, Natif(chemin), chemin});
}

void EcritureGroupee::EchecAuRemplacement(int n)
{
    g_echecAuRemplacement = n;
}

QString EcritureGroupee::Termine()
{
    if (m_termine) return Raison(EBADF);
    m_termine = true;
    const int echecVoulu = g_echecAuRemplacement;
    g_echecAuRemplacement = 0;
    g_proprietairePerdu = false;
    const size_t n = m_elements.size();
    // Which temporary files exist, and the previous files kept aside.
    std::vector<bool> temporaire(n, false);
    std::vector<QByteArray> gardes(n);
    std::vector<bool> existait(n, false);
    auto nettoie = [&](size_t depuis) {
        for (size_t i = depuis; i < n; ++i) {
            if (temporaire[i]) unlink(m_elements[i].ecriture->m_temporaire.constData());
            if (!gardes[i].isEmpty()) unlink(gardes[i].constData());
        }
    };

    // 1. Every file written in full and on the disk.
    for (size_t i = 0; i < n; ++i) {
        EcritureSure* f = m_elements[i].ecriture.get();
        if (!f) continue;
        int erreur = f->m_fd < 0 ? (f->m_erreur ? f->m_erreur : EBADF) : f->m_erreur;
        if (f->m_fd >= 0) {
            temporaire[i] = true;
            if (erreur == 0) {
                PrendAttributs(f->m_fd, f->m_cible);
                if (fdatasync(f->m_fd) != 0) erreur = errno;
            }
            if (close(f->m_fd) != 0 && erreur == 0) erreur = errno;
            f->m_fd = -1;
        }
        if (erreur != 0) {
            // The writers not yet closed still remove their own files.
            for (size_t j = 0; j <= i; ++j)
                if (temporaire[j]) unlink(m_elements[j].ecriture->m_temporaire.constData());
            return RaisonPour(m_elements[i].chemin, erreur);
        }
    }

    // 2. The previous files kept aside, so that a failed replacement can be undone.
    for (size_t i = 0; i < n; ++i) {
        struct stat etat;
        if (!Existe(m_elements[i].cible, etat)) continue;
        int erreur =
            S_ISDIR(etat.st_mode) ? EISDIR : GardePrecedent(m_elements[i].cible, gardes[i]);
        if (erreur == 0) existait[i] = true;
        if (erreur != 0) {
            gardes[i].clear();
            nettoie(0);
            return RaisonPour(m_elements[i].chemin, erreur);
        }
    }

    // 3. In place, one rename (or removal) each; a failure puts back what was done.
    for (size_t i = 0; i < n; ++i) {
        const Element& e = m_elements[i];
        int erreur = 0;
        if (static_cast<int>(i) + 1 == echecVoulu)
            erreur = EIO;
        else if (e.ecriture &&
                 rename(e.ecriture->m_temporaire.constData(), e.cible.constData()) != 0)
            erreur = errno;
        else if (!e.ecriture && existait[i] && unlink(e.cible.constData()) != 0)
            erreur = errno;
        if (erreur == 0) {
            temporaire[i] = false;
            continue;
        }
        QString raison = RaisonPour(e.chemin, erreur);
        for (size_t j = i; j-- > 0;) {
            const Element& fait = m_elements[j];
            if (!gardes[j].isEmpty()) {
                if (rename(gardes[j].constData(), fait.cible.constData()) == 0)
                    gardes[j].clear();
                else
                    raison +=
                        QString::fromUtf8("\nL'ancien « %1 » n'a pas pu être remis en place : "
                                          "il se trouve sous le nom « %2 ».")
                            .arg(QFile::decodeName(fait.cible), QFile::decodeName(gardes[j]));
            } else if (fait.ecriture && unlink(fait.cible.constData()) != 0) {
                raison += QString::fromUtf8("\n« %1 » n'a pas pu être retiré.")
                              .arg(QFile::decodeName(fait.cible));
            }
        }
        // What could not be put back stays for the user, as told.
        for (size_t j = 0; j < i; ++j)
            gardes[j].clear();
        nettoie(i);
        return raison;
    }

    // 4. The renames made durable, then the previous files let go.
    QList<QByteArray> dossiers;
    for (const Element& e : m_elements) {
        const QByteArray d = DossierDe(e.cible);
        if (dossiers.contains(d)) continue;
        dossiers.append(d);
        const int fd = open(d.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            fsync(fd);
            close(fd);
        }
    }
    for (const QByteArray& g : gardes)
        if (!g.isEmpty()) unlink(g.constData());
    return {};
}
