// The document side of the main window: the caption, start-up with or without a
// file, the unsaved-changes question, failed loads and saves, sort-on-save.

#include "Registre.h"
#include "TestFicheOutils.h"

#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TFTri.h"
#include "mainwindow/TMenusFiche.h"
#include "mainwindow/TPagesFiche.h"
#include "mainwindow/TitreFiche.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>

using OutilsFiche::Ecrit;
using OutilsFiche::Fenetre;
using OutilsFiche::Livre;
using OutilsFiche::Noms;
using OutilsFiche::NomsDuFichier;
using OutilsFiche::Octets;

namespace
{
const QString Question =
    QString::fromUtf8("Le répertoire a été modifié. Voulez-vous l'enregistrer ?");
} // namespace

class TestFicheDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitRessourcesCarnet(); }
    void init() { TMessage::ModeTest(true); }

    void titre_data();
    void titre();
    void titreSuitLaFiche();
    void demarrage();
    void demarrageFichierIllisible();
    void dossierImages();
    void question_data();
    void question();
    void nouveauSansModificationNeDemandeRien();
    void echecEcritureGardeAncienFichier();
    void enregistrerSousDansDossierAbsent();
    void echecChargementGardeLeLivre();
    void triEnEnregistrant();
    void triParLeDialogue();
    void etatPourLesReglages();
};

void TestFicheDocument::titre_data()
{
    QTest::addColumn<QString>("fichier");
    QTest::addColumn<QString>("prenom");
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("societe");
    QTest::addColumn<QString>("attendu");

    QTest::newRow("new book") << ""
                              << ""
                              << ""
                              << ""
                              << QString::fromUtf8(
                                     "Carnet d'adresses \"SANS NOM\" - Fiche n°1/1 []");
    QTest::newRow("person") << "/tmp/amis.REP"
                            << "Jean"
                            << "Dupont"
                            << "ACME"
                            << QString::fromUtf8(
                                   "Carnet d'adresses \"amis\" - Fiche n°1/1 [Jean Dupont]");
    QTest::newRow("cut at the first dot")
        << "/tmp/carnet.2004.REP"
        << ""
        << ""
        << "" << QString::fromUtf8("Carnet d'adresses \"carnet\" - Fiche n°1/1 []");
    QTest::newRow("name begins with a dot")
        << "/tmp/.REP"
        << ""
        << ""
        << "" << QString::fromUtf8("Carnet d'adresses \"SANS NOM\" - Fiche n°1/1 []");
    QTest::newRow("dots in the folder only")
        << "/tmp/v1.2/amis.REP"
        << ""
        << ""
        << "" << QString::fromUtf8("Carnet d'adresses \"amis\" - Fiche n°1/1 []");
    QTest::newRow("no dot in the name")
        << "/tmp/amis"
        << ""
        << ""
        << "" << QString::fromUtf8("Carnet d'adresses \"SANS NOM\" - Fiche n°1/1 []");
    QTest::newRow("company only") << ""
                                  << ""
                                  << ""
                                  << "ACME"
                                  << QString::fromUtf8(
                                         "Carnet d'adresses \"SANS NOM\" - Fiche n°1/1 [ACME]");
    QTest::newRow("surname only keeps the blank")
        << ""
        << ""
        << "Dupont"
        << "ACME" << QString::fromUtf8("Carnet d'adresses \"SANS NOM\" - Fiche n°1/1 [ Dupont]");
    QTest::newRow("accents and percent signs")
        << "/tmp/100%1.REP"
        << "%2" << QString::fromUtf8("Éric") << ""
        << QString::fromUtf8("Carnet d'adresses \"100%1\" - Fiche n°1/1 [%2 Éric]");
}

void TestFicheDocument::titre()
{
    QFETCH(QString, fichier);
    QFETCH(QString, prenom);
    QFETCH(QString, nom);
    QFETCH(QString, societe);
    QFETCH(QString, attendu);
    Repertoire rep;
    rep.SetFichierCourant(fichier);
    rep.SetCellule(Prenom, 1, CodePage::Octets(prenom));
    rep.SetCellule(Nom, 1, CodePage::Octets(nom));
    rep.SetCellule(Societe, 1, CodePage::Octets(societe));
    QCOMPARE(TitreFiche::Compose(rep, 1), attendu);
}

