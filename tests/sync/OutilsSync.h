#pragma once

#include "sync/ClientCardDav.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <memory>

namespace OutilsSync
{

// Runs the event loop until `fini` or the deadline.
inline bool Attends(const std::function<bool()>& fini, int ms = 30000)
{
    const QDeadlineTimer limite(ms);
    while (!fini() && !limite.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return fini();
}

// What an operation's callback received, and how many times it was called.
template <typename T> struct Issue {
    int appels = 0;
    ErreurDav erreur;
    T valeur{};
};
struct Rien {
};

using C = ClientCardDav;

inline std::shared_ptr<Issue<C::Decouverte>> Decouvre(C& client, const QUrl& adresse)
{
    auto r = std::make_shared<Issue<C::Decouverte>>();
    client.Decouvre(adresse, [r](const ErreurDav& e, const C::Decouverte& d) {
        ++r->appels;
        r->erreur = e;
        r->valeur = d;
    });
    Attends([r] { return r->appels > 0; });
    return r;
}

inline std::shared_ptr<Issue<C::Listage>> Liste(C& client, const QUrl& carnet,
                                                const C::Depuis& depuis = {})
{
    auto r = std::make_shared<Issue<C::Listage>>();
    client.Liste(carnet, depuis, [r](const ErreurDav& e, const C::Listage& l) {
        ++r->appels;
        r->erreur = e;
        r->valeur = l;
    });
    Attends([r] { return r->appels > 0; });
    return r;
}

struct Cartes {
    std::vector<C::Carte> cartes;
    QStringList absentes;
};

inline std::shared_ptr<Issue<Cartes>> Recupere(C& client, const QUrl& carnet,
                                               const QStringList& hrefs,
                                               std::function<void(OperationDav*)> pendant = {})
{
    auto r = std::make_shared<Issue<Cartes>>();
    OperationDav* op = client.Recupere(
        carnet, hrefs,
        [r](const ErreurDav& e, const std::vector<C::Carte>& c, const QStringList& a) {
            ++r->appels;
            r->erreur = e;
            r->valeur = {c, a};
        });
    if (pendant) pendant(op);
    Attends([r] { return r->appels > 0; }, 120000);
    return r;
}

inline std::shared_ptr<Issue<C::Envoi>> Envoie(C& client, const QUrl& carnet, const QString& href,
                                               const QByteArray& vcard, const QString& etag)
{
    auto r = std::make_shared<Issue<C::Envoi>>();
    client.Envoie(carnet, href, vcard, etag, [r](const ErreurDav& e, const C::Envoi& envoi) {
        ++r->appels;
        r->erreur = e;
        r->valeur = envoi;
    });
    Attends([r] { return r->appels > 0; });
    return r;
}

inline std::shared_ptr<Issue<Rien>> Supprime(C& client, const QUrl& carnet, const QString& href,
                                             const QString& etag)
{
    auto r = std::make_shared<Issue<Rien>>();
    client.Supprime(carnet, href, etag, [r](const ErreurDav& e) {
        ++r->appels;
        r->erreur = e;
    });
    Attends([r] { return r->appels > 0; });
    return r;
}

inline std::shared_ptr<Issue<C::Carnet>> CreeCarnet(C& client, const QUrl& maison,
                                                    const QString& nom)
{
    auto r = std::make_shared<Issue<C::Carnet>>();
    client.CreeCarnet(maison, nom, [r](const ErreurDav& e, const C::Carnet& c) {
        ++r->appels;
        r->erreur = e;
        r->valeur = c;
    });
    Attends([r] { return r->appels > 0; });
    return r;
}

// A card as a phone would write it, in vCard 3.0 with CR LF.
inline QByteArray Carte(const QString& uid, const QString& nom, const QString& note = QString())
{
    QString t = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\nN:%2;;;;\r\n")
                    .arg(uid, nom);
    if (!note.isEmpty()) t += QStringLiteral("NOTE:%1\r\n").arg(note);
    t += QStringLiteral("END:VCARD\r\n");
    return t.toUtf8();
}

inline ClientCardDav::Parametres Acces(const QString& utilisateur, const QString& motDePasse)
{
    ClientCardDav::Parametres p;
    p.utilisateur = utilisateur;
    p.motDePasse = motDePasse;
    return p;
}

} // namespace OutilsSync
