#pragma once

#include "printing/OptionsCopie.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QTabWidget;
class TCasesChamps;
class Reglages;

// "Copier les champs :": the fields the smart copy includes, one box per field on
// three pages. "OK" keeps the boxes; "Annuler" puts them back as they were.
class TCopyOpt : public QDialog
{
    Q_OBJECT
public:
    explicit TCopyOpt(QWidget* parent = nullptr);

    // The boxes from "Options de copie" (the defaults when missing).
    void Lit(const Reglages& reglages);
    // The 45 flags, for the write at close.
    void Ecrit(Reglages& reglages) const;

    // Shows the dialog modally: true when closed with "OK". It opens on the page it
    // was left on ("Privé" the first time).
    bool Choisit();
    const OptionsCopie& Options() const { return m_options; }

    QTabWidget* Pages() const;
    QCheckBox* Case(int champ) const;
    QPushButton* ToutSelectionner() const;
    QPushButton* ToutDeselectionner() const;
    QPushButton* BoutonOk() const { return m_ok; }
    QPushButton* BoutonAnnuler() const { return m_annuler; }

private:
    void MajCases();

    OptionsCopie m_options;
    TCasesChamps* m_cases;
    QPushButton* m_ok;
    QPushButton* m_annuler;
};
