#pragma once

#include "Champs.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The address book in memory: a table of 46 columns of Windows-1252 text.
// Row 0 holds the field titles; rows 1 to NbFiches() are the records. Each row
// carries its mailing flag ("1" = chosen for the mailing), which moves with it.
// There is always at least one record row.
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

    const std::string& FlagMail(int ligne) const
    {
        return m_lignes.at(static_cast<size_t>(ligne)).flag;
    }
    void SetFlagMail(int ligne, std::string_view flag);
    bool EstChoisie(int ligne) const { return FlagMail(ligne) == "1"; }

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

    // A row's cells end to end with the end of each: for scans visiting every cell.
    // Unless the row is blank (no bytes at all), MargeLecture bytes follow them.
    struct VueLigne {
        std::string_view octets;
        const uint32_t* fins;
        uint32_t Debut(int colonne) const { return colonne == 0 ? 0 : fins[colonne - 1]; }
        std::string_view Cellule(int colonne) const
        {
            return octets.substr(Debut(colonne), fins[colonne] - Debut(colonne));
        }
    };
    VueLigne Vue(int ligne) const
    {
        const Ligne& l = m_lignes[static_cast<size_t>(ligne)];
        return {l.Octets(), l.Fins()};
    }

    // Bytes held by the table, for the benchmark.
    size_t OctetsUtilises() const;

private:
    // One row: its flag, and one block holding the 46 cells' ends followed by the
    // cells end to end; an empty row holds no block at all, so a book of blank
    // records costs little more than their flags.
    class Ligne
    {
    public:
        Ligne() = default;
        Ligne(const Ligne& autre) : flag(autre.flag) { Assigne(autre.Octets(), autre.Fins()); }
        Ligne& operator=(const Ligne& autre)
        {
            if (this != &autre) {
                flag = autre.flag;
                Assigne(autre.Octets(), autre.Fins());
            }
            return *this;
        }
        Ligne(Ligne&&) noexcept = default;
        Ligne& operator=(Ligne&&) noexcept = default;

        // The cells end to end and the end of each (fins[45] == cellules.size()).
        void Assigne(std::string_view cellules, const uint32_t* fins);
        // A block for `taille` bytes of cells, whose ends the caller then writes
        // (FinsModifiables); nullptr, and a blank row, for 0.
        char* Alloue(size_t taille);
        uint32_t* FinsModifiables() { return m_bloc.get(); }
        void Efface() { m_bloc.reset(); }
        const uint32_t* Fins() const { return m_bloc ? m_bloc.get() : FinsVides(); }
        std::string_view Octets() const
        {
            if (!m_bloc) return {};
            return {reinterpret_cast<const char*>(m_bloc.get() + NbColonnes),
                    m_bloc[NbColonnes - 1]};
        }
        size_t OctetsAlloues() const;

        std::string flag = "0";

    private:
        static const uint32_t* FinsVides();
        std::unique_ptr<uint32_t[]> m_bloc;
    };
    friend class FichierRep;

    static Ligne LigneVide();

    std::vector<Ligne> m_lignes;
    QString m_fichier;
    bool m_modifie = false;
    int m_colonneTri = 0;
};
