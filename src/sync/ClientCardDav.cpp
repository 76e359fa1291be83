#include "ClientCardDav.h"

#include "sync/AdresseCardDav.h"
#include "sync/CorpsDav.h"

#include <QHash>
#include <QNetworkAccessManager>
#include <QSet>
#include <QUuid>
#include <algorithm>
#include <memory>

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

using Reponse = LecteurMultistatus::Reponse;
using G = ErreurDav::Genre;

// Failures that another address on the same server would not mend.
bool Definitive(const ErreurDav& e)
{
    switch (e.genre()) {
    case G::Annulee:
    case G::AdresseRefusee:
    case G::Reseau:
    case G::Delai:
    case G::Certificat:
    case G::Authentification:
        return true;
    default:
        return false;
    }
}

ErreurDav PasCardDav(const QUrl& adresse, const ErreurDav& raison = ErreurDav())
{
    return ErreurDav(G::PasCardDav,
                     Fr("L'adresse « %1 » ne mène à aucun carnet d'adresses CardDAV : vérifiez "
                        "l'adresse du serveur.")
                         .arg(adresse.toDisplayString()),
                     raison ? raison.Message() : QString());
}

// The response about the address asked, among those of a Depth 0 PROPFIND.
const Reponse* ReponseSur(std::vector<Reponse>& reponses, const QUrl& url)
{
    for (const Reponse& r : reponses)
        if (AdresseCardDav::MemeCollection(AdresseCardDav::Resout(url, r.href), url)) return &r;
    return reponses.empty() ? nullptr : &reponses.front();
}

ClientCardDav::Carnet CarnetDe(const Reponse& r, const QUrl& base)
{
    ClientCardDav::Carnet c;
    c.url = AdresseCardDav::Resout(base, r.href);
    c.nom = r.nom;
    c.ctag = r.ctag;
    c.jeton = r.jetonSync;
    // A server that does not say which reports it has is tried all the same.
    c.syncCollection = r.rapportsDonnes ? r.syncCollection : true;
    return c;
}

} // namespace

// The sync-collection answers in order: a later page of a truncated listing
// overrides an earlier one.
struct ClientCardDav::Accumulation {
    ClientCardDav::Listage listage;
    QHash<QString, qsizetype> position; // in listage.elements
    QHash<QString, qsizetype> supprime; // in listage.supprimes

    void Element(const QString& href, const QString& etag)
    {
        if (supprime.contains(href)) listage.supprimes[supprime.take(href)].clear();
        const auto it = position.constFind(href);
        if (it != position.constEnd()) {
            listage.elements[*it].etag = etag;
            return;
        }
        position.insert(href, static_cast<qsizetype>(listage.elements.size()));
        listage.elements.push_back({href, etag});
    }
    void Suppression(const QString& href)
    {
        const auto it = position.constFind(href);
        if (it != position.constEnd()) listage.elements[*it].href.clear();
        position.remove(href);
        if (!supprime.contains(href)) {
            supprime.insert(href, listage.supprimes.size());
            listage.supprimes << href;
        }
    }
    // Entries cleared by a later page go.
    void Termine()
    {
        auto& e = listage.elements;
        e.erase(std::remove_if(e.begin(), e.end(), [](const auto& x) { return x.href.isEmpty(); }),
                e.end());
        listage.supprimes.removeAll(QString());
    }
};

namespace
{

bool NonSupporte(int statut)
{
    return statut == 400 || statut == 403 || statut == 405 || statut == 409 || statut == 415 ||
           statut == 422 || statut == 501;
}

} // namespace

ClientCardDav::ClientCardDav(QObject* parent)
    : QObject(parent), m_reseau(new QNetworkAccessManager(this))
{
}

ClientCardDav::~ClientCardDav()
{
    // The operations go first: their requests belong to the network manager.
    for (OperationDav* op : findChildren<OperationDav*>(QString(), Qt::FindDirectChildrenOnly))
        delete op;
}

