#include "TNewFor.h"

#include "MiseEnPage.h"
#include "TParametresFeuille.h"
#include "TPrevis.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace
{
const char* PrefixeLargeur = "Largeur : ";
const char* PrefixeHauteur = "Hauteur : ";

int Dixiemes(double mm)
{
    return static_cast<int>(std::lround(mm * 10));
}
} // namespace

TNewFor::TNewFor(TPrevis* previs, QWidget* parent) : QDialog(parent), m_previs(previs)
{
    setObjectName(QStringLiteral("NewFor"));
    setWindowTitle(QStringLiteral("Nouveau format"));
    setModal(true);

    auto* etiquettes = new QGroupBox(QStringLiteral("Etiquettes"), this);
    auto* grille = new QGridLayout(etiquettes);
    m_libelleLargeur = new QLabel(etiquettes);
    m_libelleLargeur->setStyleSheet(QStringLiteral("color: blue"));
    m_libelleHauteur = new QLabel(etiquettes);
    m_libelleHauteur->setStyleSheet(QStringLiteral("color: magenta"));
    m_libelleLargeur->setMinimumWidth(210);
    m_largeur = TParametresFeuille::CreeCurseur(etiquettes, 100, 2100);
    m_largeur->setObjectName(QStringLiteral("Largeur"));
    m_hauteur = TParametresFeuille::CreeCurseur(etiquettes, 100, 2970);
    m_hauteur->setObjectName(QStringLiteral("Hauteur"));
    grille->addWidget(m_libelleLargeur, 0, 0);
    grille->addWidget(m_largeur, 0, 1);
    grille->addWidget(m_libelleHauteur, 1, 0);
    grille->addWidget(m_hauteur, 1, 1);

    m_parametres = new TParametresFeuille(QString::fromUtf8("Feuille d'étiquettes"), this);
    m_avis = new QLabel(this);
    m_avis->setObjectName(QStringLiteral("Avis"));

    auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    boutons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    boutons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    auto* previsualisation =
        boutons->addButton(QString::fromUtf8("&Prévisualisation"), QDialogButtonBox::ActionRole);
    previsualisation->setObjectName(QStringLiteral("Previsualisation"));
    connect(boutons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(boutons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(previsualisation, &QPushButton::clicked, this, &TNewFor::Previsualisation1Click);

    auto* colonne = new QVBoxLayout(this);
    colonne->addWidget(etiquettes);
    colonne->addWidget(m_parametres);
    colonne->addWidget(m_avis);
    colonne->addWidget(boutons);
    colonne->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_largeur, &QSlider::valueChanged, this, &TNewFor::Alimente);
    connect(m_hauteur, &QSlider::valueChanged, this, &TNewFor::Alimente);
    connect(m_parametres, &TParametresFeuille::ParametreChange, this, &TNewFor::Alimente);
    Alimente();
}

void TNewFor::Remplit(const FormatEtiquette& format)
{
    {
        const QSignalBlocker l(m_largeur), h(m_hauteur);
        m_largeur->setValue(Dixiemes(format.Largeur()));
        m_hauteur->setValue(Dixiemes(format.Hauteur()));
    }
    m_parametres->SetValeurs(format.Parametres());
    Alimente();
}

FormatEtiquette TNewFor::Format() const
{
    return FormatEtiquette(FormatEtiquette::NomDe(m_largeur->value(), m_hauteur->value()),
                           m_parametres->Valeurs());
}

void TNewFor::Alimente()
{
    TParametresFeuille::Ecrit(m_libelleLargeur, QString::fromUtf8(PrefixeLargeur),
                              m_largeur->value());
    TParametresFeuille::Ecrit(m_libelleHauteur, QString::fromUtf8(PrefixeHauteur),
                              m_hauteur->value());
    const FormatEtiquette f = Format();
    // The same line as the chooser's, as the sliders move.
    m_avis->setText(MiseEnPage::Resume(f));
    m_avis->setStyleSheet(MiseEnPage(f).Utilisable() ? QStringLiteral("color: black")
                                                     : QStringLiteral("color: red"));
    m_previs->Alimente(f, f.Nom());
}

void TNewFor::Previsualisation1Click()
{
    m_previs->SetMode(TPrevis::Affichage);
    Alimente();
    m_previs->exec();
}
