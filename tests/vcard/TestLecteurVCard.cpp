#include "OutilsVCard.h"
#include "Registre.h"

#include "vcard/CodageVCard.h"
#include "vcard/LecteurVCard.h"

#include <QImage>
#include <QTest>
#include <random>

using namespace OutilsVCard;

namespace
{
QString Fixture(const char* nom)
{
    return QStringLiteral(CARNET_FIXTURES "/") + QString::fromLatin1(nom);
}

std::string Carte(const std::string& lignes, const char* version = "3.0")
{
    return "BEGIN:VCARD\r\nVERSION:" + std::string(version) + "\r\n" + lignes + "END:VCARD\r\n";
}
} // namespace

class TestLecteurVCard : public QObject
{
    Q_OBJECT

private slots:
    // Each case names the edge it covers; the fields are written by hand from the
    // formats' rules.
    void Lecture_data()
    {
        QTest::addColumn<QByteArray>("fichier");
        QTest::addColumn<QStringList>("fiches");
        const auto C = [](const std::string& lignes, const char* v = "3.0") {
            return QByteArray::fromStdString(Carte(lignes, v));
        };
        QTest::newRow("3.0, CR LF")
            << C("N:Dupont;Jean;;M.;\r\nFN:M. Jean Dupont\r\n")
            << QStringList{"Nom=Dupont | Prenom=Jean | Civil=M. | [FN]=M. Jean Dupont"};
        QTest::newRow("LF, last line without its end")
            << QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:Dupont;Jean\nEND:VCARD")
            << QStringList{"Nom=Dupont | Prenom=Jean"};
        QTest::newRow("lone CR ends lines")
            << QByteArray("BEGIN:VCARD\rN:Zola\rNOTE:a\\nb\rEND:VCARD\r")
            << QStringList{"Nom=Zola | Notes=a\\r\\nb"};
        QTest::newRow("folded by a space and by a tab")
            << C("N:Du\r\n pont\r\nNOTE:ab\r\n\tcd\r\n  ef\r\n")
            << QStringList{"Nom=Dupont | Notes=abcd ef"};
        QTest::newRow("fold inside a UTF-8 sequence")
            << C("N:Caf\xC3\r\n \xA9\r\n") << QStringList{QString::fromUtf8("Nom=Café")};
        QTest::newRow("escapes of 3.0") << C("NOTE:a\\,b\\;c\\\\d\\ne\\Nf\\:g\\xh\\\r\n")
                                        << QStringList{"Notes=a,b;c\\d\\r\\ne\\r\\nf:g\\xh\\"};
        QTest::newRow("escapes of 2.1: only \\;")
            << C("N:Du\\;pont\r\nNOTE:a\\,b\\;c\\nd\r\n", "2.1")
            << QStringList{"Nom=Du;pont | Notes=a\\,b;c\\nd"};
        QTest::newRow("components escaped")
            << C("N:Du\\;pont;Jean\\,Marc;;;\r\n") << QStringList{"Nom=Du;pont | Prenom=Jean,Marc"};
        QTest::newRow("group and parameters in any case")
            << C("item1.email;type=WORK:a@b.fr\r\nItem2.Tel;Type=\"Cell,Home\":06\r\n")
            << QStringList{"Portable=06 | SInternet=a@b.fr"};
        QTest::newRow("several cards, text between them ignored")
            << (QByteArray("du texte\r\nN:X\r\n") + C("N:A\r\n") + "entre\r\n" + C("N:B\r\n"))
            << QStringList{"Nom=A", "Nom=B"};
        QTest::newRow("a nested card is skipped")
            << C("N:A\r\nAGENT:\r\nBEGIN:VCARD\r\nN:B\r\nEND:VCARD\r\nNOTE:x\r\n")
            << QStringList{"Nom=A | Notes=x"};
        QTest::newRow("a card without its end ends with the file")
            << QByteArray("BEGIN:VCARD\r\nN:A\r\nNOTE:x") << QStringList{"Nom=A | Notes=x"};
        QTest::newRow("quoted-printable soft breaks keep their blanks")
            << C("NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:caf=C3=A9=\r\n au "
                 "lait=0D=0A=\r\nsuite\r\n",
                 "2.1")
            << QStringList{QString::fromUtf8("Notes=café au lait\\r\\nsuite")};
        QTest::newRow("bare QUOTED-PRINTABLE, its last = before the end")
            << C("NOTE;QUOTED-PRINTABLE:fin=\r\n", "2.1") << QStringList{"Notes=fin="};
        QTest::newRow("ISO-8859-1 named") << C("N;CHARSET=ISO-8859-1:\xC9luard\r\n", "2.1")
                                          << QStringList{QString::fromUtf8("Nom=Éluard")};
        QTest::newRow("no character set, not UTF-8: Windows-1252")
            << C("N:\xC9luard \x80\r\n", "2.1") << QStringList{QString::fromUtf8("Nom=Éluard €")};
        QTest::newRow("telephones by kind")
            << C("TEL:1\r\nTEL;TYPE=home:2\r\nTEL;TYPE=voice:3\r\nTEL;TYPE=cell:4\r\nTEL;TYPE=fax:"
                 "5\r\n"
                 "TEL;TYPE=work,cell:6\r\nTEL;TYPE=pager:7\r\nTEL;TYPE=work:8\r\nTEL;TYPE=work,fax:"
                 "9\r\n"
                 "TEL;TYPE=cell:10\r\n")
            << QStringList{"Tel=1 | Tel2=2 | Portable=4 | Fax=5 | STel=8 | SPortable=6 | SFax=9 | "
                           "[TEL;TYPE=home,voice (3e)]=3 | [TEL;TYPE=pager]=7 | "
                           "[TEL;TYPE=cell (2e)]=10"};
        QTest::newRow("a rank puts a value after an empty field")
            << C("TEL;TYPE=home,voice;X-CARNET-RANG=2:b\r\nEMAIL;x-carnet-rang=3:c\r\n")
            << QStringList{"Tel2=b | Internet3=c"};
        QTest::newRow("a rank already taken: the first free field")
            << C("TEL;X-CARNET-RANG=2:a\r\nTEL;X-CARNET-RANG=2:b\r\nTEL;X-CARNET-RANG=9:c\r\n")
            << QStringList{"Tel=b | Tel2=a | [TEL;TYPE=home,voice (3e)]=c"};
        QTest::newRow("e-mail and web addresses share the fields, in file order")
            << C("EMAIL:a@b.fr\r\nURL:www.b.fr\r\nEMAIL:c@d.fr\r\nURL;TYPE=work:http://e.fr\r\n")
            << QStringList{"Internet=a@b.fr | Internet2=www.b.fr | Internet3=c@d.fr | "
                           "SInternet=http://e.fr"};
        QTest::newRow("FN names a card without N")
            << C("FN:Jean\r\n") << QStringList{"Nom=Jean | [FN]=Jean"};
        QTest::newRow("FN that only repeats the company")
            << C("N:;;;;\r\nFN:ACME\r\nORG:ACME\r\n") << QStringList{"Societe=ACME | [FN]=ACME"};
        QTest::newRow("FN that only says there is no name")
            << C("N:;;;;\r\nFN:Sans nom\r\n") << QStringList{"[FN]=Sans nom"};
        QTest::newRow("address: extended line, post box and region")
            << C("ADR:BP 12;Appt 4;1 rue A;Lyon;Rh\xC3\xB4ne;69001;France\r\n")
            << QStringList{QString::fromUtf8(
                   "Adresse1=1 rue A | Adresse2=Appt 4 | CP=69001 | Ville=Lyon | Pays=France | "
                   "[ADR;TYPE=home (boîte postale)]=BP 12 | [ADR;TYPE=home (région)]=Rhône")};
        QTest::newRow("the street's lines, then a second address")
            << C("ADR;TYPE=home:;x;l1\\nl2\\nl3;;;;\r\nADR;TYPE=home:;;autre;V;;;\r\n")
            << QStringList{QString::fromUtf8("Adresse1=l1 | Adresse2=l2\\r\\nl3 | "
                                             "[ADR;TYPE=home (complément)]=x | "
                                             "[ADR;TYPE=home]=autre; V")};
        QTest::newRow("the program's own properties, any case")
            << C("X-CARNET-BANQUE:B\r\nx-carnet-snotes:s\\nt\r\nX-CARNET-INCONNU:i\r\n")
            << QStringList{"SNotes=s\\r\\nt | Banque=B | [X-CARNET-INCONNU]=i"};
        QTest::newRow("second N, TITLE and NOTE are kept aside")
            << C("N:A\r\nN:B;C\r\nTITLE:t\r\nTITLE:u\r\nNOTE:n\r\nNOTE:o\r\n")
            << QStringList{"Nom=A | Fonction=t | Notes=n | [N]=B; C | [TITLE]=u | [NOTE]=o"};
        QTest::newRow("other properties under their name and kinds")
            << C("X-AIM;TYPE=HOME:joe\r\nBDAY:2000-01-01\r\nREV:2020\r\nPRODID:x\r\n")
            << QStringList{"[X-AIM;TYPE=home]=joe | [BDAY]=2000-01-01"};
        QTest::newRow("lines that are not properties")
            << C("N@#:x\r\nsans deux-points\r\n:vide\r\nNOTE\r\n") << QStringList{""};
        QTest::newRow("NUL bytes dropped")
            << C(std::string("N:a\0b\r\n", 8)) << QStringList{"Nom=ab"};
        QTest::newRow("a photo's link is not fetched")
            << C("PHOTO;VALUE=uri:http://exemple.fr/p.jpg\r\n")
            << QStringList{"[PHOTO (lien)]=http://exemple.fr/p.jpg"};
        QTest::newRow("an unsafe photo name is not proposed")
            << C("N:Zola\r\nPHOTO;ENCODING=b;TYPE=GIF:R0lGODdh\r\nX-CARNET-PHOTO:../x.jpg\r\n")
            << QStringList{"Nom=Zola | Photo=Zola.gif"};
        QTest::newRow("the photo's name as written")
            << C("PHOTO;ENCODING=b:/9j/\r\nX-CARNET-PHOTO:chat.jpg\r\n")
            << QStringList{"Photo=chat.jpg"};
    }
    void Lecture()
    {
        QFETCH(QByteArray, fichier);
        QFETCH(QStringList, fiches);
        const OutilsVCard::Lecture l = Lit(fichier.toStdString());
        QCOMPARE(l.resultat.erreur, QString());
        QCOMPARE(Decrit(l), fiches);
    }

