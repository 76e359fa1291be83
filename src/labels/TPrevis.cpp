#include "TPrevis.h"

#include "RenduPlanche.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

TPrevis::TPrevis(QWidget* parent)
    : QDialog(parent), m_zone(0, 0, MiseEnPage::LargeurFeuilleMm, MiseEnPage::HauteurFeuilleMm)
{
    setObjectName(QStringLiteral("Previs"));
    setWindowTitle(QString::fromUtf8("Feuille d'étiquettes"));
    setModal(true);
    AjusteLargeur();
}

// A window as narrow as the thumbnail cuts its title ("Feuille...1 mm"): the window
// takes the title's width, with room for the title bar's buttons, and centres the
// thumbnail.
void TPrevis::AjusteLargeur()
{
    QFont gras = font();
    gras.setBold(true);
    const int titre = QFontMetrics(gras).horizontalAdvance(windowTitle()) + 130;
    setFixedSize(std::clamp(titre, int(LargeurImage), 4 * LargeurImage), HauteurImage);
}

QPoint TPrevis::OrigineImage() const
{
    return QPoint((width() - LargeurImage) / 2, 0);
}

void TPrevis::Alimente(const FormatEtiquette& format, const QString& taille)
{
    m_page = MiseEnPage(format);
    setWindowTitle(QString::fromUtf8("Feuille d'étiquettes %1 mm").arg(taille));
    AjusteLargeur();
    update();
}

void TPrevis::SetZoneImprimable(const QRectF& zoneMm)
{
    m_zone = zoneMm;
    update();
}

void TPrevis::SetDepart(int colonne, int ligne)
{
    m_colonne = std::clamp(colonne, 1, std::max(1, m_page.Colonnes()));
    m_ligne = std::clamp(ligne, 1, std::max(1, m_page.Lignes()));
    update();
}

QRect TPrevis::Rectangle(int colonne, int ligne) const
{
    const double kx = LargeurImage / MiseEnPage::LargeurFeuilleMm;
    const double ky = HauteurImage / MiseEnPage::HauteurFeuilleMm;
    const QRectF mm = m_page.RectangleMm(colonne, ligne);
    return QRect(QPoint(qRound(mm.left() * kx), qRound(mm.top() * ky)),
                 QPoint(qRound(mm.right() * kx) - 1, qRound(mm.bottom() * ky) - 1));
}

QImage TPrevis::Image() const
{
    QImage image(LargeurImage, HauteurImage, QImage::Format_RGB32);
    image.fill(QColor(0, 255, 255));
    QPainter p(&image);
    const double kx = LargeurImage / MiseEnPage::LargeurFeuilleMm;
    const double ky = HauteurImage / MiseEnPage::HauteurFeuilleMm;
    RenduPlanche::DessineZoneImprimable(p, m_zone, kx, ky);
    if (m_page.Utilisable()) {
        p.setPen(Qt::black);
        for (int r = 1; r <= m_page.Lignes(); ++r)
            for (int c = 1; c <= m_page.Colonnes(); ++c) {
                const bool depart = m_mode == Depart && c == m_colonne && r == m_ligne;
                p.setBrush(depart ? Qt::red : Qt::white);
                p.drawRect(Rectangle(c, r));
            }
        RenduPlanche::DessineZoneImprimable(p, m_zone, kx, ky);
    }
    return image;
}

void TPrevis::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.drawImage(OrigineImage(), Image());
}

void TPrevis::mousePressEvent(QMouseEvent* e)
{
    if (m_mode != Depart || e->button() != Qt::LeftButton) return;
    const QPoint point = e->position().toPoint() - OrigineImage();
    for (int r = 1; r <= m_page.Lignes(); ++r)
        for (int c = 1; c <= m_page.Colonnes(); ++c)
            if (Rectangle(c, r).adjusted(0, 0, 1, 1).contains(point)) {
                m_colonne = c;
                m_ligne = r;
                update();
                emit DepartChange();
                return;
            }
}
