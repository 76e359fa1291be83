#pragma once

#include "FormatEtiquette.h"
#include "MiseEnPage.h"

#include <QDialog>
#include <QRectF>

// The small sheet preview: a thumbnail of the A4 sheet with the format's labels.
// In start-position mode a click on a label makes it the first label printed.
class TPrevis : public QDialog
{
    Q_OBJECT
public:
    enum Mode { Affichage, Depart };
    static constexpr int LargeurImage = 200;
    static constexpr int HauteurImage = 283;

    explicit TPrevis(QWidget* parent = nullptr);

    void SetMode(Mode mode) { m_mode = mode; }
    Mode ModeCourant() const { return m_mode; }
    // The format shown and the caption's "W" + "x" + "H" text.
    void Alimente(const FormatEtiquette& format, const QString& taille);
    void SetZoneImprimable(const QRectF& zoneMm);

    int ColonneDepart() const { return m_colonne; }
    int LigneDepart() const { return m_ligne; }
    // Brought inside the current layout.
    void SetDepart(int colonne, int ligne);
    const MiseEnPage& Page() const { return m_page; }
    // A label's rectangle on the thumbnail, in the thumbnail's own pixels.
    QRect Rectangle(int colonne, int ligne) const;
    // Where the thumbnail sits in the window, which is wide enough for its whole title.
    QPoint OrigineImage() const;
    QImage Image() const;

signals:
    void DepartChange();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void AjusteLargeur();

    Mode m_mode = Affichage;
    MiseEnPage m_page;
    QRectF m_zone;
    int m_colonne = 1, m_ligne = 1;
};
