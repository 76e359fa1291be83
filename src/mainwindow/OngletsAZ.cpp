#include "OngletsAZ.h"

int OngletsAZ::Lettre(std::string_view nom)
{
    if (nom.empty()) return -1;
    const unsigned char c = static_cast<unsigned char>(nom.front());
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= 'A' && c <= 'Z') return c - 'A';
    return -1;
}

std::array<bool, 26> OngletsAZ::Presence(const Repertoire& rep)
{
    std::array<bool, 26> presence{};
    int trouvees = 0;
    for (int ligne = 1; ligne <= rep.NbFiches() && trouvees < 26; ++ligne) {
        const int l = Lettre(rep.Cellule(Nom, ligne));
        if (l >= 0 && !presence[static_cast<size_t>(l)]) {
            presence[static_cast<size_t>(l)] = true;
            ++trouvees;
        }
    }
    return presence;
}

int OngletsAZ::PremiereFiche(const Repertoire& rep, int lettre)
{
    if (lettre < 0 || lettre >= 26) return -1;
    for (int ligne = 1; ligne <= rep.NbFiches(); ++ligne)
        if (Lettre(rep.Cellule(Nom, ligne)) == lettre) return ligne;
    return -1;
}
