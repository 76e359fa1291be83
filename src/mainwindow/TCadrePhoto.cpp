#include "TCadrePhoto.h"

#include <QPainter>
#include <QTimer>

namespace
{
// A picture that comes within this many milliseconds shows without the word
// "Chargement" flashing before it.
constexpr int DelaiMessage = 250;
} // namespace

TCadrePhoto::TCadrePhoto(QWidget* parent)
    : QFrame(parent), m_legende(QStringLiteral("Photo")), m_delai(new QTimer(this))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    m_delai->setSingleShot(true);
    m_delai->setInterval(DelaiMessage);
    connect(m_delai, &QTimer::timeout, this, [this] {
        m_attenteLongue = m_attente;
        update();
    });
}

void TCadrePhoto::SetImage(const QImage& image)
{
    m_image = image;
    m_attente = m_attenteLongue = false;
    m_delai->stop();
    update();
}

void TCadrePhoto::SetLegende(const QString& legende)
{
    m_legende = legende;
    update();
}

void TCadrePhoto::SetAttente()
{
    m_image = QImage();
    m_legende.clear();
    if (!m_attente) {
        m_attente = true;
        m_attenteLongue = false;
        m_delai->start();
    }
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
    if (m_attente) {
        if (!m_attenteLongue) return;
        p.setPen(palette().color(QPalette::Mid));
        p.drawText(zone, Qt::AlignCenter, QString::fromUtf8("Chargement…"));
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
