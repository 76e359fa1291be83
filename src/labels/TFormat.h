#pragma once

#include <QDialog>

class Catalogue;
class QLabel;
class QListWidget;
class QPushButton;
class TNewFor;
class TParametresFeuille;
class TPrevis;

// "Format des étiquettes": the catalogue of label-sheet formats, the six sheet
// parameters of the selected one, and the wizard's second step.
class TFormat : public QDialog
{
    Q_OBJECT
public:
    // exec() returns Suivant, Precedent or Rejected (cancelled or closed).
    enum Resultat { Suivant = QDialog::Accepted, Precedent = 2 };

    TFormat(Catalogue& catalogue, TPrevis* previs, TNewFor* newFor, QWidget* parent = nullptr);

    QListWidget* Liste() const { return m_liste; }
    QPushButton* BoutonSupprimer() const { return m_supprimer; }
    QPushButton* BoutonNouveau() const { return m_nouveau; }
    QPushButton* BoutonSuivant() const { return m_suivant; }
    QPushButton* BoutonPrecedent() const { return m_precedent; }
    TParametresFeuille* Parametres() const { return m_parametres; }
    // What the selected format gives: "3 × 7 = 21 étiquettes par planche", or why none fits.
    QLabel* Avis() const { return m_avis; }

signals:
    void AideDemandee();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Remplit();
    void Affiche();
    void ListeClick();
    void Supprimer1Click();
    void Nouveau1Click();
    void Previsualisation1Click();
    void Suivant1Click();
    void Alimente();

    Catalogue& m_catalogue;
    TPrevis* m_previs;
    TNewFor* m_newFor;
    QListWidget* m_liste;
    QPushButton* m_supprimer;
    QPushButton* m_nouveau;
    QPushButton* m_suivant;
    QPushButton* m_precedent;
    TParametresFeuille* m_parametres;
    QLabel* m_avis;
};
