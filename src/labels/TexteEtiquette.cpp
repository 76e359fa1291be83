#include "TexteEtiquette.h"

#include "records/Repertoire.h"

#include <initializer_list>

namespace
{

void Ajoute(std::string& texte, std::string_view champ)
{
    if (champ.empty()) return;
    texte += champ;
    if (texte.back() != ' ') texte += ' ';
}

void AjouteChamps(std::string& texte, const Repertoire& rep, int ligne,
                  std::initializer_list<int> champs)
{
    for (int c : champs)
        Ajoute(texte, rep.Cellule(c, ligne));
}

void FinLigne(std::string& texte, std::string&& ligne)
{
    if (ligne.empty()) return;
    texte += ligne;
    texte += '\r';
}

} // namespace

std::string TexteEtiquette::LigneChoix(const Repertoire& rep, int ligne)
{
    std::string texte = std::to_string(ligne) + " : ";
    AjouteChamps(texte, rep, ligne,
                 {Nom, Prenom, Adresse1, Adresse2, CP, Ville, Pays, Societe, SAdresse1, SAdresse2,
                  SCP, SVille, SPays, Banque, BAdresse1, BAdresse2, BCP, BVille, BPays});
    return texte;
}

std::string TexteEtiquette::Compose(const Repertoire& rep, int ligne, int genre)
{
    std::string premiere;
    int a1 = Adresse1, a2 = Adresse2, cp = CP, ville = Ville, pays = Pays;
    switch (genre) {
    case ProNomPersonne: {
        AjouteChamps(premiere, rep, ligne, {Civil, Prenom, Nom});
        if (!rep.Cellule(Nom, ligne).empty() && !rep.Cellule(Societe, ligne).empty())
            Ajoute(premiere, "- ");
        AjouteChamps(premiere, rep, ligne, {Societe});
        a1 = SAdresse1, a2 = SAdresse2, cp = SCP, ville = SVille, pays = SPays;
        break;
    }
    case ProSansNom:
        AjouteChamps(premiere, rep, ligne, {Societe});
        a1 = SAdresse1, a2 = SAdresse2, cp = SCP, ville = SVille, pays = SPays;
        break;
    case Bancaire:
        AjouteChamps(premiere, rep, ligne, {Banque});
        a1 = BAdresse1, a2 = BAdresse2, cp = BCP, ville = BVille, pays = BPays;
        break;
    default:
        AjouteChamps(premiere, rep, ligne, {Civil, Prenom, Nom});
        break;
    }
    std::string texte;
    FinLigne(texte, std::move(premiere));
    std::string l2, l3, l4;
    Ajoute(l2, rep.Cellule(a1, ligne));
    Ajoute(l3, rep.Cellule(a2, ligne));
    AjouteChamps(l4, rep, ligne, {cp, ville, pays});
    FinLigne(texte, std::move(l2));
    FinLigne(texte, std::move(l3));
    FinLigne(texte, std::move(l4));
    return texte;
}
