#pragma once

#include "settings/EcritureReglages.h"
#include "settings/EtatFenetre.h"

#include <QColor>

class Reglages;

// The main window's keys: read at creation, written at the close at their steps.
class ReglagesFiche
{
public:
    static EtatFenetre Lit(const Reglages& reglages, const EtatFenetre& defauts);
    // Registers the main window's steps of the write at close; `etat` is read when
    // the write runs.
    static void Contribue(EcritureReglages& ecriture, const EtatFenetre& etat);

    // Colours are stored as Windows colour values: blue in bits 16–23, green in
    // 8–15, red in 0–7.
    static int CouleurWindows(const QColor& couleur);
    static QColor DepuisWindows(int valeur, const QColor& defaut);
};
