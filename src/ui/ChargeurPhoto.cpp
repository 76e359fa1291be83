#include "ChargeurPhoto.h"

#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>
#include <atomic>

namespace
{
constexpr size_t NbSouvenirs = 16;
}

// What the background tasks share with their loader: the last ticket, so that a task
// whose request was replaced does not even start, and the loader itself, which its
// destructor takes back under the lock so that no result is posted to a loader
// being destroyed.
struct ChargeurPhoto::Partage {
    std::atomic<quint64> dernier{0};
    QMutex verrou;
    ChargeurPhoto* chargeur = nullptr;
};

ChargeurPhoto::ChargeurPhoto(Regle regle, QObject* parent)
    : QObject(parent), m_regle(std::move(regle)), m_partage(std::make_shared<Partage>())
{
    m_partage->chargeur = this;
}

ChargeurPhoto::~ChargeurPhoto()
{
    ++m_partage->dernier;
    QMutexLocker verrou(&m_partage->verrou);
    m_partage->chargeur = nullptr;
}

void ChargeurPhoto::Annule()
{
    ++m_partage->dernier;
    m_enAttente = false;
}

void ChargeurPhoto::Demande(const QString& chemin, const QSize& zone)
{
    const quint64 ticket = ++m_partage->dernier;
    const LecturePhoto::Empreinte empreinte = LecturePhoto::EmpreinteDe(chemin);
    if (empreinte.Valide()) {
        for (auto it = m_souvenirs.begin(); it != m_souvenirs.end(); ++it) {
            if (it->chemin != chemin || it->zone != zone || it->resultat.empreinte != empreinte)
                continue;
            const Souvenir souvenir = *it;
            m_souvenirs.erase(it);
            m_souvenirs.push_front(souvenir);
            m_enAttente = false;
            emit Pret(souvenir.resultat);
            return;
        }
    }
    m_enAttente = true;
    LecturePhoto::Cible cible;
    if (m_regle)
        cible = [regle = m_regle, zone](const QSize& propre) { return regle(propre, zone); };
    QThreadPool::globalInstance()->start(
        [partage = m_partage, decodeur = Decodeur, ticket, chemin, zone, cible] {
            if (partage->dernier != ticket) return;
            const LecturePhoto::Resultat resultat = decodeur(chemin, cible);
            QMutexLocker verrou(&partage->verrou);
            ChargeurPhoto* chargeur = partage->chargeur;
            if (!chargeur || partage->dernier != ticket) return;
            QMetaObject::invokeMethod(
                chargeur,
                [chargeur, ticket, chemin, zone, resultat] {
                    chargeur->Livre(ticket, chemin, zone, resultat);
                },
                Qt::QueuedConnection);
        });
}

void ChargeurPhoto::Livre(quint64 ticket, const QString& chemin, const QSize& zone,
                          const LecturePhoto::Resultat& resultat)
{
    // A request made after this one was posted wins all the same.
    if (ticket != m_partage->dernier) return;
    m_enAttente = false;
    if (resultat.empreinte.Valide()) {
        m_souvenirs.push_front({chemin, zone, resultat});
        if (m_souvenirs.size() > NbSouvenirs) m_souvenirs.pop_back();
    }
    emit Pret(resultat);
}
