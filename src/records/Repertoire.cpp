#include "Repertoire.h"

#include <cstring>
#include <stdexcept>

Repertoire::Ligne Repertoire::LigneVide()
{
    return Ligne{};
}

Repertoire::Repertoire()
{
    Ligne entete;
    for (int c = 0; c < NbColonnes; ++c) {
        entete.octets += Champs::Titre(c);
        entete.fins[static_cast<size_t>(c)] = static_cast<uint32_t>(entete.octets.size());
    }
    m_lignes.push_back(std::move(entete));
    m_lignes.push_back(LigneVide());
}

std::string_view Repertoire::Cellule(int colonne, int ligne) const
{
    const Ligne& l = m_lignes.at(static_cast<size_t>(ligne));
    if (colonne < 0 || colonne >= NbColonnes) throw std::out_of_range("colonne");
    const uint32_t debut = colonne == 0 ? 0 : l.fins[static_cast<size_t>(colonne - 1)];
    return std::string_view(l.octets).substr(debut, l.fins[static_cast<size_t>(colonne)] - debut);
}

void Repertoire::SetCellule(int colonne, int ligne, std::string_view texte)
{
    Ligne& l = m_lignes.at(static_cast<size_t>(ligne));
    if (colonne < 0 || colonne >= NbColonnes) throw std::out_of_range("colonne");
    const uint32_t debut = colonne == 0 ? 0 : l.fins[static_cast<size_t>(colonne - 1)];
    const uint32_t ancien = l.fins[static_cast<size_t>(colonne)] - debut;
    l.octets.replace(debut, ancien, texte);
    const int64_t delta = static_cast<int64_t>(texte.size()) - ancien;
    for (int c = colonne; c < NbColonnes; ++c)
        l.fins[static_cast<size_t>(c)] =
            static_cast<uint32_t>(l.fins[static_cast<size_t>(c)] + delta);
}

void Repertoire::RemplitLigne(int ligne, const std::array<std::string_view, NbColonnes>& cellules)
{
    Ligne& l = m_lignes.at(static_cast<size_t>(ligne));
    size_t taille = 0;
    for (std::string_view c : cellules)
        taille += c.size();
    l.octets.resize(taille);
    char* w = l.octets.data();
    uint32_t fin = 0;
    for (size_t c = 0; c < cellules.size(); ++c) {
        const std::string_view cellule = cellules[c];
        // Most cells are a few bytes: copied inline rather than by a call.
        if (cellule.size() < 16) {
            for (char o : cellule)
                *w++ = o;
        } else {
            std::memcpy(w, cellule.data(), cellule.size());
            w += cellule.size();
        }
        fin += static_cast<uint32_t>(cellule.size());
        l.fins[c] = fin;
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
    Ligne& l = m_lignes.at(static_cast<size_t>(ligne));
    l.octets.clear();
    l.fins.fill(0);
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
        if (l.octets.capacity() > 15) total += l.octets.capacity() + 1;
        if (l.flag.capacity() > 15) total += l.flag.capacity() + 1;
    }
    return total;
}
