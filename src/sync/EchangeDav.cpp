#include "EchangeDav.h"

#include "sync/AdresseCardDav.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

// An error body is kept only for its explanation.
constexpr int CorpsErreurMax = 64 * 1024;
constexpr int RedirectionsMax = 5;

QString Empreinte(const QByteArray& digest)
{
    QString texte;
    for (int i = 0; i < digest.size(); ++i) {
        if (i) texte += QLatin1Char(':');
        texte += QStringLiteral("%1").arg(static_cast<unsigned char>(digest.at(i)), 2, 16,
                                          QLatin1Char('0'));
    }
    return texte.toUpper();
}

QString ErreurCertificat(const QSslError& e, const QString& hote)
{
    switch (e.error()) {
    case QSslError::SelfSignedCertificate:
        return Fr("le certificat est auto-signé : aucune autorité reconnue ne le garantit");
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return Fr("le certificat n'est pas signé par une autorité reconnue");
    case QSslError::HostNameMismatch:
        return Fr("le certificat est établi pour un autre nom que « %1 »").arg(hote);
    case QSslError::CertificateExpired:
        return Fr("le certificat a expiré");
    case QSslError::CertificateNotYetValid:
        return Fr("le certificat n'est pas encore valable");
    case QSslError::CertificateRevoked:
        return Fr("le certificat a été révoqué");
    default:
        return e.errorString();
    }
}

QString Nom(const QStringList& valeurs)
{
    return valeurs.isEmpty() ? Fr("(non indiqué)") : valeurs.join(QStringLiteral(", "));
}

} // namespace

EchangeDav::EchangeDav(QNetworkAccessManager& reseau, const Parametres& parametres, QObject* parent)
    : QObject(parent), m_reseau(reseau), m_parametres(parametres), m_xml(parametres.limites)
{
    m_delai.setSingleShot(true);
    connect(&m_delai, &QTimer::timeout, this, [this] {
        m_delaiDepasse = true;
        if (m_reponse) m_reponse->abort();
    });
    connect(&m_reseau, &QNetworkAccessManager::authenticationRequired, this,
            &EchangeDav::Authentifie);
}

EchangeDav::~EchangeDav()
{
    Abandonne();
}

void EchangeDav::Lance(const Requete& requete)
{
    m_requete = requete;
    const QString schema = requete.url.scheme();
    if (!requete.url.isValid() || requete.url.host().isEmpty() ||
        (schema != QLatin1String("https") && schema != QLatin1String("http"))) {
        Echoue(ErreurDav(ErreurDav::Genre::AdresseRefusee,
                         Fr("L'adresse « %1 » n'est pas une adresse https:// valide.")
                             .arg(requete.url.toDisplayString())));
        return;
    }
    if (AdresseCardDav::DemandeConfirmation(requete.url) && !m_parametres.httpAccepte) {
        Echoue(ErreurDav(ErreurDav::Genre::AdresseRefusee,
                         Fr("L'adresse « %1 » n'est pas chiffrée (http://) : le mot de passe et "
                            "les fiches passeraient en clair sur le réseau. Utilisez https://, "
                            "ou confirmez ce choix dans le compte de synchronisation.")
                             .arg(requete.url.toDisplayString())));
        return;
    }
    Envoie();
}

void EchangeDav::Envoie()
{
    m_xml = LecteurMultistatus(m_parametres.limites);
    m_xml.AuFil = AuFil;
    m_corps.clear();
    m_statut = 0;
    m_multistatus = false;
    m_authentifie = false;
    m_certificat.clear();

    QNetworkRequest requete(m_requete.url);
    requete.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    requete.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArrayLiteral("Carnet-d-adresses/" CARNET_VERSION));
    if (!m_requete.corps.isEmpty() || m_requete.methode == "PUT")
        requete.setHeader(QNetworkRequest::ContentTypeHeader, m_requete.typeCorps);
    if (!m_requete.profondeur.isEmpty()) requete.setRawHeader("Depth", m_requete.profondeur);
    for (const auto& [nom, valeur] : m_requete.entetes)
        requete.setRawHeader(nom, valeur);

    QNetworkReply* reponse =
        m_reseau.sendCustomRequest(requete, m_requete.methode, m_requete.corps);
    m_reponse = reponse;
    const auto relance = [this] {
        if (m_reponse) m_delai.start(m_parametres.delaiMs);
    };
    connect(reponse, &QNetworkReply::readyRead, this, &EchangeDav::Lis);
    connect(reponse, &QNetworkReply::finished, this, &EchangeDav::Termine);
    connect(reponse, &QNetworkReply::sslErrors, this, &EchangeDav::Certificat);
    connect(reponse, &QNetworkReply::uploadProgress, this, relance);
    connect(reponse, &QNetworkReply::downloadProgress, this, relance);
    connect(reponse, &QNetworkReply::metaDataChanged, this, relance);
    m_delai.start(m_parametres.delaiMs);
}

