// The main window's menus and tool bar: texts, shortcuts, separators, the commands
// not yet available, and the captions and hints that follow the page shown.

#include "Registre.h"
#include "TestFicheOutils.h"

#include "mainwindow/TMenusFiche.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>

using OutilsFiche::Fenetre;
using C = TMenusFiche::Commande;

namespace
{
// "-" a separator; otherwise the caption (menus) or name and hint (tool bar), the
// shortcut after a tab, then " off" when disabled and " hidden" when not shown.
QString Decrit(const QAction* a, bool outil)
{
    if (a->isSeparator()) return QStringLiteral("-");
    QString d = outil ? a->objectName() + ' ' + a->toolTip() : a->text();
    if (!a->shortcut().isEmpty()) d += '\t' + a->shortcut().toString();
    if (!a->isEnabled()) d += QStringLiteral(" off");
    if (!a->isVisible()) d += QStringLiteral(" hidden");
    return d;
}
} // namespace

class TestFicheMenus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        InitRessourcesCarnet();
        TMessage::ModeTest(true);
    }

    // On a new one-record book.
    void barres_data()
    {
        QTest::addColumn<int>("menu"); // index in the menu bar, -1 for the tool bar
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("Fichier") << 0 << "&Fichier"
                                 << QStringList({"&Nouveau\tCtrl+N", "&Ouvrir...\tCtrl+O",
                                                 "&Enregistrer\tCtrl+S", "Enregistrer &sous...",
                                                 "-", "Im&porter...\tCtrl+I off",
                                                 "E&xporter...\tCtrl+E off", "-",
                                                 "&Imprimer la fiche courante...\tCtrl+P off", "-",
                                                 "&Quitter"});
        QTest::newRow("Edition") << 1 << "&Edition"
                                 << QStringList({"&Trier...\tCtrl+T", "-",
                                                 "&Copie intelligente...\tCtrl+K off", "-",
                                                 "C&hercher...\tCtrl+F off"});
        QTest::newRow("Fiche") << 2 << "F&iche"
                               << QStringList(
                                      {"&Ajouter\tCtrl+A", "&Dupliquer\tCtrl+D", "&Supprimer"});
        QTest::newRow("Etiquettes")
            << 3 << "Eti&quettes" << QStringList({"&Assistant mailing... off"});
        QTest::newRow("Options") << 4 << "&Options"
                                 << QStringList({"&Trier en enregistrant",
                                                 "&Couleur du fond... off hidden", "-",
                                                 "&Recherche sélective... off",
                                                 "&Numérotation... off"});
        QTest::newRow("?") << 5 << "&?"
                           << QStringList({"&Aide...", "A &propos...", "-",
                                           "&Connexion au site web de l'auteur... off"});
        QTest::newRow("tool bar")
            << -1 << ""
            << QStringList({"NewButton Nouveau", "OpenBtn Ouvrir", "SaveBtn Enregistrer",
                            "BeginBtn Première fiche off", "RewBtn Fiche précédente off",
                            "FFBtn Fiche suivante off", "EndBtn Dernière fiche off",
                            "PrintBtn Imprimer la fiche courante off", "PlusBtn Ajouter",
                            "MoinsBtn Supprime la fiche courante", "SortBtn Trier off",
                            "EtikBtn Imprimer des étiquettes off", "CopyBtn Copie intelligente off",
                            "ImportBtn Importer off", "ExportBtn Exporter off",
                            "FindBtn Chercher off hidden", "HelpBtn Aide", "AboutBtn A propos",
                            "ExitBtn Quitter"});
    }

    void barres()
    {
        QFETCH(int, menu);
        QFETCH(QString, titre);
        QFETCH(QStringList, attendu);
        QTemporaryDir dossier;
        Fenetre f(dossier.path());
        const QList<QAction*> menus = f->menuBar()->actions();
        QCOMPARE(menus.size(), 6);
        QList<QAction*> actions = f->Menus()->BarreOutils()->actions();
        if (menu >= 0) {
            QCOMPARE(menus.at(menu)->text(), titre);
            actions = menus.at(menu)->menu()->actions();
        }
        QStringList vu;
        for (const QAction* a : actions) {
            vu << Decrit(a, menu < 0);
            if (menu < 0) QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
        }
        QCOMPARE(vu, attendu);
    }

    void captionsSelonLaPage()
    {
        QTemporaryDir dossier;
        Fenetre f(dossier.path());
        TMenusFiche* m = f->Menus();
        const auto verifie = [&](bool liste) {
            const QString selection =
                QString::fromUtf8(" la sélection ou %1 si aucune sélection n'est définie.");
            QCOMPARE(m->Item(C::Imprimer)->text(),
                     QString::fromUtf8(liste ? "&Imprimer..." : "&Imprimer la fiche courante..."));
            QCOMPARE(m->Bouton(C::Imprimer)->toolTip(),
                     liste ? "Imprime" + selection.arg("toute la liste")
                           : QStringLiteral("Imprime la fiche courante"));
            QCOMPARE(m->Item(C::Copier)->text(),
                     QString::fromUtf8(liste ? "&Copier" : "&Copie intelligente..."));
            QCOMPARE(m->Bouton(C::Copier)->toolTip(),
                     liste ? "Copie" + selection.arg("toute la liste")
                           : QStringLiteral("Copie intelligente"));
            QCOMPARE(m->Bouton(C::Supprimer)->toolTip(),
                     liste ? "Supprime" + selection.arg("la fiche courante")
                           : QStringLiteral("Supprime la fiche courante"));
            QCOMPARE(m->Item(C::CouleurFond)->isVisible(), liste);
            QCOMPARE(m->Item(C::CouleurFond)->isEnabled(), liste);
        };
        QTabWidget* pages = f->PageControl();
        pages->setCurrentIndex(TFiche::PageListe);
        verifie(true);
        pages->setCurrentIndex(TFiche::PageBanque);
        verifie(false);
        pages->setCurrentIndex(TFiche::PageListe);
        pages->setCurrentIndex(TFiche::PageProfessionnel);
        verifie(false);
    }
};

CARNET_TEST(TestFicheMenus)
#include "TestFicheMenus.moc"
