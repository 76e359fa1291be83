#pragma once

#include <QLabel>

// A large caption drawn with a shadow, for the names heading the "Professionnel"
// and "Banque" pages. The text stays the label's text, so printing reads it as
// any caption.
class TLibelleEffet : public QLabel
{
    Q_OBJECT
public:
    TLibelleEffet(int pointSize, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int Decalage = 2; // shadow offset in pixels
};
