#include "Pliage.h"

#include <cstring>

std::string Pliage::CodeLigne(std::string_view valeur, char c)
{
    std::string r;
    r.reserve(valeur.size());
    for (size_t i = 0; i < valeur.size(); ++i) {
        if (valeur[i] == '\r' && i + 1 < valeur.size() && valeur[i + 1] == '\n') {
            r.push_back(c);
            ++i;
        } else {
            r.push_back(valeur[i]);
        }
    }
    return r;
}

void Pliage::AjouteLigneDepliee(std::string& sortie, std::string_view ligne)
{
    const char* p = ligne.data();
    const char* const fin = p + ligne.size();
    while (p < fin) {
        const void* bel = std::memchr(p, '\a', static_cast<size_t>(fin - p));
        const char* q = bel ? static_cast<const char*>(bel) : fin;
        sortie.append(p, static_cast<size_t>(q - p));
        if (q == fin) break;
        sortie.append("\r\n", 2);
        p = q + 1;
    }
}
