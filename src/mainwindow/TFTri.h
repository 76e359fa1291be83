#pragma once

#include <QDialog>

class QComboBox;
class Repertoire;

// "Trier par rapport à :": the choice of the sort column among the 46 titles.
class TFTri : public QDialog
{
    Q_OBJECT
public:
    explicit TFTri(QWidget* parent = nullptr);
    // Selects `colonne`, shows the dialog modally; true with the chosen column
    // when confirmed with "OK".
    bool Choisit(int colonne, int& choisie);
    QComboBox* Liste() const { return m_liste; }

private:
    QComboBox* m_liste;
};
