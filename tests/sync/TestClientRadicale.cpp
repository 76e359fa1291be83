// The CardDAV client against a real server: Radicale started for these tests, with a
// second, independent client (Python) acting on the same address books.
#include "AutreClient.h"
#include "OutilsSync.h"
#include "Registre.h"
#include "ServeurRadicale.h"
#include "sync/AdresseCardDav.h"
#include "sync/ClientCardDav.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

using namespace OutilsSync;

namespace
{

QSet<QString> Hrefs(const std::vector<C::Element>& elements)
{
    QSet<QString> s;
    for (const auto& e : elements)
        s.insert(e.href);
    return s;
}

} // namespace

class TestClientRadicale : public QObject
{
    Q_OBJECT

    std::unique_ptr<ServeurRadicale> m_serveur;

    QUrl Racine() const { return m_serveur->Url(); }
    QUrl Carnet(const QString& utilisateur, const QString& nom) const
    {
        return Racine().resolved(QUrl(QStringLiteral("/%1/%2/").arg(utilisateur, nom)));
    }
    AutreClient Alice() const { return AutreClient(Racine(), "alice", "secret"); }
    // A new, empty address book of alice's.
    QUrl NouveauCarnet(const QString& nom)
    {
        const QUrl url = Carnet("alice", nom);
        const int statut = Alice().CreeCarnet(url.path(), nom);
        if (statut != 201) qWarning("MKCOL %s: %d", qPrintable(url.path()), statut);
        return url;
    }
    static void DemarreOuPasse(ServeurRadicale& serveur)
    {
        const QString raison = ServeurRadicale::DemarreOuExplique(serveur);
        if (raison == ServeurRadicale::Absent()) QSKIP(qPrintable(raison));
        QVERIFY2(raison.isEmpty(), qPrintable(raison));
    }

private slots:
    void initTestCase()
    {
        m_serveur = std::make_unique<ServeurRadicale>();
        DemarreOuPasse(*m_serveur);
    }
    void cleanupTestCase() { m_serveur.reset(); }

    void decouverteDepuisLaRacine()
    {
        ClientCardDav client;
        client.SetParametres(Acces("bob", "motdepasse"));
        // A new account: its home is found, without any address book yet.
        auto vide = Decouvre(client, Racine());
        QVERIFY2(!vide->erreur, qPrintable(vide->erreur.Texte()));
        QCOMPARE(vide->appels, 1);
        QCOMPARE(vide->valeur.carnets.size(), size_t(0));
        QCOMPARE(vide->valeur.principal.path(), QStringLiteral("/bob/"));
        QCOMPARE(vide->valeur.maisons.size(), size_t(1));
        QCOMPARE(vide->valeur.maisons.front().path(), QStringLiteral("/bob/"));

        auto cree =
            CreeCarnet(client, vide->valeur.maisons.front(), QString::fromUtf8("Équipe & co"));
        QVERIFY2(!cree->erreur, qPrintable(cree->erreur.Texte()));
        QCOMPARE(cree->valeur.nom, QString::fromUtf8("Équipe & co"));
        QVERIFY(cree->valeur.url.path().startsWith("/bob/"));
        QVERIFY(cree->valeur.syncCollection);
        QVERIFY(!cree->valeur.jeton.isEmpty());
        QCOMPARE(AutreClient(Racine(), "bob", "motdepasse").CreeCarnet("/bob/perso/", "Perso"),
                 201);

        for (const QUrl& depart : {Racine(), Racine().resolved(QUrl("/bob/")),
                                   // Not a DAV resource: found again through /.well-known/carddav.
                                   Racine().resolved(QUrl("/nulle/part/"))}) {
            auto d = Decouvre(client, depart);
            QVERIFY2(!d->erreur, qPrintable(depart.toString() + ": " + d->erreur.Texte()));
            QStringList noms;
            for (const C::Carnet& c : d->valeur.carnets) {
                noms << c.nom;
                QVERIFY(c.syncCollection);
                QVERIFY(!c.ctag.isEmpty());
            }
            noms.sort();
            QCOMPARE(noms,
                     QStringList({QString::fromUtf8("Perso"), QString::fromUtf8("Équipe & co")}));
        }
        // An address book's own address gives that book alone.
        auto direct = Decouvre(client, Racine().resolved(QUrl("/bob/perso/")));
        QVERIFY2(!direct->erreur, qPrintable(direct->erreur.Texte()));
        QCOMPARE(direct->valeur.carnets.size(), size_t(1));
        QCOMPARE(direct->valeur.carnets.front().nom, QStringLiteral("Perso"));
        QCOMPARE(direct->valeur.carnets.front().url.path(), QStringLiteral("/bob/perso/"));
    }

