// The stamp of a book's file: computed while the book is read (at every block size
// the reader may use) and while it is written, and compared with the disk to tell
// a change made by someone else from a file only touched or copied.

#include "Registre.h"

#include "records/EmpreinteFichier.h"
#include "records/FichierRep.h"
#include "records/FichierSur.h"
#include "records/Repertoire.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace
{

// The hash of the bytes, computed in one call on the whole file: not the way the
// program computes it, block by block.
QString HachageDe(const QByteArray& octets)
{
    const XXH128_hash_t h = XXH3_128bits(octets.constData(), static_cast<size_t>(octets.size()));
    return QStringLiteral("%1%2")
        .arg(h.high64, 16, 16, QLatin1Char('0'))
        .arg(h.low64, 16, 16, QLatin1Char('0'));
}

QByteArray Lit(const QString& chemin)
{
    QFile f(chemin);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void Ecrit(const QString& chemin, const QByteArray& octets)
{
    QCOMPARE(FichierSur::Ecrit(chemin, octets.constData(), static_cast<size_t>(octets.size())),
             QString());
}

// Rewrites the bytes in place (same inode) and gives the file back its old
// modification time, as a careless tool would.
void ReecritSurPlace(const QString& chemin, const QByteArray& octets)
{
    struct stat avant;
    QCOMPARE(stat(QFile::encodeName(chemin).constData(), &avant), 0);
    const int fd = open(QFile::encodeName(chemin).constData(), O_WRONLY);
    QVERIFY(fd >= 0);
    QCOMPARE(pwrite(fd, octets.constData(), static_cast<size_t>(octets.size()), 0),
             static_cast<ssize_t>(octets.size()));
    close(fd);
    const struct timespec temps[2] = {avant.st_atim, avant.st_mtim};
    QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(chemin).constData(), temps, 0), 0);
}

QByteArray Livre(int fiches, const QByteArray& surplus = {})
{
    QByteArray o = QByteArray::number(fiches + 1) + "\r\n0\r\n";
    for (int r = 0; r <= fiches; ++r) {
        o += "0\r\n";
        for (int c = 0; c < NbColonnes; ++c)
            o += (r == 0 ? "Titre" : "Valeur ") + QByteArray::number(r * 100 + c) + "\r\n";
    }
    return o + surplus;
}

} // namespace