void ClientCardDav::SetParametres(const Parametres& parametres)
{
    const bool autres = parametres.utilisateur != m_parametres.utilisateur ||
                        parametres.motDePasse != m_parametres.motDePasse ||
                        parametres.certificatAccepte != m_parametres.certificatAccepte;
    m_parametres = parametres;
    // Credentials and certificate choices the network manager remembers would
    // otherwise outlive a change of account.
    if (autres) m_reseau->clearAccessCache();
}

OperationDav* ClientCardDav::Nouvelle()
{
    return new OperationDav(*m_reseau, m_parametres, this);
}

void ClientCardDav::AnnuleTout()
{
    for (OperationDav* op : findChildren<OperationDav*>(QString(), Qt::FindDirectChildrenOnly))
        op->Annule();
}

EchangeDav::Requete ClientCardDav::Propfind(const QUrl& url, const QByteArray& profondeur,
                                            const QByteArray& corps) const
{
    EchangeDav::Requete r;
    r.methode = "PROPFIND";
    r.url = url;
    r.profondeur = profondeur;
    r.corps = corps;
    return r;
}

// Discovery

OperationDav* ClientCardDav::Decouvre(const QUrl& adresse, FinDecouverte fin)
{
    OperationDav* op = Nouvelle();
    auto resultat = std::make_shared<Decouverte>();
    op->m_fin = [fin, resultat](const ErreurDav& e) { fin(e, e ? Decouverte() : *resultat); };
    DecouvreSur(op, adresse, false, resultat);
    return op;
}

void ClientCardDav::DecouvreSur(OperationDav* op, const QUrl& adresse, bool wellKnownEssaye,
                                std::shared_ptr<Decouverte> resultat)
{
    const auto suite = [this, op, adresse, wellKnownEssaye, resultat](EchangeDav& e) {
        const auto ailleurs = [&](const ErreurDav& raison) {
            if (wellKnownEssaye) return op->Finit(PasCardDav(adresse, raison));
            QUrl connue = adresse;
            connue.setPath(QStringLiteral("/.well-known/carddav"));
            connue.setQuery(QString());
            DecouvreSur(op, connue, true, resultat);
        };
        if (e.Erreur()) {
            if (Definitive(e.Erreur())) return op->Finit(e.Erreur());
            return ailleurs(e.Erreur());
        }
        const QUrl base = e.Url();
        const Reponse* r = ReponseSur(e.Xml().Reponses(), base);
        if (!r) return ailleurs(ErreurDav());
        if (r->carnet) {
            resultat->carnets.push_back(CarnetDe(*r, base));
            return op->Finit();
        }
        if (r->principalDonne && !r->principal.isEmpty())
            resultat->principal = AdresseCardDav::Resout(base, r->principal);
        if (!r->maisons.isEmpty()) {
            for (const QString& maison : r->maisons)
                resultat->maisons.push_back(AdresseCardDav::Resout(base, maison));
            return DecouvreMaisons(op, 0, resultat);
        }
        if (!resultat->principal.isEmpty())
            return DecouvrePrincipal(op, resultat->principal, resultat);
        ailleurs(ErreurDav());
    };
    op->Demande(Propfind(adresse, "0", CorpsDav::ProprietesDecouverte()), suite);
}

void ClientCardDav::DecouvrePrincipal(OperationDav* op, const QUrl& principal,
                                      std::shared_ptr<Decouverte> resultat)
{
    const auto suite = [this, op, principal, resultat](EchangeDav& e) {
        if (e.Erreur()) return op->Finit(e.Erreur());
        const Reponse* r = ReponseSur(e.Xml().Reponses(), e.Url());
        if (!r || r->maisons.isEmpty())
            return op->Finit(
                ErreurDav(G::PasCardDav, Fr("Le serveur ne dit pas où se trouvent les carnets "
                                            "d'adresses de cet utilisateur (« %1 »).")
                                             .arg(principal.toDisplayString())));
        for (const QString& maison : r->maisons)
            resultat->maisons.push_back(AdresseCardDav::Resout(e.Url(), maison));
        DecouvreMaisons(op, 0, resultat);
    };
    op->Demande(Propfind(principal, "0", CorpsDav::ProprietesDecouverte()), suite);
}

