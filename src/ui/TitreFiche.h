#pragma once

#include "records/Repertoire.h"

#include <QString>
#include <string_view>

// The main window's caption: the file's short name, the position of the record
// shown and the person (or company) it names.
class TitreFiche
{
public:
    // The file name without its folder, cut before its first "."; "SANS NOM" for
    // no file or a name that begins with ".".
    static QString NomCourt(const QString& chemin);
    // Carnet d'adresses "amis" - Fiche n°3/12 [Jean Dupont]
    // The person's part is cut to LongueurPersonne characters, then "…". A book open
    // read-only says so after its name: Carnet d'adresses "amis" (lecture seule) - ...
    static QString Compose(const Repertoire& rep, int ligne, bool lectureSeule = false);

    // A cell's text as handed to the window system: at most `max` characters, then
    // "…". The window system refuses texts of many megabytes (and a caption that
    // long would stop the program at every start).
    static QString Borne(std::string_view texte, int max);

    static constexpr int LongueurPersonne = 200;
};
