#include "ErreurSysteme.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace
{

// Every reason a file operation can give on this system, by its error number: the
// C library's English text is looked up, whatever its exact wording.
const std::pair<int, const char*> ParNumero[] = {
    {EPERM, "Opération non permise"},
    {ENOENT, "Fichier ou dossier introuvable"},
    {ESRCH, "Processus introuvable"},
    {EINTR, "Opération interrompue"},
    {EIO, "Erreur d'entrée/sortie"},
    {ENXIO, "Périphérique ou adresse introuvable"},
    {E2BIG, "Liste d'arguments trop longue"},
    {ENOEXEC, "Format d'exécutable incorrect"},
    {EBADF, "Descripteur de fichier incorrect"},
    {EAGAIN, "Ressource temporairement indisponible"},
    {ENOMEM, "Mémoire insuffisante"},
    {EACCES, "Permission refusée"},
    {EFAULT, "Adresse incorrecte"},
    {EBUSY, "Périphérique ou ressource occupé"},
    {EEXIST, "Le fichier existe déjà"},
    {EXDEV, "Lien entre des systèmes de fichiers différents impossible"},
    {ENODEV, "Périphérique introuvable"},
    {ENOTDIR, "Ce n'est pas un dossier"},
    {EISDIR, "C'est un dossier"},
    {EINVAL, "Argument incorrect"},
    {ENFILE, "Trop de fichiers ouverts sur le système"},
    {EMFILE, "Trop de fichiers ouverts"},
    {ENOTTY, "Opération inadaptée à ce périphérique"},
    {ETXTBSY, "Fichier texte occupé"},
    {EFBIG, "Fichier trop volumineux"},
    {ENOSPC, "Plus de place sur le disque"},
    {ESPIPE, "Déplacement impossible dans ce fichier"},
    {EROFS, "Système de fichiers en lecture seule"},
    {EMLINK, "Trop de liens"},
    {EPIPE, "Tube rompu"},
    {ENAMETOOLONG, "Nom de fichier trop long"},
    {ENOLCK, "Aucun verrou disponible"},
    {ENOSYS, "Fonction non disponible"},
    {ENOTEMPTY, "Dossier non vide"},
    {ELOOP, "Trop de niveaux de liens symboliques"},
    {EOVERFLOW, "Valeur trop grande pour le type de données"},
    {ENOTSUP, "Opération non prise en charge"},
    {EDQUOT, "Quota de disque dépassé"},
    {ESTALE, "Descripteur de fichier NFS périmé"},
    {ETIMEDOUT, "Délai d'attente dépassé"},
    {ECONNREFUSED, "Connexion refusée"},
    {EHOSTDOWN, "Hôte hors service"},
    {ENOMEDIUM, "Aucun support dans le lecteur"},
    {EMEDIUMTYPE, "Type de support incorrect"},
    {ECANCELED, "Opération annulée"},
    {ENOTCONN, "Le point de transport n'est pas connecté"},
    {EUCLEAN, "La structure doit être nettoyée"},
    {EREMOTEIO, "Erreur d'entrée/sortie distante"},
};

// Texts Qt writes itself.
const std::pair<const char*, const char*> ParTexte[] = {
    {"Unknown error", "Erreur inconnue"},
    {"No file engine available", "Opération impossible sur ce fichier"},
    {"Device not open", "Fichier non ouvert"},
    {"file to open is a directory", "C'est un dossier"},
};

} // namespace

QString ErreurSysteme::EnFrancais(const QString& raison)
{
    for (const auto& [numero, francais] : ParNumero) {
        const QString anglais = QString::fromLocal8Bit(std::strerror(numero));
        if (!anglais.isEmpty() && raison.contains(anglais, Qt::CaseInsensitive))
            return QString::fromUtf8(francais);
    }
    for (const auto& [anglais, francais] : ParTexte)
        if (raison.contains(QLatin1String(anglais), Qt::CaseInsensitive))
            return QString::fromUtf8(francais);
    return raison;
}

QString ErreurSysteme::Numero(int erreur)
{
    for (const auto& [numero, francais] : ParNumero)
        if (numero == erreur) return QString::fromUtf8(francais);
    return EnFrancais(QString::fromLocal8Bit(std::strerror(erreur)));
}