void ClientCardDav::DecouvreMaisons(OperationDav* op, size_t indice,
                                    std::shared_ptr<Decouverte> resultat)
{
    if (indice >= resultat->maisons.size()) return op->Finit();
    const auto suite = [this, op, indice, resultat](EchangeDav& e) {
        if (e.Erreur()) return op->Finit(e.Erreur());
        for (const Reponse& r : e.Xml().Reponses()) {
            if (!r.carnet) continue;
            Carnet c = CarnetDe(r, e.Url());
            const bool connu = std::any_of(
                resultat->carnets.begin(), resultat->carnets.end(),
                [&](const Carnet& x) { return AdresseCardDav::MemeCollection(x.url, c.url); });
            if (!connu) resultat->carnets.push_back(std::move(c));
        }
        DecouvreMaisons(op, indice + 1, resultat);
    };
    op->Demande(Propfind(resultat->maisons.at(indice), "1", CorpsDav::ProprietesCarnets()), suite);
}

// Listing

OperationDav* ClientCardDav::Liste(const QUrl& carnet, const Depuis& depuis, FinListage fin)
{
    OperationDav* op = Nouvelle();
    auto resultat = std::make_shared<Listage>();
    op->m_fin = [fin, resultat](const ErreurDav& e) { fin(e, e ? Listage() : *resultat); };
    if (depuis.syncCollection)
        ListeSync(op, carnet, depuis, resultat);
    else
        ListePropfind(op, carnet, depuis, resultat);
    return op;
}

void ClientCardDav::ListeSync(OperationDav* op, const QUrl& carnet, const Depuis& depuis,
                              std::shared_ptr<Listage> resultat)
{
    auto pages = std::make_shared<Accumulation>();
    pages->listage.complet = depuis.jeton.isEmpty();
    ListeSyncPage(op, carnet, depuis, depuis.jeton, 0, pages, resultat);
}

void ClientCardDav::ListeSyncPage(OperationDav* op, const QUrl& carnet, const Depuis& depuis,
                                  const QString& jeton, int tour,
                                  std::shared_ptr<Accumulation> pages,
                                  std::shared_ptr<Listage> resultat)
{
    const auto auFil = [carnet, pages](Reponse&& r) {
        const QStringList hrefs = QStringList{r.href} + r.autresHref;
        for (const QString& href : hrefs) {
            const QUrl url = AdresseCardDav::Resout(carnet, href);
            if (AdresseCardDav::MemeCollection(url, carnet)) continue;
            if (r.statut == 404 || r.statut == 410)
                pages->Suppression(url.path(QUrl::FullyEncoded));
            else if (!r.collection)
                pages->Element(url.path(QUrl::FullyEncoded), r.etag);
        }
    };
    const auto suite = [this, op, carnet, depuis, jeton, tour, pages, resultat](EchangeDav& e) {
        if (e.Erreur()) {
            const bool jetonInvalide = e.Conditions().contains(QLatin1String("valid-sync-token"));
            if (jetonInvalide || NonSupporte(e.Erreur().Statut())) {
                *resultat = Listage();
                resultat->repli = jetonInvalide ? G::JetonInvalide : G::NonSupporte;
                Depuis sans = depuis;
                sans.jeton.clear();
                return ListePropfind(op, carnet, sans, resultat);
            }
            return op->Finit(e.Erreur());
        }
        if (!e.Xml().Multistatus())
            return op->Finit(
                ErreurDav(G::ReponseInvalide, Fr("Le serveur n'a pas donné la liste des cartes.")));
        const QString suivant = e.Xml().JetonSync();
        // A truncated answer (507) is followed by the rest, asked with its token.
        if (e.Xml().Tronque() && !suivant.isEmpty() && suivant != jeton && tour < 1000)
            return ListeSyncPage(op, carnet, depuis, suivant, tour + 1, pages, resultat);
        pages->Termine();
        *resultat = std::move(pages->listage);
        resultat->jeton = suivant;
        resultat->mode = Mode::SyncCollection;
        op->Finit();
    };
    EchangeDav::Requete r;
    r.methode = "REPORT";
    r.url = carnet;
    r.profondeur = "0";
    r.corps = CorpsDav::SyncCollection(jeton);
    op->Demande(r, suite, auFil);
}

