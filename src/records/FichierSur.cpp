#include "FichierSur.h"

#include "ErreurSysteme.h"

#include <QSaveFile>

QString FichierSur::Ecrit(const QString& chemin, const char* octets, size_t taille)
{
    // Unbuffered, and every write checked: QSaveFile's own buffering loses a
    // failed flush and commits a truncated file as if all went well.
    QSaveFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return ErreurSysteme::EnFrancais(fichier.errorString());
    size_t ecrits = 0;
    while (ecrits < taille) {
        const qint64 n = fichier.write(octets + ecrits, static_cast<qint64>(taille - ecrits));
        if (n <= 0) {
            const QString raison = fichier.errorString();
            fichier.cancelWriting();
            return ErreurSysteme::EnFrancais(raison);
        }
        ecrits += static_cast<size_t>(n);
    }
    if (fichier.error() != QFileDevice::NoError) {
        const QString raison = fichier.errorString();
        fichier.cancelWriting();
        return ErreurSysteme::EnFrancais(raison);
    }
    if (!fichier.commit()) return ErreurSysteme::EnFrancais(fichier.errorString());
    return {};
}
