#pragma once

#include "printing/MemoireGardee.h"

#include <QPainter>
#include <QString>
#include <memory>

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;
class SortieSure;

// One print job from its start to its end: the painter on the printer or, for a PDF
// file, on a PDF writer whose bytes go through the safe write, so that the file is
// put in place only when the job is done and a failed write is told with the
// system's reason. A job neither finished nor abandoned is abandoned when it goes.
class TravailImpression
{
public:
    explicit TravailImpression(QPrinter& imprimante);
    ~TravailImpression();
    TravailImpression(const TravailImpression&) = delete;
    TravailImpression& operator=(const TravailImpression&) = delete;

    // Starts the document with the printer's settings (file, page, orientation,
    // resolution, title); false with the French reason when it cannot start.
    bool Commence(QString* raison);
    QPainter& Peintre() { return m_peintre; }
    // What the painter draws on: the printer, or the PDF writer.
    QPagedPaintDevice& Device();
    // Starts a new page; false when the device refused it (see Raison).
    bool NouvellePage();
    // Why the job cannot go on, in French: the system's reason when the PDF file
    // could not be written.
    QString Raison() const;
    // Ends the document: empty on success, else the French reason (nothing is left
    // under the PDF file's name then).
    QString Termine();
    // Cancels: the printer drops the job, no PDF file is made.
    void Abandonne();

    // The PDF file, as an absolute path; empty for a printer.
    QString FichierPdf() const { return m_fichierPdf; }

private:
    QString EchecPdf(const QString& raison) const;

    MemoireGardee m_memoire;
    QPrinter& m_imprimante;
    QString m_fichierPdf;
    std::unique_ptr<SortieSure> m_sortie;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPainter m_peintre;
    bool m_encours = false;
};
