#include "Arene.h"

#include "MemoireGrande.h"

Arene::Arene(size_t capacite)
    : m_octets(static_cast<char*>(MemoireGrande::Alloue(capacite))), m_capacite(capacite)
{
}

Arene::~Arene()
{
    MemoireGrande::Libere(m_octets, m_capacite);
}
