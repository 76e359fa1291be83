#pragma once

#include "OuvertureSure.h"
#include "Repertoire.h"

class EmpreinteFichier;

#include <QByteArray>
#include <QString>
#include <string>

// The .REP file: two number lines (row count including the header row, sort
// column), then for each row its mailing flag and its 46 cells, one per line,
// line breaks inside a cell folded to the byte 0x07. Windows-1252, CR LF.
class FichierRep
{
public:
    // Parses the file into `resultat` (replaced only on success). Returns an
    // empty string on success, else a French message naming the file and the reason.
    // Only a regular file no larger than `tailleMax` (TailleMax() when negative) is
    // read, `bloc` bytes at a time. A file holding more than its announced rows
    // opens, and `avertissement` then tells the user that a save will not keep the rest.
    // `empreinte` receives the stamp of the bytes read (hashed as they are read).
    static QString ChargeRepertoire(const QString& chemin, Repertoire& resultat,
                                    QString* avertissement = nullptr, qint64 tailleMax = -1,
                                    size_t bloc = OuvertureSure::BlocParDefaut,
                                    EmpreinteFichier* empreinte = nullptr);
    static QString ChargeDepuisOctets(const QByteArray& octets, const QString& chemin,
                                      Repertoire& resultat, QString* avertissement = nullptr);
    // The largest book this computer can open.
    static qint64 TailleMax();
    // Writes atomically: on failure the previous file is untouched. Clears
    // Modifie only on success. Does not change FichierCourant. `empreinte` receives
    // the stamp of the file written.
    static QString EcritRepertoire(const QString& chemin, Repertoire& rep,
                                   EmpreinteFichier* empreinte = nullptr);
    static QByteArray Serialise(const Repertoire& rep);

private:
    template <class Sortie> static bool Produit(const Repertoire& rep, Sortie&& sortie);
    template <class Lecteur>
    static QString Analyse(Lecteur& lecteur, long long taille, const QString& chemin,
                           Repertoire& rep, QString* avertissement);
    template <class Lecteur>
    static QString AnalyseDans(Lecteur& lecteur, long long taille, const QString& chemin,
                               Repertoire& resultat, QString* avertissement);
};
