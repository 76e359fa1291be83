#pragma once

#include <QFrame>
#include <QImage>

class QTimer;

// The photo frame of the "Privé" page: the record's picture centred and scaled to
// fit with its proportions, or, with no picture, its caption ("Photo") in large
// bold type with a white shadow. While a picture is being decoded the frame stays
// empty, and says so when the wait lasts.
class TCadrePhoto : public QFrame
{
    Q_OBJECT
public:
    explicit TCadrePhoto(QWidget* parent = nullptr);

    // A null image removes the picture. Ends the wait.
    void SetImage(const QImage& image);
    const QImage& Image() const { return m_image; }
    bool AUneImage() const { return !m_image.isNull(); }

    // Shown only while there is no picture.
    void SetLegende(const QString& legende);
    const QString& Legende() const { return m_legende; }

    // The frame waits for a picture: no picture, no caption.
    void SetAttente();
    bool EnAttente() const { return m_attente; }

    // Where the picture is drawn inside the frame, for a picture of that size.
    static QRect RectangleImage(const QSize& image, const QRect& zone);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    QString m_legende;
    bool m_attente = false;
    bool m_attenteLongue = false;
    QTimer* m_delai;
};
