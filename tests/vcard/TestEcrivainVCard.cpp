#include "OutilsVCard.h"
#include "Registre.h"

#include "vcard/CodageVCard.h"
#include "vcard/CorrespondanceVCard.h"
#include "vcard/EcrivainVCard.h"

#include <QTest>
#include <random>

using namespace OutilsVCard;

namespace
{

struct Fiche {
    std::array<std::string, NbColonnes> champs;
    EcrivainVCard::Champs Vues() const
    {
        EcrivainVCard::Champs v;
        for (size_t c = 0; c < champs.size(); ++c)
            v[c] = champs[c];
        return v;
    }
};

std::string Ecrit(const Fiche& f, VersionVCard version, const std::string* image = nullptr)
{
    std::string s;
    EcrivainVCard::AjouteCarte(s, f.Vues(), version, image);
    return s;
}

// Values that make mistakes visible: separators and escapes of the format, line
// breaks, the code page's own characters and its undefined bytes, blanks at the
// ends, web and e-mail addresses, long texts that must be folded.
std::string Valeur(std::mt19937& alea, bool ligneSeule)
{
    static const char* const morceaux[] = {"Dupont",
                                           "a;b",
                                           "c,d",
                                           "e\\f",
                                           "\\n",
                                           "\\,",
                                           "\xE9t\xE9",
                                           "\x80 \x9C\x9F",
                                           "\x81\x8D\x8F\x90\x9D",
                                           " x ",
                                           "www.exemple.fr",
                                           "http://a.fr/?q=1;2",
                                           "zo\xE9@exemple.fr",
                                           ":",
                                           "\"",
                                           "=",
                                           "=0D=0A",
                                           "\t",
                                           "END:VCARD",
                                           "BEGIN:VCARD",
                                           "tel:01",
                                           "QUOTED-PRINTABLE",
                                           "\xAB \xBB",
                                           "  "};
    std::string v;
    const int n = static_cast<int>(alea() % 4);
    for (int i = 0; i < n; ++i) {
        if (!v.empty() && !ligneSeule && alea() % 4 == 0) v += "\r\n";
        v += morceaux[alea() % (sizeof(morceaux) / sizeof(morceaux[0]))];
    }
    if (alea() % 10 == 0) {
        // Past a line's 75 octets, accented letters across the folds.
        for (int i = 0; i < 40; ++i)
            v += i % 3 ? "\xE9" : "ab";
    }
    return v;
}

Fiche FicheAuHasard(std::mt19937& alea)
{
    Fiche f;
    for (int c = 0; c < NbColonnes; ++c) {
        if (alea() % 3 == 0) continue; // empty, and so gaps in numbered fields
        // The first line of a street holds no line break (its second line follows one).
        const bool ligneSeule = c == Adresse1 || c == SAdresse1;
        f.champs[static_cast<size_t>(c)] = Valeur(alea, ligneSeule);
    }
    return f;
}

} // namespace

