#include "LectureImport.h"

#include "TableImport.h"
#include "records/FichierRep.h"
#include "records/TexteTaille.h"

#include <QChar>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <algorithm>

namespace
{
QString Echec(const QString& chemin, const QString& raison)
{
    return QString::fromUtf8("Impossible d'importer le fichier « %1 » :\n%2").arg(chemin, raison);
}

QString Nombre(size_t n)
{
    return QLocale(QLocale::French, QLocale::France).toString(static_cast<qulonglong>(n));
}

// A character as the user can recognise it in a message.
QString Caractere(uint32_t cp)
{
    if (cp == 0xFFFD) return QString::fromUtf8("caractère illisible");
    const char32_t c = cp;
    const QString texte = QString::fromUcs4(&c, 1);
    if (QChar::isPrint(cp)) return QString::fromUtf8("« %1 »").arg(texte);
    return QStringLiteral("U+%1").arg(cp, 4, 16, QLatin1Char('0')).toUpper();
}
} // namespace

LectureImport::Limites LectureImport::DuLivre(int64_t fiches)
{
    Limites limites;
    limites.octets = FichierRep::TailleMax();
    limites.lignes = std::max<int64_t>(limites.octets / OctetsFicheVide - fiches, 0);
    return limites;
}

QString LectureImport::ReadDelimitedFile(const QString& chemin, TypeFichier type,
                                         TableImport& table, Encodage::Bilan* bilan)
{
    return ReadDelimitedFile(chemin, type, table, bilan, DuLivre());
}

QString LectureImport::ReadDelimitedFile(const QString& chemin, TypeFichier type,
                                         TableImport& table, Encodage::Bilan* bilan,
                                         const Limites& limites)
{
    // Read straight into the buffer the staging table will keep: no copy.
    std::string octets;
    QString raison = LitFichier(chemin, octets, limites);
    if (!raison.isEmpty()) return Echec(chemin, raison);
    raison = DepuisOctets(std::move(octets), type, table, bilan, limites.lignes);
    return raison.isEmpty() ? QString() : Echec(chemin, raison);
}

QString LectureImport::LitFichier(const QString& chemin, std::string& octets,
                                  const Limites& limites)
{
    QString raison = OuvertureSure::LitTout(chemin, octets, limites.octets, limites.bloc);
    if (!raison.isEmpty()) {
        const int64_t taille = QFileInfo(chemin).size();
        if (OuvertureSure::EstOrdinaire(chemin) && taille > limites.octets)
            raison = QString::fromUtf8("le fichier fait %1, plus que les %2 qu'un répertoire "
                                       "peut avoir sur cet ordinateur.")
                         .arg(TexteTaille::Mo(taille, limites.octets),
                              TexteTaille::Mo(limites.octets, taille));
    }
    return raison;
}

QString LectureImport::DepuisOctets(std::string octets, TypeFichier type, TableImport& table,
                                    Encodage::Bilan* bilan, int64_t maxLignes)
{
    const Encodage::Bilan b = Encodage::VersWindows1252(octets);
    if (bilan) *bilan = b;
    TableImport nouvelle;
    QString erreur;
    if (type == TypeFichier::CsvStandard) {
        const char separateur = TableImport::SeparateurCsv(octets);
        erreur = nouvelle.DecoupeCsv(std::move(octets), separateur, maxLignes);
    } else {
        erreur = nouvelle.Decoupe(std::move(octets), FormatEchange::Separateur(type), maxLignes);
    }
    if (!erreur.isEmpty()) return erreur;
    table = std::move(nouvelle);
    return {};
}

QString LectureImport::Compte(const Encodage::Bilan& bilan)
{
    QStringList phrases;
    if (bilan.remplaces > 0) {
        QStringList liste;
        for (const auto& [cp, fois] : bilan.inconnus)
            liste << (fois > 1 ? QString::fromUtf8("%1 (%2 fois)").arg(Caractere(cp), Nombre(fois))
                               : Caractere(cp));
        if (bilan.autres) liste << QString::fromUtf8("d'autres encore");
        phrases << (bilan.remplaces == 1
                        ? QString::fromUtf8("Le carnet ne sait pas écrire 1 caractère du "
                                            "fichier : %1. Il a été remplacé par « ? ».")
                        : QString::fromUtf8("Le carnet ne sait pas écrire %1 caractères du "
                                            "fichier : %2. Ils ont été remplacés par « ? ».")
                              .arg(Nombre(bilan.remplaces)))
                       .arg(liste.join(QStringLiteral(", ")));
    }
    if (bilan.nuls == 1)
        phrases << QString::fromUtf8("1 caractère nul (invisible) a été supprimé.");
    else if (bilan.nuls > 1)
        phrases << QString::fromUtf8("%1 caractères nuls (invisibles) ont été supprimés.")
                       .arg(Nombre(bilan.nuls));
    return phrases.join(QLatin1Char('\n'));
}
