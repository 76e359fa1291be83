#include "OptionsCopie.h"

#include "settings/Reglages.h"

namespace
{

using P = PageFiche;

const OptionsCopie::Option Options[OptionsCopie::NbOptions] = {
    {Civil, "Civilité", "Civilité", P::Prive, true},
    {Prenom, "Prénom", "Prénom", P::Prive, true},
    {Nom, "Nom", "Nom", P::Prive, true},
    {Fonction, "Fonction", "Fonction", P::Professionnel, false},
    {Societe, "Société", "Société", P::Professionnel, false},
    {Adresse1, "Adresse 1", "Adresse 1", P::Prive, true},
    {Adresse2, "Adresse 2", "Adresse 2", P::Prive, false},
    {CP, "Code postal", "Code postal", P::Prive, true},
    {Ville, "Ville", "Ville", P::Prive, true},
    {Pays, "Pays", "Pays", P::Prive, false},
    {Tel, "Téléphone", "Téléphone 1", P::Prive, false},
    {Fax, "Fax", "Fax", P::Prive, false},
    {Notes, "Notes", "Notes", P::Prive, false},
    {Tel2, "Tel2", "Téléphone 2", P::Prive, false},
    {Portable, "Portable", "Portable", P::Prive, false},
    {Internet, "Internet1", "Internet 1", P::Prive, false},
    {Internet2, "Internet2", "Internet 2", P::Prive, false},
    {Internet3, "Internet3", "Internet 3", P::Prive, false},
    {SAdresse1, "SAdresse 1", "Adresse 1", P::Professionnel, false},
    {SAdresse2, "SAdresse 2", "Adresse 2", P::Professionnel, false},
    {SCP, "SCode postal", "Code postal", P::Professionnel, false},
    {SVille, "SVille", "Ville", P::Professionnel, false},
    {SPays, "SPays", "Pays", P::Professionnel, false},
    {STel, "STéléphone", "Téléphone 1", P::Professionnel, false},
    {SFax, "SFax", "Fax", P::Professionnel, false},
    {SNotes, "SNotes", "Notes", P::Professionnel, false},
    {STel2, "STel2", "Téléphone 2", P::Professionnel, false},
    {SPortable, "SPortable", "Portable", P::Professionnel, false},
    {SInternet, "SInternet1", "Internet 1", P::Professionnel, false},
    {SInternet2, "SInternet2", "Internet 2", P::Professionnel, false},
    {SInternet3, "SInternet3", "Internet 3", P::Professionnel, false},
    {Banque, "Banque", "Banque", P::Banque, false},
    {BAdresse1, "BAdresse 1", "Adresse 1", P::Banque, false},
    {BAdresse2, "BAdresse 2", "Adresse 2", P::Banque, false},
    {BCP, "BCode postal", "Code postal", P::Banque, false},
    {BVille, "BVille", "Ville", P::Banque, false},
    {BPays, "BPays", "Pays", P::Banque, false},
    {BTel, "BTéléphone", "Tél", P::Banque, false},
    {BFax, "BFax", "Fax", P::Banque, false},
    {BNotes, "BNotes", "Notes", P::Banque, false},
    {BInternet, "BInternet1", "Internet", P::Banque, false},
    {Etablissement, "Etablissement", "Etablissement", P::Banque, false},
    {Guichet, "Guichet", "Guichet", P::Banque, false},
    {Compte, "Compte", "Compte", P::Banque, false},
    {Cle, "Clé", "Clé", P::Banque, false},
};

} // namespace

const OptionsCopie::Option& OptionsCopie::Info(int rang)
{
    return Options[rang];
}

const OptionsCopie::Option* OptionsCopie::InfoChamp(int champ)
{
    for (const Option& o : Options)
        if (o.champ == champ) return &o;
    return nullptr;
}

const std::vector<int>& OptionsCopie::ChampsDeLaPage(PageFiche page)
{
    // The bank page lists its account numbers first; the others follow the page.
    static const std::vector<int> banque = {Banque,    Etablissement, Guichet,   Compte, Cle,
                                            BAdresse1, BAdresse2,     BCP,       BVille, BPays,
                                            BTel,      BFax,          BInternet, BNotes};
    return page == PageFiche::Banque ? banque : Champs::OrdrePage(page);
}

const char* OptionsCopie::Section()
{
    return "Options de copie";
}

OptionsCopie::OptionsCopie()
{
    for (const Option& o : Options)
        m_coche[static_cast<size_t>(o.champ)] = o.defaut;
}

void OptionsCopie::SetCoche(int champ, bool coche)
{
    if (champ >= 0 && champ < NbOptions) m_coche[static_cast<size_t>(champ)] = coche;
}

void OptionsCopie::CocheTout(PageFiche page, bool coche)
{
    for (int champ : ChampsDeLaPage(page))
        SetCoche(champ, coche);
}

void OptionsCopie::Lit(const Reglages& reglages)
{
    const QString section = QString::fromUtf8(Section());
    for (const Option& o : Options)
        SetCoche(o.champ, reglages.ReadBool(section, QString::fromUtf8(o.cle), o.defaut));
}

void OptionsCopie::Ecrit(Reglages& reglages) const
{
    const QString section = QString::fromUtf8(Section());
    for (const Option& o : Options)
        reglages.WriteBool(section, QString::fromUtf8(o.cle), Coche(o.champ));
}
