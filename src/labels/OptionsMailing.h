#pragma once

#include <QColor>
#include <QFont>

class Reglages;

// The mailing assistant's remembered choices: the address kind, the frame, the
// label font and its colour, and the printer's calibration shift.
struct OptionsMailing {
    int genre = 0;
    bool cadre = false;
    QFont police;
    QColor couleur = Qt::black;
    // Tenths of a millimetre added to every label's position on paper only.
    int decalageX = 0;
    int decalageY = 0;

    static constexpr int DecalageMax = 50;
    static constexpr double TaillePoliceMin = 4;
    static constexpr double TaillePoliceMax = 144;

    OptionsMailing();

    // "Options" ("Cadre", "Adresse", the shifts) and "Police"; odd values fall back
    // to their defaults.
    void Lit(const Reglages& r);
    void EcritOptions(Reglages& r) const;
    void EcritPolice(Reglages& r) const;

    // The colour as the settings hold it: 0x00BBGGRR.
    static int CouleurVersEntier(const QColor& c);
    static QColor EntierVersCouleur(int valeur);
    // The height convention of the settings: minus the character height in pixels
    // on a 96 dpi screen.
    static int HauteurDeTaille(double points);
};
