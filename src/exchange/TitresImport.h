#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

class AssociationChamps;
class TableImport;

// The first line of a standard CSV that names the book's fields, as the
// program's own standard export writes it or as a user types titles in a
// spreadsheet: it is a title line rather than a record, and it tells which
// column fills which field.
class TitresImport
{
public:
    // Whether line 0 is such a line: at least one of its cells, and at least half
    // of those not empty, name a field (by the book's title or its internal name,
    // ignoring case, accents, spaces and punctuation). Each field then takes the
    // first column naming it in `association`.
    static bool Reconnait(const TableImport& table, const std::vector<std::string>& titres,
                          AssociationChamps& association);
    // Letters and digits only, lower case, without accents: "Tél. 1" gives "tel1".
    static QString Forme(std::string_view texte);
};
