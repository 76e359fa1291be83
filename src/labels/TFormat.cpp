#include "TFormat.h"

#include "Catalogue.h"
#include "MiseEnPage.h"
#include "TNewFor.h"
#include "TParametresFeuille.h"
#include "TPrevis.h"
#include "ui/TMessage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

TFormat::TFormat(Catalogue& catalogue, TPrevis* previs, TNewFor* newFor, QWidget* parent)
    : QDialog(parent), m_catalogue(catalogue), m_previs(previs), m_newFor(newFor)
{
    setObjectName(QStringLiteral("Format"));
    setWindowTitle(QString::fromUtf8("Format des étiquettes - Espaces vides de la feuille "
                                     "d'étiquettes"));
    setModal(true);

    m_liste = new QListWidget(this);
    m_liste->setObjectName(QStringLiteral("ListeFormats"));
    m_liste->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    m_liste->setMinimumHeight(150);
    // Wide enough for the whole caption.
    m_liste->setMinimumWidth(430);
    m_supprimer = new QPushButton(QStringLiteral("Supprimer"), this);
    m_supprimer->setObjectName(QStringLiteral("Supprimer"));
    m_nouveau = new QPushButton(QStringLiteral("Nouveau"), this);
    m_nouveau->setObjectName(QStringLiteral("Nouveau"));
    auto* note = new QLabel(QString::fromUtf8("L'unité de mesure est le millimètre"), this);
    note->setStyleSheet(QStringLiteral("color: green"));
    note->setWordWrap(true);
    auto* annuler = new QPushButton(QStringLiteral("Annuler"), this);
    annuler->setObjectName(QStringLiteral("Annuler"));
    auto* aide = new QPushButton(QStringLiteral("&Aide"), this);
    aide->setObjectName(QStringLiteral("Aide"));
    auto* previsualisation = new QPushButton(QString::fromUtf8("&Prévisualisation"), this);
    previsualisation->setObjectName(QStringLiteral("Previsualisation"));
    m_parametres = new TParametresFeuille(
        QString::fromUtf8("Paramètres de la feuille d'étiquettes associée à ce format"), this);
    m_avis = new QLabel(this);
    m_avis->setObjectName(QStringLiteral("Avis"));
    // A long notice wraps rather than widen the dialog under the user's mouse.
    m_avis->setWordWrap(true);
    m_precedent = new QPushButton(QString::fromUtf8("<&Précédent"), this);
    m_precedent->setObjectName(QStringLiteral("Precedent"));
    m_suivant = new QPushButton(QStringLiteral("&Suivant>"), this);
    m_suivant->setObjectName(QStringLiteral("Suivant"));
    m_suivant->setDefault(true);

    auto* cote = new QVBoxLayout;
    cote->addWidget(m_supprimer);
    cote->addWidget(m_nouveau);
    cote->addWidget(note);
    cote->addStretch();
    cote->addWidget(previsualisation);
    cote->addWidget(aide);
    cote->addWidget(annuler);
    auto* haut = new QHBoxLayout;
    haut->addWidget(m_liste, 1);
    haut->addLayout(cote);
    auto* assistant = new QHBoxLayout;
    assistant->addStretch();
    assistant->addWidget(m_precedent);
    assistant->addWidget(m_suivant);
    auto* colonne = new QVBoxLayout(this);
    colonne->addLayout(haut);
    colonne->addWidget(m_parametres);
    colonne->addWidget(m_avis);
    colonne->addLayout(assistant);
    colonne->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_liste, &QListWidget::currentRowChanged, this, &TFormat::ListeClick);
    connect(m_supprimer, &QPushButton::clicked, this, &TFormat::Supprimer1Click);
    connect(m_nouveau, &QPushButton::clicked, this, &TFormat::Nouveau1Click);
    connect(previsualisation, &QPushButton::clicked, this, &TFormat::Previsualisation1Click);
    connect(aide, &QPushButton::clicked, this, &TFormat::AideDemandee);
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_precedent, &QPushButton::clicked, this, [this] { done(Precedent); });
    connect(m_suivant, &QPushButton::clicked, this, &TFormat::Suivant1Click);
    connect(m_parametres, &TParametresFeuille::ParametreChange, this, [this](int quel, int v) {
        m_catalogue.SetParametre(m_catalogue.Courant(), quel, v);
        Alimente();
    });
    // Enter goes on with the wizard whichever button was clicked last.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(b == m_suivant);
}

void TFormat::showEvent(QShowEvent* e)
{
    Remplit();
    QDialog::showEvent(e);
}

void TFormat::Remplit()
{
    const QSignalBlocker bloque(m_liste);
    m_liste->clear();
    for (const FormatEtiquette& f : m_catalogue.Formats())
        m_liste->addItem(f.Nom());
    m_catalogue.Selectionne(m_catalogue.Courant());
    m_liste->setCurrentRow(m_catalogue.Courant());
    Affiche();
}

void TFormat::Affiche()
{
    m_supprimer->setEnabled(m_catalogue.Courant() != 0);
    m_parametres->SetValeurs(m_catalogue.FormatCourant().Parametres());
    Alimente();
}

void TFormat::Alimente()
{
    const FormatEtiquette& f = m_catalogue.FormatCourant();
    const MiseEnPage page(f);
    m_avis->setText(MiseEnPage::Resume(f));
    m_avis->setStyleSheet(page.Utilisable() ? QStringLiteral("color: black")
                                            : QStringLiteral("color: red"));
    m_previs->Alimente(f, f.Nom());
}

void TFormat::ListeClick()
{
    if (m_liste->currentRow() < 0) return;
    m_catalogue.Selectionne(m_liste->currentRow());
    Affiche();
}

void TFormat::Supprimer1Click()
{
    if (!m_catalogue.Supprime(m_catalogue.Courant())) return;
    Remplit();
}

void TFormat::Nouveau1Click()
{
    m_newFor->Remplit(m_catalogue.FormatCourant());
    const int resultat = m_newFor->exec();
    m_previs->close();
    if (resultat != QDialog::Accepted) {
        Alimente();
        return;
    }
    m_catalogue.Ajoute(m_newFor->Format());
    Remplit();
}

void TFormat::Previsualisation1Click()
{
    m_previs->SetMode(TPrevis::Affichage);
    Alimente();
    m_previs->exec();
}

void TFormat::Suivant1Click()
{
    if (!MiseEnPage(m_catalogue.FormatCourant()).Utilisable()) {
        TMessage::Information(this, m_avis->text(), QStringLiteral("Format des étiquettes"));
        return;
    }
    accept();
}
