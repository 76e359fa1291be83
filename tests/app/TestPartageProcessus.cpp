// Several copies of the program on one book, each a process of its own as on a real
// desk: the second is told and opens read-only, sees the first one's save, is asked
// before it replaces it; a copy killed with SIGKILL leaves a lock the next one takes
// over without a word; two users share a book in a group folder.

#include "Registre.h"

#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/Repertoire.h"
#include "records/VerrouRepertoire.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int Delai = 30000;

// One copy of the program, driven through its standard input (tests/outils).
class Copie
{
public:
    // `utilisateur`: run as that user (the tests run as root), through setpriv.
    // `variables`: "NAME=value" set, "NAME" removed from its environment.
    Copie(const QString& dossier, const QString& livre = QString(),
          const QString& utilisateur = QString(), const QStringList& variables = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& v : variables) {
            if (v.contains(QLatin1Char('=')))
                env.insert(v.section(QLatin1Char('='), 0, 0), v.section(QLatin1Char('='), 1));
            else
                env.remove(v);
        }
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dossier);
        env.insert(QStringLiteral("HOME"), dossier);
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        m_processus.setProcessEnvironment(env);
        m_processus.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{dossier};
        if (!livre.isEmpty()) arguments << livre;
        if (utilisateur.isEmpty()) {
            m_processus.start(QStringLiteral(CARNET_PILOTE), arguments);
        } else {
            const passwd* compte = getpwnam(utilisateur.toLocal8Bit().constData());
            m_processus.start(QStringLiteral("setpriv"),
                              QStringList{QStringLiteral("--reuid=%1").arg(compte->pw_uid),
                                          QStringLiteral("--regid=%1").arg(compte->pw_gid),
                                          QStringLiteral("--clear-groups"), QStringLiteral("--"),
                                          QStringLiteral(CARNET_PILOTE)} +
                                  arguments);
        }
        const QStringList debut = Lit();
        if (!debut.isEmpty() && debut.first().startsWith(QLatin1String("pret ")))
            m_pid = debut.first().mid(5).toLongLong();
        m_messages = debut.mid(1);
    }
    ~Copie()
    {
        if (m_processus.state() != QProcess::NotRunning) {
            m_processus.closeWriteChannel();
            if (!m_processus.waitForFinished(Delai)) m_processus.kill();
        }
    }

    qint64 Pid() const { return m_pid; }
    // The messages shown at start-up (the question about a locked book...).
    const QStringList& Depart() const { return m_messages; }

    // The lines the command printed, up to its ".".
    QStringList Commande(const QString& commande)
    {
        m_processus.write(commande.toUtf8() + '\n');
        return Lit();
    }
    QStringList Messages(const QString& commande)
    {
        return Commande(commande).filter(QRegularExpression(QStringLiteral("^message ")));
    }
    QString Etat(const char* cle)
    {
        const QString debut = QLatin1String(cle) + QLatin1Char('=');
        for (const QString& l : Commande(QStringLiteral("etat")))
            for (const QString& champ :
                 l.startsWith(QLatin1String("titre=")) || l.startsWith(QLatin1String("noms="))
                     ? QStringList{l}
                     : l.split(QLatin1Char(' ')))
                if (champ.startsWith(debut)) return champ.mid(debut.size());
        return QStringLiteral("?");
    }
    bool Quitte()
    {
        Commande(QStringLiteral("quitte"));
        return m_processus.waitForFinished(Delai) && m_processus.exitCode() == 0;
    }
    void Tue()
    {
        ::kill(static_cast<pid_t>(m_pid), SIGKILL);
        m_processus.waitForFinished(Delai);
    }

