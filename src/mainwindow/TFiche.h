#pragma once

#include "mainwindow/CibleRecherche.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TMenusFiche.h"
#include "records/Repertoire.h"
#include "settings/EtatFenetre.h"

#include <QColor>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <array>
#include <functional>
#include <string>

class QComboBox;
class QPushButton;
class QTabWidget;
class TAboutBox;
class TAide;
class TDocument;
class TFTri;
class TGrille;
class TOngletsAZ;
class TPagesFiche;

// The main window: it owns the address book, shows it on three record pages and
// the list page, and runs the commands of its menus and tool bar.
class TFiche : public QMainWindow, public CibleRecherche
{
    Q_OBJECT
public:
    enum Page { PagePrive = 0, PageProfessionnel = 1, PageBanque = 2, PageListe = 3 };

    using EtatFenetre = ::EtatFenetre;

    // `dossierProgramme`: the program's folder; empty for the folder of the running
    // program (tests give a temporary folder).
    explicit TFiche(const QString& dossierProgramme = QString(), QWidget* parent = nullptr);
    ~TFiche() override;

    // The defaults of every remembered value: the window centred on the screen.
    EtatFenetre EtatParDefaut() const;
    // The start-up settings: the window position, the remembered list geometry, the
    // last file, the options and the grid colour. Column widths wait for the first
    // showing. Called once at creation with the defaults.
    void AppliqueEtat(const EtatFenetre& etat);
    // The values to write at the close: the geometry of the page shown is captured
    // first; LastRow becomes the current row.
    EtatFenetre EtatCourant();
    // Runs once the close is accepted; false (the store could not be written) keeps
    // the window open. Without it, the close writes nothing.
    void SetEcritureFermeture(std::function<bool(const EtatFenetre&)> ecriture);

    // The first command-line argument: opened at the first showing instead of the
    // remembered file.
    void SetFichierLigneCommande(const QString& chemin);

    // The dialogs created once at start-up.
    void SetDialogueTri(TFTri* tri);
    void SetAPropos(TAboutBox* aPropos);
    TFTri* DialogueTri();
    TAboutBox* APropos();
    TAide* Aide() const; // nullptr until help was first asked for

    const QString& DossierProgramme() const { return m_dossierProgramme; }
    // Where the photos live: "images" beside the program, or in the user's data
    // folder when the program's folder cannot hold it.
    const QString& DossierImages() const { return m_dossierImages; }

    Repertoire& Rep() { return m_rep; }
    ModeleRepertoire* Modele() const { return m_modele; }
    TDocument* Document() const { return m_document; }
    TMenusFiche* Menus() const { return m_menus; }
    TGrille* Grille() const { return m_grille; }
    TPagesFiche* PagesFiche() const { return m_pages; }
    TOngletsAZ* BandeAZ() const { return m_onglets; }
    QTabWidget* PageControl() override { return m_pageControl; }

    // The quick-search strip under the tool bar.
    QWidget* BarreRecherche() const { return m_barreRecherche; }
    // Puts the search work's own strip in place of the plain one, at the same place
    // and height; the window keeps its box and buttons for the focus at start-up.
    void RemplaceBarreRecherche(QWidget* barre, QComboBox* edit, QPushButton* findBtn2,
                                QPushButton* prevBtn);
    QComboBox* EditRecherche() const { return m_edit; }
    QPushButton* BoutonChercher() const { return m_findBtn2; }
    QPushButton* BoutonPrecedent() const { return m_prevBtn; }

    // CibleRecherche
    const Repertoire& Livre() const override { return m_rep; }
    void AllerA(int colonne, int ligne) override;
    bool ListeAffichee() const override;
    TPagesFiche* Pages() override { return m_pages; }
    QWidget* Fenetre() override { return this; }

    int LigneCourante() const;
    bool TriEffectue() const { return m_triEffectue; }
    bool TrierEnEnregistrant() const;

    // Shows the current row on the record pages, the caption and the navigation
    // buttons' state.
    void AfficheFiche();
    void MajTitre();
    void MajOnglets();
    // Closes the grid's open editor, so that the text being typed reaches the book.
    void ValideSaisieGrille();
    // Removes records haut..bas; the current row keeps its number when it still exists.
    void SupprimeSelection(int haut, int bas);
    // The sort command: true when the dialog was confirmed.
    bool Trier();
    // Sorts on `colonne` and makes the first record current. Does not set Modifie.
    void TrieLivre(int colonne);

    // The colour dialog of "&Couleur du fond..."; an invalid colour means cancelled.
    // Tests replace it.
    std::function<QColor(const QColor&)> ChoisitCouleur;

    // Command handlers of the menus and tool bar.
    void Nouveau1Click();
    void Ouvrir1Click();
    void Enregistrer1Click();
    void Enregistrersous1Click();
    void Quitter1Click();
    void Trier1Click();
    void Ajouter1Click();
    void Dupliquer1Click();
    void Supprimer1Click();
    void Couleurdufond1Click();
    void Aide1Click();
    void Apropos1Click();
    void BeginBtnClick();
    void RewBtnClick();
    void FFBtnClick();
    void EndBtnClick();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* objet, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreeFenetre();
    void Execute(TMenusFiche::Commande commande);
    void PremierAffichage();
    void ApresChargement(bool onglets = true);
    void ModifieListe(int colonne, const std::string& texte);
    bool OngletDemande(int lettre);
    void PageChange(int index);
    void CaptureGeometrie(int pageQuittee);
    void CaractereRefuse(const QString& caractere);

    Repertoire m_rep;
    ModeleRepertoire* m_modele = nullptr;
    TDocument* m_document = nullptr;
    TMenusFiche* m_menus = nullptr;
    QTabWidget* m_pageControl = nullptr;
    TPagesFiche* m_pages = nullptr;
    TGrille* m_grille = nullptr;
    TOngletsAZ* m_onglets = nullptr;
    QWidget* m_barreRecherche = nullptr;
    QComboBox* m_edit = nullptr;
    QPushButton* m_findBtn2 = nullptr;
    QPushButton* m_prevBtn = nullptr;
    QPointer<TFTri> m_tri;
    QPointer<TAboutBox> m_aPropos;
    QPointer<TAide> m_aide;

    QString m_dossierProgramme;
    QString m_dossierImages;
    QString m_fichierLigneCommande;
    EtatFenetre m_etat;
    std::function<bool(const EtatFenetre&)> m_ecritureFermeture;
    int m_pageCourante = PagePrive;
    bool m_dejaAffichee = false;
    bool m_triEffectue = false;
};
