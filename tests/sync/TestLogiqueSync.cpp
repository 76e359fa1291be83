// The synchronisation's logic without a server: the card of a record and what it
// keeps of other programs, the field-by-field merge, finding records again, and the
// sync file read back, damaged or not.
#include "Registre.h"
#include "records/CodePage.h"
#include "sync/Appariement.h"
#include "sync/CarteSync.h"
#include "sync/FichierSync.h"
#include "sync/FusionFiche.h"

#include <QTemporaryDir>
#include <QTest>

namespace
{

CarteSync::Champs Fiche(const char* nom, const char* prenom, const char* tel = "",
                        const char* mail = "")
{
    CarteSync::Champs f;
    f[Nom] = nom;
    f[Prenom] = prenom;
    f[Tel] = tel;
    f[Internet] = mail;
    return f;
}

QByteArray Utf8(const char* s)
{
    return QByteArray(s);
}

} // namespace

class TestLogiqueSync : public QObject
{
    Q_OBJECT

private slots:
    void carteAllerRetour()
    {
        CarteSync::Champs f = Fiche("Dupr\xe9",
                                    "L\xe9"
                                    "a",
                                    "01 23 45 67 89", "lea@exemple.fr");
        f[Notes] = "ligne 1\r\nligne 2; avec, virgule";
        f[Societe] = "Soci\xe9t\xe9 & fils";
        f[Compte] = "12345678901";
        f[Photo] = "lea.jpg";
        const QByteArray carte = CarteSync::Ecrit(f, "uid-1", QByteArray(), true);
        QVERIFY(carte.startsWith("BEGIN:VCARD\r\nVERSION:3.0\r\n"));
        QVERIFY(carte.endsWith("END:VCARD\r\n"));
        QVERIFY(carte.contains("UID:uid-1\r\n"));
        QVERIFY(carte.contains("N:Dupr\xc3\xa9;L\xc3\xa9"
                               "a;;;\r\n"));
        const CarteSync::Lecture l = CarteSync::Lit(carte);
        QVERIFY(l.valide);
        QCOMPARE(l.uid, QStringLiteral("uid-1"));
        for (int c = 0; c < NbColonnes; ++c)
            QCOMPARE(l.champs[static_cast<size_t>(c)], f[static_cast<size_t>(c)]);
        // Without the bank page, the account number does not leave this computer.
        const QByteArray sansBanque = CarteSync::Ecrit(f, "uid-1", QByteArray(), false);
        QVERIFY(!sansBanque.contains("12345678901"));
        QCOMPARE(CarteSync::Lit(sansBanque).champs[Compte], std::string());
        // ...and a card that holds one (another copy syncs its bank page) keeps it.
        CarteSync::Champs autre = f;
        autre[Compte] = "99999";
        const QByteArray avec = CarteSync::Ecrit(autre, "uid-1", QByteArray(), true);
        const QByteArray reecrite = CarteSync::Ecrit(f, "uid-1", avec, false);
        QCOMPARE(CarteSync::Lit(reecrite).champs[Compte], std::string("99999"));
        QVERIFY(!CarteSync::Lit("pas une carte").valide);
    }

