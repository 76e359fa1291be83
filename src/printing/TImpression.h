#pragma once

#include "printing/ChoixImpression.h"
#include "printing/PageImprimee.h"
#include "printing/PlageCellules.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <functional>

class QPainter;
class QPrinter;
class QProgressDialog;
class TCopyOpt;
class TDialogueImpression;
class TFiche;
class TravailImpression;

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

    bool Imprimer1Click();
    // The list, or the grid's block, on landscape pages in a font the user picks.
    // True when the job was printed; a failure is told in a message box.
    bool ImprimeListe();
    // The record page shown, on one portrait page.
    bool ImprimeFiche();
    // The record page shown as the print takes it.
    PageImprimee Releve() const;
    // Draws `page` on the painter's device (a printer, or any surface), scaled from
    // the window's pixels per inch to the device's, axis by axis.
    void DessineFiche(QPainter& peintre, const PageImprimee& page) const;

    // The print dialog and the font dialog; tests replace them.
    std::function<bool(ChoixImpression& choix, int options)> ChoisitImpression;
    std::function<bool(QFont& police)> ChoisitPolice;
    // The progress window of a long job while it runs; nullptr otherwise.
    QProgressDialog* Progression() const { return m_progression; }
    // How long a job runs before its progress window shows.
    int DelaiProgression = 500;

private:
    ChoixImpression ChoixPropose() const;
    void Echec(const QString& raison);
    // After a PDF was written: where it is.
    void DitFichierPdf(const TravailImpression& travail, const QString& quoi);

    static void MetDansPressePapiers(const std::string& octets);

    TFiche& m_fiche;
    TCopyOpt& m_copyOpt;
    TDialogueImpression* m_dialogue;
    ChoixImpression m_dernierChoix;
    QProgressDialog* m_progression = nullptr;
};