void TestFicheDocument::titreSuitLaFiche()
{
    QTemporaryDir dossier;
    const QString chemin = dossier.filePath("amis.REP");
    Repertoire rep = Livre({"Martin", "Dupont", "Durand"});
    rep.SetCellule(Prenom, 2, "Jean");
    Ecrit(chemin, rep);
    Fenetre f(dossier.path(), chemin);
    f->AllerA(0, 2);
    QCOMPARE(f.Titre(),
             QString::fromUtf8("Carnet d'adresses \"amis\" - Fiche n°2/3 [Jean Dupont]"));
    // Typing a name changes the caption at once.
    f->Grille()->SetCelluleCourante(0, 3);
    f->Modele()->SetCellule(Prenom, 3, "Paul");
    f->AfficheFiche();
    QCOMPARE(f.Titre(),
             QString::fromUtf8("Carnet d'adresses \"amis\" - Fiche n°3/3 [Paul Durand]"));
}

void TestFicheDocument::demarrage()
{
    QTemporaryDir dossier;
    {
        Fenetre f(dossier.path());
        QCOMPARE(f.Titre(), QString::fromUtf8("Carnet d'adresses \"SANS NOM\" - Fiche n°1/1 []"));
        QCOMPARE(f->Rep().NbFiches(), 1);
        QVERIFY(f->Rep().FichierCourant().isEmpty());
        QVERIFY(!f->Rep().Modifie());
        QCOMPARE(f->PageControl()->currentIndex(), int(TFiche::PagePrive));
    }

    const QString amis = dossier.filePath("amis.REP");
    const QString autre = dossier.filePath("autre.REP");
    Ecrit(amis, Livre({"Martin", "Dupont", "Durand", "Petit", "Bernard"}));
    Ecrit(autre, Livre({"Zola"}));
    {
        // The argument wins over the remembered file; the remembered row is selected.
        Fenetre modele(dossier.path());
        TFiche::EtatFenetre etat = modele->EtatParDefaut();
        etat.fichier = autre;
        etat.lastRow = 3;
        Fenetre f(dossier.path(), amis, &etat);
        QCOMPARE(Noms(f->Rep()), QStringList({"Martin", "Dupont", "Durand", "Petit", "Bernard"}));
        QCOMPARE(f->Rep().FichierCourant(), amis);
        QCOMPARE(f.Ligne(), 3);
        QCOMPARE(f.Titre(),
                 QString::fromUtf8("Carnet d'adresses \"amis\" - Fiche n°3/5 [ Durand]"));
        QVERIFY(TMessage::Historique().empty());
    }
    {
        // Without an argument the remembered file opens; a row beyond the book gives row 1.
        Fenetre modele(dossier.path());
        TFiche::EtatFenetre etat = modele->EtatParDefaut();
        etat.fichier = autre;
        etat.lastRow = 9;
        Fenetre f(dossier.path(), QString(), &etat);
        QCOMPARE(Noms(f->Rep()), QStringList({"Zola"}));
        QCOMPARE(f.Ligne(), 1);
    }
    {
        // A missing file keeps its name, without a word, and the first save creates it.
        const QString absent = dossier.filePath("nouveau.REP");
        Fenetre f(dossier.path(), absent);
        QVERIFY(TMessage::Historique().empty());
        QCOMPARE(f->Rep().FichierCourant(), absent);
        QCOMPARE(f->Rep().NbFiches(), 1);
        QCOMPARE(f.Titre(), QString::fromUtf8("Carnet d'adresses \"nouveau\" - Fiche n°1/1 []"));
        f->Modele()->SetCellule(Nom, 1, "Hugo");
        f->Enregistrer1Click();
        QCOMPARE(f.dialoguesEnregistrer, 0);
        QCOMPARE(NomsDuFichier(absent), QStringList({"Hugo"}));
    }
}

