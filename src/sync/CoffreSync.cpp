#include "CoffreSync.h"

#include <qt6keychain/keychain.h>

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

QString SansCoffre(const QString& detail)
{
    return Fr("Aucun trousseau de mots de passe du bureau (service « Secret Service » ou "
              "KWallet) n'est disponible : le mot de passe n'est gardé que jusqu'à la fermeture "
              "du programme, et il vous sera demandé à nouveau la prochaine fois.") +
           (detail.isEmpty() ? QString() : Fr("\n\nRaison donnée par le système : ") + detail);
}

} // namespace

CoffreSync::CoffreSync(QObject* parent) : QObject(parent) {}

void CoffreSync::Lit(const QString& cle, FinLecture fin)
{
    const auto session = m_session.find(cle);
    if (session != m_session.end()) {
        const QString mdp = session->second;
        QMetaObject::invokeMethod(
            this, [fin, mdp] { fin(true, mdp, QString()); }, Qt::QueuedConnection);
        return;
    }
    if (m_sansCoffre) {
        QMetaObject::invokeMethod(
            this, [fin] { fin(false, QString(), SansCoffre(QString())); }, Qt::QueuedConnection);
        return;
    }
    auto* job = new QKeychain::ReadPasswordJob(Service(), this);
    job->setAutoDelete(true);
    job->setKey(cle);
    connect(job, &QKeychain::Job::finished, this, [fin](QKeychain::Job* j) {
        auto* lecture = static_cast<QKeychain::ReadPasswordJob*>(j);
        if (j->error() == QKeychain::NoError) return fin(true, lecture->textData(), QString());
        if (j->error() == QKeychain::EntryNotFound) return fin(false, QString(), QString());
        fin(false, QString(), SansCoffre(j->errorString()));
    });
    job->start();
}

void CoffreSync::Ecrit(const QString& cle, const QString& motDePasse, FinEcriture fin)
{
    m_session[cle] = motDePasse;
    if (m_sansCoffre) {
        QMetaObject::invokeMethod(
            this, [fin] { fin(false, SansCoffre(QString())); }, Qt::QueuedConnection);
        return;
    }
    auto* job = new QKeychain::WritePasswordJob(Service(), this);
    job->setAutoDelete(true);
    job->setKey(cle);
    job->setTextData(motDePasse);
    connect(job, &QKeychain::Job::finished, this, [fin](QKeychain::Job* j) {
        if (j->error() == QKeychain::NoError) return fin(true, QString());
        fin(false, SansCoffre(j->errorString()));
    });
    job->start();
}
