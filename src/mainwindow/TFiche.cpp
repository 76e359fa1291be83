#include "TFiche.h"

#include "mainwindow/OngletsAZ.h"
#include "mainwindow/TAboutBox.h"
#include "mainwindow/TBarreVide.h"
#include "mainwindow/TDocument.h"
#include "mainwindow/TFTri.h"
#include "mainwindow/TGrille.h"
#include "mainwindow/TOngletsAZ.h"
#include "mainwindow/TPagesFiche.h"
#include "mainwindow/TPartage.h"
#include "records/CheminsPhoto.h"
#include "ui/CurseurOccupe.h"
#include "ui/TAide.h"
#include "ui/TMessage.h"
#include "ui/TitreFiche.h"
#include "ui/ValidateurCp1252.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

namespace
{

constexpr int LargeurClient = 632;
constexpr int HauteurClient = 474;
constexpr int LargeurColonneParDefaut = 50;

} // namespace

TFiche::TFiche(const QString& dossierProgramme, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Fiche"));
    m_dossierProgramme = dossierProgramme.isEmpty() ? QCoreApplication::applicationDirPath()
                                                    : QDir::cleanPath(dossierProgramme);
    if (!m_dossierProgramme.endsWith(QLatin1Char('/'))) m_dossierProgramme += QLatin1Char('/');
    m_dossierImages = CheminsPhoto::PrepareDossier(m_dossierProgramme);

    m_modele = new ModeleRepertoire(m_rep, this);
    m_document = new TDocument(*m_modele, this);
    m_document->AvantEcriture = [this] {
        if (TrierEnEnregistrant()) TrieLivre(m_rep.ColonneTri());
    };
    connect(m_document, &TDocument::NomChange, this, &TFiche::MajTitre);
    connect(m_modele, &ModeleRepertoire::CaractereRefuse, this, &TFiche::CaractereRefuse);
    ChoisitCouleur = [this](const QColor& initiale) {
        return QColorDialog::getColor(initiale, this);
    };

    CreeFenetre();
    new TPartage(*this);
    AppliqueEtat(EtatParDefaut());
    // The application-wide filter lets the menu shortcuts win over the edit fields.
    qApp->installEventFilter(this);
}

TFiche::~TFiche()
{
    qApp->removeEventFilter(this);
    // The book is a member, so it dies before the child widgets: those that read it
    // go first, with nothing reaching this window's handlers meanwhile.
    for (QObject* enfant : std::initializer_list<QObject*>{m_pageControl, m_grille, m_modele,
                                                           m_pages, m_onglets, m_document, m_menus})
        enfant->disconnect(this);
    delete centralWidget();
    delete m_document;
    delete m_modele;
}

void TFiche::CreeFenetre()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8("Carnet d'adresses - Fiche n°1"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/carnet.svg")));

    m_menus = new TMenusFiche(this);
    connect(m_menus, &TMenusFiche::Declenchee, this, &TFiche::Execute);

    auto* centre = new QWidget(this);
    auto* colonne = new QVBoxLayout(centre);
    colonne->setContentsMargins(0, 0, 0, 0);
    colonne->setSpacing(0);
    auto* barre = new TBarreVide(this);
    m_barreRecherche = barre;
    m_edit = barre->Edit();
    m_findBtn2 = barre->FindBtn2();
    m_prevBtn = barre->PrevBtn();
    colonne->addWidget(barre);

    m_pageControl = new QTabWidget(centre);
    m_pageControl->setObjectName(QStringLiteral("PageControl1"));
    m_pages = new TPagesFiche(m_pageControl);
    m_grille = new TGrille(m_pageControl);
    m_grille->setObjectName(QStringLiteral("Grille"));
    m_grille->SetModele(m_modele);
    m_pageControl->addTab(m_grille, QStringLiteral("Liste"));
    m_pageControl->setCurrentIndex(PagePrive);
    colonne->addWidget(m_pageControl, 1);

    m_onglets = new TOngletsAZ(centre);
    m_onglets->setObjectName(QStringLiteral("Onglets"));
    m_onglets->SetDemande([this](int lettre) { return OngletDemande(lettre); });
    colonne->addWidget(m_onglets);
    setCentralWidget(centre);

    connect(m_pages, &TPagesFiche::ChampModifie, this, &TFiche::ModifieListe);
    connect(m_grille, &TGrille::CelluleCouranteChangee, this, [this] { AfficheFiche(); });
    connect(m_pageControl, &QTabWidget::currentChanged, this, &TFiche::PageChange);

    setFixedSize(LargeurClient, HauteurClient + menuBar()->sizeHint().height());
}

