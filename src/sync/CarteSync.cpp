#include "CarteSync.h"

#include "vcard/ClassementVCard.h"
#include "vcard/CodageVCard.h"
#include "vcard/EcrivainVCard.h"
#include "vcard/LecteurVCard.h"

#include <QUuid>
#include <algorithm>
#include <set>
#include <utility>

namespace
{

std::string Majuscules(std::string_view texte)
{
    std::string s(texte);
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool Commence(std::string_view texte, std::string_view debut)
{
    return texte.substr(0, debut.size()) == debut;
}

// Properties the writer produces from the fields: a card's own are compared with
// what the writer gives back; all others are kept as they are.
bool ProprieteEcrite(const std::string& nom)
{
    static const std::set<std::string> noms{"N",   "FN",    "ORG", "TITLE", "ADR",
                                            "TEL", "EMAIL", "URL", "NOTE"};
    return noms.count(nom) || Commence(nom, "X-CARNET-");
}

// The card's own frame, rewritten every time.
bool ProprieteCadre(const std::string& nom)
{
    return nom == "VERSION" || nom == "UID" || nom == "REV" || nom == "PRODID";
}

// A value without its escapes, for comparing what two writers wrote.
std::string SansEchappement(std::string_view valeur)
{
    std::string s;
    s.reserve(valeur.size());
    for (size_t i = 0; i < valeur.size(); ++i) {
        if (valeur[i] == '\\' && i + 1 < valeur.size()) {
            const char c = valeur[++i];
            s += (c == 'n' || c == 'N') ? '\n' : c;
        } else {
            s += valeur[i];
        }
    }
    return s;
}

std::string Ligne(const ProprieteVCard& p)
{
    std::string l;
    if (!p.groupe.empty()) {
        l += p.groupe;
        l += '.';
    }
    l += p.nom;
    l += p.parametres;
    l += ':';
    l += p.valeur;
    return l;
}

// Reads the first card of `octets` (unfolded in place) and hands it over.
template <typename F> bool PremiereCarte(std::string& octets, F&& f)
{
    LecteurVCard::Limites limites;
    limites.cartes = 1;
    bool vue = false;
    const LecteurVCard::Resultat r =
        LecteurVCard::Parcourt(octets, limites, [&](const CarteVCard& c) {
            vue = true;
            f(c);
            return false;
        });
    return vue && (r.erreur.isEmpty() || r.cartes >= 1);
}

// The value as this program reads it: the characters Windows-1252 cannot hold
// become "?" (UTF-8 in, UTF-8 out).
std::string Perte(std::string_view utf8)
{
    std::string s;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* fin = p + utf8.size();
    while (p < fin) {
        if (*p < 0x80) {
            s += static_cast<char>(*p++);
            continue;
        }
        uint32_t cp = 0;
        const size_t n = CodageVCard::Sequence(p, fin, cp);
        if (n == 0) {
            s += '?';
            ++p;
            continue;
        }
        if (CodageVCard::VersCp1252(cp) < 0)
            s += '?';
        else
            s.append(reinterpret_cast<const char*>(p), n);
        p += n;
    }
    return s;
}

// The lines of a card written from fields read out of `base` that the fields could
// not hold whole (a name in Polish, an emoji): where this side changed nothing in
// them, the server's own line is written back instead of its "?" copy.
std::string RendLignesEntieres(const std::string& carte, const QByteArray& base)
{
    std::string octetsBase(base.constData(), static_cast<size_t>(base.size()));
    std::vector<std::pair<std::string, ProprieteVCard>> originales;
    std::vector<std::string> lignesBase;
    PremiereCarte(octetsBase, [&](const CarteVCard& c) {
        for (const ProprieteVCard& p : c.proprietes)
            if (Perte(p.valeur) != p.valeur) originales.push_back({Majuscules(p.nom), p});
    });
    if (originales.empty()) return carte;
    // What the server's fields give back: lines of it this side left as they were.
    const CarteSync::Lecture lue = CarteSync::Lit(base);
    std::array<std::string_view, NbColonnes> vues;
    for (size_t c = 0; c < NbColonnes; ++c)
        vues[c] = lue.champs[c];
    std::string regeneree;
    EcrivainVCard::AjouteCarte(regeneree, vues, VersionVCard::V30, nullptr);
    std::set<std::string> inchangees;
    PremiereCarte(regeneree, [&](const CarteVCard& c) {
        for (const ProprieteVCard& p : c.proprietes)
            inchangees.insert(Ligne(p));
    });
    std::string copie = carte;
    std::string sortie;
    std::vector<bool> pris(originales.size(), false);
    PremiereCarte(copie, [&](const CarteVCard& c) {
        sortie = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        for (const ProprieteVCard& p : c.proprietes) {
            const std::string ligne = Ligne(p);
            std::string rendue = ligne;
            if (Majuscules(p.nom) != "VERSION" && inchangees.count(ligne) &&
                p.valeur.find('?') != std::string_view::npos) {
                const std::string nom = Majuscules(p.nom);
                for (size_t i = 0; i < originales.size(); ++i) {
                    if (pris[i] || originales[i].first != nom) continue;
                    if (SansEchappement(Perte(originales[i].second.valeur)) !=
                        SansEchappement(p.valeur))
                        continue;
                    pris[i] = true;
                    rendue = Ligne(originales[i].second);
                    break;
                }
            }
            if (Majuscules(p.nom) != "VERSION") EcrivainVCard::AjouteLignePliee(sortie, rendue);
        }
        sortie += "END:VCARD\r\n";
    });
    return sortie.empty() ? carte : sortie;
}

} // namespace

CarteSync::Lecture CarteSync::Lit(const QByteArray& vcard)
{
    Lecture l;
    std::string octets(vcard.constData(), static_cast<size_t>(vcard.size()));
    ClassementVCard classement;
    FicheVCard fiche;
    CodageVCard::Bilan bilan;
    const bool vue = PremiereCarte(octets, [&](const CarteVCard& carte) {
        classement.Classe(carte, fiche, bilan);
        for (const ProprieteVCard& p : carte.proprietes)
            if (Majuscules(p.nom) == "UID")
                l.uid = QString::fromStdString(SansEchappement(p.valeur)).trimmed();
    });
    if (!vue) {
        l.erreur = QString::fromUtf8("la carte envoyée par le serveur n'est pas une vCard lisible");
        return l;
    }
    for (size_t c = 0; c < NbColonnes; ++c)
        l.champs[c] = std::move(fiche.champs[c]);
    l.remplaces = bilan.remplaces;
    l.valide = true;
    return l;
}

std::vector<std::string> CarteSync::LignesNonReprises(const QByteArray& vcard)
{
    std::vector<std::string> lignes;
    std::string octets(vcard.constData(), static_cast<size_t>(vcard.size()));
    Lecture lue = Lit(vcard);
    if (!lue.valide) return lignes;
    // What the writer makes of the fields read: the card's lines it gives back are
    // the fields' own; the others (a third phone, a pager) are kept.
    std::string regeneree;
    std::array<std::string_view, NbColonnes> vues;
    for (size_t c = 0; c < NbColonnes; ++c)
        vues[c] = lue.champs[c];
    EcrivainVCard::AjouteCarte(regeneree, vues, VersionVCard::V30, nullptr);
    std::multiset<std::pair<std::string, std::string>> rendues;
    PremiereCarte(regeneree, [&](const CarteVCard& carte) {
        for (const ProprieteVCard& p : carte.proprietes)
            rendues.insert({Majuscules(p.nom), SansEchappement(p.valeur)});
    });
    PremiereCarte(octets, [&](const CarteVCard& carte) {
        for (const ProprieteVCard& p : carte.proprietes) {
            const std::string nom = Majuscules(p.nom);
            if (ProprieteCadre(nom) || nom == "N" || nom == "FN") continue;
            if (ProprieteEcrite(nom)) {
                const auto it = rendues.find({nom, SansEchappement(Perte(p.valeur))});
                if (it != rendues.end()) {
                    rendues.erase(it);
                    continue;
                }
                // A property of the mapping the writer did not give back, but one the
                // fields hold under another form (a 2.1 value in quoted-printable):
                // only a property of another program's is kept.
                if (Commence(nom, "X-CARNET-")) continue;
            }
            lignes.push_back(Ligne(p));
        }
    });
    return lignes;
}

QByteArray CarteSync::Ecrit(const Champs& champs, const QString& uid, const QByteArray& base,
                            bool banque)
{
    Lecture serveur;
    if (!banque && !base.isEmpty()) serveur = Lit(base);
    std::array<std::string_view, NbColonnes> vues;
    for (int c = 0; c < NbColonnes; ++c) {
        const auto i = static_cast<size_t>(c);
        if (ChampBancaire(c) && !banque)
            vues[i] = serveur.valide ? std::string_view(serveur.champs[i]) : std::string_view();
        else
            vues[i] = champs[i];
    }
    std::string carte;
    EcrivainVCard::AjouteCarte(carte, vues, VersionVCard::V30, nullptr);
    const size_t fin = carte.rfind("END:VCARD");
    std::string suite;
    std::string uidLigne = "UID:";
    const QByteArray uidUtf8 = uid.toUtf8();
    for (const char c : uidUtf8) {
        if (c == ',' || c == ';' || c == '\\') uidLigne += '\\';
        uidLigne += c;
    }
    EcrivainVCard::AjouteLignePliee(suite, uidLigne);
    if (!base.isEmpty())
        for (const std::string& ligne : LignesNonReprises(base))
            EcrivainVCard::AjouteLignePliee(suite, ligne);
    carte.insert(fin == std::string::npos ? carte.size() : fin, suite);
    if (!base.isEmpty()) carte = RendLignesEntieres(carte, base);
    return QByteArray(carte.data(), static_cast<qsizetype>(carte.size()));
}

bool CarteSync::Vide(const Champs& champs)
{
    return std::all_of(champs.begin(), champs.end(),
                       [](const std::string& s) { return s.empty(); });
}

QString CarteSync::NouvelUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}