class TestEcrivainVCard : public QObject
{
    Q_OBJECT

private slots:
    // A card written byte for byte, worked out by hand from the mapping: empty
    // fields left out, an address whose first line is empty, Tél 2 without Tél 1
    // saying its place, a web address as URL, escapes, the photo and its name.
    void Octets_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QByteArray>("attendu");
        const QByteArray debut = "BEGIN:VCARD\r\nVERSION:%V\r\n"
                                 "N:Lef\xC3\xA8vre;Zo\xC3\xA9;;Mme;\r\n"
                                 "FN:Mme Zo\xC3\xA9 Lef\xC3\xA8vre\r\n"
                                 "ADR;TYPE=home:;;\\nB\xC3\xA2t. B;Paris;;75001;\r\n"
                                 "ORG:A\\;B\r\n"
                                 "TEL;TYPE=home,voice;X-CARNET-RANG=2:01 02\r\n"
                                 "URL;TYPE=home:www.zoe.fr\r\n"
                                 "EMAIL;TYPE=home:zoe@x.fr\r\n"
                                 "NOTE:l1\\nl2\\; a\\,b\\\\\r\n"
                                 "TEL;TYPE=work,fax:09\r\n"
                                 "X-CARNET-BANQUE:Cr\xC3\xA9"
                                 "dit \xE2\x82\xAC\r\n";
        QTest::newRow("3.0") << 3
                             << QByteArray(debut).replace("%V", "3.0") +
                                    "PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgp4eXo=\r\n"
                                    "X-CARNET-PHOTO:z.png\r\nEND:VCARD\r\n";
        QTest::newRow("4.0") << 4
                             << QByteArray(debut).replace("%V", "4.0") +
                                    "PHOTO:data:image/png;base64,iVBORw0KGgp4eXo=\r\n"
                                    "X-CARNET-PHOTO:z.png\r\nEND:VCARD\r\n";
    }
    void Octets()
    {
        QFETCH(int, version);
        QFETCH(QByteArray, attendu);
        Fiche f;
        f.champs[Nom] = "Lef\xE8vre";
        f.champs[Prenom] = "Zo\xE9";
        f.champs[Civil] = "Mme";
        f.champs[Adresse2] = "B\xE2t. B";
        f.champs[CP] = "75001";
        f.champs[Ville] = "Paris";
        f.champs[Tel2] = "01 02";
        f.champs[Internet] = "www.zoe.fr";
        f.champs[Internet2] = "zoe@x.fr";
        f.champs[Notes] = "l1\r\nl2; a,b\\";
        f.champs[Societe] = "A;B";
        f.champs[SFax] = "09";
        f.champs[Banque] = "Cr\xE9"
                           "dit \x80";
        f.champs[Photo] = "z.png";
        const std::string image("\x89PNG\r\n\x1A\nxyz", 11);
        const std::string ecrit =
            Ecrit(f, version == 4 ? VersionVCard::V40 : VersionVCard::V30, &image);
        QCOMPARE(QByteArray::fromStdString(ecrit), attendu);
        // Without its picture, the card still names the photo's file.
        QVERIFY(Ecrit(f, VersionVCard::V30).find("PHOTO;") == std::string::npos);
        QVERIFY(Ecrit(f, VersionVCard::V30).find("X-CARNET-PHOTO:z.png\r\n") != std::string::npos);
    }

    // FN: "Civil Prenom Nom" without the empty ones, else the company, else the
    // first e-mail (not a web address), else "Sans nom".
    void NomAffiche_data()
    {
        QTest::addColumn<QStringList>("champs");
        QTest::addColumn<QString>("fn");
        QTest::newRow("all three")
            << QStringList{"Nom=Zola", "Prenom=Emile", "Civil=M."} << "M. Emile Zola";
        QTest::newRow("first name only") << QStringList{"Prenom=Emile", "Societe=S"} << "Emile";
        QTest::newRow("blanks trimmed") << QStringList{"Nom= Zola ", "Civil=  "} << "Zola";
        QTest::newRow("the company") << QStringList{"Societe=ACME", "Internet=a@b.fr"} << "ACME";
        QTest::newRow("the first e-mail, web addresses passed")
            << QStringList{"Internet=www.a.fr", "Internet3=HTTP://b", "SInternet2=c@d.fr",
                           "BInternet=e@f.fr"}
            << "c@d.fr";
        QTest::newRow("the bank's e-mail last") << QStringList{"BInternet=e@f.fr"} << "e@f.fr";
        QTest::newRow("nothing") << QStringList{"Tel=01", "Internet=www.x.fr"} << "Sans nom";
    }
    void NomAffiche()
    {
        QFETCH(QStringList, champs);
        QFETCH(QString, fn);
        Fiche f;
        for (const QString& c : champs) {
            const int champ = Champs::ColonneDeCle(c.section('=', 0, 0).toLatin1().constData());
            QVERIFY(champ >= 0);
            f.champs[static_cast<size_t>(champ)] = c.section('=', 1).toStdString();
        }
        QCOMPARE(QString::fromStdString(CorrespondanceVCard::NomAffiche(f.Vues())), fn);
        QVERIFY(Ecrit(f, VersionVCard::V30).find("\r\nFN:" + fn.toStdString() + "\r\n") !=
                std::string::npos);
    }

    // Lines past 75 octets are folded: no physical line longer, none cutting a
    // UTF-8 sequence, each continuation starting with one blank, and the unfolded
    // line what was meant.
    void Pliage()
    {
        for (size_t longueur : {74u, 75u, 76u, 149u, 150u, 151u, 1000u}) {
            for (int decalage = 0; decalage < 3; ++decalage) {
                Fiche f;
                std::string note(static_cast<size_t>(decalage), 'x');
                while (note.size() < longueur)
                    note += "\xE9\x80";
                f.champs[Notes] = note;
                const std::string carte = Ecrit(f, VersionVCard::V40);
                std::string depliee;
                size_t debut = 0;
                while (debut < carte.size()) {
                    const size_t fin = carte.find("\r\n", debut);
                    QVERIFY(fin != std::string::npos);
                    const std::string ligne = carte.substr(debut, fin - debut);
                    QVERIFY2(ligne.size() <= 75, ligne.c_str());
                    QVERIFY2(CodageVCard::Utf8Valide(ligne), ligne.c_str());
                    if (ligne.rfind(' ', 0) == 0) {
                        QVERIFY(ligne.size() > 1);
                        depliee += ligne.substr(1);
                    } else {
                        depliee += "\n" + ligne;
                    }
                    debut = fin + 2;
                }
                std::string attendu = "\nNOTE:";
                CodageVCard::AjouteUtf8(attendu, note);
                QVERIFY(depliee.find(attendu + "\n") != std::string::npos);
            }
        }
    }

    // Every field back byte for byte, written as 3.0 and as 4.0 and read again,
    // for records of random contents; line breaks of any kind come back as CR LF.
    void AllerRetour()
    {
        std::mt19937 alea(20261207);
        for (int essai = 0; essai < 3000; ++essai) {
            const Fiche f = FicheAuHasard(alea);
            for (VersionVCard version : {VersionVCard::V30, VersionVCard::V40}) {
                const std::string carte = Ecrit(f, version);
                const OutilsVCard::Lecture l = Lit(carte);
                QCOMPARE(l.fiches.size(), size_t(1));
                for (int c = 0; c < NbColonnes; ++c)
                    QVERIFY2(
                        l.fiches[0].champs[static_cast<size_t>(c)] ==
                            f.champs[static_cast<size_t>(c)],
                        qPrintable(QStringLiteral("%1 : %2 au lieu de %3\n%4")
                                       .arg(QString::fromLatin1(Champs::Info(c).cle),
                                            Visible(l.fiches[0].champs[static_cast<size_t>(c)]),
                                            Visible(f.champs[static_cast<size_t>(c)]),
                                            QString::fromStdString(carte))));
                QCOMPARE(l.bilan.remplaces, size_t(0));
            }
        }
        // Lone CR and LF are line breaks too.
        Fiche f;
        f.champs[Notes] = "a\rb\nc\r\n";
        QCOMPARE(Visible(Lit(Ecrit(f, VersionVCard::V30)).fiches[0].champs[Notes]),
                 QStringLiteral("a\\r\\nb\\r\\nc\\r\\n"));
    }

    // A picture comes back with the same bytes, in both versions.
    void ImageAllerRetour()
    {
        std::string image(300000, '\0');
        std::mt19937 alea(3);
        for (char& o : image)
            o = static_cast<char>(alea());
        image.replace(0, 3, "\xFF\xD8\xFF");
        Fiche f;
        f.champs[Nom] = "Zola";
        f.champs[Photo] = "portrait de Zola.jpeg";
        for (VersionVCard version : {VersionVCard::V30, VersionVCard::V40}) {
            const std::string carte = Ecrit(f, version, &image);
            QVERIFY(carte.find(version == VersionVCard::V40
                                   ? "PHOTO:data:image/jpeg;base64,"
                                   : "PHOTO;ENCODING=b;TYPE=JPEG:") != std::string::npos);
            const OutilsVCard::Lecture l = Lit(carte);
            QVERIFY(l.images[0] == image);
            QCOMPARE(Visible(l.fiches[0].champs[Photo]), QStringLiteral("portrait de Zola.jpeg"));
        }
    }
};

CARNET_TEST(TestEcrivainVCard)
#include "TestEcrivainVCard.moc"
