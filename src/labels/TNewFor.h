#pragma once

#include "FormatEtiquette.h"

#include <QDialog>

class QLabel;
class QSlider;
class TParametresFeuille;
class TPrevis;

// "Nouveau format": the label's width and height and the six sheet parameters on
// sliders; the chooser reads them after OK.
class TNewFor : public QDialog
{
    Q_OBJECT
public:
    TNewFor(TPrevis* previs, QWidget* parent = nullptr);

    // Width and height from the name, in tenths of a millimetre; the parameters as they are.
    void Remplit(const FormatEtiquette& format);
    FormatEtiquette Format() const;

    QSlider* Largeur() const { return m_largeur; }
    QSlider* Hauteur() const { return m_hauteur; }
    TParametresFeuille* Parametres() const { return m_parametres; }
    QLabel* Avis() const { return m_avis; }

private:
    void Alimente();
    void Previsualisation1Click();

    TPrevis* m_previs;
    QSlider* m_largeur;
    QSlider* m_hauteur;
    QLabel* m_libelleLargeur;
    QLabel* m_libelleHauteur;
    TParametresFeuille* m_parametres;
    QLabel* m_avis;
};
