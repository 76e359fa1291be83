#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

// Answers the modal dialogs of a chain one after the other: each step waits until the
// dialog of that name is the active modal window, then acts on it. A step that does
// not come within its deadline, or a check that fails inside a step, ends the chain:
// the modal windows still open are closed, so the test goes on at once, and Rapport()
// tells what was awaited and what was seen.
class Pilote : public QObject
{
public:
    struct Etape {
        QString dialogue;
        std::function<void(QWidget*)> action;
    };

    explicit Pilote(std::vector<Etape> etapes, int delaiMs = 5000)
        : m_etapes(etapes.begin(), etapes.end()), m_delai(delaiMs)
    {
        connect(&m_horloge, &QTimer::timeout, this, &Pilote::Avance);
        m_horloge.start(10);
        m_attente.start();
    }

    // Every step done, none abandoned.
    bool Fini() const { return m_etapes.empty() && m_echec.isEmpty(); }
    // A window the last step left open ends the chain too, after the same deadline.
    QString Restant() const { return m_etapes.empty() ? QString() : m_etapes.front().dialogue; }
    // For a failed check: the step awaited and the windows seen.
    QString Rapport() const
    {
        if (!m_echec.isEmpty()) return m_echec;
        if (m_etapes.empty()) return QString();
        return QStringLiteral("étape « %1 » jamais venue ; vu : %2")
            .arg(m_etapes.front().dialogue, Vu());
    }

    // What is on the screen: the active modal window, then every visible window.
    static QString Vu()
    {
        QStringList vues;
        if (QWidget* modal = QApplication::activeModalWidget())
            vues << QStringLiteral("fenêtre modale « %1 » (%2)")
                        .arg(modal->objectName(), modal->windowTitle());
        else
            vues << QStringLiteral("aucune fenêtre modale");
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                vues << QStringLiteral("« %1 » (%2)").arg(w->objectName(), w->windowTitle());
        return vues.join(QStringLiteral(", "));
    }

private:
    void Avance()
    {
        QWidget* modal = QApplication::activeModalWidget();
        // A check that failed inside a step leaves its dialog open: give up at once.
        if (m_echec.isEmpty() && QTest::currentTestFailed())
            m_echec = QStringLiteral("une vérification a échoué ; vu : %1").arg(Vu());
        if (!m_echec.isEmpty()) {
            m_etapes.clear();
            // Abandoned: every modal window goes, so that the chain returns.
            if (modal) {
                if (auto* d = qobject_cast<QDialog*>(modal))
                    d->reject();
                else
                    modal->close();
            }
            return;
        }
        if (m_etapes.empty()) {
            // The last step's dialog should have closed: one that stays holds the chain.
            if (m_dernier && modal == m_dernier && m_dernier->isVisible() &&
                m_attente.elapsed() > m_delai)
                m_echec =
                    QStringLiteral("« %1 » est resté ouvert après la dernière étape ; vu : %2")
                        .arg(m_dernier->objectName(), Vu());
            return;
        }
        if (!modal || modal->objectName() != m_etapes.front().dialogue || !modal->isVisible()) {
            if (m_attente.elapsed() > m_delai) {
                m_echec = QStringLiteral("étape « %1 » pas venue en %2 ms ; vu : %3")
                              .arg(m_etapes.front().dialogue)
                              .arg(m_delai)
                              .arg(Vu());
                m_etapes.clear();
            }
            return;
        }
        const Etape e = m_etapes.front();
        m_etapes.pop_front();
        m_attente.restart();
        m_dernier = modal;
        // Run from an event of its own: an action that opens a dialog must leave this
        // timer free to answer it.
        QTimer::singleShot(0, modal, [e, modal] { e.action(modal); });
    }

    std::deque<Etape> m_etapes;
    int m_delai;
    QTimer m_horloge;
    QElapsedTimer m_attente;
    QString m_echec;
    QPointer<QWidget> m_dernier;
};