    void creationAvecIfNoneMatch()
    {
        const QUrl carnet = NouveauCarnet("creation");
        ClientCardDav client;
        client.SetParametres(Acces("alice", "secret"));
        const QString href = AdresseCardDav::HrefNouvelleCarte(carnet, "uid 1/é");
        // A UID with a "/", a blank and an accent: a name the server can store, one
        // segment, the same each time; a plain UID is its own name.
        QVERIFY2(QRegularExpression("^/alice/creation/[0-9a-f]{32}\\.vcf$").match(href).hasMatch(),
                 qPrintable(href));
        QCOMPARE(AdresseCardDav::HrefNouvelleCarte(carnet, "uid 1/é"), href);
        QCOMPARE(AdresseCardDav::HrefNouvelleCarte(carnet, "a-1_b.c@d"),
                 QStringLiteral("/alice/creation/a-1_b.c@d.vcf"));
        const QByteArray carte = Carte("uid 1/é", QString::fromUtf8("Léa Martin"));
        auto envoi = Envoie(client, carnet, href, carte, QString());
        QVERIFY2(!envoi->erreur, qPrintable(envoi->erreur.Texte()));
        QCOMPARE(envoi->valeur.href, href);
        QVERIFY(!envoi->valeur.etag.isEmpty());
        QVERIFY(envoi->valeur.vcardServeur.isEmpty()); // the server gave its ETag at once

        // The other client sees the card under that ETag.
        const AutreClient::Reponse lu = Alice().Requete("GET", href);
        QCOMPARE(lu.statut, 200);
        QCOMPARE(QString::fromLatin1(lu.entetes.value("etag")), envoi->valeur.etag);
        QVERIFY(lu.corps.contains("FN:L\xc3\xa9"
                                  "a Martin"));

        // The same href again as a new card: it already exists, nothing is replaced.
        auto encore = Envoie(client, carnet, href, Carte("uid 1/é", "Autre"), QString());
        QCOMPARE(encore->erreur.genre(), ErreurDav::Genre::Precondition);
        QCOMPARE(encore->erreur.Statut(), 412);
        QVERIFY2(encore->erreur.Message().contains(QString::fromUtf8("existe déjà")),
                 qPrintable(encore->erreur.Message()));
        QVERIFY(Alice()
                    .Requete("GET", href)
                    .corps.contains("FN:L\xc3\xa9"
                                    "a Martin"));
    }

    void miseAJourAvecEtagPerime()
    {
        const QUrl carnet = NouveauCarnet("course");
        ClientCardDav client;
        client.SetParametres(Acces("alice", "secret"));
        const QString href = AdresseCardDav::HrefNouvelleCarte(carnet, "a");
        auto premier = Envoie(client, carnet, href, Carte("a", "Version 1"), QString());
        QVERIFY2(!premier->erreur, qPrintable(premier->erreur.Texte()));
        // A phone changes the card in between.
        const AutreClient::Reponse telephone = Alice().Requete(
            "PUT", href, Carte("a", "Version du telephone"), {{"Content-Type", "text/vcard"}});
        QCOMPARE(telephone.statut / 100, 2);
        const QString etagTelephone = QString::fromLatin1(telephone.entetes.value("etag"));
        QVERIFY(etagTelephone != premier->valeur.etag);

        auto perime = Envoie(client, carnet, href, Carte("a", "Version 2"), premier->valeur.etag);
        QCOMPARE(perime->erreur.genre(), ErreurDav::Genre::Precondition);
        QCOMPARE(perime->erreur.Statut(), 412);
        QVERIFY2(perime->erreur.Message().contains(QString::fromUtf8("modifiée ou supprimée")),
                 qPrintable(perime->erreur.Message()));
        QVERIFY(Alice().Requete("GET", href).corps.contains("Version du telephone"));

        auto juste = Envoie(client, carnet, href, Carte("a", "Version 2"), etagTelephone);
        QVERIFY2(!juste->erreur, qPrintable(juste->erreur.Texte()));
        QVERIFY(!juste->valeur.etag.isEmpty() && juste->valeur.etag != etagTelephone);
        const AutreClient::Reponse lu = Alice().Requete("GET", href);
        QVERIFY(lu.corps.contains("Version 2"));
        QCOMPARE(QString::fromLatin1(lu.entetes.value("etag")), juste->valeur.etag);
    }

