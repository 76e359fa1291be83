#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QString>

// Why an exchange with a CardDAV server failed, told in French with the server's or
// the network's own reason. A default-constructed value means success.
class ErreurDav
{
public:
    enum class Genre {
        Aucune,
        Annulee,          // the caller cancelled the operation
        AdresseRefusee,   // not a usable address, or plain HTTP that was not confirmed
        Reseau,           // the server could not be reached or cut the connection
        Delai,            // nothing received for too long
        Certificat,       // the server's certificate is not trusted: details and empreinte
        Authentification, // 401: user name or password refused
        Refus,            // 403 and other refusals of the request itself
        Introuvable,      // 404 or 410
        Precondition,     // 412: the card changed on the server (If-Match) or already exists
        JetonInvalide,    // the stored sync token is no longer valid
        NonSupporte,      // the server does not offer what was asked (a report, a method)
        Serveur,          // 5xx and other statuses
        ReponseInvalide,  // the answer could not be read, or passed the limits
        PasCardDav,       // the address answers, but holds no address book
    };

    ErreurDav() = default;
    ErreurDav(Genre genre, const QString& message, const QString& details = QString(),
              int statut = 0);

    Genre genre() const { return m_genre; }
    // The HTTP status when the server answered one, else 0.
    int Statut() const { return m_statut; }
    const QString& Message() const { return m_message; }
    // What the server or the system said, or the certificate's description.
    const QString& Details() const { return m_details; }
    // The message and its details, ready for a message box.
    QString Texte() const;
    explicit operator bool() const { return m_genre != Genre::Aucune; }

    // For Certificat: the SHA-256 digest of the certificate the server showed, which
    // the user may choose to trust (ClientCardDav::Parametres::certificatAccepte).
    const QByteArray& Empreinte() const { return m_empreinte; }
    void SetEmpreinte(const QByteArray& empreinte) { m_empreinte = empreinte; }

    // An HTTP answer outside 2xx. `raison` is the reason phrase, `corps` the start
    // of the body (a server often explains itself there), `ressource` what was asked.
    static ErreurDav DeStatut(int statut, const QString& raison, const QByteArray& corps,
                              const QString& ressource, bool creation = false);
    // A transport failure before or during the answer.
    static ErreurDav DuReseau(QNetworkReply::NetworkError code, const QString& texteSysteme,
                              const QString& hote);
    static ErreurDav Annulation();

private:
    Genre m_genre = Genre::Aucune;
    int m_statut = 0;
    QString m_message;
    QString m_details;
    QByteArray m_empreinte;
};
