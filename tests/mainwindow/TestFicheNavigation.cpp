// Moving through the book and the record commands of the main window: navigation
// buttons, the A–Z strip, add, duplicate, delete, edits from the record pages.

#include "Registre.h"
#include "TestFicheOutils.h"

#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TMenusFiche.h"
#include "mainwindow/TOngletsAZ.h"
#include "mainwindow/TPagesFiche.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

using OutilsFiche::Ecrit;
using OutilsFiche::Fenetre;
using OutilsFiche::Livre;
using OutilsFiche::Noms;

class TestFicheNavigation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitRessourcesCarnet(); }
    void init() { TMessage::ModeTest(true); }

    void boutonsDeNavigation_data();
    void boutonsDeNavigation();
    void ajouterEtDupliquer();
    void raccourciDepuisUnChamp();
    void supprimerSurLaListe_data();
    void supprimerSurLaListe();
    void supprimerSurUneFiche();
    void ongletsAZ();
    void saisieDuNom();
    void activationMontreLesChangements();
    void quitterLaListeMontreLaFiche();
    void saisieEnCoursDansLaGrille();

private:
    QTemporaryDir m_dossier;
    QString LivreSur(const QStringList& noms, Repertoire rep = Repertoire());
};

QString TestFicheNavigation::LivreSur(const QStringList& noms, Repertoire rep)
{
    if (rep.NbFiches() == 1 && rep.Cellule(Nom, 1).empty()) rep = Livre(noms);
    const QString chemin = m_dossier.filePath(QStringLiteral("livre%1.REP").arg(noms.size()));
    Ecrit(chemin, rep);
    return chemin;
}

void TestFicheNavigation::boutonsDeNavigation_data()
{
    QTest::addColumn<int>("fiches");
    QTest::addColumn<int>("ligne");
    QTest::addColumn<QString>("actifs"); // first, previous, next, last, sort: 1 enabled

    QTest::newRow("one record") << 1 << 1 << "00000";
    QTest::newRow("first of three") << 3 << 1 << "00111";
    QTest::newRow("middle of three") << 3 << 2 << "11111";
    QTest::newRow("last of three") << 3 << 3 << "11001";
}

void TestFicheNavigation::boutonsDeNavigation()
{
    QFETCH(int, fiches);
    QFETCH(int, ligne);
    QFETCH(QString, actifs);
    const QStringList noms = QStringList({"Martin", "Dupont", "Durand"}).mid(0, fiches);
    Fenetre f(m_dossier.path(), LivreSur(noms));
    f->AllerA(0, ligne);
    using C = TMenusFiche::Commande;
    QString etat;
    for (C c : {C::Premiere, C::Precedente, C::Suivante, C::Derniere, C::Trier})
        etat += f->Menus()->Bouton(c)->isEnabled() ? '1' : '0';
    QCOMPARE(etat, actifs);
    // The menu item stays available: the dialog can be opened on a single record.
    QVERIFY(f->Menus()->Item(C::Trier)->isEnabled());

    // Each button moves as its name says and stops at the ends.
    f->Menus()->Bouton(C::Suivante)->trigger();
    QCOMPARE(f.Ligne(), qMin(ligne + 1, fiches));
    f->Menus()->Bouton(C::Derniere)->trigger();
    QCOMPARE(f.Ligne(), fiches);
    f->FFBtnClick();
    QCOMPARE(f.Ligne(), fiches);
    f->Menus()->Bouton(C::Precedente)->trigger();
    QCOMPARE(f.Ligne(), qMax(fiches - 1, 1));
    f->Menus()->Bouton(C::Premiere)->trigger();
    QCOMPARE(f.Ligne(), 1);
    f->RewBtnClick();
    QCOMPARE(f.Ligne(), 1);
    QCOMPARE(qobject_cast<QLineEdit*>(f->PagesFiche()->Controle(Nom))->text(), noms.at(0));
}

