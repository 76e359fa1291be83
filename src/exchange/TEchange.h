#pragma once

#include "FormatEchange.h"
#include "LectureImport.h"

#include <QObject>
#include <QString>
#include <functional>

class TAsso;
class TFiche;

// The commands "E&xporter..." and "Im&porter..." of the main window: the file
// dialogs, the writer, the reader, the association dialog and the append.
class TEchange : public QObject
{
    Q_OBJECT
public:
    TEchange(TFiche& fiche, TAsso& asso);

    // The file dialogs: the chosen path (empty: cancelled) and the type chosen in
    // the dialog; the export's has asked before replacing a file. Tests replace them.
    std::function<QString(TypeFichier& type)> ChoisitFichierExport;
    std::function<QString(TypeFichier& type)> ChoisitFichierImport;
    // The association dialog, prepared: true when the user confirmed it.
    std::function<bool(TAsso&)> ExecuteAsso;
    // What an import may bring to a book of so many records: the book's own
    // limits on this computer. Tests lower them.
    std::function<LectureImport::Limites(int64_t fiches)> LimitesImport;

    // The type each dialog shows: type 2 the first time, then the last one chosen.
    TypeFichier TypeExport() const { return m_typeExport; }
    TypeFichier TypeImport() const { return m_typeImport; }
    // Whether the export dialog's vCard choice "only the records chosen for the
    // mailing" was ticked last time (kept for the run).
    bool ExportChoisies() const { return m_exportChoisies; }

    // True when a file was written.
    bool Exporter1Click();
    // True when records were appended.
    bool Importer1Click();

    // Exports the book to `chemin` (its extension set by the type); a failure is told,
    // and so are the photos a vCard export had to leave out. `choisies`: vCard only,
    // the records chosen for the mailing.
    bool Exporte(const QString& chemin, TypeFichier type, bool choisies = false);
    bool Importe(const QString& chemin, TypeFichier type);

private:
    QString DialogueExport(TypeFichier& type);
    QString DialogueImport(TypeFichier& type);
    QString DossierInitial() const;

    TFiche& m_fiche;
    TAsso& m_asso;
    TypeFichier m_typeExport = TypeFichier::Csv;
    TypeFichier m_typeImport = TypeFichier::Csv;
    bool m_exportChoisies = false;
};
