#include "ValeurVCard.h"

#include "ParametresVCard.h"

#include <array>

namespace
{

// Bytes that stop the plain copy of a component.
struct Speciaux {
    std::array<bool, 256> arret{};
    Speciaux()
    {
        for (int c = 0x80; c < 256; ++c)
            arret[c] = true;
        arret['\\'] = arret[';'] = arret['\r'] = arret['\n'] = arret['\0'] = true;
    }
};

const Speciaux& LesSpeciaux()
{
    static const Speciaux s;
    return s;
}

bool EstAscii(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

} // namespace

std::string_view ValeurVCard::Utf8(const ProprieteVCard& propriete,
                                   const ParametresVCard& parametres, std::string& tampon)
{
    std::string_view octets = propriete.valeur;
    std::string decode;
    if (parametres.codage == ParametresVCard::Codage::QuotedPrintable) {
        CodageVCard::DecodeQuotedPrintable(octets, decode);
        octets = decode;
    }
    if (!parametres.charset.empty()) {
        tampon.clear();
        if (CodageVCard::AjouteDepuisCharset(tampon, octets, parametres.charset)) return tampon;
    }
    if (EstAscii(octets) || CodageVCard::Utf8Valide(octets)) {
        if (octets.data() == propriete.valeur.data()) return octets;
        tampon.assign(octets);
        return tampon;
    }
    tampon.clear();
    CodageVCard::AjouteUtf8(tampon, octets);
    return tampon;
}

bool ValeurVCard::Composant(std::string_view s, size_t& pos, VersionVCard version, bool structure,
                            std::string& sortie, CodageVCard::Bilan& bilan)
{
    if (pos > s.size()) return false;
    const auto& arret = LesSpeciaux().arret;
    const auto* const base = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const fin = base + s.size();
    const unsigned char* p = base + pos;
    const bool v21 = version == VersionVCard::V21;
    for (;;) {
        const unsigned char* debut = p;
        while (p < fin && !arret[*p])
            ++p;
        sortie.append(reinterpret_cast<const char*>(debut), static_cast<size_t>(p - debut));
        if (p == fin) {
            pos = s.size() + 1;
            return true;
        }
        const unsigned char c = *p;
        if (c == ';') {
            if (structure) {
                pos = static_cast<size_t>(p + 1 - base);
                return true;
            }
            sortie.push_back(';');
            ++p;
        } else if (c == '\\') {
            const unsigned char e = p + 1 < fin ? p[1] : 0;
            if (e == ';' || (!v21 && (e == ',' || e == '\\' || e == ':'))) {
                sortie.push_back(static_cast<char>(e));
                p += 2;
            } else if (!v21 && (e == 'n' || e == 'N')) {
                sortie.append("\r\n", 2);
                p += 2;
            } else {
                // Not an escape: the backslash is text.
                sortie.push_back('\\');
                ++p;
            }
        } else if (c == '\r' || c == '\n') {
            sortie.append("\r\n", 2);
            p += (c == '\r' && p + 1 < fin && p[1] == '\n') ? 2 : 1;
        } else if (c == '\0') {
            ++bilan.nuls;
            ++p;
        } else {
            uint32_t cp = 0;
            size_t n = CodageVCard::Sequence(p, fin, cp);
            if (!n) {
                n = 1;
                cp = 0xFFFD;
            }
            const int o = CodageVCard::VersCp1252(cp);
            if (o >= 0) {
                sortie.push_back(static_cast<char>(o));
            } else {
                sortie.push_back('?');
                bilan.Remplace(cp);
            }
            p += n;
        }
    }
}

bool ValeurVCard::Image(const ProprieteVCard& propriete, const ParametresVCard& parametres,
                        std::string_view& base64, std::string_view& type)
{
    std::string_view v = propriete.valeur;
    type = !parametres.mediatype.empty() ? parametres.mediatype : parametres.typeImage;
    if (parametres.codage == ParametresVCard::Codage::Base64) {
        base64 = v;
        return true;
    }
    // data:[<media type>][;base64],<data>
    if (v.size() > 5 && ParametresVCard::Egal(v.substr(0, 5), "DATA:")) {
        const size_t virgule = v.find(',');
        if (virgule == std::string_view::npos) return false;
        const std::string_view entete = v.substr(5, virgule - 5);
        const size_t pv = entete.find(';');
        const std::string_view media = entete.substr(0, pv);
        const std::string_view suite =
            pv == std::string_view::npos ? std::string_view() : entete.substr(pv + 1);
        if (!ParametresVCard::Egal(suite, "BASE64")) return false;
        if (!media.empty()) type = media;
        base64 = v.substr(virgule + 1);
        return true;
    }
    return false;
}
