#pragma once

#include "CarteVCard.h"
#include "CodageVCard.h"
#include "records/Champs.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What one card holds for the book, by the mapping of CorrespondanceVCard: the 46
// fields, the properties the mapping has no field for (titled as they would head
// a column: "FN", "N (suffixe)", "TEL;TYPE=pager", "TEL;TYPE=home,voice (3e)"...),
// and the picture, left encoded until it is wanted.
struct FicheVCard {
    std::array<std::string, NbColonnes> champs; // Windows-1252
    struct Autre {
        std::string titre;  // Windows-1252
        std::string valeur; // Windows-1252
    };
    std::vector<Autre> autres; // the first NbAutres are this card's
    size_t nbAutres = 0;
    std::string_view imageBase64; // empty: no picture
    std::string_view imageType;   // the type the card gives, perhaps empty
};

// Reads a card into a FicheVCard. Fields of a group take their properties in
// file order, a property carrying X-CARNET-RANG the place it names; what does not
// fit is kept among the others. A card without N (or with an empty one) takes its
// FN as name, unless FN is only what the writer makes of the other fields. An
// imported picture proposes the file name the card gives it (X-CARNET-PHOTO) when
// it is a safe bare name, else one made from the card's names.
//
// One object reads card after card, keeping its working buffers.
class ClassementVCard
{
public:
    ClassementVCard();
    ~ClassementVCard();
    ClassementVCard(const ClassementVCard&) = delete;
    ClassementVCard& operator=(const ClassementVCard&) = delete;

    void Classe(const CarteVCard& carte, FicheVCard& fiche, CodageVCard::Bilan& bilan);
    // Property names hold letters, digits, "-" and "_" only; other lines are not
    // properties.
    static bool NomValide(std::string_view nom);

private:
    class Etat;
    std::unique_ptr<Etat> m_etat;
};
