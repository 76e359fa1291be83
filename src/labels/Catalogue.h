#pragma once

#include "FormatEtiquette.h"

#include <QString>
#include <vector>

// The user's catalogue of label-sheet formats and the selected one, kept in two
// text files: the ".FOR" file (one name per line) and the ".GAP" file (six lines
// per format: the sheet parameters in tenths of a millimetre). The first entry
// cannot be deleted, so the list is never empty.
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

    // Replaces the catalogue with the files' content, as far as it is sound.
    // `indexRemembered` is used only when the ".FOR" file exists. Returns an empty
    // text, or one French message saying what was wrong and what was kept.
    QString Lit(const QString& cheminFor, const QString& cheminGap, int indexRetenu);
    // Rewrites both files whole through the safe write; empty, or the French reason.
    // A catalogue whose files could not be read is never written over them.
    QString Ecrit(const QString& cheminFor, const QString& cheminGap) const;
    bool EcritureBloquee() const { return m_ecritureBloquee; }

    // Beyond these sizes a file is not a catalogue: only its beginning is read.
    static constexpr qint64 TailleMaxFichier = 4 * 1024 * 1024;
    static constexpr int NombreMaxFormats = 10000;

private:
    std::vector<FormatEtiquette> m_formats;
    int m_courant = 0;
    bool m_ecritureBloquee = false;
};
