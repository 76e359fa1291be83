#pragma once

#include <QString>

class QPrinter;

// What the print dialog returns: a printer of the system or a PDF file, the number
// of copies and whether the selection is printed.
struct ChoixImpression {
    QString imprimante; // empty: a PDF file
    QString fichierPdf;
    int copies = 1;
    bool selection = false;

    bool Pdf() const { return imprimante.isEmpty(); }
    // Points the printer at the chosen printer or PDF file, at its full resolution,
    // one copy (copies are printed by the program, each on its own pages).
    void Applique(QPrinter& imprimante) const;
    // The PDF file proposed for a book: beside it, with its short name; in the home
    // folder for an unnamed book.
    static QString PdfPropose(const QString& fichierLivre);
};
