#include "TDocument.h"

#include "mainwindow/CurseurOccupe.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TMessage.h"
#include "records/FichierRep.h"

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
    {
        CurseurOccupe occupe;
        erreur = FichierRep::ChargeRepertoire(QFileInfo(chemin).absoluteFilePath(), nouveau);
    }
    if (!erreur.isEmpty()) {
        TMessage::Erreur(m_fenetre, erreur);
        return false;
    }
    m_modele.Remplace(std::move(nouveau));
    emit NomChange();
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
    // The writer cleared Modifie in the book itself: tell the model's listeners.
    emit m_modele.ModifieChange(false);
    return true;
}

bool TDocument::EnregistrerSous()
{
    const QString chemin = ChoisitFichierEnregistrer ? ChoisitFichierEnregistrer() : QString();
    if (chemin.isEmpty()) return false;
    m_modele.Rep().SetFichierCourant(QFileInfo(chemin).absoluteFilePath());
    emit NomChange();
    return Enregistrer();
}

QString TDocument::DossierInitial() const
{
    const QString courant = m_modele.Rep().FichierCourant();
    if (!courant.isEmpty() && QFileInfo(courant).absoluteDir().exists())
        return QFileInfo(courant).absolutePath();
    return QDir::homePath();
}

// The open and save dialogs differ only in their title, mode and proposed name.
QString TDocument::DialogueFichier(bool enregistrer)
{
    QFileDialog dialogue(m_fenetre, QString::fromUtf8(enregistrer ? "Enregistrer sous" : "Ouvrir"),
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
