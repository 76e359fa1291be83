#include "LecteurMultistatus.h"

#include "sync/EspacesDav.h"

enum class LecteurMultistatus::Lieu : unsigned char {
    Autre,
    Multistatus,
    ErreurRacine,
    Condition,
    Response,
    Href,
    Status,
    Propstat,
    Prop,
    StatusPropstat,
    Etag,
    Ctag,
    JetonProp,
    Nom,
    TypeContenu,
    TypeRessource,
    Principal,
    HrefPrincipal,
    Maisons,
    HrefMaison,
    Rapports,
    DansRapports,
    Donnees,
    JetonRacine,
};

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

int StatutDe(const QString& ligne)
{
    // "HTTP/1.1 404 Not Found"
    const QStringList mots = ligne.simplified().split(QLatin1Char(' '));
    if (mots.size() < 2) return 0;
    bool ok = false;
    const int statut = mots.at(1).toInt(&ok);
    return ok && statut >= 100 && statut <= 999 ? statut : 0;
}

} // namespace

bool LecteurMultistatus::EstTexte(Lieu lieu)
{
    using L = Lieu;
    switch (lieu) {
    case L::Href:
    case L::Status:
    case L::StatusPropstat:
    case L::Etag:
    case L::Ctag:
    case L::JetonProp:
    case L::Nom:
    case L::TypeContenu:
    case L::HrefPrincipal:
    case L::HrefMaison:
    case L::Donnees:
    case L::JetonRacine:
        return true;
    default:
        return false;
    }
}

LecteurMultistatus::LecteurMultistatus(Limites limites)
    : m_limites(limites), m_xml(std::make_unique<QXmlStreamReader>())
{
    m_xml->setNamespaceProcessing(true);
}

LecteurMultistatus::LecteurMultistatus() : LecteurMultistatus(Limites{}) {}

LecteurMultistatus::LecteurMultistatus(LecteurMultistatus&&) noexcept = default;
LecteurMultistatus& LecteurMultistatus::operator=(LecteurMultistatus&&) noexcept = default;
LecteurMultistatus::~LecteurMultistatus() = default;

LecteurMultistatus LecteurMultistatus::Lit(const QByteArray& document, Limites limites)
{
    LecteurMultistatus lecteur(limites);
    if (lecteur.Ajoute(document)) lecteur.Termine();
    return lecteur;
}

LecteurMultistatus LecteurMultistatus::Lit(const QByteArray& document)
{
    return Lit(document, Limites{});
}

bool LecteurMultistatus::Echec(const QString& raison)
{
    if (m_erreur.isEmpty()) m_erreur = raison;
    return false;
}

bool LecteurMultistatus::Ajoute(const QByteArray& bloc)
{
    if (!m_erreur.isEmpty()) return false;
    m_octets += bloc.size();
    if (m_octets > m_limites.octets)
        return Echec(Fr("La réponse du serveur dépasse %1 Mo : elle n'a pas été lue jusqu'au bout.")
                         .arg(m_limites.octets / (1024 * 1024)));
    m_xml->addData(bloc);
    return Avance();
}

bool LecteurMultistatus::Termine()
{
    if (!m_erreur.isEmpty()) return false;
    if (!m_fini) {
        if (m_octets == 0) return Echec(Fr("La réponse du serveur est vide."));
        return Echec(
            Fr("La réponse du serveur s'arrête avant sa fin (ligne %1).").arg(m_xml->lineNumber()));
    }
    return true;
}

bool LecteurMultistatus::Avance()
{
    while (!m_xml->atEnd()) {
        const QXmlStreamReader::TokenType jeton = m_xml->readNext();
        switch (jeton) {
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            return Echec(Fr("La réponse du serveur contient une déclaration de type de document, "
                            "refusée par sécurité."));
        case QXmlStreamReader::StartElement:
            if (++m_profondeur > m_limites.profondeur)
                return Echec(Fr("La réponse du serveur imbrique plus de %1 éléments.")
                                 .arg(m_limites.profondeur));
            Ouvre();
            break;
        case QXmlStreamReader::EndElement:
            --m_profondeur;
            Ferme();
            if (m_profondeur == 0) m_fini = true;
            break;
        case QXmlStreamReader::Characters:
            Texte();
            break;
        default:
            break;
        }
        if (!m_erreur.isEmpty()) return false;
    }
    if (m_xml->hasError() && m_xml->error() != QXmlStreamReader::PrematureEndOfDocumentError)
        return Echec(Fr("La réponse du serveur n'est pas un document XML lisible (ligne %1 : %2).")
                         .arg(m_xml->lineNumber())
                         .arg(m_xml->errorString()));
    return true;
}

