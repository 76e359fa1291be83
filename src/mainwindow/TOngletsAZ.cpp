#include "TOngletsAZ.h"

#include "mainwindow/OngletsAZ.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QWheelEvent>

namespace
{
QString Lettre(int i)
{
    return QString(QChar(u'A' + i));
}
} // namespace

TOngletsAZ::TOngletsAZ(QWidget* parent) : QTabBar(parent)
{
    setObjectName(QStringLiteral("OngletsAZ"));
    setExpanding(false);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setDrawBase(true);
    setShape(QTabBar::RoundedSouth);
    for (int i = 0; i < 26; ++i)
        addTab(Lettre(i));
}

void TOngletsAZ::SetPresence(const std::array<bool, 26>& presence)
{
    for (int i = 0; i < 26; ++i)
        setTabText(i, presence[static_cast<size_t>(i)] ? Lettre(i) : QString());
}

void TOngletsAZ::SetLettreVisible(int lettre)
{
    if (lettre >= 0 && lettre < 26) setTabText(lettre, Lettre(lettre));
}

void TOngletsAZ::Selectionne(int lettre)
{
    if (lettre < 0 || lettre >= 26) return;
    const bool avant = m_suppression;
    m_suppression = true;
    setCurrentIndex(lettre);
    m_suppression = avant;
}

void TOngletsAZ::SetDemande(std::function<bool(int)> demande)
{
    m_demande = std::move(demande);
}

void TOngletsAZ::DemandeChangement(int lettre)
{
    if (lettre < 0 || lettre >= count() || lettre == currentIndex()) return;
    if (m_demande && !m_demande(lettre)) return;
    // The window may already have selected the tab while showing the record.
    Selectionne(lettre);
}

void TOngletsAZ::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int index = tabAt(event->position().toPoint());
        event->accept();
        if (index >= 0) DemandeChangement(index);
        return;
    }
    QTabBar::mousePressEvent(event);
}

void TOngletsAZ::keyPressEvent(QKeyEvent* event)
{
    int cible = -1;
    switch (event->key()) {
    case Qt::Key_Left:
        cible = currentIndex() - 1;
        break;
    case Qt::Key_Right:
        cible = currentIndex() + 1;
        break;
    case Qt::Key_Home:
        cible = 0;
        break;
    case Qt::Key_End:
        cible = count() - 1;
        break;
    default:
        if (event->text().size() == 1) {
            // Typing a letter asks for its tab.
            const QChar c = event->text().at(0).toUpper();
            if (c >= u'A' && c <= u'Z') cible = c.unicode() - u'A';
        }
        break;
    }
    if (cible < 0) {
        QTabBar::keyPressEvent(event);
        return;
    }
    event->accept();
    DemandeChangement(qBound(0, cible, count() - 1));
}

void TOngletsAZ::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const QPoint delta = event->angleDelta();
    m_rouletteCumul += qAbs(delta.y()) >= qAbs(delta.x()) ? delta.y() : delta.x();
    // One notch (120) moves one tab; a fine-grained wheel accumulates.
    while (qAbs(m_rouletteCumul) >= 120) {
        const int pas = m_rouletteCumul > 0 ? -1 : 1;
        m_rouletteCumul += pas * 120;
        DemandeChangement(qBound(0, currentIndex() + pas, count() - 1));
    }
}

QSize TOngletsAZ::tabSizeHint(int index) const
{
    QSize taille = QTabBar::tabSizeHint(index);
    // The 26 letters share the window's 632 pixels.
    taille.setWidth(24);
    return taille;
}

QSize TOngletsAZ::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}

void TOngletsAZ::paintEvent(QPaintEvent*)
{
    // The style keeps a margin that leaves no room for a letter in a 24-pixel tab:
    // draw the shapes, then each letter centred in its tab.
    QStylePainter peintre(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        option.text.clear();
        peintre.drawControl(QStyle::CE_TabBarTabShape, option);
    }
    for (int i = 0; i < count(); ++i)
        peintre.drawText(tabRect(i), Qt::AlignCenter, tabText(i));
}

void TOngletsAZ::SuitNom(const std::string& nom)
{
    if (nom.empty()) {
        Selectionne(0);
        return;
    }
    const int lettre = OngletsAZ::Lettre(nom);
    if (lettre < 0) return;
    Selectionne(lettre);
    SetLettreVisible(lettre);
}
