#include "CorrespondanceVCard.h"

#include "ParametresVCard.h"

#include <algorithm>

namespace
{

using F = FamilleVCard;
using C = CoteVCard;
constexpr unsigned V = ParametresVCard::Voix;
constexpr unsigned P = ParametresVCard::Cellulaire;
constexpr unsigned X = ParametresVCard::Fax;

// In field order. Group numbers follow the first field of each group.
const std::array<EmplacementVCard, NbColonnes> LaTable = {{
    {Nom, 0, F::Nom, C::Aucun, 0, 0, 0, "N", nullptr, "N (nom)"},
    {Prenom, 0, F::Nom, C::Aucun, 0, 1, 0, "N", nullptr, "N (prénom)"},
    {Civil, 0, F::Nom, C::Aucun, 0, 3, 0, "N", nullptr, "N (civilité)"},
    {Adresse1, 1, F::Adresse, C::Maison, 0, 2, 0, "ADR", "home", "ADR;TYPE=home (rue, 1re ligne)"},
    {Adresse2, 1, F::Adresse, C::Maison, 0, 2, 1, "ADR", "home", "ADR;TYPE=home (rue, suite)"},
    {CP, 1, F::Adresse, C::Maison, 0, 5, 0, "ADR", "home", "ADR;TYPE=home (code postal)"},
    {Ville, 1, F::Adresse, C::Maison, 0, 3, 0, "ADR", "home", "ADR;TYPE=home (ville)"},
    {Pays, 1, F::Adresse, C::Maison, 0, 6, 0, "ADR", "home", "ADR;TYPE=home (pays)"},
    {Fonction, 2, F::Titre, C::Aucun, 0, -1, 0, "TITLE", nullptr, "TITLE"},
    {Societe, 3, F::Societe, C::Aucun, 0, 0, 0, "ORG", nullptr, "ORG"},
    {Tel, 4, F::Telephone, C::Maison, V, -1, 0, "TEL", "home,voice", "TEL;TYPE=home,voice"},
    {Tel2, 4, F::Telephone, C::Maison, V, -1, 1, "TEL", "home,voice", "TEL;TYPE=home,voice (2e)"},
    {Portable, 5, F::Telephone, C::Maison, P, -1, 0, "TEL", "cell", "TEL;TYPE=cell"},
    {Fax, 6, F::Telephone, C::Maison, X, -1, 0, "TEL", "home,fax", "TEL;TYPE=home,fax"},
    {Internet, 7, F::Internet, C::Maison, 0, -1, 0, "EMAIL", "home", "EMAIL;TYPE=home"},
    {Internet2, 7, F::Internet, C::Maison, 0, -1, 1, "EMAIL", "home", "EMAIL;TYPE=home (2e)"},
    {Internet3, 7, F::Internet, C::Maison, 0, -1, 2, "EMAIL", "home", "EMAIL;TYPE=home (3e)"},
    {Notes, 8, F::Note, C::Aucun, 0, -1, 0, "NOTE", nullptr, "NOTE"},
    {SAdresse1, 9, F::Adresse, C::Travail, 0, 2, 0, "ADR", "work",
     "ADR;TYPE=work (rue, 1re ligne)"},
    {SAdresse2, 9, F::Adresse, C::Travail, 0, 2, 1, "ADR", "work", "ADR;TYPE=work (rue, suite)"},
    {SCP, 9, F::Adresse, C::Travail, 0, 5, 0, "ADR", "work", "ADR;TYPE=work (code postal)"},
    {SVille, 9, F::Adresse, C::Travail, 0, 3, 0, "ADR", "work", "ADR;TYPE=work (ville)"},
    {SPays, 9, F::Adresse, C::Travail, 0, 6, 0, "ADR", "work", "ADR;TYPE=work (pays)"},
    {STel, 10, F::Telephone, C::Travail, V, -1, 0, "TEL", "work,voice", "TEL;TYPE=work,voice"},
    {STel2, 10, F::Telephone, C::Travail, V, -1, 1, "TEL", "work,voice",
     "TEL;TYPE=work,voice (2e)"},
    {SPortable, 11, F::Telephone, C::Travail, P, -1, 0, "TEL", "work,cell", "TEL;TYPE=work,cell"},
    {SFax, 12, F::Telephone, C::Travail, X, -1, 0, "TEL", "work,fax", "TEL;TYPE=work,fax"},
    {SInternet, 13, F::Internet, C::Travail, 0, -1, 0, "EMAIL", "work", "EMAIL;TYPE=work"},
    {SInternet2, 13, F::Internet, C::Travail, 0, -1, 1, "EMAIL", "work", "EMAIL;TYPE=work (2e)"},
    {SInternet3, 13, F::Internet, C::Travail, 0, -1, 2, "EMAIL", "work", "EMAIL;TYPE=work (3e)"},
    {SNotes, 14, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-SNOTES", nullptr, "X-CARNET-SNOTES"},
    {Banque, 15, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-BANQUE", nullptr, "X-CARNET-BANQUE"},
    {Etablissement, 16, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-ETABLISSEMENT", nullptr,
     "X-CARNET-ETABLISSEMENT"},
    {Guichet, 17, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-GUICHET", nullptr,
     "X-CARNET-GUICHET"},
    {Compte, 18, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-COMPTE", nullptr, "X-CARNET-COMPTE"},
    {Cle, 19, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-CLE", nullptr, "X-CARNET-CLE"},
    {BAdresse1, 20, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-BADRESSE1", nullptr,
     "X-CARNET-BADRESSE1"},
    {BAdresse2, 21, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-BADRESSE2", nullptr,
     "X-CARNET-BADRESSE2"},
    {BCP, 22, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-BCP", nullptr, "X-CARNET-BCP"},
    {BVille, 23, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-BVILLE", nullptr, "X-CARNET-BVILLE"},
    {BPays, 24, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-BPAYS", nullptr, "X-CARNET-BPAYS"},
    {BTel, 25, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-BTEL", nullptr, "X-CARNET-BTEL"},
    {BFax, 26, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-BFAX", nullptr, "X-CARNET-BFAX"},
    {BInternet, 27, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-BINTERNET", nullptr,
     "X-CARNET-BINTERNET"},
    {BNotes, 28, F::Extension, C::Aucun, 0, -1, 0, "X-CARNET-BNOTES", nullptr, "X-CARNET-BNOTES"},
    {Photo, 29, F::Photo, C::Aucun, 0, -1, 0, "PHOTO", nullptr, "PHOTO"},
}};

bool PrefixeSansCasse(std::string_view v, std::string_view prefixe)
{
    return v.size() >= prefixe.size() &&
           ParametresVCard::Egal(v.substr(0, prefixe.size()), prefixe);
}

} // namespace

const std::array<EmplacementVCard, NbColonnes>& CorrespondanceVCard::Table()
{
    return LaTable;
}

const std::vector<std::vector<int>>& CorrespondanceVCard::Groupes()
{
    static const std::vector<std::vector<int>> groupes = [] {
        std::vector<std::vector<int>> g;
        for (const EmplacementVCard& e : LaTable) {
            if (static_cast<size_t>(e.groupe) >= g.size())
                g.resize(static_cast<size_t>(e.groupe) + 1);
            g[static_cast<size_t>(e.groupe)].push_back(e.champ);
        }
        return g;
    }();
    return groupes;
}

int CorrespondanceVCard::ChampExtension(std::string_view nom)
{
    if (!PrefixeSansCasse(nom, "X-CARNET-")) return -1;
    for (const EmplacementVCard& e : LaTable) {
        if (e.famille != F::Extension) continue;
        const std::string_view p(e.propriete);
        if (ParametresVCard::Egal(nom, p)) return e.champ;
    }
    return -1;
}

bool CorrespondanceVCard::EstAdresseWeb(std::string_view v)
{
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
        v.remove_prefix(1);
    return PrefixeSansCasse(v, "HTTP") || PrefixeSansCasse(v, "WWW.");
}

std::string CorrespondanceVCard::NomAffiche(const std::array<std::string_view, NbColonnes>& c)
{
    const auto Nettoye = [](std::string_view v) {
        while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
            v.remove_prefix(1);
        while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
            v.remove_suffix(1);
        return v;
    };
    std::string nom;
    for (int champ : {Civil, Prenom, Nom}) {
        const std::string_view v = Nettoye(c[static_cast<size_t>(champ)]);
        if (v.empty()) continue;
        if (!nom.empty()) nom.push_back(' ');
        nom.append(v);
    }
    if (!nom.empty()) return nom;
    if (!Nettoye(c[Societe]).empty()) return std::string(Nettoye(c[Societe]));
    for (int champ :
         {Internet, Internet2, Internet3, SInternet, SInternet2, SInternet3, BInternet}) {
        const std::string_view v = Nettoye(c[static_cast<size_t>(champ)]);
        if (!v.empty() && !EstAdresseWeb(v)) return std::string(v);
    }
    return "Sans nom";
}
