#pragma once

#include <QByteArray>
#include <QString>

class Reglages;

// The CardDAV account of this user, in the settings section "Synchronisation CardDAV"
// (so that an administrator may prepare it): the address and the user name, the
// bank page's choice, and the user's decisions on plain HTTP and on a certificate.
// The password never goes there: it is kept in the desktop's secret store.
struct CompteSync {
    QString adresse;
    QString utilisateur;
    bool banque = false;      // "Synchroniser aussi les coordonnées bancaires"
    bool httpAccepte = false; // plain HTTP to another computer, confirmed
    QByteArray certificat;    // SHA-256 of a certificate trusted despite its errors

    bool Configure() const
    {
        return !adresse.trimmed().isEmpty() && !utilisateur.trimmed().isEmpty();
    }

    void Lit(const Reglages& reglages);
    void Ecrit(Reglages& reglages) const;

    static QString Section();
};
