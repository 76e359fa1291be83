#include "Repertoire.h"

#include "Arene.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace
{
// An arena opened for rows written one by one (an import) starts at this size and
// grows with the book, so a large import takes few of them.
constexpr size_t ArenePetite = size_t(4) << 20;
constexpr size_t AreneGrande = size_t(256) << 20;
} // namespace

// --- Ligne -----------------------------------------------------------------------------

const uint16_t* Repertoire::Ligne::FinsVides()
{
    static const std::array<uint16_t, NbColonnes> vides{};
    return vides.data();
}

void Repertoire::Ligne::Libere() noexcept
{
    if (m_bloc && Possede()) delete[] reinterpret_cast<uint32_t*>(m_bloc);
    m_bloc = nullptr;
    m_etat = 0;
}

// A block of the book's arenas is shared (the arenas live as long as the book and
// its copies); a block of its own is copied.
void Repertoire::Ligne::CopieDe(const Ligne& autre)
{
    SetFlag(autre.Flag());
    if (!autre.m_bloc) {
        Libere();
    } else if (!autre.Possede()) {
        Libere();
        m_bloc = autre.m_bloc;
        m_etat = autre.m_etat;
    } else {
        const Fins f = autre.LesFins();
        std::array<uint32_t, NbColonnes> fins;
        for (size_t c = 0; c < fins.size(); ++c)
            fins[c] = f[c];
        Assigne(autre.Octets(), fins.data());
    }
}

Repertoire::Ligne::Ligne(const Ligne& autre)
{
    CopieDe(autre);
}

Repertoire::Ligne& Repertoire::Ligne::operator=(const Ligne& autre)
{
    if (this != &autre) CopieDe(autre);
    return *this;
}

Repertoire::Ligne::Ligne(Ligne&& autre) noexcept
    : m_bloc(autre.m_bloc), m_flagLong(autre.m_flagLong), m_tailleFlag(autre.m_tailleFlag),
      m_etat(autre.m_etat)
{
    std::memcpy(m_flag, autre.m_flag, sizeof m_flag);
    autre.m_bloc = nullptr;
    autre.m_flagLong = nullptr;
    autre.m_etat = 0;
}

Repertoire::Ligne& Repertoire::Ligne::operator=(Ligne&& autre) noexcept
{
    if (this == &autre) return *this;
    Libere();
    delete m_flagLong;
    m_bloc = autre.m_bloc;
    m_flagLong = autre.m_flagLong;
    std::memcpy(m_flag, autre.m_flag, sizeof m_flag);
    m_tailleFlag = autre.m_tailleFlag;
    m_etat = autre.m_etat;
    autre.m_bloc = nullptr;
    autre.m_flagLong = nullptr;
    autre.m_etat = 0;
    return *this;
}

void Repertoire::Ligne::SetFlag(std::string_view flag)
{
    if (flag.size() <= sizeof m_flag) {
        delete m_flagLong;
        m_flagLong = nullptr;
        std::memcpy(m_flag, flag.data(), flag.size());
        m_tailleFlag = static_cast<uint8_t>(flag.size());
    } else if (m_flagLong) {
        m_flagLong->assign(flag);
    } else {
        m_flagLong = new std::string(flag);
    }
}

void Repertoire::Ligne::Assigne(std::string_view cellules, const uint32_t* fins)
{
    if (cellules.empty()) {
        Libere();
        return;
    }
    // The source may be this row's own block: it goes only once copied.
    const bool larges = FinsLarges(cellules.size());
    const size_t tailleFins = TailleFins(larges);
    const size_t mots = (tailleFins + cellules.size() + MargeLecture + 3) / 4;
    char* bloc = reinterpret_cast<char*>(new uint32_t[mots]);
    if (larges) {
        std::memcpy(bloc, fins, tailleFins);
    } else {
        auto* courtes = reinterpret_cast<uint16_t*>(bloc);
        for (size_t c = 0; c < NbColonnes; ++c)
            courtes[c] = static_cast<uint16_t>(fins[c]);
    }
    std::memcpy(bloc + tailleFins, cellules.data(), cellules.size());
    Libere();
    m_bloc = bloc;
    m_etat = static_cast<uint8_t>(Propre | (larges ? FinsEn32 : 0));
}

void Repertoire::Ligne::Pointe(char* bloc, bool larges)
{
    Libere();
    m_bloc = bloc;
    m_etat = larges ? FinsEn32 : 0;
}

size_t Repertoire::Ligne::OctetsAlloues() const
{
    size_t total = m_flagLong ? m_flagLong->capacity() + sizeof(std::string) : 0;
    if (m_bloc && Possede()) total += TailleFins(Larges()) + Octets().size() + MargeLecture;
    return total;
}

// --- Repertoire ------------------------------------------------------------------------

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
    m_lignes.emplace_back();
}

char* Repertoire::PlaceEnArene(size_t taille, size_t alignement)
{
    if (!m_arenes.empty() && m_arenes.back().use_count() == 1)
        if (char* p = m_arenes.back()->Prend(taille, alignement)) return p;
    size_t dejaPris = 0;
    for (const auto& a : m_arenes)
        dejaPris += a->Utilises();
    const size_t besoin = taille + alignement + Arene::Marge;
    const size_t capacite = std::max(besoin, std::clamp(dejaPris, ArenePetite, AreneGrande));
    auto arene = std::make_shared<Arene>(capacite);
    char* p = arene->Prend(taille, alignement);
    // A row larger than the usual arena gets one of its own, and the open one stays open.
    if (besoin > ArenePetite && !m_arenes.empty() && m_arenes.back().use_count() == 1)
        m_arenes.insert(m_arenes.end() - 1, std::move(arene));
    else
        m_arenes.push_back(std::move(arene));
    return p;
}

