#pragma once

#include "FormatEchange.h"

#include <QString>
#include <string>

class Repertoire;

// Export of the whole book: the title row, then every record in the book's
// order, 46 fields a line, CR LF after every line.
class Exportation
{
public:
    // Types 1 and 2: the separator between fields, no quoting, a CR LF pair inside
    // a field becomes one space, Windows-1252 bytes as held. Standard CSV: ","
    // with RFC 4180 quoting (line breaks kept inside the quotes), UTF-8 with a
    // byte-order mark. The bytes ExportAddressBook writes, built by the same code.
    static std::string Octets(const Repertoire& rep, TypeFichier type);
    // Writes the file as safely as a book is saved (temporary file, synced, then
    // renamed): on failure nothing is left under `chemin` and an older file stays
    // as it was. Empty on success, else the French message.
    static QString ExportAddressBook(const QString& chemin, const Repertoire& rep,
                                     TypeFichier type);
};
