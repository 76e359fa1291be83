#pragma once

#include "sync/EchangeDav.h"

#include <QObject>
#include <QPointer>
#include <functional>

class ClientCardDav;

// A running operation of ClientCardDav: one or several requests in a row. Its end is
// told once, through the callback given to the client, always from the event loop
// (never inside the call that started or cancelled it); the object then deletes itself.
class OperationDav : public QObject
{
    Q_OBJECT
public:
    // Stops the operation: its request is abandoned and its callback receives an
    // Annulee error.
    void Annule();
    bool Finie() const { return m_fini; }

signals:
    // Batches of a long operation: cards received out of the cards asked.
    void Avance(qint64 fait, qint64 total);

private:
    friend class ClientCardDav;
    using Suite = std::function<void(EchangeDav&)>;
    OperationDav(QNetworkAccessManager& reseau, const EchangeDav::Parametres& parametres,
                 QObject* parent);
    // Sends a request; `suite` runs with its answer unless the operation was cancelled.
    void Demande(const EchangeDav::Requete& requete, Suite suite,
                 std::function<void(LecteurMultistatus::Reponse&&)> auFil = nullptr);
    // Ends the operation: the callback runs from the event loop.
    void Finit(const ErreurDav& erreur = ErreurDav());

    QNetworkAccessManager& m_reseau;
    EchangeDav::Parametres m_parametres;
    std::function<void(const ErreurDav&)> m_fin;
    QPointer<EchangeDav> m_echange;
    bool m_fini = false;
};