private:
    QStringList Lit()
    {
        QStringList lignes;
        QElapsedTimer attente;
        attente.start();
        while (attente.elapsed() < Delai) {
            while (m_processus.canReadLine()) {
                const QString ligne = QString::fromUtf8(m_processus.readLine()).trimmed();
                if (ligne == QLatin1String(".")) return lignes;
                lignes << ligne;
            }
            if (m_processus.state() == QProcess::NotRunning) break;
            m_processus.waitForReadyRead(100);
        }
        lignes
            << QStringLiteral("(pas de réponse de la copie : %1)").arg(m_processus.errorString());
        return lignes;
    }

    QProcess m_processus;
    qint64 m_pid = 0;
    QStringList m_messages;
};

Repertoire Livre(const QStringList& noms)
{
    Repertoire rep;
    rep.SetNbLignes(static_cast<int>(noms.size()) + 1);
    for (int i = 0; i < noms.size(); ++i)
        rep.SetCellule(Nom, i + 1, CodePage::Octets(noms.at(i)));
    return rep;
}

QStringList NomsDuFichier(const QString& chemin)
{
    Repertoire rep;
    const QString erreur = FichierRep::ChargeRepertoire(chemin, rep);
    if (!erreur.isEmpty()) return {erreur};
    QStringList noms;
    for (int r = 1; r <= rep.NbFiches(); ++r)
        noms << CodePage::VersUnicode(rep.Cellule(Nom, r));
    return noms;
}

void EcritLivre(const QString& chemin, const QStringList& noms)
{
    Repertoire rep = Livre(noms);
    QCOMPARE(FichierRep::EcritRepertoire(chemin, rep), QString());
}

VerrouRepertoire::Detenteur Detenteur(const QString& livre)
{
    QFile f(VerrouRepertoire::CheminVerrou(livre));
    return f.open(QIODevice::ReadOnly) ? VerrouRepertoire::Analyse(f.readAll())
                                       : VerrouRepertoire::Detenteur();
}

// What is in the folder besides the books: locks and temporary files.
QStringList Caches(const QString& dossier)
{
    return QDir(dossier).entryList(QStringList{QStringLiteral(".*")},
                                   QDir::Files | QDir::Hidden | QDir::System);
}

bool Attend(const std::function<bool()>& condition)
{
    QElapsedTimer attente;
    attente.start();
    while (!condition()) {
        if (attente.elapsed() > Delai) return false;
        QTest::qWait(50);
    }
    return true;
}

} // namespace

class TestPartageProcessus : public QObject
{
    Q_OBJECT

private slots:
    // On an English system, Qt's file lists still show sizes and dates the French way,
    // and the programs started from the window (mail, browser) get the user's locale
    // back untouched.
    void langueFrancaise()
    {
        QTemporaryDir dossier;
        Copie copie(dossier.path(), QString(), QString(),
                    {QStringLiteral("LANG=en_US.UTF-8"), QStringLiteral("LC_ALL=en_US.UTF-8"),
                     QStringLiteral("LC_TIME"), QStringLiteral("LC_CTYPE"),
                     QStringLiteral("LC_NUMERIC"), QStringLiteral("LC_MESSAGES")});
        const QStringList lignes = copie.Commande(QStringLiteral("langue"));
        QVERIFY2(lignes.contains(QString::fromUtf8("taille=1,16 Kio")),
                 qPrintable(lignes.join('|')));
        QVERIFY2(lignes.contains(QStringLiteral("date=07/12/2026 06:09")),
                 qPrintable(lignes.join('|')));
        QVERIFY2(lignes.contains(QStringLiteral("LC_ALL=en_US.UTF-8 LC_TIME=- LC_CTYPE=-")),
                 qPrintable(lignes.join('|')));
        QVERIFY(copie.Quitte());
    }

