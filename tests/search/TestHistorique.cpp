#include "Registre.h"
#include "search/Historique.h"
#include "settings/Reglages.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace
{
QStringList Liste(const Historique& h)
{
    return h.Entrees();
}

Historique Pleine(int n, Historique::Regle regle)
{
    Historique h(n, regle);
    for (int i = 0; i < n; ++i)
        h.SetEntree(i, QStringLiteral("mot%1").arg(i));
    return h;
}
} // namespace

class TestHistorique : public QObject
{
    Q_OBJECT
private slots:
    void placesVides()
    {
        const Historique h(20, Historique::Regle::Egalite);
        QCOMPARE(h.NbPlaces(), 20);
        QCOMPARE(h.Entrees(), QStringList(20, QString()));
    }

    // While slots are free, entries go below the older ones, into the first hole.
    void insertionNonPleine()
    {
        for (auto regle : {Historique::Regle::Egalite, Historique::Regle::Prefixe}) {
            Historique h(4, regle);
            h.SetEntree(1, QStringLiteral("Martin"));
            QVERIFY(h.Insere(QStringLiteral("Dupont")));
            QVERIFY(h.Insere(QStringLiteral("Durand")));
            QCOMPARE(Liste(h), (QStringList{"Dupont", "Martin", "Durand", ""}));
            QVERIFY(!h.Insere(QString()));
            QCOMPARE(Liste(h), (QStringList{"Dupont", "Martin", "Durand", ""}));
        }
    }

    // Once full, a new entry takes the top and the bottom one is dropped.
    void insertionPleine_data()
    {
        QTest::addColumn<int>("places");
        QTest::addColumn<int>("regle");
        QTest::newRow("find dialog, 20") << 20 << int(Historique::Regle::Egalite);
        QTest::newRow("quick-search bar, 100") << 100 << int(Historique::Regle::Prefixe);
    }
    void insertionPleine()
    {
        QFETCH(int, places);
        QFETCH(int, regle);
        Historique h = Pleine(places, Historique::Regle(regle));
        QVERIFY(h.Insere(QStringLiteral("nouveau")));
        QCOMPARE(h.NbPlaces(), places);
        QCOMPARE(h.Entree(0), QStringLiteral("nouveau"));
        QCOMPARE(h.Entree(1), QStringLiteral("mot0"));
        QCOMPARE(h.Entree(places - 1), QStringLiteral("mot%1").arg(places - 2));
        QVERIFY(!h.Entrees().contains(QStringLiteral("mot%1").arg(places - 1)));
    }

    // The dialog refuses only an entry equal to the text (case of a to z aside); the
    // bar refuses a text that begins an entry.
    void reglesDupDupont()
    {
        Historique dialogue(20, Historique::Regle::Egalite);
        Historique barre(100, Historique::Regle::Prefixe);
        for (Historique* h : {&dialogue, &barre})
            QVERIFY(h->Insere(QStringLiteral("Dupont")));

        QVERIFY(dialogue.Insere(QStringLiteral("dup")));
        QCOMPARE(dialogue.Entree(1), QStringLiteral("dup"));
        QVERIFY(!barre.Insere(QStringLiteral("dup")));
        QCOMPARE(barre.Entree(1), QString());

        QVERIFY(!dialogue.Insere(QStringLiteral("DUPONT")));
        QVERIFY(!barre.Insere(QStringLiteral("dupont")));
        // A longer text is not a beginning of the entry: both take it.
        QVERIFY(dialogue.Insere(QStringLiteral("Dupontel")));
        QVERIFY(barre.Insere(QStringLiteral("Dupontel")));
        // The upper-case rule touches only a to z.
        QVERIFY(barre.Insere(QString::fromUtf8("élise")));
        QVERIFY(barre.Insere(QString::fromUtf8("Élise")));
        QVERIFY(!dialogue.Insere(QStringLiteral("dupontEL")));
    }

    // A full list refuses as well: nothing moves.
    void refusSurListePleine()
    {
        Historique h = Pleine(100, Historique::Regle::Prefixe);
        const QStringList avant = h.Entrees();
        QVERIFY(!h.Insere(QStringLiteral("MOT5")));
        QVERIFY(!h.Insere(QStringLiteral("mo")));
        QCOMPARE(h.Entrees(), avant);
    }

    void completion()
    {
        Historique h(6, Historique::Regle::Prefixe);
        h.SetEntree(1, QStringLiteral("Martin"));
        h.SetEntree(2, QStringLiteral("Dupont"));
        h.SetEntree(4, QStringLiteral("Durand"));
        QCOMPARE(h.IndexCompletion(QStringLiteral("du")), 2);
        QCOMPARE(h.IndexCompletion(QStringLiteral("DUR")), 4);
        QCOMPARE(h.IndexCompletion(QStringLiteral("dupont")), 2);
        QCOMPARE(h.IndexCompletion(QStringLiteral("Dupontel")), -1);
        QCOMPARE(h.IndexCompletion(QStringLiteral("x")), -1);
        QCOMPARE(h.IndexCompletion(QString()), -1);
    }

    // Keys "Expression" 1..n of the section; the dialog reads 20 of the 100 stored,
    // and both always write 100, the ones beyond the list empty.
    void reglages()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("carnet.ini"));
        {
            QSettings brut(chemin, QSettings::IniFormat);
            for (int n = 1; n <= 30; ++n)
                if (n != 3)
                    brut.setValue(QStringLiteral("Recherches/Expression%1").arg(n),
                                  QStringLiteral("e%1").arg(n));
            brut.setValue(QStringLiteral("Recherches/Expression2"), QString::fromUtf8("é, à"));
        }
        Reglages lecture(chemin);
        Historique h(20, Historique::Regle::Egalite);
        h.Lit(lecture, QStringLiteral("Recherches"));
        QCOMPARE(h.NbPlaces(), 20);
        QCOMPARE(h.Entree(0), QStringLiteral("e1"));
        QCOMPARE(h.Entree(1), QString::fromUtf8("é, à"));
        QCOMPARE(h.Entree(2), QString()); // missing key: an empty slot
        QCOMPARE(h.Entree(19), QStringLiteral("e20"));

        const QString autre = dossier.filePath(QStringLiteral("ecrit.ini"));
        {
            Reglages ecriture(autre);
            h.Ecrit(ecriture, QStringLiteral("Recherches"), 100);
            QVERIFY(ecriture.Enregistre());
        }
        Reglages relu(autre);
        QSettings brut(autre, QSettings::IniFormat);
        brut.beginGroup(QStringLiteral("Recherches"));
        QCOMPARE(brut.childKeys().size(), 100);
        brut.endGroup();
        QCOMPARE(relu.ReadString(QStringLiteral("Recherches"), QStringLiteral("Expression20"),
                                 QStringLiteral("?")),
                 QStringLiteral("e20"));
        QCOMPARE(relu.ReadString(QStringLiteral("Recherches"), QStringLiteral("Expression21"),
                                 QStringLiteral("?")),
                 QString());
        QCOMPARE(relu.ReadString(QStringLiteral("Recherches"), QStringLiteral("Expression100"),
                                 QStringLiteral("?")),
                 QString());
        QCOMPARE(relu.ReadString(QStringLiteral("Recherches"), QStringLiteral("Expression101"),
                                 QStringLiteral("?")),
                 QStringLiteral("?"));
        Historique relue(20, Historique::Regle::Egalite);
        relue.Lit(relu, QStringLiteral("Recherches"));
        QCOMPARE(relue.Entrees(), h.Entrees());
    }
};

CARNET_TEST(TestHistorique)
#include "TestHistorique.moc"