    // What the reader counts besides the cards.
    void Comptes()
    {
        OutilsVCard::Lecture l =
            Lit(Carte("N:A\r\nBEGIN:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\nEND:VCARD\r\n") +
                "BEGIN:VCARD\r\nN:B\r\n");
        QCOMPARE(l.resultat.cartes, 2LL);
        QCOMPARE(l.resultat.imbriquees, 2LL);
        QCOMPARE(l.resultat.sansFin, 1LL);
        l = Lit(Carte("NOTE:\xCE\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80 \xCE\xA9\r\n"));
        QCOMPARE(Decrit(l), QStringList{"Notes=? ? ? ?"});
        QCOMPARE(l.bilan.remplaces, size_t(4));
        QCOMPARE(l.bilan.inconnus.size(), size_t(3));
        QCOMPARE(l.bilan.inconnus[0], (std::pair<uint32_t, size_t>(0x3A9, 2)));
    }

    // Files that are no vCard, or past the limits: a clear message, never a crash.
    void Refus_data()
    {
        QTest::addColumn<QByteArray>("fichier");
        QTest::addColumn<int>("ligne");
        QTest::addColumn<int>("cartes");
        QTest::addColumn<QString>("erreur");
        const QString aucune =
            QString::fromUtf8("il ne contient aucune fiche vCard (aucune ligne « BEGIN:VCARD »).");
        QTest::newRow("empty") << QByteArray() << 0 << 0 << aucune;
        QTest::newRow("a CSV file")
            << QByteArray("Nom;Ville\r\nDupont;Paris\r\n") << 0 << 0 << aucune;
        QTest::newRow("END without BEGIN") << QByteArray("END:VCARD\r\n") << 0 << 0 << aucune;
        QTest::newRow("a line past the limit")
            << QByteArray::fromStdString(Carte("NOTE:" + std::string(3 << 20, 'x') + "\r\n"))
            << (2 << 20) << 0
            << QString::fromUtf8("la fiche n° 1 contient une ligne de plus de 2 Mo : ce n'est pas "
                                 "un fichier d'adresses.");
        QTest::newRow("a folded line past the limit")
            << QByteArray::fromStdString(Carte("NOTE:x\r\n" + std::string(40000, ' ') + "\r\n") +
                                         Carte("NOTE:" +
                                               [] {
                                                   std::string s;
                                                   for (int i = 0; i < 40000; ++i)
                                                       s += std::string(74, 'y') + "\r\n ";
                                                   return s;
                                               }() +
                                               "\r\n"))
            << (2 << 20) << 0
            << QString::fromUtf8("la fiche n° 2 contient une ligne de plus de 2 Mo : ce n'est pas "
                                 "un fichier d'adresses.");
        QTest::newRow("more cards than the book takes")
            << QByteArray::fromStdString([] {
                   std::string s;
                   for (int i = 0; i < 1234; ++i)
                       s += Carte("N:x\r\n");
                   return s;
               }())
            << 0 << 1000
            << QString::fromUtf8("le fichier compte 1 234 fiches : le répertoire ne peut en "
                                 "recevoir que 1 000 de plus sur cet ordinateur.")
                   .replace(QLatin1Char(' '), QChar(0x202F));
    }
    void Refus()
    {
        QFETCH(QByteArray, fichier);
        QFETCH(int, ligne);
        QFETCH(int, cartes);
        QFETCH(QString, erreur);
        LecteurVCard::Limites limites;
        if (ligne) limites.ligne = static_cast<size_t>(ligne);
        if (cartes) limites.cartes = cartes;
        int vues = 0;
        std::string octets = fichier.toStdString();
        const LecteurVCard::Resultat r =
            LecteurVCard::Parcourt(octets, limites, [&](const CarteVCard&) {
                ++vues;
                return true;
            });
        const auto Espaces = [](QString s) {
            return s.replace(QChar(0x202F), QLatin1Char(' '))
                .replace(QChar(0xA0), QLatin1Char(' '));
        };
        QCOMPARE(Espaces(r.erreur), Espaces(erreur));
        QVERIFY(vues <= (cartes ? cartes : 1));
    }

