#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

class QFile;

// Everything the program reads from a path (book, import, photo, catalogue) is
// opened here: without waiting, so that a named pipe cannot hold the window, and
// only when it is a regular file, so that a device or a /proc file is refused with
// its reason instead of reading as empty or endless.
class OuvertureSure
{
public:
    // The size of the blocks readers read; the tests lower it to cross every
    // buffer edge a real file would.
    static constexpr size_t BlocParDefaut = size_t(1) << 20;

    // A file descriptor open for reading (blocking again once checked), or -1 with
    // the French reason in `raison`. `taille` receives the file's size.
    static int Ouvre(const QString& chemin, QString* raison, int64_t* taille = nullptr);
    // The same, handing the descriptor to `fichier` (which closes it).
    static bool Ouvre(const QString& chemin, QFile& fichier, QString* raison);
    // Reads the whole file into `octets`, `bloc` bytes per read, refusing a file
    // larger than `max` before reading it. Empty on success, else the reason.
    static QString LitTout(const QString& chemin, std::string& octets, int64_t max,
                           size_t bloc = BlocParDefaut);
    // The reason given for a path that is not a regular file.
    static QString PasOrdinaire();
    // True when `chemin` names a regular file (following links), without opening it.
    static bool EstOrdinaire(const QString& chemin);
};
