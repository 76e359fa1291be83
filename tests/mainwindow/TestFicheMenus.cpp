// The main window's menus and tool bar: texts, shortcuts, separators, the commands
// not yet available, and the captions and hints that follow the page shown.

#include "Registre.h"
#include "TestFicheOutils.h"

#include "mainwindow/TAboutBox.h"
#include "mainwindow/TAide.h"
#include "mainwindow/TMenusFiche.h"
#include "mainwindow/TOngletsAZ.h"

#include <QAction>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using OutilsFiche::Fenetre;

class TestFicheMenus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        InitRessourcesCarnet();
        TMessage::ModeTest(true);
    }

    void barres_data();
    void barres();
    void captionsSelonLaPage();
    void couleurDuFond();
    void aideEtAPropos();
    void disposition();
};

namespace
{
// "-" stands for a separator. Activity: 1 enabled, 0 disabled, -1 depends on the book.
struct Attendu {
    const char* texte;
    const char* raccourci;
    int actif;
};
} // namespace

void TestFicheMenus::barres_data()
{
    QTest::addColumn<int>("menu"); // index in the menu bar, -1 for the tool bar
    QTest::addColumn<QString>("titre");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("texte");     // menu: caption; tool bar: hint
    QTest::addColumn<QString>("raccourci"); // menu: shortcut; tool bar: object name
    QTest::addColumn<int>("actif");
    QTest::addColumn<bool>("visible");

    const struct {
        const char* titre;
        std::vector<Attendu> items;
    } menus[] = {
        {"&Fichier",
         {{"&Nouveau", "Ctrl+N", 1},
          {"&Ouvrir...", "Ctrl+O", 1},
          {"&Enregistrer", "Ctrl+S", 1},
          {"Enregistrer &sous...", "", 1},
          {"-", "", 1},
          {"Im&porter...", "Ctrl+I", 0},
          {"E&xporter...", "Ctrl+E", 0},
          {"-", "", 1},
          {"&Imprimer la fiche courante...", "Ctrl+P", 0},
          {"-", "", 1},
          {"&Quitter", "", 1}}},
        {"&Edition",
         {{"&Trier...", "Ctrl+T", 1},
          {"-", "", 1},
          {"&Copie intelligente...", "Ctrl+K", 0},
          {"-", "", 1},
          {"C&hercher...", "Ctrl+F", 0}}},
        {"F&iche", {{"&Ajouter", "Ctrl+A", 1}, {"&Dupliquer", "Ctrl+D", 1}, {"&Supprimer", "", 1}}},
        {"Eti&quettes", {{"&Assistant mailing...", "", 0}}},
        {"&Options",
         {{"&Trier en enregistrant", "", 1},
          {"&Couleur du fond...", "", -1}, // hidden until the list page shows
          {"-", "", 1},
          {"&Recherche sélective...", "", 0},
          {"&Numérotation...", "", 0}}},
        {"&?",
         {{"&Aide...", "", 1},
          {"A &propos...", "", 1},
          {"-", "", 1},
          {"&Connexion au site web de l'auteur...", "", 0}}},
    };
    int indexMenu = 0;
    for (const auto& m : menus) {
        const int total = static_cast<int>(m.items.size());
        for (int i = 0; i < total; ++i) {
            const Attendu& a = m.items[static_cast<size_t>(i)];
            // "&Couleur du fond..." shows only on the list page.
            const bool visible =
                QString::fromUtf8(a.texte) != QString::fromUtf8("&Couleur du fond...");
            QTest::addRow("%s %d", m.titre, i)
                << indexMenu << QString::fromUtf8(m.titre) << i << total
                << QString::fromUtf8(a.texte) << QString::fromUtf8(a.raccourci) << a.actif
                << visible;
        }
        ++indexMenu;
    }

    const struct {
        const char* nom;
        const char* conseil;
        int actif;
        bool visible;
    } boutons[] = {
        {"NewButton", "Nouveau", 1, true},
        {"OpenBtn", "Ouvrir", 1, true},
        {"SaveBtn", "Enregistrer", 1, true},
        {"BeginBtn", "Première fiche", -1, true},
        {"RewBtn", "Fiche précédente", -1, true},
        {"FFBtn", "Fiche suivante", -1, true},
        {"EndBtn", "Dernière fiche", -1, true},
        {"PrintBtn", "Imprimer la fiche courante", 0, true},
        {"PlusBtn", "Ajouter", 1, true},
        {"MoinsBtn", "Supprime la fiche courante", 1, true},
        {"SortBtn", "Trier", -1, true},
        {"EtikBtn", "Imprimer des étiquettes", 0, true},
        {"CopyBtn", "Copie intelligente", 0, true},
        {"ImportBtn", "Importer", 0, true},
        {"ExportBtn", "Exporter", 0, true},
        {"FindBtn", "Chercher", 0, false},
        {"HelpBtn", "Aide", 1, true},
        {"AboutBtn", "A propos", 1, true},
        {"ExitBtn", "Quitter", 1, true},
    };
    const int total = static_cast<int>(std::size(boutons));
    for (int i = 0; i < total; ++i)
        QTest::addRow("outils %s", boutons[i].nom)
            << -1 << QString() << i << total << QString::fromUtf8(boutons[i].conseil)
            << QString::fromLatin1(boutons[i].nom) << boutons[i].actif << boutons[i].visible;
}

