#pragma once

#include <QString>
#include <string>
#include <string_view>

// The photo files of the records: each lives in the images folder and a record's
// Photo cell holds only its bare name. Cells come from files that other people
// write, so a value that could reach outside the folder is never used as a path.
class CheminsPhoto
{
public:
    explicit CheminsPhoto(const QString& dossierImages);
    // The images folder of a program living in `dossierProgramme` (ending with "/"),
    // created if missing: beside the program, or in the user's data folder when the
    // program's folder cannot hold it (a program installed for every user).
    static QString PrepareDossier(const QString& dossierProgramme);

    const QString& Dossier() const { return m_dossier; }

    // A bare file name: not empty, no folder separator ("/" or "\"), no drive (":"),
    // not "." or "..", no control character.
    static bool NomSur(std::string_view cellule);
    static bool NomSur(const QString& nom);
    // The cell's file in the images folder; empty for an empty or unsafe cell.
    QString Chemin(std::string_view cellule) const;

    struct Resultat {
        std::string nom; // the Windows-1252 bare name to store; empty on failure
        QString erreur;  // the French reason of a failure
        bool copie = false;
    };
    // Puts `source` into the images folder under its own name. A file of that name
    // already there is kept and used, even when it is another picture.
    Resultat Importe(const QString& source) const;
    // Puts a picture received as bytes (a card's photo) into the images folder under
    // `nom`, a safe bare name: a file already there with the same bytes is used as
    // it is; one with other bytes (or any link) is never replaced, the picture then
    // taking the first free name of "nom-2.ext", "nom-3.ext"...
    Resultat Depose(std::string_view octets, const std::string& nom) const;

private:
    QString m_dossier;
};
