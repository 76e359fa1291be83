#include "LecteurVCard.h"

#include "CodageVCard.h"
#include "ParametresVCard.h"

#include <QLocale>
#include <algorithm>
#include <cstring>

namespace
{

using P = ParametresVCard;

QString Nombre(long long n)
{
    return QLocale(QLocale::French, QLocale::France).toString(n);
}

QString Mo(size_t octets)
{
    return QLocale(QLocale::French, QLocale::France)
               .toString(static_cast<double>(octets) / (1 << 20), 'f', 0) +
           QStringLiteral(" Mo");
}

// Whether `texte` holds `majuscules` (upper-case ASCII), ignoring case.
bool Contient(std::string_view texte, std::string_view majuscules)
{
    if (texte.size() < majuscules.size()) return false;
    const char premier = majuscules.front();
    for (size_t i = 0; i + majuscules.size() <= texte.size(); ++i) {
        const char c = texte[i];
        if ((c == premier || c == premier + ('a' - 'A')) &&
            P::Egal(texte.substr(i, majuscules.size()), majuscules))
            return true;
    }
    return false;
}

std::string_view SansBlancs(std::string_view v)
{
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
        v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
        v.remove_suffix(1);
    return v;
}

// The head of a line: name (with its group) and parameters, up to the first ":"
// outside double quotes; npos when the line has none.
size_t DeuxPoints(std::string_view ligne)
{
    bool guillemets = false;
    for (size_t i = 0; i < ligne.size(); ++i) {
        const char c = ligne[i];
        if (c == '"')
            guillemets = !guillemets;
        else if (c == ':' && !guillemets)
            return i;
        // A quote left open must not swallow the whole line: names and parameters
        // never hold a line's value.
        else if (guillemets && i > 4096)
            return std::string_view::npos;
    }
    return std::string_view::npos;
}

class Analyseur
{
public:
    Analyseur(std::string& octets, const LecteurVCard::Limites& limites,
              const std::function<bool(const CarteVCard&)>& rappel)
        : m_o(octets), m_limites(limites), m_rappel(rappel)
    {
    }

    LecteurVCard::Resultat Lance()
    {
        m_resultat.encodage = CodageVCard::Normalise(m_o);
        // A file whose lines all end with a lone CR (an old Macintosh).
        if (!std::memchr(m_o.data(), '\n', m_o.size()))
            std::replace(m_o.begin(), m_o.end(), '\r', '\n');
        m_n = m_o.size();
        while (m_r < m_n && m_continuer) {
            std::string_view ligne;
            if (!LigneLogique(ligne)) return m_resultat;
            Traite(ligne);
        }
        if (m_profondeur >= 1 && m_continuer) {
            ++m_resultat.sansFin;
            m_carte.terminee = false;
            Emet();
        }
        if (m_resultat.erreur.isEmpty() && m_resultat.cartes == 0)
            m_resultat.erreur = QString::fromUtf8("il ne contient aucune fiche vCard (aucune ligne "
                                                  "« BEGIN:VCARD »).");
        if (m_resultat.erreur.isEmpty() && m_resultat.cartes > m_limites.cartes)
            m_resultat.erreur =
                m_limites.cartes <= 0
                    ? QString::fromUtf8("le fichier compte %1 fiches : le répertoire ne peut "
                                        "plus en recevoir sur cet ordinateur.")
                          .arg(Nombre(m_resultat.cartes))
                    : QString::fromUtf8("le fichier compte %1 fiches : le répertoire ne peut en "
                                        "recevoir que %2 de plus sur cet ordinateur.")
                          .arg(Nombre(m_resultat.cartes), Nombre(m_limites.cartes));
        return m_resultat;
    }

private:
    // The physical line at m_r: its content (without CR LF) and the start of the next.
    std::string_view Physique(size_t r, size_t& suivante) const
    {
        const void* lf = std::memchr(m_o.data() + r, '\n', m_n - r);
        size_t fin = lf ? static_cast<size_t>(static_cast<const char*>(lf) - m_o.data()) : m_n;
        suivante = lf ? fin + 1 : m_n;
        if (fin > r && m_o[fin - 1] == '\r') --fin;
        return std::string_view(m_o.data() + r, fin - r);
    }

    // Whether the line at `r` holds no ":".
    bool SansDeuxPoints(size_t r) const
    {
        for (; r < m_n; ++r) {
            const char c = m_o[r];
            if (c == ':') return false;
            if (c == '\n') return true;
        }
        return true;
    }

    bool TropLong(size_t taille)
    {
        if (taille <= m_limites.ligne) return false;
        m_resultat.erreur = QString::fromUtf8("la fiche n° %1 contient une ligne de plus de %2 : "
                                              "ce n'est pas un fichier d'adresses.")
                                .arg(Nombre(m_resultat.cartes + 1), Mo(m_limites.ligne));
        return true;
    }

    // Appends the bytes of a later line to the logical line ending at m_w.
    bool Ajoute(std::string_view morceau)
    {
        if (TropLong(m_w - m_debut + morceau.size())) return false;
        // The writing point stays behind the reading point: nothing unread is overwritten.
        std::memmove(m_o.data() + m_w, morceau.data(), morceau.size());
        m_w += morceau.size();
        return true;
    }