void ClientCardDav::ListePropfind(OperationDav* op, const QUrl& carnet, const Depuis& depuis,
                                  std::shared_ptr<Listage> resultat)
{
    resultat->mode = Mode::Propfind;
    op->Demande(Propfind(carnet, "0", CorpsDav::ProprietesListage()),
                [this, op, carnet, depuis, resultat](EchangeDav& e) {
                    if (e.Erreur()) return op->Finit(e.Erreur());
                    // The token and the ctag are read before the list: a change made in between
                    // is listed now and again next time, never missed.
                    if (const Reponse* r = ReponseSur(e.Xml().Reponses(), carnet)) {
                        resultat->ctag = r->ctag;
                        resultat->jeton = r->jetonSync;
                    }
                    if (!depuis.ctag.isEmpty() && resultat->ctag == depuis.ctag) {
                        resultat->complet = false;
                        return op->Finit();
                    }
                    resultat->complet = true;
                    const auto auFil = [carnet, resultat](Reponse&& r) {
                        const QUrl url = AdresseCardDav::Resout(carnet, r.href);
                        if (r.collection || AdresseCardDav::MemeCollection(url, carnet)) return;
                        if (r.statut >= 300) return;
                        resultat->elements.push_back({url.path(QUrl::FullyEncoded), r.etag});
                    };
                    op->Demande(
                        Propfind(carnet, "1", CorpsDav::ProprietesListage()),
                        [op](EchangeDav& liste) { op->Finit(liste.Erreur()); }, auFil);
                });
}

// Cards

OperationDav* ClientCardDav::Recupere(const QUrl& carnet, const QStringList& hrefs,
                                      FinRecuperation fin)
{
    OperationDav* op = Nouvelle();
    auto cartes = std::make_shared<std::vector<Carte>>();
    auto absentes = std::make_shared<QStringList>();
    op->m_fin = [fin, cartes, absentes](const ErreurDav& e) {
        if (e)
            fin(e, {}, {});
        else
            fin(e, *cartes, *absentes);
    };
    QStringList canoniques;
    canoniques.reserve(hrefs.size());
    for (const QString& href : hrefs)
        canoniques << AdresseCardDav::Canonique(carnet, href);
    canoniques.removeDuplicates();
    RecupereLot(op, carnet, canoniques, 0, cartes, absentes);
    return op;
}

void ClientCardDav::RecupereLot(OperationDav* op, const QUrl& carnet, QStringList hrefs, int debut,
                                std::shared_ptr<std::vector<Carte>> cartes,
                                std::shared_ptr<QStringList> absentes)
{
    if (debut >= hrefs.size()) return op->Finit();
    const QStringList lot = hrefs.mid(debut, m_tailleLot);
    auto vues = std::make_shared<QSet<QString>>();
    const auto auFil = [carnet, cartes, absentes, vues](Reponse&& r) {
        const QString href = AdresseCardDav::Canonique(carnet, r.href);
        vues->insert(href);
        if (r.statut == 404 || r.statut == 410 || !r.aDonnees) {
            absentes->append(href);
            for (const QString& autre : r.autresHref) {
                vues->insert(AdresseCardDav::Canonique(carnet, autre));
                absentes->append(AdresseCardDav::Canonique(carnet, autre));
            }
            return;
        }
        cartes->push_back({href, r.etag, std::move(r.donnees)});
    };
    EchangeDav::Requete r;
    r.methode = "REPORT";
    r.url = carnet;
    r.profondeur = "1";
    r.corps = CorpsDav::Multiget(lot);
    op->Demande(
        r,
        [this, op, carnet, hrefs, debut, lot, cartes, absentes, vues](EchangeDav& e) {
            if (e.Erreur()) return op->Finit(e.Erreur());
            // A card the server does not mention at all is as absent as a 404.
            for (const QString& href : lot)
                if (!vues->contains(href)) absentes->append(href);
            const int fait = debut + static_cast<int>(lot.size());
            emit op->Avance(fait, hrefs.size());
            RecupereLot(op, carnet, hrefs, fait, cartes, absentes);
        },
        auFil);
}

