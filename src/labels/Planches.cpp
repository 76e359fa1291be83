#include "Planches.h"

#include "records/Repertoire.h"

#include <algorithm>

std::vector<int> Planches::FichesChoisies(const Repertoire& rep)
{
    std::vector<int> fiches;
    for (int r = 1; r <= rep.NbFiches(); ++r)
        if (rep.EstChoisie(r)) fiches.push_back(r);
    return fiches;
}

int Planches::Borne(int valeur, int maximum)
{
    return std::clamp(valeur, 1, std::max(1, maximum));
}

Planches::Planches(const MiseEnPage& page, std::vector<int> fiches, int nombre, int colonneDepart,
                   int ligneDepart)
    : m_page(page), m_fiches(std::move(fiches)),
      m_colonneDepart(Borne(colonneDepart, page.Colonnes())),
      m_ligneDepart(Borne(ligneDepart, page.Lignes())),
      m_nbPlanches(page.NombrePlanches(nombre, m_colonneDepart, m_ligneDepart))
{
    // The labels printed are the first `nombre` chosen records, or fewer.
    if (nombre >= 0 && static_cast<size_t>(nombre) < m_fiches.size())
        m_fiches.resize(static_cast<size_t>(nombre));
}

long long Planches::PremiereEtiquette(int planche) const
{
    const long long avant =
        static_cast<long long>(m_ligneDepart - 1) * m_page.Colonnes() + (m_colonneDepart - 1);
    return std::max(0LL, (planche - 1) * static_cast<long long>(m_page.ParPlanche()) - avant);
}

std::vector<Planches::Emplacement> Planches::Emplacements(int planche) const
{
    std::vector<Emplacement> resultat;
    if (planche < 1 || planche > m_nbPlanches) return resultat;
    const long long par = m_page.ParPlanche();
    const long long avant =
        static_cast<long long>(m_ligneDepart - 1) * m_page.Colonnes() + (m_colonneDepart - 1);
    // Slot k of the sheet holds label number (planche - 1) * par + k - avant.
    const long long premier = (planche - 1) * par - avant;
    for (long long k = 0; k < par; ++k) {
        const long long etiquette = premier + k;
        if (etiquette < 0) continue;
        if (etiquette >= static_cast<long long>(m_fiches.size())) break;
        resultat.push_back({static_cast<int>(k % m_page.Colonnes()) + 1,
                            static_cast<int>(k / m_page.Colonnes()) + 1,
                            m_fiches[static_cast<size_t>(etiquette)]});
    }
    return resultat;
}
