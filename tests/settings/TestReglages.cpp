#include "OutilsFichiers.h"
#include "Registre.h"
#include "settings/EcritureReglages.h"
#include "settings/Reglages.h"
#include "settings/ReglagesFiche.h"

#include <QDir>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <climits>
#include <sys/stat.h>
#include <vector>

using Etape = EcritureReglages::Etape;

using namespace OutilsFichiers;

namespace
{

// What the next start would read. QSettings caches parsed files by name inside a process,
// so a store opened again on the same name would not parse the file: a copy is read instead.
QString Relu(const QString& chemin)
{
    static int n = 0;
    const QString copie = chemin + ".relu" + QString::number(++n);
    return QFile::copy(chemin, copie) ? copie : QString();
}

// The keys of a section as they stand in the file, sorted; "" for the file's top level.
QStringList Cles(const QString& chemin, const QString& section)
{
    QSettings brut(chemin, QSettings::IniFormat);
    brut.beginGroup(section);
    QStringList cles = brut.childKeys();
    cles.sort();
    return cles;
}

struct EtapeAttendue {
    Etape etape;
    QString section;
    QStringList cles; // a sample of what the step's window writes
};

// The order of the close and the section each step writes into.
const std::vector<EtapeAttendue> Fermeture = {
    {Etape::MainW, "MainW", {"fichex", "Maxi"}},
    {Etape::OptionsMailing, "Options", {"Cadre", "Adresse"}},
    {Etape::DernierFormat, "Dernier format", {"Format"}},
    {Etape::Police, "Police", {"nom", "souligné"}},
    {Etape::DernierFichier, "DernierFichier", {"Fichier"}},
    {Etape::Colonnes, "Colonnes", {"Col0", "Col45"}},
    {Etape::OptionsCopie, "Options de copie", {"Civilité", "Clé"}},
    {Etape::OptionsTri, "Options", {"Trier en enregistrant", "LastRow"}},
    {Etape::Liste, "Liste", {"Couleur"}},
    {Etape::OptionsModem, "Options", {"Modem", "Méthode", "Préfixe"}},
    {Etape::OptionsRecherche, "Options de recherche", {"Civil", "Nom"}},
    {Etape::Recherches, "Recherches", {"Expression1", "Expression100"}},
    {Etape::Recherches2, "Recherches2", {"Expression1", "Expression100"}},
    {Etape::Apercu, "Options", {"Aperçu"}},
};
const QStringList Sections = QString("MainW|Options|Dernier format|Police|DernierFichier|Colonnes|"
                                     "Options de copie|Liste|Options de recherche|Recherches|"
                                     "Recherches2")
                                 .split('|');

// Odd but valid, appended to every value the close writes, to see them kept intact.
const QString Bizarre = ", é \"x\" c:\\";

// A store as a previous run and a hand edit left it: a stray key in every section.
QByteArray StoreExistant()
{
    QByteArray b = "[Options]\nCheminImagesPerso=/photos\n[Autre]\nk=v\n";
    for (const QString& s : Sections)
        b += "[" + s.toUtf8() + "]\nExtra=x\n";
    return b;
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
        QTest::newRow("windows") << QString("C:\\prog\\X.EXE") << QString("X.ini");
        QTest::newRow("point dans le dossier")
            << QString("C:\\v1.2\\carnet") << QString("carnet.ini");
        QTest::newRow("lecteur seul") << QString("D:carnet.exe") << QString("carnet.ini");
        QTest::newRow("deux points") << QString("/opt/carnet.tar.gz") << QString("carnet.tar.ini");
        QTest::newRow("chemin vide") << QString() << QString("carnet.ini");
    }
    void nomReglages()
    {
        QFETCH(QString, programme);
        QFETCH(QString, attendu);
        QCOMPARE(Reglages::NomReglages(programme), attendu);
    }

