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

class TestTSchOpt : public QObject
{
    Q_OBJECT
private slots:
    void presentation()
    {
        OptionsRecherche options;
        TSchOpt dialogue(options);
        QCOMPARE(dialogue.windowTitle(), QStringLiteral("Rechercher uniquement dans les champs :"));
        QVERIFY(dialogue.isModal());
        QTabWidget* pages = dialogue.Pages();
        QCOMPARE(pages->count(), 3);
        QCOMPARE(pages->tabText(0), QString::fromUtf8("Privé"));
        QCOMPARE(pages->tabText(1), QStringLiteral("Professionnel"));
        QCOMPARE(pages->tabText(2), QStringLiteral("Banque"));
        QCOMPARE(dialogue.ToutSelectionner()->text(), QString::fromUtf8("Tout sélectionner"));
        QCOMPARE(dialogue.ToutDeselectionner()->text(), QString::fromUtf8("Tout désélectionner"));
        QCOMPARE(dialogue.Fermer()->text(), QStringLiteral("&Fermer"));
        QCOMPARE(dialogue.Case(Tel)->text(), QString::fromUtf8("Téléphone 1"));
        QCOMPARE(dialogue.Case(STel2)->text(), QString::fromUtf8("Téléphone 2"));
        QCOMPARE(dialogue.Case(BTel)->text(), QString::fromUtf8("Tél"));
        QCOMPARE(dialogue.Case(Cle)->text(), QString::fromUtf8("Clé"));
        QCOMPARE(dialogue.Case(Photo), nullptr);
        for (int c = 0; c <= BNotes; ++c) {
            QCheckBox* coche = dialogue.Case(c);
            QVERIFY(coche);
            QVERIFY(coche->isChecked());
            const int page = int(Champs::Info(c).page);
            QVERIFY2(pages->widget(page)->isAncestorOf(coche), Champs::Info(c).cle);
        }
    }

    // The buttons act on the page shown only; a box acts at once.
    void boutonsParPage()
    {
        OptionsRecherche options;
        TSchOpt dialogue(options);
        dialogue.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialogue));
        dialogue.Pages()->setCurrentIndex(2);
        QTest::mouseClick(dialogue.ToutDeselectionner(), Qt::LeftButton);
        for (int c = 0; c <= BNotes; ++c) {
            const bool banque = Champs::Info(c).page == PageFiche::Banque;
            QCOMPARE(options.IsFieldSearched(c), !banque);
            QCOMPARE(dialogue.Case(c)->isChecked(), !banque);
        }

        dialogue.Pages()->setCurrentIndex(0);
        QTest::mouseClick(dialogue.ToutDeselectionner(), Qt::LeftButton);
        QCheckBox* ville = dialogue.Case(Ville);
        QTest::mouseClick(ville, Qt::LeftButton, {}, QPoint(6, ville->height() / 2));
        QVERIFY(options.IsFieldSearched(Ville));
        QVERIFY(!options.IsFieldSearched(Nom));
        QVERIFY(options.IsFieldSearched(Societe));

        dialogue.Pages()->setCurrentIndex(2);
        QTest::mouseClick(dialogue.ToutSelectionner(), Qt::LeftButton);
        QVERIFY(options.IsFieldSearched(Compte));
        QVERIFY(!options.IsFieldSearched(Nom));

        QTest::mouseClick(dialogue.Fermer(), Qt::LeftButton);
        QVERIFY(!dialogue.isVisible());
        // The page shown stays as the user left it.
        dialogue.show();
        QCOMPARE(dialogue.Pages()->currentIndex(), 2);
        dialogue.hide();
    }

    // Read at creation, with the page "Privé" shown; the boxes follow the options.
    void reglages()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("carnet.ini"));
        {
            QSettings brut(chemin, QSettings::IniFormat);
            brut.setValue(QStringLiteral("Options de recherche/Nom"), QStringLiteral("0"));
            brut.setValue(QStringLiteral("Options de recherche/BCP"), QStringLiteral("0"));
        }
        OptionsRecherche options;
        TSchOpt dialogue(options);
        dialogue.Pages()->setCurrentIndex(1);
        dialogue.Lit(Reglages(chemin));
        QCOMPARE(dialogue.Pages()->currentIndex(), 0);
        QVERIFY(!dialogue.Case(Nom)->isChecked());
        QVERIFY(!dialogue.Case(BCP)->isChecked());
        QVERIFY(dialogue.Case(Prenom)->isChecked());

        // Options changed without the dialog show in its boxes when it opens.
        options.SetCoche(Pays, false);
        dialogue.show();
        QVERIFY(!dialogue.Case(Pays)->isChecked());
        dialogue.hide();
    }
};

CARNET_TEST(TestTSchOpt)
#include "TestTSchOpt.moc"
