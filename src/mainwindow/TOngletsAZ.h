#pragma once

#include <QTabBar>
#include <array>
#include <functional>

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
    // Called on a user's click on tab `lettre`; returns whether to allow the change.
    void SetDemande(std::function<bool(int)> demande);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<bool(int)> m_demande;
    bool m_suppression = false;
};
