#pragma once

#include <cstddef>

// A large block that rows are written into one after the other, as a load or an
// import fills a book: one allocation for many rows instead of one each. Its space
// is handed out and never taken back; the whole block goes when the arena does.
// What is written there is never changed afterwards, so books sharing an arena
// (copies of one another) may read it at once.
class Arene
{
public:
    // Readers may read this many bytes past the last byte handed out.
    static constexpr size_t Marge = 16;

    // Throws std::bad_alloc when the system refuses.
    explicit Arene(size_t capacite);
    ~Arene();
    Arene(const Arene&) = delete;
    Arene& operator=(const Arene&) = delete;

    // `taille` bytes at a multiple of `alignement` (a power of two), with Marge bytes
    // after them still inside the block; nullptr when the block has no more room.
    char* Prend(size_t taille, size_t alignement)
    {
        const size_t debut = (m_utilises + alignement - 1) & ~(alignement - 1);
        if (debut > m_capacite || m_capacite - debut < taille + Marge) return nullptr;
        m_utilises = debut + taille;
        return m_octets + debut;
    }
    // For a writer that finds a row's size while writing it: the next free byte at
    // `alignement`, the end of what may be written from there (Marge bytes before
    // the block's end, so a word may still be written past it), then Engage once the
    // row is written up to `fin`.
    char* Libre(size_t alignement) const
    {
        const size_t debut = (m_utilises + alignement - 1) & ~(alignement - 1);
        return debut > m_capacite ? nullptr : m_octets + debut;
    }
    const char* Limite() const { return m_octets + m_capacite - Marge; }
    void Engage(const char* fin) { m_utilises = static_cast<size_t>(fin - m_octets); }
    size_t Utilises() const { return m_utilises; }
    size_t Capacite() const { return m_capacite; }

private:
    char* m_octets;
    size_t m_capacite;
    size_t m_utilises = 0;
};
