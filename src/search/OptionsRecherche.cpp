#include "OptionsRecherche.h"

#include "settings/Reglages.h"

namespace
{

using P = PageFiche;

const std::array<OptionsRecherche::Option, OptionsRecherche::NbOptions> Table = {{
    {Civil, "Civil", "Civilité", P::Prive},
    {Prenom, "Prenom", "Prénom", P::Prive},
    {Nom, "Nom", "Nom", P::Prive},
    {Adresse1, "Adresse1", "Adresse 1", P::Prive},
    {Adresse2, "Adresse2", "Adresse 2", P::Prive},
    {CP, "CP", "Code postal", P::Prive},
    {Ville, "Ville", "Ville", P::Prive},
    {Pays, "Pays", "Pays", P::Prive},
    {Tel, "Tel", "Téléphone 1", P::Prive},
    {Fax, "Fax", "Fax", P::Prive},
    {Notes, "Notes", "Notes", P::Prive},
    {Tel2, "Tel2", "Téléphone 2", P::Prive},
    {Portable, "Portable", "Portable", P::Prive},
    {Internet, "Internet", "Internet 1", P::Prive},
    {Internet2, "Internet2", "Internet 2", P::Prive},
    {Internet3, "Internet3", "Internet 3", P::Prive},
    {Societe, "Societe", "Société", P::Professionnel},
    {Fonction, "Fonction", "Fonction", P::Professionnel},
    {SAdresse1, "SAdresse1", "Adresse 1", P::Professionnel},
    {SAdresse2, "SAdresse2", "Adresse 2", P::Professionnel},
    {SCP, "SCP", "Code postal", P::Professionnel},
    {SVille, "SVille", "Ville", P::Professionnel},
    {SPays, "SPays", "Pays", P::Professionnel},
    {STel, "STel", "Téléphone 1", P::Professionnel},
    {SFax, "SFax", "Fax", P::Professionnel},
    {SNotes, "SNotes", "Notes", P::Professionnel},
    {STel2, "STel2", "Téléphone 2", P::Professionnel},
    {SPortable, "SPortable", "Portable", P::Professionnel},
    {SInternet, "SInternet", "Internet 1", P::Professionnel},
    {SInternet2, "SInternet2", "Internet 2", P::Professionnel},
    {SInternet3, "SInternet3", "Internet 3", P::Professionnel},
    {Banque, "Banque", "Banque", P::Banque},
    {BAdresse1, "BAdresse1", "Adresse 1", P::Banque},
    {BAdresse2, "BAdresse2", "Adresse 2", P::Banque},
    {BVille, "BVille", "Ville", P::Banque},
    {BPays, "BPays", "Pays", P::Banque},
    {BTel, "BTel", "Tél", P::Banque},
    {BFax, "BFax", "Fax", P::Banque},
    {BInternet, "BInternet", "Internet", P::Banque},
    {BNotes, "BNotes", "Notes", P::Banque},
    {BCP, "BCP", "Code postal", P::Banque},
    {Etablissement, "Etablissement", "Etablissement", P::Banque},
    {Cle, "Cle", "Clé", P::Banque},
    {Guichet, "Guichet", "Guichet", P::Banque},
    {Compte, "Compte", "Compte", P::Banque},
}};

} // namespace

const OptionsRecherche::Option& OptionsRecherche::Info(int rang)
{
    return Table.at(static_cast<size_t>(rang));
}

const OptionsRecherche::Option* OptionsRecherche::InfoChamp(int champ)
{
    for (const Option& o : Table)
        if (o.champ == champ) return &o;
    return nullptr;
}

// The Tab order of the record pages, so each box stands where its field does.
std::vector<int> OptionsRecherche::ChampsDeLaPage(PageFiche page)
{
    return Champs::OrdrePage(page);
}

OptionsRecherche::OptionsRecherche()
{
    m_coche.fill(true);
}

void OptionsRecherche::SetCoche(int champ, bool coche)
{
    if (champ >= 0 && champ < NbOptions) m_coche[static_cast<size_t>(champ)] = coche;
}

void OptionsRecherche::CocheTout(PageFiche page, bool coche)
{
    for (const Option& o : Table)
        if (o.page == page) SetCoche(o.champ, coche);
}

const char* OptionsRecherche::Section()
{
    return "Options de recherche";
}

void OptionsRecherche::Lit(const Reglages& reglages)
{
    const QString section = QString::fromUtf8(Section());
    for (const Option& o : Table)
        SetCoche(o.champ, reglages.ReadBool(section, QString::fromLatin1(o.cle), true));
}

void OptionsRecherche::Ecrit(Reglages& reglages) const
{
    const QString section = QString::fromUtf8(Section());
    for (const Option& o : Table)
        reglages.WriteBool(section, QString::fromLatin1(o.cle), IsFieldSearched(o.champ));
}
