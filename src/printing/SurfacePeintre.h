#pragma once

#include "printing/SurfaceTexte.h"

#include <QFont>
#include <QFontMetrics>
#include <QPointF>
#include <QRawFont>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;

// The print stream's surface on a painter that is active on a paged device (a
// printer, a PDF writer), in the painter's current font.
//
// Text in the usual fonts is shaped once, from the font's own glyphs and advances
// (kerning included): the same advances measure the cut at the right edge and place
// the glyphs drawn (at whole dots), and blanks are not drawn at all (they only move the
// glyphs after them). Fonts with effects (underline, strike-out), extra spacing or a stretch, and
// characters the font lacks or that are not plain (controls, the soft hyphen) go
// through the painter's general text layout instead, fonts taken in for the missing
// characters included.
class SurfacePeintre : public SurfaceTexte
{
public:
    // `pageSuivante` starts a new page (the device's own by default) and tells whether
    // the job can go on.
    SurfacePeintre(QPainter& peintre, QPagedPaintDevice& device,
                   std::function<bool()> pageSuivante = {});

    int LargeurPage() const override { return m_largeur; }
    int HauteurPage() const override { return m_hauteur; }
    int LargeurMoyenne() const override;
    int HauteurCaractere() const override;
    int HauteurTexte() const override;
    void Compose(const QString& texte) override;
    int Tient(int debut, int fin, int largeur, int& largeurTexte) override;
    void Dessine(int x, int y, int debut, int longueur) override;
    bool NouvellePage() override;

    // Whether the font's glyphs are placed directly (the usual fonts).
    bool Directe() const { return m_directe; }

private:
    void Prepare();
    bool PartieDirecte(int debut, int fin) const;
    qreal LargeurDirecte(int debut, int longueur) const;
    int TientGeneral(int debut, int fin, int largeur, int& largeurTexte) const;

    QPainter& m_peintre;
    QPagedPaintDevice& m_device;
    std::function<bool()> m_pageSuivante;
    QFont m_police;
    QFontMetrics m_mesures;
    QRawFont m_brute;
    bool m_directe = false;
    int m_largeur;
    int m_hauteur;
    int m_ascent;

    QString m_texte;
    bool m_prepare = false;
    // Per character of the text: its glyph; the sum of the advances before it, each
    // kerned with the glyph after it (one more entry: the whole text); its advance
    // alone; the count of characters before it that need the general layout.
    std::vector<quint32> m_glyphes;
    std::vector<qreal> m_cumul;
    std::vector<QPointF> m_avances;
    std::vector<QPointF> m_seules;
    std::vector<int> m_generaux;
    // What one drawing hands to the painter.
    std::vector<quint32> m_traceGlyphes;
    std::vector<QPointF> m_tracePositions;
};
