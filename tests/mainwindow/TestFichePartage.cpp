// A book shared by several windows: the lock taken and released by the document
// commands, the question to a second window, read-only mode and everything it
// disables, the check of the disk before a save and when the window comes back.

#include "Registre.h"
#include "TestFicheOutils.h"

#include "mainwindow/TMenusFiche.h"
#include "ui/TitreFiche.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace OutilsFiche;
using C = TMenusFiche::Commande;

namespace
{
enum Bouton { LectureSeule = 0, QuandMeme = 1, AnnulerOuverture = 2 };
enum BoutonEnregistrement {
    EnregistrerQuandMeme = 0,
    EnregistrerSous = 1,
    AnnulerEnregistrement = 2
};

bool Verrouille(const QString& livre)
{
    return QFileInfo::exists(VerrouRepertoire::CheminVerrou(livre));
}

// The file as another program writes it: through a new file put in its place.
void ModifieAilleurs(const QString& chemin, const QStringList& noms)
{
    Repertoire rep = Livre(noms);
    QCOMPARE(FichierRep::EcritRepertoire(chemin, rep), QString());
}

QStringList Hidden(const QString& dossier)
{
    return QDir(dossier).entryList(QStringList{".*"}, QDir::Files | QDir::Hidden);
}

// The window comes back: what the window system sends, then the look it schedules.
void Revient(TFiche* fiche)
{
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(fiche, &activation);
    QCoreApplication::processEvents();
}

const TMessage::Trace* DerniereQuestion()
{
    for (auto it = TMessage::Historique().rbegin(); it != TMessage::Historique().rend(); ++it)
        if (it->question) return &*it;
    return nullptr;
}
} // namespace

