#pragma once

#include "records/Champs.h"

#include <array>
#include <vector>

class Reglages;

// Which fields the smart copy of a record includes: one option per field 0 to 44
// (the photo is never copied). Stored in the settings section "Options de copie".
class OptionsCopie
{
public:
    static constexpr int NbOptions = 45;

    struct Option {
        int champ;
        const char* cle;     // settings key, UTF-8
        const char* libelle; // caption of the check box, UTF-8
        PageFiche page;
        bool defaut;
    };
    // In the order the settings are written and read.
    static const Option& Info(int rang);
    static const Option* InfoChamp(int champ); // nullptr for 45 and outside
    // The fields of one page of the dialog, in the order of their boxes.
    static const std::vector<int>& ChampsDeLaPage(PageFiche page);
    static const char* Section();

    OptionsCopie(); // the defaults

    bool Coche(int champ) const
    {
        return champ >= 0 && champ < NbOptions && m_coche[static_cast<size_t>(champ)];
    }
    void SetCoche(int champ, bool coche);
    // "Tout sélectionner" / "Tout désélectionner": the boxes of `page` only.
    void CocheTout(PageFiche page, bool coche);

    void Lit(const Reglages& reglages);
    // The 45 flags in their order; the write at close has emptied the section.
    void Ecrit(Reglages& reglages) const;

    bool operator==(const OptionsCopie& autre) const { return m_coche == autre.m_coche; }

private:
    std::array<bool, NbOptions> m_coche{};
};
