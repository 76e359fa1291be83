// Moving through the book and the record commands of the main window: navigation
// buttons, the A–Z strip, add, duplicate, delete, edits from the record pages.

#include "Registre.h"
#include "TestFicheOutils.h"

#include "mainwindow/TOngletsAZ.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTabWidget>

using namespace OutilsFiche;
using C = TMenusFiche::Commande;

class TestFicheNavigation : public QObject
{
    Q_OBJECT

    Dossier m_dossier;

    QString LivreSur(const Repertoire& rep) { return m_dossier.Ecrit("livre.REP", rep); }

private slots:
    void initTestCase() { InitRessourcesCarnet(); }
    void init() { TMessage::ModeTest(true); }

    void boutonsDeNavigation_data()
    {
        QTest::addColumn<int>("fiches");
        QTest::addColumn<int>("ligne");
        QTest::addColumn<QString>("actifs"); // first, previous, next, last, sort: 1 enabled
        QTest::newRow("one record") << 1 << 1 << "00000";
        QTest::newRow("first of three") << 3 << 1 << "00111";
        QTest::newRow("middle of three") << 3 << 2 << "11111";
        QTest::newRow("last of three") << 3 << 3 << "11001";
    }

    void boutonsDeNavigation()
    {
        QFETCH(int, fiches);
        QFETCH(int, ligne);
        QFETCH(QString, actifs);
        Fenetre f(m_dossier.path(),
                  LivreSur(Livre(QStringList({"Martin", "Dupont", "Durand"}).mid(0, fiches))));
        f->AllerA(0, ligne);
        QString etat;
        for (C c : {C::Premiere, C::Precedente, C::Suivante, C::Derniere, C::Trier})
            etat += f->Menus()->Bouton(c)->isEnabled() ? '1' : '0';
        QCOMPARE(etat, actifs);
        // The menu item stays available: the dialog can be opened on a single record.
        QVERIFY(f->Menus()->Item(C::Trier)->isEnabled());
        f->Menus()->Bouton(C::Derniere)->trigger();
        QCOMPARE(f.Ligne(), fiches);
        f->Menus()->Bouton(C::Premiere)->trigger();
        QCOMPARE(f.Ligne(), 1);
        QCOMPARE(f.NomAffiche(), std::string("Martin"));
    }

    void ajouterEtDupliquer()
    {
        Repertoire rep = Livre({"Martin", "Dupont", "Durand"});
        rep.SetFlagMail(2, "1");
        rep.SetCellule(Notes, 2, "ligne 1\r\nligne 2");
        Fenetre f(m_dossier.path(), LivreSur(rep));
        f->PageControl()->setCurrentIndex(TFiche::PageProfessionnel);
        f->AllerA(0, 2);
        QVERIFY(!f->Rep().Modifie());
        f->Menus()->Item(C::Dupliquer)->trigger();
        QCOMPARE(f.Ligne(), 4);
        // Closing now must ask: the copy exists only in memory.
        QVERIFY(f->Rep().Modifie());
        f->Rep().SetModifie(false);
        for (int c = 0; c < NbColonnes; ++c)
            QCOMPARE(f->Rep().CelluleStr(c, 4), f->Rep().CelluleStr(c, 2));
        // The copy is not chosen for the mailing.
        QCOMPARE(Noms(f->Rep()), QStringList({"Martin", "Dupont*", "Durand", "Dupont"}));

        f->Menus()->Bouton(C::Ajouter)->trigger();
        QCOMPARE(f.Ligne(), 5);
        QVERIFY(f->Rep().Modifie());
        QVERIFY(f.NomAffiche().empty());
        QCOMPARE(f->PageControl()->currentIndex(), int(TFiche::PageProfessionnel));
    }

