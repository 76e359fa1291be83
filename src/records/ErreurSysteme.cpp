#include "ErreurSysteme.h"

#include <utility>

QString ErreurSysteme::EnFrancais(const QString& raison)
{
    static const std::pair<const char*, const char*> table[] = {
        {"No such file or directory", "Fichier ou dossier introuvable"},
        {"Permission denied", "Permission refusée"},
        {"No space left on device", "Plus de place sur le disque"},
        {"Read-only file system", "Système de fichiers en lecture seule"},
        {"Is a directory", "C'est un dossier"},
        {"Not a directory", "Ce n'est pas un dossier"},
        {"File exists", "Le fichier existe déjà"},
        {"Disk quota exceeded", "Quota de disque dépassé"},
        {"File name too long", "Nom de fichier trop long"},
        {"Input/output error", "Erreur d'entrée/sortie"},
        {"Too many open files", "Trop de fichiers ouverts"},
        {"File too large", "Fichier trop volumineux"},
        {"Operation not permitted", "Opération non permise"},
        {"Device or resource busy", "Périphérique ou ressource occupé"},
        {"Unknown error", "Erreur inconnue"},
    };
    for (const auto& [anglais, francais] : table)
        if (raison.contains(QLatin1String(anglais), Qt::CaseInsensitive))
            return QString::fromUtf8(francais);
    return raison;
}
