#include "TParametresFeuille.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

namespace
{
struct Description {
    const char* prefixe;
    const char* couleur;
    const char* nom;
};
const Description Parametres[FormatEtiquette::NbParametres] = {
    {"Marge haute : ", "magenta", "MargeHaute"},
    {"Marge basse : ", "magenta", "MargeBasse"},
    {"Marge gauche : ", "blue", "MargeGauche"},
    {"Marge droite : ", "blue", "MargeDroite"},
    {"Espacement vertical : ", "magenta", "EspaceVertical"},
    {"Espacement horizontal : ", "blue", "EspaceHorizontal"},
};
} // namespace

TParametresFeuille::TParametresFeuille(const QString& titre, QWidget* parent)
    : QGroupBox(titre, parent)
{
    auto* grille = new QGridLayout(this);
    for (int i = 0; i < FormatEtiquette::NbParametres; ++i) {
        const Description& d = Parametres[i];
        auto* libelle = new QLabel(this);
        libelle->setObjectName(QStringLiteral("Libelle") + QLatin1String(d.nom));
        libelle->setStyleSheet(QStringLiteral("color: %1").arg(QLatin1String(d.couleur)));
        libelle->setMinimumWidth(210);
        QSlider* curseur = CreeCurseur(this, 0, FormatEtiquette::ParametreMax);
        curseur->setObjectName(QLatin1String(d.nom));
        grille->addWidget(libelle, i, 0);
        grille->addWidget(curseur, i, 1);
        m_libelles[static_cast<size_t>(i)] = libelle;
        m_curseurs[static_cast<size_t>(i)] = curseur;
        Ecrit(libelle, QString::fromUtf8(d.prefixe), 0);
        connect(curseur, &QSlider::valueChanged, this, [this, i, libelle](int v) {
            Ecrit(libelle, QString::fromUtf8(Parametres[i].prefixe), v);
            emit ParametreChange(i, v);
        });
    }
}

QSlider* TParametresFeuille::CreeCurseur(QWidget* parent, int minimum, int maximum)
{
    auto* curseur = new QSlider(Qt::Horizontal, parent);
    curseur->setRange(minimum, maximum);
    curseur->setSingleStep(1);
    curseur->setPageStep(10);
    curseur->setMinimumWidth(220);
    return curseur;
}

void TParametresFeuille::Ecrit(QLabel* libelle, const QString& prefixe, int dixiemes)
{
    libelle->setText(prefixe + FormatEtiquette::Millimetres(dixiemes) + QStringLiteral(" mm"));
}

void TParametresFeuille::SetValeurs(const std::array<int, FormatEtiquette::NbParametres>& valeurs)
{
    for (int i = 0; i < FormatEtiquette::NbParametres; ++i) {
        QSlider* c = m_curseurs[static_cast<size_t>(i)];
        const QSignalBlocker bloque(c);
        c->setValue(valeurs[static_cast<size_t>(i)]);
        Ecrit(m_libelles[static_cast<size_t>(i)], QString::fromUtf8(Parametres[i].prefixe),
              c->value());
    }
}

std::array<int, FormatEtiquette::NbParametres> TParametresFeuille::Valeurs() const
{
    std::array<int, FormatEtiquette::NbParametres> v{};
    for (int i = 0; i < FormatEtiquette::NbParametres; ++i)
        v[static_cast<size_t>(i)] = m_curseurs[static_cast<size_t>(i)]->value();
    return v;
}
