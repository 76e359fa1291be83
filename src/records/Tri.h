#pragma once

#include "records/Repertoire.h"

#include <string_view>

// Sorting of the book's records on one column.
class Tri
{
public:
    // Shell's method with halving gaps and repeated exchange passes, keys compared as
    // unsigned bytes; whole rows move with their mailing flags. Equal keys end in
    // the order this method gives them, which is not a stable sort's.
    static void TriGrille(Repertoire& rep, int colonne);
    // <0, 0, >0 comparing bytes as unsigned; a prefix is smaller.
    static int CompareCles(std::string_view a, std::string_view b);
};