    // Hostile files whose result must stay bounded: a 1 MB folded line, a 10 MB
    // picture, 100,000 cards, nesting 100,000 deep, binary garbage, UTF-16.
    void FichiersHostiles()
    {
        std::string note;
        for (int i = 0; i < 1000000 / 74; ++i)
            note += std::string(74, static_cast<char>('a' + i % 26)) + "\r\n ";
        OutilsVCard::Lecture l = Lit(Carte("NOTE:" + note + "\r\n"));
        QCOMPARE(l.fiches.size(), size_t(1));
        QCOMPARE(l.fiches[0].champs[Notes].size(), size_t(1000000 / 74 * 74));

        std::string image(10 << 20, '\0');
        std::mt19937 alea(7);
        for (char& o : image)
            o = static_cast<char>(alea());
        std::string base64;
        CodageVCard::AjouteBase64(base64, image);
        std::string replie;
        for (size_t i = 0; i < base64.size(); i += 74)
            replie += base64.substr(i, 74) + "\r\n ";
        l = Lit(Carte("N:Zola\r\nPHOTO;ENCODING=b:" + replie + "\r\n"));
        QCOMPARE(l.images.size(), size_t(1));
        QVERIFY(l.images[0] == image);

        std::string cent;
        for (int i = 0; i < 100000; ++i)
            cent += "BEGIN:VCARD\r\nN:N" + std::to_string(i) + "\r\nEND:VCARD\r\n";
        l = Lit(cent);
        QCOMPARE(l.fiches.size(), size_t(100000));
        QCOMPARE(Decrit(l.fiches[99999]), QStringLiteral("Nom=N99999"));

        std::string profond;
        for (int i = 0; i < 100000; ++i)
            profond += "BEGIN:VCARD\r\nN:" + std::to_string(i) + "\r\n";
        l = Lit(profond);
        QCOMPARE(l.resultat.cartes, 1LL);
        QCOMPARE(l.resultat.imbriquees, 99999LL);
        QCOMPARE(Decrit(l), QStringList{"Nom=0"});

        std::string bruit(1 << 20, '\0');
        for (char& o : bruit)
            o = static_cast<char>(alea());
        l = Lit(bruit);
        QVERIFY(!l.resultat.erreur.isEmpty());
        l = Lit("BEGIN:VCARD\r\n" + bruit + "\r\nEND:VCARD\r\n");
        QCOMPARE(l.resultat.cartes, 1LL);

        // UTF-16, with and without its mark, both byte orders.
        const QString texte =
            QString::fromUtf8("BEGIN:VCARD\r\nN:Lefèvre;Zoé\r\nNOTE:Ω\r\nEND:VCARD\r\n");
        for (int variante = 0; variante < 3; ++variante) {
            QByteArray octets;
            if (variante == 0) octets = "\xFF\xFE";
            for (QChar c : texte) {
                const char a = static_cast<char>(c.unicode() & 0xFF),
                           b = static_cast<char>(c.unicode() >> 8);
                if (variante == 2) {
                    octets += b;
                    octets += a;
                } else {
                    octets += a;
                    octets += b;
                }
            }
            l = Lit(octets.toStdString());
            QCOMPARE(QString::fromLatin1(l.resultat.encodage), QStringLiteral("UTF-16"));
            QCOMPARE(Decrit(l),
                     QStringList{QString::fromUtf8("Nom=Lefèvre | Prenom=Zoé | Notes=?")});
        }
        // A truncated UTF-16 file and a lone surrogate.
        l = Lit(std::string("\xFF\xFE"
                            "B\0E\0G\0I\0N\0:\0V\0C\0A\0R\0D\0\n\0N\0:\0\x00\xD8x\0\n",
                            35));
        QCOMPARE(Decrit(l), QStringList{"Nom=?x"});
    }

