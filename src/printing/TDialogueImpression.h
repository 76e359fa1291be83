#pragma once

#include "printing/ChoixImpression.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

// The print dialog: the system's printers and "Fichier PDF" (always there; chosen
// when no printer is installed), the PDF file's name with the question before an
// existing file is replaced, and, when the job has them, the choice between the
// whole list and the selection and the number of copies.
class TDialogueImpression : public QDialog
{
    Q_OBJECT
public:
    enum Option { AvecSelection = 1, AvecCopies = 2 };

    explicit TDialogueImpression(QWidget* parent = nullptr);

    // Shows the dialog starting from `choix` (its printer when installed, its PDF
    // name); true on "OK" with the user's choice in `choix`. A PDF named without a
    // folder goes into the folder of the name proposed.
    bool Choisit(ChoixImpression& choix, int options);

    // The printers of the system; empty when none is installed.
    static QStringList Imprimantes();
    // The file dialog of "Parcourir..."; tests replace it.
    std::function<QString(const QString& depart)> ChoisitFichier;

    QComboBox* ListeImprimantes() const { return m_imprimantes; }
    QLineEdit* Fichier() const { return m_fichier; }
    QRadioButton* Selection() const { return m_selection; }
    QSpinBox* Copies() const { return m_copies; }
    QPushButton* BoutonOk() const { return m_ok; }
    QPushButton* BoutonAnnuler() const { return m_annuler; }

    void accept() override;

private:
    void ImprimanteChangee();
    bool PdfChoisi() const;

    QComboBox* m_imprimantes;
    QLineEdit* m_fichier;
    QPushButton* m_parcourir;
    QWidget* m_etendue;
    QRadioButton* m_tout;
    QRadioButton* m_selection;
    QWidget* m_zoneCopies;
    QSpinBox* m_copies;
    QPushButton* m_ok;
    QPushButton* m_annuler;
    QString m_dossierPropose;
};
