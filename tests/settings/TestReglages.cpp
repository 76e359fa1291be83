#include "OutilsReglages.h"
#include "Registre.h"
#include "settings/Reglages.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <climits>

using namespace OutilsReglages;

namespace
{
QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}
} // namespace

class TestReglages : public QObject
{
    Q_OBJECT

private slots:
    void nomReglages_data()
    {
        QTest::addColumn<QString>("programme");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("windows") << "C:\\prog\\X.EXE"
                                 << "X.ini";
        QTest::newRow("sans extension") << "/usr/bin/carnet"
                                        << "carnet.ini";
        QTest::newRow("point dans le dossier") << "/opt/a.b/carnet"
                                               << "carnet.ini";
        QTest::newRow("point dans un dossier windows") << "C:\\v1.2\\carnet"
                                                       << "carnet.ini";
        QTest::newRow("sans dossier") << "carnet.bin"
                                      << "carnet.ini";
        QTest::newRow("lecteur seul") << "D:carnet.exe"
                                      << "carnet.ini";
        QTest::newRow("deux points") << "/opt/carnet.tar.gz"
                                     << "carnet.tar.ini";
        QTest::newRow("point final") << "/opt/carnet."
                                     << "carnet.ini";
        QTest::newRow("chemin vide") << ""
                                     << "carnet.ini";
    }
    void nomReglages()
    {
        QFETCH(QString, programme);
        QFETCH(QString, attendu);
        QCOMPARE(Reglages::NomReglages(programme), attendu);
    }

    // First start: no file, an empty file, or a file without the section or key.
    void defauts_data()
    {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<bool>("fichierPresent");
        QTest::newRow("pas de fichier") << QByteArray() << false;
        QTest::newRow("fichier vide") << QByteArray() << true;
        QTest::newRow("autre section") << QByteArray("[MainW]\nfichex=12\n") << true;
        QTest::newRow("autre cle") << QByteArray("[Police]\ntaille=12\n") << true;
    }
    void defauts()
    {
        QFETCH(QByteArray, contenu);
        QFETCH(bool, fichierPresent);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("sous/carnet.ini");
        if (fichierPresent) {
            QVERIFY(QDir().mkpath(dossier.filePath("sous")));
            EcritOctets(chemin, contenu);
        }
        const Reglages r(chemin);
        QCOMPARE(r.ReadString("Options", "CheminImagesPerso", "c:\\"), QString("c:\\"));
        QCOMPARE(r.ReadInteger("Police", "hauteur", -12), -12);
        QCOMPARE(r.ReadBool("Options", U("Aperçu"), true), true);
        QCOMPARE(r.ReadBool("Police", "gras", false), false);
        QCOMPARE(r.ReadString("DernierFichier", "Fichier", QString()), QString());
        QCOMPARE(QFile::exists(chemin), fichierPresent);
    }