void TFiche::RemplaceBarreRecherche(QWidget* barre, QComboBox* edit, QPushButton* findBtn2,
                                    QPushButton* prevBtn)
{
    barre->setFixedHeight(TBarreVide::Hauteur);
    delete centralWidget()->layout()->replaceWidget(m_barreRecherche, barre);
    delete m_barreRecherche;
    m_barreRecherche = barre;
    m_edit = edit;
    m_findBtn2 = findBtn2;
    m_prevBtn = prevBtn;
}

void TFiche::Execute(TMenusFiche::Commande commande)
{
    using C = TMenusFiche::Commande;
    switch (commande) {
    case C::Nouveau:
        return Nouveau1Click();
    case C::Ouvrir:
        return Ouvrir1Click();
    case C::Enregistrer:
        return Enregistrer1Click();
    case C::EnregistrerSous:
        return Enregistrersous1Click();
    case C::Quitter:
        return Quitter1Click();
    case C::Trier:
        return Trier1Click();
    case C::Ajouter:
        return Ajouter1Click();
    case C::Dupliquer:
        return Dupliquer1Click();
    case C::Supprimer:
        return Supprimer1Click();
    case C::TrierEnEnregistrant:
        return; // a checkable item: its click toggles the check mark by itself
    case C::CouleurFond:
        return Couleurdufond1Click();
    case C::Aide:
        return Aide1Click();
    case C::APropos:
        return Apropos1Click();
    case C::Premiere:
        return BeginBtnClick();
    case C::Precedente:
        return RewBtnClick();
    case C::Suivante:
        return FFBtnClick();
    case C::Derniere:
        return EndBtnClick();
    default:
        // Import, export, printing, copy, find, labels, dialing and the web site
        // are wired by their own windows.
        return;
    }
}

// --- Settings seam -------------------------------------------------------------------

TFiche::EtatFenetre TFiche::EtatParDefaut() const
{
    EtatFenetre etat;
    QSize ecran(1024, 768);
    if (const QScreen* s = QGuiApplication::primaryScreen()) ecran = s->geometry().size();
    const QSize fenetre = frameGeometry().size().expandedTo(size());
    etat.positionFiche =
        QPoint((ecran.width() - fenetre.width()) / 2, (ecran.height() - fenetre.height()) / 2);
    etat.rectListe = QRect(etat.positionFiche, QSize(640, 480));
    etat.largeurs.fill(LargeurColonneParDefaut);
    return etat;
}

void TFiche::AppliqueEtat(const EtatFenetre& etat)
{
    m_etat = etat;
    move(etat.positionFiche);
    m_menus->Item(TMenusFiche::Commande::TrierEnEnregistrant)->setChecked(etat.trierEnEnregistrant);
    m_grille->SetCouleur(etat.couleurGrille);
}

TFiche::EtatFenetre TFiche::EtatCourant()
{
    CaptureGeometrie(m_pageCourante);
    EtatFenetre etat = m_etat;
    etat.fichier = m_rep.FichierCourant();
    etat.trierEnEnregistrant = TrierEnEnregistrant();
    etat.lastRow = LigneCourante();
    m_etat.lastRow = etat.lastRow;
    etat.couleurGrille = m_grille->Couleur();
    for (int c = 0; c < NbColonnes; ++c)
        etat.largeurs[static_cast<size_t>(c)] = m_grille->columnWidth(c);
    return etat;
}