void TestFicheNavigation::ajouterEtDupliquer()
{
    Repertoire rep = Livre({"Martin", "Dupont", "Durand"});
    rep.SetFlagMail(2, "1");
    rep.SetCellule(Photo, 2, "dupont.jpg");
    rep.SetCellule(Notes, 2, "ligne 1\r\nligne 2");
    Fenetre f(m_dossier.path(), LivreSur({"a", "b", "c"}, rep));
    f->PageControl()->setCurrentIndex(TFiche::PageProfessionnel);
    f->AllerA(0, 2);

    f->Menus()->Item(TMenusFiche::Commande::Dupliquer)->trigger();
    QCOMPARE(f->Rep().NbFiches(), 4);
    QCOMPARE(f.Ligne(), 4);
    QVERIFY(f->Rep().Modifie());
    for (int c = 0; c < NbColonnes; ++c)
        QCOMPARE(f->Rep().CelluleStr(c, 4), f->Rep().CelluleStr(c, 2));
    QCOMPARE(f->Rep().FlagMail(4), std::string("0"));
    QCOMPARE(f->Rep().FlagMail(2), std::string("1"));
    QCOMPARE(f.Titre(), QString::fromUtf8("Carnet d'adresses \"livre3\" - Fiche n°4/4 [ Dupont]"));

    f->Menus()->Bouton(TMenusFiche::Commande::Ajouter)->trigger();
    QCOMPARE(f->Rep().NbFiches(), 5);
    QCOMPARE(f.Ligne(), 5);
    QCOMPARE(f->Rep().FlagMail(5), std::string("0"));
    QCOMPARE(f.Titre(), QString::fromUtf8("Carnet d'adresses \"livre3\" - Fiche n°5/5 []"));
    QVERIFY(qobject_cast<QLineEdit*>(f->PagesFiche()->Controle(Nom))->text().isEmpty());
    QCOMPARE(f->PageControl()->currentIndex(), int(TFiche::PageProfessionnel));
    QVERIFY(!f->Menus()->Bouton(TMenusFiche::Commande::Suivante)->isEnabled());
}