    // A user's path: warned, read-only, the first saves, the second sees it;
    // switched to "Ouvrir quand même" and saving after the first, it is asked before
    // replacing; no lock file is left after either quits.
    void deuxCopies()
    {
        QTemporaryDir dossier;
        const QString livre = dossier.filePath(QStringLiteral("amis.REP"));
        EcritLivre(livre, {"Martin", "Dupont"});
        QVERIFY(QDir().mkpath(dossier.filePath("a")));
        QVERIFY(QDir().mkpath(dossier.filePath("b")));

        Copie a(dossier.filePath("a"), livre);
        QVERIFY(a.Pid() > 0);
        QCOMPARE(a.Depart(), QStringList());
        QCOMPARE(Detenteur(livre).pid, a.Pid());

        Copie b(dossier.filePath("b"));
        QVERIFY(b.Pid() > 0);
        b.Commande(QStringLiteral("choix 0"));
        const QStringList question = b.Messages(QStringLiteral("ouvre ") + livre);
        QCOMPARE(question.size(), 1);
        const VerrouRepertoire::Detenteur moi = VerrouRepertoire::Moi();
        QVERIFY2(question.first().startsWith(
                     QString::fromUtf8("message Répertoire déjà ouvert | Le répertoire « "
                                       "amis.REP » est déjà ouvert par %1")
                         .arg(moi.utilisateur)),
                 qPrintable(question.first()));
        QVERIFY2(question.first().contains(
                     QString::fromUtf8("sur l'ordinateur « %1 », depuis le").arg(moi.hote)),
                 qPrintable(question.first()));
        QCOMPARE(b.Etat("lectureseule"), QStringLiteral("1"));
        QCOMPARE(b.Etat("titre"),
                 QString::fromUtf8("Carnet d'adresses \"amis\" (lecture seule) - Fiche n°1/2 "
                                   "[ Martin]"));

        // The first one saves; the second, coming back, reloads it, still read-only.
        a.Commande(QStringLiteral("saisit Premier"));
        QCOMPARE(a.Messages(QStringLiteral("enregistre")), QStringList());
        QCOMPARE(NomsDuFichier(livre), QStringList({"Premier", "Dupont"}));
        b.Commande(QStringLiteral("oui"));
        const QStringList retour = b.Messages(QStringLiteral("revient"));
        QCOMPARE(retour.size(), 1);
        QVERIFY2(retour.first().contains(QString::fromUtf8("Le fichier a été modifié par un autre "
                                                           "programme depuis son ouverture.")),
                 qPrintable(retour.first()));
        QCOMPARE(b.Etat("noms"), QStringLiteral("Premier,Dupont"));
        QCOMPARE(b.Etat("lectureseule"), QStringLiteral("1"));

        // Opened again, "quand même": writable, without the lock, which stays A's.
        b.Commande(QStringLiteral("choix 1"));
        QCOMPARE(b.Messages(QStringLiteral("ouvre ") + livre).size(), 1);
        QCOMPARE(b.Etat("lectureseule"), QStringLiteral("0"));
        QCOMPARE(b.Etat("verrou"), QStringLiteral("0"));
        QCOMPARE(Detenteur(livre).pid, a.Pid());

        // Both change the book; A saves first; B is asked, and "Annuler" keeps A's.
        a.Commande(QStringLiteral("saisit Alice"));
        b.Commande(QStringLiteral("saisit Bruno"));
        QCOMPARE(a.Messages(QStringLiteral("enregistre")), QStringList());
        b.Commande(QStringLiteral("choix 2"));
        const QStringList avant = b.Messages(QStringLiteral("enregistre"));
        QCOMPARE(avant.size(), 1);
        QVERIFY2(avant.first().startsWith(QString::fromUtf8(
                     "message Fichier modifié | Le fichier a été modifié par un autre programme "
                     "depuis son ouverture.")),
                 qPrintable(avant.first()));
        QCOMPARE(NomsDuFichier(livre), QStringList({"Alice", "Dupont"}));
        QCOMPARE(b.Etat("modifie"), QStringLiteral("1"));
        // "Enregistrer quand même": B's book replaces it, as asked.
        b.Commande(QStringLiteral("choix 0"));
        QCOMPARE(b.Messages(QStringLiteral("enregistre")).size(), 1);
        QCOMPARE(NomsDuFichier(livre), QStringList({"Bruno", "Dupont"}));

        // A quits (after the question about its saved book: nothing to ask); the lock
        // goes with it. B, quitting, removes nothing of anyone's and leaves nothing.
        QVERIFY(a.Quitte());
        QCOMPARE(Caches(dossier.path()), QStringList());
        QVERIFY(b.Quitte());
        QCOMPARE(Caches(dossier.path()), QStringList());
    }