void TFiche::SetEcritureFermeture(std::function<bool(const EtatFenetre&)> ecriture)
{
    m_ecritureFermeture = std::move(ecriture);
}

void TFiche::CaptureGeometrie(int pageQuittee)
{
    if (pageQuittee != PageListe) {
        m_etat.positionFiche = pos();
        return;
    }
    m_etat.maxi = isMaximized();
    if (!m_etat.maxi) m_etat.rectListe = frameGeometry();
}

// --- Start-up and close ---------------------------------------------------------------

void TFiche::SetFichierLigneCommande(const QString& chemin)
{
    m_fichierLigneCommande = chemin;
}

void TFiche::SetDialogueTri(TFTri* tri)
{
    m_tri = tri;
}

void TFiche::SetAPropos(TAboutBox* aPropos)
{
    m_aPropos = aPropos;
}

TFTri* TFiche::DialogueTri()
{
    if (!m_tri) m_tri = new TFTri(this);
    return m_tri;
}

TAboutBox* TFiche::APropos()
{
    if (!m_aPropos) m_aPropos = new TAboutBox(this);
    return m_aPropos;
}

void TFiche::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_dejaAffichee) {
        m_dejaAffichee = true;
        PremierAffichage();
    }
}

void TFiche::PremierAffichage()
{
    for (int c = 0; c < NbColonnes; ++c)
        m_grille->setColumnWidth(c, m_etat.largeurs[static_cast<size_t>(c)]);
    m_modele->Nouveau();
    m_grille->SetCelluleCourante(0, 1);

    const QString chemin =
        m_fichierLigneCommande.isEmpty() ? m_etat.fichier : m_fichierLigneCommande;
    if (!chemin.isEmpty()) {
        // Anything that exists goes through the loader, which refuses, with its
        // reason, what is not a book it can read (a pipe, a device, a huge file).
        if (QFileInfo::exists(chemin)) {
            if (m_document->Charge(chemin)) ApresChargement(false);
        } else {
            // The first save creates it.
            m_rep.SetFichierCourant(QFileInfo(chemin).absoluteFilePath());
        }
    }

    m_pageControl->setCurrentIndex(PagePrive);
    m_grille->AjusteColonnes();
    m_menus->MontreCouleurFond(false);
    m_edit->setFocus();
    AfficheFiche();
    // A whole scan of a large book: the first record is shown before it.
    QTimer::singleShot(0, this, &TFiche::MajOnglets);
}

void TFiche::ApresChargement(bool onglets)
{
    const int ligne =
        m_etat.lastRow >= 1 && m_etat.lastRow <= m_rep.NbFiches() ? m_etat.lastRow : 1;
    m_grille->SetCelluleCourante(0, ligne);
    MajTitre();
    AfficheFiche();
    if (onglets) MajOnglets();
}

void TFiche::closeEvent(QCloseEvent* event)
{
    ValideSaisieGrille();
    if (!m_document->DemandeEnregistrement()) {
        event->ignore();
        return;
    }
    if (m_ecritureFermeture && !m_ecritureFermeture(EtatCourant())) {
        event->ignore();
        return;
    }
    if (m_aide) m_aide->close();
    m_document->Ferme();
    event->accept();
}

// A cell being typed in the grid reaches the book only when its editor closes: the
// document commands close it first, so that the text is saved or asked about.
void TFiche::ValideSaisieGrille()
{
    const QModelIndex cellule = m_grille->currentIndex();
    QWidget* editeur = cellule.isValid() ? m_grille->indexWidget(cellule) : nullptr;
    QAbstractItemDelegate* delegue = editeur ? m_grille->itemDelegateForIndex(cellule) : nullptr;
    if (!delegue) return;
    emit delegue->commitData(editeur);
    emit delegue->closeEditor(editeur, QAbstractItemDelegate::NoHint);
}

bool TFiche::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && m_dejaAffichee) {
        AfficheFiche();
        MajOnglets();
    }
    return QMainWindow::event(event);
}

