#pragma once

#include <QColor>
#include <QDate>
#include <QTableView>
#include <functional>
#include <utility>

class ModeleRepertoire;

// The list page's grid: the whole book, edited in place. Rows are given as book
// rows (1 = first record).
class TGrille : public QTableView
{
    Q_OBJECT
public:
    explicit TGrille(QWidget* parent = nullptr);
    ~TGrille() override;
    void SetModele(ModeleRepertoire* modele);

    int LigneCourante() const;   // 1..NbFiches
    int ColonneCourante() const; // 0..45
    void SetCelluleCourante(int colonne, int ligne);
    // First and last selected book rows; the current row when nothing is selected.
    std::pair<int, int> LignesSelectionnees() const;

    void AjusteColonnes();                              // widen the last column to fill
    void AjusteColonne(int colonne, bool toutesLignes); // header-click fitting
    void MontreLigneEnHaut(int ligne);                  // scroll so the row is the top row

    QColor Couleur() const;
    void SetCouleur(const QColor& couleur);
    void SetHorloge(std::function<QDate()> horloge);

signals:
    // The current cell changed (click, keys, program).
    void CelluleCouranteChangee(int colonne, int ligne);
    // A character Windows-1252 cannot hold was typed in a cell and refused.
    void CaractereRefuse(const QString& caractere);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* objet, QEvent* event) override;

private:
    struct Prive;
    Prive* d;

    void AppliqueLigneEnHaut();
    bool SurBordureEntete(int x) const;
};
