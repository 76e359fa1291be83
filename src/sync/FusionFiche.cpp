#include "FusionFiche.h"

FusionFiche::Resultat FusionFiche::Fusionne(const CarteSync::Champs* baseIci,
                                            const CarteSync::Champs* baseServeur,
                                            const CarteSync::Champs& ici,
                                            const CarteSync::Champs& serveur, bool banque)
{
    Resultat r;
    r.champs = ici;
    for (int c = 0; c < NbColonnes; ++c) {
        if (!CarteSync::Synchronise(c, banque)) continue;
        const auto i = static_cast<size_t>(c);
        if (ici[i] == serveur[i]) continue;
        if (baseIci && baseServeur) {
            const bool changeIci = ici[i] != (*baseIci)[i];
            const bool changeServeur = serveur[i] != (*baseServeur)[i];
            if (!changeServeur) continue;
            if (!changeIci) {
                r.champs[i] = serveur[i];
                continue;
            }
        } else {
            if (serveur[i].empty()) continue;
            if (ici[i].empty()) {
                r.champs[i] = serveur[i];
                continue;
            }
        }
        r.conflits.push_back(c);
    }
    return r;
}

bool FusionFiche::DeuxPossibles(int champ)
{
    return champ == Notes || champ == SNotes || champ == BNotes;
}

std::string FusionFiche::LesDeux(const std::string& ici, const std::string& serveur)
{
    if (ici.empty()) return serveur;
    if (serveur.empty()) return ici;
    return ici + "\r\n" + serveur;
}