    void suppressionAvecIfMatch()
    {
        const QUrl carnet = NouveauCarnet("suppression");
        ClientCardDav client;
        client.SetParametres(Acces("alice", "secret"));
        const QString href = AdresseCardDav::HrefNouvelleCarte(carnet, "s");
        auto cree = Envoie(client, carnet, href, Carte("s", "A supprimer"), QString());
        QVERIFY(!cree->erreur);
        const AutreClient::Reponse change = Alice().Requete(
            "PUT", href, Carte("s", "Change ailleurs"), {{"Content-Type", "text/vcard"}});
        QVERIFY(change.statut / 100 == 2);

        auto perime = Supprime(client, carnet, href, cree->valeur.etag);
        QCOMPARE(perime->erreur.genre(), ErreurDav::Genre::Precondition);
        QCOMPARE(Alice().Requete("GET", href).statut, 200);

        // Without an ETag nothing is asked of the server.
        auto sans = Supprime(client, carnet, href, QString());
        QCOMPARE(sans->erreur.genre(), ErreurDav::Genre::AdresseRefusee);
        QCOMPARE(Alice().Requete("GET", href).statut, 200);

        auto juste =
            Supprime(client, carnet, href, QString::fromLatin1(change.entetes.value("etag")));
        QVERIFY2(!juste->erreur, qPrintable(juste->erreur.Texte()));
        QCOMPARE(juste->appels, 1);
        QCOMPARE(Alice().Requete("GET", href).statut, 404);
    }

    void syncCollectionIncrementale()
    {
        const QUrl carnet = NouveauCarnet("increment");
        ClientCardDav client;
        client.SetParametres(Acces("alice", "secret"));
        QList<QPair<QString, QByteArray>> cartes;
        for (int i = 0; i < 5; ++i)
            cartes.append({carnet.path() + QStringLiteral("c%1.vcf").arg(i),
                           Carte(QStringLiteral("c%1").arg(i), QStringLiteral("Carte %1").arg(i))});
        QString raison;
        QVERIFY2(Alice().EnvoieTout(cartes, &raison) >= 0, qPrintable(raison));

        auto initial = Liste(client, carnet);
        QVERIFY2(!initial->erreur, qPrintable(initial->erreur.Texte()));
        QVERIFY(initial->valeur.complet);
        QCOMPARE(initial->valeur.mode, C::Mode::SyncCollection);
        QCOMPARE(initial->valeur.elements.size(), size_t(5));
        QVERIFY(initial->valeur.supprimes.isEmpty());
        const QString jeton = initial->valeur.jeton;
        QVERIFY(!jeton.isEmpty());

        // A second client adds one card, changes one, deletes one.
        const QString ajoutee = carnet.path() + "nouvelle.vcf";
        QCOMPARE(
            Alice()
                .Requete("PUT", ajoutee, Carte("n", "Nouvelle"), {{"Content-Type", "text/vcard"}})
                .statut,
            201);
        const AutreClient::Reponse changee =
            Alice().Requete("PUT", carnet.path() + "c1.vcf", Carte("c1", "Carte 1 changee"),
                            {{"Content-Type", "text/vcard"}});
        QVERIFY(changee.statut / 100 == 2);
        QCOMPARE(Alice().Requete("DELETE", carnet.path() + "c3.vcf").statut / 100, 2);

        auto delta = Liste(client, carnet, {jeton, QString(), true});
        QVERIFY2(!delta->erreur, qPrintable(delta->erreur.Texte()));
        QVERIFY(!delta->valeur.complet);
        QCOMPARE(Hrefs(delta->valeur.elements), QSet<QString>({ajoutee, carnet.path() + "c1.vcf"}));
        for (const auto& e : delta->valeur.elements)
            if (e.href.endsWith("c1.vcf"))
                QCOMPARE(e.etag, QString::fromLatin1(changee.entetes.value("etag")));
        QCOMPARE(delta->valeur.supprimes, QStringList({carnet.path() + "c3.vcf"}));
        QVERIFY(!delta->valeur.jeton.isEmpty() && delta->valeur.jeton != jeton);

        // Nothing since.
        auto rien = Liste(client, carnet, {delta->valeur.jeton, QString(), true});
        QVERIFY(!rien->erreur);
        QVERIFY(!rien->valeur.complet);
        QVERIFY(rien->valeur.elements.empty());
        QVERIFY(rien->valeur.supprimes.isEmpty());
        QCOMPARE(rien->valeur.jeton, delta->valeur.jeton);
    }

