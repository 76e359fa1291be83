#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

// Every message box and question of the program passes through here, so that a
// test can answer the next question and read what was said.
class TMessage
{
public:
    enum Reponse { Oui, Non, Annuler, Ok };

    // "Confirmation" with "&Oui", "&Non", "Annuler".
    static Reponse Question(QWidget* parent, const QString& texte,
                            const QString& titre = QString::fromUtf8("Confirmation"));
    // "Confirmation" with "&Oui" and "&Non" only: Oui or Non.
    static Reponse QuestionOuiNon(QWidget* parent, const QString& texte,
                                  const QString& titre = QString::fromUtf8("Confirmation"));
    // A warning question with buttons of its own, left to right, `defaut` taking Enter.
    // Returns the index of the button clicked, or `echap` for Escape and the close box.
    static int Choix(QWidget* parent, const QString& texte, const QString& titre,
                     const QStringList& boutons, int defaut, int echap);
    static void Information(QWidget* parent, const QString& texte,
                            const QString& titre = QString::fromUtf8("Information"));
    static void Avertissement(QWidget* parent, const QString& texte,
                              const QString& titre = QString::fromUtf8("Avertissement"));
    static void Erreur(QWidget* parent, const QString& texte,
                       const QString& titre = QString::fromUtf8("Erreur"));

    // For tests: the boxes are not shown; questions take the queued answers
    // (Annuler when none is queued) and every text is recorded.
    static void ModeTest(bool actif);
    static void ReponseSuivante(Reponse r);
    // The button the next Choix clicks (its `echap` when none is queued).
    static void ChoixSuivant(int bouton);
    struct Trace {
        QString titre;
        QString texte;
        bool question;
        QStringList boutons; // a Choix's buttons
    };
    static std::deque<Trace>& Historique();
    // Runs while a box would be open, as the window manager acts then (focus moves).
    static void PendantBoite(std::function<void()> action);
    static QString DernierTexte();
};
