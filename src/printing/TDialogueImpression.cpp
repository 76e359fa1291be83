#include "TDialogueImpression.h"

#include "ui/TMessage.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

TDialogueImpression::TDialogueImpression(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DialogueImpression"));
    setWindowTitle(QStringLiteral("Imprimer"));
    setModal(true);

    m_imprimantes = new QComboBox(this);
    m_imprimantes->setObjectName(QStringLiteral("Imprimantes"));
    m_fichier = new QLineEdit(this);
    m_fichier->setObjectName(QStringLiteral("FichierPdf"));
    m_fichier->setMinimumWidth(320);
    m_parcourir = new QPushButton(QStringLiteral("&Parcourir..."), this);
    m_parcourir->setObjectName(QStringLiteral("Parcourir"));
    auto* ligneFichier = new QHBoxLayout;
    ligneFichier->addWidget(m_fichier, 1);
    ligneFichier->addWidget(m_parcourir);

    auto* etendue = new QGroupBox(QString::fromUtf8("Étendue"), this);
    m_etendue = etendue;
    m_tout = new QRadioButton(QStringLiteral("&Toute la liste"), etendue);
    m_tout->setObjectName(QStringLiteral("Tout"));
    m_selection = new QRadioButton(QString::fromUtf8("La &sélection"), etendue);
    m_selection->setObjectName(QStringLiteral("Selection"));
    auto* colonneEtendue = new QVBoxLayout(etendue);
    colonneEtendue->addWidget(m_tout);
    colonneEtendue->addWidget(m_selection);

    m_zoneCopies = new QWidget(this);
    m_copies = new QSpinBox(m_zoneCopies);
    m_copies->setObjectName(QStringLiteral("Copies"));
    m_copies->setRange(1, 999);
    auto* ligneCopies = new QHBoxLayout(m_zoneCopies);
    ligneCopies->setContentsMargins(0, 0, 0, 0);
    auto* etiquetteCopies = new QLabel(QStringLiteral("Nombre de &copies :"), m_zoneCopies);
    etiquetteCopies->setBuddy(m_copies);
    ligneCopies->addWidget(etiquetteCopies);
    ligneCopies->addWidget(m_copies);
    ligneCopies->addStretch(1);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OK"));
    m_ok->setDefault(true);
    m_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    m_annuler->setObjectName(QStringLiteral("Annuler"));
    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(m_ok);
    boutons->addWidget(m_annuler);

    auto* formulaire = new QFormLayout;
    formulaire->addRow(QStringLiteral("&Imprimante :"), m_imprimantes);
    // A row holding a layout gets no buddy: its label is made here so that Alt+F works.
    auto* etiquetteFichier = new QLabel(QStringLiteral("&Fichier :"), this);
    etiquetteFichier->setBuddy(m_fichier);
    formulaire->addRow(etiquetteFichier, ligneFichier);
    auto* colonne = new QVBoxLayout(this);
    colonne->addLayout(formulaire);
    colonne->addWidget(m_etendue);
    colonne->addWidget(m_zoneCopies);
    colonne->addLayout(boutons);
    colonne->setSizeConstraint(QLayout::SetFixedSize);

    ChoisitFichier = [this](const QString& depart) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer le PDF sous"), depart,
                                            QStringLiteral("Fichiers PDF (*.pdf)"), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    connect(m_imprimantes, &QComboBox::currentIndexChanged, this,
            &TDialogueImpression::ImprimanteChangee);
    connect(m_parcourir, &QPushButton::clicked, this, [this] {
        const QString chemin = ChoisitFichier(m_fichier->text());
        if (!chemin.isEmpty()) m_fichier->setText(chemin);
    });
    connect(m_ok, &QPushButton::clicked, this, &TDialogueImpression::accept);
    connect(m_annuler, &QPushButton::clicked, this, &QDialog::reject);
}

QStringList TDialogueImpression::Imprimantes()
{
    return QPrinterInfo::availablePrinterNames();
}

bool TDialogueImpression::PdfChoisi() const
{
    return m_imprimantes->currentIndex() == m_imprimantes->count() - 1;
}

void TDialogueImpression::ImprimanteChangee()
{
    m_fichier->setEnabled(PdfChoisi());
    m_parcourir->setEnabled(PdfChoisi());
}

bool TDialogueImpression::Choisit(ChoixImpression& choix, int options)
{
    m_imprimantes->blockSignals(true);
    m_imprimantes->clear();
    m_imprimantes->addItems(Imprimantes());
    m_imprimantes->addItem(QStringLiteral("Fichier PDF"));
    int index = m_imprimantes->findText(choix.imprimante);
    if (choix.Pdf() || index < 0 || index == m_imprimantes->count() - 1) {
        const QString parDefaut = QPrinterInfo::defaultPrinterName();
        index = !choix.Pdf() && !parDefaut.isEmpty() ? m_imprimantes->findText(parDefaut) : -1;
        if (index < 0) index = m_imprimantes->count() - 1;
    }
    m_imprimantes->setCurrentIndex(index);
    m_imprimantes->blockSignals(false);
    ImprimanteChangee();
    m_fichier->setText(choix.fichierPdf);
    m_dossierPropose = QFileInfo(choix.fichierPdf).absolutePath();
    m_etendue->setVisible(options & AvecSelection);
    (choix.selection ? m_selection : m_tout)->setChecked(true);
    m_zoneCopies->setVisible(options & AvecCopies);
    m_copies->setValue(choix.copies);

    if (exec() != QDialog::Accepted) return false;
    choix.imprimante = PdfChoisi() ? QString() : m_imprimantes->currentText();
    choix.fichierPdf = m_fichier->text();
    choix.selection = (options & AvecSelection) && m_selection->isChecked();
    choix.copies = (options & AvecCopies) ? m_copies->value() : 1;
    return true;
}

void TDialogueImpression::accept()
{
    if (PdfChoisi()) {
        QString chemin = m_fichier->text().trimmed();
        if (chemin.isEmpty()) {
            TMessage::Erreur(this, QStringLiteral("Indiquez le nom du fichier PDF."));
            return;
        }
        if (QFileInfo(chemin).suffix().isEmpty()) chemin += QStringLiteral(".pdf");
        // A bare name goes into the folder proposed, not the program's working folder.
        if (QFileInfo(chemin).isRelative()) chemin = QDir(m_dossierPropose).filePath(chemin);
        const QFileInfo info(chemin);
        if (!info.absoluteDir().exists()) {
            TMessage::Erreur(
                this,
                QString::fromUtf8("Le dossier « %1 » n'existe pas.").arg(info.absolutePath()));
            return;
        }
        if (info.isDir()) {
            TMessage::Erreur(this, QString::fromUtf8("« %1 » est un dossier.").arg(chemin));
            return;
        }
        if (info.exists() &&
            TMessage::Question(this, QString::fromUtf8("Le fichier « %1 » existe déjà.\n"
                                                       "Voulez-vous le remplacer ?")
                                         .arg(chemin)) != TMessage::Oui)
            return;
        m_fichier->setText(info.absoluteFilePath());
    }
    QDialog::accept();
}
