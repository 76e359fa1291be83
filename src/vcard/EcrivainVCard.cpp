#include "EcrivainVCard.h"

#include "CodageVCard.h"
#include "CorrespondanceVCard.h"
#include "PhotoVCard.h"

#include <array>

namespace
{

using F = FamilleVCard;

// Bytes an escaped value cannot copy as they are.
struct Speciaux {
    std::array<bool, 256> arret{};
    Speciaux()
    {
        for (int c = 0x80; c < 256; ++c)
            arret[c] = true;
        arret['\\'] = arret[';'] = arret[','] = arret['\r'] = arret['\n'] = true;
    }
};

const Speciaux& LesSpeciaux()
{
    static const Speciaux s;
    return s;
}

} // namespace

void EcrivainVCard::AjouteEchappe(std::string& s, std::string_view t)
{
    const auto& arret = LesSpeciaux().arret;
    const auto* p = reinterpret_cast<const unsigned char*>(t.data());
    const auto* const fin = p + t.size();
    while (p < fin) {
        const unsigned char* debut = p;
        while (p < fin && !arret[*p])
            ++p;
        s.append(reinterpret_cast<const char*>(debut), static_cast<size_t>(p - debut));
        if (p == fin) break;
        const unsigned char c = *p;
        if (c == '\r' || c == '\n') {
            // Any line break, CR LF or a lone one, is one "\n".
            s.append("\\n", 2);
            p += (c == '\r' && p + 1 < fin && p[1] == '\n') ? 2 : 1;
        } else if (c >= 0x80) {
            const unsigned char* d = p;
            while (p < fin && *p >= 0x80)
                ++p;
            CodageVCard::AjouteUtf8(
                s, std::string_view(reinterpret_cast<const char*>(d), static_cast<size_t>(p - d)));
        } else {
            s.push_back('\\');
            s.push_back(static_cast<char>(c));
            ++p;
        }
    }
}

void EcrivainVCard::AjouteLignePliee(std::string& s, std::string_view ligne)
{
    size_t max = 75;
    while (ligne.size() > max) {
        size_t coupe = max;
        // Never inside a UTF-8 sequence: back to the start of the character.
        while (coupe > 1 && (static_cast<unsigned char>(ligne[coupe]) & 0xC0) == 0x80)
            --coupe;
        s.append(ligne.data(), coupe);
        s.append("\r\n ", 3);
        ligne.remove_prefix(coupe);
        max = 74; // the blank that starts a continuation counts
    }
    s.append(ligne);
    s.append("\r\n", 2);
}

void EcrivainVCard::AjouteCarte(std::string& s, const Champs& c, VersionVCard version,
                                const std::string* image)
{
    thread_local std::string ligne;
    const auto Ligne = [&s] { AjouteLignePliee(s, ligne); };
    const auto Debut = [](const EmplacementVCard& e, const char* rang) {
        ligne.assign(e.propriete);
        if (e.types) {
            ligne.append(";TYPE=");
            ligne.append(e.types);
        }
        if (rang) {
            ligne.push_back(';');
            ligne.append(CorrespondanceVCard::Rang);
            ligne.push_back('=');
            ligne.append(rang);
        }
        ligne.push_back(':');
    };
    const auto Valeur = [&c](int champ) { return c[static_cast<size_t>(champ)]; };

    s.append("BEGIN:VCARD\r\n");
    s.append(version == VersionVCard::V40 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n");
    const auto& table = CorrespondanceVCard::Table();
    for (const std::vector<int>& membres : CorrespondanceVCard::Groupes()) {
        const EmplacementVCard& e = table[static_cast<size_t>(membres.front())];
        switch (e.famille) {
        case F::Nom:
        case F::Adresse: {
            bool vide = true;
            for (int champ : membres)
                vide = vide && Valeur(champ).empty();
            // A card always has its N; an address only when it holds something.
            if (vide && e.famille == F::Adresse) break;
            Debut(e, nullptr);
            const int composants = e.famille == F::Nom ? 5 : 7;
            for (int k = 0; k < composants; ++k) {
                if (k > 0) ligne.push_back(';');
                bool premier = true;
                for (int champ : membres) {
                    const EmplacementVCard& m = table[static_cast<size_t>(champ)];
                    if (m.composant != k) continue;
                    // The street's second line follows a line break, when there is one.
                    if (m.rang > 0 && Valeur(champ).empty()) continue;
                    if (!premier) ligne.append("\\n", 2);
                    premier = false;
                    AjouteEchappe(ligne, Valeur(champ));
                }
            }
            Ligne();
            if (e.famille == F::Nom) {
                ligne.assign("FN:");
                AjouteEchappe(ligne, CorrespondanceVCard::NomAffiche(c));
                Ligne();
            }
            break;
        }
        case F::Telephone:
        case F::Internet: {
            // The fields of the group in order; one after an empty one says its place.
            size_t ecrits = 0;
            for (size_t rang = 0; rang < membres.size(); ++rang) {
                const std::string_view v = Valeur(membres[rang]);
                if (v.empty()) continue;
                const std::string numero = std::to_string(rang + 1);
                const char* place = ecrits != rang ? numero.c_str() : nullptr;
                EmplacementVCard m = table[static_cast<size_t>(membres[rang])];
                if (m.famille == F::Internet && CorrespondanceVCard::EstAdresseWeb(v))
                    m.propriete = "URL";
                Debut(m, place);
                AjouteEchappe(ligne, v);
                Ligne();
                ++ecrits;
            }
            break;
        }
        case F::Photo: {
            const std::string_view nom = Valeur(e.champ);
            if (nom.empty()) break;
            if (image) {
                const PhotoVCard::Format format = PhotoVCard::Detecte(*image, nom);
                if (version == VersionVCard::V40) {
                    ligne.assign("PHOTO:data:");
                    ligne.append(format.media);
                    ligne.append(";base64,");
                } else {
                    ligne.assign("PHOTO;ENCODING=b;TYPE=");
                    ligne.append(format.type);
                    ligne.push_back(':');
                }
                CodageVCard::AjouteBase64(ligne, *image);
                Ligne();
            }
            ligne.assign(CorrespondanceVCard::NomPhoto);
            ligne.push_back(':');
            AjouteEchappe(ligne, nom);
            Ligne();
            break;
        }
        case F::Titre:
        case F::Societe:
        case F::Note:
        case F::Extension: {
            const std::string_view v = Valeur(e.champ);
            if (v.empty()) break;
            Debut(e, nullptr);
            AjouteEchappe(ligne, v);
            Ligne();
            break;
        }
        }
    }
    s.append("END:VCARD\r\n");
}
