#pragma once

#include "records/MemoireGrande.h"
#include "records/Repertoire.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

// Width of a grid column fitted to its texts: the widest cell of every row, the
// header row included, followed by the letter "M", in the grid's font. Line
// breaks count as one space, as the grid shows them.
class MesureColonne
{
public:
    explicit MesureColonne(const QFont& police);

    int LargeurMax(const Repertoire& rep, int colonne);
    // The width of the text followed by "M", as the text is drawn.
    int Largeur(std::string_view texte);

    // The grid shows a cell on one line: each line break becomes one space.
    static QString SurUneLigne(const QString& texte);

private:
    // Sum of the characters' own advances, without shaping: a hundred times faster
    // than Largeur and equal to it for a text without kerning; kerning only narrows
    // a drawn text (by a pixel at most the other way, from rounding).
    int Estimation(std::string_view texte) const;

    QFontMetrics m_mesure;
    std::array<QChar, 256> m_unicode{};
    std::array<double, 256> m_avance{};
    double m_avanceM;
    QString m_tampon; // reused for every row
    // Each row's estimate, from the first pass to the second: 16 bits (a wider
    // estimate is computed again), in large pages for a large book, whose first
    // touch costs less than that of as many small pages.
    std::vector<uint16_t, MemoireGrande::Allocateur<uint16_t>> m_estimations;
};
