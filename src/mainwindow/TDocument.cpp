#include "TDocument.h"

#include "mainwindow/ModeleRepertoire.h"
#include "records/FichierRep.h"
#include "records/FichierSur.h"
#include "ui/CurseurOccupe.h"
#include "ui/TMessage.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

TDocument::TDocument(ModeleRepertoire& modele, QWidget* fenetre)
    : QObject(fenetre), m_modele(modele), m_fenetre(fenetre)
{
    ChoisitFichierOuvrir = [this] { return DialogueOuvrir(); };
    ChoisitFichierEnregistrer = [this] { return DialogueEnregistrer(); };
}

QString TDocument::FiltreFichiers()
{
    return QString::fromUtf8("Répertoire (*.REP)");
}

bool TDocument::DemandeEnregistrement()
{
    if (!m_modele.Rep().Modifie()) return true;
    switch (TMessage::Question(
        m_fenetre, QString::fromUtf8("Le répertoire a été modifié. Voulez-vous l'enregistrer ?"),
        QString::fromUtf8("Confirmation"))) {
    case TMessage::Oui:
        Enregistrer();
        return !m_modele.Rep().Modifie();
    case TMessage::Non:
        return true;
    default:
        return false;
    }
}

bool TDocument::Nouveau()
{
    if (!DemandeEnregistrement()) return false;
    m_modele.Nouveau();
    emit NomChange();
    return true;
}

bool TDocument::Ouvrir()
{
    if (!DemandeEnregistrement()) return false;
    const QString chemin = ChoisitFichierOuvrir ? ChoisitFichierOuvrir() : QString();
    if (chemin.isEmpty()) return false;
    return Charge(chemin);
}

bool TDocument::Charge(const QString& chemin)
{
    Repertoire nouveau;
    QString erreur;
    QString avertissement;
    {
        CurseurOccupe occupe;
        erreur = FichierRep::ChargeRepertoire(QFileInfo(chemin).absoluteFilePath(), nouveau,
                                              &avertissement);
    }
    if (!erreur.isEmpty()) {
        TMessage::Erreur(m_fenetre, erreur);
        return false;
    }
    m_modele.Remplace(std::move(nouveau));
    emit NomChange();
    if (!avertissement.isEmpty())
        TMessage::Information(m_fenetre, avertissement, QString::fromUtf8("Avertissement"));
    return true;
}

bool TDocument::Enregistrer()
{
    Repertoire& rep = m_modele.Rep();
    if (rep.FichierCourant().isEmpty()) return EnregistrerSous();
    if (AvantEcriture) AvantEcriture();
    QString erreur;
    {
        CurseurOccupe occupe;
        erreur = FichierRep::EcritRepertoire(rep.FichierCourant(), rep);
    }
    if (!erreur.isEmpty()) {
        TMessage::Erreur(m_fenetre, erreur);
        return false;
    }
    if (FichierSur::ProprietairePerdu())
        TMessage::Information(
            m_fenetre,
            QString::fromUtf8("Le répertoire « %1 » est enregistré, mais le système n'a pas "
                              "permis de lui garder son propriétaire et son groupe : les autres "
                              "utilisateurs qui le partageaient n'y ont peut-être plus accès.")
                .arg(rep.FichierCourant()),
            QString::fromUtf8("Avertissement"));
    return true;
}

bool TDocument::EnregistrerSous()
{
    const QString chemin = ChoisitFichierEnregistrer ? ChoisitFichierEnregistrer() : QString();
    if (chemin.isEmpty()) return false;
    // A name is taken only by a save that succeeds: after a failure the caption and
    // the next Ctrl+S keep the name the book had.
    Repertoire& rep = m_modele.Rep();
    const QString ancien = rep.FichierCourant();
    rep.SetFichierCourant(QFileInfo(chemin).absoluteFilePath());
    emit NomChange();
    if (Enregistrer()) return true;
    rep.SetFichierCourant(ancien);
    emit NomChange();
    return false;
}

QString TDocument::DossierInitial() const
{
    const QString courant = m_modele.Rep().FichierCourant();
    if (!courant.isEmpty() && QFileInfo(courant).absoluteDir().exists())
        return QFileInfo(courant).absolutePath();
    return QDir::homePath();
}

namespace
{
// The save dialog takes a name only in a folder that exists.
class DialogueFichierRep : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        if (acceptMode() == AcceptSave) {
            const QStringList choisis = selectedFiles();
            if (!choisis.isEmpty()) {
                const QFileInfo fichier(choisis.constFirst());
                if (!QFileInfo(fichier.absolutePath()).isDir()) {
                    TMessage::Erreur(this,
                                     QString::fromUtf8("Le dossier « %1 » n'existe pas.\n"
                                                       "Choisissez un dossier existant.")
                                         .arg(QDir::toNativeSeparators(fichier.absolutePath())));
                    return;
                }
            }
        }
        QFileDialog::accept();
    }
};
} // namespace

// The open and save dialogs differ only in their title, mode and proposed name.
QString TDocument::DialogueFichier(bool enregistrer)
{
    DialogueFichierRep dialogue(m_fenetre,
                                QString::fromUtf8(enregistrer ? "Enregistrer sous" : "Ouvrir"),
                                DossierInitial(), FiltreFichiers());
    dialogue.setOption(QFileDialog::DontUseNativeDialog);
    dialogue.setAcceptMode(enregistrer ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialogue.setFileMode(enregistrer ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialogue.setDefaultSuffix(QStringLiteral("REP"));
    const QString courant = m_modele.Rep().FichierCourant();
    if (enregistrer && !courant.isEmpty()) dialogue.selectFile(QFileInfo(courant).fileName());
    if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty()) return {};
    return dialogue.selectedFiles().constFirst();
}

QString TDocument::DialogueOuvrir()
{
    return DialogueFichier(false);
}

QString TDocument::DialogueEnregistrer()
{
    return DialogueFichier(true);
}
