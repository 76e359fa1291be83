// The main window's menus and tool bar: texts, shortcuts, separators, the commands
// not yet available, and the captions and hints that follow the page shown.

#include "Registre.h"
#include "TestFicheOutils.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTabWidget>
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
    void initTestCase() { InitRessourcesCarnet(); }
    void init() { TMessage::ModeTest(true); }

    // On a new one-record book; items separated by "|".
    void barres_data()
    {
        QTest::addColumn<int>("menu"); // index in the menu bar, -1 for the tool bar
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("attendu");
        auto ligne = [](int menu, const char* titre, const char* attendu) {
            QTest::newRow(menu < 0 ? "tool bar" : titre)
                << menu << QString::fromUtf8(titre) << QString::fromUtf8(attendu);
        };
        ligne(0, "&Fichier",
              "&Nouveau\tCtrl+N|&Ouvrir...\tCtrl+O|&Enregistrer\tCtrl+S|Enregistrer &sous...|-|"
              "Im&porter...\tCtrl+I off|E&xporter...\tCtrl+E off|&Synchroniser\tF5 off|-|"
              "&Imprimer la fiche courante...\tCtrl+P off|-|&Quitter");
        ligne(1, "&Edition",
              "&Trier...\tCtrl+T|-|&Copie intelligente...\tCtrl+K off|-|"
              "C&hercher...\tCtrl+F off");
        ligne(2, "F&iche", "&Ajouter\tCtrl+A|&Dupliquer\tCtrl+D|&Supprimer");
        ligne(3, "Eti&quettes", "&Assistant mailing... off");
        ligne(4, "&Options",
              "&Trier en enregistrant|-|"
              "&Recherche sélective... off|&Numérotation... off|Synchronisation CardDAV... off");
        ligne(5, "&?", "&Aide...|A &propos...|-|&Connexion au site web de l'auteur... off");
        ligne(-1, "",
              "NewButton Nouveau|OpenBtn Ouvrir|SaveBtn Enregistrer|"
              "BeginBtn Première fiche off|RewBtn Fiche précédente off|"
              "FFBtn Fiche suivante off|EndBtn Dernière fiche off|"
              "PrintBtn Imprimer la fiche courante off|PlusBtn Ajouter|"
              "MoinsBtn Supprime la fiche courante|SortBtn Trier off|"
              "EtikBtn Imprimer des étiquettes off|CopyBtn Copie intelligente off|"
              "ImportBtn Importer off|ExportBtn Exporter off|FindBtn Chercher off hidden|"
              "HelpBtn Aide|AboutBtn A propos|ExitBtn Quitter");
    }

    void barres()
    {
        QFETCH(int, menu);
        QFETCH(QString, titre);
        QFETCH(QString, attendu);
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
        QCOMPARE(vu.join('|'), attendu);
    }

    void captionsSelonLaPage()
    {
        QTemporaryDir dossier;
        Fenetre f(dossier.path());
        TMenusFiche* m = f->Menus();
        const auto etat = [m] {
            return QStringList{
                m->Item(C::Imprimer)->text(),       m->Bouton(C::Imprimer)->toolTip(),
                m->Item(C::Copier)->text(),         m->Bouton(C::Copier)->toolTip(),
                m->Bouton(C::Supprimer)->toolTip(), Decrit(m->Item(C::CouleurFond), false)};
        };
        const QString selection =
            QString::fromUtf8(" la sélection ou %1 si aucune sélection n'est définie.");
        const QStringList liste =
            QStringLiteral("&Imprimer...|Imprime%1|&Copier|Copie%1|Supprime%2|&Couleur du fond...")
                .arg(selection.arg("toute la liste"), selection.arg("la fiche courante"))
                .split('|');
        const QStringList fiche =
            QStringLiteral("&Imprimer la fiche courante...|Imprime la fiche courante|"
                           "&Copie intelligente...|Copie intelligente|Supprime la fiche courante|"
                           "&Couleur du fond... off hidden")
                .split('|');
        QTabWidget* pages = f->PageControl();
        pages->setCurrentIndex(TFiche::PageListe);
        QCOMPARE(etat(), liste);
        pages->setCurrentIndex(TFiche::PageBanque);
        QCOMPARE(etat(), fiche);
        pages->setCurrentIndex(TFiche::PageListe);
        pages->setCurrentIndex(TFiche::PageProfessionnel);
        QCOMPARE(etat(), fiche);

        // The separator before "Recherche sélective..." stays drawn on both kinds of page.
        QMenu* options = m->MenuOptions();
        QAction* separateur = options->actions().at(1);
        QVERIFY(separateur->isSeparator());
        for (int page : {int(TFiche::PageBanque), int(TFiche::PageListe)}) {
            pages->setCurrentIndex(page);
            options->popup(f->mapToGlobal(QPoint(0, 0)));
            QVERIFY(QTest::qWaitForWindowExposed(options));
            // Drawn, not only placed: its rectangle holds the line's colour.
            const QRect r = options->actionGeometry(separateur);
            const QImage image = options->grab().toImage();
            QSet<QRgb> couleurs;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    couleurs.insert(image.pixel(x, y));
            QVERIFY2(couleurs.size() > 1, qPrintable(QString::number(page)));
            options->hide();
        }
    }
};

CARNET_TEST(TestFicheMenus)
#include "TestFicheMenus.moc"
