#pragma once

#include "FormatEtiquette.h"
#include "records/OuvertureSure.h"

#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The user's catalogue of label-sheet formats and the selected one, kept in two
// text files: the ".FOR" file (one name per line) and the ".GAP" file (six lines
// per format: the sheet parameters in tenths of a millimetre). The first entry
// cannot be deleted, so the list is never empty.
//
// Nothing the files hold is lost: a name that is not a label size stays in the list
// (it cannot be printed), a value that is not a whole number between 0 and 1000 is
// used as 0 or its nearest bound but written back as it was until the user moves its
// slider, and lines after the last format's six values are kept at the end.
class Catalogue
{
public:
    // The four built-in formats, the first selected.
    Catalogue();
    static std::vector<FormatEtiquette> Integres();

    int Nombre() const { return static_cast<int>(m_formats.size()); }
    const FormatEtiquette& Format(int index) const
    {
        return m_formats.at(static_cast<size_t>(index));
    }
    const std::vector<FormatEtiquette>& Formats() const { return m_formats; }
    // The selected index as remembered; may be out of range until Courant() is asked.
    int Selection() const { return m_courant; }
    // The selected index, the first entry when the remembered one is out of range.
    int Courant() const;
    const FormatEtiquette& FormatCourant() const { return Format(Courant()); }

    void Selectionne(int index) { m_courant = index; }
    // Removes an entry other than the first; the selection goes to the last entry.
    bool Supprime(int index);
    // Appends and selects.
    void Ajoute(const FormatEtiquette& format);
    void SetParametre(int index, int quel, int valeur);

    // The catalogue file of `dossier` named `base` + "." + `extension` whatever the
    // case of the extension; when none exists, the name the writer uses (lower case).
    static QString Fichier(const QString& dossier, const QString& base, const QString& extension);
    // The copy of the previous file kept at each rewrite.
    static QString Sauvegarde(const QString& chemin) { return chemin + QStringLiteral(".bak"); }

    // Replaces the catalogue with the files' content, read `bloc` bytes at a time.
    // `indexRetenu` is used only when the ".FOR" file exists. Returns an empty text,
    // or one French message counting what was wrong and saying what was done.
    QString Lit(const QString& cheminFor, const QString& cheminGap, int indexRetenu,
                size_t bloc = OuvertureSure::BlocParDefaut);
    // The same from the files' bytes already in memory (null: no such file); the
    // names are those the message gives.
    QString LitOctets(const std::string* octetsFor, const std::string* octetsGap,
                      const QString& nomFor, const QString& nomGap, int indexRetenu);

    // The two files' bytes as the close writes them.
    std::string OctetsFormats() const;
    std::string OctetsMarges() const;
    // Replaces both files together, or neither, keeping the previous pair as
    // ".bak" files; nothing is written when the files already hold these bytes.
    // Empty, or the French reason. A catalogue whose files could not be read whole
    // is never written over them.
    QString Ecrit(const QString& cheminFor, const QString& cheminGap) const;
    bool EcritureBloquee() const { return m_ecritureBloquee; }

    // Beyond these sizes a file is not a catalogue: it is not read whole, and so
    // never rewritten.
    static constexpr int64_t TailleMaxFichier = 16 * 1024 * 1024;
    static constexpr int NombreMaxFormats = 200000;

private:
    struct Source;
    QString Analyse(Source& formats, Source& marges, int indexRetenu);

    // The lines of the files as they were: the name, and the values the reader could
    // not use (absent when all six were sound).
    using Valeurs = std::array<std::optional<std::string>, FormatEtiquette::NbParametres>;
    struct Brut {
        std::string nom;
        std::unique_ptr<Valeurs> valeurs;
    };

    std::vector<FormatEtiquette> m_formats;
    std::vector<Brut> m_bruts;  // one per format
    std::string m_lignesEnTrop; // after the last format's values, each ended by CR LF
    int m_courant = 0;
    bool m_ecritureBloquee = false;
};
