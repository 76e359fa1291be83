#include "OuvertureSure.h"

#include "ErreurSysteme.h"
#include "MemoireGrande.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString OuvertureSure::PasOrdinaire()
{
    return QString::fromUtf8("ce n'est pas un fichier ordinaire (tube, périphérique ou prise).");
}

bool OuvertureSure::EstOrdinaire(const QString& chemin)
{
    struct stat etat;
    return !chemin.isEmpty() && ::stat(QFile::encodeName(chemin).constData(), &etat) == 0 &&
           S_ISREG(etat.st_mode);
}

int OuvertureSure::Ouvre(const QString& chemin, QString* raison, int64_t* taille)
{
    const auto echec = [raison](const QString& texte) {
        if (raison) *raison = texte;
        return -1;
    };
    if (chemin.isEmpty()) return echec(ErreurSysteme::Numero(ENOENT));
    const QByteArray natif = QFile::encodeName(chemin);
    // Looked at before opening, so that a pipe or a device is never even opened
    // (opening some devices has effects of its own); checked again once open.
    struct stat avant;
    if (::stat(natif.constData(), &avant) == 0 && !S_ISREG(avant.st_mode))
        return echec(S_ISDIR(avant.st_mode) ? ErreurSysteme::Numero(EISDIR) : PasOrdinaire());
    const int fd = ::open(natif.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return echec(ErreurSysteme::Numero(errno));
    struct stat etat;
    if (fstat(fd, &etat) != 0) {
        const int e = errno;
        ::close(fd);
        return echec(ErreurSysteme::Numero(e));
    }
    if (S_ISDIR(etat.st_mode)) {
        ::close(fd);
        return echec(ErreurSysteme::Numero(EISDIR));
    }
    if (!S_ISREG(etat.st_mode)) {
        ::close(fd);
        return echec(PasOrdinaire());
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (taille) *taille = static_cast<int64_t>(etat.st_size);
    return fd;
}

bool OuvertureSure::Ouvre(const QString& chemin, QFile& fichier, QString* raison)
{
    const int fd = Ouvre(chemin, raison);
    if (fd < 0) return false;
    if (!fichier.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (raison) *raison = ErreurSysteme::EnFrancais(fichier.errorString());
        return false;
    }
    return true;
}

QString OuvertureSure::LitTout(const QString& chemin, std::string& octets, int64_t max, size_t bloc)
{
    QString raison;
    int64_t taille = 0;
    const int fd = Ouvre(chemin, &raison, &taille);
    if (fd < 0) return raison;
    if (taille > max) {
        ::close(fd);
        return QString::fromUtf8("le fichier est trop grand.");
    }
    bloc = std::max<size_t>(bloc, 1);
    // Reads at most `n` bytes into `ou`: the count, 0 at the end, -1 with errno set.
    const auto lit = [fd](char* ou, size_t n) {
        for (;;) {
            const ssize_t lus = ::read(fd, ou, n);
            if (lus >= 0 || errno != EINTR) return lus;
        }
    };
    std::string lu;
    // A file that grows while it is read stops at the limit all the same. Room for
    // the margin readers add after the bytes (no copy of a large file for it), in
    // large pages: the first touch of each small page costs more than its bytes.
    lu.reserve(static_cast<size_t>(taille) + 64);
    MemoireGrande::Conseille(lu.data(), lu.capacity());
    lu.resize(static_cast<size_t>(taille));
    size_t fin = 0;
    for (;;) {
        // All that was announced is read: one byte more tells whether the file grew,
        // before the buffer grows (and is copied whole) for it.
        const bool sonde = fin == lu.size();
        char c;
        const ssize_t n =
            sonde ? lit(&c, 1) : lit(lu.data() + fin, std::min(bloc, lu.size() - fin));
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            return ErreurSysteme::Numero(e);
        }
        if (n == 0) break;
        if (!sonde) {
            fin += static_cast<size_t>(n);
            continue;
        }
        if (static_cast<int64_t>(lu.size()) >= max) {
            ::close(fd);
            return QString::fromUtf8("le fichier est trop grand.");
        }
        lu.resize(static_cast<size_t>(
            std::min<int64_t>(max, static_cast<int64_t>(lu.size()) + int64_t(bloc))));
        lu[fin++] = c;
    }
    ::close(fd);
    lu.resize(fin);
    octets.swap(lu);
    return {};
}
