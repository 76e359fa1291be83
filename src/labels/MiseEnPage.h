#pragma once

#include "FormatEtiquette.h"

#include <QRectF>
#include <QString>

// How a format's labels sit on an A4 portrait sheet (210 x 297 mm): the columns
// and rows that fit, counted exactly, and each label's rectangle in millimetres
// from the paper's top-left corner.
//
// Makers publish their sheets' sizes rounded to a tenth of a millimetre, so that
// margins, labels and spacings entered as published may add up to a little more than
// the sheet. A column or a row that misses by at most half a millimetre still counts:
// the difference is taken from the two outer margins (half each, as far as each
// goes), which moves the labels by at most a quarter of a millimetre.
class MiseEnPage
{
public:
    static constexpr int LargeurFeuilleDixiemes = 2100;
    static constexpr int HauteurFeuilleDixiemes = 2970;
    static constexpr double LargeurFeuilleMm = 210.0;
    static constexpr double HauteurFeuilleMm = 297.0;
    // What a column or a row may miss by and still count, in tenths of a millimetre.
    static constexpr int ToleranceDixiemes = 5;

    MiseEnPage() = default;
    explicit MiseEnPage(const FormatEtiquette& format);

    int Colonnes() const { return m_colonnes; }
    int Lignes() const { return m_lignes; }
    int ParPlanche() const { return m_colonnes * m_lignes; }
    // False when no label fits: such a format cannot be printed.
    bool Utilisable() const { return ParPlanche() > 0; }
    // How much the outer margins were reduced to count the last column (row), in mm.
    double AjustementLargeurMm() const { return m_ajusteX; }
    double AjustementHauteurMm() const { return m_ajusteY; }

    // Column c and row r count from 1.
    QRectF RectangleMm(int colonne, int ligne) const;
    double LargeurMm() const { return m_largeur; }
    double HauteurMm() const { return m_hauteur; }

    // How many labels of one axis fit: the integer part of
    // (espace + feuille - marges) / (espace + etiquette), one more when that one misses
    // by at most the tolerance, all exact (lengths in tenths of a millimetre, the
    // label's size an exact decimal). `manqueMm` receives that miss, or 0.
    static int Combien(int feuilleDixiemes, int marge1, int marge2, int espace,
                       const FormatEtiquette::Decimal& etiquette, double* manqueMm = nullptr);

    // The sheets needed for `nombre` labels when printing starts at the given
    // column and row of the first sheet; 0 when no label fits.
    int NombrePlanches(int nombre, int colonneDepart, int ligneDepart) const;

    // What a format gives, in one line for the windows: "3 × 7 = 21 étiquettes par
    // planche", with the margins' adjustment when there is one, or why none fits.
    static QString Resume(const FormatEtiquette& format);
    // A length in mm as the windows write it: "0,1", "0,25".
    static QString Millimetres(double mm);

private:
    int m_colonnes = 0;
    int m_lignes = 0;
    double m_largeur = 0, m_hauteur = 0;
    double m_gauche = 0, m_haut = 0, m_pasX = 0, m_pasY = 0;
    double m_ajusteX = 0, m_ajusteY = 0;
};
