#pragma once

#include "sync/CompteSync.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

// "Synchronisation CardDAV": the account's address (a server's, found through
// /.well-known/carddav, or an address book's), the user name, the password (to the
// secret store, never to the settings) and whether the bank page travels. HTTPS is
// assumed when no scheme is typed; plain HTTP to another computer is confirmed.
class TCompteSync : public QDialog
{
    Q_OBJECT
public:
    explicit TCompteSync(QWidget* parent = nullptr);

    // Shows the account; `motDePasse` as known (empty: to be typed); `noteCoffre`:
    // why the password is asked again, when no secret store is available.
    void Montre(const CompteSync& compte, const QString& motDePasse, const QString& noteCoffre);
    CompteSync Compte() const { return m_compte; }
    QString MotDePasse() const;

    void accept() override;

    QLineEdit* Adresse() const { return m_adresse; }
    QLineEdit* Utilisateur() const { return m_utilisateur; }
    QLineEdit* MotDePasseEdit() const { return m_motDePasse; }
    QCheckBox* Banque() const { return m_banque; }

private:
    CompteSync m_compte;
    QLineEdit* m_adresse;
    QLineEdit* m_utilisateur;
    QLineEdit* m_motDePasse;
    QCheckBox* m_banque;
    QLabel* m_note;
};
