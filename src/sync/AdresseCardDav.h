#pragma once

#include <QString>
#include <QUrl>

// The addresses of a CardDAV account: what the user typed made into a URL, the rule
// on plain HTTP, and the hrefs the server gives made comparable.
class AdresseCardDav
{
public:
    // The address typed by the user: "https://" is added when no scheme is given;
    // only http and https are accepted, with a host, and without a user name or
    // password inside. An invalid URL with the French reason in `raison`.
    static QUrl Normalise(const QString& saisie, QString* raison = nullptr);

    // Whether the host is this computer (localhost, 127.0.0.0/8, ::1): plain HTTP
    // to it does not cross a network.
    static bool Locale(const QUrl& url);
    // Plain HTTP to another computer: the password and the cards would travel
    // unencrypted, so the user must have confirmed it.
    static bool DemandeConfirmation(const QUrl& url);
    // Whether a redirection from `depuis` to `vers` may be followed: never from HTTPS
    // to HTTP, and plain HTTP only to this computer or to the host already confirmed.
    static bool RedirectionPermise(const QUrl& depuis, const QUrl& vers, bool httpAccepte);

    // An href of the server (a path, or a whole URL) read against the address asked.
    static QUrl Resout(const QUrl& base, const QString& href);
    // The href in one form for comparisons: the path, percent-encoded the way QUrl
    // writes it ("/alice/contacts/a%20b.vcf").
    static QString Canonique(const QUrl& base, const QString& href);
    // Whether two addresses name the same collection (with or without the final "/").
    static bool MemeCollection(const QUrl& a, const QUrl& b);
    // The href of a new card of the book `carnet`: the book's path, the UID (or, when
    // it holds characters a server may refuse in a file name, a hash of it), ".vcf".
    static QString HrefNouvelleCarte(const QUrl& carnet, const QString& uid);

    // "host" or "host:port", for messages.
    static QString Hote(const QUrl& url);
    // The key of the password in the desktop's secret store: one per user and server.
    static QString CleCoffre(const QUrl& adresse, const QString& utilisateur);
};
