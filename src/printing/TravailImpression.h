#pragma once

#include "ui/ImpressionSure.h"

#include <QPainter>
#include <QString>

class QPrinter;

// One print job from its start to its end: the painter on the printer and, for a
// PDF file, the safe write that puts the file in place only when the job is done.
// A job neither finished nor abandoned is abandoned when it goes.
class TravailImpression
{
public:
    explicit TravailImpression(QPrinter& imprimante);
    ~TravailImpression();
    TravailImpression(const TravailImpression&) = delete;
    TravailImpression& operator=(const TravailImpression&) = delete;

    // Starts the document; false with the French reason when it cannot start.
    bool Commence(QString* raison);
    QPainter& Peintre() { return m_peintre; }
    // Ends the document: empty on success, else the French reason (nothing is left
    // under the PDF file's name then).
    QString Termine();
    // Cancels: the printer drops the job, no PDF file is made.
    void Abandonne();

private:
    QPrinter& m_imprimante;
    ImpressionSure m_sure;
    QPainter m_peintre;
    bool m_encours = false;
};
