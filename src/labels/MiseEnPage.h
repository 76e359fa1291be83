#pragma once

#include "FormatEtiquette.h"

#include <QRectF>

// How a format's labels sit on an A4 portrait sheet (210 x 297 mm): the columns
// and rows that fit, counted exactly, and each label's rectangle in millimetres
// from the paper's top-left corner.
class MiseEnPage
{
public:
    static constexpr int LargeurFeuilleDixiemes = 2100;
    static constexpr int HauteurFeuilleDixiemes = 2970;
    static constexpr double LargeurFeuilleMm = 210.0;
    static constexpr double HauteurFeuilleMm = 297.0;

    MiseEnPage() = default;
    explicit MiseEnPage(const FormatEtiquette& format);

    int Colonnes() const { return m_colonnes; }
    int Lignes() const { return m_lignes; }
    int ParPlanche() const { return m_colonnes * m_lignes; }
    // False when no label fits: such a format cannot be printed.
    bool Utilisable() const { return ParPlanche() > 0; }

    // Column c and row r count from 1.
    QRectF RectangleMm(int colonne, int ligne) const;
    double LargeurMm() const { return m_largeur; }
    double HauteurMm() const { return m_hauteur; }

    // The integer part of (espace + feuille - marges) / (espace + etiquette), all
    // exact: lengths in tenths of a millimetre, the label's size an exact decimal.
    static int Combien(int feuilleDixiemes, int marge1, int marge2, int espace,
                       const FormatEtiquette::Decimal& etiquette);

    // The sheets needed for `nombre` labels when printing starts at the given
    // column and row of the first sheet; 0 when no label fits.
    int NombrePlanches(int nombre, int colonneDepart, int ligneDepart) const;

private:
    int m_colonnes = 0;
    int m_lignes = 0;
    double m_largeur = 0, m_hauteur = 0;
    double m_gauche = 0, m_haut = 0, m_pasX = 0, m_pasY = 0;
};
