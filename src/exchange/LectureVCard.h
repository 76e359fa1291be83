#pragma once

#include "AssociationChamps.h"
#include "Encodage.h"
#include "LectureImport.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CheminsPhoto;
class Repertoire;
class TableImport;

// Import of a vCard file through the staging table: line 0 titles the columns,
// each card is a line, each column a property of the mapping that some card holds
// (in field order), then the properties it has no field for, in the order met.
// Fields start associated with their property's column. The pictures stay encoded
// in the file until the association is confirmed.
class LectureVCard
{
public:
    // A picture is imported up to this size; a larger one is left out and told.
    static constexpr size_t MaxImage = size_t(10) << 20;

    // Reads `chemin` into `table` and the mapping's associations into `association`.
    // Empty on success, else the French message naming the file; `table` then
    // stays as it was.
    QString Lit(const QString& chemin, TableImport& table, AssociationChamps& association,
                Encodage::Bilan* bilan, const LectureImport::Limites& limites);
    // The same from bytes; the message then gives only the reason.
    QString DepuisOctets(std::string octets, TableImport& table, AssociationChamps& association,
                         Encodage::Bilan* bilan = nullptr, int64_t maxFiches = INT32_MAX - 1);

    // The column holding the pictures' proposed names, or -1.
    int ColonnePhoto() const { return m_colonnePhoto; }

    struct BilanPhotos {
        int ecrites = 0;    // new files in the images folder
        int reprises = 0;   // the same picture was already there
        int illisibles = 0; // not base64, or empty
        int tropGrandes = 0;
        int echecs = 0; // could not be written
        QString erreur; // the first failure's reason
    };
    // When the Photo field is associated with the pictures' column: decodes the
    // picture of every imported line into the images folder and returns, for each
    // line whose record must name another file than proposed (or none, when the
    // picture could not be kept), the staging line and the name.
    std::vector<std::pair<int, std::string>> EcritPhotos(const CheminsPhoto& photos,
                                                         const TableImport& table,
                                                         const AssociationChamps& association,
                                                         BilanPhotos& bilan) const;
    // What the user is told after the import: cards without their end, nested
    // cards skipped, columns left out, pictures; empty when all went well.
    QString Compte(const BilanPhotos& photos) const;

private:
    std::string m_octets; // the file, whose pictures are decoded after the association
    std::vector<std::pair<int, std::pair<std::string_view, std::string_view>>> m_images;
    int m_colonnePhoto = -1;
    long long m_sansFin = 0;
    long long m_imbriquees = 0;
    long long m_sansColonne = 0;
};