    void listageDeRepli()
    {
        const QUrl carnet = NouveauCarnet("repli");
        ClientCardDav client;
        client.SetParametres(Acces("alice", "secret"));
        QList<QPair<QString, QByteArray>> cartes;
        for (int i = 0; i < 3; ++i)
            cartes.append({carnet.path() + QStringLiteral("r%1.vcf").arg(i),
                           Carte(QStringLiteral("r%1").arg(i), QStringLiteral("R %1").arg(i))});
        QVERIFY(Alice().EnvoieTout(cartes) >= 0);
        auto reference = Liste(client, carnet);
        QVERIFY(!reference->erreur);

        // A token the server no longer knows: everything is listed by PROPFIND, with a
        // token that works for the next time.
        auto invalide = Liste(client, carnet,
                              {"http://radicale.org/ns/sync/" + QString(64, 'f'), QString(), true});
        QVERIFY2(!invalide->erreur, qPrintable(invalide->erreur.Texte()));
        QCOMPARE(invalide->valeur.mode, C::Mode::Propfind);
        QCOMPARE(invalide->valeur.repli, ErreurDav::Genre::JetonInvalide);
        QVERIFY(invalide->valeur.complet);
        QCOMPARE(invalide->valeur.elements.size(), size_t(3));
        for (const auto& e : invalide->valeur.elements) {
            const auto meme =
                std::find_if(reference->valeur.elements.begin(), reference->valeur.elements.end(),
                             [&](const C::Element& r) { return r.href == e.href; });
            QVERIFY(meme != reference->valeur.elements.end());
            QCOMPARE(e.etag, meme->etag);
        }
        QVERIFY(!invalide->valeur.ctag.isEmpty());
        auto ensuite = Liste(client, carnet, {invalide->valeur.jeton, invalide->valeur.ctag, true});
        QVERIFY2(!ensuite->erreur, qPrintable(ensuite->erreur.Texte()));
        QCOMPARE(ensuite->valeur.mode, C::Mode::SyncCollection);
        QVERIFY(ensuite->valeur.elements.empty());

        // A server without sync-collection: the ctag says whether anything changed.
        auto memeCtag = Liste(client, carnet, {QString(), invalide->valeur.ctag, false});
        QVERIFY(!memeCtag->erreur);
        QCOMPARE(memeCtag->valeur.mode, C::Mode::Propfind);
        QVERIFY(!memeCtag->valeur.complet);
        QVERIFY(memeCtag->valeur.elements.empty());
        QCOMPARE(Alice().Requete("DELETE", carnet.path() + "r0.vcf").statut / 100, 2);
        auto change = Liste(client, carnet, {QString(), invalide->valeur.ctag, false});
        QVERIFY(!change->erreur);
        QVERIFY(change->valeur.complet);
        QVERIFY(change->valeur.ctag != invalide->valeur.ctag);
        QCOMPARE(Hrefs(change->valeur.elements),
                 QSet<QString>({carnet.path() + "r1.vcf", carnet.path() + "r2.vcf"}));
    }

