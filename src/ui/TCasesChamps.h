#pragma once

#include "records/Champs.h"

#include <QWidget>
#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QHBoxLayout;
class QPushButton;
class QTabWidget;

// Three pages of check boxes, one per record page, two columns each, and under them
// "Tout sélectionner" and "Tout désélectionner", which act on the page shown. The
// dialogs that choose fields (search options, smart copy) put their own buttons at
// the end of that row.
class TCasesChamps : public QWidget
{
    Q_OBJECT
public:
    struct Case {
        int champ;
        const char* libelle; // UTF-8
        const char* nom;     // object name of the box
    };
    using Liste = std::function<std::vector<Case>(PageFiche)>;

    TCasesChamps(const Liste& liste, int largeurMin, QWidget* parent = nullptr);

    QTabWidget* Pages() const { return m_pages; }
    QCheckBox* CaseDe(int champ) const;
    QPushButton* ToutSelectionner() const { return m_tout; }
    QPushButton* ToutDeselectionner() const { return m_rien; }
    QHBoxLayout* LigneBoutons() const { return m_boutons; }
    PageFiche PageAffichee() const;
    // Ticks the boxes as `coche` says, field by field.
    void MetAJour(const std::function<bool(int)>& coche);

signals:
    void Coche(int champ, bool coche);
    void ToutCoche(PageFiche page, bool coche);

private:
    QTabWidget* m_pages;
    std::array<QCheckBox*, NbColonnes> m_cases{};
    QPushButton* m_tout;
    QPushButton* m_rien;
    QHBoxLayout* m_boutons;
};
