#pragma once

#include <QMessageBox>
#include <QString>
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
    struct Trace {
        QString titre;
        QString texte;
        bool question;
    };
    static std::deque<Trace>& Historique();
    // Runs while a box would be open, as the window manager acts then (focus moves).
    static void PendantBoite(std::function<void()> action);
    static QString DernierTexte();
};