    // The cards of the fixtures, written by hand in each version the way other
    // programs write them.
    void Fixtures_data()
    {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QStringList>("fiches");
        QTest::addColumn<int>("remplaces");
        QTest::newRow("2.1: quoted-printable, character sets, bare types, base64 photo")
            << Fixture("vcard21.vcf")
            << QStringList{QString::fromUtf8(
                   "Nom=Éluard | Prenom=Zélie | Civil=Mme | Adresse1=12 rue de l'Église | "
                   "Adresse2=Bâtiment C | CP=42000 | Ville=Saint-Étienne | Pays=France | "
                   "Tel=01 23 45 67 89 | Portable=06 11 22 33 44 | Internet=zelie@exemple.fr | "
                   "Notes=Première ligne\\r\\nDeuxième ligne, très longue et coupée en deux € 10 | "
                   "SFax=04 99 88 77 66 | Photo=Éluard Zélie.png | [FN]=Mme Zélie Éluard")}
            << 0;
        QTest::newRow("3.0: folds, groups, kinds in any case, two cards, no last line end")
            << Fixture("vcard30.vcf")
            << QStringList{QString::fromUtf8(
                               "Nom=Chéreau | Prenom=François | Civil=Docteur | "
                               "Adresse1=3 place de l'Église | CP=30000 | Ville=Nîmes | "
                               "Pays=France | "
                               "Fonction=Médecin | Societe=Cabinet Chéreau, Dupont & associés | "
                               "Tel=04 66 00 00 01 | Tel2=04 66 00 00 02 | "
                               "Internet=francois@exemple.fr | "
                               "Internet2=https://www.exemple.fr/cabinet | "
                               "Notes=Consultations le mardi, le jeudi; urgences au "
                               "15.\\r\\nDeuxième ligne "
                               "avec un antislash \\ et des « guillemets » qui font dépasser la "
                               "ligne de "
                               "loin. | SAdresse1=10 avenue Jean Jaurès | SAdresse2=2e étage | "
                               "SCP=34000 | "
                               "SVille=Montpellier | SPays=France | STel=04 67 00 00 03 | "
                               "SInternet=secretariat@cabinet.example | Photo=Chéreau François.png "
                               "| "
                               "[N (autres prénoms)]=Marie | [FN]=Docteur François Chéreau | "
                               "[ORG (service)]=Radiologie | [ADR;TYPE=work (région)]=Occitanie | "
                               "[BDAY]=1970-01-31 | [TEL;TYPE=pager]=06 00 00 00 00"),
                           QString::fromUtf8(
                               "Societe=Société sans nom | "
                               "Internet=contact@societe.example | [FN]=Société sans nom")}
            << 0;
        QTest::newRow("4.0: quoted kinds, tel: URIs, data: photo, the program's properties")
            << Fixture("vcard40.vcf")
            << QStringList{QString::fromUtf8(
                   "Nom=Lefèvre | Prenom=Zoé | Adresse1=1 chemin des Prés | CP=21000 | "
                   "Ville=Dijon | Pays=France | Tel=+33-1-23-45-67-89 | "
                   "Notes=Caractères hors du code page : ? et ? et ?. | "
                   "SPortable=+33-6-98-76-54-32 | SInternet=zoe.lefevre@exemple.fr | "
                   "Banque=Crédit du Nord | Compte=12345678 | Photo=Lefèvre Zoé.png | "
                   "[KIND]=individual | [FN]=Zoé Lefèvre")}
            << 3;
    }
    void Fixtures()
    {
        QFETCH(QString, fichier);
        QFETCH(QStringList, fiches);
        QFETCH(int, remplaces);
        const std::string octets = Fichier(fichier);
        QVERIFY(!octets.empty());
        const OutilsVCard::Lecture l = Lit(octets);
        QCOMPARE(l.resultat.erreur, QString());
        QCOMPARE(Decrit(l), fiches);
        QCOMPARE(l.bilan.remplaces, size_t(remplaces));
        // The picture of the first card: a 4 x 3 PNG of one colour.
        QImage image;
        QVERIFY(image.loadFromData(QByteArray::fromStdString(l.images[0])));
        QCOMPARE(image.size(), QSize(4, 3));
        QCOMPARE(image.pixelColor(3, 2), QColor(200, 30, 60));
    }

