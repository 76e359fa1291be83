#include "Registre.h"

#include "records/FichierRep.h"
#include "records/FichierSur.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

QByteArray Lit(const QString& chemin)
{
    QFile f(chemin);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QStringList Tout(const QString& dossier)
{
    return QDir(dossier).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QByteArray Hote()
{
    char h[256] = {};
    gethostname(h, sizeof h - 1);
    return QByteArray(h).replace('~', '-').replace('/', '-');
}

// A process that has ended, whose number is free.
pid_t ProcessusMort()
{
    const pid_t p = fork();
    if (p == 0) _exit(0);
    waitpid(p, nullptr, 0);
    return p;
}

} // namespace

class TestFichierSur : public QObject
{
    Q_OBJECT
private slots:
    // Users link their book into a synced folder: a save writes into the target and
    // the link stays a link, also through a chain of links and a relative one.
    void ecritureATraversUnLien()
    {
        QTemporaryDir dossier;
        const QString synchro = dossier.filePath(QStringLiteral("synchro"));
        QVERIFY(QDir().mkpath(synchro));
        const QString cible = synchro + QStringLiteral("/livre.REP");
        QVERIFY(FichierSur::Ecrit(cible, "ancien", 6).isEmpty());
        const QString lien = dossier.filePath(QStringLiteral("livre.REP"));
        const QString lien2 = dossier.filePath(QStringLiteral("raccourci.REP"));
        QVERIFY(QFile::link(QStringLiteral("synchro/livre.REP"), lien));
        QVERIFY(QFile::link(lien, lien2));

        QCOMPARE(FichierSur::Ecrit(lien2, "nouveau", 7), QString());
        QVERIFY(QFileInfo(lien).isSymLink());
        QVERIFY(QFileInfo(lien2).isSymLink());
        QCOMPARE(Lit(cible), QByteArray("nouveau"));

        // The block writer and the temporary-file pair (PDF) alike.
        Repertoire rep;
        rep.SetCellule(Nom, 1, "Lien");
        QCOMPARE(FichierRep::EcritRepertoire(lien, rep), QString());
        QVERIFY(QFileInfo(lien).isSymLink());
        QVERIFY(Lit(cible).contains("\r\nLien\r\n"));
        QString raison;
        const QString temporaire = FichierSur::Temporaire(lien, &raison);
        QVERIFY2(!temporaire.isEmpty(), qPrintable(raison));
        QCOMPARE(QFileInfo(temporaire).absolutePath(), synchro);
        {
            QFile t(temporaire);
            QVERIFY(t.open(QIODevice::WriteOnly));
            t.write("pdf");
        }
        QCOMPARE(FichierSur::Remplace(temporaire, lien), QString());
        QVERIFY(QFileInfo(lien).isSymLink());
        QCOMPARE(Lit(cible), QByteArray("pdf"));
        QCOMPARE(Tout(synchro), QStringList{QStringLiteral("livre.REP")});
    }

    // A link to a file not yet there creates that file; a loop of links is refused
    // with its reason and nothing is written.
    void lienPendantEtBoucle()
    {
        QTemporaryDir dossier;
        const QString lien = dossier.filePath(QStringLiteral("pendant.REP"));
        QVERIFY(QFile::link(dossier.filePath(QStringLiteral("vrai.REP")), lien));
        QCOMPARE(FichierSur::Ecrit(lien, "x", 1), QString());
        QVERIFY(QFileInfo(lien).isSymLink());
        QCOMPARE(Lit(dossier.filePath(QStringLiteral("vrai.REP"))), QByteArray("x"));

        const QString a = dossier.filePath(QStringLiteral("a.REP"));
        const QString b = dossier.filePath(QStringLiteral("b.REP"));
        QVERIFY(QFile::link(b, a));
        QVERIFY(QFile::link(a, b));
        const QString erreur = FichierSur::Ecrit(a, "y", 1);
        QVERIFY2(erreur.contains(QString::fromUtf8("liens symboliques")), qPrintable(erreur));
        QVERIFY(QFileInfo(a).isSymLink());
        QCOMPARE(Tout(dossier.path()).size(), 4);
    }

    // A writer killed before it finished leaves its temporary file under a name that
    // says whose it is; the next write in the folder removes it. Files of a live
    // process, or of another computer sharing the folder, stay.
    void temporairesDesProgrammesTues()
    {
        QTemporaryDir dossier;
        const QString cible = dossier.filePath(QStringLiteral("k.csv"));
        const pid_t enfant = fork();
        if (enfant == 0) {
            EcritureSure e(cible);
            e.Ecrit("moitié", 7);
            _exit(0); // killed: no Termine, no destructor
        }
        QVERIFY(enfant > 0);
        waitpid(enfant, nullptr, 0);
        const QStringList laisses = Tout(dossier.path());
        QCOMPARE(laisses.size(), 1);
        QVERIFY2(laisses.first().startsWith(QStringLiteral(".k.csv.carnet~")),
                 qPrintable(laisses.first()));

        const QByteArray hote = Hote();
        const auto cree = [&](const QByteArray& nom) {
            QFile f(dossier.filePath(QString::fromLocal8Bit(nom)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        };
        const QByteArray mort = QByteArray::number(ProcessusMort());
        const QByteArray vivant = QByteArray::number(getppid());
        cree(".autre.REP.carnet~" + hote + "~" + mort + "~Ab12Cd");
        cree(".vivant.REP.carnet~" + hote + "~" + vivant + "~Ab12Cd");
        cree(".ailleurs.REP.carnet~poste-voisin~" + mort + "~Ab12Cd");
        cree("garder.carnet~" + hote + "~" + mort + "~Ab12Cd");

        QCOMPARE(FichierSur::Ecrit(cible, "entier", 6), QString());
        QCOMPARE(Tout(dossier.path()),
                 (QStringList{
                     QString::fromLatin1(".ailleurs.REP.carnet~poste-voisin~" + mort + "~Ab12Cd"),
                     QString::fromLatin1(".vivant.REP.carnet~" + hote + "~" + vivant + "~Ab12Cd"),
                     QString::fromLatin1("garder.carnet~" + hote + "~" + mort + "~Ab12Cd"),
                     QStringLiteral("k.csv")}));
        QCOMPARE(Lit(cible), QByteArray("entier"));
    }
};

CARNET_TEST(TestFichierSur)
#include "TestFichierSur.moc"
