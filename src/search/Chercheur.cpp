#include "Chercheur.h"

#include "Correspondance.h"
#include "OptionsRecherche.h"
#include "records/CodePage.h"
#include "records/Repertoire.h"

#include <algorithm>
#include <array>

namespace
{

struct Colonnes {
    std::array<int, NbColonnes> c{};
    int n = 0;
};

// The searched columns in ascending order, computed once per scan.
Colonnes ColonnesCherchees(const OptionsRecherche& options)
{
    Colonnes cols;
    for (int c = 0; c <= Chercheur::DerniereColonne(); ++c)
        if (options.IsFieldSearched(c)) cols.c[static_cast<size_t>(cols.n++)] = c;
    return cols;
}

// The text as the cells hold it; false for a text that no cell can contain.
bool Octets(const QString& texte, std::string& octets)
{
    return !texte.isEmpty() && CodePage::VersWindows1252(texte, octets);
}

} // namespace

int Chercheur::DerniereColonne()
{
    return NbColonnes - 2;
}

void Chercheur::SetCurseur(int colonne, int ligne)
{
    m_colonne = colonne;
    m_ligne = ligne;
}

QString Chercheur::Libelle() const
{
    return m_suivant ? QStringLiteral("Suivant") : QStringLiteral("Chercher");
}

void Chercheur::TexteChange(const QString& texte)
{
    if (texte != m_dernierTexte) m_suivant = false;
    m_dernierTexte = texte;
    ReinitCurseur();
}

void Chercheur::Abandonne()
{
    ReinitCurseur();
    m_suivant = false;
}

Chercheur::Resultat Chercheur::ChercheAvant(const Repertoire& rep, const OptionsRecherche& options,
                                            const QString& texte)
{
    std::string octets;
    if (!Octets(texte, octets)) return {};
    const Correspondance motif(octets);
    std::array<bool, NbColonnes> cherchee{};
    for (int c = 0; c <= DerniereColonne(); ++c)
        cherchee[static_cast<size_t>(c)] = options.IsFieldSearched(c);
    const int derniereLigne = rep.NbFiches();
    for (int r = std::max(m_ligne, 1); r <= derniereLigne; ++r) {
        const int depart = r == m_ligne ? std::max(m_colonne, 0) : 0;
        const Repertoire::VueLigne v = rep.Vue(r);
        const int c = v.fins.Larges() ? motif.PremiereColonne(v.octets, v.fins.Longues(), depart,
                                                              DerniereColonne(), cherchee.data())
                                      : motif.PremiereColonne(v.octets, v.fins.Courtes(), depart,
                                                              DerniereColonne(), cherchee.data());
        if (c < 0) continue;
        if (texte == m_dernierTexte) m_suivant = true;
        SetCurseur(c + 1, r);
        return {true, c, r};
    }
    return {};
}

Chercheur::Resultat Chercheur::ChercheArriere(const Repertoire& rep,
                                              const OptionsRecherche& options, const QString& texte)
{
    std::string octets;
    if (!Octets(texte, octets)) return {};
    const Correspondance motif(octets);
    const Colonnes cols = ColonnesCherchees(options);
    const int derniereLigne = rep.NbFiches();
    int ligne = m_ligne;
    int colonne = m_colonne;
    if (ligne > derniereLigne) {
        // Records were deleted since the cursor was set: go on from the end of the book.
        ligne = derniereLigne;
        colonne = DerniereColonne();
    }
    for (int r = ligne; r >= 1; --r) {
        const int depart = r == ligne ? colonne : DerniereColonne();
        for (int i = cols.n - 1; i >= 0; --i) {
            const int c = cols.c[static_cast<size_t>(i)];
            if (c > depart || !motif.Trouve(rep.Cellule(c, r))) continue;
            if (c > 0)
                SetCurseur(c - 1, r);
            else if (r > 1)
                SetCurseur(DerniereColonne(), r - 1);
            else
                SetCurseur(DerniereColonne(), derniereLigne);
            return {true, c, r};
        }
    }
    return {};
}

std::vector<Chercheur::ChampTrouve>
Chercheur::ChampsTrouves(const OptionsRecherche& options, const QString& texte,
                         const std::function<std::string(int)>& texteDuChamp)
{
    std::vector<ChampTrouve> trouves;
    std::string octets;
    if (!Octets(texte, octets)) return trouves;
    const Correspondance motif(octets);
    for (PageFiche page : {PageFiche::Prive, PageFiche::Professionnel, PageFiche::Banque}) {
        for (int c : OptionsRecherche::ChampsDeLaPage(page)) {
            if (!options.IsFieldSearched(c)) continue;
            const std::ptrdiff_t p = motif.Position(texteDuChamp(c));
            if (p >= 0) trouves.push_back({c, p});
        }
    }
    return trouves;
}
