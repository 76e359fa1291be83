#pragma once

#include "records/Champs.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

enum class FamilleVCard {
    Nom,
    Adresse,
    Titre,
    Societe,
    Telephone,
    Internet,
    Note,
    Extension,
    Photo
};
enum class CoteVCard { Aucun, Maison, Travail };

// Where one field of the book lives in a card. Fields of one group share a
// property: the three of N, the street, city, code and country of one ADR, or the
// numbered fields of one kind (Tél 1 and Tél 2 are two TEL;TYPE=home,voice, in
// that order).
struct EmplacementVCard {
    int champ;
    int groupe; // fields of one group share it; groups numbered in field order
    FamilleVCard famille;
    CoteVCard cote;
    unsigned genre;        // telephones: ParametresVCard::Voix, Cellulaire or Fax
    int composant;         // N and ADR: the component; -1 for the whole value
    int rang;              // place among the fields of the group that share a component
    const char* propriete; // "N", "ADR", "TEL", "EMAIL" (or URL), "X-CARNET-BANQUE"...
    const char* types;     // the TYPE written, or nullptr
    const char* titre;     // the import's column title, UTF-8
};

// The mapping between the 46 fields and the properties of a card: one table that
// the writer and the reader both follow.
//   N from Nom;Prenom;;Civil, FN from "Civil Prenom Nom" (or Societe, the first
//   e-mail, "Sans nom"); ORG Societe; TITLE Fonction; ADR;TYPE=home from Adresse1
//   and Adresse2 (the street's two lines), Ville, CP, Pays, and ADR;TYPE=work from
//   the company's; TEL;TYPE=home,voice Tel and Tel2, TEL;TYPE=cell Portable,
//   TEL;TYPE=home,fax Fax, and the same with "work" for the company's; EMAIL (URL
//   for a web address) home for Internet 1 to 3, work for the company's; NOTE
//   Notes; the company's notes, the bank fields and the photo's file name as
//   X-CARNET-... properties; PHOTO the picture itself.
class CorrespondanceVCard
{
public:
    static const std::array<EmplacementVCard, NbColonnes>& Table();
    static const EmplacementVCard& Emplacement(int champ)
    {
        return Table()[static_cast<size_t>(champ)];
    }
    // The fields of each group, in rank order, by group number.
    static const std::vector<std::vector<int>>& Groupes();
    // The field whose property is this X-CARNET-... name (any case), or -1.
    static int ChampExtension(std::string_view nom);

    // "http…", "www." (any case): a web address, written as URL.
    static bool EstAdresseWeb(std::string_view valeur);
    // The FN of a record, Windows-1252: "Civil Prenom Nom" without the empty ones,
    // else Societe, else the first e-mail, else "Sans nom".
    static std::string NomAffiche(const std::array<std::string_view, NbColonnes>& champs);

    // The name of the property that carries the photo's file name.
    static constexpr const char* NomPhoto = "X-CARNET-PHOTO";
    // The parameter that places a value after an empty field of its group.
    static constexpr const char* Rang = "X-CARNET-RANG";
};
