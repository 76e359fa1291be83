#pragma once

#include <string>

class Repertoire;

// The texts built from a record for the mailing, in Windows-1252 bytes: the line of
// the selection list and the address label. Fields are joined the same way in both:
// each non-empty field is appended, then one space unless the text already ends
// with one.
class TexteEtiquette
{
public:
    enum Genre { Personnelle = 0, ProNomPersonne = 1, ProSansNom = 2, Bancaire = 3 };
    static constexpr int NbGenres = 4;

    // "n : " then the name and address fields that are not empty.
    static std::string LigneChoix(const Repertoire& rep, int ligne);
    // At most four lines, each ended by a carriage return; empty lines left out.
    static std::string Compose(const Repertoire& rep, int ligne, int genre);
};
