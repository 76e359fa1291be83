#pragma once

#include "Repertoire.h"

#include <QByteArray>
#include <QString>
#include <string>

// The .REP file: two number lines (row count including the header row, sort
// column), then for each row its mailing flag and its 46 cells, one per line,
// line breaks inside a cell folded to the byte 0x07. Windows-1252, CR LF.
class FichierRep
{
public:
    // Parses the file into `resultat` (replaced only on success). Returns an
    // empty string on success, else a French message naming the file and the reason.
    static QString ChargeRepertoire(const QString& chemin, Repertoire& resultat);
    static QString ChargeDepuisOctets(const QByteArray& octets, const QString& chemin,
                                      Repertoire& resultat);
    // Writes atomically: on failure the previous file is untouched. Clears
    // Modifie only on success. Does not change FichierCourant.
    static QString EcritRepertoire(const QString& chemin, Repertoire& rep);
    static QByteArray Serialise(const Repertoire& rep);
};
