#include "Registre.h"

#include "records/CodePage.h"
#include "records/ErreurSysteme.h"
#include "records/FichierRep.h"
#include "records/FichierSur.h"
#include "records/Pliage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QByteArray Lit(const QString& chemin)
{
    QFile f(chemin);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void Ecrit(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(octets);
}

// The first `n` lines of a file, each with its CR LF.
QByteArray Lignes(const QByteArray& octets, int n)
{
    qsizetype fin = 0;
    for (int i = 0; i < n; ++i)
        fin = octets.indexOf("\r\n", fin) + 2;
    return octets.left(fin);
}

QString Fixture(const char* nom)
{
    return QStringLiteral(CARNET_FIXTURES "/") + QString::fromLatin1(nom);
}

std::string Cp(const char* utf8)
{
    return CodePage::Octets(QString::fromUtf8(utf8));
}

// A book whose cells and flags identify it, to check that a failed load leaves it alone.
Repertoire LivreTemoin()
{
    Repertoire rep;
    rep.SetCellule(Nom, 1, Cp("Témoin"));
    rep.SetFlagMail(1, "1");
    rep.AjouteFiche();
    rep.SetCellule(Ville, 2, "Lyon");
    rep.SetFichierCourant(QStringLiteral("/tmp/temoin.REP"));
    rep.SetModifie(true);
    return rep;
}

} // namespace

class TestFichierRep : public QObject
{
    Q_OBJECT
private slots:
    void livreNeufEcritQuatreVingtSeizeLignes()
    {
        QTemporaryDir dossier;
        Repertoire rep;
        rep.SetModifie(true);
        const QString chemin = dossier.filePath(QStringLiteral("neuf.REP"));
        QCOMPARE(FichierRep::EcritRepertoire(chemin, rep), QString());
        QVERIFY(!rep.Modifie());
        const QByteArray octets = Lit(chemin);
        QCOMPARE(octets.count("\r\n"), 96);
        QVERIFY(octets.endsWith("\r\n"));
        // Identical to the same book written by another copy of the program.
        QCOMPARE(octets, Lit(Fixture("vide.REP")));
    }

    void livreEtrangerRelitEtReecritAlIdentique()
    {
        Repertoire rep;
        QCOMPARE(FichierRep::ChargeRepertoire(Fixture("amis.REP"), rep), QString());
        QCOMPARE(rep.NbFiches(), 3);
        QCOMPARE(rep.ColonneTri(), 6);
        // The file's own titles, not the built-in ones.
        QCOMPARE(rep.CelluleStr(Nom, 0), std::string("Nom de famille"));
        QCOMPARE(rep.CelluleStr(Ville, 0), Cp("Localité"));
        QCOMPARE(rep.CelluleStr(Photo, 0), std::string("Image"));
        QCOMPARE(rep.CelluleStr(Nom, 2), Cp("Éluard"));
        QCOMPARE(rep.CelluleStr(Notes, 1), std::string("ligne 1\r\nligne 2"));
        QCOMPARE(rep.CelluleStr(SNotes, 2), Cp("Réunion à 9h€\r\n\r\naprès deux sauts"));
        QCOMPARE(rep.FlagMail(1), std::string("1"));
        QCOMPARE(rep.FlagMail(2), std::string("0"));
        QCOMPARE(rep.FlagMail(3), std::string("1"));
        QCOMPARE(rep.FichierCourant(), Fixture("amis.REP"));
        QVERIFY(!rep.Modifie());

        QTemporaryDir dossier;
        const QString copie = dossier.filePath(QStringLiteral("copie.REP"));
        QCOMPARE(FichierRep::EcritRepertoire(copie, rep), QString());
        QCOMPARE(Lit(copie), Lit(Fixture("amis.REP")));
    }

