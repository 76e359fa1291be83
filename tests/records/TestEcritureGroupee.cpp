#include "OutilsFichiers.h"
#include "Registre.h"
#include "records/FichierSur.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace OutilsFichiers;

namespace
{

ino_t Inode(const QString& chemin)
{
    struct stat etat;
    return stat(QFile::encodeName(chemin).constData(), &etat) == 0 ? etat.st_ino : 0;
}

mode_t Mode(const QString& chemin)
{
    struct stat etat;
    return stat(QFile::encodeName(chemin).constData(), &etat) == 0 ? etat.st_mode & 07777 : 0;
}

void SetMode(const QString& chemin, mode_t mode)
{
    QCOMPARE(chmod(QFile::encodeName(chemin).constData(), mode), 0);
}

} // namespace

class TestEcritureGroupee : public QObject
{
    Q_OBJECT
private slots:
    void ToutOuRien_data();
    void ToutOuRien();
    void Reussite();
    void RetraitDefaitSiEchec();
    void AbandonSansTrace();
};

void TestEcritureGroupee::ToutOuRien_data()
{
    // How the second of two files fails; the first is already written by then.
    QTest::addColumn<QString>("panne");
    QTest::addColumn<QString>("raison");
    QTest::newRow("limite de taille (disque plein)") << "taille"
                                                     << "Fichier trop volumineux";
    QTest::newRow("dossier absent") << "dossier"
                                    << "introuvable";
    QTest::newRow("un dossier porte le nom") << "repertoire"
                                             << "C'est un dossier";
    QTest::newRow("renommage refuse") << "renommage"
                                      << "entrée/sortie";
    QTest::newRow("renommage du premier refuse") << "renommage1"
                                                 << "entrée/sortie";
}

void TestEcritureGroupee::ToutOuRien()
{
    QFETCH(QString, panne);
    QTemporaryDir d;
    const QString a = d.filePath("carnet.for"), b = d.filePath("carnet.gap");
    EcritOctets(a, "ancien a\r\n");
    EcritOctets(b, "ancien b\r\n");
    SetMode(a, 0640);
    const ino_t inodeA = Inode(a), inodeB = Inode(b);
    const QByteArray grand(200000, 'b');
    QString second = b;
    if (panne == "dossier") second = d.filePath("absent/carnet.gap");
    if (panne == "repertoire") {
        QVERIFY(QFile::remove(b));
        QVERIFY(QDir(d.path()).mkdir("carnet.gap"));
    }
    QString erreur;
    {
        EcritureGroupee groupe;
        QVERIFY(groupe.Fichier(a).Ecrit("nouveau a\r\n", 11));
        std::unique_ptr<LimiteTaille> limite;
        if (panne == "taille") {
            limite = std::make_unique<LimiteTaille>(100000);
            QVERIFY(limite->Ok());
        }
        groupe.Fichier(second).Ecrit(grand.constData(), static_cast<size_t>(grand.size()));
        limite.reset();
        if (panne == "renommage") EcritureGroupee::EchecAuRemplacement(2);
        if (panne == "renommage1") EcritureGroupee::EchecAuRemplacement(1);
        erreur = groupe.Termine();
    }
    QFETCH(QString, raison);
    QVERIFY2(erreur.contains(raison), qPrintable(erreur));
    // The failing file is named.
    QVERIFY2(erreur.contains(panne == "renommage1" ? "carnet.for" : "carnet.gap"),
             qPrintable(erreur));
    // Neither file changed: the first is the very same file, with its mode.
    QCOMPARE(LitOctets(a), QByteArray("ancien a\r\n"));
    QCOMPARE(Inode(a), inodeA);
    QCOMPARE(Mode(a), mode_t(0640));
    if (panne != "repertoire") {
        QCOMPARE(LitOctets(b), QByteArray("ancien b\r\n"));
        QCOMPARE(Inode(b), inodeB);
    }
    // No temporary file or kept copy left behind.
    QCOMPARE(QDir(d.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                      QDir::Name),
             (QStringList{"carnet.for", "carnet.gap"}));
}

void TestEcritureGroupee::Reussite()
{
    QTemporaryDir d;
    QVERIFY(QDir(d.path()).mkdir("autre"));
    const QString a = d.filePath("a.txt"), b = d.filePath("autre/b.txt"), c = d.filePath("c.txt");
    EcritOctets(a, "ancien");
    SetMode(a, 0604);
    EcritureGroupee groupe;
    groupe.Fichier(a).Ecrit("un", 2);
    groupe.Fichier(b).Ecrit("deux", 4);
    groupe.Fichier(c); // empty
    QCOMPARE(groupe.Termine(), QString());
    QCOMPARE(LitOctets(a), QByteArray("un"));
    QCOMPARE(LitOctets(b), QByteArray("deux"));
    QCOMPARE(LitOctets(c), QByteArray(""));
    // A replaced file keeps its mode.
    QCOMPARE(Mode(a), mode_t(0604));
    QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"a.txt", "c.txt"}));
    QCOMPARE(QDir(d.filePath("autre")).entryList(QDir::Files | QDir::Hidden), QStringList{"b.txt"});
    QVERIFY(!groupe.Termine().isEmpty()); // once only
}

void TestEcritureGroupee::RetraitDefaitSiEchec()
{
    QTemporaryDir d;
    const QString vieux = d.filePath("x.bak"), neuf = d.filePath("x");
    EcritOctets(vieux, "sauvegarde");
    EcritOctets(neuf, "actuel");
    {
        EcritureGroupee groupe;
        groupe.Retire(vieux);
        groupe.Retire(d.filePath("jamais.bak")); // absent: nothing to do
        groupe.Fichier(neuf).Ecrit("remplace", 8);
        EcritureGroupee::EchecAuRemplacement(3);
        QVERIFY(!groupe.Termine().isEmpty());
    }
    QCOMPARE(LitOctets(vieux), QByteArray("sauvegarde"));
    QCOMPARE(LitOctets(neuf), QByteArray("actuel"));
    QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"x", "x.bak"}));
    {
        EcritureGroupee groupe;
        groupe.Retire(vieux);
        groupe.Fichier(neuf).Ecrit("remplace", 8);
        QCOMPARE(groupe.Termine(), QString());
    }
    QVERIFY(!QFile::exists(vieux));
    QCOMPARE(LitOctets(neuf), QByteArray("remplace"));
    // A new file of a failed group does not stay either.
    {
        EcritureGroupee groupe;
        groupe.Fichier(d.filePath("neuf")).Ecrit("n", 1);
        groupe.Fichier(neuf).Ecrit("encore", 6);
        EcritureGroupee::EchecAuRemplacement(2);
        QVERIFY(!groupe.Termine().isEmpty());
    }
    QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"x"});
    QCOMPARE(LitOctets(neuf), QByteArray("remplace"));
}

void TestEcritureGroupee::AbandonSansTrace()
{
    QTemporaryDir d;
    EcritOctets(d.filePath("a"), "a");
    {
        EcritureGroupee groupe;
        groupe.Fichier(d.filePath("a")).Ecrit("b", 1);
        groupe.Fichier(d.filePath("c")).Ecrit("c", 1);
    }
    QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a"});
    QCOMPARE(LitOctets(d.filePath("a")), QByteArray("a"));
}

CARNET_TEST(TestEcritureGroupee)
#include "TestEcritureGroupee.moc"
