#pragma once

#include <QString>
#include <array>

// One label-sheet format: the label's size, carried only in its name "W" + "x" + "H"
// (millimetres, e.g. "70,0x42,4"), and six sheet parameters in tenths of a millimetre.
// The name's two numbers are read as exact decimals, so that the sheet arithmetic
// never loses a row of labels to binary rounding (7,0 read as 6,999...).
class FormatEtiquette
{
public:
    enum Parametre {
        MargeHaute,
        MargeBasse,
        MargeGauche,
        MargeDroite,
        EspaceVertical,
        EspaceHorizontal
    };
    static constexpr int NbParametres = 6;
    static constexpr int ParametreMax = 1000;

    // An exact decimal: mantisse / 10^decimales.
    struct Decimal {
        __int128 mantisse = 0;
        int decimales = 0;
        double EnDouble() const;
    };

    FormatEtiquette() = default;
    explicit FormatEtiquette(const QString& nom, const std::array<int, NbParametres>& p = {});

    const QString& Nom() const { return m_nom; }
    void SetNom(const QString& nom);
    int Parametre(int quel) const { return m_parametres[static_cast<size_t>(quel)]; }
    void SetParametre(int quel, int valeur) { m_parametres[static_cast<size_t>(quel)] = valeur; }
    const std::array<int, NbParametres>& Parametres() const { return m_parametres; }

    // Whether the name holds two positive numbers around the first "x".
    bool NomValide() const { return m_valide; }
    // The label's size; 0 when the name does not parse.
    const Decimal& LargeurExacte() const { return m_largeur; }
    const Decimal& HauteurExacte() const { return m_hauteur; }
    double Largeur() const { return m_largeur.EnDouble(); }
    double Hauteur() const { return m_hauteur.EnDouble(); }

    // The label size's number as the program writes it: one decimal, a comma.
    static QString Millimetres(int dixiemes);
    // "99,0x38,1" from slider positions in tenths of a millimetre.
    static QString NomDe(int largeurDixiemes, int hauteurDixiemes);
    // Reads a decimal number with a comma or a point; false for anything else, for
    // a negative number, and for more digits than the arithmetic can hold exactly.
    static bool LitDecimal(const QString& texte, Decimal& resultat);

    bool operator==(const FormatEtiquette& autre) const
    {
        return m_nom == autre.m_nom && m_parametres == autre.m_parametres;
    }

private:
    QString m_nom;
    std::array<int, NbParametres> m_parametres{};
    Decimal m_largeur, m_hauteur;
    bool m_valide = false;
};
