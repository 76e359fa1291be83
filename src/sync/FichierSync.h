#pragma once

#include "sync/EtatSync.h"

#include <QByteArray>
#include <QString>

// The sync file "<book>.REP.sync": a JSON document (UTF-8) beside the book, written
// through the safe write right after the book itself. Fields are kept as their
// Windows-1252 bytes (one character per byte), so that every byte comes back.
class FichierSync
{
public:
    static QString Chemin(const QString& livre) { return livre + QStringLiteral(".sync"); }

    static QByteArray Serialise(const EtatSync& etat);
    // False with the French reason for a document that is not a sync file (damaged,
    // another version, cut short): the caller then starts as without one.
    static bool Deserialise(const QByteArray& octets, EtatSync& etat, QString* raison);

    // Reads the sync file of `livre`. `absent` is set when there is none (not an
    // error). Empty on success, else the reason.
    static QString Charge(const QString& livre, EtatSync& etat, bool* absent = nullptr);
    static QString Enregistre(const QString& livre, const EtatSync& etat);

    static constexpr int Version = 1;
    static constexpr qint64 TailleMax = qint64(1) << 31;
};
