#include "TLibelleEffet.h"

#include <QPainter>

TLibelleEffet::TLibelleEffet(int pointSize, QWidget* parent) : QLabel(parent)
{
    QFont police = font();
    police.setPointSize(pointSize);
    police.setBold(true);
    setFont(police);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 128));
    setPalette(pal);
}

QSize TLibelleEffet::sizeHint() const
{
    return QLabel::sizeHint() + QSize(Decalage, Decalage);
}

void TLibelleEffet::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect zone = contentsRect().adjusted(1, 1, -Decalage, -Decalage);
    int drapeaux = static_cast<int>(alignment());
    if (wordWrap()) drapeaux |= Qt::TextWordWrap;
    // A long name takes a smaller type rather than being cut.
    QFont police = font();
    for (int points = police.pointSize(); points > 7; --points) {
        police.setPointSize(points);
        const QRect besoin = QFontMetrics(police).boundingRect(zone, drapeaux, text());
        if (besoin.width() <= zone.width() && besoin.height() <= zone.height()) break;
    }
    p.setFont(police);
    QString texte = text();
    if (!wordWrap()) texte = QFontMetrics(police).elidedText(texte, Qt::ElideRight, zone.width());
    p.setPen(palette().color(QPalette::Dark));
    p.drawText(zone.translated(Decalage, Decalage), drapeaux, texte);
    p.setPen(Qt::white);
    p.drawText(zone.translated(-1, -1), drapeaux, texte);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(zone, drapeaux, texte);
}