class TestFichePartage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitRessourcesCarnet(); }
    void init() { TMessage::ModeTest(true); }
    void cleanup() { TMessage::ModeTest(false); }

    // The lock follows the book the window holds: taken on open, moved by Open and
    // Save as, gone with New and the close, kept when the close is cancelled.
    void verrouSuitLeLivre()
    {
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin"}));
        const QString autre = dossier.Ecrit("autre.REP", Livre({"Zola"}));
        const QString copie = dossier.filePath("copie.REP");
        Fenetre f(dossier.path(), amis);
        QVERIFY(Verrouille(amis));
        QVERIFY(f->Document()->Verrou().Detenu());
        QCOMPARE(Hidden(dossier.path()), QStringList{".~carnet.amis.REP.lock"});

        f.ouvrir = autre;
        f->Ouvrir1Click();
        QVERIFY(!Verrouille(amis));
        QVERIFY(Verrouille(autre));
        // Opening the same book again keeps its lock.
        f->Ouvrir1Click();
        QVERIFY(Verrouille(autre));
        QVERIFY(TMessage::Historique().empty());

        f.enregistrer = copie;
        f->Enregistrersous1Click();
        QVERIFY(!Verrouille(autre));
        QVERIFY(Verrouille(copie));
        // The lock is not part of the book: the file holds the book's bytes only.
        QCOMPARE(Octets(copie), FichierRep::Serialise(f->Rep()));

        f->Nouveau1Click();
        QVERIFY(!Verrouille(copie));
        QVERIFY(!f->Document()->Verrou().Detenu());

        f.ouvrir = amis;
        f->Ouvrir1Click();
        f->Ajouter1Click();
        TMessage::ReponseSuivante(TMessage::Annuler);
        QVERIFY(!f->close());
        QVERIFY(Verrouille(amis));
        TMessage::ReponseSuivante(TMessage::Non);
        QVERIFY(f->close());
        QVERIFY(!Verrouille(amis));
        QCOMPARE(Hidden(dossier.path()), QStringList());
    }

    // A second window is told who holds the book and since when, and chooses.
    void secondeFenetreQuestion_data()
    {
        QTest::addColumn<int>("bouton");
        QTest::newRow("lecture seule") << int(LectureSeule);
        QTest::newRow("quand même") << int(QuandMeme);
        QTest::newRow("annuler") << int(AnnulerOuverture);
    }
    void secondeFenetreQuestion()
    {
        QFETCH(int, bouton);
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin", "Dupont"}));
        const QString autre = dossier.Ecrit("autre.REP", Livre({"Zola"}));
        Fenetre premiere(dossier.path(), amis);
        Fenetre seconde(dossier.path(), autre);
        const QDateTime maintenant = QDateTime::currentDateTimeUtc();
        TMessage::ChoixSuivant(bouton);
        seconde.ouvrir = amis;
        seconde->Ouvrir1Click();

        const TMessage::Trace* q = DerniereQuestion();
        QVERIFY(q);
        QCOMPARE(q->titre, QString::fromUtf8("Répertoire déjà ouvert"));
        QCOMPARE(q->boutons, QStringList({QString::fromUtf8("Ouvrir en lecture seule"),
                                          QString::fromUtf8("Ouvrir quand même"),
                                          QString::fromUtf8("Annuler")}));
        const VerrouRepertoire::Detenteur moi = VerrouRepertoire::Moi();
        const QDateTime local = maintenant.toLocalTime();
        QVERIFY2(q->texte.startsWith(QString::fromUtf8("Le répertoire « amis.REP » est déjà "
                                                       "ouvert par %1")
                                         .arg(moi.utilisateur)),
                 qPrintable(q->texte));
        QVERIFY2(q->texte.contains(QString::fromUtf8("sur l'ordinateur « %1 »").arg(moi.hote)),
                 qPrintable(q->texte));
        QVERIFY2(q->texte.contains(QString::fromUtf8("depuis le %1 à ")
                                       .arg(local.toString(QStringLiteral("dd/MM/yyyy")))),
                 qPrintable(q->texte));

        if (bouton == AnnulerOuverture) {
            QCOMPARE(seconde->Rep().FichierCourant(), autre);
            QVERIFY(Verrouille(autre)); // the second window keeps its own book and lock
            QVERIFY(!seconde->Document()->LectureSeule());
            return;
        }
        QCOMPARE(seconde->Rep().FichierCourant(), amis);
        QCOMPARE(Noms(seconde->Rep()), QStringList({"Martin", "Dupont"}));
        QVERIFY(!Verrouille(autre));
        // The first window's lock is left as it was, whatever the answer.
        QVERIFY(premiere->Document()->Verrou().Detenu());
        QVERIFY(premiere->Document()->Verrou().Intact());
        QVERIFY(!seconde->Document()->Verrou().Detenu());
        QCOMPARE(seconde->Document()->LectureSeule(), bouton == LectureSeule);
        QCOMPARE(seconde.Titre(),
                 QString::fromUtf8(bouton == LectureSeule
                                       ? "Carnet d'adresses \"amis\" (lecture seule) - Fiche "
                                         "n°1/2 [ Martin]"
                                       : "Carnet d'adresses \"amis\" - Fiche n°1/2 [ Martin]"));
    }

    // A lock written from another computer is told with its age (counted by the
    // window's clock), and "quand même" leaves it in place: nothing here can tell
    // whether its copy still runs there.
    void verrouDUnAutreOrdinateur()
    {
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin"}));
        VerrouRepertoire::Detenteur d;
        d.utilisateur = QStringLiteral("claire");
        d.hote = QStringLiteral("poste-accueil");
        d.pid = 4242;
        d.depuis = QDateTime(QDate(2025, 2, 3), QTime(9, 15), Qt::UTC);
        const QByteArray verrou = VerrouRepertoire::Contenu(d);
        QVERIFY(FichierSur::Ecrit(VerrouRepertoire::CheminVerrou(amis), verrou.constData(),
                                  static_cast<size_t>(verrou.size()))
                    .isEmpty());
        Fenetre f(dossier.path());
        f->Document()->Horloge = [&] { return d.depuis.addDays(3).addSecs(600); };
        TMessage::ChoixSuivant(QuandMeme);
        QVERIFY(f->Document()->Charge(amis));
        const TMessage::Trace* q = DerniereQuestion();
        QVERIFY(q);
        const QDateTime local = d.depuis.toLocalTime();
        QVERIFY2(
            q->texte.startsWith(QString::fromUtf8("Le répertoire « amis.REP » est déjà ouvert "
                                                  "par claire, sur l'ordinateur « "
                                                  "poste-accueil », depuis le %1 à %2 (il y "
                                                  "a 3 jours).")
                                    .arg(local.toString("dd/MM/yyyy"), local.toString("HH:mm"))),
            qPrintable(q->texte));
        QVERIFY2(q->texte.contains(QString::fromUtf8("posé depuis un autre ordinateur")),
                 qPrintable(q->texte));
        QVERIFY(!f->Document()->LectureSeule());
        QVERIFY(!f->Document()->Verrou().Detenu());
        // Its save does not take the lock either, and the close leaves it.
        f->Modele()->SetCellule(Nom, 1, "Hugo");
        QVERIFY(f->Document()->Enregistrer());
        QVERIFY(!f->Document()->Verrou().Detenu());
        QVERIFY(f->close());
        QCOMPARE(Octets(VerrouRepertoire::CheminVerrou(amis)), verrou);
    }

    // Read-only: nothing the user does changes the book; Save as is there.
    void lectureSeuleDesactive()
    {
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin", "Dupont"}));
        Fenetre premiere(dossier.path(), amis);
        TMessage::ChoixSuivant(LectureSeule);
        Fenetre f(dossier.path(), amis);
        QVERIFY(f->Document()->LectureSeule());
        TMenusFiche* menus = f->Menus();
        for (C c : {C::Enregistrer, C::Ajouter, C::Dupliquer, C::Supprimer}) {
            QVERIFY(!menus->Item(c)->isEnabled());
            if (menus->Bouton(c)) QVERIFY(!menus->Bouton(c)->isEnabled());
        }
        for (C c : {C::Nouveau, C::Ouvrir, C::EnregistrerSous, C::Trier, C::Quitter})
            QVERIFY(menus->Item(c)->isEnabled());
        // Ctrl+A and Ctrl+D no longer reach a command.
        QVERIFY(!menus->RaccourciActif(QKeySequence(QStringLiteral("Ctrl+A"))));
        QVERIFY(!menus->RaccourciActif(QKeySequence(QStringLiteral("Ctrl+D"))));

        // The record pages: typing, a choice in the list, F12 in the notes.
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.fiche.get()));
        auto* nom = qobject_cast<QLineEdit*>(f->PagesFiche()->Controle(Nom));
        nom->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), "Hugo");
        QCOMPARE(nom->text(), QStringLiteral("Martin"));
        auto* civil = qobject_cast<QComboBox*>(f->PagesFiche()->Controle(Civil));
        civil->setCurrentIndex(1);
        QCOMPARE(civil->currentText(), QString());
        auto* notes = qobject_cast<QPlainTextEdit*>(f->PagesFiche()->Controle(Notes));
        notes->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
        QCOMPARE(notes->toPlainText(), QString());

        // The grid: no editor, no F12, no setData.
        f->PageControl()->setCurrentIndex(TFiche::PageListe);
        const QModelIndex cellule = f->Modele()->index(0, Nom);
        QVERIFY(!(f->Modele()->flags(cellule) & Qt::ItemIsEditable));
        QVERIFY(!f->Modele()->setData(cellule, QStringLiteral("Hugo")));
        f->Grille()->SetCelluleCourante(Notes, 1);
        f->Grille()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
        QCOMPARE(f->Rep().CelluleStr(Notes, 1), std::string());
        QCOMPARE(Noms(f->Rep()), QStringList({"Martin", "Dupont"}));
        QVERIFY(!f->Rep().Modifie());

        // Sorting only changes the order shown: allowed, nothing to save.
        f->TrieLivre(Nom);
        QCOMPARE(Noms(f->Rep()), QStringList({"Dupont", "Martin"}));
        QVERIFY(!f->Rep().Modifie());
        // Ctrl+S in read-only goes to Save as: the shared file is never written.
        const QByteArray avant = Octets(amis);
        f.enregistrer.clear();
        f->Document()->Enregistrer();
        QCOMPARE(f.dialoguesEnregistrer, 1);
        QCOMPARE(Octets(amis), avant);
    }

    // Save as makes a read-only book writable under its new name, with its lock;
    // it cannot replace a book another window holds.
    void enregistrerSousDepuisLectureSeule()
    {
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin"}));
        const QString copie = dossier.filePath("copie.REP");
        Fenetre premiere(dossier.path(), amis);
        TMessage::ChoixSuivant(LectureSeule);
        Fenetre f(dossier.path(), amis);
        QVERIFY(f->Document()->LectureSeule());

        // Onto the book itself: refused, it is open elsewhere.
        f.enregistrer = amis;
        QVERIFY(!f->Document()->EnregistrerSous());
        QVERIFY2(TMessage::DernierTexte().contains(QString::fromUtf8("ne peut pas être remplacé")),
                 qPrintable(TMessage::DernierTexte()));
        QVERIFY(f->Document()->LectureSeule());
        QCOMPARE(f->Rep().FichierCourant(), amis);

        f.enregistrer = copie;
        QVERIFY(f->Document()->EnregistrerSous());
        QVERIFY(!f->Document()->LectureSeule());
        QCOMPARE(f->Rep().FichierCourant(), copie);
        QCOMPARE(f.Titre(),
                 QString::fromUtf8("Carnet d'adresses \"copie\" - Fiche n°1/1 [ Martin]"));
        QVERIFY(f->Document()->Verrou().Detenu());
        QCOMPARE(f->Document()->Verrou().Livre(), copie);
        QVERIFY(Verrouille(copie));
        QVERIFY(premiere->Document()->Verrou().Intact());
        for (C c : {C::Enregistrer, C::Ajouter, C::Dupliquer, C::Supprimer})
            QVERIFY(f->Menus()->Item(c)->isEnabled());
        QVERIFY(f->Modele()->flags(f->Modele()->index(0, 0)) & Qt::ItemIsEditable);
        f->Modele()->SetCellule(Nom, 1, "Hugo");
        QVERIFY(f->Document()->Enregistrer());
        QCOMPARE(NomsDuFichier(copie), QStringList({"Hugo"}));
        QCOMPARE(NomsDuFichier(amis), QStringList({"Martin"}));
    }

    // Two windows writing the same book: the second is asked before it replaces what
    // the first saved, and each answer does what it says.
    void enregistrementApresUnAutre_data()
    {
        QTest::addColumn<int>("bouton");
        QTest::newRow("enregistrer quand même") << int(EnregistrerQuandMeme);
        QTest::newRow("enregistrer sous") << int(EnregistrerSous);
        QTest::newRow("annuler") << int(AnnulerEnregistrement);
    }
    void enregistrementApresUnAutre()
    {
        QFETCH(int, bouton);
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin"}));
        const QString ailleurs = dossier.filePath("ailleurs.REP");
        Fenetre premiere(dossier.path(), amis);
        TMessage::ChoixSuivant(QuandMeme);
        Fenetre seconde(dossier.path(), amis);
        premiere->Modele()->SetCellule(Nom, 1, "Premier");
        QVERIFY(premiere->Document()->Enregistrer());
        QVERIFY(TMessage::Historique().size() == 1); // only the lock question so far

        seconde->Modele()->SetCellule(Nom, 1, "Second");
        seconde.enregistrer = ailleurs;
        TMessage::ChoixSuivant(bouton);
        const bool enregistre = seconde->Document()->Enregistrer();
        const TMessage::Trace* q = DerniereQuestion();
        QVERIFY(q);
        QVERIFY2(q->texte.startsWith(QString::fromUtf8("Le fichier a été modifié par un autre "
                                                       "programme depuis son ouverture.")),
                 qPrintable(q->texte));
        QCOMPARE(q->boutons, QStringList({QString::fromUtf8("Enregistrer quand même"),
                                          QString::fromUtf8("Enregistrer sous..."),
                                          QString::fromUtf8("Annuler")}));
        QCOMPARE(enregistre, bouton != AnnulerEnregistrement);
        QCOMPARE(NomsDuFichier(amis),
                 QStringList({bouton == EnregistrerQuandMeme ? "Second" : "Premier"}));
        QCOMPARE(seconde->Rep().Modifie(), bouton == AnnulerEnregistrement);
        QCOMPARE(QFileInfo::exists(ailleurs), bouton == EnregistrerSous);
        if (bouton == EnregistrerSous) {
            QCOMPARE(NomsDuFichier(ailleurs), QStringList({"Second"}));
            QCOMPARE(seconde->Rep().FichierCourant(), ailleurs);
            QVERIFY(seconde->Document()->Verrou().Detenu());
        }
        if (bouton == EnregistrerQuandMeme) {
            // Now the file is the one it wrote: the next save asks nothing.
            const size_t questions = TMessage::Historique().size();
            seconde->Modele()->SetCellule(Nom, 1, "Encore");
            QVERIFY(seconde->Document()->Enregistrer());
            QCOMPARE(TMessage::Historique().size(), questions);
            // And the first one is asked in turn.
            premiere->Modele()->SetCellule(Nom, 1, "Retour");
            QVERIFY(!premiere->Document()->Enregistrer());
            QCOMPARE(NomsDuFichier(amis), QStringList({"Encore"}));
        }
    }

    // A file only touched, or copied over with the same bytes, is not a change; a
    // file that disappeared is asked about before it is written again.
    void pasDeFausseAlerte()
    {
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin"}));
        Fenetre f(dossier.path(), amis);
        const QByteArray octets = Octets(amis);
        QTest::qWait(20);
        const struct timespec maintenant[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
        QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(amis).constData(), maintenant, 0), 0);
        QVERIFY(FichierSur::Ecrit(amis, octets.constData(), static_cast<size_t>(octets.size()))
                    .isEmpty());
        Revient(f.fiche.get());
        f->Modele()->SetCellule(Nom, 1, "Hugo");
        QVERIFY(f->Document()->Enregistrer());
        QVERIFY(TMessage::Historique().empty());

        QVERIFY(QFile::remove(amis));
        f->Modele()->SetCellule(Nom, 1, "Zola");
        TMessage::ChoixSuivant(AnnulerEnregistrement);
        QVERIFY(!f->Document()->Enregistrer());
        QVERIFY(DerniereQuestion()->texte.contains(QString::fromUtf8("supprimé ou renommé")));
        QVERIFY(!QFileInfo::exists(amis));
        TMessage::ChoixSuivant(EnregistrerQuandMeme);
        QVERIFY(f->Document()->Enregistrer());
        QCOMPARE(NomsDuFichier(amis), QStringList({"Zola"}));
    }

    // A file named before it existed (a name given on the command line) that another
    // copy created meanwhile is not replaced without a word either.
    void fichierApparuEntreTemps()
    {
        Dossier dossier;
        const QString nouveau = dossier.filePath("nouveau.REP");
        Fenetre f(dossier.path(), nouveau);
        ModifieAilleurs(nouveau, {"Autre"});
        f->Modele()->SetCellule(Nom, 1, "Hugo");
        TMessage::ChoixSuivant(AnnulerEnregistrement);
        QVERIFY(!f->Document()->Enregistrer());
        QCOMPARE(NomsDuFichier(nouveau), QStringList({"Autre"}));
    }

    // The window comes back after another program changed the file: a book without
    // unsaved changes is offered a reload (at the record shown); one with changes is
    // warned, once for each change.
    void retourDeLaFenetre()
    {
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin", "Dupont", "Durand"}));
        Fenetre f(dossier.path(), amis);
        f->AllerA(0, 2);
        Revient(f.fiche.get());
        QVERIFY(TMessage::Historique().empty());

        ModifieAilleurs(amis, {"Martin", "Dupont", "Durand", "Zola"});
        TMessage::ReponseSuivante(TMessage::Non);
        Revient(f.fiche.get());
        QCOMPARE(TMessage::Historique().size(), size_t(1));
        QVERIFY(TMessage::Historique().back().texte.startsWith(
            QString::fromUtf8("Le fichier a été modifié par un autre programme depuis son "
                              "ouverture.")));
        QVERIFY(TMessage::Historique().back().texte.contains(QString::fromUtf8("recharger")));
        QCOMPARE(f->Rep().NbFiches(), 3);
        // Told once: the same change is not asked about again.
        Revient(f.fiche.get());
        QCOMPARE(TMessage::Historique().size(), size_t(1));

        ModifieAilleurs(amis, {"Martin", "Dupont", "Durand", "Zola", "Hugo"});
        TMessage::ReponseSuivante(TMessage::Oui);
        Revient(f.fiche.get());
        QCOMPARE(TMessage::Historique().size(), size_t(2));
        QCOMPARE(Noms(f->Rep()), QStringList({"Martin", "Dupont", "Durand", "Zola", "Hugo"}));
        QCOMPARE(f.Ligne(), 2);
        QCOMPARE(f.Titre(),
                 QString::fromUtf8("Carnet d'adresses \"amis\" - Fiche n°2/5 [ Dupont]"));
        QVERIFY(f->Document()->Verrou().Detenu());
        // The reloaded file is the one known now.
        f->Modele()->SetCellule(Nom, 1, "Hugues");
        QVERIFY(f->Document()->Enregistrer());
        QCOMPARE(TMessage::Historique().size(), size_t(2));

        // Unsaved changes: a warning, no reload, then the question at the save.
        ModifieAilleurs(amis, {"Autre"});
        f->Modele()->SetCellule(Nom, 1, "Mien");
        Revient(f.fiche.get());
        QCOMPARE(TMessage::Historique().size(), size_t(3));
        QVERIFY(!TMessage::Historique().back().question);
        QVERIFY(TMessage::Historique().back().texte.contains(
            QString::fromUtf8("Vos modifications ne sont pas enregistrées")));
        Revient(f.fiche.get());
        QCOMPARE(TMessage::Historique().size(), size_t(3));
        QCOMPARE(Noms(f->Rep()).value(0), QStringLiteral("Mien"));
        TMessage::ChoixSuivant(AnnulerEnregistrement);
        QVERIFY(!f->Document()->Enregistrer());
        QCOMPARE(NomsDuFichier(amis), QStringList({"Autre"}));
    }

    // A read-only window reloads as read-only, and sees the other window's save.
    void rechargementEnLectureSeule()
    {
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin"}));
        Fenetre premiere(dossier.path(), amis);
        TMessage::ChoixSuivant(LectureSeule);
        Fenetre seconde(dossier.path(), amis);
        premiere->Modele()->SetCellule(Nom, 1, "Premier");
        QVERIFY(premiere->Document()->Enregistrer());
        TMessage::ReponseSuivante(TMessage::Oui);
        Revient(seconde.fiche.get());
        QCOMPARE(Noms(seconde->Rep()), QStringList({"Premier"}));
        QVERIFY(seconde->Document()->LectureSeule());
        QVERIFY(seconde.Titre().contains(QString::fromUtf8("(lecture seule)")));
        QVERIFY(!seconde->Document()->Verrou().Detenu());
        QVERIFY(premiere->Document()->Verrou().Intact());
    }

    // A window opened "quand même" takes the lock at its first save once the holder
    // is gone; New after read-only gives a writable blank book.
    void verrouPrisQuandIlSeLibere()
    {
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin"}));
        auto premiere = std::make_unique<Fenetre>(dossier.path(), amis);
        TMessage::ChoixSuivant(QuandMeme);
        Fenetre seconde(dossier.path(), amis);
        QVERIFY(!seconde->Document()->Verrou().Detenu());
        premiere.reset();
        QVERIFY(!Verrouille(amis));
        seconde->Modele()->SetCellule(Nom, 1, "Hugo");
        QVERIFY(seconde->Document()->Enregistrer());
        QVERIFY(seconde->Document()->Verrou().Detenu());
        QVERIFY(Verrouille(amis));

        TMessage::ChoixSuivant(LectureSeule);
        Fenetre troisieme(dossier.path(), amis);
        QVERIFY(troisieme->Document()->LectureSeule());
        troisieme->Nouveau1Click();
        QVERIFY(!troisieme->Document()->LectureSeule());
        QVERIFY(troisieme->Menus()->Item(C::Ajouter)->isEnabled());
        QVERIFY(!troisieme.Titre().contains(QString::fromUtf8("lecture seule")));
        QVERIFY(seconde->Document()->Verrou().Intact());
    }

    // A lock file someone removed while the book was open is put back at the save.
    void verrouRemisALEnregistrement()
    {
        Dossier dossier;
        const QString amis = dossier.Ecrit("amis.REP", Livre({"Martin"}));
        Fenetre f(dossier.path(), amis);
        QVERIFY(QFile::remove(VerrouRepertoire::CheminVerrou(amis)));
        QVERIFY(!f->Document()->Verrou().Intact());
        f->Modele()->SetCellule(Nom, 1, "Hugo");
        QVERIFY(f->Document()->Enregistrer());
        QVERIFY(f->Document()->Verrou().Intact());
        QVERIFY(Verrouille(amis));
    }
};

CARNET_TEST(TestFichePartage)
#include "TestFichePartage.moc"
