#pragma once

#include "records/Champs.h"

#include <array>
#include <vector>

class Reglages;

// Which fields the searches look in: one option for each field 0 to 44; "Photo"
// has none and is never searched. Stored in the settings section
// "Options de recherche" under each field's internal name.
class OptionsRecherche
{
public:
    static constexpr int NbOptions = 45;

    struct Option {
        int champ;
        const char* cle;     // the field's internal name
        const char* libelle; // UTF-8 caption of the check box
        PageFiche page;
    };
    // Options in the order of the dialog, which is also the order they are stored in.
    static const Option& Info(int rang);
    static const Option* InfoChamp(int champ); // nullptr for 45 and outside
    // Fields of one page in the order their check boxes are laid out.
    static std::vector<int> ChampsDeLaPage(PageFiche page);

    OptionsRecherche(); // every option on

    bool IsFieldSearched(int champ) const
    {
        return champ >= 0 && champ < NbOptions && m_coche[static_cast<size_t>(champ)];
    }
    void SetCoche(int champ, bool coche);
    // "Tout sélectionner" / "Tout désélectionner": only the options of `page`.
    void CocheTout(PageFiche page, bool coche);

    void Lit(const Reglages& reglages);
    // The 45 flags in the dialog's order; the write at close has emptied the section.
    void Ecrit(Reglages& reglages) const;
    static const char* Section();

private:
    std::array<bool, NbOptions> m_coche{};
};