    void mauvaisMotDePasse()
    {
        for (const QString& motDePasse : {QStringLiteral("faux"), QString()}) {
            ClientCardDav client;
            client.SetParametres(Acces("alice", motDePasse));
            QElapsedTimer t;
            t.start();
            auto d = Decouvre(client, Racine());
            QCOMPARE(d->appels, 1);
            QCOMPARE(d->erreur.genre(), ErreurDav::Genre::Authentification);
            QCOMPARE(d->erreur.Statut(), 401);
            QVERIFY2(d->erreur.Message().contains(
                         QString::fromUtf8("refusé le nom d'utilisateur ou le mot de passe")),
                     qPrintable(d->erreur.Message()));
            QVERIFY(t.elapsed() < 10000);
        }
        // The right password afterwards, on the same client: no stale credentials.
        ClientCardDav client;
        client.SetParametres(Acces("alice", "faux"));
        QCOMPARE(Decouvre(client, Racine())->erreur.genre(), ErreurDav::Genre::Authentification);
        client.SetParametres(Acces("alice", "secret"));
        auto juste = Decouvre(client, Racine());
        QVERIFY2(!juste->erreur, qPrintable(juste->erreur.Texte()));
    }

    void milleCartesParLots()
    {
        const QUrl carnet = Carnet("alice", "mille");
        QList<QPair<QString, QByteArray>> cartes;
        QList<QByteArray> depot;
        for (int i = 0; i < 1000; ++i) {
            const QString uid = QStringLiteral("m%1").arg(i, 4, 10, QLatin1Char('0'));
            cartes.append({carnet.path() + uid + ".vcf",
                           Carte(uid, QStringLiteral("Personne %1").arg(i),
                                 QString::fromUtf8("Note accentuée n°%1").arg(i))});
            depot << cartes.last().second;
        }
        QCOMPARE(Alice().DeposeCarnet(carnet.path(), depot), 201);
        ClientCardDav client;
        client.SetParametres(Acces("alice", "secret"));
        client.SetTailleLot(64);
        auto liste = Liste(client, carnet);
        QVERIFY2(!liste->erreur, qPrintable(liste->erreur.Texte()));
        QCOMPARE(liste->valeur.elements.size(), size_t(1000));
        QStringList hrefs;
        QMap<QString, QString> etags;
        for (const auto& e : liste->valeur.elements) {
            hrefs << e.href;
            etags.insert(e.href, e.etag);
        }
        hrefs << carnet.path() + "absente.vcf";
        std::unique_ptr<QSignalSpy> avance;
        auto r = Recupere(client, carnet, hrefs, [&](OperationDav* op) {
            avance = std::make_unique<QSignalSpy>(op, &OperationDav::Avance);
        });
        QVERIFY2(!r->erreur, qPrintable(r->erreur.Texte()));
        QCOMPARE(r->valeur.cartes.size(), size_t(1000));
        QCOMPARE(r->valeur.absentes, QStringList({carnet.path() + "absente.vcf"}));
        // 1,001 hrefs in batches of 64: 16 requests.
        QCOMPARE(avance->size(), 16);
        QCOMPARE(avance->last().at(0).toLongLong(), 1001);
        QCOMPARE(avance->first().at(0).toLongLong(), 64);
        QMap<QString, QByteArray> attendues;
        for (const auto& [chemin, carte] : cartes)
            attendues.insert(chemin, carte);
        for (const C::Carte& c : r->valeur.cartes) {
            QVERIFY2(attendues.contains(c.href), qPrintable(c.href));
            QCOMPARE(c.etag, etags.value(c.href));
            // The server may reorder lines; the values are what the other client wrote.
            const QByteArray attendue = attendues.value(c.href);
            for (const QByteArray& ligne : attendue.split('\n'))
                QVERIFY2(c.vcard.contains(ligne.trimmed()), qPrintable(c.href + ": " + ligne));
        }
    }

