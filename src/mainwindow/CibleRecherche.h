#pragma once

#include "records/Repertoire.h"

class QTabWidget;
class QWidget;
class TPagesFiche;

// What the searchers need of the main window.
class CibleRecherche
{
public:
    virtual ~CibleRecherche() = default;
    virtual const Repertoire& Livre() const = 0;
    // Makes (colonne, ligne) the grid's current cell, which shows the record.
    virtual void AllerA(int colonne, int ligne) = 0;
    virtual bool ListeAffichee() const = 0;
    virtual TPagesFiche* Pages() = 0;
    virtual QTabWidget* PageControl() = 0;
    virtual QWidget* Fenetre() = 0;
};
