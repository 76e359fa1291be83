#include "TDialogueExport.h"

#include "ui/TMessage.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>

TDialogueExport::TDialogueExport(QWidget* parent, const QString& dossier, TypeFichier type,
                                 const QString& nom)
    : QFileDialog(parent, QString::fromUtf8("Exportation du carnet d'adresses"), dossier)
{
    setObjectName(QStringLiteral("DialogueExport"));
    setOption(QFileDialog::DontUseNativeDialog);
    // Asked here about the file really written, not about the name typed.
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setNameFilters(FormatEchange::FiltresExport());
    selectNameFilter(FormatEchange::Filtre(type));
    setDefaultSuffix(FormatEchange::Extension(type));
    selectFile(nom);
    m_choisies = new QCheckBox(
        QString::fromUtf8("Seulement les fiches choisies pour le &mailing (vCard)"), this);
    m_choisies->setObjectName(QStringLiteral("Choisies"));
    m_choisies->setEnabled(FormatEchange::EstVCard(type));
    if (auto* grille = qobject_cast<QGridLayout*>(layout()))
        grille->addWidget(m_choisies, grille->rowCount(), 0, 1, -1);
    connect(this, &QFileDialog::filterSelected, this, &TDialogueExport::TypeChoisi);
}

bool TDialogueExport::Choisies() const
{
    return m_choisies->isEnabled() && m_choisies->isChecked();
}

void TDialogueExport::SetChoisies(bool choisies)
{
    m_choisies->setChecked(choisies);
}

TypeFichier TDialogueExport::Type() const
{
    return FormatEchange::TypeDuFiltre(selectedNameFilter());
}

QString TDialogueExport::Fichier() const
{
    const QStringList choisis = selectedFiles();
    return choisis.isEmpty() ? QString() : FormatEchange::AvecExtension(choisis.first(), Type());
}

QString TDialogueExport::QuestionRemplacer(const QString& fichier)
{
    return QString::fromUtf8("Le fichier « %1 » existe déjà.\nVoulez-vous le remplacer ?")
        .arg(QDir::toNativeSeparators(fichier));
}

void TDialogueExport::TypeChoisi(const QString& filtre)
{
    const TypeFichier type = FormatEchange::TypeDuFiltre(filtre);
    setDefaultSuffix(FormatEchange::Extension(type));
    m_choisies->setEnabled(FormatEchange::EstVCard(type));
    // The name typed so far takes the new type's extension at once.
    auto* nom = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (nom && !nom->text().trimmed().isEmpty())
        nom->setText(FormatEchange::AvecExtension(nom->text(), type));
}

void TDialogueExport::accept()
{
    const QStringList choisis = selectedFiles();
    if (!choisis.isEmpty()) {
        const QString choisi = choisis.first();
        const QFileInfo info(choisi);
        // A folder is entered and a pattern filters the list, as the dialog does.
        const bool motif = info.fileName().contains(QLatin1Char('*')) ||
                           info.fileName().contains(QLatin1Char('?'));
        if (!info.isDir() && !motif) {
            const QFileInfo final(FormatEchange::AvecExtension(choisi, Type()));
            if ((final.exists() || final.isSymLink()) &&
                TMessage::QuestionOuiNon(this, QuestionRemplacer(final.filePath())) !=
                    TMessage::Oui)
                return;
        }
    }
    QFileDialog::accept();
}
