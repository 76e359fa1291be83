#pragma once

#include <QObject>
#include <QString>
#include <functional>

class ModeleRepertoire;
class QWidget;

// The document commands of the main window: new, open, save, save as, and the
// unsaved-changes question that guards new, open and the close. Only the
// book changes here; the window shows the result.
class TDocument : public QObject
{
    Q_OBJECT
public:
    TDocument(ModeleRepertoire& modele, QWidget* fenetre);

    // The file dialogs; an empty path means cancelled. Tests replace them.
    std::function<QString()> ChoisitFichierOuvrir;
    std::function<QString()> ChoisitFichierEnregistrer;
    // Runs at the start of every save (the window sorts when sort-on-save is on).
    std::function<void()> AvantEcriture;

    // True when the pending command may go on: nothing to save, saved, or "&Non".
    bool DemandeEnregistrement();
    // True when the book was replaced by one blank record.
    bool Nouveau();
    // True when a book was loaded.
    bool Ouvrir();
    // Loads `chemin` into a fresh book that replaces the open one only on success;
    // a failure is told in a message box and leaves the open book as it was.
    bool Charge(const QString& chemin);
    // True when the book was written; a failure is told and leaves Modifie set.
    bool Enregistrer();
    bool EnregistrerSous();

    static QString FiltreFichiers();

signals:
    // FichierCourant changed: the caption names another file.
    void NomChange();

private:
    QString DossierInitial() const;
    QString DialogueFichier(bool enregistrer);
    QString DialogueOuvrir();
    QString DialogueEnregistrer();

    ModeleRepertoire& m_modele;
    QWidget* m_fenetre;
};
