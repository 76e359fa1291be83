// The document side of the main window: the caption, start-up with or without a
// file, the unsaved-changes question, failed loads and saves, sort-on-save.

#include "Registre.h"
#include "TestFicheOutils.h"

#include "mainwindow/TFTri.h"
#include "ui/TitreFiche.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace OutilsFiche;

namespace
{
QString Titre(const char* fin)
{
    return QString::fromUtf8("Carnet d'adresses ") + QString::fromUtf8(fin);
}

// Runs `action` with files limited to `taille` bytes, as a full disk would fail a
// write whoever runs the test.
template <typename F> void DisquePlein(qint64 taille, F action)
{
    rlimit ancienne{};
    getrlimit(RLIMIT_FSIZE, &ancienne);
    const rlimit limite{static_cast<rlim_t>(taille), ancienne.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limite);
    action();
    setrlimit(RLIMIT_FSIZE, &ancienne);
}
} // namespace

class TestFicheDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitRessourcesCarnet(); }
    void init() { TMessage::ModeTest(true); }

    void titre_data()
    {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QStringList>("fiche"); // first name, surname, company
        QTest::addColumn<QString>("attendu");
        auto ligne = [](const char* cas, const char* fichier, const char* fiche, const char* fin) {
            QTest::newRow(cas) << QString::fromUtf8(fichier) << QString::fromUtf8(fiche).split('|')
                               << Titre(fin);
        };
        ligne("new book", "", "||", "\"SANS NOM\" - Fiche n°1/1 []");
        ligne("cut at the first dot", "/tmp/carnet.2004.REP", "||", "\"carnet\" - Fiche n°1/1 []");
        ligne("name begins with a dot", "/tmp/.REP", "||", "\"SANS NOM\" - Fiche n°1/1 []");
        ligne("no dot in the name", "/tmp/amis", "||", "\"SANS NOM\" - Fiche n°1/1 []");
        ligne("company only", "", "||ACME", "\"SANS NOM\" - Fiche n°1/1 [ACME]");
        ligne("person, accents and percent signs", "/tmp/100%1.REP", "%2|Éric|ACME",
              "\"100%1\" - Fiche n°1/1 [%2 Éric]");
    }

    void titre()
    {
        QFETCH(QString, fichier);
        QFETCH(QStringList, fiche);
        QFETCH(QString, attendu);
        Repertoire rep;
        rep.SetFichierCourant(fichier);
        for (int i = 0; i < 3; ++i)
            rep.SetCellule(std::array{Prenom, Nom, Societe}[i], 1, CodePage::Octets(fiche.at(i)));
        QCOMPARE(TitreFiche::Compose(rep, 1), attendu);
    }

    void demarrageSurUnFichierAbsent()
    {
        // A missing file keeps its name, without a word, and the first save creates it.
        Dossier dossier;
        const QString absent = dossier.filePath("nouveau.REP");
        Fenetre f(dossier.path(), absent);
        QCOMPARE(f->Rep().FichierCourant(), absent);
        QCOMPARE(f.Titre(), Titre("\"nouveau\" - Fiche n°1/1 []"));
        f->Modele()->SetCellule(Nom, 1, "Hugo");
        f->Enregistrer1Click();
        QCOMPARE(f.dialoguesEnregistrer, 0);
        QCOMPARE(NomsDuFichier(absent), QStringList({"Hugo"}));
        QVERIFY(TMessage::Historique().empty());
    }

    void demarrageFichierIllisible()
    {
        Dossier dossier;
        const QString abime = dossier.Ecrit("abime.REP", QByteArray("pas un nombre\r\n0\r\n"));
        Fenetre f(dossier.path(), abime);
        QCOMPARE(TMessage::Historique().size(), size_t(1));
        QVERIFY(TMessage::DernierTexte().contains(abime));
        // The book stays unnamed, so that a save cannot put a blank book over the file.
        f->Modele()->SetCellule(Nom, 1, "Hugo");
        f->Enregistrer1Click();
        QCOMPARE(f.dialoguesEnregistrer, 1);
        QCOMPARE(Octets(abime), QByteArray("pas un nombre\r\n0\r\n"));

        // A remembered name that is a named pipe is refused at once, with its reason,
        // instead of holding the start for good.
        TMessage::Historique().clear();
        const QString tube = dossier.filePath("tube.REP");
        QCOMPARE(mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
        Fenetre g(dossier.path(), tube);
        QCOMPARE(TMessage::Historique().size(), size_t(1));
        QVERIFY(TMessage::DernierTexte().contains(QString::fromUtf8("pas un fichier ordinaire")));
        QCOMPARE(g->Rep().FichierCourant(), QString());
    }

    void question_data()
    {
        QTest::addColumn<QString>("commande");
        QTest::addColumn<int>("reponse");
        QTest::addColumn<bool>("nomme");          // the book has a file
        QTest::addColumn<bool>("dialogueAnnule"); // the save dialog is cancelled
        QTest::addColumn<bool>("poursuivie");     // the command went on
        for (const char* c : {"nouveau", "ouvrir", "fermer"}) {
            QTest::addRow("%s oui", c) << c << int(TMessage::Oui) << true << false << true;
            QTest::addRow("%s non", c) << c << int(TMessage::Non) << true << false << true;
            QTest::addRow("%s annuler", c) << c << int(TMessage::Annuler) << true << false << false;
            QTest::addRow("%s oui sans nom, dialogue annulé", c)
                << c << int(TMessage::Oui) << false << true << false;
            QTest::addRow("%s oui sans nom, enregistré", c)
                << c << int(TMessage::Oui) << false << false << true;
        }
    }

    void question()
    {
        QFETCH(QString, commande);
        QFETCH(int, reponse);
        QFETCH(bool, nomme);
        QFETCH(bool, dialogueAnnule);
        QFETCH(bool, poursuivie);
        const bool enregistre = reponse == TMessage::Oui && poursuivie;
        Dossier dossier;
        const QString livre = dossier.Ecrit("livre.REP", Livre({"Martin", "Dupont"}));
        const QString autre = dossier.Ecrit("autre.REP", Livre({"Zola"}));
        const QString nouveau = dossier.filePath("nouveau.REP");
        Fenetre f(dossier.path(), nomme ? livre : QString());
        f->Modele()->SetCellule(Nom, 1, "Hugo");
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
        QCOMPARE(TMessage::Historique().front().texte,
                 QString::fromUtf8("Le répertoire a été modifié. Voulez-vous l'enregistrer ?"));
        QVERIFY(TMessage::Historique().front().question);
        QCOMPARE(NomsDuFichier(nomme ? livre : nouveau).value(0) == "Hugo", enregistre);
        QCOMPARE(f.dialoguesEnregistrer, !nomme && reponse == TMessage::Oui ? 1 : 0);
        QCOMPARE(f.dialoguesOuvrir, commande == "ouvrir" && poursuivie ? 1 : 0);
        QCOMPARE(f->isVisible(), !poursuivie || commande != "fermer");
        if (!poursuivie || commande == "fermer") {
            // The book is as it was, still to be saved unless it just was.
            QCOMPARE(Noms(f->Rep()).value(0), QString("Hugo"));
            QCOMPARE(f->Rep().Modifie(), !enregistre);
        } else {
            QVERIFY(!f->Rep().Modifie());
            QCOMPARE(f.Titre(), Titre(commande == "nouveau" ? "\"SANS NOM\" - Fiche n°1/1 []"
                                                            : "\"autre\" - Fiche n°1/1 [ Zola]"));
        }
    }

    // A first save that fails leaves the book unnamed: the caption and the next
    // Ctrl+S do not take the impossible name.
    void premierEnregistrementRateGardeLeNom()
    {
        Dossier dossier;
        Fenetre f(dossier.path());
        f->Ajouter1Click();
        const QString titre = f.Titre();
        f.enregistrer = dossier.filePath("absent/livre.REP");
        f->Enregistrer1Click();
        QVERIFY(TMessage::DernierTexte().startsWith(QString::fromUtf8("Impossible d'enregistrer")));
        QCOMPARE(f->Rep().FichierCourant(), QString());
        QCOMPARE(f.Titre(), titre);
        QVERIFY(f->Rep().Modifie());
        f.enregistrer.clear();
        f->Enregistrer1Click(); // asks for a name again
        QCOMPARE(f.dialoguesEnregistrer, 2);
    }

    // The real save dialog refuses a name in a folder that does not exist, and keeps
    // its place for a better one; the keys go where a user's keys go.
    void dialogueRefuseUnDossierAbsent()
    {
        Dossier dossier;
        TFiche fiche(dossier.path());
        fiche.show();
        const QString absent = dossier.filePath("absent/livre.REP");
        const QString bon = dossier.filePath("livre.REP");
        bool refuse = false;
        QTimer::singleShot(0, [&] {
            auto* dialogue = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialogue);
            auto* nom = dialogue->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(nom);
            dialogue->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialogue));
            nom->setFocus();
            QCOMPARE(QApplication::focusWidget(), nom);
            nom->setText(absent);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            refuse = dialogue->isVisible() && TMessage::DernierTexte().contains("n'existe pas");
            nom->setText(bon);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        // Should a check above fail, the dialog must not stay open for good.
        QTimer::singleShot(10000, [] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
        });
        fiche.Enregistrersous1Click();
        QVERIFY(refuse);
        QCOMPARE(fiche.Rep().FichierCourant(), bon);
        QVERIFY(QFileInfo::exists(bon));
        QVERIFY(!QFileInfo::exists(dossier.filePath("absent")));
    }

    // A file holding more than its announced records opens, and the user is told
    // that a save will drop the rest.
    void donneesAuDelaDesFichesAnnonceesSignalees()
    {
        Dossier dossier;
        QByteArray octets =
            Octets(dossier.Ecrit("plein.REP", Livre({"Martin", "Dupont", "Durand"})));
        octets.replace(0, 1, "3"); // two records announced, three held
        const QString chemin = dossier.Ecrit("annonce.REP", octets);
        Fenetre f(dossier.path(), chemin);
        QCOMPARE(f->Rep().NbFiches(), 2);
        QVERIFY2(TMessage::DernierTexte().contains(QString::fromUtf8("au-delà des 2 fiches")),
                 qPrintable(TMessage::DernierTexte()));
        QVERIFY(!f->Rep().Modifie());
    }

    // A name of many megabytes cannot reach the window system whole: the caption shows
    // its start, then "…".
    void titreBorne()
    {
        Dossier dossier;
        Repertoire rep = Livre({"x"});
        rep.SetCellule(Nom, 1, std::string(17'000'000, 'N'));
        rep.SetCellule(Prenom, 1, "Jean");
        Fenetre f(dossier.path(), dossier.Ecrit("long.REP", rep));
        const QString titre = f.Titre();
        QVERIFY2(titre.size() < 300, qPrintable(QString::number(titre.size())));
        QVERIFY(titre.contains(QString::fromUtf8("[Jean NNNN")));
        QVERIFY(titre.endsWith(QString::fromUtf8("…]")));
    }

    void echecEcritureGardeAncienFichier()
    {
        Dossier dossier;
        const QString livre = dossier.Ecrit("livre.REP", Livre({"Martin"}));
        const QByteArray avant = Octets(livre);
        Fenetre f(dossier.path(), livre);
        for (int i = 0; i < 50; ++i)
            f->Ajouter1Click();
        f->Modele()->SetCellule(Nom, 1, "Hugo");
        DisquePlein(avant.size() + 64, [&] { f->Enregistrer1Click(); });
        QCOMPARE(TMessage::Historique().size(), size_t(1));
        QVERIFY(TMessage::DernierTexte().startsWith(QString::fromUtf8("Impossible d'enregistrer")));
        QVERIFY(f->Rep().Modifie());
        QCOMPARE(Octets(livre), avant);

        // Quitting still asks, and "&Oui" that fails again keeps the window open.
        TMessage::ReponseSuivante(TMessage::Oui);
        bool ferme = true;
        DisquePlein(avant.size() + 64, [&] { ferme = f->close(); });
        QVERIFY(!ferme);
        QCOMPARE(Octets(livre), avant);
    }

    void echecChargementGardeLeLivre()
    {
        Dossier dossier;
        const QString livre = dossier.Ecrit("livre.REP", Livre({"Martin", "Dupont", "Durand"}));
        const QByteArray octets = Octets(livre);
        const QString tronque = dossier.Ecrit("tronque.REP", octets.left(octets.size() * 2 / 3));
        Fenetre f(dossier.path(), livre);
        f->AllerA(0, 2);
        QTest::keyClicks(f->PagesFiche()->Controle(Prenom), "Jean");
        TMessage::ReponseSuivante(TMessage::Non);
        f.ouvrir = tronque;
        f->Ouvrir1Click();
        QCOMPARE(TMessage::Historique().size(), size_t(2));
        QVERIFY(TMessage::DernierTexte().contains(tronque));
        QCOMPARE(Noms(f->Rep()), QStringList({"Martin", "Dupont", "Durand"}));
        QCOMPARE(f->Rep().FichierCourant(), livre);
        QCOMPARE(f.Titre(), Titre("\"livre\" - Fiche n°2/3 [Jean Dupont]"));
    }

    void tri()
    {
        // Sorted on the town: blank first, then in byte order; the flags move with their records.
        Repertoire rep = Livre({"Un", "Deux", "Trois", "Quatre"});
        const char* villes[] = {"dupont", "Durand", "\xC9ric", ""};
        for (int l = 1; l <= 4; ++l)
            rep.SetCellule(Ville, l, villes[l - 1]);
        rep.SetFlagMail(1, "1");
        Dossier dossier;
        const QString livre = dossier.Ecrit("livre.REP", rep);
        Fenetre f(dossier.path(), livre);
        f->SetDialogueTri(new TFTri(f.fiche.get()));
        f->AllerA(0, 3);
        QTimer::singleShot(0, [&f] {
            f->DialogueTri()->Liste()->setCurrentIndex(Ville);
            f->DialogueTri()->accept();
        });
        f->Menus()->Item(TMenusFiche::Commande::Trier)->trigger();
        QCOMPARE(Noms(f->Rep()), QStringList({"Quatre", "Deux", "Un*", "Trois"}));
        QCOMPARE(f.Ligne(), 1);
        QVERIFY(f.Titre().contains(QString::fromUtf8("Fiche n°1/4 [ Quatre]")));
        // Sorting is no change: quitting asks nothing.
        QVERIFY(f->close());
        QVERIFY(TMessage::Historique().empty());

        // Sorting on save uses the same column, and the file keeps it.
        f->Menus()->Item(TMenusFiche::Commande::TrierEnEnregistrant)->trigger();
        f->AllerA(0, 3);
        f->Modele()->SetCellule(Ville, 1, "Zurich");
        f->Enregistrer1Click();
        QVERIFY(!f->Rep().Modifie());
        QCOMPARE(NomsDuFichier(livre), QStringList({"Deux", "Quatre", "Un*", "Trois"}));
        QCOMPARE(Noms(f->Rep()), NomsDuFichier(livre));
        QCOMPARE(Octets(livre).split('\n').value(1), QByteArray("6\r"));
        QCOMPARE(f.Ligne(), 1);
    }
};

CARNET_TEST(TestFicheDocument)
#include "TestFicheDocument.moc"
