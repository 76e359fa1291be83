#include "FormatEchange.h"

#include <QDir>
#include <QFileInfo>

char FormatEchange::Separateur(TypeFichier type)
{
    switch (type) {
    case TypeFichier::Texte:
        return '\t';
    case TypeFichier::Csv:
        return ';';
    case TypeFichier::CsvStandard:
    case TypeFichier::VCard3:
    case TypeFichier::VCard4:
    case TypeFichier::VCard:
        break;
    }
    return ',';
}

QString FormatEchange::Extension(TypeFichier type)
{
    switch (type) {
    case TypeFichier::Texte:
        return QStringLiteral("TXT");
    case TypeFichier::Csv:
        return QStringLiteral("CSV");
    case TypeFichier::VCard3:
    case TypeFichier::VCard4:
    case TypeFichier::VCard:
        return QStringLiteral("vcf");
    case TypeFichier::CsvStandard:
        break;
    }
    return QStringLiteral("csv");
}

QString FormatEchange::Filtre(TypeFichier type)
{
    switch (type) {
    case TypeFichier::Texte:
        return QStringLiteral("Texte (*.TXT)");
    case TypeFichier::Csv:
        return QStringLiteral("Comma separated value (*.CSV)");
    case TypeFichier::VCard3:
        return QStringLiteral("vCard 3.0 (*.vcf)");
    case TypeFichier::VCard4:
        return QStringLiteral("vCard 4.0 (*.vcf)");
    case TypeFichier::VCard:
        return QStringLiteral("vCard (*.vcf)");
    case TypeFichier::CsvStandard:
        break;
    }
    return QStringLiteral("CSV standard (*.csv)");
}

QStringList FormatEchange::FiltresExport()
{
    return {Filtre(TypeFichier::Texte), Filtre(TypeFichier::Csv), Filtre(TypeFichier::CsvStandard),
            Filtre(TypeFichier::VCard3), Filtre(TypeFichier::VCard4)};
}

QStringList FormatEchange::FiltresImport()
{
    return {Filtre(TypeFichier::Texte), Filtre(TypeFichier::Csv), Filtre(TypeFichier::CsvStandard),
            Filtre(TypeFichier::VCard)};
}

TypeFichier FormatEchange::TypeDuFiltre(const QString& filtre)
{
    for (TypeFichier type : {TypeFichier::Texte, TypeFichier::CsvStandard, TypeFichier::VCard3,
                             TypeFichier::VCard4, TypeFichier::VCard})
        if (filtre == Filtre(type)) return type;
    return TypeFichier::Csv;
}

QString FormatEchange::NomPropose(const QString& fichierCourant, TypeFichier type)
{
    if (fichierCourant.isEmpty()) return QStringLiteral("*.") + Extension(type);
    return AvecExtension(fichierCourant, type);
}

QString FormatEchange::AvecExtension(const QString& chemin, TypeFichier type)
{
    const QFileInfo info(chemin);
    QString nom = info.fileName();
    const qsizetype point = nom.lastIndexOf(QLatin1Char('.'));
    // A leading dot names a hidden file, not an extension.
    if (point > 0) nom.truncate(point);
    nom += QLatin1Char('.') + Extension(type);
    const QString dossier = info.path();
    if (chemin.contains(QLatin1Char('/')) || dossier != QLatin1String("."))
        return QDir(dossier).filePath(nom);
    return nom;
}
