#include "OperationDav.h"

OperationDav::OperationDav(QNetworkAccessManager& reseau, const EchangeDav::Parametres& parametres,
                           QObject* parent)
    : QObject(parent), m_reseau(reseau), m_parametres(parametres)
{
}

void OperationDav::Demande(const EchangeDav::Requete& requete, Suite suite,
                           std::function<void(LecteurMultistatus::Reponse&&)> auFil)
{
    if (m_fini) return;
    auto* echange = new EchangeDav(m_reseau, m_parametres, this);
    echange->AuFil = std::move(auFil);
    m_echange = echange;
    connect(echange, &EchangeDav::Fini, this, [this, echange, suite = std::move(suite)] {
        if (m_echange == echange) m_echange = nullptr;
        echange->deleteLater();
        if (!m_fini) suite(*echange);
    });
    echange->Lance(requete);
}

void OperationDav::Annule()
{
    if (m_fini) return;
    // Deleting the request abandons it, and its answer is never read.
    delete m_echange.data();
    Finit(ErreurDav::Annulation());
}

void OperationDav::Finit(const ErreurDav& erreur)
{
    if (m_fini) return;
    m_fini = true;
    QMetaObject::invokeMethod(
        this,
        [this, erreur] {
            if (m_fin) m_fin(erreur);
            deleteLater();
        },
        Qt::QueuedConnection);
}