    void proprietesDesAutresGardees()
    {
        const QByteArray telephone = Utf8(
            "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Telephone//FR\r\nUID:abc\r\nFN:Paul Durand\r\n"
            "N:Durand;Paul;;;\r\nTEL;TYPE=home,voice:111111\r\nTEL;TYPE=home,voice:222222\r\n"
            "TEL;TYPE=home,voice:333333\r\nTEL;TYPE=pager:444444\r\nCATEGORIES:Amis,Travail\r\n"
            "BDAY:1980-02-29\r\nitem1.X-ABLABEL:Chalet\r\nX-PHONE-EXTRA;X-A=b:valeur\\, avec "
            "virgule\r\n"
            "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ\r\n"
            "REV:2026-01-01T00:00:00Z\r\nEND:VCARD\r\n");
        const std::vector<std::string> gardees = CarteSync::LignesNonReprises(telephone);
        const std::vector<std::string> attendues{"TEL;TYPE=home,voice:333333",
                                                 "TEL;TYPE=pager:444444",
                                                 "CATEGORIES:Amis,Travail",
                                                 "BDAY:1980-02-29",
                                                 "item1.X-ABLABEL:Chalet",
                                                 "X-PHONE-EXTRA;X-A=b:valeur\\, avec virgule",
                                                 "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ"};
        QCOMPARE(gardees, attendues);

        // The record renamed: the card written back carries them all, once, and the
        // fields the book holds are its own.
        CarteSync::Champs f = CarteSync::Lit(telephone).champs;
        QCOMPARE(f[Tel], std::string("111111"));
        QCOMPARE(f[Tel2], std::string("222222"));
        f[Nom] = "Durand-Martin";
        f[Tel2] = "555555";
        const QByteArray reecrite = CarteSync::Ecrit(f, "abc", telephone, false);
        for (const std::string& l : attendues)
            QCOMPARE(reecrite.count(QByteArray::fromStdString(l + "\r\n")), 1);
        QVERIFY(reecrite.contains("N:Durand-Martin;Paul;;;\r\n"));
        QVERIFY(!reecrite.contains("222222"));
        QVERIFY(reecrite.contains("555555"));
        QCOMPARE(reecrite.count("UID:"), 1);
        QVERIFY(!reecrite.contains("PRODID"));
        // Written again from itself: nothing doubles.
        const QByteArray encore =
            CarteSync::Ecrit(CarteSync::Lit(reecrite).champs, "abc", reecrite, false);
        QCOMPARE(encore, reecrite);
    }

    void caracteresQueLeCarnetNeTientPas()
    {
        // A card from a phone in Polish, with a pictogram in its note.
        const QByteArray telephone =
            Utf8("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:pl\r\nFN:\xc5\x81ukasz Kowalski\r\n"
                 "N:Kowalski;\xc5\x81ukasz;;;\r\nADR;TYPE=home:;;ul. \xc5\x81\xc3\xb3"
                 "dzka 5;"
                 "\xc5\x81\xc3\xb3"
                 "d\xc5\xba;;90-001;Pologne\r\nTEL;TYPE=home,voice:111\r\n"
                 "NOTE:Caf\xc3\xa9 \xe2\x98\x95\r\nEND:VCARD\r\n");
        CarteSync::Lecture l = CarteSync::Lit(telephone);
        QCOMPARE(l.champs[Prenom], std::string("?ukasz"));
        QVERIFY(l.remplaces > 0);
        QVERIFY(CarteSync::LignesNonReprises(telephone).empty());
        // Only the phone changed here: the server's lines come back whole, once each.
        l.champs[Tel] = "222";
        const QByteArray reecrite = CarteSync::Ecrit(l.champs, "pl", telephone, false);
        QVERIFY2(!reecrite.contains('?'), reecrite.constData());
        for (const QByteArray& ligne : {QByteArray("N:Kowalski;\xc5\x81ukasz;;;\r\n"),
                                        QByteArray("FN:\xc5\x81ukasz Kowalski\r\n"),
                                        QByteArray("NOTE:Caf\xc3\xa9 \xe2\x98\x95\r\n"),
                                        QByteArray("TEL;TYPE=home,voice:222\r\n")})
            QVERIFY2(reecrite.count(ligne) == 1, qPrintable(ligne + " dans\n" + reecrite));
        QCOMPARE(reecrite.count("ADR;"), 1);
        QVERIFY(reecrite.contains("\xc5\x81\xc3\xb3"
                                  "d\xc5\xba"));
        // The first name changed here: this side's value, as the book holds it.
        l.champs[Prenom] = "Luc";
        const QByteArray renomme = CarteSync::Ecrit(l.champs, "pl", telephone, false);
        QVERIFY(renomme.contains("N:Kowalski;Luc;;;\r\n"));
        QVERIFY(renomme.contains("NOTE:Caf\xc3\xa9 \xe2\x98\x95\r\n"));
    }

