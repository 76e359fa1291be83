#include "Repertoire.h"

#include <cstring>
#include <stdexcept>

const uint32_t* Repertoire::Ligne::FinsVides()
{
    static const std::array<uint32_t, NbColonnes> vides{};
    return vides.data();
}

char* Repertoire::Ligne::Alloue(size_t taille)
{
    if (taille == 0) {
        m_bloc.reset();
        return nullptr;
    }
    const size_t mots =
        NbColonnes + (taille + MargeLecture + sizeof(uint32_t) - 1) / sizeof(uint32_t);
    m_bloc.reset(new uint32_t[mots]);
    m_bloc[NbColonnes - 1] = static_cast<uint32_t>(taille);
    return reinterpret_cast<char*>(m_bloc.get() + NbColonnes);
}

void Repertoire::Ligne::Assigne(std::string_view cellules, const uint32_t* fins)
{
    // A copy of itself must not read a block it has just let go.
    if (m_bloc && cellules.data() == reinterpret_cast<const char*>(m_bloc.get() + NbColonnes))
        return;
    char* octets = Alloue(cellules.size());
    if (!octets) return;
    std::memcpy(m_bloc.get(), fins, NbColonnes * sizeof(uint32_t));
    std::memcpy(octets, cellules.data(), cellules.size());
}

size_t Repertoire::Ligne::OctetsAlloues() const
{
    if (!m_bloc) return 0;
    return NbColonnes * sizeof(uint32_t) + m_bloc[NbColonnes - 1] + MargeLecture;
}

Repertoire::Ligne Repertoire::LigneVide()
{
    return Ligne{};
}

Repertoire::Repertoire()
{
    Ligne entete;
    std::string titres;
    std::array<uint32_t, NbColonnes> fins{};
    for (int c = 0; c < NbColonnes; ++c) {
        titres += Champs::Titre(c);
        fins[static_cast<size_t>(c)] = static_cast<uint32_t>(titres.size());
    }
    entete.Assigne(titres, fins.data());
    m_lignes.push_back(std::move(entete));
    m_lignes.push_back(LigneVide());
}

std::string_view Repertoire::Cellule(int colonne, int ligne) const
{
    const Ligne& l = m_lignes.at(static_cast<size_t>(ligne));
    if (colonne < 0 || colonne >= NbColonnes) throw std::out_of_range("colonne");
    const uint32_t* fins = l.Fins();
    const uint32_t debut = colonne == 0 ? 0 : fins[colonne - 1];
    return l.Octets().substr(debut, fins[colonne] - debut);
}

void Repertoire::SetCellule(int colonne, int ligne, std::string_view texte)
{
    Ligne& l = m_lignes.at(static_cast<size_t>(ligne));
    if (colonne < 0 || colonne >= NbColonnes) throw std::out_of_range("colonne");
    const uint32_t* anciennes = l.Fins();
    const std::string_view octets = l.Octets();
    const uint32_t debut = colonne == 0 ? 0 : anciennes[colonne - 1];
    const uint32_t fin = anciennes[colonne];
    std::string cellules;
    cellules.reserve(octets.size() - (fin - debut) + texte.size());
    cellules.append(octets.substr(0, debut)).append(texte).append(octets.substr(fin));
    std::array<uint32_t, NbColonnes> fins;
    const int64_t delta = static_cast<int64_t>(texte.size()) - (fin - debut);
    for (int c = 0; c < NbColonnes; ++c)
        fins[static_cast<size_t>(c)] =
            c < colonne ? anciennes[c] : static_cast<uint32_t>(anciennes[c] + delta);
    l.Assigne(cellules, fins.data());
}

