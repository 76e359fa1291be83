#pragma once

#include <QDialog>
#include <QRect>
#include <QRectF>

class QAction;
class QLabel;
class QScrollArea;
class RenduPlanche;

// The full label preview: the real labels, sheet by sheet, as printing places them,
// reduced or at their real size on screen.
class TFpPrev : public QDialog
{
    Q_OBJECT
public:
    static constexpr int LargeurReduite = 198;
    static constexpr int HauteurReduite = 278;

    explicit TFpPrev(QWidget* parent = nullptr);

    // What to show; the preview starts again at sheet 1. `rendu` must outlive the showing.
    void Prepare(const RenduPlanche* rendu, const QRectF& zoneImprimableMm);

    int PlancheCourante() const { return m_planche; }
    int NombrePlanches() const;
    void AllerA(int planche);
    // The page image of the current sheet, at the current size.
    QImage Image() const;
    // A sheet drawn at any size (the benchmark draws one as the preview does).
    static QImage DessinePlanche(const RenduPlanche& rendu, const QRectF& zoneMm, int planche,
                                 const QSize& taille);

    QAction* ActionPremiere() const { return m_premiere; }
    QAction* ActionPrecedente() const { return m_precedente; }
    QAction* ActionSuivante() const { return m_suivante; }
    QAction* ActionDerniere() const { return m_derniere; }
    QAction* ActionZoom() const { return m_zoom; }
    // "2 étiquettes sur 25 ...": the labels whose text is cut, hidden when none is.
    QLabel* Avis() const { return m_avis; }
    // The line the preview and the print question give for `rognees` cut labels.
    static QString TexteRognees(int rognees, int total);

private:
    void Dessine();
    void Zoom(bool pleine);

    const RenduPlanche* m_rendu = nullptr;
    QRectF m_zone;
    int m_planche = 1;
    QSize m_taille{LargeurReduite, HauteurReduite};
    QRect m_geometrieReduite;
    QScrollArea* m_defilement;
    QLabel* m_page;
    QLabel* m_avis;
    QAction* m_premiere;
    QAction* m_precedente;
    QAction* m_suivante;
    QAction* m_derniere;
    QAction* m_zoom;
};