void TestFicheMenus::barres()
{
    QFETCH(int, menu);
    QFETCH(QString, titre);
    QFETCH(int, position);
    QFETCH(int, total);
    QFETCH(QString, texte);
    QFETCH(QString, raccourci);
    QFETCH(int, actif);
    QFETCH(bool, visible);

    QTemporaryDir dossier;
    Fenetre f(dossier.path());
    QList<QAction*> actions;
    if (menu >= 0) {
        const QList<QAction*> menus = f->menuBar()->actions();
        QCOMPARE(menus.size(), 6);
        QCOMPARE(menus.at(menu)->text(), titre);
        actions = menus.at(menu)->menu()->actions();
    } else {
        actions = f->Menus()->BarreOutils()->actions();
    }
    QCOMPARE(actions.size(), total);
    QAction* a = actions.at(position);
    if (menu >= 0 && texte == QLatin1String("-")) {
        QVERIFY(a->isSeparator());
        return;
    }
    QVERIFY(!a->isSeparator());
    if (menu >= 0) {
        QCOMPARE(a->text(), texte);
        QCOMPARE(a->shortcut(), QKeySequence(raccourci));
    } else {
        QCOMPARE(a->objectName(), raccourci);
        QCOMPARE(a->toolTip(), texte);
        QVERIFY(!a->icon().isNull());
    }
    if (actif >= 0) QCOMPARE(a->isEnabled(), actif == 1);
    QCOMPARE(a->isVisible(), visible);
}

void TestFicheMenus::captionsSelonLaPage()
{
    QTemporaryDir dossier;
    Fenetre f(dossier.path());
    using C = TMenusFiche::Commande;
    TMenusFiche* m = f->Menus();
    const auto verifie = [&](bool liste) {
        QCOMPARE(m->Item(C::Imprimer)->text(),
                 QString::fromUtf8(liste ? "&Imprimer..." : "&Imprimer la fiche courante..."));
        QCOMPARE(m->Bouton(C::Imprimer)->toolTip(),
                 QString::fromUtf8(liste ? "Imprime la sélection ou toute la liste si aucune "
                                           "sélection n'est définie."
                                         : "Imprime la fiche courante"));
        QCOMPARE(m->Item(C::Copier)->text(),
                 QString::fromUtf8(liste ? "&Copier" : "&Copie intelligente..."));
        QCOMPARE(m->Bouton(C::Copier)->toolTip(),
                 QString::fromUtf8(liste ? "Copie la sélection ou toute la liste si aucune "
                                           "sélection n'est définie."
                                         : "Copie intelligente"));
        QCOMPARE(m->Bouton(C::Supprimer)->toolTip(),
                 QString::fromUtf8(liste ? "Supprime la sélection ou la fiche courante si aucune "
                                           "sélection n'est définie."
                                         : "Supprime la fiche courante"));
        QCOMPARE(m->Item(C::CouleurFond)->isVisible(), liste);
        QCOMPARE(m->Item(C::CouleurFond)->isEnabled(), liste);
    };
    QTabWidget* pages = f->PageControl();
    QCOMPARE(pages->count(), 4);
    QCOMPARE(pages->tabText(0), QString::fromUtf8("Privé"));
    QCOMPARE(pages->tabText(1), QString::fromUtf8("Professionnel"));
    QCOMPARE(pages->tabText(2), QString::fromUtf8("Banque"));
    QCOMPARE(pages->tabText(3), QString::fromUtf8("Liste"));
    QCOMPARE(pages->currentIndex(), 0);

    pages->setCurrentIndex(TFiche::PageListe);
    verifie(true);
    pages->setCurrentIndex(TFiche::PageBanque);
    verifie(false);
    pages->setCurrentIndex(TFiche::PageListe);
    pages->setCurrentIndex(TFiche::PageProfessionnel);
    verifie(false);
}

