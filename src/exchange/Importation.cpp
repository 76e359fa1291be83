#include "Importation.h"

#include "AssociationChamps.h"
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
    return table.NbLignes() - (FicheVierge(rep) ? 1 : 0);
}

int Importation::AppendImportedRecords(Repertoire& rep, const TableImport& table,
                                       const AssociationChamps& association)
{
    int ligne = FicheVierge(rep) ? 1 : rep.NbLignes();
    rep.Reserve(ligne + table.NbLignes());
    rep.SetModifie(true);
    std::vector<std::string_view> ligneTable(static_cast<size_t>(table.NbColonnes()));
    std::array<std::string_view, NbColonnes> cellules{};
    for (int l = 0; l < table.NbLignes(); ++l, ++ligne) {
        if (ligne == rep.NbLignes()) rep.AjouteFiche(); // flag "0"
        table.CellulesLigne(l, ligneTable.data());
        for (int champ = 0; champ < NbColonnes; ++champ) {
            const int colonne = association.Colonne(champ);
            // A column the file does not have gives an empty field.
            cellules[static_cast<size_t>(champ)] =
                colonne >= 0 && colonne < table.NbColonnes()
                    ? ligneTable[static_cast<size_t>(colonne)]
                    : std::string_view();
        }
        rep.RemplitLigne(ligne, cellules, true); // the staging table keeps a margin
    }
    return ligne - 1;
}
