#pragma once

#include <QString>
#include <QStringList>

// Where the program finds the files it comes with (the French help, the default
// label-sheet catalogue) and where each user's own files go. The program may run
// from its build folder, from a folder it was unpacked into, or installed under a
// prefix (bin/carnet with its data in share/carnet/): its own folder is looked at
// first, then the share/carnet/ beside its bin/ folder, then "carnet" in each of the
// system's data folders ($XDG_DATA_DIRS).
class DonneesProgramme
{
public:
    // The program's folder when `dossierProgramme` is empty.
    static QStringList Dossiers(const QString& dossierProgramme = QString());
    // The first regular file `nom` (a path relative to those folders), or empty.
    static QString Trouve(const QString& nom, const QString& dossierProgramme = QString());
    // Whether the program is installed: in a bin/ folder with share/carnet/ beside
    // it. An installed program never writes beside itself, even when it could (run by
    // the system's administrator): each user's files go to DossierPerso.
    static bool Installe(const QString& dossierProgramme = QString());
    // Whether the program keeps the files it writes (photos, the label catalogue)
    // beside itself: when it runs from a folder of its own it may write in (a build
    // folder, a program unpacked anywhere), not when installed. Else DossierPerso.
    static bool EcritACote(const QString& dossierProgramme = QString());
    // Each user's own files (photos when the program's folder cannot hold them, the
    // label catalogue of an installed program): $XDG_DATA_HOME/carnet.
    static QString DossierPerso();
};
