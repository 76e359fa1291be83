#include "Registre.h"

#include "records/CheminsPhoto.h"
#include "records/DonneesProgramme.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestDonneesProgramme : public QObject
{
    Q_OBJECT
private slots:
    // The program's own folder first (a build folder, an unpacked program), then the
    // share/carnet/ of its prefix; a folder or a missing file is no answer.
    void ordreDesDossiers()
    {
        QTemporaryDir racine;
        QVERIFY(QDir(racine.path()).mkpath("opt/bin"));
        QVERIFY(QDir(racine.path()).mkpath("opt/share/carnet/aide"));
        const QString bin = racine.filePath("opt/bin");
        const QStringList dossiers = DonneesProgramme::Dossiers(bin + "/");
        QCOMPARE(dossiers.value(0), bin);
        QCOMPARE(dossiers.value(1), racine.filePath("opt/share/carnet"));

        const QString nom = QStringLiteral("aide/adresses.html");
        QCOMPARE(DonneesProgramme::Trouve(nom, bin), QString());
        QVERIFY(QDir(bin).mkpath("aide/adresses.html")); // a folder of that name
        QCOMPARE(DonneesProgramme::Trouve(nom, bin), QString());
        {
            QFile f(racine.filePath("opt/share/carnet/aide/adresses.html"));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(DonneesProgramme::Trouve(nom, bin),
                 racine.filePath("opt/share/carnet/aide/adresses.html"));
        QVERIFY(QDir(bin).rmpath("aide/adresses.html"));
        QVERIFY(QDir(bin).mkpath("aide"));
        {
            QFile f(bin + "/aide/adresses.html");
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(DonneesProgramme::Trouve(nom, bin), bin + "/aide/adresses.html");
    }

    // Installed means bin/ with share/carnet/ beside it: such a program writes nothing
    // beside itself, even where it could; a folder of its own it writes in.
    void installeNEcritPasACote()
    {
        QTemporaryDir racine;
        QVERIFY(QDir(racine.path()).mkpath("usr/bin"));
        const QString bin = racine.filePath("usr/bin") + '/';
        QVERIFY(!DonneesProgramme::Installe(bin));
        QVERIFY(DonneesProgramme::EcritACote(bin));
        QCOMPARE(CheminsPhoto::PrepareDossier(bin), bin + "images");
        QVERIFY(QDir(bin).rmdir("images"));
        QVERIFY(QDir(racine.path()).mkpath("usr/share/carnet"));
        QVERIFY(DonneesProgramme::Installe(bin));
        QVERIFY(!DonneesProgramme::EcritACote(bin));
        QCOMPARE(CheminsPhoto::PrepareDossier(bin), DonneesProgramme::DossierPerso() + "/images");
        QVERIFY(!QFileInfo::exists(bin + "images"));
        // A folder named otherwise is never taken for an installation.
        QVERIFY(QDir(racine.path()).mkpath("x/programme"));
        QVERIFY(QDir(racine.path()).mkpath("x/share/carnet"));
        QVERIFY(!DonneesProgramme::Installe(racine.filePath("x/programme")));
    }

    void dossierPersoSousXdgDataHome()
    {
        QVERIFY(DonneesProgramme::DossierPerso().endsWith(QStringLiteral("/carnet")));
    }
};

CARNET_TEST(TestDonneesProgramme)
#include "TestDonneesProgramme.moc"
