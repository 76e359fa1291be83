#include "FichierSur.h"

#include "ErreurSysteme.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
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

// A fresh file beside the target, readable and writable by its owner only until it
// takes the old file's mode.
int CreeTemporaire(const QByteArray& cible, QByteArray& chemin)
{
    chemin = cible + QByteArrayLiteral(".XXXXXX");
    const int fd = mkstemp(chemin.data());
    return fd;
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

EcritureSure::EcritureSure(const QString& chemin) : m_cible(Natif(chemin))
{
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
    const int fd = CreeTemporaire(Natif(chemin), temporaire);
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
    return Termine(fd, temp, Natif(chemin));
}

void FichierSur::Abandonne(const QString& temporaire)
{
    if (!temporaire.isEmpty()) unlink(Natif(temporaire).constData());
}

bool FichierSur::ProprietairePerdu()
{
    return g_proprietairePerdu;
}
