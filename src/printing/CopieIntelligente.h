#pragma once

#include "printing/PlageCellules.h"

#include <QString>
#include <string>

class OptionsCopie;
class Repertoire;

// The texts the copy commands put on the clipboard, in Windows-1252 with every
// line, the last included, ended by CR LF.
class CopieIntelligente
{
public:
    // The record laid out like an address block, with the ticked fields that are not
    // empty; composed lines (name, position, towns) join their fields with blanks.
    static std::string TexteFiche(const Repertoire& rep, int ligne, const OptionsCopie& options);

    // The heading, an empty line, then for each row of the block its non-empty cells
    // one per line and an empty line. A block of one cell stands for the whole book
    // (every record, every column) and the heading has no " (sélection)".
    static std::string TexteListe(const Repertoire& rep, PlageCellules plage);
    // The block TexteListe copies: the whole book when `plage` is one cell.
    static PlageCellules PlageCopiee(const Repertoire& rep, PlageCellules plage);

    // "Carnet d'adresses : Répertoire " and the book's file name without its folder,
    // cut before its first "." (nothing for an unnamed book).
    static QString TitreRepertoire(const QString& fichier);
};
