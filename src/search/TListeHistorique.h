#pragma once

class Historique;
class QComboBox;

// The drop-down box of a searcher over its history list.
class TListeHistorique
{
public:
    // Editable, inserting nothing by itself, completing nothing by itself.
    static void Prepare(QComboBox* boite);
    // The box's lines become the history's slots; its text stays as it was and no
    // line is current, so a change of a line never rewrites the text.
    static void Remplit(QComboBox* boite, const Historique& historique);
};