void Repertoire::OuvreArene(size_t capacite)
{
    m_arenes.push_back(std::make_shared<Arene>(capacite));
}

std::string_view Repertoire::Cellule(int colonne, int ligne) const
{
    const Ligne& l = m_lignes.at(static_cast<size_t>(ligne));
    if (colonne < 0 || colonne >= NbColonnes) throw std::out_of_range("colonne");
    const Fins fins = l.LesFins();
    const uint32_t debut = colonne == 0 ? 0 : fins[static_cast<size_t>(colonne - 1)];
    return l.Octets().substr(debut, fins[static_cast<size_t>(colonne)] - debut);
}

void Repertoire::SetCellule(int colonne, int ligne, std::string_view texte)
{
    Ligne& l = m_lignes.at(static_cast<size_t>(ligne));
    if (colonne < 0 || colonne >= NbColonnes) throw std::out_of_range("colonne");
    const Fins anciennes = l.LesFins();
    const std::string_view octets = l.Octets();
    const uint32_t debut = colonne == 0 ? 0 : anciennes[static_cast<size_t>(colonne - 1)];
    const uint32_t fin = anciennes[static_cast<size_t>(colonne)];
    std::string cellules;
    cellules.reserve(octets.size() - (fin - debut) + texte.size());
    cellules.append(octets.substr(0, debut)).append(texte).append(octets.substr(fin));
    std::array<uint32_t, NbColonnes> fins;
    const int64_t delta = static_cast<int64_t>(texte.size()) - (fin - debut);
    for (size_t c = 0; c < fins.size(); ++c)
        fins[c] = static_cast<int>(c) < colonne ? anciennes[c]
                                                : static_cast<uint32_t>(anciennes[c] + delta);
    l.Assigne(cellules, fins.data());
}

void Repertoire::RemplitLigne(int ligne, const std::array<std::string_view, NbColonnes>& cellules,
                              bool margeSource)
{
    Ligne& l = m_lignes.at(static_cast<size_t>(ligne));
    size_t taille = 0;
    for (std::string_view c : cellules)
        taille += c.size();
    if (taille == 0) {
        l.Efface();
        return;
    }
    const bool larges = Ligne::FinsLarges(taille);
    const size_t tailleFins = Ligne::TailleFins(larges);
    // The arena keeps Marge bytes past every place it hands out: a cell may be
    // written a word at a time past its end, what follows overwrites the extra.
    static_assert(Arene::Marge >= 16, "cells are copied 16 bytes at a time");
    char* bloc = PlaceEnArene(tailleFins + taille, larges ? 4 : 2);
    char* w = bloc + tailleFins;
    uint32_t fin = 0;
    for (size_t c = 0; c < cellules.size(); ++c) {
        const std::string_view cellule = cellules[c];
        if (margeSource && !cellule.empty()) {
            size_t i = 0;
            do {
                std::memcpy(w + i, cellule.data() + i, 16);
                i += 16;
            } while (i < cellule.size());
        } else if (!cellule.empty()) {
            std::memcpy(w, cellule.data(), cellule.size());
        }
        w += cellule.size();
        fin += static_cast<uint32_t>(cellule.size());
        if (larges)
            reinterpret_cast<uint32_t*>(bloc)[c] = fin;
        else
            reinterpret_cast<uint16_t*>(bloc)[c] = static_cast<uint16_t>(fin);
    }
    l.Pointe(bloc, larges);
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
    m_lignes.at(static_cast<size_t>(ligne)).SetFlag(flag);
}

void Repertoire::Nouveau()
{
    m_lignes.resize(1);
    m_lignes.shrink_to_fit();
    // The titles get a block of their own, so the arenas can go.
    Ligne& entete = m_lignes[0];
    if (!entete.Possede()) {
        const Fins f = entete.LesFins();
        std::array<uint32_t, NbColonnes> fins;
        for (size_t c = 0; c < fins.size(); ++c)
            fins[c] = f[c];
        entete.Assigne(entete.Octets(), fins.data());
    }
    m_arenes.clear();
    m_arenes.shrink_to_fit();
    m_lignes.emplace_back();
    m_lignes[0].SetFlag("0");
    m_fichier.clear();
    m_modifie = false;
    m_colonneTri = 0;
}

int Repertoire::AjouteFiche()
{
    m_lignes.emplace_back();
    return NbLignes() - 1;
}

int Repertoire::DupliqueFiche(int ligne)
{
    Ligne copie = m_lignes.at(static_cast<size_t>(ligne));
    copie.SetFlag("0");
    m_lignes.push_back(std::move(copie));
    return NbLignes() - 1;
}

void Repertoire::SupprimeLignes(int haut, int bas)
{
    if (haut < 1) haut = 1;
    if (bas > NbFiches()) bas = NbFiches();
    if (haut > bas) return;
    m_lignes.erase(m_lignes.begin() + haut, m_lignes.begin() + bas + 1);
    if (m_lignes.size() < 2) m_lignes.emplace_back();
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
    for (const Ligne& l : m_lignes)
        total += l.OctetsAlloues();
    for (const auto& a : m_arenes)
        total += a->Utilises();
    return total;
}

int Repertoire::LignesHorsArene() const
{
    int n = 0;
    for (const Ligne& l : m_lignes)
        n += l.Possede();
    return n;
}
