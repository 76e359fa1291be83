#pragma once

#include "Chercheur.h"
#include "Historique.h"

#include <QDialog>

class CibleRecherche;
class OptionsRecherche;
class QComboBox;
class QPushButton;
class Reglages;

// The find dialog "Chercher :": modeless, on top of the main window, with its own
// history. Closing it, in any way, makes the next search start at the first record.
class TFind : public QDialog
{
    Q_OBJECT
public:
    static constexpr int NbPlaces = 20;

    // `parent` is the main window, above which the dialog stays.
    TFind(CibleRecherche& cible, const OptionsRecherche& options, QWidget* parent = nullptr);
    ~TFind() override;

    // History from "Recherches", keys 1 to 20, empty ones included.
    void Lit(const Reglages& reglages);
    // The 100 keys of "Recherches", those beyond the 20 lines empty.
    void Ecrit(Reglages& reglages) const;

    // "C&hercher...": shows the dialog, or brings it back to the front.
    void Ouvre();

    QComboBox* Edit() const { return m_edit; }
    QPushButton* FindBtn() const { return m_findBtn; }
    QPushButton* CancelBtn() const { return m_cancelBtn; }
    const Historique& Histoire() const { return m_historique; }
    const Chercheur& Etat() const { return m_chercheur; }

    void FindForward();
    void done(int resultat) override;

protected:
    bool event(QEvent* evenement) override;

private:
    void EditChange(const QString& texte);
    void EditSelect(int index);
    void MontreResultat(const QString& texte);

    CibleRecherche& m_cible;
    const OptionsRecherche& m_options;
    Historique m_historique{NbPlaces, Historique::Regle::Egalite};
    Chercheur m_chercheur;
    QComboBox* m_edit;
    QPushButton* m_findBtn;
    QPushButton* m_cancelBtn;
};