    void fusion_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("ici");
        QTest::addColumn<QString>("serveur");
        QTest::addColumn<QString>("attendu");
        QTest::addColumn<bool>("conflit");
        QTest::newRow("rien") << "a"
                              << "a"
                              << "a"
                              << "a" << false;
        QTest::newRow("ici seulement") << "a"
                                       << "b"
                                       << "a"
                                       << "b" << false;
        QTest::newRow("serveur seulement") << "a"
                                           << "a"
                                           << "c"
                                           << "c" << false;
        QTest::newRow("pareil des deux cotes") << "a"
                                               << "d"
                                               << "d"
                                               << "d" << false;
        QTest::newRow("vide ici, change la-bas") << "a"
                                                 << ""
                                                 << "c"
                                                 << "" << true;
        QTest::newRow("les deux") << "a"
                                  << "b"
                                  << "c"
                                  << "b" << true;
        QTest::newRow("efface la-bas") << "a"
                                       << "a"
                                       << ""
                                       << "" << false;
    }
    void fusion()
    {
        QFETCH(QString, base);
        QFETCH(QString, ici);
        QFETCH(QString, serveur);
        QFETCH(QString, attendu);
        QFETCH(bool, conflit);
        CarteSync::Champs b = Fiche("N", "P"), i = b, s = b;
        b[Ville] = base.toStdString();
        i[Ville] = ici.toStdString();
        s[Ville] = serveur.toStdString();
        i[Fax] = "un changement d'ici ailleurs";
        s[Pays] = "un changement du serveur ailleurs";
        const FusionFiche::Resultat r = FusionFiche::Fusionne(&b, &b, i, s, false);
        QCOMPARE(QString::fromStdString(r.champs[Ville]), attendu);
        QCOMPARE(r.conflits, conflit ? std::vector<int>{Ville} : std::vector<int>{});
        QCOMPARE(r.champs[Fax], i[Fax]);
        QCOMPARE(r.champs[Pays], s[Pays]);
    }

    void fusionSansBaseEtBanque()
    {
        CarteSync::Champs ici = Fiche("Martin", "Jean", "0102030405"),
                          serveur = Fiche("Martin", "Jean", "", "j@m.fr");
        ici[Ville] = "Lyon";
        serveur[Ville] = "Paris";
        ici[Compte] = "111";
        serveur[Compte] = "222";
        const FusionFiche::Resultat r =
            FusionFiche::Fusionne(nullptr, nullptr, ici, serveur, false);
        QCOMPARE(r.champs[Tel], std::string("0102030405"));
        QCOMPARE(r.champs[Internet], std::string("j@m.fr"));
        QCOMPARE(r.conflits, std::vector<int>{Ville});
        QCOMPARE(r.champs[Compte], std::string("111")); // the bank page stays this side's
        const FusionFiche::Resultat avec =
            FusionFiche::Fusionne(nullptr, nullptr, ici, serveur, true);
        QCOMPARE(avec.conflits, (std::vector<int>{Ville, Compte}));
        QVERIFY(FusionFiche::DeuxPossibles(Notes) && FusionFiche::DeuxPossibles(SNotes));
        QVERIFY(!FusionFiche::DeuxPossibles(Ville));
        QCOMPARE(FusionFiche::LesDeux("a", "b"), std::string("a\r\nb"));
        QCOMPARE(FusionFiche::LesDeux("", "b"), std::string("b"));
    }

    void appariement()
    {
        const CarteSync::Champs a = Fiche("Dupont", "Anne", "01 11 11 11 11"),
                                b = Fiche("Durand", "Bruno", "", "b@d.fr"),
                                c = Fiche("Petit", "Claire"),
                                jumeau = Fiche("Dupont", "Anne", "01 11 11 11 11");
        // Row 1: c renamed, nothing left to know it by; row 2: b edited, its e-mail
        // kept; row 3: a with its name in other capitals; row 4: an exact twin of a.
        CarteSync::Champs bEdite = b;
        bEdite[Nom] = "Durand-Leroy";
        bEdite[Ville] = "Nantes";
        CarteSync::Champs cRenomme = Fiche("Grand", "Claude");
        CarteSync::Champs aMaj = a;
        aMaj[Nom] = "DUPONT";
        aMaj[Prenom] = "anne";
        aMaj[Notes] = "note";
        const std::vector<const CarteSync::Champs*> lignes{nullptr, &cRenomme, &bEdite, &aMaj,
                                                           &jumeau};
        const std::vector<Appariement::Cote> connus{{&a, 3}, {&b, -1}, {&c, -1}, {&jumeau, -1}};
        const std::vector<int> r = Appariement::Apparie(connus, lignes, false);
        // The exact copy goes first (to a, the first known with those fields, though
        // a's hint names row 3); the twin then finds row 3 by name and phone.
        QCOMPARE(r, (std::vector<int>{4, 2, -1, 3}));
        QCOMPARE(Appariement::Cles(Fiche("", "", "12 34", "pas un courriel")),
                 std::vector<std::string>{});
    }

    void fichierSync()
    {
        EtatSync e;
        e.adresse = "https://serveur/alice/carnet/";
        e.utilisateur = "alice";
        e.jeton = "http://radicale.org/ns/sync/abc";
        e.ctag = "\"ctag\"";
        e.hachage = "0123456789abcdef0123456789abcdef";
        EtatSync::Entree x;
        x.uid = "u1";
        x.href = "/alice/carnet/u1.vcf";
        x.etag = "\"e1\"";
        x.carte = "BEGIN:VCARD\r\nFN:L\xc3\xa9"
                  "a\r\nEND:VCARD\r\n";
        for (int c = 0; c < NbColonnes; ++c)
            x.champs[static_cast<size_t>(c)] =
                std::string(1, static_cast<char>(0x80 + c)) + "\r\n\x07";
        x.ligne = 7;
        e.entrees.push_back(x);
        QTemporaryDir dossier;
        const QString livre = dossier.filePath("carnet.REP");
        QCOMPARE(FichierSync::Chemin(livre), livre + ".sync");
        QCOMPARE(FichierSync::Enregistre(livre, e), QString());
        EtatSync lu;
        bool absent = true;
        QCOMPARE(FichierSync::Charge(livre, lu, &absent), QString());
        QVERIFY(!absent);
        QCOMPARE(lu.adresse, e.adresse);
        QCOMPARE(lu.jeton, e.jeton);
        QCOMPARE(lu.ctag, e.ctag);
        QCOMPARE(lu.hachage, e.hachage);
        QCOMPARE(lu.entrees.size(), size_t(1));
        QCOMPARE(lu.entrees[0].carte, x.carte);
        QCOMPARE(lu.entrees[0].champs, x.champs);
        QCOMPARE(lu.entrees[0].etag, x.etag);
        QCOMPARE(lu.entrees[0].ligne, 7);

        QCOMPARE(FichierSync::Charge(dossier.filePath("autre.REP"), lu, &absent), QString());
        QVERIFY(absent);
        QVERIFY(lu.entrees.empty());

        // Damaged: every one refused with a reason, the state left as it was.
        const QByteArray bon = FichierSync::Serialise(e);
        QByteArray nonLatin = bon;
        nonLatin.replace(QByteArray("\xc2\x80\\r"), QByteArray("\xe2\x82\xac\\r"));
        QByteArray sansChamp = bon;
        sansChamp.replace(QByteArray("\"champs\":[\"\xc2\x80\\r\\n\\u0007\","),
                          QByteArray("\"champs\":["));
        QByteArray sansHref = bon;
        sansHref.replace(QByteArray("\"href\":\"/alice/carnet/u1.vcf\""),
                         QByteArray("\"href\":\"\""));
        QByteArray autreVersion = bon;
        autreVersion.replace(QByteArray("\"version\":1"), QByteArray("\"version\":2"));
        for (const QByteArray& abime :
             {bon.left(bon.size() / 2), QByteArray(), QByteArray("\x00\x01\xff", 3),
              QByteArray("[1,2]"), QByteArray("{\"format\":\"autre\"}"), nonLatin, sansChamp,
              sansHref, autreVersion}) {
            QVERIFY(abime != bon);
            EtatSync garde = e;
            QString raison;
            QVERIFY2(!FichierSync::Deserialise(abime, garde, &raison), abime.left(80).constData());
            QVERIFY(!raison.isEmpty());
            QCOMPARE(garde.entrees.size(), size_t(1));
        }
    }
};

CARNET_TEST(TestLogiqueSync)
#include "TestLogiqueSync.moc"