OperationDav* ClientCardDav::Envoie(const QUrl& carnet, const QString& href,
                                    const QByteArray& vcard, const QString& etag, FinEnvoi fin)
{
    OperationDav* op = Nouvelle();
    auto envoi = std::make_shared<Envoi>();
    envoi->href = AdresseCardDav::Canonique(carnet, href);
    op->m_fin = [fin, envoi](const ErreurDav& e) { fin(e, *envoi); };
    const QUrl url = AdresseCardDav::Resout(carnet, href);
    EchangeDav::Requete r;
    r.methode = "PUT";
    r.url = url;
    r.corps = vcard;
    r.typeCorps = "text/vcard; charset=utf-8";
    r.creation = etag.isEmpty();
    if (etag.isEmpty())
        r.entetes.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
    else
        r.entetes.append(qMakePair(QByteArray("If-Match"), etag.toUtf8()));
    op->Demande(r, [this, op, url, envoi](EchangeDav& e) {
        if (e.Erreur()) return op->Finit(e.Erreur());
        envoi->etag = QString::fromUtf8(e.Entete("ETag")).trimmed();
        if (!envoi->etag.isEmpty()) return op->Finit();
        // No ETag: the server may have changed the card; its version is fetched.
        EchangeDav::Requete get;
        get.methode = "GET";
        get.url = url;
        op->Demande(get, [op, envoi](EchangeDav& g) {
            if (g.Erreur()) return op->Finit(g.Erreur());
            envoi->etag = QString::fromUtf8(g.Entete("ETag")).trimmed();
            envoi->vcardServeur = g.Corps();
            op->Finit();
        });
    });
    return op;
}

OperationDav* ClientCardDav::Supprime(const QUrl& carnet, const QString& href, const QString& etag,
                                      FinSuppression fin)
{
    OperationDav* op = Nouvelle();
    op->m_fin = fin;
    if (etag.isEmpty()) {
        op->Finit(ErreurDav(G::AdresseRefusee,
                            Fr("La carte « %1 » n'est pas supprimée : sans son ETag, une version "
                               "modifiée sur le serveur entre-temps serait perdue.")
                                .arg(href)));
        return op;
    }
    EchangeDav::Requete r;
    r.methode = "DELETE";
    r.url = AdresseCardDav::Resout(carnet, href);
    r.entetes.append(qMakePair(QByteArray("If-Match"), etag.toUtf8()));
    op->Demande(r, [op](EchangeDav& e) { op->Finit(e.Erreur()); });
    return op;
}

OperationDav* ClientCardDav::CreeCarnet(const QUrl& maison, const QString& nom, FinCreation fin)
{
    OperationDav* op = Nouvelle();
    auto carnet = std::make_shared<Carnet>();
    op->m_fin = [fin, carnet](const ErreurDav& e) { fin(e, e ? Carnet() : *carnet); };
    QString segment;
    for (const QChar c : nom.toLower())
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c.isDigit()) segment += c;
    if (segment.isEmpty()) segment = QStringLiteral("carnet");
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    QUrl url = maison;
    QString chemin = maison.path();
    if (!chemin.endsWith(QLatin1Char('/'))) chemin += QLatin1Char('/');
    url.setPath(chemin + segment.left(32) + QLatin1Char('-') + uuid + QLatin1Char('/'));
    EchangeDav::Requete r;
    r.methode = "MKCOL";
    r.url = url;
    r.corps = CorpsDav::CreationCarnet(nom);
    op->Demande(r, [this, op, url, carnet](EchangeDav& e) {
        if (e.Erreur()) return op->Finit(e.Erreur());
        op->Demande(Propfind(url, "0", CorpsDav::ProprietesCarnets()), [op, url,
                                                                        carnet](EchangeDav& p) {
            if (p.Erreur()) return op->Finit(p.Erreur());
            const Reponse* r = ReponseSur(p.Xml().Reponses(), url);
            if (!r || !r->carnet)
                return op->Finit(ErreurDav(G::PasCardDav,
                                           Fr("Le serveur a créé « %1 », mais pas comme un carnet "
                                              "d'adresses.")
                                               .arg(url.toDisplayString())));
            *carnet = CarnetDe(*r, url);
            op->Finit();
        });
    });
    return op;
}
