#include "Registre.h"

#include "app/LigneCommande.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using A = LigneCommande::Action;

class TestLigneCommande : public QObject
{
    Q_OBJECT
private slots:
    // The book keeps its designed place: the first argument that is not an option.
    // Qt's own options and their values are left to Qt; "--" lets a book's name
    // start with "-".
    void livreEtOptionsDeQt_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("livres");
        QTest::newRow("rien") << QStringList{} << QStringList{};
        QTest::newRow("livre") << QStringList{"amis.REP"} << QStringList{"amis.REP"};
        QTest::newRow("style et sa valeur")
            << QStringList{"-style", "fusion", "amis.REP"} << QStringList{"amis.REP"};
        QTest::newRow("plateforme avec =")
            << QStringList{"--platform=offscreen", "amis.REP"} << QStringList{"amis.REP"};
        QTest::newRow("drapeau de Qt")
            << QStringList{"amis.REP", "-reverse"} << QStringList{"amis.REP"};
        QTest::newRow("après --") << QStringList{"--", "-moins.REP", "--help"}
                                  << QStringList{"-moins.REP", "--help"};
        QTest::newRow("tiret seul") << QStringList{"-"} << QStringList{"-"};
    }
    void livreEtOptionsDeQt()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, livres);
        const auto r = LigneCommande::Analyse(arguments, QString());
        QCOMPARE(r.action, A::Lancer);
        QCOMPARE(r.arguments, livres);
    }

    void versionEtAide()
    {
        const auto v = LigneCommande::Analyse({"--version"}, QString());
        QCOMPARE(v.action, A::Version);
        QCOMPARE(v.code, 0);
        QCOMPARE(v.texte, QStringLiteral("Carnet d'adresses " CARNET_VERSION "\n"));
        QCOMPARE(LigneCommande::Analyse({"-V"}, QString()).action, A::Version);
        // A later option does not matter once the question is asked.
        const auto h = LigneCommande::Analyse({"amis.REP", "--help", "--bogus"}, QString());
        QCOMPARE(h.action, A::Aide);
        QCOMPARE(h.code, 0);
        QVERIFY(h.texte.startsWith(QString::fromUtf8("Utilisation : carnet")));
        QCOMPARE(LigneCommande::Analyse({"-h"}, QString()).action, A::Aide);
    }

    // The help tells where the installed help page and catalogue were found: in the
    // program's folder first, then in share/carnet/ beside its bin/ folder.
    void aideNommeLesFichiersInstalles()
    {
        QTemporaryDir racine;
        QVERIFY(QDir(racine.path()).mkpath("usr/bin"));
        QVERIFY(QDir(racine.path()).mkpath("usr/share/carnet/aide"));
        for (const char* f :
             {"usr/share/carnet/aide/adresses.html", "usr/share/carnet/carnet.for"}) {
            QFile fichier(racine.filePath(f));
            QVERIFY(fichier.open(QIODevice::WriteOnly));
        }
        const QString bin = racine.filePath("usr/bin");
        QString texte = LigneCommande::Analyse({"--help"}, bin).texte;
        QVERIFY2(texte.contains(QString::fromUtf8("Aide complète : ") +
                                racine.filePath("usr/share/carnet/aide/adresses.html")),
                 qPrintable(texte));
        QVERIFY(texte.contains(QString::fromUtf8("Formats d'étiquettes fournis : ") +
                               racine.filePath("usr/share/carnet/carnet.for")));
        {
            QFile aCote(racine.filePath("usr/bin/carnet.for"));
            QVERIFY(aCote.open(QIODevice::WriteOnly));
        }
        texte = LigneCommande::Analyse({"--help"}, bin).texte;
        QVERIFY(texte.contains(racine.filePath("usr/bin/carnet.for")));
    }

    void optionInconnue_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("longue") << QStringList{"--bogus"};
        QTest::newRow("courte") << QStringList{"-x", "amis.REP"};
        QTest::newRow("après le livre") << QStringList{"amis.REP", "--verbose"};
    }
    void optionInconnue()
    {
        QFETCH(QStringList, arguments);
        const auto r = LigneCommande::Analyse(arguments, QString());
        QCOMPARE(r.action, A::Erreur);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.texte.contains(QString::fromUtf8("option inconnue")), qPrintable(r.texte));
        QVERIFY(r.texte.contains(QStringLiteral("carnet --help")));
    }
};

CARNET_TEST(TestLigneCommande)
#include "TestLigneCommande.moc"