void Repertoire::RemplitLigne(int ligne, const std::array<std::string_view, NbColonnes>& cellules,
                              bool margeSource)
{
    Ligne& l = m_lignes.at(static_cast<size_t>(ligne));
    size_t taille = 0;
    for (std::string_view c : cellules)
        taille += c.size();
    char* w = l.Alloue(taille);
    if (!w) return;
    uint32_t* fins = l.FinsModifiables();
    uint32_t fin = 0;
    for (size_t c = 0; c < cellules.size(); ++c) {
        const std::string_view cellule = cellules[c];
        if (margeSource && !cellule.empty()) {
            // Sixteen bytes at a time: the source may be read past the cell, and the
            // block has room past the cells; what follows overwrites the extra.
            size_t i = 0;
            do {
                std::memcpy(w + i, cellule.data() + i, 16);
                i += 16;
            } while (i < cellule.size());
            w += cellule.size();
        } else if (cellule.size() < 16) {
            // Most cells are a few bytes: copied inline rather than by a call.
            for (char o : cellule)
                *w++ = o;
        } else {
            std::memcpy(w, cellule.data(), cellule.size());
            w += cellule.size();
        }
        fin += static_cast<uint32_t>(cellule.size());
        fins[c] = fin;
    }
}

void Repertoire::SetNbLignes(int n)
{
    if (n < 2) n = 2;
    m_lignes.resize(static_cast<size_t>(n));
}

void Repertoire::Reserve(int n)
{
    m_lignes.reserve(static_cast<size_t>(n));
}

void Repertoire::CopieLigne(int de, int vers)
{
    m_lignes.at(static_cast<size_t>(vers)) = m_lignes.at(static_cast<size_t>(de));
}

void Repertoire::EffaceLigne(int ligne)
{
    m_lignes.at(static_cast<size_t>(ligne)).Efface();
}

void Repertoire::EchangeLignes(int a, int b)
{
    std::swap(m_lignes.at(static_cast<size_t>(a)), m_lignes.at(static_cast<size_t>(b)));
}

void Repertoire::SetFlagMail(int ligne, std::string_view flag)
{
    m_lignes.at(static_cast<size_t>(ligne)).flag = std::string(flag);
}

void Repertoire::Nouveau()
{
    m_lignes.resize(1);
    m_lignes.shrink_to_fit();
    m_lignes.push_back(LigneVide());
    m_lignes[0].flag = "0";
    m_fichier.clear();
    m_modifie = false;
    m_colonneTri = 0;
}

int Repertoire::AjouteFiche()
{
    m_lignes.push_back(LigneVide());
    return NbLignes() - 1;
}

int Repertoire::DupliqueFiche(int ligne)
{
    Ligne copie = m_lignes.at(static_cast<size_t>(ligne));
    copie.flag = "0";
    m_lignes.push_back(std::move(copie));
    return NbLignes() - 1;
}

void Repertoire::SupprimeLignes(int haut, int bas)
{
    if (haut < 1) haut = 1;
    if (bas > NbFiches()) bas = NbFiches();
    if (haut > bas) return;
    m_lignes.erase(m_lignes.begin() + haut, m_lignes.begin() + bas + 1);
    if (m_lignes.size() < 2) m_lignes.push_back(LigneVide());
}

void Repertoire::Permute(const std::vector<int>& ordre)
{
    const int n = NbFiches();
    if (static_cast<int>(ordre.size()) != n) throw std::invalid_argument("ordre");
    std::vector<char> vu(static_cast<size_t>(n) + 1, 0);
    for (int ancienne : ordre) {
        if (ancienne < 1 || ancienne > n || vu[static_cast<size_t>(ancienne)])
            throw std::invalid_argument("ordre");
        vu[static_cast<size_t>(ancienne)] = 1;
    }
    // In place, cycle by cycle: no copy of the book.
    std::vector<char> place(static_cast<size_t>(n) + 1, 0);
    for (int debut = 1; debut <= n; ++debut) {
        if (place[static_cast<size_t>(debut)]) continue;
        Ligne attente = std::move(m_lignes[static_cast<size_t>(debut)]);
        int j = debut;
        for (;;) {
            place[static_cast<size_t>(j)] = 1;
            const int k = ordre[static_cast<size_t>(j - 1)];
            if (k == debut) {
                m_lignes[static_cast<size_t>(j)] = std::move(attente);
                break;
            }
            m_lignes[static_cast<size_t>(j)] = std::move(m_lignes[static_cast<size_t>(k)]);
            j = k;
        }
    }
}

size_t Repertoire::OctetsUtilises() const
{
    size_t total = m_lignes.capacity() * sizeof(Ligne);
    for (const Ligne& l : m_lignes) {
        total += l.OctetsAlloues();
        if (l.flag.capacity() > 15) total += l.flag.capacity() + 1;
    }
    return total;
}