    // "Ajouter" from the quick-search box: the keys typed next fill the new record,
    // in the first field of the page shown, or the new row's first cell on the list.
    void ajouterDonneLeClavierALaNouvelleFiche_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("colonne");
        QTest::newRow("Privé: the civility") << int(TFiche::PagePrive) << int(Civil);
        QTest::newRow("Professionnel: the company")
            << int(TFiche::PageProfessionnel) << int(Societe);
        QTest::newRow("Banque: the bank") << int(TFiche::PageBanque) << int(Banque);
        QTest::newRow("Liste: the surname") << int(TFiche::PageListe) << int(Nom);
    }

    void ajouterDonneLeClavierALaNouvelleFiche()
    {
        QFETCH(int, page);
        QFETCH(int, colonne);
        Fenetre f(m_dossier.path(), LivreSur(Livre({"Martin", "Dupont"})));
        f->PageControl()->setCurrentIndex(page);
        QApplication::setActiveWindow(f.fiche.get());
        QVERIFY(QTest::qWaitForWindowActive(f.fiche.get()));
        f->EditRecherche()->setFocus();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->EditRecherche()));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(f.Ligne(), 3);
        // Each key where the keyboard is at that moment: on the list, the first key
        // opens the cell's editor, which takes the next ones.
        for (const QChar c : QStringLiteral("Zorro"))
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        if (page == TFiche::PageListe) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QApplication::processEvents();
        }
        QCOMPARE(f->Rep().CelluleStr(colonne, 3), std::string("Zorro"));
        QCOMPARE(f->Rep().CelluleStr(colonne, 2), colonne == Nom ? std::string("Dupont") : "");
        QCOMPARE(f->EditRecherche()->currentText(), QString());
        QCOMPARE(f.Ligne(), 3);
    }

    void supprimerSurLaListe_data()
    {
        QTest::addColumn<int>("courante");
        QTest::addColumn<int>("attendue");
        QTest::newRow("current row still exists") << 3 << 3;
        QTest::newRow("current row beyond the end") << 4 << 3;
    }

    void supprimerSurLaListe()
    {
        QFETCH(int, courante);
        QFETCH(int, attendue);
        Repertoire rep = Livre({"Un", "Deux", "Trois", "Quatre", "Cinq", "Six"});
        for (int l : {1, 3, 6})
            rep.SetFlagMail(l, "1");
        Fenetre f(m_dossier.path(), LivreSur(rep));
        f->PageControl()->setCurrentIndex(TFiche::PageListe);
        TGrille* grille = f->Grille();
        grille->SetCelluleCourante(0, courante);
        // Rows 2 to 4 selected (model rows 1 to 3).
        grille->selectionModel()->select(
            QItemSelection(grille->model()->index(1, 2), grille->model()->index(3, 5)),
            QItemSelectionModel::ClearAndSelect);
        f->Menus()->Item(C::Supprimer)->trigger();
        QCOMPARE(Noms(f->Rep()), QStringList({"Un*", "Cinq", "Six*"}));
        QVERIFY(f->Rep().Modifie());
        QCOMPARE(f.Ligne(), attendue);
        // The tabs of the letters that went away are blank.
        QCOMPARE(f->BandeAZ()->tabText(3), QString()); // D
    }

    void supprimerLaSeuleFiche()
    {
        Repertoire rep = Livre({"Martin"});
        rep.SetFlagMail(1, "1");
        Fenetre f(m_dossier.path(), LivreSur(rep));
        f->Supprimer1Click();
        // The last record leaves one blank record behind, unchosen.
        QCOMPARE(Noms(f->Rep()), QStringList({""}));
        QVERIFY(f.NomAffiche().empty());
        f->Supprimer1Click();
        QCOMPARE(Noms(f->Rep()), QStringList({""}));
    }

    // At start the first record is shown at once; the A–Z strip's letters without a
    // record, a scan of the whole book, go as soon as the window is back in its
    // event loop.
    void ongletsApresLaPremiereFiche()
    {
        Fenetre f(m_dossier.path(), LivreSur(Livre({"Zola", "Martin"})));
        TOngletsAZ* az = f->BandeAZ();
        QCOMPARE(f.NomAffiche(), std::string("Zola"));
        QVERIFY(f.Titre().contains(QString::fromUtf8("n°1/2")));
        QCOMPARE(az->tabText(0), QString("A")); // until then every letter is offered
        QCoreApplication::processEvents();
        QCOMPARE(az->tabText(25), QString("Z"));
        QCOMPARE(az->tabText(12), QString("M"));
        QCOMPARE(az->tabText(0), QString());
    }

    void ongletsAZ()
    {
        Fenetre f(m_dossier.path(), LivreSur(Livre({"Zola", "Martin", "dupont", "martin",
                                                    QString::fromUtf8("Éric")})));
        QCoreApplication::processEvents();
        TOngletsAZ* az = f->BandeAZ();
        QCOMPARE(az->tabText(25), QString("Z"));
        QCOMPARE(az->tabText(3), QString("D"));
        QCOMPARE(az->tabText(4), QString()); // "Éric" has no letter
        QCOMPARE(az->currentIndex(), 25);    // the first record is shown
        QTest::mouseClick(az, Qt::LeftButton, {}, az->tabRect(12).center());
        QCOMPARE(f.Ligne(), 2); // the first "M" in row order
        QTest::mouseClick(az, Qt::LeftButton, {}, az->tabRect(3).center());
        QCOMPARE(f.Ligne(), 3);
        // A letter without a record refuses the click and the keys.
        QTest::mouseClick(az, Qt::LeftButton, {}, az->tabRect(1).center());
        QTest::keyClick(az, Qt::Key_Right);
        QCOMPARE(f.Ligne(), 3);
        QCOMPARE(az->currentIndex(), 3);
        // A record without a letter leaves the tab as it was.
        f->AllerA(0, 5);
        QCOMPARE(az->currentIndex(), 3);

        // Typing a surname moves the tab.
        auto* nom = qobject_cast<QLineEdit*>(f->PagesFiche()->Controle(Nom));
        f->AllerA(0, 3);
        nom->selectAll();
        QTest::keyClicks(nom, "Bernard");
        QCOMPARE(az->currentIndex(), 1);
        QVERIFY(f.Titre().endsWith("[ Bernard]"));
    }

    // Lower-case initials at both ends of the alphabet have their tabs; the bytes
    // just outside "a".."z" and "A".."Z" have none.
    void initialesMinusculesAuxBouts()
    {
        Fenetre f(m_dossier.path(),
                  LivreSur(Livre({"`accent", "{accolade", "@arobase", "[crochet", "Martin", "zola",
                                  QString::fromUtf8("andré")})));
        QCoreApplication::processEvents();
        TOngletsAZ* az = f->BandeAZ();
        QStringList tabs;
        for (int i = 0; i < 26; ++i)
            if (!az->tabText(i).isEmpty()) tabs << az->tabText(i);
        QCOMPARE(tabs, (QStringList{"A", "M", "Z"}));
        QTest::mouseClick(az, Qt::LeftButton, {}, az->tabRect(25).center());
        QCOMPARE(f.Ligne(), 6);
        QTest::mouseClick(az, Qt::LeftButton, {}, az->tabRect(0).center());
        QCOMPARE(f.Ligne(), 7);
        QCOMPARE(az->currentIndex(), 0);
        // Shown by the program, a lower-case name selects its tab too.
        f->AllerA(0, 6);
        QCOMPARE(az->currentIndex(), 25);
    }

    // A book using all 26 initials has 26 tabs, the last record's letter included.
    void vingtSixInitiales()
    {
        QStringList noms;
        for (char l = 'Z'; l >= 'A'; --l)
            noms << QString(QChar(l)) + QStringLiteral("nom");
        Fenetre f(m_dossier.path(), LivreSur(Livre(noms)));
        TOngletsAZ* az = f->BandeAZ();
        for (int i = 0; i < 26; ++i)
            QCOMPARE(az->tabText(i), QString(QChar('A' + i)));
        QTest::mouseClick(az, Qt::LeftButton, {}, az->tabRect(0).center());
        QCOMPARE(f.Ligne(), 26);
        QTest::mouseClick(az, Qt::LeftButton, {}, az->tabRect(25).center());
        QCOMPARE(f.Ligne(), 1);
    }

    void saisieEnCoursDansLaGrille()
    {
        const QString chemin = LivreSur(Livre({"Martin", "Dupont"}));
        Fenetre f(m_dossier.path(), chemin);
        f->PageControl()->setCurrentIndex(TFiche::PageListe);
        TGrille* grille = f->Grille();
        const QModelIndex cellule = grille->model()->index(1, Ville);
        const auto tape = [&](const QString& texte) {
            grille->setCurrentIndex(cellule);
            grille->edit(cellule);
            auto* editeur = qobject_cast<QLineEdit*>(grille->indexWidget(cellule));
            QVERIFY(editeur);
            editeur->setText(texte);
        };
        // Closing while the cell is being typed asks about it.
        tape(QStringLiteral("Nantes"));
        TMessage::ReponseSuivante(TMessage::Annuler);
        QVERIFY(!f->close());
        QCOMPARE(f->Rep().CelluleStr(Ville, 2), std::string("Nantes"));
        // Saving while the cell is being typed saves it.
        tape(QStringLiteral("Brest"));
        f->Enregistrer1Click();
        QVERIFY(!f->Rep().Modifie());
        QVERIFY(Octets(chemin).contains("\r\nBrest\r\n"));
    }
};

CARNET_TEST(TestFicheNavigation)
#include "TestFicheNavigation.moc"
