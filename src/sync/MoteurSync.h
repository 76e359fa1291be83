#pragma once

#include "sync/ClientCardDav.h"
#include "sync/EtatSync.h"
#include "sync/FusionFiche.h"

#include <QObject>
#include <QUrl>
#include <functional>
#include <vector>

class Repertoire;

// The two-way synchronisation of a book with an address book on a CardDAV server,
// without any window, in two steps that never block:
//  - Prepare reads what changed on the server (sync-collection, or the list of
//    ETags), fetches every card needed and decides, record by record, against the
//    sync file's bases; the book is not touched. The caller then settles the
//    conflicts and, when many records would go, the deletions.
//  - Applique changes the book in memory at once, then sends this side's changes
//    (PUT If-Match / If-None-Match: *, DELETE If-Match), recording each success in
//    Etat(). A card changed on the server in between (412) is fetched and merged
//    again. Stopped at any point (network, server, Annule), the book, the state and
//    the server stay consistent: what was not sent is sent by the next run.
class MoteurSync : public QObject
{
    Q_OBJECT
public:
    struct Compte {
        QUrl carnet;
        ClientCardDav::Parametres acces;
        bool banque = false; // the bank page travels too
    };
    enum class Choix { Mienne, Serveur, LesDeux };
    struct Conflit {
        int dossier = 0;
        int champ = 0;
        QString fiche; // the record's name, for the user
        std::string mienne, serveur;
        Choix choix = Choix::Mienne;
    };
    struct Bilan {
        int recues = 0;            // records changed or added here from the server
        int envoyees = 0;          // cards written on the server
        int supprimeesIci = 0;     // records deleted here, deleted on the server
        int supprimeesServeur = 0; // cards deleted on the server, deleted here
        int nonRapprochees = 0;    // sync file's records not found in a book changed elsewhere
        int reportees = 0;         // changed on the server meanwhile: for the next run
        int conflits = 0;
    };

    explicit MoteurSync(QObject* parent = nullptr);
    ~MoteurSync() override;

    ClientCardDav& Client() { return *m_client; }

    // `etat`: the sync file's; `perime`: the book was changed by another program since
    // it was written (records missing then are not taken as deleted).
    void Prepare(const Repertoire& rep, const EtatSync& etat, bool perime, const Compte& compte,
                 std::function<void(const ErreurDav&)> fin);
    std::vector<Conflit>& Conflits() { return m_conflits; }
    int SuppressionsIci() const;
    int SuppressionsServeur() const;
    // More than a tenth of the book would go on one side.
    bool ConfirmationNecessaire() const;
    // The deletions are not made: records deleted on one side come back there.
    void RefuseSuppressions();

    void Applique(Repertoire& rep, std::function<void(const ErreurDav&)> fin);
    void Annule();

    // The state to save with the book: valid after Prepare failed (unchanged), and
    // after Applique whatever its end.
    const EtatSync& Etat() const { return m_etat; }
    const Bilan& Resume() const { return m_bilan; }

signals:
    void Avance(const QString& etape, qint64 fait, qint64 total);

private:
    enum class Serveur { Inchange, Change, Supprime };
    struct Dossier {
        int entree = -1; // in m_etat.entrees, -1: none yet
        int ligne = -1;  // in the book, -1: none
        Serveur serveur = Serveur::Inchange;
        QString href, etag, uid;
        QByteArray carte; // the server's card now (Change)
        CarteSync::Champs champsServeur;
        CarteSync::Champs ici;
        FusionFiche::Resultat fusion;
        bool ajoutIci = false, supprimeIci = false, majIci = false;
        bool envoi = false, creation = false, supprimeServeur = false;
        bool retire = false; // the entry goes from the state
        bool saute = false;  // the row changed meanwhile: left for the next run
    };

    void Liste();
    void Recupere();
    void Decide();
    void DecideDossier(Dossier& d);
    void Envoie(size_t rang);
    void EnvoieDossier(size_t indice, bool nouvelEssai, std::function<void()> suite);
    void Course(size_t indice, std::function<void()> suite);
    void Termine(const ErreurDav& erreur);
    void EcritLigne(Dossier& d, const CarteSync::Champs& champs);
    bool LigneIntacte(const Dossier& d) const;
    EtatSync::Entree& EntreeDe(Dossier& d);
    QString NomFiche(const CarteSync::Champs& champs) const;

    ClientCardDav* m_client;
    Compte m_compte;
    EtatSync m_etat;
    bool m_perime = false;
    Repertoire* m_rep = nullptr;
    std::vector<CarteSync::Champs> m_lignes; // the book's rows, 1-based (0 unused)
    std::vector<int> m_entreeLigne;          // the row of each entry, -1
    ClientCardDav::Listage m_listage;
    QStringList m_aRecuperer;
    std::vector<ClientCardDav::Carte> m_cartes;
    QStringList m_absentes;
    std::vector<Dossier> m_dossiers;
    std::vector<Conflit> m_conflits;
    std::vector<size_t> m_envois;
    std::vector<int> m_oubliees; // entries dropped when the book changes
    Bilan m_bilan;
    int m_nbFiches = 0;
    std::function<void(const ErreurDav&)> m_fin;
};
