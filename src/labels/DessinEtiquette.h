#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <string>

class QPainter;

// Draws one address label: its frame when asked, and its text in the chosen font,
// made smaller one point at a time until the text, wrapped at words, fits the label;
// then centred and clipped to the label. The fitting is measured once, in the
// label's own millimetres, so printing and every preview choose the same size and
// the same line breaks whatever their resolution.
class DessinEtiquette
{
public:
    // Hundredths of a millimetre: the unit in which a label is measured.
    static constexpr double UnitesParMm = 100.0;
    static constexpr double TailleMin = 4.0;

    struct Ajustement {
        double taille = 0;  // points
        QSizeF bloc;        // the text block, in hundredths of a millimetre
        bool rogne = false; // even the smallest size does not fit: clipped
    };

    DessinEtiquette(const QFont& police, const QColor& couleur, bool cadre);

    Ajustement Ajuste(const QString& texte, const QSizeF& etiquetteMm) const;
    // `cible`: the label's rectangle in the painter's coordinates, standing for a
    // label of `etiquetteMm`.
    void Dessine(QPainter& p, const QRectF& cible, const QSizeF& etiquetteMm,
                 const QString& texte) const;
    // The same with the fitting already measured by Ajuste.
    void Dessine(QPainter& p, const QRectF& cible, const QSizeF& etiquetteMm, const QString& texte,
                 const Ajustement& ajustement) const;
    // The same, without fitting: the text at the chosen size (the benchmark's floor).
    void DessineSansAjuster(QPainter& p, const QRectF& cible, const QSizeF& etiquetteMm,
                            const QString& texte) const;

    // A label text in Windows-1252 with its carriage returns, as Qt draws it.
    static QString TexteQt(const std::string& texte);

    const QFont& Police() const { return m_police; }

private:
    QFont PoliceA(double taille) const;
    void Trace(QPainter& p, const QRectF& cible, const QSizeF& etiquetteMm, const QString& texte,
               const Ajustement& a) const;

    QFont m_police;
    QColor m_couleur;
    bool m_cadre;
    // A device of 100 dots per millimetre: fonts measured on it come out in hundredths
    // of a millimetre.
    QImage m_reference;
};
