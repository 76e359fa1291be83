#pragma once

#include "FormatEchange.h"

#include <QFileDialog>

class QCheckBox;

// The save dialog of the export. The type chosen decides the file's extension:
// the name shown follows the type while the dialog is open, and the question
// about replacing a file is asked once, about the file that will be written;
// "Non" leaves the dialog open to choose another name.
class TDialogueExport : public QFileDialog
{
    Q_OBJECT
public:
    TDialogueExport(QWidget* parent, const QString& dossier, TypeFichier type, const QString& nom);

    TypeFichier Type() const;
    // vCard: only the records chosen for the mailing (a vCard file often carries a
    // few contacts to a telephone or a colleague); the delimited types keep every record.
    bool Choisies() const;
    void SetChoisies(bool choisies);
    QCheckBox* CaseChoisies() const { return m_choisies; }
    // The file the export writes: the chosen name with the type's extension.
    QString Fichier() const;

    void accept() override;

    // The question asked before replacing `fichier`.
    static QString QuestionRemplacer(const QString& fichier);

private:
    void TypeChoisi(const QString& filtre);

    QCheckBox* m_choisies = nullptr;
};
