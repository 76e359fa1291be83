#pragma once

#include "Chercheur.h"
#include "Historique.h"

#include <QWidget>

class CibleRecherche;
class OptionsRecherche;
class QComboBox;
class QPushButton;
class Reglages;

// The quick-search strip under the tool bar: a box with its history, "Chercher"
// and "Précédent". Completes the typed text from the history and searches as the
// user types.
class TBarreRecherche : public QWidget
{
    Q_OBJECT
public:
    static constexpr int NbPlaces = 100;

    TBarreRecherche(CibleRecherche& cible, const OptionsRecherche& options,
                    QWidget* parent = nullptr);
    ~TBarreRecherche() override;

    // History from "Recherches2", keys 1 to 100, empty ones included.
    void Lit(const Reglages& reglages);
    // The 100 keys of "Recherches2", for the write at close.
    void Ecrit(Reglages& reglages) const;

    QComboBox* Edit() const { return m_edit; }
    QPushButton* FindBtn2() const { return m_findBtn2; }
    QPushButton* PrevBtn() const { return m_prevBtn; }
    const Historique& Histoire() const { return m_historique; }
    const Chercheur& Etat() const { return m_chercheur; }

    // Forward scan from the cursor; an as-you-type scan inserts nothing in the
    // history and stays silent when nothing is found.
    void FindForward(bool auFilDeLaFrappe = false);
    // "Précédent": backward scan, wrapping to the end after the first field.
    void FindBackward();

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    void EditChange(const QString& texte);
    void EditSelect(int index);
    void TextChanged(const QString& texte, bool completion);
    void MontreResultat(const QString& texte);

    CibleRecherche& m_cible;
    const OptionsRecherche& m_options;
    Historique m_historique{NbPlaces, Historique::Regle::Prefixe};
    Chercheur m_chercheur;
    bool m_suppression = false; // Backspace or Delete: the change they cause is not completed
    QComboBox* m_edit;
    QPushButton* m_findBtn2;
    QPushButton* m_prevBtn;
};
