#pragma once

#include <string>
#include <vector>

// Column numbers of the 46 fields of a record, in the order of the grid, the
// .REP file, import and export.
enum Champ : int {
    Nom = 0,
    Prenom,
    Civil,
    Adresse1,
    Adresse2,
    CP,
    Ville,
    Pays,
    Fonction,
    Societe,
    Tel,
    Tel2,
    Portable,
    Fax,
    Internet,
    Internet2,
    Internet3,
    Notes,
    SAdresse1,
    SAdresse2,
    SCP,
    SVille,
    SPays,
    STel,
    STel2,
    SPortable,
    SFax,
    SInternet,
    SInternet2,
    SInternet3,
    SNotes,
    Banque,
    Etablissement,
    Guichet,
    Compte,
    Cle,
    BAdresse1,
    BAdresse2,
    BCP,
    BVille,
    BPays,
    BTel,
    BFax,
    BInternet,
    BNotes,
    Photo
};

constexpr int NbColonnes = 46;

enum class PageFiche { Prive, Professionnel, Banque };

enum class GroupeCouleur { Identite, Adresse, Internet, Telephone, Aucun };

enum class GenreControle { Ligne, LigneGras, Liste, Memo, CadrePhoto };

struct InfoChamp {
    const char* cle;   // the field's internal name, as in the settings
    const char* titre; // UTF-8; the header-row text of a new book
    PageFiche page;
    GenreControle genre;
    GroupeCouleur groupe;
    bool numerotable; // right click dials
    bool courriel;    // right click writes a message
};

class Champs
{
public:
    static const InfoChamp& Info(int colonne);
    // The built-in title in Windows-1252.
    static const std::string& Titre(int colonne);
    static bool EstNotes(int colonne)
    {
        return colonne == Notes || colonne == SNotes || colonne == BNotes;
    }
    // Column of an internal name such as "SAdresse1", or -1.
    static int ColonneDeCle(const char* cle);
    // The fields of a record page in their keyboard (Tab) order.
    static const std::vector<int>& OrdrePage(PageFiche page);
};
