#pragma once

#include "sync/ErreurDav.h"
#include "sync/LecteurMultistatus.h"

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QSslError>
#include <QTimer>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QAuthenticator;

// One HTTP request to a WebDAV server and its answer, without waiting: redirections
// followed by hand (never from HTTPS to HTTP), the credentials given once per request
// (a second request for them means they were refused: 401), the certificate checked
// (an error is never ignored unless the user chose to trust that very certificate),
// a deadline on silence, and the answer read as it arrives: a multistatus through
// LecteurMultistatus, any other body up to a limit. Fini is emitted once, from the
// event loop.
class EchangeDav : public QObject
{
    Q_OBJECT
public:
    struct Parametres {
        QString utilisateur;
        QString motDePasse;
        // The user confirmed plain HTTP to this non-local host.
        bool httpAccepte = false;
        // SHA-256 of a certificate the user chose to trust despite its errors.
        QByteArray certificatAccepte;
        // Nothing received or sent for this long: the request fails.
        int delaiMs = 30000;
        LecteurMultistatus::Limites limites;
        // The largest body other than a multistatus (a card fetched by GET).
        int corpsMax = 16 * 1024 * 1024;
    };

    struct Requete {
        QByteArray methode;
        QUrl url;
        QByteArray corps;
        QByteArray typeCorps = "application/xml; charset=utf-8";
        QByteArray profondeur; // "0", "1" or empty
        QList<QPair<QByteArray, QByteArray>> entetes;
        // A 412 means "already exists" (If-None-Match), not "changed".
        bool creation = false;
    };

    EchangeDav(QNetworkAccessManager& reseau, const Parametres& parametres,
               QObject* parent = nullptr);
    ~EchangeDav() override;

    // When set, the responses of a multistatus go there as they are read.
    std::function<void(LecteurMultistatus::Reponse&&)> AuFil;

    void Lance(const Requete& requete);
    // Stops the request; Fini follows with an Annulee error.
    void Annule();

    const ErreurDav& Erreur() const { return m_erreur; }
    int Statut() const { return m_statut; }
    QByteArray Entete(const QByteArray& nom) const;
    // The body when it was not a multistatus.
    const QByteArray& Corps() const { return m_corps; }
    LecteurMultistatus& Xml() { return m_xml; }
    // The preconditions named by a refusal's DAV:error body ("valid-sync-token").
    const QStringList& Conditions() const { return m_conditions; }
    // The address that answered, after redirections.
    const QUrl& Url() const { return m_requete.url; }

signals:
    void Fini();
    void Recu(qint64 octets);

private:
    void Envoie();
    void Lis();
    void Termine();
    void Echoue(const ErreurDav& erreur);
    void Authentifie(QNetworkReply* reponse, QAuthenticator* authentification);
    void Certificat(const QList<QSslError>& erreurs);
    void Abandonne();
    void Emet();

    QNetworkAccessManager& m_reseau;
    Parametres m_parametres;
    Requete m_requete;
    QPointer<QNetworkReply> m_reponse;
    LecteurMultistatus m_xml;
    QByteArray m_corps;
    QList<QNetworkReply::RawHeaderPair> m_entetes;
    QStringList m_conditions;
    ErreurDav m_erreur;
    int m_statut = 0;
    int m_redirections = 0;
    bool m_authentifie = false;
    bool m_delaiDepasse = false;
    bool m_fini = false;
    bool m_multistatus = false;
    QString m_certificat; // description of a refused certificate
    QByteArray m_empreinte;
    QTimer m_delai;
};
