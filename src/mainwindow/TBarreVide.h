#pragma once

#include <QWidget>

class QComboBox;
class QPushButton;

// The quick-search strip's place under the tool bar: its box and two buttons, which
// do nothing until the search commands put their own strip in its place.
class TBarreVide : public QWidget
{
    Q_OBJECT
public:
    explicit TBarreVide(QWidget* parent = nullptr);
    static constexpr int Hauteur = 41;

    QComboBox* Edit() const { return m_edit; }
    QPushButton* FindBtn2() const { return m_findBtn2; }
    QPushButton* PrevBtn() const { return m_prevBtn; }

private:
    QComboBox* m_edit;
    QPushButton* m_findBtn2;
    QPushButton* m_prevBtn;
};
