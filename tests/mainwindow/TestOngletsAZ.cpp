#include "Registre.h"

#include "mainwindow/OngletsAZ.h"
#include "mainwindow/TOngletsAZ.h"
#include "records/CodePage.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

class TestOngletsAZ : public QObject
{
    Q_OBJECT

private slots:
    void lettre_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<int>("lettre");
        QTest::newRow("capital") << QStringLiteral("Martin") << 12;
        QTest::newRow("lower case") << QStringLiteral("martin") << 12;
        QTest::newRow("first letter") << QStringLiteral("A") << 0;
        QTest::newRow("last letter, accent after") << QString::fromUtf8("zoé") << 25;
        QTest::newRow("accented capital") << QString::fromUtf8("Émile") << -1;
        QTest::newRow("accented lower case") << QString::fromUtf8("éric") << -1;
        QTest::newRow("ligature") << QString::fromUtf8("Œdipe") << -1;
        QTest::newRow("digit") << QStringLiteral("1er") << -1;
        QTest::newRow("leading space") << QStringLiteral(" Zola") << -1;
        QTest::newRow("empty") << QString() << -1;
    }

    void lettre()
    {
        QFETCH(QString, nom);
        QFETCH(int, lettre);
        QCOMPARE(OngletsAZ::Lettre(CodePage::Octets(nom)), lettre);
    }

    void presenceEtPremiereFiche()
    {
        Repertoire rep;
        const char* noms[] = {"", "\xC9mile", "martin", "Martin", "Bernard", "zo\xE9"};
        for (int i = 0; i < 6; ++i) {
            if (i > 0) rep.AjouteFiche();
            rep.SetCellule(Nom, i + 1, noms[i]);
        }
        const auto presence = OngletsAZ::Presence(rep);
        for (int l = 0; l < 26; ++l)
            QCOMPARE(presence[static_cast<size_t>(l)], l == 1 || l == 12 || l == 25);
        QCOMPARE(OngletsAZ::PremiereFiche(rep, 12), 3);
        QCOMPARE(OngletsAZ::PremiereFiche(rep, 25), 6);
        QCOMPARE(OngletsAZ::PremiereFiche(rep, 0), -1);
        QCOMPARE(OngletsAZ::PremiereFiche(rep, 26), -1);
        rep.EchangeLignes(3, 4);
        QCOMPARE(OngletsAZ::PremiereFiche(rep, 12), 3);
        QCOMPARE(rep.CelluleStr(Nom, 3), std::string("Martin"));
        rep.EchangeLignes(3, 6);
        QCOMPARE(OngletsAZ::PremiereFiche(rep, 12), 4);
    }

    void legendes()
    {
        TOngletsAZ onglets;
        QCOMPARE(onglets.count(), 26);
        QCOMPARE(onglets.tabText(0), QStringLiteral("A"));
        QCOMPARE(onglets.tabText(25), QStringLiteral("Z"));
        std::array<bool, 26> presence{};
        presence[3] = true;
        onglets.SetPresence(presence);
        QCOMPARE(onglets.tabText(3), QStringLiteral("D"));
        QCOMPARE(onglets.tabText(4), QString());
        onglets.SetLettreVisible(4);
        QCOMPARE(onglets.tabText(4), QStringLiteral("E"));
        // Tabs keep their place whether they show a letter or not.
        QCOMPARE(onglets.tabRect(4).width(), onglets.tabRect(5).width());
    }

    void demandeAvantChangement()
    {
        TOngletsAZ onglets;
        onglets.resize(700, 30);
        onglets.show();
        QVERIFY(QTest::qWaitForWindowExposed(&onglets));
        QList<int> demandes;
        bool accorde = false;
        onglets.SetDemande([&](int l) {
            demandes << l;
            return accorde;
        });
        onglets.Selectionne(7);
        QCOMPARE(onglets.currentIndex(), 7);
        QVERIFY(demandes.isEmpty());

        auto clic = [&](int l) {
            QTest::mouseClick(&onglets, Qt::LeftButton, Qt::NoModifier,
                              onglets.tabRect(l).center());
        };
        clic(12);
        QCOMPARE(demandes, QList<int>{12});
        QCOMPARE(onglets.currentIndex(), 7);

        QTest::keyClick(&onglets, Qt::Key_Right);
        QCOMPARE(demandes, (QList<int>{12, 8}));
        QCOMPARE(onglets.currentIndex(), 7);

        accorde = true;
        clic(12);
        QCOMPARE(onglets.currentIndex(), 12);
        clic(12); // the selected tab: nothing to ask
        QCOMPARE(demandes, (QList<int>{12, 8, 12}));
        QTest::keyClick(&onglets, Qt::Key_Left);
        QCOMPARE(onglets.currentIndex(), 11);

        // The wheel asks too.
        accorde = false;
        const QPointF centre = onglets.tabRect(11).center();
        QWheelEvent roulette(centre, onglets.mapToGlobal(centre), QPoint(), QPoint(0, -120),
                             Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&onglets, &roulette);
        QCOMPARE(demandes.last(), 12);
        QCOMPARE(onglets.currentIndex(), 11);
    }
};

CARNET_TEST(TestOngletsAZ)
#include "TestOngletsAZ.moc"
