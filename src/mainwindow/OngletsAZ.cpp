#include "OngletsAZ.h"

int OngletsAZ::Lettre(std::string_view nom)
{
    if (nom.empty()) return -1;
    const unsigned char c = static_cast<unsigned char>(nom.front());
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= 'A' && c <= 'Z') return c - 'A';
    return -1;
}

namespace
{
// The surname's first byte, read straight from the row: this runs over the whole
// book at every activation of the window.
int LettreDeLaFiche(const Repertoire& rep, int ligne)
{
    static_assert(Nom == 0, "the surname is the row's first cell");
    const Repertoire::VueLigne v = rep.Vue(ligne);
    return v.fins[Nom] == 0 ? -1 : OngletsAZ::Lettre(v.octets.substr(0, 1));
}
} // namespace

std::array<bool, 26> OngletsAZ::Presence(const Repertoire& rep)
{
    std::array<bool, 26> presence{};
    int trouvees = 0;
    const int n = rep.NbFiches();
    for (int ligne = 1; ligne <= n && trouvees < 26; ++ligne) {
        const int l = LettreDeLaFiche(rep, ligne);
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
    const int n = rep.NbFiches();
    for (int ligne = 1; ligne <= n; ++ligne)
        if (LettreDeLaFiche(rep, ligne) == lettre) return ligne;
    return -1;
}
