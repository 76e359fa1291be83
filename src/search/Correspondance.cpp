#include "Correspondance.h"

Correspondance::Correspondance(std::string_view texte) : m_texte(texte)
{
    if (texte.empty()) return;
    m_premier = Majuscule(static_cast<unsigned char>(texte[0]));
    m_masque = (m_premier >= 'A' && m_premier <= 'Z') ? 0xDF : 0xFF;
}

bool Correspondance::Egaux(const QString& a, const QString& b)
{
    return a.size() == b.size() && CommencePar(a, b);
}

bool Correspondance::CommencePar(const QString& texte, const QString& debut)
{
    if (debut.size() > texte.size()) return false;
    for (qsizetype i = 0; i < debut.size(); ++i)
        if (Majuscule(texte[i]) != Majuscule(debut[i])) return false;
    return true;
}
