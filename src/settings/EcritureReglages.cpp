#include "EcritureReglages.h"

#include "Reglages.h"

namespace
{

struct DescriptionEtape {
    EcritureReglages::Etape etape;
    const char* section;
    bool efface;
};

// In writing order. "Options" is cleared at its first step only, so the keys of the
// mailing assistant survive the later steps that write into it.
constexpr DescriptionEtape Etapes[] = {
    {EcritureReglages::Etape::MainW, "MainW", true},
    {EcritureReglages::Etape::OptionsMailing, "Options", true},
    {EcritureReglages::Etape::DernierFormat, "Dernier format", true},
    {EcritureReglages::Etape::Police, "Police", true},
    {EcritureReglages::Etape::DernierFichier, "DernierFichier", true},
    {EcritureReglages::Etape::Colonnes, "Colonnes", true},
    {EcritureReglages::Etape::OptionsCopie, "Options de copie", true},
    {EcritureReglages::Etape::OptionsTri, "Options", false},
    {EcritureReglages::Etape::Liste, "Liste", false},
    {EcritureReglages::Etape::OptionsModem, "Options", false},
    {EcritureReglages::Etape::OptionsRecherche, "Options de recherche", true},
    {EcritureReglages::Etape::Recherches, "Recherches", true},
    {EcritureReglages::Etape::Recherches2, "Recherches2", true},
    {EcritureReglages::Etape::Apercu, "Options", false},
    // Not cleared: an administrator may have prepared the account.
    {EcritureReglages::Etape::Synchronisation, "Synchronisation CardDAV", false},
};
static_assert(std::size(Etapes) == EcritureReglages::NbEtapes);

constexpr bool EtapesDansLOrdre()
{
    for (int i = 0; i < EcritureReglages::NbEtapes; ++i)
        if (static_cast<int>(Etapes[i].etape) != i) return false;
    return true;
}
static_assert(EtapesDansLOrdre(), "the table follows the order of the enum");

const DescriptionEtape& Description(EcritureReglages::Etape etape)
{
    return Etapes[static_cast<int>(etape)];
}

} // namespace

void EcritureReglages::Contribue(Etape etape, Contribution contribution)
{
    m_contributions[static_cast<int>(etape)] = std::move(contribution);
}

void EcritureReglages::Retire(Etape etape)
{
    m_contributions[static_cast<int>(etape)] = nullptr;
}

bool EcritureReglages::Execute(Reglages& reglages, QString* raison) const
{
    for (const DescriptionEtape& d : Etapes) {
        if (d.efface) reglages.ClearSection(QString::fromUtf8(d.section));
        if (const Contribution& c = m_contributions[static_cast<int>(d.etape)]) c(reglages);
    }
    return reglages.Enregistre(raison);
}

QString EcritureReglages::Section(Etape etape)
{
    return QString::fromUtf8(Description(etape).section);
}

bool EcritureReglages::Efface(Etape etape)
{
    return Description(etape).efface;
}
