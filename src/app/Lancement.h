#pragma once

#include <QString>
#include <functional>

class TFiche;

// The program's start, shared by main() and the benchmark, which times it from the
// process's exec to the first record shown.
class Lancement
{
public:
    struct Options {
        // Empty: the user's settings file, and the running program's folder.
        QString reglages;
        QString dossierProgramme;
        // Called once the main window has first painted the record it shows.
        std::function<void(TFiche&)> premiereFicheAffichee;
    };
    static int Execute(int argc, char** argv, const Options& options);
};
