#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class OptionsRecherche;
class Repertoire;

// The state of one searcher (the quick-search bar or the find dialog): its cursor,
// the cell where the next scan begins, the last text handled and the caption of
// its search button, with the two scans over the book.
class Chercheur
{
public:
    struct Resultat {
        bool trouve = false;
        int colonne = -1;
        int ligne = -1;
    };

    // Last searchable column: the grid's column count minus 2, so "Photo" never is.
    static int DerniereColonne();

    int ColonneCurseur() const { return m_colonne; }
    int LigneCurseur() const { return m_ligne; }
    void SetCurseur(int colonne, int ligne);
    void ReinitCurseur() { SetCurseur(0, 1); }

    const QString& DernierTexte() const { return m_dernierTexte; }
    // True when the search button reads "Suivant", false for "Chercher".
    bool Suivant() const { return m_suivant; }
    QString Libelle() const;

    // A change of the box's text: the caption goes back to "Chercher" when the text
    // differs from the last one, the text becomes the last text, the cursor is reset.
    void TexteChange(const QString& texte);
    // After "Texte non trouvé." in the find dialog: the next search starts over.
    void Abandonne();

    // Forward scan from the cursor to the last record, without wrapping. On a hit the
    // cursor moves past it, and the caption becomes "Suivant" when `texte` is the
    // last text.
    Resultat ChercheAvant(const Repertoire& rep, const OptionsRecherche& options,
                          const QString& texte);
    // Backward scan from the cursor to the first record; after a hit on the first
    // field of the first record the cursor wraps to the last field of the last one.
    Resultat ChercheArriere(const Repertoire& rep, const OptionsRecherche& options,
                            const QString& texte);

    // Where a hit shows on the record pages: the searched fields whose editor text
    // (given by `texteDuChamp`, Windows-1252) matches, in the window's order (page
    // "Privé", then "Professionnel", then "Banque", each in its Tab order), with the
    // offset of the first occurrence.
    struct ChampTrouve {
        int colonne;
        std::ptrdiff_t position;
    };
    static std::vector<ChampTrouve>
    ChampsTrouves(const OptionsRecherche& options, const QString& texte,
                  const std::function<std::string(int)>& texteDuChamp);

private:
    int m_colonne = 0;
    int m_ligne = 1;
    QString m_dernierTexte;
    bool m_suivant = false;
};