bool TFiche::eventFilter(QObject* objet, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && objet->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(objet);
        auto* touche = static_cast<QKeyEvent*>(event);
        if (widget->window() == this &&
            m_menus->RaccourciActif(QKeySequence(touche->keyCombination())))
            return true; // not accepted by the field: the shortcut runs
    }
    return QMainWindow::eventFilter(objet, event);
}

// --- Showing the record ---------------------------------------------------------------

int TFiche::LigneCourante() const
{
    const int ligne = m_grille->LigneCourante();
    return ligne >= 1 && ligne <= m_rep.NbFiches() ? ligne : 1;
}

void TFiche::MajTitre()
{
    setWindowTitle(TitreFiche::Compose(m_rep, LigneCourante(), m_document->LectureSeule()));
    m_menus->Bouton(TMenusFiche::Commande::Trier)->setEnabled(m_rep.NbFiches() != 1);
}

void TFiche::AfficheFiche()
{
    const int ligne = LigneCourante();
    MajTitre();
    {
        CurseurOccupe occupe;
        m_pages->MontreLigne(m_rep, ligne); // the name labels too
    }
    m_onglets->SuitNom(m_rep.CelluleStr(Nom, ligne));
    using C = TMenusFiche::Commande;
    const bool premiere = ligne <= 1;
    const bool derniere = ligne >= m_rep.NbFiches();
    m_menus->Bouton(C::Premiere)->setEnabled(!premiere);
    m_menus->Bouton(C::Precedente)->setEnabled(!premiere);
    m_menus->Bouton(C::Suivante)->setEnabled(!derniere);
    m_menus->Bouton(C::Derniere)->setEnabled(!derniere);
}

void TFiche::ModifieListe(int colonne, const std::string& texte)
{
    m_modele->SetCellule(colonne, LigneCourante(), texte);
    if (colonne == Nom) {
        m_onglets->SuitNom(texte);
        if (texte.empty()) MajOnglets();
    }
    // The caption names the person: it follows the edit at once.
    if (colonne == Nom || colonne == Prenom || colonne == Societe) MajTitre();
}

// The record pages tell refusals themselves; an edit in the grid is told here, by its cell.
void TFiche::CaractereRefuse(const QString& caractere)
{
    const QRect cellule = m_grille->visualRect(m_grille->currentIndex());
    QToolTip::showText(m_grille->viewport()->mapToGlobal(cellule.bottomLeft()),
                       ValidateurCp1252::MessageRefus(caractere), m_grille);
}

// --- A–Z strip ------------------------------------------------------------------------

void TFiche::MajOnglets()
{
    CurseurOccupe occupe;
    m_onglets->SetPresence(OngletsAZ::Presence(m_rep));
}

bool TFiche::OngletDemande(int lettre)
{
    const int ligne = OngletsAZ::PremiereFiche(m_rep, lettre);
    if (ligne < 1) return false;
    AllerA(0, ligne);
    return true;
}

// --- Navigation -----------------------------------------------------------------------

void TFiche::AllerA(int colonne, int ligne)
{
    if (ligne == m_grille->LigneCourante() && colonne == m_grille->ColonneCourante())
        AfficheFiche();
    else
        m_grille->SetCelluleCourante(colonne, ligne);
}

bool TFiche::ListeAffichee() const
{
    return m_pageControl->currentIndex() == PageListe;
}

void TFiche::BeginBtnClick()
{
    AllerA(0, 1);
}

void TFiche::RewBtnClick()
{
    const int ligne = LigneCourante();
    if (ligne > 1) AllerA(m_grille->ColonneCourante(), ligne - 1);
}

void TFiche::FFBtnClick()
{
    const int ligne = LigneCourante();
    if (ligne < m_rep.NbFiches()) AllerA(m_grille->ColonneCourante(), ligne + 1);
}

void TFiche::EndBtnClick()
{
    AllerA(0, m_rep.NbFiches());
}

