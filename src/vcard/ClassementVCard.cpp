#include "ClassementVCard.h"

#include "CorrespondanceVCard.h"
#include "ParametresVCard.h"
#include "PhotoVCard.h"
#include "ValeurVCard.h"
#include "records/CheminsPhoto.h"

#include <algorithm>
#include <map>

namespace
{

using P = ParametresVCard;
using F = FamilleVCard;

std::string Rang(const char* titre, size_t rang)
{
    return std::string(titre) + " (" + std::to_string(rang + 1) + "e)";
}

// The kinds of a property as a title writes them: "home,voice".
std::string TitreTypes(unsigned types)
{
    static const std::pair<unsigned, const char*> mots[] = {
        {P::Maison, "home"}, {P::Travail, "work"}, {P::Voix, "voice"}, {P::Cellulaire, "cell"},
        {P::Fax, "fax"},     {P::Pager, "pager"},  {P::Pref, "pref"},  {P::AutreTel, "autre"}};
    std::string t;
    for (const auto& [bit, mot] : mots)
        if (types & bit) {
            if (!t.empty()) t.push_back(',');
            t += mot;
        }
    return t;
}

std::string Majuscules(std::string_view nom)
{
    std::string s(nom);
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

class ClassementVCard::Etat
{
public:
    void Lance(const CarteVCard& carte, FicheVCard& fiche, CodageVCard::Bilan& bilan)
    {
        m_carte = &carte;
        m_f = &fiche;
        m_bilan = &bilan;
        Classe();
    }

private:
    void Classe()
    {
        for (std::string& c : m_f->champs)
            c.clear();
        m_f->nbAutres = 0;
        m_f->imageBase64 = {};
        m_f->imageType = {};
        m_fn.clear();
        m_nomPhoto.clear();
        m_nbAttente = 0;
        const auto& groupes = CorrespondanceVCard::Groupes();
        m_groupeFait.assign(groupes.size(), false);
        bool n = false;
        for (const ProprieteVCard& p : m_carte->proprietes) {
            if (!ClassementVCard::NomValide(p.nom)) continue;
            const P params = P::Analyse(p.parametres);
            if (P::Egal(p.nom, "N")) {
                if (!n) {
                    n = true;
                    NomPropriete(p, params);
                } else {
                    Autre("N", p, params, true);
                }
            } else if (P::Egal(p.nom, "FN")) {
                std::string fn;
                Texte(p, params, fn);
                if (m_fn.empty()) m_fn = fn;
                if (!fn.empty()) AjouteAutre("FN", fn);
            } else if (P::Egal(p.nom, "ORG")) {
                Org(p, params);
            } else if (P::Egal(p.nom, "TITLE")) {
                Simple(Fonction, "TITLE", p, params);
            } else if (P::Egal(p.nom, "NOTE")) {
                Simple(Notes, "NOTE", p, params);
            } else if (P::Egal(p.nom, "ADR")) {
                Adresse(p, params);
            } else if (P::Egal(p.nom, "TEL") || P::Egal(p.nom, "EMAIL") || P::Egal(p.nom, "URL")) {
                Numerote(p, params);
            } else if (P::Egal(p.nom, "PHOTO")) {
                Image(p, params);
            } else if (P::Egal(p.nom, CorrespondanceVCard::NomPhoto)) {
                if (m_nomPhoto.empty()) Texte(p, params, m_nomPhoto);
            } else if (const int champ = CorrespondanceVCard::ChampExtension(p.nom); champ >= 0) {
                Simple(champ, CorrespondanceVCard::Emplacement(champ).titre, p, params);
            } else if (P::Egal(p.nom, "PRODID") || P::Egal(p.nom, "REV") ||
                       params.codage == P::Codage::Base64) {
                // The writing program, the date of the change, sounds and logos: nothing
                // a field could hold.
            } else {
                Autre(nullptr, p, params, false);
            }
        }
        Places();
        // A card without a name of its own is shown under its FN.
        const bool sansNom =
            m_f->champs[::Nom].empty() && m_f->champs[Prenom].empty() && m_f->champs[Civil].empty();
        if (sansNom && !m_fn.empty()) {
            std::array<std::string_view, NbColonnes> vues;
            for (int c = 0; c < NbColonnes; ++c)
                vues[static_cast<size_t>(c)] = m_f->champs[static_cast<size_t>(c)];
            if (m_fn != CorrespondanceVCard::NomAffiche(vues)) m_f->champs[::Nom] = m_fn;
        }
        NomDuFichierPhoto();
    }

    std::string_view Utf8(const ProprieteVCard& p, const P& params)
    {
        return ValeurVCard::Utf8(p, params, m_tampon);
    }

    void Texte(const ProprieteVCard& p, const P& params, std::string& sortie)
    {
        ValeurVCard::Texte(Utf8(p, params), m_carte->version, sortie, *m_bilan);
    }

    // A value appended to the others (an empty one is dropped by the caller).
    std::string& AjouteAutre(std::string_view titre, std::string_view valeur)
    {
        if (m_f->nbAutres == m_f->autres.size()) m_f->autres.emplace_back();
        FicheVCard::Autre& a = m_f->autres[m_f->nbAutres++];
        a.titre.assign(titre);
        a.valeur.assign(valeur);
        return a.valeur;
    }

    // A property without a field: the whole value (structured ones with their
    // components joined by "; " less the empty ones), under its name and kinds.
    void Autre(const char* titre, const ProprieteVCard& p, const P& params, bool structure)
    {
        std::string t = titre ? std::string(titre) : Majuscules(p.nom);
        if (!titre && params.types) t += ";TYPE=" + TitreTypes(params.types);
        if (t.size() > 80) t.resize(80);
        std::string& v = AjouteAutre(t, {});
        const std::string_view s = Utf8(p, params);
        if (!structure) {
            ValeurVCard::Texte(s, m_carte->version, v, *m_bilan);
            if (v.empty()) --m_f->nbAutres;
            return;
        }
        size_t pos = 0;
        std::string composant;
        for (;;) {
            composant.clear();
            if (!ValeurVCard::Composant(s, pos, m_carte->version, true, composant, *m_bilan)) break;
            if (composant.empty()) continue;
            if (!v.empty()) v.append("; ");
            v += composant;
        }
        if (v.empty()) --m_f->nbAutres;
    }

    void Composants(const ProprieteVCard& p, const P& params, std::vector<std::string>& sortie,
                    size_t max)
    {
        const std::string_view s = Utf8(p, params);
        if (sortie.size() < max) sortie.resize(max);
        size_t pos = 0;
        size_t i = 0;
        for (; i < max; ++i) {
            sortie[i].clear();
            if (!ValeurVCard::Composant(s, pos, m_carte->version, true, sortie[i], *m_bilan)) break;
        }
        for (; i < sortie.size(); ++i)
            sortie[i].clear();
    }

    // The fields of a structured property's group take their components as the
    // table says; a component two fields share (the street) gives its first line to
    // the first and the rest to the second. Components no field takes are kept
    // among the others, titled by `noms`.
    void Structure(int premier, size_t nombre, const std::string& titre, const char* const* noms)
    {
        const auto& table = CorrespondanceVCard::Table();
        const int groupe = table[static_cast<size_t>(premier)].groupe;
        std::array<bool, 8> pris{};
        size_t finPremiere = std::string::npos;
        for (int champ : CorrespondanceVCard::Groupes()[static_cast<size_t>(groupe)]) {
            const EmplacementVCard& e = table[static_cast<size_t>(champ)];
            const auto k = static_cast<size_t>(e.composant);
            pris[k] = true;
            const std::string& v = m_composants[k];
            std::string& cible = m_f->champs[static_cast<size_t>(champ)];
            const bool partage =
                std::count_if(CorrespondanceVCard::Groupes()[static_cast<size_t>(groupe)].begin(),
                              CorrespondanceVCard::Groupes()[static_cast<size_t>(groupe)].end(),
                              [&](int autre) {
                                  return table[static_cast<size_t>(autre)].composant == e.composant;
                              }) > 1;
            if (!partage) {
                cible = v;
            } else if (e.rang == 0) {
                finPremiere = v.find("\r\n");
                cible = v.substr(0, finPremiere);
            } else {
                const size_t fin = v.find("\r\n");
                cible = fin == std::string::npos ? std::string() : v.substr(fin + 2);
            }
        }
        for (size_t k = 0; k < nombre; ++k) {
            if (pris[k] || m_composants[k].empty()) continue;
            // An address's extended line is its second line when the street has one only.
            if (k == 1 && nombre == 7 && finPremiere == std::string::npos &&
                m_f->champs[static_cast<size_t>(premier + 1)].empty()) {
                m_f->champs[static_cast<size_t>(premier + 1)] = m_composants[k];
                continue;
            }
            AjouteAutre(titre + " (" + noms[k] + ")", m_composants[k]);
        }
    }

    void NomPropriete(const ProprieteVCard& p, const P& params)
    {
        static const char* const noms[] = {"nom", "pr\xE9nom", "autres pr\xE9noms", "civilit\xE9",
                                           "suffixe"};
        Composants(p, params, m_composants, 5);
        Structure(::Nom, 5, "N", noms);
    }

    void Org(const ProprieteVCard& p, const P& params)
    {
        const int groupe = CorrespondanceVCard::Emplacement(Societe).groupe;
        if (m_groupeFait[static_cast<size_t>(groupe)]) {
            Autre("ORG", p, params, true);
            return;
        }
        m_groupeFait[static_cast<size_t>(groupe)] = true;
        const std::string_view s = Utf8(p, params);
        size_t pos = 0;
        std::string& societe = m_f->champs[Societe];
        ValeurVCard::Composant(s, pos, m_carte->version, true, societe, *m_bilan);
        std::string services, composant;
        for (;;) {
            composant.clear();
            if (!ValeurVCard::Composant(s, pos, m_carte->version, true, composant, *m_bilan)) break;
            if (composant.empty()) continue;
            if (!services.empty()) services.append("; ");
            services += composant;
        }
        if (!services.empty()) AjouteAutre("ORG (service)", services);
    }

    void Simple(int champ, const char* titre, const ProprieteVCard& p, const P& params)
    {
        const int groupe = CorrespondanceVCard::Emplacement(champ).groupe;
        if (m_groupeFait[static_cast<size_t>(groupe)]) {
            Autre(titre, p, params, false);
            return;
        }
        m_groupeFait[static_cast<size_t>(groupe)] = true;
        Texte(p, params, m_f->champs[static_cast<size_t>(champ)]);
    }

    void Adresse(const ProprieteVCard& p, const P& params)
    {
        static const char* const noms[] = {"bo\xEEte postale", "compl\xE9ment", "rue", "ville",
                                           "r\xE9gion",        "code postal",   "pays"};
        const bool travail = (params.types & P::Travail) != 0;
        const int premier = travail ? SAdresse1 : Adresse1;
        const int groupe = CorrespondanceVCard::Emplacement(premier).groupe;
        const char* cote = travail ? "ADR;TYPE=work" : "ADR;TYPE=home";
        if (m_groupeFait[static_cast<size_t>(groupe)]) {
            Autre(cote, p, params, true);
            return;
        }
        m_groupeFait[static_cast<size_t>(groupe)] = true;
        Composants(p, params, m_composants, 7);
        Structure(premier, 7, cote, noms);
    }

    // TEL, EMAIL and URL fill the numbered fields of their group once the whole
    // card is read: those with a rank first.
    void Numerote(const ProprieteVCard& p, const P& params)
    {
        const bool travail = (params.types & P::Travail) != 0;
        int premier;
        if (P::Egal(p.nom, "TEL")) {
            if (params.types & P::Fax)
                premier = travail ? SFax : Fax;
            else if (params.types & P::Cellulaire)
                premier = travail ? SPortable : Portable;
            else if ((params.types & (P::Pager | P::AutreTel)) && !(params.types & P::Voix))
                premier = -1;
            else
                premier = travail ? STel : Tel;
        } else {
            premier = travail ? SInternet : Internet;
        }
        if (m_nbAttente == m_enAttente.size()) m_enAttente.emplace_back();
        Attente& a = m_enAttente[m_nbAttente++];
        a.place = false;
        a.propriete = &p;
        a.groupe = premier < 0 ? -1 : CorrespondanceVCard::Emplacement(premier).groupe;
        a.rang = params.rang;
        a.types = params.types;
        a.valeur.clear();
        Texte(p, params, a.valeur);
        // A 4.0 telephone given as a "tel:" URI is the number.
        if (P::Egal(p.nom, "TEL") && P::Egal(params.valeur, "URI") && a.valeur.size() > 4 &&
            P::Egal(std::string_view(a.valeur).substr(0, 4), "TEL:"))
            a.valeur.erase(0, 4);
        // An empty value takes no field.
        if (a.valeur.empty()) --m_nbAttente;
    }

    void Places()
    {
        const auto& groupes = CorrespondanceVCard::Groupes();
        // Ranked ones take their place if it is free.
        for (size_t k = 0; k < m_nbAttente; ++k) {
            Attente& a = m_enAttente[k];
            if (a.groupe < 0 || a.rang < 1) continue;
            const auto& membres = groupes[static_cast<size_t>(a.groupe)];
            if (static_cast<size_t>(a.rang) > membres.size()) continue;
            const int champ = membres[static_cast<size_t>(a.rang - 1)];
            if (m_pris[static_cast<size_t>(champ)]) continue;
            m_pris[static_cast<size_t>(champ)] = true;
            m_f->champs[static_cast<size_t>(champ)].swap(a.valeur);
            a.place = true;
        }
        for (size_t k = 0; k < m_nbAttente; ++k) {
            Attente& a = m_enAttente[k];
            if (a.place) continue;
            if (a.groupe >= 0) {
                const auto& membres = groupes[static_cast<size_t>(a.groupe)];
                size_t i = 0;
                while (i < membres.size() && m_pris[static_cast<size_t>(membres[i])])
                    ++i;
                if (i < membres.size()) {
                    m_pris[static_cast<size_t>(membres[i])] = true;
                    m_f->champs[static_cast<size_t>(membres[i])].swap(a.valeur);
                    continue;
                }
                // One more than the group has fields: under the group's title and rank.
                const auto& premier = CorrespondanceVCard::Emplacement(membres[0]);
                AjouteAutre(
                    Rang(TitreGroupe(premier).c_str(), ++m_surplus[a.groupe] + membres.size() - 1),
                    a.valeur);
                continue;
            }
            std::string t = Majuscules(a.propriete->nom);
            if (a.types) t += ";TYPE=" + TitreTypes(a.types);
            AjouteAutre(t, a.valeur);
        }
        m_pris.fill(false);
        m_surplus.clear();
    }

    static std::string TitreGroupe(const EmplacementVCard& e)
    {
        std::string t(e.titre);
        const size_t parenthese = t.find(" (");
        return parenthese == std::string::npos ? t : t.substr(0, parenthese);
    }

    void Image(const ProprieteVCard& p, const P& params)
    {
        std::string_view base64, type;
        if (!m_f->imageBase64.empty()) return;
        if (ValeurVCard::Image(p, params, base64, type) && !base64.empty()) {
            m_f->imageBase64 = base64;
            m_f->imageType = type;
            return;
        }
        Autre("PHOTO (lien)", p, params, false);
    }

    // The name written by this program comes back as it was; a picture is proposed
    // under it only when it is a safe bare name.
    void NomDuFichierPhoto()
    {
        if (m_f->imageBase64.empty() || CheminsPhoto::NomSur(m_nomPhoto)) {
            m_f->champs[::Photo] = m_nomPhoto;
            return;
        }
        // The format is known once the picture is decoded; the type told decides here.
        const PhotoVCard::Format format = PhotoVCard::Detecte({}, m_f->imageType);
        m_f->champs[::Photo] =
            PhotoVCard::NomPropose(m_f->champs[::Nom], m_f->champs[Prenom], format);
    }

    struct Attente {
        const ProprieteVCard* propriete = nullptr;
        int groupe = -1;
        int rang = 0;
        unsigned types = 0;
        std::string valeur;
        bool place = false;
    };

    const CarteVCard* m_carte = nullptr;
    FicheVCard* m_f = nullptr;
    CodageVCard::Bilan* m_bilan = nullptr;
    std::string m_tampon;
    std::string m_fn;
    std::string m_nomPhoto;
    std::vector<std::string> m_composants;
    std::vector<bool> m_groupeFait;
    std::vector<Attente> m_enAttente; // the first m_nbAttente are this card's
    size_t m_nbAttente = 0;
    std::array<bool, NbColonnes> m_pris{};
    std::map<int, size_t> m_surplus;
};

bool ClassementVCard::NomValide(std::string_view nom)
{
    if (nom.empty() || nom.size() > 64) return false;
    for (char c : nom)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_'))
            return false;
    return true;
}

ClassementVCard::ClassementVCard() : m_etat(std::make_unique<Etat>()) {}

ClassementVCard::~ClassementVCard() = default;

void ClassementVCard::Classe(const CarteVCard& carte, FicheVCard& fiche, CodageVCard::Bilan& bilan)
{
    m_etat->Lance(carte, fiche, bilan);
}