void TestFicheDocument::demarrageFichierIllisible()
{
    QTemporaryDir dossier;
    const QString abime = dossier.filePath("abime.REP");
    QFile f(abime);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("pas un nombre\r\n0\r\n");
    f.close();
    const QByteArray avant = Octets(abime);

    Fenetre fenetre(dossier.path(), abime);
    QCOMPARE(TMessage::Historique().size(), size_t(1));
    QVERIFY(TMessage::DernierTexte().contains(abime));
    // The book stays unnamed, so that a save cannot put a blank book over the file.
    QVERIFY(fenetre->Rep().FichierCourant().isEmpty());
    fenetre->Modele()->SetCellule(Nom, 1, "Hugo");
    fenetre.enregistrer = QString();
    fenetre->Enregistrer1Click();
    QCOMPARE(fenetre.dialoguesEnregistrer, 1);
    QCOMPARE(Octets(abime), avant);
}

void TestFicheDocument::dossierImages()
{
    QTemporaryDir dossier;
    const QString programme = dossier.filePath("prog/bin");
    QVERIFY(QDir().mkpath(programme));
    {
        TFiche f(programme);
        QCOMPARE(f.DossierProgramme(), programme + "/");
        QCOMPARE(f.DossierImages(), programme + "/images");
        QVERIFY(QFileInfo(programme + "/images").isDir());
    }
    // A program folder that cannot hold the folder: the user's own data folder.
    QFile fichier(dossier.filePath("pas-un-dossier"));
    QVERIFY(fichier.open(QIODevice::WriteOnly));
    fichier.close();
    TFiche f(dossier.filePath("pas-un-dossier"));
    const QString attendu =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/images";
    QCOMPARE(f.DossierImages(), attendu);
    QVERIFY(QFileInfo(attendu).isDir());
}

void TestFicheDocument::question_data()
{
    QTest::addColumn<QString>("commande");
    QTest::addColumn<int>("reponse");
    QTest::addColumn<bool>("nomme");          // the book has a file
    QTest::addColumn<bool>("dialogueAnnule"); // the save dialog is cancelled
    QTest::addColumn<bool>("poursuivie");     // the command went on
    QTest::addColumn<bool>("enregistre");     // the book was written

    for (const char* c : {"nouveau", "ouvrir", "fermer"}) {
        QTest::addRow("%s oui", c) << c << int(TMessage::Oui) << true << false << true << true;
        QTest::addRow("%s non", c) << c << int(TMessage::Non) << true << false << true << false;
        QTest::addRow("%s annuler", c)
            << c << int(TMessage::Annuler) << true << false << false << false;
        QTest::addRow("%s oui sans nom, dialogue annulé", c)
            << c << int(TMessage::Oui) << false << true << false << false;
        QTest::addRow("%s oui sans nom, enregistré", c)
            << c << int(TMessage::Oui) << false << false << true << true;
    }
}

void TestFicheDocument::question()
{
    QFETCH(QString, commande);
    QFETCH(int, reponse);
    QFETCH(bool, nomme);
    QFETCH(bool, dialogueAnnule);
    QFETCH(bool, poursuivie);
    QFETCH(bool, enregistre);

    QTemporaryDir dossier;
    const QString livre = dossier.filePath("livre.REP");
    const QString autre = dossier.filePath("autre.REP");
    const QString nouveau = dossier.filePath("nouveau.REP");
    Ecrit(livre, Livre({"Martin", "Dupont"}));
    Ecrit(autre, Livre({"Zola"}));
    Fenetre f(dossier.path(), nomme ? livre : QString());
    f->Modele()->SetCellule(Nom, 1, "Hugo");
    QVERIFY(f->Rep().Modifie());
    f.ouvrir = autre;
    f.enregistrer = dialogueAnnule ? QString() : nouveau;
    TMessage::ReponseSuivante(static_cast<TMessage::Reponse>(reponse));

    if (commande == "nouveau")
        f->Nouveau1Click();
    else if (commande == "ouvrir")
        f->Ouvrir1Click();
    else
        QCOMPARE(f->close(), poursuivie);

    QCOMPARE(TMessage::Historique().size(), size_t(1));
    QCOMPARE(TMessage::Historique().front().texte, Question);
    QCOMPARE(TMessage::Historique().front().titre, QString::fromUtf8("Confirmation"));
    QVERIFY(TMessage::Historique().front().question);

    const QString ecrit = nomme ? livre : nouveau;
    QCOMPARE(NomsDuFichier(ecrit).value(0) == "Hugo", enregistre);
    QCOMPARE(f.dialoguesEnregistrer, !nomme && reponse == TMessage::Oui ? 1 : 0);
    if (commande == "ouvrir") QCOMPARE(f.dialoguesOuvrir, poursuivie ? 1 : 0);

    if (!poursuivie) {
        // The book is as it was, still to be saved.
        QCOMPARE(Noms(f->Rep()).value(0), QString("Hugo"));
        QVERIFY(f->Rep().Modifie());
        if (commande == "fermer") QVERIFY(f->isVisible());
        return;
    }
    if (commande == "nouveau") {
        QCOMPARE(Noms(f->Rep()), QStringList({""}));
        QVERIFY(f->Rep().FichierCourant().isEmpty());
        QVERIFY(!f->Rep().Modifie());
        QCOMPARE(f.Titre(), QString::fromUtf8("Carnet d'adresses \"SANS NOM\" - Fiche n°1/1 []"));
    } else if (commande == "ouvrir") {
        QCOMPARE(Noms(f->Rep()), QStringList({"Zola"}));
        QCOMPARE(f->Rep().FichierCourant(), autre);
    } else {
        QVERIFY(!f->isVisible());
    }
}

