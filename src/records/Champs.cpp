#include "Champs.h"

#include "CodePage.h"

#include <array>
#include <cstring>

namespace
{

using G = GroupeCouleur;
using K = GenreControle;
using P = PageFiche;

const std::array<InfoChamp, NbColonnes> Catalogue = {{
    {"Nom", "Nom", P::Prive, K::LigneGras, G::Identite, false, false},
    {"Prenom", "Prénom", P::Prive, K::Ligne, G::Identite, false, false},
    {"Civil", "Civilité", P::Prive, K::Liste, G::Identite, false, false},
    {"Adresse1", "Adresse 1", P::Prive, K::Ligne, G::Adresse, false, false},
    {"Adresse2", "Adresse 2", P::Prive, K::Ligne, G::Adresse, false, false},
    {"CP", "Code postal", P::Prive, K::Ligne, G::Adresse, false, false},
    {"Ville", "Ville", P::Prive, K::Ligne, G::Adresse, false, false},
    {"Pays", "Pays", P::Prive, K::Ligne, G::Adresse, false, false},
    {"Fonction", "Fonction", P::Professionnel, K::Ligne, G::Identite, false, false},
    {"Societe", "Société", P::Professionnel, K::Ligne, G::Identite, false, false},
    {"Tel", "Tél 1", P::Prive, K::LigneGras, G::Telephone, true, false},
    {"Tel2", "Tél 2", P::Prive, K::Ligne, G::Telephone, true, false},
    {"Portable", "Portable", P::Prive, K::Ligne, G::Telephone, true, false},
    {"Fax", "Fax", P::Prive, K::Ligne, G::Telephone, true, false},
    {"Internet", "Internet 1", P::Prive, K::LigneGras, G::Internet, false, true},
    {"Internet2", "Internet 2", P::Prive, K::Ligne, G::Internet, false, true},
    {"Internet3", "Internet 3", P::Prive, K::Ligne, G::Internet, false, true},
    {"Notes", "Notes", P::Prive, K::Memo, G::Aucun, false, false},
    {"SAdresse1", "Adresse 1 (société)", P::Professionnel, K::Ligne, G::Adresse, false, false},
    {"SAdresse2", "Adresse 2 (société)", P::Professionnel, K::Ligne, G::Adresse, false, false},
    {"SCP", "Code postal (société)", P::Professionnel, K::Ligne, G::Adresse, false, false},
    {"SVille", "Ville (société)", P::Professionnel, K::Ligne, G::Adresse, false, false},
    {"SPays", "Pays (société)", P::Professionnel, K::Ligne, G::Adresse, false, false},
    {"STel", "Tél 1 (société)", P::Professionnel, K::Ligne, G::Telephone, true, false},
    {"STel2", "Tél 2 (société)", P::Professionnel, K::Ligne, G::Telephone, true, false},
    {"SPortable", "Portable (société)", P::Professionnel, K::Ligne, G::Telephone, true, false},
    {"SFax", "Fax (société)", P::Professionnel, K::Ligne, G::Telephone, true, false},
    {"SInternet", "Internet 1 (société)", P::Professionnel, K::Ligne, G::Internet, false, true},
    {"SInternet2", "Internet 2 (société)", P::Professionnel, K::Ligne, G::Internet, false, true},
    {"SInternet3", "Internet 3 (société)", P::Professionnel, K::Ligne, G::Internet, false, true},
    {"SNotes", "Notes (société)", P::Professionnel, K::Memo, G::Aucun, false, false},
    {"Banque", "Banque", P::Banque, K::Ligne, G::Identite, false, false},
    {"Etablissement", "Etablissement", P::Banque, K::Ligne, G::Identite, false, false},
    {"Guichet", "Guichet", P::Banque, K::Ligne, G::Identite, false, false},
    {"Compte", "Compte", P::Banque, K::Ligne, G::Identite, false, false},
    {"Cle", "Clé", P::Banque, K::Ligne, G::Identite, false, false},
    {"BAdresse1", "Adresse 1 (banque)", P::Banque, K::Ligne, G::Adresse, false, false},
    {"BAdresse2", "Adresse 2 (banque)", P::Banque, K::Ligne, G::Adresse, false, false},
    {"BCP", "Code postal (banque)", P::Banque, K::Ligne, G::Adresse, false, false},
    {"BVille", "Ville (banque)", P::Banque, K::Ligne, G::Adresse, false, false},
    {"BPays", "Pays (banque)", P::Banque, K::Ligne, G::Adresse, false, false},
    {"BTel", "Tél (banque)", P::Banque, K::Ligne, G::Telephone, true, false},
    {"BFax", "Fax (banque)", P::Banque, K::Ligne, G::Telephone, true, false},
    {"BInternet", "Internet (banque)", P::Banque, K::Ligne, G::Internet, false, true},
    {"BNotes", "Notes (banque)", P::Banque, K::Memo, G::Aucun, false, false},
    {"Photo", "Photo", P::Prive, K::CadrePhoto, G::Aucun, false, false},
}};

} // namespace

const InfoChamp& Champs::Info(int colonne)
{
    return Catalogue.at(static_cast<size_t>(colonne));
}

const std::string& Champs::Titre(int colonne)
{
    static const std::array<std::string, NbColonnes> titres = [] {
        std::array<std::string, NbColonnes> t;
        for (int c = 0; c < NbColonnes; ++c)
            t[c] = CodePage::Octets(QString::fromUtf8(Catalogue[c].titre));
        return t;
    }();
    return titres.at(static_cast<size_t>(colonne));
}

int Champs::ColonneDeCle(const char* cle)
{
    for (int c = 0; c < NbColonnes; ++c)
        if (std::strcmp(Catalogue[c].cle, cle) == 0) return c;
    return -1;
}

const std::vector<int>& Champs::OrdrePage(PageFiche page)
{
    static const std::vector<int> prive = {Civil,    Prenom,    Nom,       Adresse1, Adresse2, CP,
                                           Ville,    Pays,      Tel,       Tel2,     Portable, Fax,
                                           Internet, Internet2, Internet3, Notes};
    static const std::vector<int> professionnel = {
        Societe, Fonction,  SAdresse1, SAdresse2, SCP,        SVille,     SPays, STel,
        STel2,   SPortable, SFax,      SInternet, SInternet2, SInternet3, SNotes};
    static const std::vector<int> banque = {Banque, BAdresse1,     BAdresse2, BCP,    BVille,
                                            BPays,  Etablissement, Guichet,   Compte, Cle,
                                            BTel,   BFax,          BInternet, BNotes};
    switch (page) {
    case PageFiche::Prive:
        return prive;
    case PageFiche::Professionnel:
        return professionnel;
    case PageFiche::Banque:
        break;
    }
    return banque;
}