void EchangeDav::Authentifie(QNetworkReply* reponse, QAuthenticator* authentification)
{
    // Asked again for the same request: the credentials were refused, and the 401
    // goes to the caller instead of a loop.
    if (reponse != m_reponse || m_authentifie || m_parametres.utilisateur.isEmpty()) return;
    m_authentifie = true;
    authentification->setUser(m_parametres.utilisateur);
    authentification->setPassword(m_parametres.motDePasse);
}

void EchangeDav::Certificat(const QList<QSslError>& erreurs)
{
    if (!m_reponse || erreurs.isEmpty()) return;
    QSslCertificate certificat = m_reponse->sslConfiguration().peerCertificate();
    for (const QSslError& e : erreurs)
        if (certificat.isNull() && !e.certificate().isNull()) certificat = e.certificate();
    const QByteArray empreinte = certificat.digest(QCryptographicHash::Sha256);
    if (!certificat.isNull() && !m_parametres.certificatAccepte.isEmpty() &&
        empreinte == m_parametres.certificatAccepte) {
        m_reponse->ignoreSslErrors(erreurs);
        return;
    }
    const QString hote = m_requete.url.host();
    QStringList raisons;
    for (const QSslError& e : erreurs) {
        const QString raison = ErreurCertificat(e, hote);
        if (!raisons.contains(raison)) raisons << raison;
    }
    m_empreinte = empreinte;
    m_certificat =
        Fr("Problèmes : %1.\nDélivré à : %2\nDélivré par : %3\nValable du %4 au %5\n"
           "Empreinte SHA-256 : %6")
            .arg(raisons.join(QStringLiteral(" ; ")),
                 Nom(certificat.subjectInfo(QSslCertificate::CommonName)),
                 Nom(certificat.issuerInfo(QSslCertificate::CommonName) +
                     certificat.issuerInfo(QSslCertificate::Organization)),
                 certificat.effectiveDate().toLocalTime().toString(QStringLiteral("dd/MM/yyyy")),
                 certificat.expiryDate().toLocalTime().toString(QStringLiteral("dd/MM/yyyy")),
                 Empreinte(empreinte));
}

void EchangeDav::Lis()
{
    if (!m_reponse || m_erreur) return;
    if (m_statut == 0) {
        m_statut = m_reponse->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        m_multistatus = m_statut == 207;
    }
    const QByteArray bloc = m_reponse->readAll();
    if (bloc.isEmpty()) return;
    emit Recu(bloc.size());
    if (m_statut >= 300 && m_statut < 400) return;
    if (m_multistatus) {
        if (!m_xml.Ajoute(bloc)) {
            m_erreur =
                ErreurDav(ErreurDav::Genre::ReponseInvalide, m_xml.Erreur(), QString(), m_statut);
            m_reponse->abort();
        }
        return;
    }
    if (m_statut >= 200 && m_statut < 300) {
        if (m_corps.size() + bloc.size() > m_parametres.corpsMax) {
            m_erreur = ErreurDav(ErreurDav::Genre::ReponseInvalide,
                                 Fr("La réponse du serveur dépasse %1 Mo : elle n'a pas été lue "
                                    "jusqu'au bout.")
                                     .arg(m_parametres.corpsMax / (1024 * 1024)),
                                 QString(), m_statut);
            m_reponse->abort();
            return;
        }
        m_corps += bloc;
    } else if (m_corps.size() < CorpsErreurMax) {
        m_corps += bloc.left(CorpsErreurMax - m_corps.size());
    }
}

QByteArray EchangeDav::Entete(const QByteArray& nom) const
{
    for (const auto& [cle, valeur] : m_entetes)
        if (cle.compare(nom, Qt::CaseInsensitive) == 0) return valeur;
    return QByteArray();
}

