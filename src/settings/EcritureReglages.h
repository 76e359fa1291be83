#pragma once

#include <QString>
#include <array>
#include <functional>

class Reglages;

// The write at close: every window hands over the writing of its own keys for its
// step, and Execute runs the steps in their fixed order. Each section is cleared
// once, just before its first step, whether or not a window contributes to it, so
// a key that is not written again disappears; "Liste" is only overwritten. The
// window geometry must be captured by the caller before Execute.
class EcritureReglages
{
public:
    enum class Etape {
        MainW,            // "MainW": window geometry
        OptionsMailing,   // "Options": "Cadre", "Adresse"
        DernierFormat,    // "Dernier format": "Format"
        Police,           // "Police": label font
        DernierFichier,   // "DernierFichier": "Fichier"
        Colonnes,         // "Colonnes": "Col" + n
        OptionsCopie,     // "Options de copie"
        OptionsTri,       // "Options": "Trier en enregistrant", "LastRow"
        Liste,            // "Liste": "Couleur"
        OptionsModem,     // "Options": "Modem", "Méthode", "Préfixe"
        OptionsRecherche, // "Options de recherche"
        Recherches,       // "Recherches": "Expression" + n
        Recherches2,      // "Recherches2": "Expression" + n
        Apercu,           // "Options": "Aperçu"
        Synchronisation,  // "Synchronisation CardDAV": "Adresse", "Utilisateur"...
    };
    static constexpr int NbEtapes = static_cast<int>(Etape::Synchronisation) + 1;
    using Contribution = std::function<void(Reglages&)>;

    // One contribution per step: a later call for the same step replaces the earlier
    // one (a window created anew takes its place). The contribution must stay valid
    // until Execute, i.e. its window must live until the close.
    void Contribue(Etape etape, Contribution contribution);
    void Retire(Etape etape);

    // Runs every step in order, then flushes the store. False, with the French reason,
    // when the store could not be written: the caller tells the user and keeps the
    // window open.
    bool Execute(Reglages& reglages, QString* raison = nullptr) const;

    static QString Section(Etape etape);
    // Whether the step clears its section before writing (its first step).
    static bool Efface(Etape etape);

private:
    std::array<Contribution, NbEtapes> m_contributions;
};