    // The next logical line. A line that continues on no other stays where it is;
    // continuations are moved up behind it.
    bool LigneLogique(std::string_view& ligne)
    {
        size_t suivante;
        std::string_view physique = Physique(m_r, suivante);
        m_debut = m_r;
        m_w = m_r + physique.size();
        m_r = suivante;
        if (TropLong(physique.size())) return false;
        // The head is read only when a line may continue otherwise than folded.
        bool teteLue = false;
        bool qp = false, base64 = false;
        const auto LitTete = [&] {
            if (teteLue) return;
            teteLue = true;
            const std::string_view debut(m_o.data() + m_debut, m_w - m_debut);
            const std::string_view tete = debut.substr(0, DeuxPoints(debut));
            qp = Contient(tete, "QUOTED-PRINTABLE");
            base64 = !qp && Contient(tete, "BASE64");
        };
        while (m_r < m_n) {
            if (m_w > m_debut && m_o[m_w - 1] == '=') {
                LitTete();
                if (qp) {
                    // A soft line break of quoted-printable: the next line follows as
                    // it is, blanks included; a card's end is never part of it.
                    physique = Physique(m_r, suivante);
                    if (P::Egal(SansBlancs(physique), "END:VCARD")) break;
                    --m_w;
                    if (!Ajoute(physique)) return false;
                    m_r = suivante;
                    continue;
                }
            }
            const char c = m_o[m_r];
            if (c == ' ' || c == '\t') {
                // A folded line: its first blank is the fold.
                physique = Physique(m_r, suivante);
                if (!Ajoute(physique.substr(1))) return false;
                m_r = suivante;
                continue;
            }
            if (c == '\n' || c == '\r' || SansDeuxPoints(m_r)) {
                // 2.1 base64 lines often come without their blank; they hold no ":".
                if (c == '\n' || c == '\r') break;
                LitTete();
                if (!base64) break;
                physique = Physique(m_r, suivante);
                if (!Ajoute(physique)) return false;
                m_r = suivante;
                continue;
            }
            break;
        }
        ligne = std::string_view(m_o.data() + m_debut, m_w - m_debut);
        return true;
    }

    void Traite(std::string_view ligne)
    {
        const size_t dp = DeuxPoints(ligne);
        if (dp == std::string_view::npos) return;
        const std::string_view tete = ligne.substr(0, dp);
        const std::string_view valeur = ligne.substr(dp + 1);
        size_t finNom = tete.find(';');
        if (finNom == std::string_view::npos) finNom = tete.size();
        std::string_view nom = SansBlancs(tete.substr(0, finNom));
        std::string_view groupe;
        const size_t point = nom.find('.');
        if (point != std::string_view::npos) {
            groupe = nom.substr(0, point);
            nom = nom.substr(point + 1);
        }
        if (P::Egal(nom, "BEGIN")) {
            if (!P::Egal(SansBlancs(valeur), "VCARD")) return;
            if (m_profondeur == 0) {
                m_carte.proprietes.clear();
                m_carte.version = VersionVCard::V30;
                m_carte.terminee = true;
                m_carte.numero = m_resultat.cartes + 1;
                m_profondeur = 1;
            } else {
                ++m_profondeur;
                ++m_resultat.imbriquees;
            }
            return;
        }
        if (P::Egal(nom, "END")) {
            if (!P::Egal(SansBlancs(valeur), "VCARD") || m_profondeur == 0) return;
            if (--m_profondeur == 0) Emet();
            return;
        }
        if (m_profondeur != 1) return;
        if (P::Egal(nom, "VERSION")) {
            const std::string_view v = SansBlancs(valeur);
            m_carte.version = v == "2.1"   ? VersionVCard::V21
                              : v == "4.0" ? VersionVCard::V40
                                           : VersionVCard::V30;
            return;
        }
        m_carte.proprietes.push_back({groupe, nom, tete.substr(finNom), valeur});
    }

    void Emet()
    {
        ++m_resultat.cartes;
        // Past the limit, the cards are only counted, to say how many there are.
        if (m_resultat.cartes > m_limites.cartes) return;
        if (!m_rappel(m_carte)) m_continuer = false;
    }

    std::string& m_o;
    const LecteurVCard::Limites& m_limites;
    const std::function<bool(const CarteVCard&)>& m_rappel;
    LecteurVCard::Resultat m_resultat;
    CarteVCard m_carte;
    size_t m_n = 0;
    size_t m_r = 0;     // reading point
    size_t m_w = 0;     // writing point of the unfolded lines
    size_t m_debut = 0; // start of the logical line being built
    long long m_profondeur = 0;
    bool m_continuer = true;
};

} // namespace

LecteurVCard::Resultat LecteurVCard::Parcourt(std::string& octets, const Limites& limites,
                                              const std::function<bool(const CarteVCard&)>& carte)
{
    return Analyseur(octets, limites, carte).Lance();
}
