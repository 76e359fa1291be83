#include "OutilsFichiers.h"
#include "Registre.h"
#include "labels/Catalogue.h"
#include "labels/LecteurLignes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using F = FormatEtiquette;
using Params = std::array<int, F::NbParametres>;
Q_DECLARE_METATYPE(Params)

using namespace OutilsFichiers;

namespace
{

QStringList Noms(const Catalogue& c)
{
    QStringList n;
    for (const F& f : c.Formats())
        n << f.Nom();
    return n;
}

ino_t Inode(const QString& chemin)
{
    struct stat etat;
    return stat(QFile::encodeName(chemin).constData(), &etat) == 0 ? etat.st_ino : 0;
}

QStringList Fichiers(const QString& dossier)
{
    return QDir(dossier).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// Lines with something in them: what a rewrite must never have fewer of.
int LignesPleines(const QByteArray& octets)
{
    int n = 0;
    for (const QByteArray& l : octets.split('\n'))
        n += !l.trimmed().isEmpty();
    return n;
}

// The same catalogue read from memory, whole: what every block size must give.
struct Reference {
    QString message;
    std::vector<F> formats;
    std::string noms, marges;
    bool bloquee;
};

Reference LuEnMemoire(const QByteArray& formats, const QByteArray& marges, int index = 0)
{
    const std::string f = formats.toStdString(), g = marges.toStdString();
    Catalogue c;
    Reference r;
    r.message = c.LitOctets(formats == Absent ? nullptr : &f, marges == Absent ? nullptr : &g,
                            "c.FOR", "c.GAP", index);
    r.formats = c.Formats();
    r.noms = c.OctetsFormats();
    r.marges = c.OctetsMarges();
    r.bloquee = c.EcritureBloquee();
    return r;
}

// `n` formats, all different: "10,1x20,0", "10,2x20,0", ..., parameters from the rank.
void Genere(int n, QByteArray& formats, QByteArray& marges)
{
    formats.clear();
    marges.clear();
    for (int i = 0; i < n; ++i) {
        formats += QByteArray::number(10 + i / 10) + ',' + QByteArray::number(i % 10) + "x20,0\r\n";
        for (int p = 0; p < F::NbParametres; ++p)
            marges += QByteArray::number((i * 7 + p) % 101) + "\r\n";
    }
}

const size_t Blocs[] = {1, 2, 7, 64, size_t(1) << 20};

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void AllerRetour();
    void SansFichiers();
    void Operations();
    void Abime_data();
    void Abime();
    void RienNestPerdu();
    void TaillesDeBloc_data();
    void TaillesDeBloc();
    void GrandCatalogue();
    void TropGrandJamaisEcrase();
    void IlisibleJamaisEcrase();
    void Sauvegardes();
    void DisquePleinRienNeChange();
};

void TestCatalogue::AllerRetour()
{
    QTemporaryDir d;
    Catalogue c;
    c.SetParametre(0, F::MargeHaute, 299);
    c.SetParametre(3, F::EspaceHorizontal, 1000);
    c.Ajoute(F(F::NomDe(990, 381), Params{1, 2, 3, 4, 5, 6}));
    c.Selectionne(2);
    const QString f = d.filePath("carnet.for"), g = d.filePath("carnet.gap");
    QCOMPARE(c.Ecrit(f, g), QString());
    QCOMPARE(LitOctets(f), QByteArray("70,0x42,4\r\n70,0x70,0\r\n101,0x96,0\r\n210x297\r\n"
                                      "99,0x38,1\r\n"));
    QCOMPARE(LitOctets(g).count("\r\n"), 30);
    QVERIFY(LitOctets(g).startsWith("299\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"));
    QVERIFY(LitOctets(g).endsWith("1000\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"));
    // Nothing to keep a copy of the first time.
    QCOMPARE(Fichiers(d.path()), (QStringList{"carnet.for", "carnet.gap"}));
    Catalogue relu;
    QCOMPARE(relu.Lit(f, g, 2), QString());
    QCOMPARE(relu.Formats(), c.Formats());
    QCOMPARE(relu.Courant(), 2);
    // The reader finds the files whatever the case of their extension.
    QVERIFY(QFile::rename(f, d.filePath("carnet.FOR")));
    QCOMPARE(Catalogue::Fichier(d.path(), "carnet", "FOR"), d.filePath("carnet.FOR"));
    QCOMPARE(Catalogue::Fichier(d.path(), "carnet", "GAP"), g);
    QCOMPARE(Catalogue::Fichier(d.path(), "autre", "FOR"), d.filePath("autre.for"));
}

void TestCatalogue::SansFichiers()
{
    QTemporaryDir d;
    const QString f = d.filePath("c.for"), g = d.filePath("c.gap");
    Catalogue c;
    QCOMPARE(c.Lit(f, g, 3), QString());
    QCOMPARE(Noms(c), QStringList({"70,0x42,4", "70,0x70,0", "101,0x96,0", "210x297"}));
    QCOMPARE(c.Courant(), 0); // the remembered index counts only with a ".FOR" file
    EcritOctets(f, "50,0x20,0\r\n60,0x30,0\r\n");
    QCOMPARE(c.Lit(f, g, 1), QString());
    QCOMPARE(Noms(c), QStringList({"50,0x20,0", "60,0x30,0"}));
    QCOMPARE(c.Format(1).Parametres(), Params{});
    QCOMPARE(c.Courant(), 1);
    QCOMPARE(c.Lit(f, g, 5), QString());
    QCOMPARE(c.Courant(), 0);
    QCOMPARE(c.Lit(f, g, -1), QString());
    QCOMPARE(c.Courant(), 0);
    // A ".GAP" file alone gives its values to the built-in formats.
    QVERIFY(QFile::remove(f));
    EcritOctets(g, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
    QVERIFY(c.Lit(f, g, 0).contains(QString::fromUtf8("il manque 17 valeurs pour les formats 2 "
                                                      "à 4")));
    QCOMPARE(c.Format(0).Parametres(), (Params{1, 2, 3, 4, 5, 6}));
    QCOMPARE(c.Format(1).Parametres(), (Params{7, 0, 0, 0, 0, 0}));
}

void TestCatalogue::Operations()
{
    Catalogue c;
    QVERIFY(!c.Supprime(0));
    QCOMPARE(c.Nombre(), 4);
    c.Selectionne(1);
    QVERIFY(c.Supprime(1));
    QCOMPARE(Noms(c), QStringList({"70,0x42,4", "101,0x96,0", "210x297"}));
    QCOMPARE(c.Courant(), 2);
    c.Ajoute(F("5x5"));
    QCOMPARE(c.Courant(), 3);
    c.SetParametre(9, 0, 10); // out of range: nothing
    c.SetParametre(3, 7, 10);
    QCOMPARE(c.Format(3).Parametres(), Params{});
    QCOMPARE(c.OctetsFormats(), std::string("70,0x42,4\r\n101,0x96,0\r\n210x297\r\n5x5\r\n"));
}

void TestCatalogue::Abime_data()
{
    QTest::addColumn<QByteArray>("formats"); // Absent: no file
    QTest::addColumn<QByteArray>("marges");
    QTest::addColumn<QStringList>("noms");
    QTest::addColumn<Params>("derniers"); // the parameters of the last format
    QTest::addColumn<QStringList>("dit"); // what the message must say
    QTest::addColumn<QStringList>("taitPas");
    QTest::addColumn<bool>("identique"); // the rewrite gives back the very bytes
    const QByteArray six = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n";
    QTest::newRow("nom illisible garde avec ses marges")
        << QByteArray("50,0x20,0\r\nbonjour\r\n60,0x30,0\r\n")
        << six + "9\r\n9\r\n9\r\n9\r\n9\r\n9\r\n" + "7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n"
        << QStringList{"50,0x20,0", "bonjour", "60,0x30,0"} << Params{7, 8, 9, 10, 11, 12}
        << QStringList{"1 nom n'est pas", QString::fromUtf8("ligne 2 « bonjour »")}
        << QStringList{"manque", "trop"} << true;
    QTest::newRow("espaces et X majuscule: 12 valeurs presentes")
        << QByteArray("63,5 x 38,1\r\n70,0X42,4\r\n")
        << six + "13\r\n14\r\n15\r\n16\r\n17\r\n18\r\n"
        << QStringList{"63,5 x 38,1", "70,0X42,4"} << Params{13, 14, 15, 16, 17, 18}
        << QStringList{"2 noms ne sont pas", QString::fromUtf8("ligne 1 « 63,5 x 38,1 »"),
                       QString::fromUtf8("ligne 2 « 70,0X42,4 »")}
        << QStringList{"manque", "intégrés"} << true;
    QTest::newRow("valeurs non entieres gardees telles quelles")
        << QByteArray("50,0x20,0\r\n") << QByteArray("1\r\n2,5\r\nabc\r\n4\r\n\r\n6\r\n")
        << QStringList{"50,0x20,0"} << Params{1, 0, 0, 4, 0, 6}
        << QStringList{"3 valeurs ne sont pas", QString::fromUtf8("ligne 2 « 2,5 »"), "ligne 3",
                       "ligne 5"}
        << QStringList{"manque"} << true;
    QTest::newRow("valeurs hors bornes gardees telles quelles")
        << QByteArray("50,0x20,0\r\n")
        << QByteArray("-4\r\n1001\r\n99999999999999999999999\r\n4\r\n5\r\n6\r\n")
        << QStringList{"50,0x20,0"} << Params{0, 1000, 1000, 4, 5, 6}
        << QStringList{"3 valeurs sont hors de 0 à 1000", "ligne 1", "ligne 2", "ligne 3"}
        << QStringList{"ligne 4"} << true;
    QTest::newRow("valeurs manquantes comptees")
        << QByteArray("50,0x20,0\r\n60,0x30,0\r\n")
        << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n")
        << QStringList{"50,0x20,0", "60,0x30,0"} << Params{7, 0, 0, 0, 0, 0}
        << QStringList{"il manque 5 valeurs pour le "
                       "format 2"}
        << QStringList{"trop"} << false;
    QTest::newRow("lignes en trop gardees a la fin")
        << QByteArray("50,0x20,0\r\n") << six + "8\r\n\r\nneuf\r\n\r\n"
        << QStringList{"50,0x20,0"} << Params{1, 2, 3, 4, 5, 6}
        << QStringList{"3 lignes viennent après"} << QStringList{"manque"} << false;
    QTest::newRow(".FOR vide: formats integres")
        << QByteArray("") << Absent
        << QStringList{"70,0x42,4", "70,0x70,0", "101,0x96,0", "210x297"} << Params{}
        << QStringList{"aucun format"} << QStringList{} << false;
    QTest::newRow("lignes vides: au milieu un format, a la fin rien")
        << QByteArray("50,0x20,0\r\n\r\n60,0x30,0\r\n\r\n\r\n") << six + six + six
        << QStringList{"50,0x20,0", "", "60,0x30,0"} << Params{1, 2, 3, 4, 5, 6}
        << QStringList{"ligne 2 (vide)"} << QStringList{"trop", "manque"} << false;
    QTest::newRow("octets binaires gardes")
        << QByteArray("\x00\xff\x01x\x02\r\n70,0x42,4\r\n", 18)
        << QByteArray("\x00\x01\r\n0\r\n0\r\n0\r\n0\r\n0\r\n", 19) + six
        << QStringList{QString::fromLatin1("\x00\xff\x01x\x02", 5), "70,0x42,4"}
        << Params{1, 2, 3, 4, 5, 6} << QStringList{"1 nom", "1 valeur n'est pas"} << QStringList{}
        << true;
    QTest::newRow("fins de ligne LF seules, sans la derniere")
        << QByteArray("50,0x20,0\n60,0x30,0") << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12")
        << QStringList{"50,0x20,0", "60,0x30,0"} << Params{7, 8, 9, 10, 11, 12} << QStringList{}
        << QStringList{} << false;
}

void TestCatalogue::Abime()
{
    QFETCH(QByteArray, formats);
    QFETCH(QByteArray, marges);
    QFETCH(QStringList, dit);
    QFETCH(QStringList, taitPas);
    QTemporaryDir d;
    const QString f = d.filePath("c.FOR"), g = d.filePath("c.GAP");
    if (formats != Absent) EcritOctets(f, formats);
    if (marges != Absent) EcritOctets(g, marges);
    Catalogue c;
    const QString message = c.Lit(f, g, 0);
    QTEST(Noms(c), "noms");
    QTEST(c.Format(c.Nombre() - 1).Parametres(), "derniers");
    if (dit.isEmpty()) QCOMPARE(message, QString());
    for (const QString& mot : dit)
        QVERIFY2(message.contains(mot), qPrintable(mot + " ? " + message));
    for (const QString& mot : taitPas)
        QVERIFY2(!message.contains(mot), qPrintable(mot + " ! " + message));
    QVERIFY(!c.EcritureBloquee());

    // The close writes back every line that was read, and reads back the same.
    QCOMPARE(c.Ecrit(f, g), QString());
    const QByteArray ecritFor = LitOctets(f), ecritGap = LitOctets(g);
    QVERIFY(LignesPleines(ecritFor) >= LignesPleines(formats));
    QVERIFY(LignesPleines(ecritGap) >= LignesPleines(marges));
    QFETCH(bool, identique);
    if (identique) {
        QCOMPARE(ecritFor, formats);
        QCOMPARE(ecritGap, marges);
    }
    Catalogue relu;
    relu.Lit(f, g, 0);
    QCOMPARE(relu.Formats(), c.Formats());
    QCOMPARE(relu.OctetsMarges(), c.OctetsMarges());
    // The previous pair is kept beside when the files changed.
    if (identique) {
        QCOMPARE(Fichiers(d.path()), (QStringList{"c.FOR", "c.GAP"}));
    } else {
        QCOMPARE(LitOctets(f + ".bak"), formats);
        QCOMPARE(LitOctets(g + ".bak"), marges);
    }
}

void TestCatalogue::RienNestPerdu()
{
    // A user's catalogue with names the reader cannot use and values it cannot use.
    const QByteArray formats = "63,5 x 38,1\r\n99,1x67,7\r\n70,0X42,4\r\n";
    const QByteArray marges = "129\r\n129\r\n47\r\n47\r\n0\r\n25\r\n"
                              "10\r\n10\r\ncinq\r\n5\r\n0\r\n25\r\n"
                              "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n";
    QTemporaryDir d;
    const QString f = d.filePath("carnet.for"), g = d.filePath("carnet.gap");
    EcritOctets(f, formats);
    EcritOctets(g, marges);
    Catalogue c;
    const QString message = c.Lit(f, g, 1);
    QVERIFY2(message.contains("2 noms ne sont pas") && message.contains("1 valeur n'est pas"),
             qPrintable(message));
    QVERIFY2(!message.contains("manque"), qPrintable(message));
    QVERIFY2(message.contains("carnet.for.bak") && message.contains("carnet.gap.bak"),
             qPrintable(message));
    QCOMPARE(c.Nombre(), 3);
    QCOMPARE(c.Courant(), 1);
    QCOMPARE(c.Format(0).Parametres(), (Params{129, 129, 47, 47, 0, 25}));
    QCOMPARE(c.Format(1).Parametres(), (Params{10, 10, 0, 5, 0, 25}));
    // Unchanged, the catalogue is not even rewritten.
    QCOMPARE(c.Ecrit(f, g), QString());
    QCOMPARE(Fichiers(d.path()), (QStringList{"carnet.for", "carnet.gap"}));

    // The user's own changes go in; the rest stays as it was.
    c.SetParametre(1, F::MargeDroite, 6); // not the unusable value: it stays
    c.Ajoute(F("99,0x38,1", {1, 1, 1, 1, 1, 1}));
    QCOMPARE(c.Ecrit(f, g), QString());
    QCOMPARE(LitOctets(f), formats + "99,0x38,1\r\n");
    QCOMPARE(LitOctets(g),
             QByteArray(marges).replace("5\r\n0\r\n25\r\n1\r\n2", "6\r\n0\r\n25\r\n1\r\n2") +
                 "1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n");
    QCOMPARE(LitOctets(f + ".bak"), formats);
    QCOMPARE(LitOctets(g + ".bak"), marges);
    // Moving the slider of the unusable value replaces it.
    c.SetParametre(1, F::MargeGauche, 35);
    // Deleting an unusable format is the user's choice: its margins go with it.
    c.Supprime(2);
    QCOMPARE(c.Ecrit(f, g), QString());
    QCOMPARE(LitOctets(f), QByteArray("63,5 x 38,1\r\n99,1x67,7\r\n99,0x38,1\r\n"));
    QCOMPARE(LitOctets(g), QByteArray("129\r\n129\r\n47\r\n47\r\n0\r\n25\r\n"
                                      "10\r\n10\r\n35\r\n6\r\n0\r\n25\r\n"
                                      "1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n"));
}

void TestCatalogue::TaillesDeBloc_data()
{
    QTest::addColumn<QByteArray>("formats");
    QTest::addColumn<QByteArray>("marges");
    QByteArray f, g;
    Genere(300, f, g);
    QTest::newRow("300 formats CR LF") << f << g;
    // Line ends of every kind, so that CR and LF fall on both sides of block edges.
    QByteArray melange;
    QByteArray marges;
    for (int i = 0; i < 97; ++i) {
        melange += QByteArray::number(20 + i) + ",5x3" + QByteArray::number(i % 10) +
                   (i % 3 == 0   ? "\r\n"
                    : i % 3 == 1 ? "\n"
                                 : "\r\r\n");
        for (int p = 0; p < F::NbParametres; ++p)
            marges += QByteArray::number(i * p) + (p % 2 ? "\n" : "\r\n");
    }
    QTest::newRow("fins de ligne melangees") << melange + "x" << marges + "\r\n\r\nreste";
    QTest::newRow("faux et vrais") << QByteArray("a\r\n\r\n1x1\r\n\xe9t\xe9x2\r\n")
                                   << QByteArray("x\r\n-1\r\n\r\n 7\r\n9999\r\n2\r\n3\r\n4\r\n");
    QByteArray longue(1100000, 'z'); // longer than the largest block
    QTest::newRow("ligne plus longue que tout bloc")
        << QByteArray("10x10\r\n") + longue + "\r\n20x20" << QByteArray("1\r\n2");
    QTest::newRow("rien") << QByteArray() << QByteArray();
    QTest::newRow("une fin de ligne seule") << QByteArray("\r\n") << QByteArray("\n");
}

void TestCatalogue::TaillesDeBloc()
{
    QFETCH(QByteArray, formats);
    QFETCH(QByteArray, marges);
    QTemporaryDir d;
    const QString f = d.filePath("c.FOR"), g = d.filePath("c.GAP");
    EcritOctets(f, formats);
    EcritOctets(g, marges);
    const Reference attendu = LuEnMemoire(LitOctets(f), LitOctets(g), 2);
    for (size_t bloc : Blocs) {
        Catalogue c;
        const QString message = c.Lit(f, g, 2, bloc);
        const QByteArray ou = "bloc " + QByteArray::number(qulonglong(bloc));
        QVERIFY2(message == attendu.message, ou.constData());
        QVERIFY2(c.Formats() == attendu.formats, ou.constData());
        QVERIFY2(c.OctetsFormats() == attendu.noms, ou.constData());
        QVERIFY2(c.OctetsMarges() == attendu.marges, ou.constData());
        QVERIFY2(c.EcritureBloquee() == attendu.bloquee, ou.constData());
    }
    // The line reader itself, line by line, against a plain split of the bytes.
    QList<QByteArray> lignes = formats.split('\n');
    if (!lignes.isEmpty() && lignes.last().isEmpty()) lignes.removeLast();
    for (QByteArray& l : lignes)
        if (l.endsWith('\r')) l.chop(1);
    for (size_t bloc : Blocs) {
        const int fd = ::open(QFile::encodeName(f).constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        LecteurLignes lecteur(fd, bloc, Catalogue::TailleMaxFichier);
        std::string ligne;
        int n = 0;
        while (lecteur.Suivante(ligne)) {
            QVERIFY(n < lignes.size());
            QVERIFY2(ligne == lignes[n].toStdString(),
                     qPrintable(QStringLiteral("bloc %1, ligne %2").arg(bloc).arg(n + 1)));
            ++n;
        }
        QCOMPARE(lecteur.Erreur(), 0);
        QCOMPARE(n, lignes.size());
    }
}

void TestCatalogue::GrandCatalogue()
{
    QByteArray formats, marges;
    Genere(100000, formats, marges);
    QTemporaryDir d;
    const QString f = d.filePath("carnet.for"), g = d.filePath("carnet.gap");
    EcritOctets(f, formats);
    EcritOctets(g, marges);
    Catalogue c;
    QCOMPARE(c.Lit(f, g, 99999), QString());
    QCOMPARE(c.Nombre(), 100000);
    QCOMPARE(c.Courant(), 99999);
    QCOMPARE(c.Format(99999).Nom(), QStringLiteral("10009,9x20,0"));
    QCOMPARE(c.Format(99999).Parametre(F::EspaceHorizontal), (99999 * 7 + 5) % 101);
    c.Ajoute(F("99,0x38,1"));
    QCOMPARE(c.Ecrit(f, g), QString());
    const QByteArray ecrit = LitOctets(f);
    QCOMPARE(ecrit.count('\n'), 100001);
    QVERIFY(ecrit.startsWith(formats));
    QCOMPARE(LitOctets(g).count('\n'), 600006);
    QVERIFY(LitOctets(g).startsWith(marges));
    QCOMPARE(LitOctets(f + ".bak"), formats);

    // Beyond what the chooser can hold, the first formats are shown and the files are
    // never written over.
    Genere(Catalogue::NombreMaxFormats + 5, formats, marges);
    EcritOctets(f, formats);
    EcritOctets(g, marges);
    const QString message = c.Lit(f, g, 0);
    QVERIFY2(message.contains("plus de 200000 formats") &&
                 message.contains(QString::fromUtf8("ne seront pas modifiés")),
             qPrintable(message));
    QCOMPARE(c.Nombre(), Catalogue::NombreMaxFormats);
    QVERIFY(c.EcritureBloquee());
    QVERIFY(!c.Ecrit(f, g).isEmpty());
    QCOMPARE(LitOctets(f), formats);
    QCOMPARE(LitOctets(g), marges);
}

void TestCatalogue::TropGrandJamaisEcrase()
{
    QTemporaryDir d;
    const QString f = d.filePath("c.for"), g = d.filePath("c.gap");
    EcritOctets(f, "50,0x20,0\r\n");
    {
        QFile gros(g);
        QVERIFY(gros.open(QIODevice::WriteOnly));
        QVERIFY(gros.resize(Catalogue::TailleMaxFichier + 1)); // sparse: nothing to write
    }
    Catalogue c;
    const QString message = c.Lit(f, g, 0);
    QVERIFY2(message.contains("c.gap n'a pas pu être lu : le fichier est trop grand"),
             qPrintable(message));
    QCOMPARE(Noms(c), QStringList{"50,0x20,0"});
    QVERIFY(c.EcritureBloquee());
    c.Ajoute(F("1x1"));
    QVERIFY(!c.Ecrit(f, g).isEmpty());
    QCOMPARE(LitOctets(f), QByteArray("50,0x20,0\r\n"));
    QCOMPARE(QFileInfo(g).size(), Catalogue::TailleMaxFichier + 1);
    QCOMPARE(Fichiers(d.path()), (QStringList{"c.for", "c.gap"}));
}

void TestCatalogue::IlisibleJamaisEcrase()
{
    QTemporaryDir d;
    // A folder where the file should be cannot be read, even by root.
    QVERIFY(QDir(d.path()).mkdir("c.for"));
    EcritOctets(d.filePath("c.gap"), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");
    Catalogue c;
    QString message = c.Lit(d.filePath("c.for"), d.filePath("c.gap"), 0);
    QVERIFY2(message.contains("n'a pas pu être lu"), qPrintable(message));
    QCOMPARE(c.Nombre(), 4);
    QVERIFY(c.EcritureBloquee());
    QVERIFY(!c.Ecrit(d.filePath("c.for"), d.filePath("c.gap")).isEmpty());
    QCOMPARE(LitOctets(d.filePath("c.gap")), QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"));

    // A named pipe is refused at once, without waiting for a writer.
    QVERIFY(QDir(d.path()).rmdir("c.for"));
    QCOMPARE(mkfifo(QFile::encodeName(d.filePath("c.for")).constData(), 0600), 0);
    message = c.Lit(d.filePath("c.for"), d.filePath("c.gap"), 0);
    QVERIFY2(message.contains("pas un fichier ordinaire"), qPrintable(message));
    QVERIFY(c.EcritureBloquee());
    QVERIFY(!c.Ecrit(d.filePath("c.for"), d.filePath("c.gap")).isEmpty());
    QVERIFY(QFileInfo(d.filePath("c.for")).exists() && !QFileInfo(d.filePath("c.for")).isFile());
}

void TestCatalogue::Sauvegardes()
{
    QTemporaryDir d;
    const QString f = d.filePath("carnet.for"), g = d.filePath("carnet.gap");
    Catalogue c;
    QCOMPARE(c.Lit(f, g, 0), QString());
    QCOMPARE(c.Ecrit(f, g), QString());
    const QByteArray premierFor = LitOctets(f), premierGap = LitOctets(g);
    QCOMPARE(Fichiers(d.path()), (QStringList{"carnet.for", "carnet.gap"}));
    // Written again unchanged: the files are left alone.
    const ino_t inode = Inode(f);
    QCOMPARE(c.Ecrit(f, g), QString());
    QCOMPARE(Inode(f), inode);
    QCOMPARE(Fichiers(d.path()), (QStringList{"carnet.for", "carnet.gap"}));
    // A change: the previous pair becomes the ".bak" pair.
    c.SetParametre(0, F::MargeHaute, 12);
    QCOMPARE(c.Ecrit(f, g), QString());
    QCOMPARE(LitOctets(f + ".bak"), premierFor);
    QCOMPARE(LitOctets(g + ".bak"), premierGap);
    QVERIFY(LitOctets(g).startsWith("12\r\n"));
    QCOMPARE(Fichiers(d.path()),
             (QStringList{"carnet.for", "carnet.for.bak", "carnet.gap", "carnet.gap.bak"}));
    // With only a ".FOR" file before, no ".gap.bak" of an older pair stays beside it.
    QVERIFY(QFile::remove(g));
    c.Ajoute(F("1x1"));
    const QByteArray avant = LitOctets(f);
    QCOMPARE(c.Ecrit(f, g), QString());
    QCOMPARE(LitOctets(f + ".bak"), avant);
    QVERIFY(!QFile::exists(g + ".bak"));
    // With neither file, older copies are all the user has: they stay.
    QVERIFY(QFile::remove(f) && QFile::remove(g));
    QCOMPARE(c.Ecrit(f, g), QString());
    QCOMPARE(LitOctets(f + ".bak"), avant);
}

void TestCatalogue::DisquePleinRienNeChange()
{
    QByteArray formats, marges;
    Genere(2000, formats, marges);
    QTemporaryDir d;
    const QString f = d.filePath("carnet.for"), g = d.filePath("carnet.gap");
    EcritOctets(f, formats);
    EcritOctets(g, marges);
    Catalogue c;
    QCOMPARE(c.Lit(f, g, 0), QString());
    // A new format, and larger values: the new ".gap" is the file that will not fit.
    c.Ajoute(F("99,0x38,1"));
    for (int i = 0; i < c.Nombre(); ++i)
        for (int p = 0; p < F::NbParametres; ++p)
            c.SetParametre(i, p, 1000);
    // Room for the copies of the old files and the new ".for", not for the new ".gap".
    const size_t place =
        std::max({c.OctetsFormats().size(), size_t(formats.size()), size_t(marges.size())}) + 1000;
    QVERIFY(c.OctetsMarges().size() > place);
    QString erreur;
    {
        LimiteTaille limite(place);
        QVERIFY(limite.Ok());
        erreur = c.Ecrit(f, g);
    }
    QVERIFY2(erreur.contains("carnet.gap") && erreur.contains("Fichier trop volumineux") &&
                 erreur.contains(QString::fromUtf8("restés tels quels")),
             qPrintable(erreur));
    QCOMPARE(LitOctets(f), formats);
    QCOMPARE(LitOctets(g), marges);
    QCOMPARE(Fichiers(d.path()), (QStringList{"carnet.for", "carnet.gap"}));
    // Once there is room, both go in together.
    QCOMPARE(c.Ecrit(f, g), QString());
    QCOMPARE(LitOctets(f).count('\n'), 2001);
    QCOMPARE(LitOctets(g).count('\n'), 12006);
}

CARNET_TEST(TestCatalogue)
#include "TestCatalogue.moc"