void LecteurMultistatus::Ouvre()
{
    const Lieu parent = m_chemin.empty() ? Lieu::Autre : m_chemin.back();
    const QStringView ns = m_xml->namespaceUri();
    const QStringView nom = m_xml->name();
    const bool dav = ns == EspacesDav::Dav || ns.isEmpty();
    const bool card = ns == EspacesDav::CardDav;
    const auto est = [&](const char* local) { return nom == QLatin1String(local); };
    Lieu lieu = Lieu::Autre;

    if (m_chemin.empty()) {
        if (dav && est("multistatus")) {
            lieu = Lieu::Multistatus;
            m_multistatus = true;
        } else if (dav && est("error")) {
            lieu = Lieu::ErreurRacine;
        } else {
            Echec(Fr("La réponse du serveur n'est pas une réponse WebDAV (élément « %1 »).")
                      .arg(nom.left(64)));
            return;
        }
    } else {
        switch (parent) {
        case Lieu::Multistatus:
            if (dav && est("response")) {
                lieu = Lieu::Response;
                m_reponse = Reponse();
            } else if (dav && est("sync-token")) {
                lieu = Lieu::JetonRacine;
            }
            break;
        case Lieu::ErreurRacine:
            lieu = Lieu::Condition;
            if (m_conditions.size() < 32) m_conditions << nom.left(128).toString();
            break;
        case Lieu::Response:
            if (dav && est("href"))
                lieu = Lieu::Href;
            else if (dav && est("status"))
                lieu = Lieu::Status;
            else if (dav && est("propstat")) {
                lieu = Lieu::Propstat;
                m_propstat = Reponse();
                m_statutPropstat = 0;
            }
            break;
        case Lieu::Propstat:
            if (dav && est("prop"))
                lieu = Lieu::Prop;
            else if (dav && est("status"))
                lieu = Lieu::StatusPropstat;
            break;
        case Lieu::Prop:
            if (dav && est("getetag"))
                lieu = Lieu::Etag;
            else if (ns == EspacesDav::CalendarServer && est("getctag"))
                lieu = Lieu::Ctag;
            else if (dav && est("sync-token"))
                lieu = Lieu::JetonProp;
            else if (dav && est("displayname"))
                lieu = Lieu::Nom;
            else if (dav && est("getcontenttype"))
                lieu = Lieu::TypeContenu;
            else if (dav && est("resourcetype"))
                lieu = Lieu::TypeRessource;
            else if (dav && est("current-user-principal")) {
                lieu = Lieu::Principal;
                m_propstat.principalDonne = true;
            } else if (card && est("addressbook-home-set"))
                lieu = Lieu::Maisons;
            else if (dav && est("supported-report-set")) {
                lieu = Lieu::Rapports;
                m_propstat.rapportsDonnes = true;
            } else if (card && est("address-data")) {
                lieu = Lieu::Donnees;
                m_propstat.aDonnees = true;
            }
            break;
        case Lieu::TypeRessource:
            if (dav && est("collection")) m_propstat.collection = true;
            if (card && est("addressbook")) m_propstat.carnet = true;
            break;
        case Lieu::Principal:
            if (dav && est("href")) lieu = Lieu::HrefPrincipal;
            break;
        case Lieu::Maisons:
            if (dav && est("href")) lieu = Lieu::HrefMaison;
            break;
        case Lieu::Rapports:
        case Lieu::DansRapports:
            lieu = Lieu::DansRapports;
            if (dav && est("sync-collection")) m_propstat.syncCollection = true;
            break;
        default:
            break;
        }
    }
    m_chemin.push_back(lieu);
    m_texte.clear();
}

