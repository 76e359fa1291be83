#include "Registre.h"

#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/Pliage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
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
        QTest::newRow("tronqué au milieu")
            << bon.left(bon.size() / 2) << QStringLiteral("se termine avant");
        QTest::newRow("dernier bloc incomplet")
            << bon.left(bon.lastIndexOf("\r\n", bon.size() - 3) + 2)
            << QStringLiteral("se termine avant");
        QTest::newRow("plus de lignes annoncées")
            << QByteArray("5\r\n0\r\n") + bon.mid(6) << QStringLiteral("se termine avant");
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
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("ancien.REP")});
    }
};

CARNET_TEST(TestFichierRep)
#include "TestFichierRep.moc"
