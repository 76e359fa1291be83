#pragma once

#include <QString>

class SurfaceTexte;

// A printer text stream: text written line after line, laid out on the pages from
// the top-left corner of the printable area. A run too wide for the rest of the line
// is cut between two characters and goes on at the start of the next line; a line
// that would end too low starts a new page.
//
// The device turns a page only when something is drawn on the next one: a list whose
// last line fills a page, or a copy ending at a page break, leaves no blank sheet.
class FluxImpression
{
public:
    explicit FluxImpression(SurfaceTexte& surface);

    // Carriage returns draw nothing, line feeds end the line, form feeds end the
    // page, tabs move to the next tab stop.
    void Ecrit(const QString& texte);
    void FinLigne();
    // The next text goes to the top of a new page; a page still blank is kept and
    // its top used instead.
    void NouvellePage();

    int X() const { return m_x; }
    int Y() const { return m_y; }
    // Pages begun on the device.
    int Pages() const { return m_pages; }
    // Nothing drawn yet on the current page.
    bool PageVierge() const { return m_vierge; }
    // A page break the device refused: the job has failed.
    bool Echec() const { return m_echec; }

private:
    void EcritSegment(int debut, int fin);
    void Tabulation();
    void NouvelleLigne();

    SurfaceTexte& m_surface;
    int m_x = 0;
    int m_y = 0;
    int m_hauteurLigne = 0;
    int m_pages = 1;
    bool m_vierge = true;
    bool m_pageDue = false; // a page ended: the device turns it before the next drawing
    bool m_echec = false;
};
