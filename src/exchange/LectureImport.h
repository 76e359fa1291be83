#pragma once

#include "Encodage.h"
#include "FormatEchange.h"

#include <QString>
#include <cstdint>
#include <string>

class TableImport;

// Reads a delimited file into the staging table.
class LectureImport
{
public:
    // A larger file is refused before it is read: twice the 100,000-record export
    // and more, while the staging table needs up to twice the file's size.
    static constexpr int64_t MaxFichier = int64_t(128) << 20;

    // Types 1 and 2 split on their separator with no quoting, the standard CSV by its
    // quoting rules and the separator found on its first line. UTF-8 and UTF-16
    // files are converted first (see Encodage). Empty on success, else the French
    // message; `table` then stays as it was.
    static QString ReadDelimitedFile(const QString& chemin, TypeFichier type, TableImport& table,
                                     Encodage::Bilan* bilan = nullptr);
    static QString DepuisOctets(std::string octets, TypeFichier type, TableImport& table,
                                Encodage::Bilan* bilan = nullptr);
    // What the user is told after an import that converted or dropped characters;
    // empty when there is nothing to say.
    static QString Compte(const Encodage::Bilan& bilan);
};