void TestFicheDocument::nouveauSansModificationNeDemandeRien()
{
    QTemporaryDir dossier;
    const QString livre = dossier.filePath("livre.REP");
    Repertoire rep = Livre({"Martin", "Dupont"});
    rep.SetColonneTri(Ville);
    Ecrit(livre, rep);
    Fenetre f(dossier.path(), livre);
    f->Nouveau1Click();
    QVERIFY(TMessage::Historique().empty());
    QCOMPARE(f->Rep().NbFiches(), 1);
    QCOMPARE(f->Rep().ColonneTri(), 0);
    QCOMPARE(f->Rep().FlagMail(1), std::string("0"));
    // The header row keeps its titles.
    QCOMPARE(f->Rep().CelluleStr(Nom, 0), std::string("Nom"));
    QVERIFY(f->close());
    QVERIFY(TMessage::Historique().empty());
}

void TestFicheDocument::echecEcritureGardeAncienFichier()
{
    QTemporaryDir dossier;
    const QString livre = dossier.filePath("livre.REP");
    Ecrit(livre, Livre({"Martin"}));
    const QByteArray avant = Octets(livre);
    Fenetre f(dossier.path(), livre);
    for (int i = 0; i < 50; ++i)
        f->Ajouter1Click();
    f->Modele()->SetCellule(Nom, 1, "Hugo");

    // A file-size limit makes the write fail as a full disk would, whoever runs the test.
    rlimit ancienne{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &ancienne), 0);
    rlimit limite = ancienne;
    limite.rlim_cur = static_cast<rlim_t>(avant.size() + 64);
    const auto ancienSignal = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limite), 0);
    f->Enregistrer1Click();
    setrlimit(RLIMIT_FSIZE, &ancienne);
    std::signal(SIGXFSZ, ancienSignal);

    QCOMPARE(TMessage::Historique().size(), size_t(1));
    QVERIFY(!TMessage::Historique().front().question);
    QVERIFY(TMessage::DernierTexte().startsWith(QString::fromUtf8("Impossible d'enregistrer")));
    QVERIFY(f->Rep().Modifie());
    QCOMPARE(Octets(livre), avant);
    QCOMPARE(f->Rep().NbFiches(), 51);
    QCOMPARE(Noms(f->Rep()).value(0), QString("Hugo"));

    // Quitting still asks, and "&Oui" that fails again keeps the window open.
    TMessage::ModeTest(true);
    TMessage::ReponseSuivante(TMessage::Oui);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limite), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    const bool ferme = f->close();
    setrlimit(RLIMIT_FSIZE, &ancienne);
    std::signal(SIGXFSZ, ancienSignal);
    QVERIFY(!ferme);
    QCOMPARE(Octets(livre), avant);
}

void TestFicheDocument::enregistrerSousDansDossierAbsent()
{
    QTemporaryDir dossier;
    Fenetre f(dossier.path());
    f->Modele()->SetCellule(Nom, 1, "Hugo");
    const QString chemin = dossier.filePath("absent/livre.REP");
    f.enregistrer = chemin;
    f->Enregistrersous1Click();
    QCOMPARE(TMessage::Historique().size(), size_t(1));
    QVERIFY(TMessage::DernierTexte().contains(chemin));
    QVERIFY(f->Rep().Modifie());
    // The book now bears the chosen name; the next save tries it again.
    QCOMPARE(f->Rep().FichierCourant(), chemin);
    QVERIFY(!QFileInfo::exists(chemin));
}

