#pragma once

#include "FormatEtiquette.h"

#include <QGroupBox>
#include <array>

class QLabel;
class QSlider;

// The six sheet parameters as sliders with their labels ("Marge haute : 29,9 mm"),
// shared by the format chooser and the new-format dialog.
class TParametresFeuille : public QGroupBox
{
    Q_OBJECT
public:
    explicit TParametresFeuille(const QString& titre, QWidget* parent = nullptr);

    void SetValeurs(const std::array<int, FormatEtiquette::NbParametres>& valeurs);
    std::array<int, FormatEtiquette::NbParametres> Valeurs() const;
    QSlider* Curseur(int quel) const { return m_curseurs[static_cast<size_t>(quel)]; }
    QLabel* Libelle(int quel) const { return m_libelles[static_cast<size_t>(quel)]; }

    // A slider and its label, "prefixe" + value in millimetres with one decimal + " mm".
    static QSlider* CreeCurseur(QWidget* parent, int minimum, int maximum);
    static void Ecrit(QLabel* libelle, const QString& prefixe, int dixiemes);

signals:
    void ParametreChange(int quel, int valeur);

private:
    std::array<QSlider*, FormatEtiquette::NbParametres> m_curseurs{};
    std::array<QLabel*, FormatEtiquette::NbParametres> m_libelles{};
};