    // The real program killed with SIGKILL: its lock stays, and the next copy on this
    // computer takes it over without a question.
    void copieTuee()
    {
        QTemporaryDir dossier;
        const QString livre = dossier.filePath(QStringLiteral("amis.REP"));
        EcritLivre(livre, {"Martin"});
        QProcess programme;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dossier.path());
        programme.setProcessEnvironment(env);
        programme.start(QStringLiteral(CARNET_PROGRAMME), {livre});
        QVERIFY(programme.waitForStarted(Delai));
        QVERIFY2(Attend([&] { return Detenteur(livre).pid == programme.processId(); }),
                 "the program never took the lock");

        QVERIFY(QDir().mkpath(dossier.filePath("b")));
        Copie b(dossier.filePath("b"));
        b.Commande(QStringLiteral("choix 2"));
        const QStringList question = b.Messages(QStringLiteral("ouvre ") + livre);
        QCOMPARE(question.size(), 1);
        QVERIFY(question.first().contains(QString::fromUtf8("déjà ouvert")));
        QCOMPARE(b.Etat("titre").contains(QLatin1String("amis")), false);

        ::kill(static_cast<pid_t>(programme.processId()), SIGKILL);
        QVERIFY(programme.waitForFinished(Delai));
        QVERIFY(QFile::exists(VerrouRepertoire::CheminVerrou(livre)));
        QCOMPARE(b.Messages(QStringLiteral("ouvre ") + livre), QStringList());
        QCOMPARE(b.Etat("lectureseule"), QStringLiteral("0"));
        QCOMPARE(b.Etat("verrou"), QStringLiteral("1"));
        QCOMPARE(Detenteur(livre).pid, b.Pid());
        QVERIFY(b.Quitte());
        QCOMPARE(Caches(dossier.path()), QStringList());
    }

    // Two users, root and nobody, share a book in a group folder (mode 2775): each sees
    // the other's lock by name; a lock nobody left in a crash is taken over by root; a
    // folder nobody may not write opens read-only with a message.
    void deuxUtilisateurs()
    {
        if (geteuid() != 0) QSKIP("needs root, to run a copy as the user nobody");
        const passwd* nobody = getpwnam("nobody");
        if (!nobody) QSKIP("no user nobody");
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("setpriv (util-linux) missing");
        QTemporaryDir base;
        QVERIFY(QFile::setPermissions(
            base.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                             QFileDevice::ReadOther | QFileDevice::ExeOther));
        // Each copy's own folder (settings, images), and the shared one.
        const QString racine = base.filePath("racine");
        const QString personne = base.filePath("nobody");
        const QString partage = base.filePath("partage");
        for (const QString& d : {racine, personne, partage})
            QVERIFY(QDir().mkpath(d));
        QCOMPARE(chown(QFile::encodeName(personne).constData(), nobody->pw_uid, nobody->pw_gid), 0);
        QCOMPARE(chown(QFile::encodeName(partage).constData(), 0, nobody->pw_gid), 0);
        QCOMPARE(chmod(QFile::encodeName(partage).constData(), 02775), 0);
        const QString livre = partage + QStringLiteral("/commun.REP");
        EcritLivre(livre, {"Martin"});
        QCOMPARE(chown(QFile::encodeName(livre).constData(), 0, nobody->pw_gid), 0);
        QCOMPARE(chmod(QFile::encodeName(livre).constData(), 0664), 0);

        {
            Copie r(racine, livre);
            QCOMPARE(r.Etat("verrou"), QStringLiteral("1"));
            Copie n(personne, QString(), QStringLiteral("nobody"));
            QVERIFY2(n.Pid() > 0, "the copy run as nobody did not start");
            n.Commande(QStringLiteral("choix 0"));
            const QStringList question = n.Messages(QStringLiteral("ouvre ") + livre);
            QCOMPARE(question.size(), 1);
            QVERIFY2(question.first().contains(QString::fromUtf8("déjà ouvert par root")),
                     qPrintable(question.first()));
            QCOMPARE(n.Etat("lectureseule"), QStringLiteral("1"));
            QVERIFY(r.Quitte());
            QVERIFY(!QFile::exists(VerrouRepertoire::CheminVerrou(livre)));
            // Root gone, nobody opens it again for writing, and saves it.
            QCOMPARE(n.Messages(QStringLiteral("ouvre ") + livre), QStringList());
            QCOMPARE(n.Etat("verrou"), QStringLiteral("1"));
            struct stat etat;
            QCOMPARE(
                stat(QFile::encodeName(VerrouRepertoire::CheminVerrou(livre)).constData(), &etat),
                0);
            QCOMPARE(etat.st_uid, nobody->pw_uid);
            QCOMPARE(etat.st_gid, nobody->pw_gid); // the folder's group
            n.Commande(QStringLiteral("saisit Personne"));
            n.Commande(QStringLiteral("enregistre"));
            QCOMPARE(NomsDuFichier(livre), QStringList({"Personne"}));
            QCOMPARE(stat(QFile::encodeName(livre).constData(), &etat), 0);
            QCOMPARE(etat.st_gid, nobody->pw_gid);
            QCOMPARE(etat.st_mode & 07777, mode_t(0664));

            // Root, now second, is told nobody has it.
            Copie r2(racine);
            r2.Commande(QStringLiteral("choix 2"));
            const QStringList autre = r2.Messages(QStringLiteral("ouvre ") + livre);
            QCOMPARE(autre.size(), 1);
            QVERIFY2(autre.first().contains(QString::fromUtf8("déjà ouvert par nobody")),
                     qPrintable(autre.first()));
            // Nobody's copy crashes: root takes its lock over, silently.
            n.Tue();
            QVERIFY(QFile::exists(VerrouRepertoire::CheminVerrou(livre)));
            QCOMPARE(r2.Messages(QStringLiteral("ouvre ") + livre), QStringList());
            QCOMPARE(r2.Etat("verrou"), QStringLiteral("1"));
            QCOMPARE(Detenteur(livre).pid, r2.Pid());
            QVERIFY(r2.Quitte());
        }
        QCOMPARE(Caches(partage), QStringList());

        // A folder where nobody may not write: read-only, and told why.
        const QString prive = base.filePath("prive");
        QVERIFY(QDir().mkpath(prive));
        QCOMPARE(chmod(QFile::encodeName(prive).constData(), 0755), 0);
        const QString livrePrive = prive + QStringLiteral("/prive.REP");
        EcritLivre(livrePrive, {"Secret"});
        QCOMPARE(chmod(QFile::encodeName(livrePrive).constData(), 0644), 0);
        Copie n(personne, QString(), QStringLiteral("nobody"));
        const QStringList message = n.Messages(QStringLiteral("ouvre ") + livrePrive);
        QCOMPARE(message.size(), 1);
        QVERIFY2(message.first().startsWith(
                     QString::fromUtf8(
                         "message Lecture seule | Le dossier « %1 » n'accepte pas d'écriture "
                         "(Permission refusée) : le répertoire est ouvert en lecture seule.")
                         .arg(prive)),
                 qPrintable(message.first()));
        QCOMPARE(n.Etat("lectureseule"), QStringLiteral("1"));
        QCOMPARE(n.Etat("noms"), QStringLiteral("Secret"));
        QVERIFY(n.Quitte());
        QCOMPARE(Caches(prive), QStringList());
    }
};

CARNET_TEST(TestPartageProcessus)
#include "TestPartageProcessus.moc"
