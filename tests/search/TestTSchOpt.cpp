#include "Registre.h"
#include "search/OptionsRecherche.h"
#include "search/TSchOpt.h"
#include "settings/Reglages.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The search options and their dialog.
class TestTSchOpt : public QObject
{
    Q_OBJECT
private slots:
    // Every field but "Photo" has its box on its page; the buttons act on the page
    // shown only, a box at once, and the boxes follow options changed elsewhere.
    void boutonsParPage()
    {
        OptionsRecherche options;
        TSchOpt dialogue(options);
        QCOMPARE(dialogue.windowTitle(), u"Rechercher uniquement dans les champs :"_s);
        QCOMPARE(dialogue.Case(Photo), nullptr);
        dialogue.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialogue));
        dialogue.Pages()->setCurrentIndex(2);
        QTest::mouseClick(dialogue.ToutDeselectionner(), Qt::LeftButton);
        for (int c = 0; c <= BNotes; ++c) {
            const int page = int(Champs::Info(c).page);
            QVERIFY(dialogue.Pages()->widget(page)->isAncestorOf(dialogue.Case(c)));
            QCOMPARE(options.IsFieldSearched(c), page != 2);
            QCOMPARE(dialogue.Case(c)->isChecked(), page != 2);
        }
        dialogue.Pages()->setCurrentIndex(0);
        QTest::mouseClick(dialogue.ToutDeselectionner(), Qt::LeftButton);
        QCheckBox* ville = dialogue.Case(Ville);
        QTest::mouseClick(ville, Qt::LeftButton, {}, QPoint(6, ville->height() / 2));
        QVERIFY(options.IsFieldSearched(Ville) && !options.IsFieldSearched(Nom));
        dialogue.Pages()->setCurrentIndex(2);
        QTest::mouseClick(dialogue.ToutSelectionner(), Qt::LeftButton);
        QVERIFY(options.IsFieldSearched(Compte) && !options.IsFieldSearched(Nom));
        options.SetCoche(Pays, false);
        dialogue.show();
        QVERIFY(!dialogue.Case(Pays)->isChecked());
    }

    // Written at close, read by the next start; a missing key, one that is not a number
    // or a missing file reads as on.
    void allerRetour()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(u"carnet.ini"_s);
        OptionsRecherche o, lu;
        lu.CocheTout(PageFiche::Prive, false);
        lu.Lit(Reglages(dossier.filePath(u"absent.ini"_s)));
        QVERIFY(lu.IsFieldSearched(Nom));
        o.SetCoche(Civil, false);
        o.CocheTout(PageFiche::Professionnel, false);
        {
            Reglages r(chemin);
            o.Ecrit(r);
            QVERIFY(r.Enregistre());
        }
        QSettings brut(chemin, QSettings::IniFormat);
        QCOMPARE(brut.allKeys().size(), 45);
        QCOMPARE(brut.value(u"Options de recherche/Civil"_s).toString(), u"0"_s);
        brut.remove(u"Options de recherche/Nom"_s);
        brut.setValue(u"Options de recherche/Prenom"_s, u"oui"_s);
        brut.sync();
        lu.CocheTout(PageFiche::Prive, false);
        // A fresh Reglages on the same file, read through the dialog.
        TSchOpt dialogue(lu);
        dialogue.Lit(Reglages(chemin));
        for (int c = 0; c <= BNotes; ++c)
            QCOMPARE(lu.IsFieldSearched(c),
                     c != Civil && Champs::Info(c).page != PageFiche::Professionnel);
        QVERIFY(!dialogue.Case(Civil)->isChecked());
    }
};

CARNET_TEST(TestTSchOpt)
#include "TestTSchOpt.moc"
