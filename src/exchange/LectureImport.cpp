#include "LectureImport.h"

#include "TableImport.h"
#include "records/ErreurSysteme.h"

#include <QFile>
#include <QLocale>

namespace
{
QString Echec(const QString& chemin, const QString& raison)
{
    return QString::fromUtf8("Impossible d'importer le fichier « %1 » :\n%2").arg(chemin, raison);
}
} // namespace

QString LectureImport::ReadDelimitedFile(const QString& chemin, TypeFichier type,
                                         TableImport& table, Encodage::Bilan* bilan)
{
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly))
        return Echec(chemin, ErreurSysteme::EnFrancais(fichier.errorString()));
    if (fichier.size() > MaxFichier)
        return Echec(chemin, QString::fromUtf8("le fichier dépasse %1 Mo : ce n'est pas un "
                                               "fichier d'adresses.")
                                 .arg(MaxFichier >> 20));
    // Read straight into the buffer the staging table will keep: no copy.
    const qint64 taille = fichier.size();
    std::string octets(static_cast<size_t>(taille), '\0');
    qint64 lus = 0;
    while (lus < taille) {
        const qint64 n = fichier.read(octets.data() + lus, taille - lus);
        if (n < 0) return Echec(chemin, ErreurSysteme::EnFrancais(fichier.errorString()));
        if (n == 0) break;
        lus += n;
    }
    octets.resize(static_cast<size_t>(lus));
    return DepuisOctets(std::move(octets), type, table, bilan);
}

QString LectureImport::DepuisOctets(std::string octets, TypeFichier type, TableImport& table,
                                    Encodage::Bilan* bilan)
{
    const Encodage::Bilan b = Encodage::VersWindows1252(octets);
    if (bilan) *bilan = b;
    TableImport nouvelle;
    QString erreur;
    if (type == TypeFichier::CsvStandard) {
        const char separateur = TableImport::SeparateurCsv(octets);
        erreur = nouvelle.DecoupeCsv(std::move(octets), separateur);
    } else {
        erreur = nouvelle.Decoupe(std::move(octets), FormatEchange::Separateur(type));
    }
    if (!erreur.isEmpty()) return erreur;
    table = std::move(nouvelle);
    return {};
}

QString LectureImport::Compte(const Encodage::Bilan& bilan)
{
    QStringList phrases;
    if (bilan.source != Encodage::Windows1252)
        phrases << QString::fromUtf8("Le fichier était écrit en %1 : il a été converti en "
                                     "Windows-1252.")
                       .arg(QString::fromLatin1(Encodage::Nom(bilan.source)));
    const QLocale fr(QLocale::French, QLocale::France);
    if (bilan.remplaces == 1)
        phrases << QString::fromUtf8("1 caractère que le carnet ne peut pas représenter a été "
                                     "remplacé par « ? ».");
    else if (bilan.remplaces > 1)
        phrases << QString::fromUtf8("%1 caractères que le carnet ne peut pas représenter ont "
                                     "été remplacés par « ? ».")
                       .arg(fr.toString(static_cast<qulonglong>(bilan.remplaces)));
    if (bilan.nuls == 1)
        phrases << QString::fromUtf8("1 octet nul a été supprimé.");
    else if (bilan.nuls > 1)
        phrases << QString::fromUtf8("%1 octets nuls ont été supprimés.")
                       .arg(fr.toString(static_cast<qulonglong>(bilan.nuls)));
    return phrases.join(QLatin1Char('\n'));
}
