#include "TFpPrev.h"

#include "MiseEnPage.h"
#include "RenduPlanche.h"
#include "ui/CurseurOccupe.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>

TFpPrev::TFpPrev(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FpPrev"));
    setModal(true);
    auto* barre = new QToolBar(this);
    auto action = [this, barre](QStyle::StandardPixmap icone, const char* conseil,
                                const char* nom) {
        QAction* a = barre->addAction(style()->standardIcon(icone), QString::fromUtf8(conseil));
        a->setObjectName(QLatin1String(nom));
        a->setToolTip(QString::fromUtf8(conseil));
        return a;
    };
    m_premiere = action(QStyle::SP_MediaSkipBackward, "Première feuille", "Premiere");
    m_precedente = action(QStyle::SP_MediaSeekBackward, "Feuille précédente", "Precedente");
    m_suivante = action(QStyle::SP_MediaSeekForward, "Feuille suivante", "Suivante");
    m_derniere = action(QStyle::SP_MediaSkipForward, "Dernière feuille", "Derniere");
    m_zoom = action(QStyle::SP_TitleBarMaxButton, "Vue à 100%", "Zoom");
    m_zoom->setCheckable(true);
    QAction* fermer = action(QStyle::SP_DialogCloseButton, "Fermer", "Fermer");

    m_page = new QLabel;
    m_page->setObjectName(QStringLiteral("Page"));
    m_page->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_page->setAlignment(Qt::AlignCenter);
    m_defilement = new QScrollArea(this);
    m_defilement->setWidget(m_page);
    m_defilement->setAlignment(Qt::AlignCenter);
    m_defilement->setWidgetResizable(false);

    m_avis = new QLabel(this);
    m_avis->setObjectName(QStringLiteral("Avis"));
    m_avis->setStyleSheet(QStringLiteral("color: red"));
    m_avis->setWordWrap(true);
    m_avis->hide();

    auto* colonne = new QVBoxLayout(this);
    colonne->setContentsMargins(4, 4, 4, 4);
    colonne->addWidget(barre);
    colonne->addWidget(m_avis);
    colonne->addWidget(m_defilement, 1);

    connect(m_premiere, &QAction::triggered, this, [this] { AllerA(1); });
    connect(m_precedente, &QAction::triggered, this, [this] { AllerA(m_planche - 1); });
    connect(m_suivante, &QAction::triggered, this, [this] { AllerA(m_planche + 1); });
    connect(m_derniere, &QAction::triggered, this, [this] { AllerA(NombrePlanches()); });
    connect(m_zoom, &QAction::toggled, this, &TFpPrev::Zoom);
    connect(fermer, &QAction::triggered, this, &QDialog::accept);
    m_page->setFixedSize(m_taille + QSize(2, 2));
    m_defilement->setFixedSize(m_taille + QSize(24, 24));
    setMinimumWidth(300); // the caption shows whole
}

void TFpPrev::Prepare(const RenduPlanche* rendu, const QRectF& zoneImprimableMm)
{
    m_rendu = rendu;
    m_zone = zoneImprimableMm;
    m_planche = 1;
    if (m_zoom->isChecked()) {
        // Back to the reduced view without showing the window.
        const QSignalBlocker bloque(m_zoom);
        m_zoom->setChecked(false);
        m_zoom->setToolTip(QString::fromUtf8("Vue à 100%"));
        m_zoom->setText(QString::fromUtf8("Vue à 100%"));
        m_taille = QSize(LargeurReduite, HauteurReduite);
        m_page->setFixedSize(m_taille + QSize(2, 2));
        m_defilement->setFixedSize(m_taille + QSize(24, 24));
        setWindowState(Qt::WindowNoState);
        if (m_geometrieReduite.isValid()) setGeometry(m_geometrieReduite);
    }
    const int rognees = m_rendu ? m_rendu->Rognees() : 0;
    m_avis->setText(
        rognees == 0 ? QString()
                     : TexteRognees(rognees, m_rendu->NombreEtiquettes()) +
                           (rognees == 1 ? QString::fromUtf8(" Elle est encadrée de rouge.")
                                         : QString::fromUtf8(" Elles sont encadrées de rouge.")));
    m_avis->setVisible(rognees > 0);
    if (m_rendu) Dessine();
}

QString TFpPrev::TexteRognees(int rognees, int total)
{
    return rognees == 1
               ? QString::fromUtf8("1 étiquette sur %1 a un texte trop long, même en %2 points : "
                                   "il est coupé au bord de l'étiquette.")
                     .arg(total)
                     .arg(DessinEtiquette::TailleMin)
               : QString::fromUtf8("%1 étiquettes sur %2 ont un texte trop long, même en %3 "
                                   "points : il est coupé au bord de l'étiquette.")
                     .arg(rognees)
                     .arg(total)
                     .arg(DessinEtiquette::TailleMin);
}

int TFpPrev::NombrePlanches() const
{
    return m_rendu ? m_rendu->NombrePlanches() : 0;
}

void TFpPrev::AllerA(int planche)
{
    if (planche < 1 || planche > NombrePlanches()) return;
    m_planche = planche;
    Dessine();
}

QImage TFpPrev::DessinePlanche(const RenduPlanche& rendu, const QRectF& zoneMm, int planche,
                               const QSize& taille)
{
    QImage image(taille, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double kx = taille.width() / MiseEnPage::LargeurFeuilleMm;
    const double ky = taille.height() / MiseEnPage::HauteurFeuilleMm;
    rendu.Dessine(p, planche, kx, ky, QPointF(), true);
    RenduPlanche::DessineZoneImprimable(p, zoneMm, kx, ky);
    return image;
}

QImage TFpPrev::Image() const
{
    if (!m_rendu) return QImage();
    return DessinePlanche(*m_rendu, m_zone, m_planche, m_taille);
}

void TFpPrev::Dessine()
{
    CurseurOccupe occupe;
    const int n = NombrePlanches();
    m_premiere->setEnabled(m_planche >= 2);
    m_precedente->setEnabled(m_planche >= 2);
    m_suivante->setEnabled(m_planche < n);
    m_derniere->setEnabled(m_planche < n);
    setWindowTitle(QString::fromUtf8("Planche d'étiquettes n°%1/%2").arg(m_planche).arg(n));
    m_page->setPixmap(QPixmap::fromImage(Image()));
}

void TFpPrev::Zoom(bool pleine)
{
    if (pleine) {
        m_geometrieReduite = geometry();
        m_zoom->setToolTip(QString::fromUtf8("Vue réduite"));
        m_zoom->setText(QString::fromUtf8("Vue réduite"));
        // The A4 page at its real size on this screen.
        const double r = logicalDpiX();
        m_taille = QSize(static_cast<int>(std::lround(r * 210 / 25.4)),
                         static_cast<int>(std::lround(logicalDpiY() * 297 / 25.4)));
        m_defilement->setMinimumSize(0, 0);
        m_defilement->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_page->setFixedSize(m_taille + QSize(16, 16));
        showMaximized();
    } else {
        m_zoom->setToolTip(QString::fromUtf8("Vue à 100%"));
        m_zoom->setText(QString::fromUtf8("Vue à 100%"));
        m_taille = QSize(LargeurReduite, HauteurReduite);
        m_page->setFixedSize(m_taille + QSize(2, 2));
        m_defilement->setFixedSize(m_taille + QSize(24, 24));
        showNormal();
        if (m_geometrieReduite.isValid()) setGeometry(m_geometrieReduite);
        adjustSize();
    }
    Dessine();
}
