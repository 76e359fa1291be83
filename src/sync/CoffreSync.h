#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>

// The account's password in the desktop's secret store (QtKeychain: the Secret
// Service, KWallet). Without a store the password is kept in memory for this session
// only, and the caller says why it asks for it again next time. Never on disk
// otherwise.
class CoffreSync : public QObject
{
    Q_OBJECT
public:
    explicit CoffreSync(QObject* parent = nullptr);

    // `ok`: a password found; otherwise `raison` says why there is none (empty: the
    // store has none for this account yet).
    using FinLecture =
        std::function<void(bool ok, const QString& motDePasse, const QString& raison)>;
    // `ok`: kept in the store; otherwise kept for this session, `raison` says why.
    using FinEcriture = std::function<void(bool ok, const QString& raison)>;

    void Lit(const QString& cle, FinLecture fin);
    void Ecrit(const QString& cle, const QString& motDePasse, FinEcriture fin);

    // For tests and machines without a store: no store is asked at all.
    void SetSansCoffre(bool sans) { m_sansCoffre = sans; }
    static QString Service() { return QStringLiteral("carnet-carddav"); }

private:
    bool m_sansCoffre = false;
    std::map<QString, QString> m_session;
};
