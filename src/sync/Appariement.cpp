#include "Appariement.h"

#include <algorithm>
#include <unordered_map>

namespace
{

std::string Minuscules(const std::string& s)
{
    std::string r;
    r.reserve(s.size());
    for (const char c : s) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u == ' ' || u == '\t') {
            if (!r.empty() && r.back() != ' ') r += ' ';
            continue;
        }
        // ASCII and the Windows-1252 capitals with accents (0xC0-0xDE but 0xD7).
        if (u >= 'A' && u <= 'Z')
            r += static_cast<char>(u + 32);
        else if (u >= 0xC0 && u <= 0xDE && u != 0xD7)
            r += static_cast<char>(u + 32);
        else
            r += c;
    }
    while (!r.empty() && r.back() == ' ')
        r.pop_back();
    return r;
}

std::string Chiffres(const std::string& s)
{
    std::string r;
    for (const char c : s)
        if (c >= '0' && c <= '9') r += c;
    return r;
}

} // namespace

std::string Appariement::Empreinte(const CarteSync::Champs& champs, bool banque)
{
    std::string e;
    for (int c = 0; c < NbColonnes; ++c) {
        if (!CarteSync::Synchronise(c, banque)) continue;
        e += champs[static_cast<size_t>(c)];
        e += '\0';
    }
    return e;
}

std::vector<std::string> Appariement::Cles(const CarteSync::Champs& f)
{
    std::vector<std::string> cles;
    const std::string nom = Minuscules(f[0]), prenom = Minuscules(f[1]);
    if (!nom.empty() || !prenom.empty()) cles.push_back("N:" + nom + '|' + prenom);
    if (nom.empty() && prenom.empty() && !f[9].empty()) cles.push_back("S:" + Minuscules(f[9]));
    for (const int c : {14, 15, 16, 27, 28, 29}) {
        const std::string m = Minuscules(f[static_cast<size_t>(c)]);
        if (m.find('@') != std::string::npos) cles.push_back("E:" + m);
    }
    for (const int c : {10, 11, 12, 13, 23, 24, 25, 26}) {
        const std::string t = Chiffres(f[static_cast<size_t>(c)]);
        if (t.size() >= 6) cles.push_back("T:" + t);
    }
    std::sort(cles.begin(), cles.end());
    cles.erase(std::unique(cles.begin(), cles.end()), cles.end());
    return cles;
}

std::vector<int> Appariement::Apparie(const std::vector<Cote>& connus,
                                      const std::vector<const CarteSync::Champs*>& lignes,
                                      bool banque)
{
    std::vector<int> resultat(connus.size(), -1);
    std::vector<bool> prise(lignes.size(), false);
    for (size_t i = 0; i < lignes.size(); ++i)
        prise[i] = lignes[i] == nullptr;

    // The same fields: rows by their fields, the hinted row first among equals.
    std::unordered_multimap<std::string, int> parContenu;
    for (size_t i = 0; i < lignes.size(); ++i)
        if (!prise[i]) parContenu.emplace(Empreinte(*lignes[i], banque), static_cast<int>(i));
    for (size_t k = 0; k < connus.size(); ++k) {
        const auto [debut, fin] = parContenu.equal_range(Empreinte(*connus[k].champs, banque));
        int choisie = -1;
        for (auto it = debut; it != fin; ++it) {
            if (prise[static_cast<size_t>(it->second)]) continue;
            if (choisie < 0 || it->second == connus[k].indice) choisie = it->second;
        }
        if (choisie >= 0) {
            resultat[k] = choisie;
            prise[static_cast<size_t>(choisie)] = true;
        }
    }

    // The keys: every pair sharing one, best first.
    std::unordered_map<std::string, std::vector<int>> parCle;
    for (size_t i = 0; i < lignes.size(); ++i)
        if (!prise[i])
            for (const std::string& cle : Cles(*lignes[i]))
                parCle[cle].push_back(static_cast<int>(i));
    struct Paire {
        int score;
        bool indice;
        size_t connu;
        int ligne;
    };
    std::vector<Paire> paires;
    for (size_t k = 0; k < connus.size(); ++k) {
        if (resultat[k] >= 0) continue;
        std::unordered_map<int, int> scores;
        for (const std::string& cle : Cles(*connus[k].champs)) {
            const auto it = parCle.find(cle);
            if (it == parCle.end() || it->second.size() > 64) continue; // too common to tell
            for (const int l : it->second)
                ++scores[l];
        }
        for (const auto& [l, score] : scores)
            paires.push_back({score, l == connus[k].indice, k, l});
    }
    std::sort(paires.begin(), paires.end(), [](const Paire& a, const Paire& b) {
        if (a.score != b.score) return a.score > b.score;
        if (a.indice != b.indice) return a.indice;
        if (a.connu != b.connu) return a.connu < b.connu;
        return a.ligne < b.ligne;
    });
    for (const Paire& p : paires) {
        if (resultat[p.connu] >= 0 || prise[static_cast<size_t>(p.ligne)]) continue;
        resultat[p.connu] = p.ligne;
        prise[static_cast<size_t>(p.ligne)] = true;
    }
    return resultat;
}
