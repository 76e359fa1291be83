#pragma once

#include <string_view>
#include <vector>

enum class VersionVCard { V21, V30, V40 };

// One content line of a card, unfolded: "groupe.NOM;parametres:valeur". The views
// point into the buffer the reader was given, which must outlive them.
struct ProprieteVCard {
    std::string_view groupe;     // "item1" in "item1.EMAIL", else empty
    std::string_view nom;        // as written (compare without case)
    std::string_view parametres; // the raw text between the name and ":", ";" first
    std::string_view valeur;     // raw: still escaped and encoded
};

// The properties of one card, in file order, BEGIN, END and nested cards left out.
struct CarteVCard {
    std::vector<ProprieteVCard> proprietes;
    VersionVCard version = VersionVCard::V30;
    long long numero = 0; // 1 for the file's first card
    bool terminee = true; // false: the file ended before its END:VCARD
};
