#pragma once

#include "sync/EchangeDav.h"
#include "sync/ErreurDav.h"
#include "sync/OperationDav.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

class QNetworkAccessManager;

// A CardDAV client (RFC 6352) that never blocks: each operation sends its requests
// and returns at once; its callback runs later, from the event loop, exactly once,
// with an ErreurDav (empty on success) and its result. Hrefs are given and returned
// in one form, the percent-encoded path ("/alice/contacts/x.vcf"), resolved against
// the address book's URL. Destroying the client abandons its operations without
// calling their callbacks.
class ClientCardDav : public QObject
{
    Q_OBJECT
public:
    using Parametres = EchangeDav::Parametres;

    // An address book on the server.
    struct Carnet {
        QUrl url;
        QString nom;                 // its display name (may be empty)
        QString ctag;                // getctag, when the server gives one
        QString jeton;               // its current sync-token, when the server gives one
        bool syncCollection = false; // the server lists its changes (RFC 6578)
    };
    struct Decouverte {
        std::vector<Carnet> carnets;
        QUrl principal;
        // Where this user's address books live: a new one may be created there.
        std::vector<QUrl> maisons;
    };

    // What is known of the book since the last listing.
    struct Depuis {
        QString jeton;              // the sync token stored, empty the first time
        QString ctag;               // the ctag stored (used when listing by PROPFIND)
        bool syncCollection = true; // false: go straight to the PROPFIND listing
    };
    struct Element {
        QString href;
        QString etag;
    };
    enum class Mode { SyncCollection, Propfind };
    struct Listage {
        // True: `elements` holds every card of the book (first listing, or a listing
        // by PROPFIND); cards known locally and absent here were deleted on the server.
        // False: `elements` holds only what changed and `supprimes` what was deleted.
        bool complet = false;
        QString jeton; // store it for the next listing (may be empty)
        QString ctag;  // store it too (may be empty)
        std::vector<Element> elements;
        QStringList supprimes;
        Mode mode = Mode::SyncCollection;
        // Why the listing was made by PROPFIND instead of sync-collection:
        // JetonInvalide, NonSupporte, or Aucune (asked by the caller).
        ErreurDav::Genre repli = ErreurDav::Genre::Aucune;
    };
    struct Carte {
        QString href;
        QString etag;
        QByteArray vcard; // as the server sent it (UTF-8)
    };
    struct Envoi {
        QString href;
        QString etag; // the card's new ETag (empty only if the server gives none at all)
        // Set when the ETag had to be fetched: the card as the server now holds it.
        QByteArray vcardServeur;
    };

    using FinDecouverte = std::function<void(const ErreurDav&, const Decouverte&)>;
    using FinListage = std::function<void(const ErreurDav&, const Listage&)>;
    // `absentes`: hrefs asked that the server no longer has.
    using FinRecuperation = std::function<void(const ErreurDav&, const std::vector<Carte>&,
                                               const QStringList& absentes)>;
    using FinEnvoi = std::function<void(const ErreurDav&, const Envoi&)>;
    using FinSuppression = std::function<void(const ErreurDav&)>;
    using FinCreation = std::function<void(const ErreurDav&, const Carnet&)>;

    explicit ClientCardDav(QObject* parent = nullptr);
    ~ClientCardDav() override;

    // For the operations started afterwards.
    void SetParametres(const Parametres& parametres);
    const Parametres& Params() const { return m_parametres; }
    // Hrefs per addressbook-multiget request.
    void SetTailleLot(int taille) { m_tailleLot = std::max(1, taille); }

    // From a server's address or an address book's: the given address itself, then
    // /.well-known/carddav, the current-user-principal, its addressbook-home-set and
    // the address books found there.
    OperationDav* Decouvre(const QUrl& adresse, FinDecouverte fin);
    // The cards changed since `depuis` (sync-collection), or all cards with their
    // ETags (PROPFIND Depth 1) when the server does not support it or the token is no
    // longer valid; nothing at all when the ctag has not changed since.
    OperationDav* Liste(const QUrl& carnet, const Depuis& depuis, FinListage fin);
    // These cards, by addressbook-multiget, in batches.
    OperationDav* Recupere(const QUrl& carnet, const QStringList& hrefs, FinRecuperation fin);
    // A new card (`etag` empty: If-None-Match: *) or a changed one (If-Match: etag).
    // A card changed or created on the server in between gives a Precondition error.
    OperationDav* Envoie(const QUrl& carnet, const QString& href, const QByteArray& vcard,
                         const QString& etag, FinEnvoi fin);
    // Deletes a card if it still has this ETag (Precondition error otherwise).
    OperationDav* Supprime(const QUrl& carnet, const QString& href, const QString& etag,
                           FinSuppression fin);
    // A new address book named `nom` in `maison`.
    OperationDav* CreeCarnet(const QUrl& maison, const QString& nom, FinCreation fin);

    // Cancels every running operation.
    void AnnuleTout();

private:
    OperationDav* Nouvelle();
    EchangeDav::Requete Propfind(const QUrl& url, const QByteArray& profondeur,
                                 const QByteArray& corps) const;
    struct Accumulation;
    void DecouvreSur(OperationDav* op, const QUrl& adresse, bool wellKnownEssaye,
                     std::shared_ptr<Decouverte> resultat);
    void DecouvrePrincipal(OperationDav* op, const QUrl& principal,
                           std::shared_ptr<Decouverte> resultat);
    void DecouvreMaisons(OperationDav* op, size_t indice, std::shared_ptr<Decouverte> resultat);
    void ListeSync(OperationDav* op, const QUrl& carnet, const Depuis& depuis,
                   std::shared_ptr<Listage> resultat);
    void ListeSyncPage(OperationDav* op, const QUrl& carnet, const Depuis& depuis,
                       const QString& jeton, int tour, std::shared_ptr<Accumulation> pages,
                       std::shared_ptr<Listage> resultat);
    void ListePropfind(OperationDav* op, const QUrl& carnet, const Depuis& depuis,
                       std::shared_ptr<Listage> resultat);
    void RecupereLot(OperationDav* op, const QUrl& carnet, QStringList hrefs, int debut,
                     std::shared_ptr<std::vector<Carte>> cartes,
                     std::shared_ptr<QStringList> absentes);

    QNetworkAccessManager* m_reseau;
    Parametres m_parametres;
    int m_tailleLot = 100;
};
