#pragma once

#include "sync/CarteSync.h"

#include <QByteArray>
#include <QString>
#include <vector>

// What this computer knows of a book's last synchronisation, kept beside the book in
// "<book>.REP.sync" (FichierSync) and never inside the .REP, whose format stays as
// other copies of the program read it.
struct EtatSync {
    // One record known to the server.
    struct Entree {
        QString uid;
        QString href; // the card's path on the server
        // Its ETag when last seen; empty for a card whose creation was sent but not
        // yet confirmed (it is sent again, If-None-Match: *, at the same href).
        QString etag;
        // The card as the server held it at the last synchronisation: the merge's
        // base on the server's side, and the lines of other programs kept from it.
        QByteArray carte;
        // The record as it stood after the last synchronisation: the merge's base on
        // this side, and what finds the record again in the book.
        CarteSync::Champs champs;
        int ligne = 0; // its row when the book was saved: a hint among equals
    };

    QString adresse;     // the address book's URL
    QString utilisateur; // the account it was synced with
    QString jeton;       // the collection's sync-token (empty: list everything)
    QString ctag;
    // The stamp of the .REP written with this file: another hash means the book was
    // changed by another program since, and its records are found again by content.
    QString hachage;
    std::vector<Entree> entrees;

    bool MemeCompte(const QString& url, const QString& user) const
    {
        return adresse == url && utilisateur == user;
    }
};