    // First start, or a damaged file: the readers' defaults, and the next write makes a
    // clean store (in a folder created for it if need be).
    void defauts_data()
    {
        static const char abime[] = "sans signe egal\n[Police\ntaille=12\n\x00\xff\xfe[Liste]\n";
        QTest::addColumn<QByteArray>("contenu");
        QTest::newRow("pas de fichier") << QByteArray();
        QTest::newRow("autre section") << QByteArray("[MainW]\nfichex=12\n");
        QTest::newRow("fichier abime") << QByteArray(abime, sizeof(abime) - 1);
    }
    void defauts()
    {
        QFETCH(QByteArray, contenu);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("sous/carnet.ini");
        if (!contenu.isNull()) {
            QVERIFY(QDir().mkpath(dossier.filePath("sous")));
            EcritOctets(chemin, contenu);
        }
        Reglages r(chemin);
        QCOMPARE(r.ReadString("Options", "CheminImagesPerso", "c:\\"), QString("c:\\"));
        QCOMPARE(r.ReadInteger("Police", "hauteur", -12), -12);
        QCOMPARE(r.ReadBool("Options", "Aperçu", true), true);
        QCOMPARE(r.ReadBool("Police", "gras", false), false);
        QCOMPARE(QFile::exists(chemin), !contenu.isNull());
        r.WriteInteger("MainW", "fichex", 10);
        QVERIFY(r.Enregistre());
        QCOMPARE(Reglages(Relu(chemin)).ReadInteger("MainW", "fichex", 0), 10);
    }

