#pragma once

#include "Encodage.h"
#include "FormatEchange.h"
#include "records/Champs.h"
#include "records/OuvertureSure.h"

#include <QString>
#include <cstdint>
#include <string>

class TableImport;

// Reads a delimited file into the staging table.
class LectureImport
{
public:
    // What one import may bring: the book's own limits, so that any file the
    // program could export imports back, and no import makes a book the program
    // could no longer open.
    struct Limites {
        int64_t octets = 0;                         // the file's size
        int64_t lignes = 0;                         // lines, each a record to add
        size_t bloc = OuvertureSure::BlocParDefaut; // bytes asked of each read
    };
    // A record's least room in the book's file: its flag line and 46 empty lines.
    static constexpr int64_t OctetsFicheVide = 3 + 2 * NbColonnes;
    // The largest book this computer opens, holding `fiches` records already.
    static Limites DuLivre(int64_t fiches = 0);

    // Only a regular file is read (a pipe or a device is refused at once). Types 1
    // and 2 split on their separator with no quoting, the standard CSV by its
    // quoting rules and the separator found on its first line. UTF-8 and UTF-16
    // files are converted first (see Encodage). Empty on success, else the French
    // message naming the file; `table` then stays as it was.
    static QString ReadDelimitedFile(const QString& chemin, TypeFichier type, TableImport& table,
                                     Encodage::Bilan* bilan = nullptr);
    static QString ReadDelimitedFile(const QString& chemin, TypeFichier type, TableImport& table,
                                     Encodage::Bilan* bilan, const Limites& limites);
    // The same from bytes already read; the message then gives only the reason.
    // The whole file read within the limits, or why not (a file too large says by
    // how much).
    static QString LitFichier(const QString& chemin, std::string& octets, const Limites& limites);
    static QString DepuisOctets(std::string octets, TypeFichier type, TableImport& table,
                                Encodage::Bilan* bilan = nullptr,
                                int64_t maxLignes = INT32_MAX - 1);
    // What the user is told after an import that could not keep some characters;
    // empty when there is nothing to say.
    static QString Compte(const Encodage::Bilan& bilan);
};