void TestFicheMenus::couleurDuFond()
{
    QTemporaryDir dossier;
    Fenetre f(dossier.path());
    QColor proposee;
    QColor reponse(255, 0, 0);
    f->ChoisitCouleur = [&](const QColor& initiale) {
        proposee = initiale;
        return reponse;
    };
    f->PageControl()->setCurrentIndex(TFiche::PageListe);
    f->Menus()->Item(TMenusFiche::Commande::CouleurFond)->trigger();
    QCOMPARE(proposee, QColor(255, 255, 255));
    QCOMPARE(f->Grille()->Couleur(), QColor(255, 0, 0));

    reponse = QColor(); // cancelled
    f->Menus()->Item(TMenusFiche::Commande::CouleurFond)->trigger();
    QCOMPARE(proposee, QColor(255, 0, 0));
    QCOMPARE(f->Grille()->Couleur(), QColor(255, 0, 0));
    QCOMPARE(f->EtatCourant().couleurGrille, QColor(255, 0, 0));
}

void TestFicheMenus::aideEtAPropos()
{
    QTemporaryDir dossier;
    Fenetre f(dossier.path());
    f->Menus()->Bouton(TMenusFiche::Commande::Aide)->trigger();
    QVERIFY(f->Aide());
    QVERIFY(f->Aide()->isVisible());
    const QString texte = f->Aide()->Navigateur()->toPlainText();
    QVERIFY2(texte.contains(QString::fromUtf8("Raccourcis clavier")), qPrintable(texte.left(200)));
    QVERIFY(texte.contains(QString::fromUtf8("Trier en enregistrant")));

    QString nom;
    QString version;
    bool modale = false;
    QTimer::singleShot(0, [&] {
        auto* boite = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
        if (!boite) return;
        modale = boite->isModal();
        nom = boite->findChild<QLabel*>(QStringLiteral("ProductName"))->text();
        version = boite->findChild<QLabel*>(QStringLiteral("Version"))->text();
        boite->accept();
    });
    f->Menus()->Item(TMenusFiche::Commande::APropos)->trigger();
    QVERIFY(modale);
    QCOMPARE(nom, QString::fromUtf8("Carnet d'adresses"));
    QCOMPARE(version, QStringLiteral("Version " CARNET_VERSION));
}

void TestFicheMenus::disposition()
{
    QTemporaryDir dossier;
    Fenetre f(dossier.path());
    // The client area below the menu bar.
    QCOMPARE(f->width(), 632);
    QCOMPARE(f->height() - f->menuBar()->height(), 474);
    QCOMPARE(f->minimumSize(), f->maximumSize());
    QVERIFY(!(f->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(f->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(f->Menus()->BarreOutils()->height(), 33);
    QCOMPARE(f->BarreRecherche()->height(), 41);
    QVERIFY(f->EditRecherche()->isEditable());
    QCOMPARE(f->BoutonChercher()->text(), QString::fromUtf8("Chercher"));
    QCOMPARE(f->BoutonPrecedent()->text(), QString::fromUtf8("Précédent"));
    QVERIFY(!f->BoutonPrecedent()->isEnabled());
    // The A–Z strip lies under the pages, across the bottom.
    const QPoint basPages =
        f->PageControl()->mapTo(f.fiche.get(), f->PageControl()->rect().bottomLeft());
    const QPoint hautAZ = f->BandeAZ()->mapTo(f.fiche.get(), QPoint(0, 0));
    QVERIFY(hautAZ.y() > basPages.y());

    // The search work's strip takes the same place.
    auto* barre = new QWidget;
    auto* edit = new QComboBox(barre);
    auto* chercher = new QPushButton(barre);
    auto* precedent = new QPushButton(barre);
    const QPoint place = f->BarreRecherche()->pos();
    f->RemplaceBarreRecherche(barre, edit, chercher, precedent);
    QCoreApplication::sendPostedEvents();
    f->centralWidget()->layout()->activate();
    QCOMPARE(f->BarreRecherche(), barre);
    QCOMPARE(f->EditRecherche(), edit);
    QCOMPARE(barre->parentWidget(), f->centralWidget());
    QCOMPARE(barre->pos(), place);
    QCOMPARE(barre->height(), 41);
    QCOMPARE(f->findChildren<QComboBox*>(QStringLiteral("Edit")).size(), 0);
}

CARNET_TEST(TestFicheMenus)
#include "TestFicheMenus.moc"
