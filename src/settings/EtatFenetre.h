#pragma once

#include "records/Champs.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>

// What the settings keep for the main window: applied at creation, handed back at
// the close.
struct EtatFenetre {
    QPoint positionFiche; // "fichex", "fichey": the window while a record page is shown
    QRect rectListe;      // "listex", "listey", "listew", "listeh"
    bool maxi = false;    // "Maxi"
    QString fichier;      // "DernierFichier"/"Fichier"
    bool trierEnEnregistrant = false;
    int lastRow = 1;
    QColor couleurGrille = QColor(255, 255, 255);
    std::array<int, NbColonnes> largeurs{}; // "Colonnes"/"Col" + n
};
