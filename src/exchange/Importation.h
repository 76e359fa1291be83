#pragma once

#include <cstdint>

class AssociationChamps;
class Repertoire;
class TableImport;

// Appends the staging table's records to the book, in file order.
class Importation
{
public:
    // The book's only record is the blank one of a new book: the first line
    // fills it instead of leaving it empty at the top. A single record holding
    // anything, even only its mailing flag, is kept.
    static bool FicheVierge(const Repertoire& rep);
    // How many rows AppendImportedRecords adds to the book.
    static int NbLignesAjoutees(const Repertoire& rep, const TableImport& table);
    // Each record line (the title line excepted) becomes a record whose associated
    // fields take the line's cells and whose other fields stay empty; new rows are
    // not chosen for the mailing. Sets Modifie. Returns the row of the last
    // imported record.
    static int AppendImportedRecords(Repertoire& rep, const TableImport& table,
                                     const AssociationChamps& association);
    // The size of the book's file once the records are appended, or an upper
    // bound of it when that bound is no more than `seuil` (found without reading
    // every line).
    static int64_t TailleFichierApres(const Repertoire& rep, const TableImport& table,
                                      const AssociationChamps& association, int64_t seuil);
};
