#pragma once

#include <QTabBar>
#include <array>
#include <functional>
#include <string>

// The A–Z strip: 26 tabs whose caption is their letter or empty. A click asks the
// window whether the change is allowed; a refused click leaves the selection.
class TOngletsAZ : public QTabBar
{
    Q_OBJECT
public:
    explicit TOngletsAZ(QWidget* parent = nullptr);
    // Captions from the letters present (MajOnglets).
    void SetPresence(const std::array<bool, 26>& presence);
    void SetLettreVisible(int lettre); // caption back to its letter
    // Selects without asking (the suppression flag of the program's own selections).
    void Selectionne(int lettre);
    // The tab of the surname shown (the first tab for an empty name).
    void SuitNom(const std::string& nom);
    // Called on a user's click on tab `lettre`; returns whether to allow the change.
    void SetDemande(std::function<bool(int)> demande);
    // True while the program itself selects a tab.
    bool EnSelectionProgramme() const { return m_suppression; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Every tab keeps the same width, empty caption or not, so the letters stay in place.
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;

private:
    // A change asked for by the user: allowed only when the window agrees.
    void DemandeChangement(int lettre);

    std::function<bool(int)> m_demande;
    bool m_suppression = false;
    int m_rouletteCumul = 0;
};
