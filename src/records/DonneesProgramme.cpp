#include "DonneesProgramme.h"

#include "OuvertureSure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{
const QString Nom = QStringLiteral("carnet");
}

QStringList DonneesProgramme::Dossiers(const QString& dossierProgramme)
{
    const QString programme = QDir::cleanPath(
        dossierProgramme.isEmpty() ? QCoreApplication::applicationDirPath() : dossierProgramme);
    QStringList dossiers{programme,
                         QDir::cleanPath(programme + QStringLiteral("/../share/") + Nom)};
    for (const QString& systeme :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        dossiers << QDir::cleanPath(systeme + QLatin1Char('/') + Nom);
    dossiers.removeDuplicates();
    return dossiers;
}

QString DonneesProgramme::Trouve(const QString& nom, const QString& dossierProgramme)
{
    for (const QString& dossier : Dossiers(dossierProgramme)) {
        const QString chemin = dossier + QLatin1Char('/') + nom;
        if (OuvertureSure::EstOrdinaire(chemin)) return chemin;
    }
    return {};
}

bool DonneesProgramme::Installe(const QString& dossierProgramme)
{
    const QString programme = QDir::cleanPath(
        dossierProgramme.isEmpty() ? QCoreApplication::applicationDirPath() : dossierProgramme);
    return QFileInfo(programme).fileName() == QStringLiteral("bin") &&
           QFileInfo(programme + QStringLiteral("/../share/") + Nom).isDir();
}

bool DonneesProgramme::EcritACote(const QString& dossierProgramme)
{
    const QString programme =
        dossierProgramme.isEmpty() ? QCoreApplication::applicationDirPath() : dossierProgramme;
    const QFileInfo dossier(programme);
    return dossier.isDir() && dossier.isWritable() && !Installe(programme);
}

QString DonneesProgramme::DossierPerso()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QLatin1Char('/') + Nom;
}
