#pragma once

#include "records/Champs.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <string>
#include <vector>

// A record as the server holds it: the vCard mapping of the exchange (the same
// properties an export writes), with the UID that names the card, and what other
// programs put in the card that the book has no field for, written back untouched.
class CarteSync
{
public:
    using Champs = std::array<std::string, NbColonnes>; // Windows-1252

    struct Lecture {
        bool valide = false;
        QString erreur;
        Champs champs;
        QString uid;
        // Characters of the card Windows-1252 cannot hold, now "?" in `champs`.
        size_t remplaces = 0;
    };
    // The first card of `vcard` (UTF-8, as the server sent it).
    static Lecture Lit(const QByteArray& vcard);

    // The card of a record: vCard 3.0, the fields of `champs` (the bank page's only
    // when `banque`; otherwise the bank fields of the card `base` are kept as they
    // were), its UID, and the lines of `base` that the mapping does not give back
    // (another program's X- properties, CATEGORIES, BDAY, a picture, a phone more
    // than the fields hold). No picture is embedded: the record keeps its file name.
    static QByteArray Ecrit(const Champs& champs, const QString& uid, const QByteArray& base,
                            bool banque);

    // The raw lines of `vcard` (unfolded, without their line ends) that this program
    // does not read into a field.
    static std::vector<std::string> LignesNonReprises(const QByteArray& vcard);

    // The bank page: kept on this computer unless the account allows otherwise.
    static bool ChampBancaire(int champ) { return champ >= 31 && champ <= 44; }
    // Whether the field travels to the server.
    static bool Synchronise(int champ, bool banque) { return banque || !ChampBancaire(champ); }
    static bool Vide(const Champs& champs);
    // A new UID for a record that has none yet.
    static QString NouvelUid();
};