    // What is written is read back unchanged by the next start, however odd, and lands
    // in its own section only.
    void allerRetour_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("cle");
        QTest::addColumn<QString>("valeur");
        auto ligne = [](const char* nom, const QString& section, const QString& cle,
                        const QString& valeur) { QTest::newRow(nom) << section << cle << valeur; };
        ligne("virgules", "Recherches", "Expression1", "Dupont, Martin, Paris");
        ligne("guillemets", "Recherches", "Expression2", "\"cité\" 'x'");
        ligne("lecteur", "Options", "CheminImagesPerso", "c:\\");
        ligne("espaces en tete", "Options", "Préfixe", "  0,  ");
        ligne("arobase", "Recherches2", "Expression3", "@martin");
        ligne("faux variant", "Recherches2", "Expression4", "@Variant(\\0\\0)");
        ligne("accents", "Police", "nom", "Érable àçèù œ €");
        ligne("CR LF", "Recherches", "Expression6", "ligne 1\r\nligne 2\r\n");
        ligne("section et cle accentuees", "Options de copie", "Clé", "[x]=y;z #w");
        ligne("section General", "General", "x", "");
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
            r.WriteInteger("MainW", "fichex", INT_MIN);
            r.WriteBool("MainW", "Maxi", true);
            QVERIFY(r.Enregistre());
        }
        const QString relu = Relu(chemin);
        const Reglages r(relu);
        QCOMPARE(r.ReadString(section, cle, "?defaut?"), valeur);
        QCOMPARE(r.ReadInteger("MainW", "fichex", 0), INT_MIN);
        QCOMPARE(r.ReadString("MainW", "Maxi", {}), QString("1")); // editable by hand
        QCOMPARE(Cles(relu, ""), QStringList());
        QCOMPARE(Cles(relu, section), QStringList{cle});
    }

    // A file edited by hand (names typed in UTF-8): what does not convert gives the
    // reader's default, and any non-zero integer is a set flag.
    void valeursAbimees_data()
    {
        QTest::addColumn<QByteArray>("valeur");
        QTest::addColumn<int>("entier");    // read with default 42
        QTest::addColumn<bool>("drapeau");  // read with default true
        QTest::addColumn<QString>("texte"); // read with default "defaut"
        QTest::newRow("pas un nombre") << QByteArray("12px") << 42 << true << "12px";
        QTest::newRow("vide") << QByteArray("") << 42 << true << "";
        QTest::newRow("trop grand") << QByteArray("2147483648") << 42 << true << "2147483648";
        QTest::newRow("liste") << QByteArray("0, ") << 42 << true << "defaut";
        QTest::newRow("rectangle") << QByteArray("@Rect(1 2 3 4)") << 42 << true << "defaut";
        QTest::newRow("entier entoure") << QByteArray("\" 7 \"") << 7 << true << " 7 ";
        QTest::newRow("zero") << QByteArray("0") << 0 << false << "0";
        QTest::newRow("moins un") << QByteArray("-1") << -1 << true << "-1";
        // Decimal only, as the other copies of the program write them.
        QTest::newRow("zéro devant") << QByteArray("010") << 10 << true << "010";
        QTest::newRow("hexadécimal") << QByteArray("0x20") << 42 << true << "0x20";
    }
    void valeursAbimees()
    {
        QFETCH(QByteArray, valeur);
        QFETCH(int, entier);
        QFETCH(bool, drapeau);
        QFETCH(QString, texte);
        QTemporaryDir dossier;
        EcritOctets(dossier.filePath("carnet.ini"),
                    "[Options de copie]\r\nPr\xc3\xa9" + ("fixe = " + valeur) + "\r\n");
        const Reglages r(dossier.filePath("carnet.ini"));
        const QString section = "Options de copie", cle = "Préfixe";
        QCOMPARE(r.ReadInteger(section, cle, 42), entier);
        QCOMPARE(r.ReadBool(section, cle, true), drapeau);
        QCOMPARE(r.ReadString(section, cle, "defaut"), texte);
        if (entier == 42) QCOMPARE(r.ReadBool(section, cle, false), false);
    }

    // The close: steps run in their fixed order whatever the order windows registered in.
    // Each section is cleared once, just before its first step, contributed to or not;
    // "Liste" never.
    void fermeture_data()
    {
        QTest::addColumn<bool>("toutes");
        QTest::newRow("toutes les fenetres") << true;
        QTest::newRow("fenetres absentes") << false;
    }
    void fermeture()
    {
        QFETCH(bool, toutes);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        EcritOctets(chemin, StoreExistant());
        const QList<Etape> presentes = {Etape::OptionsTri, Etape::Liste, Etape::Apercu};
        QList<int> journal, ordre;
        QMap<QString, QStringList> ecrites{{"Liste", {"Extra"}}};
        EcritureReglages ecriture;
        // Registered backwards, each over a contribution it must replace or that is withdrawn.
        for (int i = int(Fermeture.size()) - 1; i >= 0; --i) {
            ecriture.Contribue(Fermeture[i].etape, [](Reglages&) { QFAIL("remplacée"); });
            if (!toutes && !presentes.contains(Fermeture[i].etape)) {
                ecriture.Retire(Fermeture[i].etape);
                continue;
            }
            ordre.prepend(i);
            ecrites[Fermeture[i].section] << Fermeture[i].cles;
            ecriture.Contribue(Fermeture[i].etape, [&, i](Reglages& r) {
                journal << i;
                for (const QString& s : Sections) {
                    const bool commencee =
                        std::any_of(Fermeture.begin(), Fermeture.begin() + i + 1,
                                    [&s](const EtapeAttendue& e) { return e.section == s; });
                    const bool gardee = r.ReadString(s, "Extra", {}) == "x";
                    QVERIFY2(gardee == (s == "Liste" || !commencee), qPrintable(s));
                }
                for (const QString& cle : Fermeture[i].cles)
                    r.WriteString(Fermeture[i].section, cle, cle + Bizarre);
            });
        }
        Reglages reglages(chemin);
        QVERIFY(ecriture.Execute(reglages));
        QCOMPARE(journal, ordre);
        // Each section holds exactly what its steps wrote ("Options": the keys of its four
        // steps, CheminImagesPerso gone), in the next start's eyes.
        const QString relu = Relu(chemin);
        const Reglages r(relu);
        for (const QString& s : Sections) {
            QStringList attendues = ecrites.value(s);
            attendues.sort();
            QCOMPARE(Cles(relu, s), attendues);
            for (const QString& cle : ecrites.value(s))
                if (cle != "Extra") QCOMPARE(r.ReadString(s, cle, {}), cle + Bizarre);
        }
        QCOMPARE(Cles(relu, "Autre"), QStringList{"k"});
    }

    // The close cannot write: false with the reason in French, and the file in the way
    // (a file where the store's folder should be, which stops root too) is intact.
    // What the main window reads: the list page's position falls back to the record
    // page's, each value on its own; a system colour (negative) is no grid colour.
    void fenetrePrincipale_data()
    {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QRect>("liste");
        QTest::addColumn<QColor>("couleur");
        QTest::addColumn<int>("lastRow");
        QTest::newRow("rien") << QByteArray() << QRect(10, 20, 640, 480) << QColor(Qt::white) << 1;
        QTest::newRow("liste en partie")
            << QByteArray("[MainW]\nfichex=100\nfichey=200\nlistex=300\nlisteh=333\n")
            << QRect(300, 200, 640, 333) << QColor(Qt::white) << 1;
        QTest::newRow("couleur système") << QByteArray("[Liste]\nCouleur=-2147483643\n")
                                         << QRect(10, 20, 640, 480) << QColor(Qt::white) << 1;
        QTest::newRow("couleur rouge et ligne 010")
            << QByteArray("[Liste]\nCouleur=255\n[Options]\nLastRow=010\n")
            << QRect(10, 20, 640, 480) << QColor(255, 0, 0) << 10;
        QTest::newRow("couleur hors bornes") << QByteArray("[Liste]\nCouleur=16777216\n")
                                             << QRect(10, 20, 640, 480) << QColor(Qt::white) << 1;
    }
    void fenetrePrincipale()
    {
        QFETCH(QByteArray, contenu);
        QFETCH(QRect, liste);
        QFETCH(QColor, couleur);
        QFETCH(int, lastRow);
        QTemporaryDir dossier;
        EcritOctets(dossier.filePath("carnet.ini"), contenu);
        EtatFenetre defaut;
        defaut.positionFiche = QPoint(10, 20);
        defaut.rectListe = QRect(1, 2, 640, 480);
        const EtatFenetre e = ReglagesFiche::Lit(Reglages(dossier.filePath("carnet.ini")), defaut);
        QCOMPARE(e.rectListe, liste);
        QCOMPARE(e.couleurGrille, couleur);
        QCOMPARE(e.lastRow, lastRow);
    }

    // A settings file that is not a regular file, or is far too large, is not read
    // (a named pipe would hold the start for good); the defaults apply and the close
    // says it cannot write there, leaving the file as it is.
    void fichierDeReglagesRefuse()
    {
        QTemporaryDir dossier;
        const QString tube = dossier.filePath("tube.ini");
        QCOMPARE(mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
        Reglages r(tube);
        QVERIFY(r.Refus().contains(QString::fromUtf8("pas un fichier ordinaire")));
        QCOMPARE(r.ReadInteger("Options", "LastRow", 1), 1);
        r.WriteInteger("Options", "LastRow", 5);
        QString raison;
        QVERIFY(!r.Enregistre(&raison));
        QVERIFY2(raison.contains(tube) && raison.contains("pas un fichier ordinaire"),
                 qPrintable(raison));
        QVERIFY(QFileInfo(tube).exists() && !QFileInfo(tube).isFile());

        const QString enorme = dossier.filePath("enorme.ini");
        EcritOctets(enorme, "[Options]\nLastRow=3\n");
        QVERIFY(QFile::resize(enorme, Reglages::TailleMax + 300000));
        const Reglages gros(enorme);
        // Both sizes told apart, not rounded to the same number.
        QVERIFY2(gros.Refus().contains(QString::fromUtf8("16,3 Mo, plus que les 16,0 Mo admis")),
                 qPrintable(gros.Refus()));
        QCOMPARE(gros.ReadInteger("Options", "LastRow", 1), 1);
    }

    // A file full of binary garbage is read as well as it can be, and the close that
    // rewrites it reports success.
    void fichierDeReglagesAbime()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        QByteArray dechets;
        quint32 graine = 12345;
        for (int i = 0; i < 65536; ++i) {
            graine = graine * 1103515245u + 12345u;
            dechets.append(char(graine >> 24));
        }
        EcritOctets(chemin, dechets + "\n[Options]\nLastRow=4\n");
        EcritureReglages ecriture;
        ecriture.Contribue(Etape::OptionsTri, [](Reglages& r) {
            r.WriteInteger("Options", "LastRow", 7);
            r.WriteBool("Options", "Trier en enregistrant", true);
        });
        Reglages reglages(chemin);
        QString raison;
        QVERIFY2(ecriture.Execute(reglages, &raison), qPrintable(raison));
        const Reglages relu(Relu(chemin));
        QCOMPARE(relu.ReadInteger("Options", "LastRow", 1), 7);
        QCOMPARE(relu.ReadBool("Options", "Trier en enregistrant", false), true);
    }

    void echec()
    {
        QTemporaryDir dossier;
        const QString ancien = dossier.filePath("carnet.ini");
        EcritOctets(ancien, StoreExistant());
        const QString chemin = ancien + "/carnet.ini";
        EcritureReglages ecriture;
        ecriture.Contribue(Etape::Liste,
                           [](Reglages& r) { r.WriteString("Liste", "Couleur", "0"); });
        Reglages reglages(chemin);
        QString raison;
        QVERIFY(!ecriture.Execute(reglages, &raison));
        const QString attendue =
            "Impossible d'enregistrer les réglages dans « %1 » : « %2 » n'est pas un dossier.";
        QCOMPARE(raison, attendue.arg(chemin, ancien));
        QFile f(ancien);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), StoreExistant());
    }
};

CARNET_TEST(TestReglages)
#include "TestReglages.moc"