class TestEmpreinteFichier : public QObject
{
    Q_OBJECT

private slots:
    // Every byte of the file counts, whatever the block size, also the bytes after
    // the announced records that the parser never looks at.
    void empreinteALaLecture_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<int>("bloc");
        const QByteArray livre = Livre(30);
        QByteArray sansFin = livre;
        sansFin.chop(2);
        const QByteArray surplus = Livre(3, QByteArray(5000, 'x') + "\r\nfin");
        for (int bloc : {1, 2, 7, 64, int(OuvertureSure::BlocParDefaut)}) {
            const QByteArray b = QByteArray::number(bloc);
            QTest::newRow(b + " livre") << livre << bloc;
            QTest::newRow(b + " sans dernière fin de ligne") << sansFin << bloc;
            QTest::newRow(b + " données au-delà des fiches") << surplus << bloc;
        }
    }
    void empreinteALaLecture()
    {
        QFETCH(QByteArray, octets);
        QFETCH(int, bloc);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("livre.REP"));
        Ecrit(chemin, octets);
        Repertoire rep;
        EmpreinteFichier e;
        QString avertissement;
        QCOMPARE(FichierRep::ChargeRepertoire(chemin, rep, &avertissement, -1,
                                              static_cast<size_t>(bloc), &e),
                 QString());
        QVERIFY(e.Valide());
        QCOMPARE(e.Hachage(), HachageDe(octets));
        QCOMPARE(e.Taille(), octets.size());
        QCOMPARE(e.Compare(chemin), EmpreinteFichier::Etat::Inchange);
        QCOMPARE(EmpreinteFichier::DuFichier(chemin), e);
    }

    // A file the loader refuses gives no stamp.
    void pasDEmpreintePourUnLivreRefuse()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("abime.REP"));
        Ecrit(chemin, "pas un nombre\r\n");
        Repertoire rep;
        EmpreinteFichier e;
        QVERIFY(!FichierRep::ChargeRepertoire(chemin, rep, nullptr, -1,
                                              OuvertureSure::BlocParDefaut, &e)
                     .isEmpty());
        QVERIFY(!e.Valide());
    }

    // The stamp of a save is that of the bytes on the disk, and the file as written
    // compares unchanged.
    void empreinteALEcriture()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("livre.REP"));
        Repertoire rep;
        rep.SetNbLignes(40);
        rep.SetCellule(Notes, 3, "ligne 1\r\nligne 2");
        EmpreinteFichier e;
        QCOMPARE(FichierRep::EcritRepertoire(chemin, rep, &e), QString());
        QVERIFY(e.Valide());
        QCOMPARE(e.Hachage(), HachageDe(Lit(chemin)));
        QCOMPARE(e.Compare(chemin), EmpreinteFichier::Etat::Inchange);
        QCOMPARE(EmpreinteFichier::DuFichier(chemin), e);
    }

    void compare()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("livre.REP"));
        const QByteArray octets = Livre(5);
        Ecrit(chemin, octets);
        const EmpreinteFichier lu = EmpreinteFichier::DuFichier(chemin);
        QVERIFY(lu.Valide());
        EmpreinteFichier actuelle;

        // Nothing happened: the identity answers, nothing is hashed.
        QCOMPARE(lu.Compare(chemin, &actuelle), EmpreinteFichier::Etat::Inchange);
        QVERIFY(actuelle.MemeIdentite(lu));

        // Touched: the same bytes, the stamp of the file as it is now given back.
        QTest::qWait(20);
        const struct timespec maintenant[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
        QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(chemin).constData(), maintenant, 0), 0);
        QCOMPARE(lu.Compare(chemin, &actuelle), EmpreinteFichier::Etat::Inchange);
        QVERIFY(actuelle.Valide());
        QVERIFY(!actuelle.MemeIdentite(lu));
        QVERIFY(actuelle.MemeContenu(lu));

        // Replaced by a copy of the same bytes (another inode).
        Ecrit(chemin, octets);
        QCOMPARE(lu.Compare(chemin), EmpreinteFichier::Etat::Inchange);

        // One byte changed in place, the modification time put back: the change time
        // and the hash still tell.
        const EmpreinteFichier avant = EmpreinteFichier::DuFichier(chemin);
        QByteArray autre = octets;
        autre[autre.size() - 3] = 'Z';
        ReecritSurPlace(chemin, autre);
        QCOMPARE(avant.Compare(chemin, &actuelle), EmpreinteFichier::Etat::Modifie);
        QVERIFY(actuelle.Valide());
        QCOMPARE(actuelle.Hachage(), HachageDe(autre));

        // Another size: changed, without reading it.
        Ecrit(chemin, octets + "x");
        QCOMPARE(lu.Compare(chemin, &actuelle), EmpreinteFichier::Etat::Modifie);
        QVERIFY(!actuelle.Valide());
        QVERIFY(!actuelle.MemeIdentite(lu));

        // Gone, or no longer a file.
        QVERIFY(QFile::remove(chemin));
        QCOMPARE(lu.Compare(chemin), EmpreinteFichier::Etat::Absent);
        QVERIFY(QDir().mkdir(chemin));
        QCOMPARE(lu.Compare(chemin), EmpreinteFichier::Etat::Modifie);
        QVERIFY(QDir().rmdir(chemin));
        QCOMPARE(mkfifo(QFile::encodeName(chemin).constData(), 0600), 0);
        QCOMPARE(lu.Compare(chemin), EmpreinteFichier::Etat::Modifie);

        // A stamp of nothing read tells nothing is known: changed.
        QFile::remove(chemin);
        Ecrit(chemin, octets);
        QCOMPARE(EmpreinteFichier().Compare(chemin), EmpreinteFichier::Etat::Modifie);
    }
};

CARNET_TEST(TestEmpreinteFichier)
#include "TestEmpreinteFichier.moc"
