#include "DessinEtiquette.h"

#include "records/CodePage.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace
{
constexpr int Drapeaux = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
constexpr double PointsParPouce = 72.0;
constexpr double EpaisseurCadre = 25.0; // a quarter of a millimetre
} // namespace

DessinEtiquette::DessinEtiquette(const QFont& police, const QColor& couleur, bool cadre)
    : m_police(police), m_couleur(couleur), m_cadre(cadre), m_reference(1, 1, QImage::Format_RGB32)
{
    m_police.setHintingPreference(QFont::PreferNoHinting);
    m_reference.setDotsPerMeterX(static_cast<int>(UnitesParMm * 1000));
    m_reference.setDotsPerMeterY(static_cast<int>(UnitesParMm * 1000));
}

QString DessinEtiquette::TexteQt(const std::string& texte)
{
    QString t = CodePage::VersUnicode(texte);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // The space that ends each line would push the centred block to the left.
    QStringList lignes = t.split(QLatin1Char('\n'));
    for (QString& l : lignes)
        while (l.endsWith(QLatin1Char(' ')))
            l.chop(1);
    while (!lignes.isEmpty() && lignes.constLast().isEmpty())
        lignes.removeLast();
    return lignes.join(QLatin1Char('\n'));
}

QFont DessinEtiquette::PoliceA(double taille) const
{
    QFont f = m_police;
    f.setPointSizeF(taille);
    return f;
}

DessinEtiquette::Ajustement DessinEtiquette::Ajuste(const QString& texte,
                                                    const QSizeF& etiquetteMm) const
{
    const QRectF zone(0, 0, etiquetteMm.width() * UnitesParMm, etiquetteMm.height() * UnitesParMm);
    Ajustement a;
    double taille = m_police.pointSizeF() > 0 ? m_police.pointSizeF() : 9.0;
    // Sizes step down by one point; the smallest ends the loop whatever the text.
    for (;;) {
        const QFontMetricsF fm(PoliceA(taille), &m_reference);
        const QRectF bloc = texte.isEmpty() ? QRectF() : fm.boundingRect(zone, Drapeaux, texte);
        a.taille = taille;
        a.bloc = bloc.size();
        if (bloc.width() <= zone.width() && bloc.height() <= zone.height()) return a;
        if (taille <= TailleMin) {
            a.rogne = true;
            return a;
        }
        taille = std::max(TailleMin, taille - 1.0);
    }
}

void DessinEtiquette::Dessine(QPainter& p, const QRectF& cible, const QSizeF& etiquetteMm,
                              const QString& texte) const
{
    Trace(p, cible, etiquetteMm, texte, Ajuste(texte, etiquetteMm));
}

void DessinEtiquette::Dessine(QPainter& p, const QRectF& cible, const QSizeF& etiquetteMm,
                              const QString& texte, const Ajustement& ajustement) const
{
    Trace(p, cible, etiquetteMm, texte, ajustement);
}

void DessinEtiquette::DessineSansAjuster(QPainter& p, const QRectF& cible,
                                         const QSizeF& etiquetteMm, const QString& texte) const
{
    Ajustement a;
    a.taille = m_police.pointSizeF() > 0 ? m_police.pointSizeF() : 9.0;
    Trace(p, cible, etiquetteMm, texte, a);
}

void DessinEtiquette::Trace(QPainter& p, const QRectF& cible, const QSizeF& etiquetteMm,
                            const QString& texte, const Ajustement& a) const
{
    const double w = etiquetteMm.width() * UnitesParMm;
    const double h = etiquetteMm.height() * UnitesParMm;
    if (w <= 0 || h <= 0 || cible.isEmpty()) return;
    p.save();
    p.translate(cible.topLeft());
    p.scale(cible.width() / w, cible.height() / h);
    if (m_cadre) {
        // Never thinner than one pixel of the target, inside the label.
        const double echelle = std::min(cible.width() / w, cible.height() / h);
        const double epaisseur = EpaisseurCadre * echelle >= 1.0 ? EpaisseurCadre : 0.0;
        p.setPen(QPen(Qt::black, epaisseur, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        const double m = epaisseur / 2;
        p.drawRect(QRectF(m, m, w - epaisseur, h - epaisseur));
    }
    if (!texte.isEmpty()) {
        p.setClipRect(QRectF(0, 0, w, h), Qt::IntersectClip);
        // The font's size in the label's units: its points, at 100 dots per mm.
        QFont f = m_police;
        const double unites = a.taille / PointsParPouce * 25.4 * UnitesParMm;
        f.setPointSizeF(unites * PointsParPouce / p.device()->logicalDpiY());
        p.setFont(f);
        p.setPen(m_couleur);
        p.setBackgroundMode(Qt::TransparentMode);
        const double x = std::max(0.0, std::floor((w - a.bloc.width()) / 2));
        const double y = std::max(0.0, std::floor((h - a.bloc.height()) / 2));
        // Wrapped at the label's width, as measured.
        p.drawText(QRectF(x, y, w, std::max(h, a.bloc.height())), Drapeaux, texte);
    }
    p.restore();
}