    // Only a lone LF could break a line of the file: it is folded like a CR LF pair.
    // A lone CR is written as it is and read back unchanged, even at a cell's end.
    void sautsIsolesNeCassentPasLaStructure()
    {
        Repertoire rep;
        rep.SetCellule(Nom, 1, "a\rb");
        rep.SetCellule(Prenom, 1, "c\nd");
        rep.SetCellule(Notes, 1, "e\r\nf\n\rg");
        rep.SetCellule(Ville, 1, "h\r");
        rep.SetFlagMail(1, "1");
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("sauts.REP"));
        QCOMPARE(FichierRep::EcritRepertoire(chemin, rep), QString());
        const QByteArray octets = Lit(chemin);
        QCOMPARE(octets.count('\n'), 96);
        QCOMPARE(octets.count('\r'), 96 + 3);
        QVERIFY(octets.contains("\r\na\rb\r\n"));
        QVERIFY(octets.contains("\r\nh\r\r\n"));
        Repertoire relu;
        QCOMPARE(FichierRep::ChargeRepertoire(chemin, relu), QString());
        QCOMPARE(relu.CelluleStr(Nom, 1), std::string("a\rb"));
        QCOMPARE(relu.CelluleStr(Prenom, 1), std::string("c\r\nd"));
        QCOMPARE(relu.CelluleStr(Notes, 1), std::string("e\r\nf\r\n\rg"));
        QCOMPARE(relu.CelluleStr(Ville, 1), std::string("h\r"));
        QCOMPARE(relu.FlagMail(1), std::string("1"));
        QCOMPARE(relu.NbFiches(), 1);
    }

    void finsDeLigneUnixAcceptees()
    {
        QByteArray octets = Lit(Fixture("amis.REP"));
        octets.replace("\r\n", "\n");
        Repertoire rep;
        QCOMPARE(FichierRep::ChargeDepuisOctets(octets, QStringLiteral("x.REP"), rep), QString());
        QCOMPARE(rep.NbFiches(), 3);
        QCOMPARE(rep.CelluleStr(Notes, 1), std::string("ligne 1\r\nligne 2"));
    }

    void colonneDeTriHorsLimitesDevientZero_data()
    {
        QTest::addColumn<QByteArray>("ligne2");
        QTest::addColumn<int>("attendue");
        QTest::newRow("46") << QByteArray("46") << 0;
        QTest::newRow("-1") << QByteArray("-1") << 0;
        QTest::newRow("45") << QByteArray("45") << 45;
        QTest::newRow("espaces") << QByteArray(" 9 ") << 9;
    }
    void colonneDeTriHorsLimitesDevientZero()
    {
        QFETCH(QByteArray, ligne2);
        QFETCH(int, attendue);
        QByteArray octets = Lit(Fixture("vide.REP"));
        octets.replace(0, 6, "2\r\n" + ligne2 + "\r\n");
        Repertoire rep;
        QCOMPARE(FichierRep::ChargeDepuisOctets(octets, QStringLiteral("x.REP"), rep), QString());
        QCOMPARE(rep.ColonneTri(), attendue);
    }

    void fichiersAbimesRefusesSansToucherAuLivre_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QString>("raison");
        const QByteArray bon = Lit(Fixture("amis.REP"));
        QTest::newRow("vide") << QByteArray() << QStringLiteral("ligne 1");
        QTest::newRow("ligne 1 texte")
            << QByteArray("abc\r\n0\r\n") + bon.mid(6) << QStringLiteral("ligne 1");
        QTest::newRow("ligne 1 binaire")
            << QByteArray("\x01\xff\x00\r\n0\r\n", 8) << QStringLiteral("ligne 1");
        QTest::newRow("ligne 2 texte")
            << QByteArray("4\r\nsix\r\n") + bon.mid(6) << QStringLiteral("ligne 2");
        QTest::newRow("ligne 2 absente") << QByteArray("4\r\n") << QStringLiteral("ligne 2");
        QTest::newRow("une seule ligne")
            << QByteArray("1\r\n0\r\n") + bon.mid(6) << QString::fromUtf8("inférieur à 2");
        QTest::newRow("zéro") << QByteArray("0\r\n0\r\n") << QString::fromUtf8("inférieur à 2");
        QTest::newRow("négatif") << QByteArray("-5\r\n0\r\n") << QString::fromUtf8("inférieur à 2");
        QTest::newRow("hostile") << QByteArray("2000000000\r\n0\r\n") + bon.mid(6)
                                 << QStringLiteral("ne peut en contenir");
        QTest::newRow("énorme") << QByteArray("99999999999999999999\r\n0\r\n")
                                << QStringLiteral("ligne 1");
        // A cut names the record as the user counts them (or the title row).
        QTest::newRow("coupé dans les titres")
            << Lignes(bon, 2 + 20) << QString::fromUtf8("fin de la ligne des titres.");
        QTest::newRow("coupé dans la fiche 2")
            << Lignes(bon, 2 + 47 * 2 + 10) << QString::fromUtf8("fin de la fiche 2 sur 3.");
        QTest::newRow("coupé sans fin de ligne")
            << Lignes(bon, 2 + 47 * 3 + 5) + "Dup" << QString::fromUtf8("fin de la fiche 3 sur 3.");
        QTest::newRow("dernier bloc incomplet")
            << Lignes(bon, 2 + 47 * 4 - 1) << QString::fromUtf8("fin de la fiche 3 sur 3.");
        QTest::newRow("plus de lignes annoncées") << QByteArray("5\r\n0\r\n") + bon.mid(6)
                                                  << QString::fromUtf8("fin de la fiche 4 sur 4.");
    }
    void fichiersAbimesRefusesSansToucherAuLivre()
    {
        QFETCH(QByteArray, octets);
        QFETCH(QString, raison);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("abime.REP"));
        Ecrit(chemin, octets);
        Repertoire rep = LivreTemoin();
        const QString erreur = FichierRep::ChargeRepertoire(chemin, rep);
        QVERIFY2(erreur.contains(raison), qPrintable(erreur));
        QVERIFY(erreur.contains(chemin));
        QCOMPARE(rep.NbFiches(), 2);
        QCOMPARE(rep.CelluleStr(Nom, 1), Cp("Témoin"));
        QCOMPARE(rep.FlagMail(1), std::string("1"));
        QCOMPARE(rep.FichierCourant(), QStringLiteral("/tmp/temoin.REP"));
        QVERIFY(rep.Modifie());
    }

    // Only a regular file of a size the computer can hold is read: a named pipe
    // would block the window for good, /dev/zero never ends, a huge file fills the
    // memory. Each is refused at once with its reason, and the open book stays.
    void fichiersQuiNeSontPasDesRepertoires_data()
    {
        QTest::addColumn<QString>("genre");
        QTest::addColumn<QString>("raison");
        QTest::newRow("tube nommé") << "fifo" << QString::fromUtf8("pas un fichier ordinaire");
        QTest::newRow("/dev/zero") << "zero" << QString::fromUtf8("pas un fichier ordinaire");
        QTest::newRow("dossier") << "dossier" << QString::fromUtf8("C'est un dossier");
        QTest::newRow("5 Go creux") << "enorme" << QString::fromUtf8("ne peut dépasser");
        QTest::newRow("boucle de liens")
            << "boucle" << QString::fromUtf8("Trop de niveaux de liens symboliques");
    }
    void fichiersQuiNeSontPasDesRepertoires()
    {
        QFETCH(QString, genre);
        QFETCH(QString, raison);
        QTemporaryDir dossier;
        QString chemin = dossier.filePath(genre + QStringLiteral(".REP"));
        const QByteArray natif = QFile::encodeName(chemin);
        if (genre == "fifo") QCOMPARE(mkfifo(natif.constData(), 0600), 0);
        if (genre == "zero") chemin = QStringLiteral("/dev/zero");
        if (genre == "dossier") QVERIFY(QDir().mkpath(chemin));
        if (genre == "enorme") {
            Ecrit(chemin, "4\r\n0\r\n");
            QCOMPARE(truncate(natif.constData(), qint64(5) << 30), 0);
        }
        if (genre == "boucle") QCOMPARE(symlink(natif.constData(), natif.constData()), 0);
        Repertoire rep = LivreTemoin();
        const QString erreur = FichierRep::ChargeRepertoire(chemin, rep);
        QVERIFY2(erreur.contains(raison), qPrintable(erreur));
        QCOMPARE(rep.CelluleStr(Nom, 1), Cp("Témoin"));
        QCOMPARE(rep.FichierCourant(), QStringLiteral("/tmp/temoin.REP"));
    }

    // The size limit is the caller's: a file one byte over it is refused unread.
    void limiteDeTaille()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("amis.REP"));
        QVERIFY(QFile::copy(Fixture("amis.REP"), chemin));
        const qint64 taille = QFileInfo(chemin).size();
        Repertoire rep;
        QCOMPARE(FichierRep::ChargeRepertoire(chemin, rep, nullptr, taille), QString());
        const QString refus = FichierRep::ChargeRepertoire(chemin, rep, nullptr, taille - 1);
        QVERIFY(refus.contains(QString::fromUtf8("ne peut dépasser")));
        // One byte over: the two sizes are told apart, not rounded to one number.
        const QRegularExpressionMatch m =
            QRegularExpression(
                QString::fromUtf8("fait (.+) ; un répertoire ne peut dépasser (.+) sur cet"))
                .match(refus);
        QVERIFY2(m.hasMatch(), qPrintable(refus));
        QVERIFY2(m.captured(1) != m.captured(2), qPrintable(refus));
        QVERIFY(FichierRep::TailleMax() > (qint64(100) << 20));
    }

    // Rows beyond the announced count open, but the user is told a save drops them;
    // blank lines at the end are nothing to warn about.
    void donneesAuDelaDesFichesAnnoncees()
    {
        const QByteArray bon = Lit(Fixture("amis.REP"));
        QTemporaryDir dossier;
        const QString surplus = dossier.filePath(QStringLiteral("surplus.REP"));
        Ecrit(surplus, QByteArray("2\r\n0\r\n") + bon.mid(6));
        Repertoire rep;
        QString avertissement;
        QCOMPARE(FichierRep::ChargeRepertoire(surplus, rep, &avertissement), QString());
        QCOMPARE(rep.NbFiches(), 1);
        QVERIFY2(avertissement.contains(QString::fromUtf8("au-delà des 1 fiches")),
                 qPrintable(avertissement));
        QVERIFY(avertissement.contains(QString::fromUtf8("ne les conservera pas")));

        const QString blancs = dossier.filePath(QStringLiteral("blancs.REP"));
        Ecrit(blancs, bon + "\r\n\r\n");
        avertissement.clear();
        QCOMPARE(FichierRep::ChargeRepertoire(blancs, rep, &avertissement), QString());
        QCOMPARE(rep.NbFiches(), 3);
        QCOMPARE(avertissement, QString());
    }

    // A line far longer than the read buffer, split across many reads, comes back whole.
    void celluleDePlusieursBlocs()
    {
        Repertoire rep;
        std::string longue(3 * 1024 * 1024 + 7, 'x');
        longue[1024 * 1024 - 1] = '\r';
        longue[1024 * 1024] = '\n';
        rep.SetCellule(Notes, 1, longue);
        rep.SetCellule(Ville, 1, "Lyon");
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("long.REP"));
        QCOMPARE(FichierRep::EcritRepertoire(chemin, rep), QString());
        Repertoire relu;
        QCOMPARE(FichierRep::ChargeRepertoire(chemin, relu), QString());
        QCOMPARE(relu.CelluleStr(Notes, 1), longue);
        QCOMPARE(relu.CelluleStr(Ville, 1), std::string("Lyon"));
    }

    // A shared book keeps its owner, group and mode across a save.
    void enregistrementGardeProprietaireEtDroits()
    {
        if (geteuid() != 0) QSKIP("changing a file's owner needs root");
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("partage.REP"));
        QVERIFY(QFile::copy(Fixture("amis.REP"), chemin));
        const QByteArray natif = QFile::encodeName(chemin);
        QCOMPARE(chown(natif.constData(), 1234, 2345), 0);
        QCOMPARE(chmod(natif.constData(), 0660), 0);
        Repertoire rep = LivreTemoin();
        QCOMPARE(FichierRep::EcritRepertoire(chemin, rep), QString());
        struct stat etat;
        QCOMPARE(stat(natif.constData(), &etat), 0);
        QCOMPARE(etat.st_uid, uid_t(1234));
        QCOMPARE(etat.st_gid, gid_t(2345));
        QCOMPARE(etat.st_mode & 07777, mode_t(0660));
        QVERIFY(!FichierSur::ProprietairePerdu());
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("partage.REP")});
    }

    // A user who may not give the file away still saves it; the caller is told the
    // owner could not be kept.
    void proprietaireQuiNePeutEtreGarde()
    {
        if (geteuid() != 0) QSKIP("needs root to play another user");
        QTemporaryDir dossier;
        QVERIFY(QFile::setPermissions(dossier.path(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::WriteOther | QFileDevice::ExeOther));
        const QString chemin = dossier.filePath(QStringLiteral("partage.REP"));
        QVERIFY(QFile::copy(Fixture("amis.REP"), chemin));
        const QByteArray natif = QFile::encodeName(chemin);
        QCOMPARE(chown(natif.constData(), 1234, 2345), 0);
        QCOMPARE(chmod(natif.constData(), 0666), 0);
        Repertoire rep = LivreTemoin();
        QCOMPARE(setegid(65534), 0);
        QCOMPARE(seteuid(65534), 0);
        const QString erreur = FichierRep::EcritRepertoire(chemin, rep);
        const bool perdu = FichierSur::ProprietairePerdu();
        QCOMPARE(seteuid(0), 0);
        QCOMPARE(setegid(0), 0);
        QCOMPARE(erreur, QString());
        QVERIFY(perdu);
        struct stat etat;
        QCOMPARE(stat(natif.constData(), &etat), 0);
        QCOMPARE(etat.st_uid, uid_t(65534));
        QCOMPARE(etat.st_mode & 07777, mode_t(0666));
    }

    void raisonsDuSystemeEnFrancais_data()
    {
        QTest::addColumn<int>("numero");
        QTest::addColumn<QString>("francais");
        QTest::newRow("ELOOP") << ELOOP
                               << QString::fromUtf8("Trop de niveaux de liens symboliques");
        QTest::newRow("ETXTBSY") << ETXTBSY << QString::fromUtf8("Fichier texte occupé");
        QTest::newRow("EXDEV") << EXDEV
                               << QString::fromUtf8(
                                      "Lien entre des systèmes de fichiers différents impossible");
        QTest::newRow("ENOSPC") << ENOSPC << QString::fromUtf8("Plus de place sur le disque");
        QTest::newRow("EFBIG") << EFBIG << QString::fromUtf8("Fichier trop volumineux");
        QTest::newRow("ESTALE") << ESTALE << QString::fromUtf8("Descripteur de fichier NFS périmé");
        QTest::newRow("ENXIO") << ENXIO << QString::fromUtf8("Périphérique ou adresse introuvable");
        QTest::newRow("ENODEV") << ENODEV << QString::fromUtf8("Périphérique introuvable");
    }
    void raisonsDuSystemeEnFrancais()
    {
        QFETCH(int, numero);
        QFETCH(QString, francais);
        QCOMPARE(ErreurSysteme::Numero(numero), francais);
        // As Qt reports it: the C library's text inside a sentence of its own.
        const QString anglais =
            QStringLiteral("Cannot open x: ") + QString::fromLocal8Bit(std::strerror(numero));
        QCOMPARE(ErreurSysteme::EnFrancais(anglais), francais);
    }

    void fichierIntrouvable()
    {
        Repertoire rep = LivreTemoin();
        const QString erreur =
            FichierRep::ChargeRepertoire(QStringLiteral("/nulle/part/x.REP"), rep);
        QVERIFY(erreur.contains(QStringLiteral("/nulle/part/x.REP")));
        QVERIFY2(erreur.contains(QStringLiteral("introuvable")), qPrintable(erreur));
        QCOMPARE(rep.CelluleStr(Nom, 1), Cp("Témoin"));
    }

    void ecritureDansUnDossierAbsent()
    {
        Repertoire rep = LivreTemoin();
        const QString erreur =
            FichierRep::EcritRepertoire(QStringLiteral("/nulle/part/x.REP"), rep);
        QVERIFY(erreur.contains(QStringLiteral("/nulle/part/x.REP")));
        QVERIFY(rep.Modifie());
    }

    void disquePleinGardeAncienFichierEtModifie()
    {
        // A file-size limit makes the write fail part-way, as a full disk does, even for root.
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("ancien.REP"));
        QFile::copy(Fixture("amis.REP"), chemin);
        Repertoire rep = LivreTemoin();
        rep.SetCellule(Notes, 1, std::string(4000, 'x'));
        rlimit avant{};
        getrlimit(RLIMIT_FSIZE, &avant);
        rlimit limite = avant;
        limite.rlim_cur = 2048;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limite), 0);
        const QString erreur = FichierRep::EcritRepertoire(chemin, rep);
        setrlimit(RLIMIT_FSIZE, &avant);
        QVERIFY2(erreur.contains(QStringLiteral("Impossible d'enregistrer")), qPrintable(erreur));
        QVERIFY2(erreur.contains(QStringLiteral("trop volumineux")), qPrintable(erreur));
        QVERIFY(rep.Modifie());
        QCOMPARE(Lit(chemin), Lit(Fixture("amis.REP")));
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("ancien.REP")});
    }
};

CARNET_TEST(TestFichierRep)
#include "TestFichierRep.moc"