    // What is written is read back unchanged by the next start, however odd.
    void allerRetour_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("cle");
        QTest::addColumn<QString>("valeur");
        QTest::newRow("virgules") << "Recherches"
                                  << "Expression1"
                                  << "Dupont, Martin, Paris";
        QTest::newRow("guillemets") << "Recherches"
                                    << "Expression2"
                                    << "\"cit\u00e9\" 'x'";
        QTest::newRow("lecteur") << "Options"
                                 << "CheminImagesPerso"
                                 << "c:\\";
        QTest::newRow("chemin windows") << "DernierFichier"
                                        << "Fichier"
                                        << "C:\\Mes documents\\a.REP";
        QTest::newRow("chemin unix") << "DernierFichier"
                                     << "Fichier"
                                     << "/home/x/a b/c.REP";
        QTest::newRow("espaces autour") << "Options" << U("Préfixe") << "  0,  ";
        QTest::newRow("arobase") << "Recherches2"
                                 << "Expression3"
                                 << "@martin";
        QTest::newRow("faux variant") << "Recherches2"
                                      << "Expression4"
                                      << "@Variant(\\0\\0)";
        QTest::newRow("faux tableau") << "Recherches2"
                                      << "Expression5"
                                      << "@ByteArray(x)";
        QTest::newRow("accents") << "Police"
                                 << "nom" << U("Érable àçèù œ €");
        QTest::newRow("CR LF") << "Recherches"
                               << "Expression6"
                               << "ligne 1\r\nligne 2\r\n";
        QTest::newRow("tabulation") << "Recherches"
                                    << "Expression7"
                                    << "a\tb";
        QTest::newRow("syntaxe ini") << "Recherches"
                                     << "Expression8"
                                     << "[x]=y;z #w";
        QTest::newRow("vide") << "Options" << U("Préfixe") << "";
        QTest::newRow("barres") << "Recherches"
                                << "Expression9"
                                << "a/b\\c//";
        QTest::newRow("section accentuee") << "Options de copie" << U("Clé") << "1";
        QTest::newRow("cle accentuee") << "Police" << U("souligné") << "0";
        QTest::newRow("section General") << "General"
                                         << "x"
                                         << "y";
    }
    void allerRetour()
    {
        QFETCH(QString, section);
        QFETCH(QString, cle);
        QFETCH(QString, valeur);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        {
            Reglages r(chemin);
            r.WriteString(section, cle, valeur);
            r.WriteString("Liste", "Couleur", "255");
            QVERIFY(r.Enregistre());
        }
        Relecture relu(chemin);
        const Reglages r(relu.Chemin());
        QCOMPARE(r.ReadString(section, cle, "?defaut?"), valeur);
        QCOMPARE(r.ReadInteger("Liste", "Couleur", 0), 255);
        // Nothing spilled into other sections or the file's top level.
        QCOMPARE(relu.Brut().childKeys(), QStringList());
        QCOMPARE(relu.Cles(section), QStringList{cle});
    }

    // Integers and flags are text in the store, readable by hand.
    void nombresEtDrapeaux()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        {
            Reglages r(chemin);
            r.WriteInteger("Police", "hauteur", -12);
            r.WriteInteger("MainW", "fichex", INT_MIN);
            r.WriteInteger("MainW", "fichey", INT_MAX);
            r.WriteInteger("Liste", "Couleur", 16777215);
            r.WriteBool("Police", "gras", true);
            r.WriteBool("Police", "italique", false);
            QVERIFY(r.Enregistre());
        }
        Relecture relu(chemin);
        const Reglages r(relu.Chemin());
        QCOMPARE(r.ReadString("Police", "hauteur", {}), QString("-12"));
        QCOMPARE(r.ReadString("Police", "gras", {}), QString("1"));
        QCOMPARE(r.ReadString("Police", "italique", {}), QString("0"));
        QCOMPARE(r.ReadInteger("Police", "hauteur", 0), -12);
        QCOMPARE(r.ReadInteger("MainW", "fichex", 0), INT_MIN);
        QCOMPARE(r.ReadInteger("MainW", "fichey", 0), INT_MAX);
        QCOMPARE(r.ReadInteger("Liste", "Couleur", 0), 16777215);
        QCOMPARE(r.ReadBool("Police", "gras", false), true);
        QCOMPARE(r.ReadBool("Police", "italique", true), false);
    }

    // A file edited by hand: what does not convert gives the reader's default.
    void valeursAbimees_data()
    {
        QTest::addColumn<QByteArray>("valeur");
        QTest::addColumn<int>("entier");    // read with default 42
        QTest::addColumn<bool>("drapeau");  // read with default true
        QTest::addColumn<QString>("texte"); // read with default "defaut"
        QTest::newRow("pas un nombre") << QByteArray("abc") << 42 << true << "abc";
        QTest::newRow("vide") << QByteArray("") << 42 << true << "";
        QTest::newRow("chiffres puis lettres") << QByteArray("12px") << 42 << true << "12px";
        QTest::newRow("decimal") << QByteArray("1.5") << 42 << true << "1.5";
        QTest::newRow("hexadecimal") << QByteArray("0x10") << 42 << true << "0x10";
        QTest::newRow("trop grand") << QByteArray("2147483648") << 42 << true << "2147483648";
        QTest::newRow("trop petit") << QByteArray("-2147483649") << 42 << true << "-2147483649";
        QTest::newRow("enorme") << QByteArray("99999999999999999999999") << 42 << true
                                << "99999999999999999999999";
        QTest::newRow("liste") << QByteArray("a, b") << 42 << true << "defaut";
        QTest::newRow("liste de nombres") << QByteArray("1, 2") << 42 << true << "defaut";
        QTest::newRow("rectangle") << QByteArray("@Rect(1 2 3 4)") << 42 << true << "defaut";
        QTest::newRow("octets") << QByteArray("@ByteArray(7)") << 42 << true << "defaut";
        QTest::newRow("drapeau texte") << QByteArray("true") << 42 << true << "true";
        QTest::newRow("entier entoure") << QByteArray("\" 7 \"") << 7 << true << " 7 ";
        QTest::newRow("signe plus") << QByteArray("+5") << 5 << true << "+5";
        QTest::newRow("zero") << QByteArray("0") << 0 << false << "0";
        QTest::newRow("moins un") << QByteArray("-1") << -1 << true << "-1";
        QTest::newRow("deux") << QByteArray("2") << 2 << true << "2";
    }
    void valeursAbimees()
    {
        QFETCH(QByteArray, valeur);
        QFETCH(int, entier);
        QFETCH(bool, drapeau);
        QFETCH(QString, texte);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        EcritOctets(chemin, "[Options]\nv=" + valeur + "\n");
        const Reglages r(chemin);
        QCOMPARE(r.ReadInteger("Options", "v", 42), entier);
        QCOMPARE(r.ReadBool("Options", "v", true), drapeau);
        QCOMPARE(r.ReadString("Options", "v", "defaut"), texte);
        // A flag whose default is false reads false from anything that is not a number.
        if (entier == 42) QCOMPARE(r.ReadBool("Options", "v", false), false);
    }

    // Names typed by hand in UTF-8, unescaped, are the program's names.
    void nomsEcritsALaMain()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        EcritOctets(chemin, "[Options de copie]\r\nCl\xc3\xa9=1\r\n"
                            "[Police]\r\nsoulign\xc3\xa9=1\r\nbarr\xc3\xa9=0\r\n"
                            "[Options]\r\nM\xc3\xa9thode=0\r\nPr\xc3\xa9\x66ixe = 0, \r\n");
        const Reglages r(chemin);
        QCOMPARE(r.ReadBool("Options de copie", U("Clé"), false), true);
        QCOMPARE(r.ReadBool("Police", U("souligné"), false), true);
        QCOMPARE(r.ReadBool("Police", U("barré"), true), false);
        QCOMPARE(r.ReadInteger("Options", U("Méthode"), 1), 0);
        // Unquoted "0," is a list to Qt: the default, not a cut prefix.
        QCOMPARE(r.ReadString("Options", U("Préfixe"), "-"), QString("-"));
    }

    void clearSection()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        EcritOctets(chemin, "[Options]\nCheminImagesPerso=/tmp\nLastRow=3\n"
                            "[Options%20de%20copie]\nNom=1\n"
                            "[Options de recherche]\nNom=0\n"
                            "[%General]\nk=1\n"
                            "[General]\nracine=1\n");
        {
            Reglages r(chemin);
            r.ClearSection("Options");
            r.ClearSection("Absente");
            r.WriteInteger("Options", "LastRow", 5);
            QVERIFY(r.Enregistre());
        }
        Relecture relu(chemin);
        QCOMPARE(relu.Cles("Options"), QStringList{"LastRow"});
        QCOMPARE(relu.Cles("Options de copie"), QStringList{"Nom"});
        QCOMPARE(relu.Cles("Options de recherche"), QStringList{"Nom"});
        QCOMPARE(relu.Cles("General"), QStringList{"k"});
        QCOMPARE(relu.Brut().childKeys(), QStringList{"racine"});
        {
            Reglages r(relu.Chemin());
            r.ClearSection("General");
            QVERIFY(r.Enregistre());
        }
        Relecture relu2(relu.Chemin());
        QCOMPARE(relu2.Cles("General"), QStringList());
        QCOMPARE(relu2.Brut().childKeys(), QStringList{"racine"});
        QCOMPARE(relu2.Cles("Options"), QStringList{"LastRow"});
    }

    // A damaged file is read as far as it goes and replaced by a clean one at the next
    // write; it is not a failure of the store.
    void fichierAbime()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        static const char brut[] = "sans signe egal\n[Police\ntaille=12\n\x00\xff\xfe[Liste]\n"
                                   "Couleur=255\n";
        EcritOctets(chemin, QByteArray(brut, sizeof(brut) - 1));
        Reglages r(chemin);
        r.WriteInteger("MainW", "fichex", 10);
        QString raison;
        QVERIFY2(r.Enregistre(&raison), qPrintable(raison));
        QVERIFY(raison.isEmpty());
        Relecture relu(chemin);
        QCOMPARE(Reglages(relu.Chemin()).ReadInteger("MainW", "fichex", 0), 10);
    }

    // A store that cannot be written is a failure told in French, and the previous
    // file is left as it was.
    void echecs_data()
    {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QString>("motif");
        QTest::newRow("dossier en lecture seule") << "dossierRO" << U("Permission refusée");
        QTest::newRow("sous-dossier impossible") << "sousDossierRO" << U("ne peut pas être créé");
        QTest::newRow("fichier en lecture seule") << "fichierRO" << U("Permission refusée");
        QTest::newRow("fichier abime, dossier en lecture seule")
            << "abimeDossierRO" << U("Permission refusée");
        QTest::newRow("un fichier au lieu du dossier") << "parentFichier" << U("pas un dossier");
        QTest::newRow("un dossier au lieu du fichier") << "cheminDossier" << U("c'est un dossier");
    }
    void echecs()
    {
        QFETCH(QString, cas);
        QFETCH(QString, motif);
        QTemporaryDir racine;
        const QString d = racine.filePath("d");
        QVERIFY(QDir().mkpath(d));
        QString chemin = d + "/carnet.ini";
        QByteArray ancien = "[Liste]\nCouleur=255\n";
        if (cas == "abimeDossierRO") ancien = "pas de section\n[Liste\nCouleur=255\n";
        if (cas == "sousDossierRO")
            chemin = d + "/config/carnet.ini";
        else if (cas == "parentFichier")
            chemin = d + "/carnet.ini/carnet.ini";
        if (cas == "cheminDossier")
            QVERIFY(QDir().mkpath(chemin));
        else
            EcritOctets(d + "/carnet.ini", ancien);
        if (cas == "fichierRO")
            QVERIFY(QFile::setPermissions(d + "/carnet.ini", QFile::ReadOwner | QFile::ReadUser));
        if (cas.endsWith("DossierRO", Qt::CaseInsensitive))
            QVERIFY(QFile::setPermissions(d, QFile::ReadOwner | QFile::ExeOwner));

        SansPasseDroits sansDroits;
        if (!sansDroits.Efficace()) QSKIP("permissions do not apply to this user");
        bool reussi = true;
        QString raison;
        {
            Reglages r(chemin);
            r.WriteInteger("Liste", "Couleur", 0);
            r.WriteString("DernierFichier", "Fichier", "/x.REP");
            reussi = r.Enregistre(&raison);
        }
        QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!reussi);
        QVERIFY2(raison.startsWith(U("Impossible d'enregistrer les réglages dans « ")),
                 qPrintable(raison));
        QVERIFY2(raison.contains(QDir::toNativeSeparators(chemin)), qPrintable(raison));
        QVERIFY2(raison.contains(motif), qPrintable(raison));
        if (cas != "cheminDossier") QCOMPARE(LitOctets(d + "/carnet.ini"), ancien);
    }
};

CARNET_TEST(TestReglages)
#include "TestReglages.moc"