// --- Record commands ------------------------------------------------------------------

void TFiche::Ajouter1Click()
{
    const int ligne = m_modele->AjouteFiche();
    AllerA(0, ligne);
    MajTitre();
    // The keys typed next fill the new record, wherever the command came from.
    const int page = m_pageControl->currentIndex();
    (page == PageListe ? m_grille : m_pages->PremierChamp(PageFiche(page)))->setFocus();
}

void TFiche::Dupliquer1Click()
{
    const int ligne = m_modele->DupliqueFiche(LigneCourante());
    AllerA(0, ligne);
    MajTitre();
}

void TFiche::Supprimer1Click()
{
    if (ListeAffichee()) {
        const auto [haut, bas] = m_grille->LignesSelectionnees();
        SupprimeSelection(haut, bas);
    } else {
        SupprimeSelection(LigneCourante(), LigneCourante());
    }
}

void TFiche::SupprimeSelection(int haut, int bas)
{
    CurseurOccupe occupe;
    const int courante = LigneCourante();
    m_modele->SupprimeLignes(haut, bas);
    const int ligne = courante <= m_rep.NbFiches() ? courante : m_rep.NbFiches();
    m_grille->SetCelluleCourante(0, ligne);
    MajTitre();
    AfficheFiche();
    MajOnglets();
}

// --- Sort -----------------------------------------------------------------------------

bool TFiche::TrierEnEnregistrant() const
{
    return m_menus->Item(TMenusFiche::Commande::TrierEnEnregistrant)->isChecked();
}

bool TFiche::Trier()
{
    m_triEffectue = false;
    int choisie = m_rep.ColonneTri();
    if (!DialogueTri()->Choisit(m_rep.ColonneTri(), choisie)) return false;
    m_triEffectue = true;
    m_rep.SetColonneTri(choisie);
    TrieLivre(m_rep.ColonneTri());
    return true;
}

void TFiche::Trier1Click()
{
    Trier();
}

void TFiche::TrieLivre(int colonne)
{
    {
        CurseurOccupe occupe;
        m_modele->Trie(colonne);
        AfficheFiche();
    }
    AllerA(0, 1);
}

// --- Document commands ----------------------------------------------------------------

void TFiche::Nouveau1Click()
{
    ValideSaisieGrille();
    if (!m_document->Nouveau()) return;
    m_grille->SetCelluleCourante(0, 1);
    MajTitre();
    AfficheFiche();
    m_onglets->SetPresence({});
}

void TFiche::Ouvrir1Click()
{
    ValideSaisieGrille();
    if (m_document->Ouvrir()) ApresChargement();
}

void TFiche::Enregistrer1Click()
{
    ValideSaisieGrille();
    m_document->Enregistrer();
}

void TFiche::Enregistrersous1Click()
{
    ValideSaisieGrille();
    m_document->EnregistrerSous();
}

void TFiche::Quitter1Click()
{
    close();
}

// --- Pages ----------------------------------------------------------------------------

void TFiche::PageChange(int index)
{
    const int quittee = m_pageCourante;
    m_pageCourante = index;
    if (quittee == index) return;
    CaptureGeometrie(quittee);
    if (quittee == PageListe) AfficheFiche();
    const bool liste = index == PageListe;
    m_menus->AdaptePage(liste);
    if (liste) m_grille->MontreLigneEnHaut(LigneCourante());
    m_grille->AjusteColonnes();
    m_pages->MajEntetes(m_rep, LigneCourante());
}

void TFiche::Couleurdufond1Click()
{
    const QColor couleur = ChoisitCouleur(m_grille->Couleur());
    if (couleur.isValid()) m_grille->SetCouleur(couleur);
}

// --- Help and about -------------------------------------------------------------------

TAide* TFiche::Aide() const
{
    return m_aide;
}

void TFiche::Aide1Click()
{
    if (!m_aide) m_aide = new TAide(this);
    m_aide->MontreSommaire();
}

void TFiche::Apropos1Click()
{
    APropos()->exec();
}
