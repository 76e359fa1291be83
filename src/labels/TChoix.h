#pragma once

#include <QDialog>
#include <functional>

class ModeleRepertoire;
class QListView;
class QPushButton;
class QStringListModel;

// "Choix des étiquettes pour le mailing": one line per record; the selected lines
// become the records' mailing flags on "&Suivant>".
class TChoix : public QDialog
{
    Q_OBJECT
public:
    TChoix(ModeleRepertoire& modele, QWidget* parent = nullptr);

    // The main window's sort command: true when the sort was carried out.
    std::function<bool()> Trier;

    // The list from the records and their flags.
    void Remplit();
    int NombreSelectionnes() const;
    // The flags from the selection; returns the label count.
    int Applique();
    static QString Titre(int selectionnes);

    QListView* Liste() const { return m_liste; }
    QPushButton* BoutonTout() const { return m_tout; }
    QPushButton* BoutonRien() const { return m_rien; }
    QPushButton* BoutonTrier() const { return m_trier; }
    QPushButton* BoutonSuivant() const { return m_suivant; }
    QPushButton* BoutonAnnuler() const { return m_annuler; }

private:
    void MajTitre();
    void MarqueModifie();
    void Tout1Click();
    void Rien1Click();
    void Trier1Click();
    void Suivant1Click();

    ModeleRepertoire& m_modele;
    QStringListModel* m_lignes;
    QListView* m_liste;
    QPushButton* m_tout;
    QPushButton* m_rien;
    QPushButton* m_trier;
    QPushButton* m_suivant;
    QPushButton* m_annuler;
};