void TestFicheDocument::echecChargementGardeLeLivre()
{
    QTemporaryDir dossier;
    const QString livre = dossier.filePath("livre.REP");
    Ecrit(livre, Livre({"Martin", "Dupont", "Durand"}));
    const QString tronque = dossier.filePath("tronque.REP");
    QByteArray octets = Octets(livre);
    octets.chop(octets.size() / 3);
    QFile f(tronque);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(octets);
    f.close();

    Fenetre fenetre(dossier.path(), livre);
    fenetre->AllerA(0, 2);
    QTest::keyClicks(fenetre->PagesFiche()->Controle(Prenom), "Jean");
    TMessage::ReponseSuivante(TMessage::Non);
    fenetre.ouvrir = tronque;
    fenetre->Ouvrir1Click();
    QCOMPARE(TMessage::Historique().size(), size_t(2));
    QVERIFY(TMessage::DernierTexte().contains(tronque));
    QCOMPARE(Noms(fenetre->Rep()), QStringList({"Martin", "Dupont", "Durand"}));
    QCOMPARE(fenetre->Rep().CelluleStr(Prenom, 2), std::string("Jean"));
    QCOMPARE(fenetre->Rep().FichierCourant(), livre);
    QVERIFY(fenetre->Rep().Modifie());
    QCOMPARE(fenetre.Ligne(), 2);
    QCOMPARE(fenetre.Titre(),
             QString::fromUtf8("Carnet d'adresses \"livre\" - Fiche n°2/3 [Jean Dupont]"));
}

void TestFicheDocument::triEnEnregistrant()
{
    QTemporaryDir dossier;
    const QString livre = dossier.filePath("livre.REP");
    Repertoire rep = Livre({"dupont", "Durand", QString::fromUtf8("Éric"), ""});
    rep.SetFlagMail(1, "1");
    Ecrit(livre, rep);
    Fenetre f(dossier.path(), livre);
    QAction* option = f->Menus()->Item(TMenusFiche::Commande::TrierEnEnregistrant);
    QVERIFY(!option->isChecked());

    // Without the option the file keeps the book's order.
    f->Modele()->SetCellule(Prenom, 1, "Jean");
    f->Enregistrer1Click();
    QCOMPARE(NomsDuFichier(livre),
             QStringList({"dupont", "Durand", QString::fromUtf8("Éric"), ""}));

    option->trigger();
    QVERIFY(f->TrierEnEnregistrant());
    f->AllerA(0, 3);
    f->Modele()->SetCellule(Prenom, 1, "Paul");
    f->Enregistrer1Click();
    QVERIFY(TMessage::Historique().empty());
    QVERIFY(!f->Rep().Modifie());
    QCOMPARE(NomsDuFichier(livre),
             QStringList({"", "Durand", "dupont", QString::fromUtf8("Éric")}));
    QCOMPARE(Noms(f->Rep()), QStringList({"", "Durand", "dupont", QString::fromUtf8("Éric")}));
    // The mailing flag moved with its record; the first record is shown.
    QCOMPARE(f->Rep().FlagMail(3), std::string("1"));
    QCOMPARE(f.Ligne(), 1);
    QCOMPARE(f->EtatCourant().trierEnEnregistrant, true);

    option->trigger();
    QVERIFY(!f->TrierEnEnregistrant());
}