    // A card another program wrote (an Evolution export): the fields it holds.
    void CarteReelle()
    {
        const std::string octets = Fichier(
            QStringLiteral(CARNET_SHARED_FIXTURES "/real-world/ez-vcard_John_Doe_EVOLUTION.vcf"));
        QVERIFY(!octets.empty());
        const OutilsVCard::Lecture l = Lit(octets);
        QCOMPARE(l.fiches.size(), size_t(1));
        const FicheVCard& f = l.fiches[0];
        QCOMPARE(Visible(f.champs[Nom]), QStringLiteral("Doe"));
        QCOMPARE(Visible(f.champs[Prenom]), QStringLiteral("John"));
        QCOMPARE(Visible(f.champs[Civil]), QStringLiteral("Mr."));
        QCOMPARE(Visible(f.champs[Societe]), QStringLiteral("IBM"));
        QCOMPARE(Visible(f.champs[Fonction]), QStringLiteral("Money Counter"));
        QCOMPARE(Visible(f.champs[Portable]), QStringLiteral("905-666-1234"));
        QCOMPARE(Visible(f.champs[STel]), QStringLiteral("905-555-1234"));
        QCOMPARE(Visible(f.champs[SInternet]), QStringLiteral("john.doe@ibm.com"));
        QCOMPARE(Visible(f.champs[Internet]), QStringLiteral("http://www.ibm.com"));
        QCOMPARE(Visible(f.champs[Adresse1]), QStringLiteral("15 Crescent moon drive"));
        QCOMPARE(Visible(f.champs[Ville]), QStringLiteral("Albaney"));
        QCOMPARE(Visible(f.champs[CP]), QStringLiteral("12345"));
        QCOMPARE(Visible(f.champs[Pays]), QStringLiteral("United States of America"));
        QVERIFY(Visible(f.champs[Notes])
                    .startsWith(QStringLiteral(
                        "THIS SOFTWARE IS PROVIDED BY THE COPYRIGHT HOLDERS AND CONTRIBUTORS "
                        "\"AS IS\" AND ANY EXPRESS OR IMPLIED WARRANTIES, INCLUDING, BUT NOT "
                        "LIMITED TO, THE IMPLIED")));
        QVERIFY(Visible(f.champs[Notes])
                    .endsWith(QStringLiteral(
                        "SERVICES; LOSS OF USE, DATA, OR PROFITS; OR BUSINESS INTERRUPTION) "
                        "HOWEVER CAUSED AND ON ANY THEORY OF LIABILITY, WHETHER IN CONTRACT, "
                        "STRICT LIABILITY, OR TORT (INCLUDING NEGLIGENCE OR OTHERWISE) ARISING "
                        "IN ANY WAY OUT OF THE USE OF THIS SOFTWARE, EVEN IF ADVISED OF THE "
                        "POSSIBILITY OF SUCH DAMAGE.")));
        QStringList autres;
        for (size_t k = 0; k < f.nbAutres; ++k)
            autres << Visible(f.autres[k].titre) + QLatin1Char('=') + Visible(f.autres[k].valeur);
        QCOMPARE(
            autres,
            (QStringList{"X-COUCHDB-APPLICATION-ANNOTATIONS={\"Evolution\":{\"revision\":\"2012-03-"
                         "05T13:32:54Z\"}}",
                         "X-AIM;TYPE=home=johnny5@aol.com", "UID=477343c8e6bf375a9bac1f96a5000837",
                         "N (autres pr\u00e9noms)=Richter, James", "N (suffixe)=Sr.",
                         "X-EVOLUTION-FILE-AS=Doe, John", "FN=Mr. John Richter, James Doe Sr.",
                         "NICKNAME=Johny", "X-EVOLUTION-SPOUSE=Maria",
                         "ORG (service)=Accounting; Dungeon", "X-EVOLUTION-MANAGER=Big Blue",
                         "X-EVOLUTION-ASSISTANT=Little Red", "CATEGORIES=VIP",
                         QString::fromUtf8("ADR;TYPE=home (boîte postale)=ASB-123"),
                         QString::fromUtf8("ADR;TYPE=home (région)=New York"), "BDAY=1980-03-22",
                         "X-EVOLUTION-ANNIVERSARY=1980-03-22"}));
    }
};

CARNET_TEST(TestLecteurVCard)
#include "TestLecteurVCard.moc"
