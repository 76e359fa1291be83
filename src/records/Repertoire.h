#pragma once

#include "Champs.h"
#include "MemoireGrande.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Arene;

// The address book in memory: a table of 46 columns of Windows-1252 text.
// Row 0 holds the field titles; rows 1 to NbFiches() are the records. Each row
// carries its mailing flag ("1" = chosen for the mailing), which moves with it.
// There is always at least one record row.
//
// A loaded or imported book keeps its rows in a few large arenas rather than one
// allocation each; a row changed afterwards gets a block of its own. Copies of a
// book share its arenas, which are never written again once filled.
class Repertoire
{
public:
    Repertoire(); // the titles and one blank record

    int NbLignes() const { return static_cast<int>(m_lignes.size()); }
    int NbFiches() const { return NbLignes() - 1; }

    std::string_view Cellule(int colonne, int ligne) const;
    std::string CelluleStr(int colonne, int ligne) const
    {
        return std::string(Cellule(colonne, ligne));
    }
    // Does not set Modifie: the callers decide.
    void SetCellule(int colonne, int ligne, std::string_view texte);
    // The 46 cells of a row at once (an import); the flag is kept. Does not set Modifie.
    // With `margeSource`, MargeLecture bytes may be read past every non-empty cell.
    void RemplitLigne(int ligne, const std::array<std::string_view, NbColonnes>& cellules,
                      bool margeSource = false);

    // Grows with empty rows (flag "0") or drops rows from the end; never below 2.
    void SetNbLignes(int n);
    void Reserve(int n);
    void CopieLigne(int de, int vers); // the 46 cells and the flag
    void EffaceLigne(int ligne);       // the 46 cells only
    void EchangeLignes(int a, int b);  // cells and flags

    std::string FlagMail(int ligne) const
    {
        return std::string(m_lignes.at(static_cast<size_t>(ligne)).Flag());
    }
    void SetFlagMail(int ligne, std::string_view flag);
    bool EstChoisie(int ligne) const
    {
        return m_lignes.at(static_cast<size_t>(ligne)).Flag() == "1";
    }

    const QString& FichierCourant() const { return m_fichier; }
    void SetFichierCourant(const QString& chemin) { m_fichier = chemin; }
    bool Modifie() const { return m_modifie; }
    void SetModifie(bool m) { m_modifie = m; }
    int ColonneTri() const { return m_colonneTri; }
    void SetColonneTri(int c) { m_colonneTri = (c >= 0 && c < NbColonnes) ? c : 0; }

    // New: one blank record, the header row kept, unnamed, not modified, sort column 0.
    void Nouveau();
    // Appends an empty record (flag "0") and returns its row.
    int AjouteFiche();
    // Appends a copy of the 46 cells of `ligne`, not chosen for the mailing.
    int DupliqueFiche(int ligne);
    // Removes records haut..bas (clamped to 1..NbFiches), moving the later rows up
    // with their flags; deleting every record leaves one blank record.
    void SupprimeLignes(int haut, int bas);
    // Reorders records so that new row i+1 is former row ordre[i] (1-based rows).
    void Permute(const std::vector<int>& ordre);

    // Bytes that may be read past the end of a row's cells (never used): writers
    // copy short cells a whole word at a time.
    static constexpr size_t MargeLecture = 16;

    // The end of each of a row's 46 cells, counted from the start of its bytes: 16
    // bits each for a row under 64 KiB, 32 bits for a larger one.
    class Fins
    {
    public:
        Fins(const void* fins, bool larges) : m_fins(fins), m_larges(larges) {}
        uint32_t operator[](size_t colonne) const
        {
            return m_larges ? static_cast<const uint32_t*>(m_fins)[colonne]
                            : static_cast<const uint16_t*>(m_fins)[colonne];
        }
        bool Larges() const { return m_larges; }
        const uint16_t* Courtes() const { return static_cast<const uint16_t*>(m_fins); }
        const uint32_t* Longues() const { return static_cast<const uint32_t*>(m_fins); }

    private:
        const void* m_fins;
        bool m_larges;
    };

