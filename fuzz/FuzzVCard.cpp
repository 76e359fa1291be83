// libFuzzer target for the vCard reader: any input is read into cards and fields
// without a crash, within its limits, and every card read, written back as 3.0 and
// as 4.0 and read again, gives the same 46 fields (the round trip the export and
// the import make).
#include "vcard/ClassementVCard.h"
#include "vcard/EcrivainVCard.h"
#include "vcard/LecteurVCard.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace
{

std::vector<std::array<std::string, NbColonnes>> Lit(std::string octets, size_t ligne)
{
    std::vector<std::array<std::string, NbColonnes>> fiches;
    ClassementVCard classement;
    FicheVCard fiche;
    CodageVCard::Bilan bilan;
    LecteurVCard::Limites limites;
    limites.ligne = ligne;
    limites.cartes = 100000;
    LecteurVCard::Parcourt(octets, limites, [&](const CarteVCard& carte) {
        classement.Classe(carte, fiche, bilan);
        fiches.push_back(fiche.champs);
        return true;
    });
    return fiches;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    const std::string octets(reinterpret_cast<const char*>(donnees), taille);
    const auto fiches = Lit(octets, size_t(32) << 20);
    for (const auto& champs : fiches) {
        EcrivainVCard::Champs vues;
        for (int c = 0; c < NbColonnes; ++c)
            vues[static_cast<size_t>(c)] = champs[static_cast<size_t>(c)];
        for (VersionVCard version : {VersionVCard::V30, VersionVCard::V40}) {
            std::string carte;
            EcrivainVCard::AjouteCarte(carte, vues, version, nullptr);
            const auto relues = Lit(carte, size_t(64) << 20);
            if (relues.size() != 1 || relues[0] != champs) std::abort();
        }
    }
    return 0;
}
