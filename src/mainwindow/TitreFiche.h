#pragma once

#include "records/Repertoire.h"

#include <QString>

// The main window's caption: the file's short name, the position of the record
// shown and the person (or company) it names.
class TitreFiche
{
public:
    // The file name without its folder, cut before its first "."; "SANS NOM" for
    // no file or a name that begins with ".".
    static QString NomCourt(const QString& chemin);
    // Carnet d'adresses "amis" - Fiche n°3/12 [Jean Dupont]
    static QString Compose(const Repertoire& rep, int ligne);
};
