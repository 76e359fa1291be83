#pragma once

#include "sync/MoteurSync.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTableWidget;

// The conflicts of a synchronisation in one list: each record and field changed on
// both sides, with both values, and the choice for each ("Garder la mienne", "Garder
// celle du serveur", and for notes "Garder les deux"). The choices apply to the
// selected lines; OK hands them back, Annuler stops the synchronisation.
class TConflitsSync : public QDialog
{
    Q_OBJECT
public:
    explicit TConflitsSync(QWidget* parent = nullptr);

    void Montre(const std::vector<MoteurSync::Conflit>& conflits);
    const std::vector<MoteurSync::Conflit>& Conflits() const { return m_conflits; }

    QTableWidget* Table() const { return m_table; }
    QPushButton* BoutonMienne() const { return m_mienne; }
    QPushButton* BoutonServeur() const { return m_serveur; }
    QPushButton* BoutonLesDeux() const { return m_lesDeux; }

    void Choisit(MoteurSync::Choix choix);

private:
    void MajLigne(int ligne);
    void MajBoutons();
    std::vector<int> Selection() const;

    std::vector<MoteurSync::Conflit> m_conflits;
    QTableWidget* m_table;
    QPushButton* m_mienne;
    QPushButton* m_serveur;
    QPushButton* m_lesDeux;
};