    // A row's cells end to end with the end of each: for scans visiting every cell.
    // Unless the row is blank (no bytes at all), MargeLecture bytes follow them.
    struct VueLigne {
        std::string_view octets;
        Fins fins;
        uint32_t Debut(int colonne) const
        {
            return colonne == 0 ? 0 : fins[static_cast<size_t>(colonne - 1)];
        }
        std::string_view Cellule(int colonne) const
        {
            const uint32_t debut = Debut(colonne);
            return octets.substr(debut, fins[static_cast<size_t>(colonne)] - debut);
        }
    };
    VueLigne Vue(int ligne) const
    {
        const Ligne& l = m_lignes[static_cast<size_t>(ligne)];
        return {l.Octets(), l.LesFins()};
    }

    // Bytes held by the table, for the benchmark and the tests.
    size_t OctetsUtilises() const;
    // How many rows have a block of their own rather than a place in an arena.
    int LignesHorsArene() const;

private:
    // One row: its flag, and one block holding the 46 cells' ends followed by the
    // cells end to end; an empty row holds no block at all, so a book of blank
    // records costs little more than their flags. The block is the row's own, or a
    // place in one of the book's arenas.
    class Ligne
    {
    public:
        Ligne() = default;
        ~Ligne()
        {
            Libere();
            delete m_flagLong;
        }
        Ligne(const Ligne& autre);
        Ligne& operator=(const Ligne& autre);
        Ligne(Ligne&& autre) noexcept;
        Ligne& operator=(Ligne&& autre) noexcept;

        // A block of its own holding these cells (fins[45] == cellules.size()).
        void Assigne(std::string_view cellules, const uint32_t* fins);
        // The row's place in an arena, already written: the ends (16 or 32 bits,
        // FinsLarges) then the cells.
        void Pointe(char* bloc, bool larges);
        void Efface() { Libere(); }

        static bool FinsLarges(size_t octets) { return octets > UINT16_MAX; }
        static size_t TailleFins(bool larges)
        {
            return NbColonnes * (larges ? sizeof(uint32_t) : sizeof(uint16_t));
        }

        Fins LesFins() const
        {
            if (!m_bloc) return Fins(FinsVides(), false);
            return Fins(m_bloc, Larges());
        }
        std::string_view Octets() const
        {
            if (!m_bloc) return {};
            const Fins f = LesFins();
            return {m_bloc + TailleFins(Larges()), f[NbColonnes - 1]};
        }
        size_t OctetsAlloues() const; // of its own block
        bool Possede() const { return m_etat & Propre; }

        std::string_view Flag() const
        {
            if (m_flagLong) return *m_flagLong;
            return {m_flag, m_tailleFlag};
        }
        void SetFlag(std::string_view flag);

    private:
        enum : uint8_t { Propre = 1, FinsEn32 = 2 };
        static const uint16_t* FinsVides();
        bool Larges() const { return m_etat & FinsEn32; }
        void Libere() noexcept;
        void CopieDe(const Ligne& autre);

        char* m_bloc = nullptr;
        std::string* m_flagLong = nullptr; // a flag longer than the few bytes held here
        char m_flag[6] = {'0'};
        uint8_t m_tailleFlag = 1;
        uint8_t m_etat = 0;
    };
    friend class FichierRep;

    // Room for a row in the book's open arena, or a new arena; never in one that a
    // copy of the book shares.
    char* PlaceEnArene(size_t taille, size_t alignement);
    // An arena of `capacite` bytes for the rows to come (a load sizes it from the file).
    void OuvreArene(size_t capacite);
    // The arena rows may still be written into, unless a copy of the book shares it.
    Arene* AreneOuverte() const
    {
        return !m_arenes.empty() && m_arenes.back().use_count() == 1 ? m_arenes.back().get()
                                                                     : nullptr;
    }

    std::vector<Ligne, MemoireGrande::Allocateur<Ligne>> m_lignes;
    std::vector<std::shared_ptr<Arene>> m_arenes; // the last one may take more rows
    QString m_fichier;
    bool m_modifie = false;
    int m_colonneTri = 0;
};