void TestFicheNavigation::raccourciDepuisUnChamp()
{
    Fenetre f(m_dossier.path(), LivreSur({"Martin", "Dupont"}));
    QApplication::setActiveWindow(f.fiche.get());
    QVERIFY(QTest::qWaitForWindowActive(f.fiche.get()));
    auto* nom = qobject_cast<QLineEdit*>(f->PagesFiche()->Controle(Nom));
    nom->setFocus();
    // Ctrl+A adds a record even though the field would take it to select its text.
    QTest::keyClick(nom, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(f->Rep().NbFiches(), 3);
    QTest::keyClick(f->EditRecherche()->lineEdit(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(f->Rep().NbFiches(), 4);
    // Other keys keep their meaning in the field.
    nom->setText("Hugo");
    nom->selectAll();
    QTest::keyClick(nom, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(f->Rep().NbFiches(), 4);
}

void TestFicheNavigation::supprimerSurLaListe_data()
{
    QTest::addColumn<int>("courante");
    QTest::addColumn<int>("attendue");
    QTest::newRow("current row still exists") << 3 << 3;
    QTest::newRow("current row beyond the end") << 4 << 3;
}

void TestFicheNavigation::supprimerSurLaListe()
{
    QFETCH(int, courante);
    QFETCH(int, attendue);
    Repertoire rep = Livre({"Un", "Deux", "Trois", "Quatre", "Cinq", "Six"});
    rep.SetFlagMail(1, "1");
    rep.SetFlagMail(3, "1");
    rep.SetFlagMail(6, "1");
    Fenetre f(m_dossier.path(), LivreSur({"1", "2", "3", "4", "5", "6"}, rep));
    f->PageControl()->setCurrentIndex(TFiche::PageListe);
    TGrille* grille = f->Grille();
    grille->SetCelluleCourante(0, courante);
    // Rows 2 to 4 selected (model rows 1 to 3).
    const QItemSelection selection(grille->model()->index(1, 2), grille->model()->index(3, 5));
    grille->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    QCOMPARE(grille->LignesSelectionnees(), std::make_pair(2, 4));

    f->Menus()->Item(TMenusFiche::Commande::Supprimer)->trigger();
    QCOMPARE(Noms(f->Rep()), QStringList({"Un", "Cinq", "Six"}));
    QCOMPARE(f->Rep().FlagMail(1), std::string("1"));
    QCOMPARE(f->Rep().FlagMail(2), std::string("0"));
    QCOMPARE(f->Rep().FlagMail(3), std::string("1"));
    QVERIFY(f->Rep().Modifie());
    QCOMPARE(f.Ligne(), attendue);
    QCOMPARE(f->Grille()->ColonneCourante(), 0);
    QVERIFY(f.Titre().contains(QString::fromUtf8("Fiche n°%1/3").arg(attendue)));
    // The tabs of the letters that went away are blank.
    QCOMPARE(f->BandeAZ()->tabText(3), QString());  // D
    QCOMPARE(f->BandeAZ()->tabText(16), QString()); // Q
    QCOMPARE(f->BandeAZ()->tabText(2), QString("C"));
}

void TestFicheNavigation::supprimerSurUneFiche()
{
    Fenetre f(m_dossier.path(), LivreSur({"Martin", "Dupont", "Durand"}));
    f->AllerA(0, 2);
    f->Supprimer1Click();
    QCOMPARE(Noms(f->Rep()), QStringList({"Martin", "Durand"}));
    QCOMPARE(f.Ligne(), 2);
    QCOMPARE(qobject_cast<QLineEdit*>(f->PagesFiche()->Controle(Nom))->text(), QString("Durand"));

    f->Supprimer1Click();
    f->Supprimer1Click();
    // The last record leaves one blank record behind.
    QCOMPARE(f->Rep().NbFiches(), 1);
    QCOMPARE(Noms(f->Rep()), QStringList({""}));
    QCOMPARE(f->Rep().FlagMail(1), std::string("0"));
    f->Supprimer1Click();
    QCOMPARE(f->Rep().NbFiches(), 1);
    QVERIFY(!f->Menus()->Bouton(TMenusFiche::Commande::Trier)->isEnabled());
}

void TestFicheNavigation::ongletsAZ()
{
    Fenetre f(m_dossier.path(),
              LivreSur({"Zola", "Martin", "dupont", "martin", QString::fromUtf8("Éric")}));
    TOngletsAZ* az = f->BandeAZ();
    QCOMPARE(az->tabText(25), QString("Z"));
    QCOMPARE(az->tabText(3), QString("D"));
    QCOMPARE(az->tabText(4), QString()); // "Éric" has no letter
    QCOMPARE(az->currentIndex(), 25);    // the first record is shown

    QTest::mouseClick(az, Qt::LeftButton, {}, az->tabRect(12).center());
    QCOMPARE(f.Ligne(), 2); // the first "M" in row order
    QCOMPARE(az->currentIndex(), 12);
    QTest::mouseClick(az, Qt::LeftButton, {}, az->tabRect(3).center());
    QCOMPARE(f.Ligne(), 3);

    // A letter without a record refuses the click.
    QTest::mouseClick(az, Qt::LeftButton, {}, az->tabRect(1).center());
    QCOMPARE(f.Ligne(), 3);
    QCOMPARE(az->currentIndex(), 3);

    // A record without a letter leaves the tab as it was.
    f->AllerA(0, 5);
    QCOMPARE(az->currentIndex(), 3);
}

void TestFicheNavigation::saisieDuNom()
{
    Fenetre f(m_dossier.path(), LivreSur({"Martin", "Dupont"}));
    auto* nom = qobject_cast<QLineEdit*>(f->PagesFiche()->Controle(Nom));
    f->AllerA(0, 2);
    nom->setFocus();
    nom->selectAll();
    QTest::keyClicks(nom, "Bernard");
    QCOMPARE(f->Rep().CelluleStr(Nom, 2), std::string("Bernard"));
    QVERIFY(f->Rep().Modifie());
    QCOMPARE(f->BandeAZ()->currentIndex(), 1);
    QCOMPARE(f->BandeAZ()->tabText(1), QString("B"));
    QVERIFY(f.Titre().endsWith("[ Bernard]"));

    // Emptying the surname recomputes every tab and selects "A".
    nom->selectAll();
    QTest::keyClick(nom, Qt::Key_Delete);
    QCOMPARE(f->Rep().CelluleStr(Nom, 2), std::string());
    QCOMPARE(f->BandeAZ()->tabText(1), QString());
    QCOMPARE(f->BandeAZ()->tabText(3), QString()); // "Dupont" is gone too
    QCOMPARE(f->BandeAZ()->tabText(12), QString("M"));
    QCOMPARE(f->BandeAZ()->currentIndex(), 0);
}

void TestFicheNavigation::activationMontreLesChangements()
{
    Fenetre f(m_dossier.path(), LivreSur({"Martin", "Dupont"}));
    // What a dialog changes in the book shows when the window is active again.
    f->Modele()->SetCellule(Nom, 1, "Zola");
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(f.fiche.get(), &activation);
    QCOMPARE(qobject_cast<QLineEdit*>(f->PagesFiche()->Controle(Nom))->text(), QString("Zola"));
    QCOMPARE(f->BandeAZ()->tabText(25), QString("Z"));
    QCOMPARE(f->BandeAZ()->tabText(12), QString());
    QVERIFY(f.Titre().endsWith("[ Zola]"));
}

void TestFicheNavigation::quitterLaListeMontreLaFiche()
{
    Fenetre f(m_dossier.path(), LivreSur({"Martin", "Dupont", "Durand"}));
    f->PageControl()->setCurrentIndex(TFiche::PageListe);
    TGrille* grille = f->Grille();
    grille->SetCelluleCourante(Ville, 3);
    QVERIFY(f.Titre().contains(QString::fromUtf8("Fiche n°3/3")));
    grille->model()->setData(grille->model()->index(2, Ville), QStringLiteral("Québec"));
    QVERIFY(f->Rep().Modifie());
    f->PageControl()->setCurrentIndex(TFiche::PagePrive);
    QCOMPARE(qobject_cast<QLineEdit*>(f->PagesFiche()->Controle(Ville))->text(),
             QString::fromUtf8("Québec"));
    QCOMPARE(qobject_cast<QLineEdit*>(f->PagesFiche()->Controle(Nom))->text(), QString("Durand"));
}

void TestFicheNavigation::saisieEnCoursDansLaGrille()
{
    const QString chemin = LivreSur({"Martin", "Dupont"});
    Fenetre f(m_dossier.path(), chemin);
    f->PageControl()->setCurrentIndex(TFiche::PageListe);
    TGrille* grille = f->Grille();
    const QModelIndex cellule = grille->model()->index(1, Ville);
    grille->setCurrentIndex(cellule);
    grille->edit(cellule);
    auto* editeur = qobject_cast<QLineEdit*>(grille->indexWidget(cellule));
    QVERIFY(editeur);
    editeur->setText(QStringLiteral("Nantes"));

    // Closing while the cell is being typed asks about it.
    TMessage::ReponseSuivante(TMessage::Annuler);
    QVERIFY(!f->close());
    QCOMPARE(TMessage::Historique().size(), size_t(1));
    QCOMPARE(f->Rep().CelluleStr(Ville, 2), std::string("Nantes"));

    // Saving while the cell is being typed saves it.
    grille->edit(cellule);
    editeur = qobject_cast<QLineEdit*>(grille->indexWidget(cellule));
    QVERIFY(editeur);
    editeur->setText(QStringLiteral("Brest"));
    f->Enregistrer1Click();
    QVERIFY(!f->Rep().Modifie());
    Repertoire relu;
    QCOMPARE(FichierRep::ChargeRepertoire(chemin, relu), QString());
    QCOMPARE(relu.CelluleStr(Ville, 2), std::string("Brest"));
}

CARNET_TEST(TestFicheNavigation)
#include "TestFicheNavigation.moc"
