// Synchronisation with a local Radicale (when installed): the first sync of a book
// against its floor, the same cards PUT one by one by another client on one
// connection (what the server itself needs to accept them); then a sync with
// nothing to do against one request asking the address book's state.
// "--sync N" sets the number of records (default 1,000): Radicale's time per PUT
// grows with the size of the address book, so 10,000 takes about two hours here.
#include "BenchOutils.h"

#include "../tests/sync/AutreClient.h"
#include "../tests/sync/ServeurRadicale.h"
#include "sync/AdresseCardDav.h"
#include "sync/CarteSync.h"
#include "sync/MoteurSync.h"

#include <QCoreApplication>

namespace
{

bool Attends(const bool& fini)
{
    while (!fini)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return true;
}

// One run of the engine: false with the reason on stderr.
bool Synchronise(MoteurSync& moteur, Repertoire& rep, EtatSync& etat,
                 const MoteurSync::Compte& compte)
{
    bool fini = false;
    ErreurDav erreur;
    moteur.Prepare(rep, etat, false, compte, [&](const ErreurDav& e) {
        erreur = e;
        fini = true;
    });
    Attends(fini);
    if (!erreur) {
        fini = false;
        moteur.Applique(rep, [&](const ErreurDav& e) {
            erreur = e;
            fini = true;
        });
        Attends(fini);
    }
    if (erreur) {
        std::fprintf(stderr, "sync : %s\n", qPrintable(erreur.Texte()));
        return false;
    }
    etat = moteur.Etat();
    return true;
}

void Sync(const Repertoire& livre, const QString&)
{
    int n = 1000;
    // The measure runs in a child: "--sync N" reaches it through the environment.
    if (qEnvironmentVariableIsSet("CARNET_BENCH_SYNC"))
        n = std::max(1, qEnvironmentVariableIntValue("CARNET_BENCH_SYNC"));
    n = std::min(n, livre.NbFiches());
    ServeurRadicale serveur;
    const QString raison = serveur.Demarre();
    if (!raison.isEmpty()) {
        std::fprintf(stderr, "sync : pas de mesure (%s)\n", qPrintable(raison));
        return;
    }
    AutreClient autre(serveur.Url(), QStringLiteral("alice"), QStringLiteral("secret"));
    const QUrl carnet = serveur.Url().resolved(QUrl(QStringLiteral("/alice/bench/")));
    const QUrl plancher = serveur.Url().resolved(QUrl(QStringLiteral("/alice/plancher/")));
    if (autre.CreeCarnet(carnet.path(), QStringLiteral("bench")) != 201 ||
        autre.CreeCarnet(plancher.path(), QStringLiteral("plancher")) != 201) {
        std::fprintf(stderr, "sync : carnets non créés\n");
        return;
    }
    Repertoire rep;
    rep.SetNbLignes(n + 1);
    for (int r = 1; r <= n; ++r)
        for (int c = 0; c < NbColonnes; ++c)
            rep.SetCellule(c, r, livre.Cellule(c, r));

    MoteurSync moteur;
    MoteurSync::Compte compte;
    compte.carnet = carnet;
    compte.acces.utilisateur = QStringLiteral("alice");
    compte.acces.motDePasse = QStringLiteral("secret");
    EtatSync etat;
    QElapsedTimer t;
    t.start();
    if (!Synchronise(moteur, rep, etat, compte)) return;
    const double initiale = Secondes(t);

    // The same cards, as the engine wrote them, PUT one by one.
    QList<QPair<QString, QByteArray>> cartes;
    for (int r = 1; r <= n; ++r) {
        CarteSync::Champs f;
        for (int c = 0; c < NbColonnes; ++c)
            f[static_cast<size_t>(c)] = rep.CelluleStr(c, r);
        const QString uid = CarteSync::NouvelUid();
        cartes.append({AdresseCardDav::HrefNouvelleCarte(plancher, uid),
                       CarteSync::Ecrit(f, uid, {}, false)});
    }
    QString erreur;
    const double un = autre.EnvoieTout(cartes, &erreur);
    if (un < 0) std::fprintf(stderr, "sync : %s\n", qPrintable(erreur));
    Ligne(QStringLiteral("sync_initial_%1").arg(n).toLatin1().constData(), initiale, un);

    t.restart();
    if (!Synchronise(moteur, rep, etat, compte)) return;
    const double rien = Secondes(t);
    // The floor: the one request that tells nothing changed, the sync-collection
    // report from the stored token, on the same connection. (A ctag PROPFIND is not
    // it: the server hashes every card to answer it, slower than the report.)
    bool fini = false;
    ClientCardDav::Depuis depuis;
    depuis.jeton = etat.jeton;
    depuis.ctag = etat.ctag;
    t.restart();
    moteur.Client().Liste(carnet, depuis, [&](const ErreurDav& e, const ClientCardDav::Listage&) {
        if (e) std::fprintf(stderr, "sync : %s\n", qPrintable(e.Texte()));
        fini = true;
    });
    Attends(fini);
    Ligne("sync_nothing", rien, Secondes(t));
}

} // namespace

CARNET_BENCH(sync, Sync)
