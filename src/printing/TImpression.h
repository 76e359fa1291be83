#pragma once

#include "printing/PlageCellules.h"

#include <QObject>
#include <QString>

class TCopyOpt;
class TFiche;

// The copy and print commands of the main window: "&Copie intelligente..." /
// "&Copier" and "&Imprimer la fiche courante..." / "&Imprimer...", with their tool
// buttons. Each acts on the record shown or, on the list page, on the list.
class TImpression : public QObject
{
    Q_OBJECT
public:
    TImpression(TFiche& fiche, TCopyOpt& copyOpt, QObject* parent = nullptr);

    void Copier1Click();
    // The record shown, through the options dialog; false when it was cancelled.
    bool CopieFiche();
    // The grid's block, or the whole book when one cell is selected.
    void CopieListe();

    // The grid's selected block (the current cell when nothing is selected).
    PlageCellules PlageGrille() const;

private:
    static void MetDansPressePapiers(const std::string& octets);

    TFiche& m_fiche;
    TCopyOpt& m_copyOpt;
};
