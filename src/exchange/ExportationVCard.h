#pragma once

#include "FormatEchange.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <string>

class Repertoire;

// Export of the book as vCard 3.0 or 4.0: one card per record, in the book's
// order, every record or those chosen for the mailing; the photos embedded from
// the images folder.
class ExportationVCard
{
public:
    // A picture is embedded up to this size; a larger one is left out and told.
    static constexpr int64_t MaxImage = int64_t(1) << 20;

    struct Bilan {
        int fiches = 0;
        int photos = 0;         // embedded
        int photosAbsentes = 0; // named by a record, not in the images folder
        int photosTropGrandes = 0;
        QStringList exemples; // the first pictures left out, by name
    };

    // The bytes of the file, a mebibyte at a time to `ecrit` (false stops);
    // `image` reads a record's picture (false: none to embed, with why in Bilan).
    static bool Produit(const Repertoire& rep, TypeFichier type, bool choisies,
                        const QString& dossierImages, Bilan& bilan,
                        const std::function<bool(const char*, size_t)>& ecrit);
    static std::string Octets(const Repertoire& rep, TypeFichier type, bool choisies = false,
                              const QString& dossierImages = QString(), Bilan* bilan = nullptr);
    // Writes the file safely (temporary file, synced, renamed). Empty on success,
    // else the French message.
    static QString Exporte(const QString& chemin, const Repertoire& rep, TypeFichier type,
                           bool choisies, const QString& dossierImages, Bilan* bilan = nullptr);
    // What the user is told after an export that left pictures out; empty when
    // there is nothing to say.
    static QString Compte(const Bilan& bilan);
};
