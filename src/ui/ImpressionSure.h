#pragma once

#include <QString>

class QPrinter;

// A print to a PDF file goes through the same safe write as a save: the printer
// writes into a temporary file beside the chosen name, and only a finished job
// puts it in place. A failed or cancelled job leaves no half-written PDF under
// the chosen name and the previous file, if any, untouched. Printers that are
// not files are left as they are.
class ImpressionSure
{
public:
    explicit ImpressionSure(QPrinter& imprimante);
    // Abandons the job when neither Termine nor Abandonne was called.
    ~ImpressionSure();
    ImpressionSure(const ImpressionSure&) = delete;
    ImpressionSure& operator=(const ImpressionSure&) = delete;

    // Before the painter begins: false, with the French reason, when the
    // temporary file cannot be made (folder missing or not writable).
    bool Commence(QString* raison);
    // After the painter has ended: empty on success, else the French reason (the
    // temporary file is then removed).
    QString Termine();
    // A cancelled job: the temporary file is removed, the chosen name untouched.
    void Abandonne();

    // The file chosen by the user; empty for a real printer.
    const QString& Cible() const { return m_cible; }

private:
    QPrinter& m_imprimante;
    QString m_cible;
    QString m_temporaire;
};
