#include "TitresImport.h"

#include "AssociationChamps.h"
#include "TableImport.h"
#include "records/Champs.h"
#include "records/CodePage.h"

QString TitresImport::Forme(std::string_view texte)
{
    const QString decompose =
        CodePage::VersUnicode(texte).normalized(QString::NormalizationForm_KD);
    QString forme;
    forme.reserve(decompose.size());
    for (const QChar ch : decompose)
        if (ch.isLetterOrNumber()) forme += ch.toCaseFolded();
    return forme;
}

bool TitresImport::Reconnait(const TableImport& table, const std::vector<std::string>& titres,
                             AssociationChamps& association)
{
    association.Efface();
    if (table.NbLignes() < 1) return false;
    std::vector<std::string_view> cellules(static_cast<size_t>(table.NbColonnes()));
    table.CellulesLigne(0, cellules.data());
    std::vector<QString> colonnes;
    colonnes.reserve(cellules.size());
    for (std::string_view c : cellules)
        colonnes.push_back(c.size() <= 200 ? Forme(c) : QString());
    int remplies = 0;
    for (std::string_view c : cellules)
        remplies += c.empty() ? 0 : 1;
    std::vector<bool> nomme(colonnes.size(), false);
    for (int champ = 0; champ < NbColonnes && champ < static_cast<int>(titres.size()); ++champ) {
        const QString titre = Forme(titres[static_cast<size_t>(champ)]);
        const QString cle = Forme(Champs::Info(champ).cle);
        for (size_t c = 0; c < colonnes.size(); ++c) {
            if (colonnes[c].isEmpty() || (colonnes[c] != titre && colonnes[c] != cle)) continue;
            association.Associe(champ, static_cast<int>(c));
            nomme[c] = true;
            break;
        }
    }
    int nommees = 0;
    for (bool n : nomme)
        nommees += n ? 1 : 0;
    if (nommees >= 1 && 2 * nommees >= remplies) return true;
    association.Efface();
    return false;
}
