#include "Registre.h"
#include "search/OptionsRecherche.h"
#include "settings/Reglages.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <set>

class TestOptionsRecherche : public QObject
{
    Q_OBJECT
private slots:
    // One option for each field but "Photo", each once, on the page of its field.
    void catalogue()
    {
        std::set<int> champs;
        std::set<QString> cles;
        int parPage[3] = {0, 0, 0};
        for (int i = 0; i < OptionsRecherche::NbOptions; ++i) {
            const auto& o = OptionsRecherche::Info(i);
            champs.insert(o.champ);
            cles.insert(QString::fromLatin1(o.cle));
            QCOMPARE(QString::fromLatin1(o.cle), QString::fromLatin1(Champs::Info(o.champ).cle));
            QCOMPARE(int(o.page), int(Champs::Info(o.champ).page));
            ++parPage[int(o.page)];
        }
        QCOMPARE(int(champs.size()), 45);
        QCOMPARE(*champs.rbegin(), int(BNotes));
        QCOMPARE(int(cles.size()), 45);
        QCOMPARE(parPage[0], 16);
        QCOMPARE(parPage[1], 15);
        QCOMPARE(parPage[2], 14);
        for (PageFiche p : {PageFiche::Prive, PageFiche::Professionnel, PageFiche::Banque})
            QCOMPARE(int(OptionsRecherche::ChampsDeLaPage(p).size()), parPage[int(p)]);
    }

    void parDefautToutEstCherche()
    {
        const OptionsRecherche o;
        for (int c = 0; c <= BNotes; ++c)
            QVERIFY(o.IsFieldSearched(c));
        QVERIFY(!o.IsFieldSearched(Photo));
        QVERIFY(!o.IsFieldSearched(-1));
        QVERIFY(!o.IsFieldSearched(46));
    }

    void toutParPage()
    {
        OptionsRecherche o;
        o.CocheTout(PageFiche::Banque, false);
        for (int c = 0; c <= BNotes; ++c)
            QCOMPARE(o.IsFieldSearched(c), Champs::Info(c).page != PageFiche::Banque);
        o.SetCoche(Nom, false);
        o.CocheTout(PageFiche::Professionnel, false);
        o.CocheTout(PageFiche::Banque, true);
        QVERIFY(!o.IsFieldSearched(Nom));
        QVERIFY(o.IsFieldSearched(Prenom));
        QVERIFY(!o.IsFieldSearched(Societe));
        QVERIFY(!o.IsFieldSearched(SNotes));
        QVERIFY(o.IsFieldSearched(Cle));
        o.CocheTout(PageFiche::Prive, true);
        QVERIFY(o.IsFieldSearched(Nom));
        QVERIFY(!o.IsFieldSearched(Fonction));
    }

    // Written at close, read by the next start; a missing key or one that is not a
    // number reads as on.
    void allerRetour()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("carnet.ini"));
        OptionsRecherche o;
        o.SetCoche(Civil, false);
        o.SetCoche(Compte, false);
        o.CocheTout(PageFiche::Professionnel, false);
        {
            Reglages r(chemin);
            o.Ecrit(r);
            QVERIFY(r.Enregistre());
        }
        QSettings brut(chemin, QSettings::IniFormat);
        brut.beginGroup(QString::fromUtf8(OptionsRecherche::Section()));
        QCOMPARE(brut.childKeys().size(), 45);
        QCOMPARE(brut.value(QStringLiteral("Civil")).toString(), QStringLiteral("0"));
        QCOMPARE(brut.value(QStringLiteral("Nom")).toString(), QStringLiteral("1"));
        QCOMPARE(brut.value(QStringLiteral("SInternet3")).toString(), QStringLiteral("0"));
        brut.remove(QStringLiteral("Nom"));
        brut.setValue(QStringLiteral("Prenom"), QStringLiteral("oui"));
        brut.endGroup();
        brut.sync();

        const Reglages relus(chemin);
        OptionsRecherche lu;
        lu.CocheTout(PageFiche::Prive, false);
        lu.Lit(relus);
        for (int c = 0; c <= BNotes; ++c) {
            const bool attendu =
                c != Civil && c != Compte && Champs::Info(c).page != PageFiche::Professionnel;
            QCOMPARE(lu.IsFieldSearched(c), attendu);
        }
    }

    void sansReglagesToutEstCherche()
    {
        QTemporaryDir dossier;
        const Reglages r(dossier.filePath(QStringLiteral("absent.ini")));
        OptionsRecherche o;
        o.CocheTout(PageFiche::Banque, false);
        o.Lit(r);
        for (int c = 0; c <= BNotes; ++c)
            QVERIFY(o.IsFieldSearched(c));
    }
};

CARNET_TEST(TestOptionsRecherche)
#include "TestOptionsRecherche.moc"