    void serveurTueEnCours()
    {
        ServeurRadicale serveur;
        DemarreOuPasse(serveur);
        const QUrl carnet = serveur.Url().resolved(QUrl("/alice/tue/"));
        AutreClient alice(serveur.Url(), "alice", "secret");
        QList<QByteArray> cartes;
        QStringList hrefs;
        for (int i = 0; i < 300; ++i) {
            cartes << Carte(QStringLiteral("t%1").arg(i), "T");
            hrefs << carnet.path() + QStringLiteral("t%1.vcf").arg(i);
        }
        QCOMPARE(alice.DeposeCarnet(carnet.path(), cartes), 201);
        ClientCardDav client;
        client.SetParametres(Acces("alice", "secret"));
        client.SetTailleLot(20);
        // The server dies once the first batch is in.
        auto r = Recupere(client, carnet, hrefs, [&](OperationDav* op) {
            QObject::connect(op, &OperationDav::Avance, op, [&serveur](qint64 fait) {
                if (fait == 20) serveur.Tue();
            });
        });
        QCOMPARE(r->appels, 1);
        QCOMPARE(r->erreur.genre(), ErreurDav::Genre::Reseau);
        QVERIFY2(r->erreur.Message().contains(AdresseCardDav::Hote(serveur.Url())),
                 qPrintable(r->erreur.Texte()));
        QVERIFY(!r->erreur.Details().isEmpty());
        // Nothing half-received is handed over.
        QVERIFY(r->valeur.cartes.empty());
    }

    void certificatAutoSigne()
    {
        if (QStandardPaths::findExecutable("openssl").isEmpty())
            QSKIP("openssl n'est pas installé");
        QTemporaryDir dossier;
        const QString cert = dossier.filePath("cert.pem"), cle = dossier.filePath("cle.pem");
        QProcess openssl;
        openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", cle,
                                  "-out", cert, "-days", "2", "-subj", "/CN=serveur.exemple"});
        QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
        // The fingerprint as another program computes it.
        openssl.start("openssl", {"x509", "-in", cert, "-noout", "-fingerprint", "-sha256"});
        QVERIFY(openssl.waitForFinished(60000));
        const QString empreinte =
            QString::fromLatin1(openssl.readAllStandardOutput()).section('=', 1).trimmed();
        QVERIFY(empreinte.count(':') == 31);

        ServeurRadicale serveur;
        serveur.SetTls(cert, cle);
        DemarreOuPasse(serveur);
        QCOMPARE(serveur.Url().scheme(), QStringLiteral("https"));
        ClientCardDav client;
        client.SetParametres(Acces("alice", "secret"));
        auto refuse = Decouvre(client, serveur.Url());
        QCOMPARE(refuse->erreur.genre(), ErreurDav::Genre::Certificat);
        const QString details = refuse->erreur.Details();
        QVERIFY2(details.contains(QString::fromUtf8("auto-signé")), qPrintable(details));
        QVERIFY2(details.contains("serveur.exemple"), qPrintable(details));
        QVERIFY2(details.contains(empreinte), qPrintable(details + " / " + empreinte));
        QCOMPARE(refuse->erreur.Empreinte().toHex(':').toUpper(), empreinte.toLatin1());

        // Another certificate trusted: still refused.
        ClientCardDav::Parametres p = Acces("alice", "secret");
        p.certificatAccepte = QByteArray(32, 'x');
        client.SetParametres(p);
        QCOMPARE(Decouvre(client, serveur.Url())->erreur.genre(), ErreurDav::Genre::Certificat);
        // This very certificate trusted by the user: the connection goes on.
        p.certificatAccepte = refuse->erreur.Empreinte();
        client.SetParametres(p);
        auto accepte = Decouvre(client, serveur.Url());
        QVERIFY2(!accepte->erreur, qPrintable(accepte->erreur.Texte()));
        QCOMPARE(accepte->valeur.principal.path(), QStringLiteral("/alice/"));
    }
};

CARNET_TEST(TestClientRadicale)
#include "TestClientRadicale.moc"
