#pragma once

#include "records/Champs.h"
#include "records/Repertoire.h"

#include <QDate>
#include <QObject>
#include <array>
#include <functional>
#include <string>

class QTabWidget;
class QWidget;
class QLabel;

// The three record pages "Privé", "Professionnel" and "Banque": every control at
// its place, bound to its column, with its colour, hint and Tab order.
class TPagesFiche : public QObject
{
    Q_OBJECT
public:
    // Adds the three pages to `pages`, in this order, as pages 0, 1 and 2.
    explicit TPagesFiche(QTabWidget* pages);
    ~TPagesFiche() override;

    QWidget* Page(PageFiche page) const;
    // The edit control bound to column 0..44 (QLineEdit, QComboBox for Civil,
    // QPlainTextEdit for the notes); nullptr for 45 and outside.
    QWidget* Controle(int colonne) const;
    // The control's text in Windows-1252, line breaks as CR LF.
    std::string TexteControle(int colonne) const;
    // The photo frame of "Privé" (a TCadrePhoto).
    QWidget* CadrePhoto() const;
    // The large name label of `page` showing `colonne` (Prenom, Nom, or Societe on
    // "Banque"); nullptr when the page has none.
    QLabel* LibelleNom(PageFiche page, int colonne) const;

    // Shows record `ligne` in the controls without reporting edits back, and
    // refreshes the name labels.
    void MontreLigne(const Repertoire& rep, int ligne);
    // The name labels of "Professionnel" and "Banque" and the company line of "Privé".
    void MajEntetes(const Repertoire& rep, int ligne);
    QString LigneSociete() const; // text of the company line, for tests

    // A book open read-only: the fields show their text, which can be selected and
    // copied but not changed (a choice in the "Civilité" list is taken back).
    void SetLectureSeule(bool lectureSeule);
    bool LectureSeule() const;

    // The clock used by F12 in the notes; today's date by default.
    void SetHorloge(std::function<QDate()> horloge);

signals:
    // Every change of a control's text made by the user (each keystroke, F12).
    void ChampModifie(int colonne, const std::string& texte);
    // A character Windows-1252 cannot hold was typed or pasted and refused.
    void CaractereRefuse(const QString& caractere);
    // MontreLigne showed record `ligne`: the photo frame follows.
    void LigneMontree(int ligne);

private:
    struct Prive;
    Prive* d;

    void Construit(PageFiche page);
    QString TexteUnicode(int colonne) const;
    void Modifie(int colonne);
    void Refuse(QWidget* controle, const QString& caractere);
};
