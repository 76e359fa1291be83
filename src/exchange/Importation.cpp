#include "Importation.h"

#include "AssociationChamps.h"
#include "LectureImport.h"
#include "TableImport.h"
#include "records/Repertoire.h"

#include <array>
#include <vector>

bool Importation::FicheVierge(const Repertoire& rep)
{
    return rep.NbFiches() == 1 && !rep.EstChoisie(1) && rep.Vue(1).fins[NbColonnes - 1] == 0;
}

int Importation::NbLignesAjoutees(const Repertoire& rep, const TableImport& table)
{
    if (table.NbFiches() == 0) return 0;
    return table.NbFiches() - (FicheVierge(rep) ? 1 : 0);
}

int Importation::AppendImportedRecords(Repertoire& rep, const TableImport& table,
                                       const AssociationChamps& association)
{
    if (table.NbFiches() == 0) return rep.NbFiches();
    int ligne = FicheVierge(rep) ? 1 : rep.NbLignes();
    rep.Reserve(ligne + table.NbFiches());
    rep.SetModifie(true);
    std::vector<std::string_view> ligneTable(static_cast<size_t>(table.NbColonnes()));
    std::array<std::string_view, NbColonnes> cellules{};
    for (int l = table.PremiereFiche(); l < table.NbLignes(); ++l, ++ligne) {
        if (ligne == rep.NbLignes()) rep.AjouteFiche(); // flag "0"
        table.CellulesLigne(l, ligneTable.data());
        for (int champ = 0; champ < NbColonnes; ++champ) {
            const int colonne = association.Colonne(champ);
            // A column the file does not have gives an empty field.
            cellules[static_cast<size_t>(champ)] = colonne >= 0 && colonne < table.NbColonnes()
                                                       ? ligneTable[static_cast<size_t>(colonne)]
                                                       : std::string_view();
        }
        rep.RemplitLigne(ligne, cellules, true); // the staging table keeps a margin
    }
    return ligne - 1;
}

int64_t Importation::TailleFichierApres(const Repertoire& rep, const TableImport& table,
                                        const AssociationChamps& association, int64_t seuil)
{
    // What the book's file holds now: two number lines, then per row its flag line
    // and 46 lines (a line break inside a cell folds to one byte: counted as two).
    int64_t taille = 2 * 12;
    for (int l = 0; l < rep.NbLignes(); ++l)
        taille += static_cast<int64_t>(rep.FlagMail(l).size()) + 2 + 2 * NbColonnes +
                  rep.Vue(l).fins[NbColonnes - 1];
    int64_t nouvelles = table.NbFiches();
    if (FicheVierge(rep)) {
        taille -= LectureImport::OctetsFicheVide;
        nouvelles = std::max<int64_t>(nouvelles, 1);
    }
    taille += nouvelles * LectureImport::OctetsFicheVide;
    // Each column's bytes count once per field it fills: with the largest such
    // count, every stored byte bounds the whole.
    std::vector<int> usages(static_cast<size_t>(table.NbColonnes()), 0);
    int maxUsages = 0;
    for (int champ = 0; champ < NbColonnes; ++champ) {
        const int c = association.Colonne(champ);
        if (c >= 0 && c < table.NbColonnes())
            maxUsages = std::max(maxUsages, ++usages[static_cast<size_t>(c)]);
    }
    const int64_t borne = taille + static_cast<int64_t>(table.OctetsCellules()) * maxUsages;
    if (borne <= seuil) return borne;
    std::vector<std::string_view> ligneTable(static_cast<size_t>(table.NbColonnes()));
    for (int l = table.PremiereFiche(); l < table.NbLignes(); ++l) {
        table.CellulesLigne(l, ligneTable.data());
        for (int champ = 0; champ < NbColonnes; ++champ) {
            const int c = association.Colonne(champ);
            if (c >= 0 && c < table.NbColonnes())
                taille += static_cast<int64_t>(ligneTable[static_cast<size_t>(c)].size());
        }
    }
    return taille;
}
