// The synchronisation as the user meets it: the account dialog, F5 in the main
// window, the conflicts dialog, and the sync file written beside the book with it,
// against Radicale started for these tests.
#include "AutreClient.h"
#include "OutilsSync.h"
#include "Registre.h"
#include "ServeurRadicale.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/Socle.h"
#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TMenusFiche.h"
#include "records/EmpreinteFichier.h"
#include "settings/Reglages.h"
#include "sync/FichierSync.h"
#include "sync/TCompteSync.h"
#include "sync/TConflitsSync.h"
#include "sync/TSync.h"
#include "ui/TMessage.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace
{

class BancSync : public Socle
{
public:
    BancSync(const QString& reglages, const QString& dossier) : Socle(reglages, dossier)
    {
        m_sync = new TSync(*Fiche());
        m_sync->Lit(Store());
        m_sync->Coffre().SetSansCoffre(true);
        Ecriture().Contribue(EcritureReglages::Etape::Synchronisation,
                             [this](Reglages& r) { m_sync->Ecrit(r); });
        Demarre({});
    }
    TSync* Sync() const { return m_sync; }

private:
    TSync* m_sync = nullptr;
};

QString Image(const QString& nom)
{
    return QDir::temp().filePath(nom);
}

} // namespace

class TestTSync : public QObject
{
    Q_OBJECT

    std::unique_ptr<ServeurRadicale> m_serveur;
    std::unique_ptr<QTemporaryDir> m_dossier;

    QString Chemin(const char* nom) const { return m_dossier->filePath(QLatin1String(nom)); }
    std::unique_ptr<BancSync> Demarre()
    {
        auto b = std::make_unique<BancSync>(Chemin("carnet.ini"), m_dossier->path() + '/');
        b->Fiche()->show();
        QCoreApplication::processEvents();
        return b;
    }
    // F5, as the user presses it, and the wait for the end.
    static bool F5(BancSync& b)
    {
        QSignalSpy fini(b.Sync(), &TSync::Fini);
        QAction* action = b.Fiche()->Menus()->Item(TMenusFiche::Commande::Synchroniser);
        if (action->shortcut() != QKeySequence(Qt::Key_F5)) return false;
        action->trigger();
        OutilsSync::Attends([&] { return !fini.isEmpty(); }, 60000);
        return !fini.isEmpty() && fini.first().at(0).toBool();
    }

private slots:
    void initTestCase()
    {
        Q_INIT_RESOURCE(carnet);
        m_serveur = std::make_unique<ServeurRadicale>();
        const QString raison = ServeurRadicale::DemarreOuExplique(*m_serveur);
        if (raison == ServeurRadicale::Absent()) QSKIP(qPrintable(raison));
        QVERIFY2(raison.isEmpty(), qPrintable(raison));
    }
    void cleanupTestCase() { m_serveur.reset(); }
    void init()
    {
        TMessage::ModeTest(true);
        m_dossier = std::make_unique<QTemporaryDir>();
    }
    void cleanup() { TMessage::ModeTest(false); }

