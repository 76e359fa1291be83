#pragma once

#include "records/Champs.h"

#include <QDialog>

class OptionsRecherche;
class QCheckBox;
class QPushButton;
class QTabWidget;
class TCasesChamps;
class Reglages;

// "Rechercher uniquement dans les champs :": one check box per searchable field on
// three pages. A change takes effect at once; there is nothing to cancel.
class TSchOpt : public QDialog
{
    Q_OBJECT
public:
    TSchOpt(OptionsRecherche& options, QWidget* parent = nullptr);

    // The options from "Options de recherche" (every one on when missing); the page
    // "Privé" is shown.
    void Lit(const Reglages& reglages);
    // The 45 flags, for the write at close.
    void Ecrit(Reglages& reglages) const;

    QTabWidget* Pages() const;
    QCheckBox* Case(int champ) const;
    QPushButton* ToutSelectionner() const;
    QPushButton* ToutDeselectionner() const;
    QPushButton* Fermer() const { return m_fermer; }

protected:
    void showEvent(QShowEvent* evenement) override;

private:
    void MajCases();

    OptionsRecherche& m_options;
    TCasesChamps* m_cases;
    QPushButton* m_fermer;
};