void LecteurMultistatus::Texte()
{
    if (m_chemin.empty() || !EstTexte(m_chemin.back())) return;
    const bool adresse = m_chemin.back() == Lieu::Href || m_chemin.back() == Lieu::HrefMaison ||
                         m_chemin.back() == Lieu::HrefPrincipal;
    const qsizetype limite = adresse ? m_limites.href : m_limites.texte;
    const QStringView texte = m_xml->text();
    if (m_texte.size() + texte.size() > limite) {
        Echec(adresse ? Fr("La réponse du serveur contient une adresse de plus de %1 caractères.")
                            .arg(limite)
                      : Fr("La réponse du serveur contient une valeur de plus de %1 Mo.")
                            .arg(limite / (1024 * 1024)));
        return;
    }
    m_texte.append(texte);
}

void LecteurMultistatus::Ferme()
{
    if (m_chemin.empty()) return;
    const Lieu lieu = m_chemin.back();
    m_chemin.pop_back();
    const QString valeur = m_texte.trimmed();
    switch (lieu) {
    case Lieu::Href:
        if (m_reponse.href.isEmpty())
            m_reponse.href = valeur;
        else if (m_reponse.autresHref.size() < 10000)
            m_reponse.autresHref << valeur;
        break;
    case Lieu::Status:
        m_reponse.statut = StatutDe(valeur);
        break;
    case Lieu::StatusPropstat:
        m_statutPropstat = StatutDe(valeur);
        break;
    case Lieu::Etag:
        m_propstat.etag = valeur;
        break;
    case Lieu::Ctag:
        m_propstat.ctag = valeur;
        break;
    case Lieu::JetonProp:
        m_propstat.jetonSync = valeur;
        break;
    case Lieu::Nom:
        m_propstat.nom = valeur;
        break;
    case Lieu::TypeContenu:
        m_propstat.typeContenu = valeur;
        break;
    case Lieu::HrefPrincipal:
        m_propstat.principal = valeur;
        break;
    case Lieu::HrefMaison:
        if (m_propstat.maisons.size() < 100) m_propstat.maisons << valeur;
        break;
    case Lieu::Donnees:
        // A card's text as it was, line ends included.
        m_propstat.donnees = m_texte.toUtf8();
        break;
    case Lieu::JetonRacine:
        m_jeton = valeur;
        break;
    case Lieu::Propstat:
        if (m_statutPropstat >= 200 && m_statutPropstat < 300) {
            Reponse& r = m_reponse;
            Reponse& p = m_propstat;
            if (!p.etag.isEmpty()) r.etag = p.etag;
            if (!p.ctag.isEmpty()) r.ctag = p.ctag;
            if (!p.jetonSync.isEmpty()) r.jetonSync = p.jetonSync;
            if (!p.nom.isEmpty()) r.nom = p.nom;
            if (!p.typeContenu.isEmpty()) r.typeContenu = p.typeContenu;
            r.collection = r.collection || p.collection;
            r.carnet = r.carnet || p.carnet;
            if (p.principalDonne) {
                r.principalDonne = true;
                r.principal = p.principal;
            }
            r.maisons << p.maisons;
            r.rapportsDonnes = r.rapportsDonnes || p.rapportsDonnes;
            r.syncCollection = r.syncCollection || p.syncCollection;
            if (p.aDonnees) {
                r.aDonnees = true;
                r.donnees = std::move(p.donnees);
            }
        }
        m_propstat = Reponse();
        break;
    case Lieu::Response:
        if (m_reponse.statut == 507) {
            m_tronque = true;
            break;
        }
        if (++m_nbReponses > m_limites.reponses) {
            Echec(Fr("La réponse du serveur compte plus de %1 éléments.").arg(m_limites.reponses));
            break;
        }
        if (AuFil)
            AuFil(std::move(m_reponse));
        else
            m_reponses.push_back(std::move(m_reponse));
        m_reponse = Reponse();
        break;
    default:
        break;
    }
    m_texte.clear();
}