void TestFicheDocument::triParLeDialogue()
{
    QTemporaryDir dossier;
    const QString livre = dossier.filePath("livre.REP");
    Repertoire rep = Livre({"Martin", "Dupont", "Durand"});
    rep.SetCellule(Ville, 1, "Paris");
    rep.SetCellule(Ville, 2, "Lyon");
    rep.SetCellule(Ville, 3, "Nantes");
    Ecrit(livre, rep);
    Fenetre f(dossier.path(), livre);
    f->SetDialogueTri(new TFTri(f.fiche.get()));
    f->AllerA(0, 3);

    const auto repond = [&](int colonne, bool ok) {
        QTimer::singleShot(0, [=, &f] {
            QComboBox* liste = f->DialogueTri()->Liste();
            liste->setCurrentIndex(colonne);
            ok ? f->DialogueTri()->accept() : f->DialogueTri()->reject();
        });
    };
    repond(Ville, false);
    f->Menus()->Item(TMenusFiche::Commande::Trier)->trigger();
    QVERIFY(!f->TriEffectue());
    QCOMPARE(Noms(f->Rep()), QStringList({"Martin", "Dupont", "Durand"}));
    QCOMPARE(f.Ligne(), 3);

    repond(Ville, true);
    f->Menus()->Item(TMenusFiche::Commande::Trier)->trigger();
    QVERIFY(f->TriEffectue());
    QCOMPARE(f->Rep().ColonneTri(), int(Ville));
    QCOMPARE(Noms(f->Rep()), QStringList({"Dupont", "Durand", "Martin"}));
    QCOMPARE(f.Ligne(), 1);
    QVERIFY(f.Titre().contains(QString::fromUtf8("Fiche n°1/3 [ Dupont]")));
    // Sorting is no change: quitting asks nothing.
    QVERIFY(!f->Rep().Modifie());
    QVERIFY(f->close());
    QVERIFY(TMessage::Historique().empty());

    // The next save stores the sort column.
    f->Modele()->SetCellule(Prenom, 1, "Jean");
    f->Enregistrer1Click();
    QCOMPARE(Octets(livre).split('\n').value(1), QByteArray("6\r"));
}

void TestFicheDocument::etatPourLesReglages()
{
    QTemporaryDir dossier;
    const QString livre = dossier.filePath("livre.REP");
    Ecrit(livre, Livre({"Martin", "Dupont", "Durand"}));
    TFiche::EtatFenetre etat;
    {
        Fenetre modele(dossier.path());
        etat = modele->EtatParDefaut();
    }
    etat.positionFiche = QPoint(30, 40);
    etat.rectListe = QRect(1, 2, 640, 480);
    etat.largeurs.fill(50);
    etat.largeurs[Ville] = 120;
    etat.couleurGrille = QColor(0, 0, 255);
    etat.trierEnEnregistrant = true;
    Fenetre f(dossier.path(), livre, &etat);
    QCOMPARE(f->pos(), QPoint(30, 40));
    QCOMPARE(f->Grille()->columnWidth(Ville), 120);
    QCOMPARE(f->Grille()->Couleur(), QColor(0, 0, 255));
    QVERIFY(f->TrierEnEnregistrant());

    // Leaving a record page remembers its position, leaving the list its rectangle.
    f->move(70, 80);
    f->PageControl()->setCurrentIndex(TFiche::PageListe);
    f->move(90, 100);
    f->PageControl()->setCurrentIndex(TFiche::PageBanque);
    f->move(5, 6);
    f->AllerA(0, 2);
    f->Grille()->setColumnWidth(Nom, 77);
    TFiche::EtatFenetre courant = f->EtatCourant();
    QCOMPARE(courant.positionFiche, QPoint(5, 6));
    QCOMPARE(courant.rectListe.topLeft(), QPoint(90, 100));
    QVERIFY(!courant.maxi);
    QCOMPARE(courant.fichier, livre);
    QCOMPARE(courant.lastRow, 2);
    QCOMPARE(courant.largeurs[Nom], 77);
    QCOMPARE(courant.largeurs[Ville], 120);
    QVERIFY(courant.trierEnEnregistrant);

    // The close hands the state over; a store that fails keeps the window open.
    int ecritures = 0;
    bool reussit = false;
    f->SetEcritureFermeture([&](const TFiche::EtatFenetre& e) {
        ++ecritures;
        courant = e;
        return reussit;
    });
    f->PageControl()->setCurrentIndex(TFiche::PageListe);
    f->move(11, 12);
    QVERIFY(!f->close());
    QCOMPARE(ecritures, 1);
    QVERIFY(f->isVisible());
    reussit = true;
    QVERIFY(f->close());
    QCOMPARE(ecritures, 2);
    QCOMPARE(courant.rectListe.topLeft(), QPoint(11, 12));
    QCOMPARE(courant.positionFiche, QPoint(5, 6));
}

CARNET_TEST(TestFicheDocument)
#include "TestFicheDocument.moc"
