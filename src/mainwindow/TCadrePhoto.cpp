#include "TCadrePhoto.h"

#include <QPainter>

TCadrePhoto::TCadrePhoto(QWidget* parent) : QFrame(parent), m_legende(QStringLiteral("Photo"))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void TCadrePhoto::SetImage(const QImage& image)
{
    m_image = image;
    update();
}

void TCadrePhoto::SetLegende(const QString& legende)
{
    m_legende = legende;
    update();
}

QRect TCadrePhoto::RectangleImage(const QSize& image, const QRect& zone)
{
    if (image.isEmpty() || zone.isEmpty()) return {};
    const QSize taille = image.scaled(zone.size(), Qt::KeepAspectRatio);
    return QRect(zone.left() + (zone.width() - taille.width()) / 2,
                 zone.top() + (zone.height() - taille.height()) / 2, taille.width(),
                 taille.height());
}

void TCadrePhoto::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect zone = contentsRect();
    if (!m_image.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(RectangleImage(m_image.size(), zone), m_image);
        return;
    }
    if (m_legende.isEmpty()) return;
    QFont police = font();
    police.setPointSize(22);
    police.setBold(true);
    p.setFont(police);
    p.setPen(Qt::white);
    p.drawText(zone.translated(2, 2), Qt::AlignCenter, m_legende);
    p.setPen(palette().color(QPalette::Mid));
    p.drawText(zone, Qt::AlignCenter, m_legende);
}
