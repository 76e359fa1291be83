#pragma once

#include <QString>
#include <QStringList>

// The command line: a book to open, or a question the program answers without
// opening a window (--help, --version), or an option it does not know.
class LigneCommande
{
public:
    enum class Action { Lancer, Aide, Version, Erreur };
    struct Resultat {
        Action action = Action::Lancer;
        QStringList arguments; // the arguments that are not options: the book first
        QString texte;         // what to print: on stdout for Aide and Version, stderr for Erreur
        int code = 0;          // the exit status when not Lancer
    };

    // `arguments` without the program's name, read before Qt takes its own options
    // (so that --version answers without a display). Qt's own options (-platform,
    // -style...) are left to Qt; "--" ends the options.
    static Resultat Analyse(const QStringList& arguments, const QString& dossierProgramme);
    static QString Version();
};