    void compteLuEtEcrit()
    {
        {
            QFile f(Chemin("carnet.ini"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Synchronisation%20CardDAV]\nAdresse=https://dav.exemple.fr/"
                    "\nUtilisateur=equipe\n");
        }
        auto b = Demarre();
        QCOMPARE(b->Sync()->Compte().adresse, QStringLiteral("https://dav.exemple.fr/"));
        QCOMPARE(b->Sync()->Compte().utilisateur, QStringLiteral("equipe"));
        QVERIFY(!b->Sync()->Compte().banque);

        // The dialog: plain HTTP to another computer is asked about; no password in
        // the settings.
        TCompteSync* d = b->Sync()->DialogueCompte();
        b->Sync()->ExecuteCompte = [](TCompteSync& dialogue) {
            dialogue.Adresse()->setText("dav.autre.fr/carnets/");
            dialogue.MotDePasseEdit()->setText("tres-secret");
            dialogue.Banque()->setChecked(true);
            dialogue.show();
            dialogue.grab().save(Image("carnet-compte-sync.png"));
            dialogue.setResult(QDialog::Rejected);
            dialogue.accept();
            return dialogue.result() == QDialog::Accepted;
        };
        QVERIFY(b->Sync()->Compte1Click());
        QCOMPARE(b->Sync()->Compte().adresse, QStringLiteral("https://dav.autre.fr/carnets/"));
        QVERIFY(b->Sync()->Compte().banque);
        QVERIFY(!d->isVisible());
        // Without a secret store, the user is told the password is for this session.
        QVERIFY(OutilsSync::Attends([] { return !TMessage::Historique().empty(); }, 5000));
        QVERIFY(TMessage::DernierTexte().contains(QString::fromUtf8("jusqu'à la fermeture")));
        TMessage::Historique().clear();
        TMessage::ReponseSuivante(TMessage::Non);
        b->Sync()->ExecuteCompte = [](TCompteSync& dialogue) {
            dialogue.Adresse()->setText("http://dav.autre.fr/");
            dialogue.setResult(QDialog::Rejected);
            dialogue.accept();
            return dialogue.result() == QDialog::Accepted;
        };
        QVERIFY(!b->Sync()->Compte1Click());
        QVERIFY(TMessage::DernierTexte().contains("en clair"));
        QString raison;
        QVERIFY(b->EcritReglages(&raison));
        const Reglages relu(Chemin("carnet.ini"));
        QCOMPARE(relu.ReadString("Synchronisation CardDAV", "Adresse", {}),
                 QStringLiteral("https://dav.autre.fr/carnets/"));
        QCOMPARE(relu.ReadString("Synchronisation CardDAV", "Utilisateur", {}),
                 QStringLiteral("equipe"));
        QFile ini(Chemin("carnet.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(!ini.readAll().contains("tres-secret"));
    }

    void f5DeuxFoisEtUnConflit()
    {
        auto b = Demarre();
        TFiche* f = b->Fiche();
        const QUrl carnet = m_serveur->Url().resolved(QUrl("/alice/fenetre/"));
        AutreClient telephone(m_serveur->Url(), "alice", "secret");
        QCOMPARE(telephone.CreeCarnet(carnet.path(), "Fenetre"), 201);
        ModeleRepertoire* m = f->Modele();
        m->SetCellule(Nom, 1, "Martin");
        m->SetCellule(Prenom, 1, "Zo\xe9");
        m->SetCellule(Ville, 1, "Lille");
        const int l2 = m->AjouteFiche();
        m->SetCellule(Nom, l2, "Bernard");
        const QString livre = Chemin("equipe.REP");
        f->Document()->ChoisitFichierEnregistrer = [&] { return livre; };
        QVERIFY(f->Document()->EnregistrerSous());
        QVERIFY(!QFile::exists(FichierSync::Chemin(livre))); // nothing synced yet

        int comptes = 0;
        b->Sync()->ExecuteCompte = [&](TCompteSync& dialogue) {
            ++comptes;
            dialogue.Adresse()->setText(carnet.toString());
            dialogue.Utilisateur()->setText("alice");
            dialogue.MotDePasseEdit()->setText("secret");
            dialogue.setResult(QDialog::Rejected);
            dialogue.accept();
            return dialogue.result() == QDialog::Accepted;
        };
        QVERIFY2(F5(*b), qPrintable(TMessage::DernierTexte()));
        QCOMPARE(comptes, 1);
        QVERIFY2(TMessage::DernierTexte().contains(QString::fromUtf8("2 envoyées")),
                 qPrintable(TMessage::DernierTexte()));
        // Nothing came in: the book and its file still agree, and the sync file is
        // written at once, with the book's stamp.
        QVERIFY(!f->Rep().Modifie());
        EtatSync etat;
        QCOMPARE(FichierSync::Charge(livre, etat), QString());
        QCOMPARE(etat.entrees.size(), size_t(2));
        QCOMPARE(etat.hachage, EmpreinteFichier::DuFichier(livre).Hachage());

        // The phone and this window change the same field.
        QString href;
        for (const auto& e : etat.entrees)
            if (e.carte.contains("N:Martin;")) href = e.href;
        const AutreClient::Reponse lu = telephone.Requete("GET", href);
        QByteArray carte = lu.corps;
        carte.replace("Lille", "Roubaix");
        QCOMPARE(telephone
                         .Requete("PUT", href, carte,
                                  {{"Content-Type", "text/vcard"},
                                   {"If-Match", lu.entetes.value("etag")}})
                         .statut /
                     100,
                 2);
        m->SetCellule(Ville, 1, "Douai");
        int conflits = 0;
        b->Sync()->ExecuteConflits = [&](TConflitsSync& d) {
            ++conflits;
            d.show();
            QTableWidget* t = d.Table();
            if (t->rowCount() != 1 || t->item(0, 2)->text() != "Douai" ||
                t->item(0, 3)->text() != "Roubaix")
                return false;
            if (d.BoutonLesDeux()->isEnabled()) return false; // a town is not a note
            d.grab().save(Image("carnet-conflits-sync.png"));
            t->selectRow(0);
            QTest::mouseClick(d.BoutonServeur(), Qt::LeftButton);
            d.accept();
            return d.result() == QDialog::Accepted;
        };
        QVERIFY2(F5(*b), qPrintable(TMessage::DernierTexte()));
        QCOMPARE(conflits, 1);
        QCOMPARE(comptes, 1); // the password kept for the session
        QCOMPARE(f->Rep().CelluleStr(Ville, 1), std::string("Roubaix"));
        QVERIFY(f->Rep().Modifie());
        // The sync file waits for the book's save, then follows it.
        QCOMPARE(FichierSync::Charge(livre, etat), QString());
        QVERIFY(etat.hachage == EmpreinteFichier::DuFichier(livre).Hachage());
        QVERIFY(f->Document()->Enregistrer());
        QCOMPARE(FichierSync::Charge(livre, etat), QString());
        QCOMPARE(etat.hachage, EmpreinteFichier::DuFichier(livre).Hachage());
        for (const auto& e : etat.entrees)
            if (e.href == href) QCOMPARE(e.champs[Ville], std::string("Roubaix"));
        f->grab().save(Image("carnet-apres-sync.png"));

        // A change sent, then the book read again from the disk without saving: the
        // sync file's state is taken again, and the server's value comes back instead
        // of the old one overwriting it.
        m->SetCellule(Ville, 1, "Arras");
        QVERIFY2(F5(*b), qPrintable(TMessage::DernierTexte()));
        QVERIFY(telephone.Requete("GET", href).corps.contains("Arras"));
        QVERIFY(f->Document()->Charge(livre));
        QCOMPARE(f->Rep().CelluleStr(Ville, 1), std::string("Roubaix"));
        QVERIFY(!f->Rep().Modifie());
        QVERIFY2(F5(*b), qPrintable(TMessage::DernierTexte()));
        QCOMPARE(f->Rep().CelluleStr(Ville, 1), std::string("Arras"));
        QVERIFY(telephone.Requete("GET", href).corps.contains("Arras"));
    }

    void motDePasseRefuseEtLivreSansNom()
    {
        auto b = Demarre();
        b->Sync()->ExecuteCompte = [&](TCompteSync& dialogue) {
            dialogue.Adresse()->setText(m_serveur->Url().toString());
            dialogue.Utilisateur()->setText("bob");
            dialogue.MotDePasseEdit()->setText("faux");
            dialogue.setResult(QDialog::Rejected);
            dialogue.accept();
            return dialogue.result() == QDialog::Accepted;
        };
        b->Fiche()->Modele()->SetCellule(Nom, 1, "Seul");
        // An unnamed book: nothing is asked of the server.
        QVERIFY(!F5(*b));
        QVERIFY(std::any_of(
            TMessage::Historique().begin(), TMessage::Historique().end(),
            [](const TMessage::Trace& t) { return t.texte.contains("Enregistrez d'abord"); }));
        b->Fiche()->Document()->ChoisitFichierEnregistrer = [&] { return Chemin("seul.REP"); };
        QVERIFY(b->Fiche()->Document()->EnregistrerSous());
        QVERIFY(!F5(*b));
        QVERIFY2(TMessage::DernierTexte().contains(
                     QString::fromUtf8("refusé le nom d'utilisateur ou le mot de passe")),
                 qPrintable(TMessage::DernierTexte()));
        QCOMPARE(b->Fiche()->Rep().CelluleStr(Nom, 1), std::string("Seul"));
        QVERIFY(!QFile::exists(FichierSync::Chemin(Chemin("seul.REP"))));
        // The next F5 asks for the password again, saying why, instead of sending the
        // refused one (kept for the session) once more.
        QString note;
        b->Sync()->ExecuteCompte = [&](TCompteSync& dialogue) {
            note = dialogue.findChild<QLabel*>("Note")->text();
            dialogue.MotDePasseEdit()->setText("motdepasse");
            dialogue.setResult(QDialog::Rejected);
            dialogue.accept();
            return dialogue.result() == QDialog::Accepted;
        };
        QVERIFY2(F5(*b), qPrintable(TMessage::DernierTexte()));
        QVERIFY2(note.contains(QString::fromUtf8("refusé le mot de passe")), qPrintable(note));
        // Bob has no address book yet: one is made, named after the book, from the
        // server's root; nothing came in, so the sync file is written at once.
        QVERIFY2(
            TMessage::DernierTexte().contains(QString::fromUtf8("0 reçues du serveur, 1 envoyées")),
            qPrintable(TMessage::DernierTexte()));
        QVERIFY(QFile::exists(FichierSync::Chemin(Chemin("seul.REP"))));
        EtatSync etat;
        QCOMPARE(FichierSync::Charge(Chemin("seul.REP"), etat), QString());
        QVERIFY2(etat.adresse.contains("/bob/seul-"), qPrintable(etat.adresse));
    }
};

CARNET_TEST(TestTSync)
#include "TestTSync.moc"
