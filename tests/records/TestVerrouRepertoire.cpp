// The lock of a book open for editing, between real processes: a live holder is
// seen, a killed one's lock is taken over silently, another computer's is told
// with its age, a folder nobody may write in refuses the lock.

#include "Registre.h"

#include "records/FichierSur.h"
#include "records/VerrouRepertoire.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

QString Hote()
{
    char h[256] = {};
    gethostname(h, sizeof h - 1);
    return QString::fromLocal8Bit(h);
}

QStringList Tout(const QString& dossier)
{
    return QDir(dossier).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Another process of this test, holding the lock of `livre` until it is killed or
// told to release it (a byte on its pipe).
struct AutreCopie {
    pid_t pid = -1;
    int ordre = -1;

    explicit AutreCopie(const QString& livre)
    {
        int versEnfant[2], versParent[2];
        if (pipe(versEnfant) != 0 || pipe(versParent) != 0) return;
        pid = fork();
        if (pid == 0) {
            close(versEnfant[1]);
            close(versParent[0]);
            VerrouRepertoire verrou;
            const char etat =
                verrou.Prend(livre).issue == VerrouRepertoire::Issue::Pris ? 'P' : 'X';
            if (write(versParent[1], &etat, 1) != 1) _exit(2);
            char c;
            if (read(versEnfant[0], &c, 1) == 1) verrou.Libere();
            _exit(0);
        }
        close(versEnfant[0]);
        close(versParent[1]);
        ordre = versEnfant[1];
        char etat = 0;
        if (read(versParent[0], &etat, 1) != 1 || etat != 'P') pid = -1;
        close(versParent[0]);
    }
    void Libere()
    {
        const char c = 'L';
        QCOMPARE(write(ordre, &c, 1), ssize_t(1));
        QCOMPARE(waitpid(pid, nullptr, 0), pid);
        pid = -1;
    }
    void Tue()
    {
        kill(pid, SIGKILL);
        QCOMPARE(waitpid(pid, nullptr, 0), pid);
        pid = -1;
    }
    ~AutreCopie()
    {
        if (ordre >= 0) close(ordre);
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

// Another process asks the system who holds an fcntl lock on the file.
bool VerrouSystemeTenuPar(const QString& chemin, pid_t detenteur)
{
    const pid_t p = fork();
    if (p == 0) {
        const int fd = open(QFile::encodeName(chemin).constData(), O_RDONLY);
        struct flock f {
        };
        f.l_type = F_WRLCK;
        f.l_whence = SEEK_SET;
        if (fd < 0 || fcntl(fd, F_GETLK, &f) != 0) _exit(2);
        _exit(f.l_type != F_UNLCK && f.l_pid == detenteur ? 0 : 1);
    }
    int statut = 0;
    waitpid(p, &statut, 0);
    return WIFEXITED(statut) && WEXITSTATUS(statut) == 0;
}

// A process that has ended, whose number is free.
pid_t ProcessusMort()
{
    const pid_t p = fork();
    if (p == 0) _exit(0);
    waitpid(p, nullptr, 0);
    return p;
}

void EcritVerrou(const QString& livre, const VerrouRepertoire::Detenteur& d)
{
    const QByteArray o = VerrouRepertoire::Contenu(d);
    QCOMPARE(FichierSur::Ecrit(VerrouRepertoire::CheminVerrou(livre), o.constData(),
                               static_cast<size_t>(o.size())),
             QString());
}

} // namespace

class TestVerrouRepertoire : public QObject
{
    Q_OBJECT

private slots:
    void prendEtLibere()
    {
        QTemporaryDir dossier;
        const QString livre = dossier.filePath(QStringLiteral("amis.REP"));
        const QString fichierVerrou = dossier.filePath(QStringLiteral(".~carnet.amis.REP.lock"));
        QCOMPARE(VerrouRepertoire::CheminVerrou(livre), fichierVerrou);
        {
            VerrouRepertoire verrou;
            const VerrouRepertoire::Resultat r = verrou.Prend(livre);
            QCOMPARE(r.issue, VerrouRepertoire::Issue::Pris);
            QVERIFY(!r.repris);
            QVERIFY(verrou.Detenu());
            QVERIFY(verrou.VerrouSysteme());
            QVERIFY(verrou.Intact());
            // Only the lock file: its temporary file is gone.
            QCOMPARE(Tout(dossier.path()), QStringList{".~carnet.amis.REP.lock"});
            QCOMPARE(QFileInfo(fichierVerrou).permissions() & 0x7777,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                         QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
            QFile f(fichierVerrou);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const VerrouRepertoire::Detenteur d = VerrouRepertoire::Analyse(f.readAll());
            QVERIFY(d.connu);
            QCOMPARE(d.utilisateur, VerrouRepertoire::Moi().utilisateur);
            QCOMPARE(d.hote, Hote());
            QCOMPARE(d.pid, qint64(getpid()));
            QVERIFY(qAbs(d.depuis.secsTo(QDateTime::currentDateTimeUtc())) < 60);

            // The same book again: kept. Another book: the first lock goes.
            QCOMPARE(verrou.Prend(livre).issue, VerrouRepertoire::Issue::Pris);
            QVERIFY(QFile::exists(fichierVerrou));
            QCOMPARE(verrou.Prend(dossier.filePath(QStringLiteral("autre.REP"))).issue,
                     VerrouRepertoire::Issue::Pris);
            QCOMPARE(Tout(dossier.path()), QStringList{".~carnet.autre.REP.lock"});
        }
        // Released with its owner.
        QCOMPARE(Tout(dossier.path()), QStringList());
    }

    // A second window of the same process sees the lock held, and looking at it does
    // not release the first one's fcntl lock.
    void memeProcessus()
    {
        QTemporaryDir dossier;
        const QString livre = dossier.filePath(QStringLiteral("amis.REP"));
        VerrouRepertoire premier, second;
        QCOMPARE(premier.Prend(livre).issue, VerrouRepertoire::Issue::Pris);
        const VerrouRepertoire::Resultat r = second.Prend(livre);
        QCOMPARE(r.issue, VerrouRepertoire::Issue::Occupe);
        QCOMPARE(r.detenteur.pid, qint64(getpid()));
        QVERIFY(!r.autreOrdinateur);
        QVERIFY(!second.Detenu());
        QVERIFY(VerrouSystemeTenuPar(VerrouRepertoire::CheminVerrou(livre), getpid()));
        // Moved, the lock stays held; assigned over, it goes.
        VerrouRepertoire deplace = std::move(premier);
        QVERIFY(!premier.Detenu());
        QVERIFY(deplace.Detenu());
        deplace = VerrouRepertoire();
        QVERIFY(!QFile::exists(VerrouRepertoire::CheminVerrou(livre)));
    }

    // Another process holds the lock: seen while it lives, released when it closes,
    // taken over silently once it was killed.
    void autreProcessus()
    {
        QTemporaryDir dossier;
        const QString livre = dossier.filePath(QStringLiteral("amis.REP"));
        {
            AutreCopie autre(livre);
            QVERIFY(autre.pid > 0);
            VerrouRepertoire verrou;
            VerrouRepertoire::Resultat r = verrou.Prend(livre);
            QCOMPARE(r.issue, VerrouRepertoire::Issue::Occupe);
            QVERIFY(r.detenteur.connu);
            QCOMPARE(r.detenteur.pid, qint64(autre.pid));
            QCOMPARE(r.detenteur.hote, Hote());
            QVERIFY(!r.autreOrdinateur);
            autre.Libere();
            QVERIFY(!QFile::exists(VerrouRepertoire::CheminVerrou(livre)));
            r = verrou.Prend(livre);
            QCOMPARE(r.issue, VerrouRepertoire::Issue::Pris);
            QVERIFY(!r.repris);
        }
        AutreCopie tuee(livre);
        QVERIFY(tuee.pid > 0);
        const pid_t pidTue = tuee.pid;
        tuee.Tue();
        QVERIFY(QFile::exists(VerrouRepertoire::CheminVerrou(livre)));
        VerrouRepertoire verrou;
        const VerrouRepertoire::Resultat r = verrou.Prend(livre);
        QCOMPARE(r.issue, VerrouRepertoire::Issue::Pris);
        QVERIFY(r.repris);
        QFile f(VerrouRepertoire::CheminVerrou(livre));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const VerrouRepertoire::Detenteur d = VerrouRepertoire::Analyse(f.readAll());
        QCOMPARE(d.pid, qint64(getpid()));
        QVERIFY(d.pid != pidTue);
        QCOMPARE(Tout(dossier.path()), QStringList{".~carnet.amis.REP.lock"});
    }

    // Lock files nobody holds: on this computer, from a process that is gone, or one
    // the program cannot read, taken over; another computer's is told, with its age.
    void verrousLaisses()
    {
        QTemporaryDir dossier;
        const QString livre = dossier.filePath(QStringLiteral("amis.REP"));
        VerrouRepertoire::Detenteur d = VerrouRepertoire::Moi();
        d.pid = ProcessusMort();
        EcritVerrou(livre, d);
        {
            VerrouRepertoire verrou;
            const VerrouRepertoire::Resultat r = verrou.Prend(livre);
            QCOMPARE(r.issue, VerrouRepertoire::Issue::Pris);
            QVERIFY(r.repris);
        }
        const QByteArray abime("\x01\x02 rien de lisible \xff\n", 22);
        QCOMPARE(FichierSur::Ecrit(VerrouRepertoire::CheminVerrou(livre), abime.constData(),
                                   static_cast<size_t>(abime.size())),
                 QString());
        {
            VerrouRepertoire verrou;
            const VerrouRepertoire::Resultat r = verrou.Prend(livre);
            QCOMPARE(r.issue, VerrouRepertoire::Issue::Pris);
            QVERIFY(r.repris);
        }

        d.hote = QStringLiteral("poste-accueil");
        d.utilisateur = QStringLiteral("claire");
        d.nomComplet = QStringLiteral("Claire Martin");
        d.pid = getpid(); // alive here, but its number means nothing on this computer
        d.depuis = QDateTime(QDate(2024, 3, 9), QTime(8, 30), Qt::UTC);
        EcritVerrou(livre, d);
        VerrouRepertoire verrou;
        const VerrouRepertoire::Resultat r = verrou.Prend(livre);
        QCOMPARE(r.issue, VerrouRepertoire::Issue::Occupe);
        QVERIFY(r.autreOrdinateur);
        QCOMPARE(r.detenteur.utilisateur, QStringLiteral("claire"));
        QCOMPARE(r.detenteur.nomComplet, QStringLiteral("Claire Martin"));
        QCOMPARE(r.detenteur.depuis, d.depuis);
        const QDateTime local = d.depuis.toLocalTime();
        QCOMPARE(
            VerrouRepertoire::Description(r.detenteur, d.depuis.addDays(3).addSecs(7200), true),
            QString::fromUtf8("claire (Claire Martin), sur l'ordinateur « poste-accueil », "
                              "depuis le %1 à %2 (il y a 3 jours)")
                .arg(local.toString("dd/MM/yyyy"), local.toString("HH:mm")));
        // Left as it was.
        QFile f(VerrouRepertoire::CheminVerrou(livre));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), VerrouRepertoire::Contenu(d));
    }

    void age_data()
    {
        QTest::addColumn<int>("secondes");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("instant") << 0 << QString::fromUtf8("il y a moins d'une minute");
        QTest::newRow("59 s") << 59 << QString::fromUtf8("il y a moins d'une minute");
        QTest::newRow("une minute") << 60 << QString::fromUtf8("il y a 1 minute");
        QTest::newRow("59 min") << 3599 << QString::fromUtf8("il y a 59 minutes");
        QTest::newRow("une heure") << 3600 << QString::fromUtf8("il y a 1 heure");
        QTest::newRow("23 h") << 86399 << QString::fromUtf8("il y a 23 heures");
        QTest::newRow("un jour") << 86400 << QString::fromUtf8("il y a 1 jour");
        QTest::newRow("40 jours") << 40 * 86400 + 5 << QString::fromUtf8("il y a 40 jours");
        // Another computer's clock ahead of this one: no age rather than a wrong one.
        QTest::newRow("futur") << -120 << QString();
    }
    void age()
    {
        QFETCH(int, secondes);
        QFETCH(QString, attendu);
        const QDateTime depuis(QDate(2025, 1, 31), QTime(23, 59, 30), Qt::UTC);
        QCOMPARE(VerrouRepertoire::Age(depuis, depuis.addSecs(secondes)), attendu);
    }

    // What another copy writes can be anything: only a complete holder counts, and
    // a huge file is not read as one.
    void analyse()
    {
        VerrouRepertoire::Detenteur d = VerrouRepertoire::Moi();
        d.utilisateur = QStringLiteral("jean\nhote=faux");
        const VerrouRepertoire::Detenteur relu =
            VerrouRepertoire::Analyse(VerrouRepertoire::Contenu(d));
        QVERIFY(relu.connu);
        QCOMPARE(relu.utilisateur, QStringLiteral("jean hote=faux"));
        QCOMPARE(relu.hote, d.hote);
        QVERIFY(!VerrouRepertoire::Analyse("utilisateur=jean\nhote=pc\n").connu);
        QVERIFY(
            !VerrouRepertoire::Analyse(VerrouRepertoire::Contenu(d) + QByteArray(5000, ' ')).connu);
        QVERIFY(!VerrouRepertoire::Analyse(QByteArray()).connu);
    }

    // The lock of a book reached through a link lies beside the real file, where
    // every copy finds it whatever path it took.
    void lienSymbolique()
    {
        QTemporaryDir dossier;
        QVERIFY(QDir().mkpath(dossier.filePath(QStringLiteral("partage"))));
        const QString reel = dossier.filePath(QStringLiteral("partage/amis.REP"));
        QVERIFY(FichierSur::Ecrit(reel, "2\r\n0\r\n", 6).isEmpty());
        const QString lien = dossier.filePath(QStringLiteral("lien.REP"));
        QVERIFY(QFile::link(reel, lien));
        QCOMPARE(VerrouRepertoire::CheminVerrou(lien),
                 dossier.filePath(QStringLiteral("partage/.~carnet.amis.REP.lock")));
        VerrouRepertoire parLien;
        QCOMPARE(parLien.Prend(lien).issue, VerrouRepertoire::Issue::Pris);
        VerrouRepertoire direct;
        QCOMPARE(direct.Prend(reel).issue, VerrouRepertoire::Issue::Occupe);
    }

    // The safe write cleans the temporary files of dead processes beside the book:
    // never a lock file, even of a book whose name looks like one of them.
    void nettoyageLaisseLesVerrous()
    {
        QTemporaryDir dossier;
        char h[256] = {};
        gethostname(h, sizeof h - 1);
        const QString nom = QStringLiteral("x.carnet~%1~%2~abcdef")
                                .arg(QString::fromLocal8Bit(h))
                                .arg(ProcessusMort());
        const QString livre = dossier.filePath(nom);
        VerrouRepertoire::Detenteur d = VerrouRepertoire::Moi();
        d.hote = QStringLiteral("ailleurs");
        EcritVerrou(livre, d);
        QVERIFY(FichierSur::Ecrit(dossier.filePath(QStringLiteral("autre.REP")), "x", 1).isEmpty());
        QVERIFY(QFile::exists(VerrouRepertoire::CheminVerrou(livre)));
    }

    // Exactly one of two copies creates a lock file; the other finds it there.
    void creationExclusive()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral(".~carnet.a.REP.lock"));
        int erreur = 0;
        bool systeme = false;
        const int fd = FichierSur::EcritVerrou(chemin, "un", false, &erreur, &systeme);
        QVERIFY(fd >= 0);
        QVERIFY(systeme);
        QCOMPARE(FichierSur::EcritVerrou(chemin, "deux", false, &erreur, &systeme), -1);
        QCOMPARE(erreur, EEXIST);
        QFile f(chemin);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("un"));
        close(fd);
        QCOMPARE(Tout(dossier.path()), QStringList{".~carnet.a.REP.lock"});
    }

    // A folder this user may not write in: no lock, and the reason. Run as another
    // user when the tests run as root, whom no folder refuses.
    void dossierEnLectureSeule()
    {
        QTemporaryDir dossier;
        QVERIFY(QFile::setPermissions(dossier.path(),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther));
        const QString livre = dossier.filePath(QStringLiteral("amis.REP"));
        const pid_t p = fork();
        if (p == 0) {
            if (geteuid() == 0) {
                const passwd* nobody = getpwnam("nobody");
                if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(3);
            }
            VerrouRepertoire verrou;
            const VerrouRepertoire::Resultat r = verrou.Prend(livre);
            _exit(r.issue == VerrouRepertoire::Issue::Impossible && r.erreur == EACCES ? 0 : 1);
        }
        int statut = 0;
        QCOMPARE(waitpid(p, &statut, 0), p);
        QVERIFY(WIFEXITED(statut));
        if (WEXITSTATUS(statut) == 3) QSKIP("no user 'nobody' to run as");
        QCOMPARE(WEXITSTATUS(statut), 0);
        QFile::setPermissions(dossier.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
        QCOMPARE(Tout(dossier.path()), QStringList());
    }
};

CARNET_TEST(TestVerrouRepertoire)
#include "TestVerrouRepertoire.moc"
