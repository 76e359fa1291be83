#include "ParametresVCard.h"

namespace
{

char Majuscule(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view SansGuillemets(std::string_view v)
{
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
        v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
        v.remove_suffix(1);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return v;
}

using P = ParametresVCard;

// A TYPE value (or a bare 2.1 parameter): its kind, 0 for none known.
uint32_t Genre(std::string_view v)
{
    if (P::Egal(v, "HOME")) return P::Maison;
    if (P::Egal(v, "WORK")) return P::Travail;
    if (P::Egal(v, "VOICE")) return P::Voix;
    if (P::Egal(v, "FAX")) return P::Fax;
    if (P::Egal(v, "CELL") || P::Egal(v, "MOBILE") || P::Egal(v, "IPHONE")) return P::Cellulaire;
    if (P::Egal(v, "PAGER")) return P::Pager;
    if (P::Egal(v, "PREF")) return P::Pref;
    if (P::Egal(v, "VIDEO") || P::Egal(v, "MODEM") || P::Egal(v, "CAR") || P::Egal(v, "ISDN") ||
        P::Egal(v, "BBS") || P::Egal(v, "TEXTPHONE"))
        return P::AutreTel;
    return 0;
}

// Kinds that say nothing about which field a value fills.
bool Neutre(std::string_view v)
{
    return P::Egal(v, "INTERNET") || P::Egal(v, "X400") || P::Egal(v, "MSG") ||
           P::Egal(v, "TEXT") || P::Egal(v, "DOM") || P::Egal(v, "INTL") || P::Egal(v, "POSTAL") ||
           P::Egal(v, "PARCEL") || P::Egal(v, "OTHER") || P::Egal(v, "MAIN");
}

} // namespace

bool ParametresVCard::Egal(std::string_view nom, std::string_view majuscules)
{
    if (nom.size() != majuscules.size()) return false;
    for (size_t i = 0; i < nom.size(); ++i)
        if (Majuscule(nom[i]) != majuscules[i]) return false;
    return true;
}

ParametresVCard ParametresVCard::Analyse(std::string_view brut)
{
    ParametresVCard p;
    size_t i = 0;
    while (i < brut.size()) {
        if (brut[i] == ';') {
            ++i;
            continue;
        }
        // One parameter, to the next ";" outside quotes.
        size_t fin = i;
        bool guillemets = false;
        while (fin < brut.size() && (guillemets || brut[fin] != ';')) {
            if (brut[fin] == '"') guillemets = !guillemets;
            ++fin;
        }
        const std::string_view parametre = brut.substr(i, fin - i);
        i = fin;
        const size_t egal = parametre.find('=');
        std::string_view nom = SansGuillemets(parametre.substr(0, egal));
        const std::string_view valeurs =
            egal == std::string_view::npos ? std::string_view() : parametre.substr(egal + 1);
        if (egal == std::string_view::npos) {
            // 2.1: a bare value stands for its parameter.
            if (Egal(nom, "QUOTED-PRINTABLE"))
                p.codage = Codage::QuotedPrintable;
            else if (Egal(nom, "BASE64") || Egal(nom, "B"))
                p.codage = Codage::Base64;
            else if (const uint32_t g = Genre(nom))
                p.types |= g;
            else if (!Neutre(nom) && p.typeImage.empty())
                p.typeImage = nom;
            continue;
        }
        if (Egal(nom, "ENCODING")) {
            const std::string_view v = SansGuillemets(valeurs);
            if (Egal(v, "QUOTED-PRINTABLE"))
                p.codage = Codage::QuotedPrintable;
            else if (Egal(v, "BASE64") || Egal(v, "B"))
                p.codage = Codage::Base64;
        } else if (Egal(nom, "CHARSET")) {
            p.charset = SansGuillemets(valeurs);
        } else if (Egal(nom, "VALUE")) {
            p.valeur = SansGuillemets(valeurs);
        } else if (Egal(nom, "MEDIATYPE")) {
            p.mediatype = SansGuillemets(valeurs);
        } else if (Egal(nom, "X-CARNET-RANG")) {
            const std::string_view v = SansGuillemets(valeurs);
            int rang = 0;
            for (char c : v) {
                if (c < '0' || c > '9' || rang > 99) {
                    rang = 0;
                    break;
                }
                rang = rang * 10 + (c - '0');
            }
            p.rang = rang;
        } else if (Egal(nom, "TYPE")) {
            // A list, by commas, each value perhaps quoted, or the whole list quoted.
            size_t j = 0;
            while (j <= valeurs.size()) {
                size_t k = j;
                bool q = false;
                while (k < valeurs.size() && (q || valeurs[k] != ',')) {
                    if (valeurs[k] == '"') q = !q;
                    ++k;
                }
                std::string_view v = SansGuillemets(valeurs.substr(j, k - j));
                // TYPE="home,voice": the quotes hold the whole list.
                if (v.find(',') != std::string_view::npos) {
                    size_t a = 0;
                    while (a <= v.size()) {
                        const size_t b = std::min(v.find(',', a), v.size());
                        const std::string_view w = SansGuillemets(v.substr(a, b - a));
                        if (const uint32_t g = Genre(w))
                            p.types |= g;
                        else if (!w.empty() && !Neutre(w) && p.typeImage.empty())
                            p.typeImage = w;
                        a = b + 1;
                    }
                } else if (const uint32_t g = Genre(v)) {
                    p.types |= g;
                } else if (!v.empty() && !Neutre(v) && p.typeImage.empty()) {
                    p.typeImage = v;
                }
                j = k + 1;
            }
        }
    }
    return p;
}
