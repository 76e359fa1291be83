#pragma once

#include <QObject>
#include <functional>
#include <string>

class QWidget;
class TFiche;
class TNumerot;

// What the record pages' phone and Internet fields do on a right press (dial, write a
// message), and the commands "&Numérotation..." and "&Connexion au site web de
// l'auteur...". The left button keeps placing the text cursor, and the fields'
// context menu does not also pop up.
class TCommunication : public QObject
{
    Q_OBJECT
public:
    TCommunication(TFiche& fiche, TNumerot& numerot);

    // A right press on the editor of `colonne`.
    void NumeroteChamp(int colonne);
    void CourrielChamp(int colonne);
    void Numerotation1Click();
    void Connexion1Click();

    // Where the local stand-in for the web page is written; tests point it elsewhere.
    QString DossierAide;

protected:
    bool eventFilter(QObject* objet, QEvent* event) override;

private:
    QString TexteChamp(int colonne) const;

    TFiche& m_fiche;
    TNumerot& m_numerot;
};