void EchangeDav::Termine()
{
    m_delai.stop();
    QNetworkReply* reponse = m_reponse;
    if (!reponse || m_fini) return;
    Lis();
    m_reponse = nullptr;
    reponse->disconnect(this);
    reponse->deleteLater();
    m_statut = reponse->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_entetes = reponse->rawHeaderPairs();
    const QNetworkReply::NetworkError code = reponse->error();
    const QString hote = AdresseCardDav::Hote(m_requete.url);

    if (m_erreur) return Emet();
    if (m_delaiDepasse)
        return Echoue(ErreurDav(ErreurDav::Genre::Delai,
                                Fr("Le serveur « %1 » ne répond plus : rien n'a été reçu depuis "
                                   "%2 secondes.")
                                    .arg(hote)
                                    .arg(m_parametres.delaiMs / 1000.0)));
    // Errors below 200 and from 300 on are the transport's, even after a status line
    // (a server that dies in the middle of its answer).
    const bool transport = (code > 0 && code < 200) || (code >= 300 && code < 400);
    if (transport || m_statut == 0) {
        if (!m_certificat.isEmpty()) {
            ErreurDav erreur(ErreurDav::Genre::Certificat,
                             Fr("Le certificat du serveur « %1 » n'est pas digne de confiance : "
                                "la connexion a été refusée.")
                                 .arg(hote),
                             m_certificat);
            erreur.SetEmpreinte(m_empreinte);
            return Echoue(erreur);
        }
        if (code == QNetworkReply::NoError)
            return Echoue(ErreurDav(ErreurDav::Genre::ReponseInvalide,
                                    Fr("Le serveur « %1 » a répondu sans statut HTTP.").arg(hote)));
        return Echoue(ErreurDav::DuReseau(code, reponse->errorString(), hote));
    }
    if (m_statut >= 300 && m_statut < 400 && m_statut != 304) {
        const QByteArray lieu = reponse->rawHeader("Location");
        const QUrl cible = m_requete.url.resolved(QUrl::fromEncoded(lieu, QUrl::TolerantMode));
        if (lieu.isEmpty() || !cible.isValid())
            return Echoue(
                ErreurDav::DeStatut(m_statut, QString(), QByteArray(), m_requete.url.path()));
        if (++m_redirections > RedirectionsMax)
            return Echoue(ErreurDav(
                ErreurDav::Genre::Serveur,
                Fr("Le serveur « %1 » renvoie d'adresse en adresse sans fin.").arg(hote)));
        if (!AdresseCardDav::RedirectionPermise(m_requete.url, cible, m_parametres.httpAccepte))
            return Echoue(ErreurDav(ErreurDav::Genre::AdresseRefusee,
                                    Fr("Le serveur renvoie vers « %1 », une adresse non chiffrée "
                                       "ou non confirmée : la redirection n'est pas suivie.")
                                        .arg(cible.toDisplayString())));
        m_requete.url = cible;
        return Envoie();
    }
    if (m_statut >= 200 && m_statut < 300) {
        if (m_multistatus && !m_xml.Termine())
            return Echoue(
                ErreurDav(ErreurDav::Genre::ReponseInvalide, m_xml.Erreur(), QString(), m_statut));
        return Emet();
    }
    if (m_corps.trimmed().startsWith('<'))
        m_conditions = LecteurMultistatus::Lit(m_corps).Conditions();
    Echoue(ErreurDav::DeStatut(
        m_statut, reponse->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
        m_corps, m_requete.url.path(), m_requete.creation));
}

void EchangeDav::Echoue(const ErreurDav& erreur)
{
    m_erreur = erreur;
    Emet();
}

void EchangeDav::Annule()
{
    if (m_fini) return;
    m_erreur = ErreurDav::Annulation();
    Abandonne();
    Emet();
}

void EchangeDav::Abandonne()
{
    m_delai.stop();
    if (QNetworkReply* reponse = m_reponse) {
        m_reponse = nullptr;
        reponse->disconnect(this);
        reponse->abort();
        reponse->deleteLater();
    }
}

void EchangeDav::Emet()
{
    if (m_fini) return;
    m_fini = true;
    QMetaObject::invokeMethod(this, &EchangeDav::Fini, Qt::QueuedConnection);
}
