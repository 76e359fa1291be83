#include "Registre.h"

#include "BancMailing.h"
#include "labels/Catalogue.h"
#include "mainwindow/TFiche.h"
#include "records/DonneesProgramme.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// The catalogue a program comes with: in share/carnet/ once installed, read until the
// user has a catalogue of their own, which then goes beside the program when it can
// be written there.
class TestCatalogueInstalle : public QObject
{
    Q_OBJECT

    static void Ecrit(const QString& chemin, const QByteArray& octets)
    {
        QFile f(chemin);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(octets);
    }

private slots:
    // The files shipped with the program hold exactly the built-in formats, so that
    // a program without them (a build folder) offers the same list.
    void fichiersLivresEgauxAuxIntegres()
    {
        const QString data = QStringLiteral(CARNET_FIXTURES "/../../data/");
        Catalogue c;
        QCOMPARE(c.Lit(data + "carnet.for", data + "carnet.gap", 0), QString());
        const auto integres = Catalogue::Integres();
        QCOMPARE(c.Nombre(), int(integres.size()));
        for (int i = 0; i < c.Nombre(); ++i) {
            QCOMPARE(c.Format(i).Nom(), integres[size_t(i)].Nom());
            QCOMPARE(c.Format(i).Parametres(), integres[size_t(i)].Parametres());
        }
    }

    // Installed (bin/ with share/carnet/ beside it), the program reads the catalogue
    // it came with and writes the user's own in the user's data folder, never beside
    // itself, even when it could (run by the administrator).
    void installeLitShareEtEcritChezLUtilisateur()
    {
        QTemporaryDir racine;
        QVERIFY(QDir(racine.path()).mkpath("usr/bin"));
        QVERIFY(QDir(racine.path()).mkpath("usr/share/carnet"));
        const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        const QString share = racine.filePath("usr/share/carnet/");
        Ecrit(share + base + ".for", "70,0x42,4\r\n105,0x37,0\r\n");
        Ecrit(share + base + ".gap",
              QByteArray("0\r\n").repeated(6) + "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");
        const QString perso = DonneesProgramme::DossierPerso() + '/';
        const auto nettoie = [&] {
            for (const char* e : {".for", ".gap", ".for.bak", ".gap.bak"})
                QFile::remove(perso + base + e);
        };
        nettoie();
        const QString bin = racine.filePath("usr/bin/");
        {
            BancMailing programme(racine.filePath("carnet.ini"), bin, {});
            const Catalogue& c = programme.Mailing()->Formats();
            QCOMPARE(c.Nombre(), 2);
            QCOMPARE(c.Format(1).Nom(), QStringLiteral("105,0x37,0"));
            QCOMPARE(c.Format(1).Parametres(),
                     (std::array<int, FormatEtiquette::NbParametres>{1, 2, 3, 4, 5, 6}));
            QCOMPARE(programme.Fiche()->DossierImages(), perso + "images");
            programme.Mailing()->Formats().Ajoute(FormatEtiquette("99,0x38,1"));
            programme.Fiche()->show();
            QVERIFY(programme.Fiche()->close());
        }
        QCOMPARE(QDir(bin).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        QFile livre(share + base + ".for");
        QVERIFY(livre.open(QIODevice::ReadOnly));
        QCOMPARE(livre.readAll(), QByteArray("70,0x42,4\r\n105,0x37,0\r\n"));
        QFile chezLui(perso + base + ".for");
        QVERIFY(chezLui.open(QIODevice::ReadOnly));
        QCOMPARE(chezLui.readAll(), QByteArray("70,0x42,4\r\n105,0x37,0\r\n99,0x38,1\r\n"));
        chezLui.close();

        // From then on the user's catalogue is the one read, the shipped one no more.
        {
            BancMailing programme(racine.filePath("carnet.ini"), bin, {});
            QCOMPARE(programme.Mailing()->Formats().Nombre(), 3);
        }
        nettoie();
    }

    // A program in a folder of its own (a build folder, unpacked anywhere) reads the
    // shipped catalogue beside itself and writes the user's there too.
    void nonInstalleEcritACote()
    {
        QTemporaryDir dossier;
        const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        const QString programme = dossier.path() + '/';
        Ecrit(programme + base + ".for", "70,0x42,4\r\n");
        Ecrit(programme + base + ".gap", QByteArray("0\r\n").repeated(6));
        {
            BancMailing banc(dossier.filePath("carnet.ini"), programme, {});
            QCOMPARE(banc.Mailing()->Formats().Nombre(), 1);
            QCOMPARE(banc.Fiche()->DossierImages(), programme + "images");
            banc.Mailing()->Formats().Ajoute(FormatEtiquette("99,0x38,1"));
            banc.Fiche()->show();
            QVERIFY(banc.Fiche()->close());
        }
        QFile aCote(programme + base + ".for");
        QVERIFY(aCote.open(QIODevice::ReadOnly));
        QCOMPARE(aCote.readAll(), QByteArray("70,0x42,4\r\n99,0x38,1\r\n"));
    }
};

CARNET_TEST(TestCatalogueInstalle)
#include "TestCatalogueInstalle.moc"
