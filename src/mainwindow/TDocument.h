#pragma once

#include "records/EmpreinteFichier.h"
#include "records/VerrouRepertoire.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>

class ModeleRepertoire;
class QWidget;

// The document commands of the main window: new, open, save, save as, and the
// unsaved-changes question that guards new, open and the close. Only the book
// changes here; the window shows the result.
//
// A book may be shared: the book open for editing is locked (VerrouRepertoire), so
// that another copy of the program opening it is told who has it and may open it
// read-only; and every save first checks that the file on the disk is still the one
// read (EmpreinteFichier), so that nobody's changes are overwritten without a word.
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
    // Runs after every successful write of the book, with the stamp of what was
    // written: a file kept beside the book (the synchronisation's) is written then.
    std::function<void(const QString& chemin, const EmpreinteFichier& empreinte)> ApresEcriture;
    // The time the lock messages count ages from; now by default. Tests replace it.
    std::function<QDateTime()> Horloge;

    // True when the pending command may go on: nothing to save, saved, or "&Non".
    bool DemandeEnregistrement();
    // True when the book was replaced by one blank record.
    bool Nouveau();
    // True when a book was loaded.
    bool Ouvrir();
    // Loads `chemin` into a fresh book that replaces the open one only on success;
    // a failure is told in a message box and leaves the open book as it was. A book
    // locked by another copy is opened only as the user answers; a book in a folder
    // (or a file) this user may not write opens read-only, with a message.
    bool Charge(const QString& chemin);
    // True when the book was written; a failure is told and leaves Modifie set. A
    // file changed on the disk since it was read is never replaced without asking.
    bool Enregistrer();
    bool EnregistrerSous();

    // The book cannot be changed: it is open read-only. Every subsystem that changes
    // the book asks here, and follows LectureSeuleChangee.
    bool LectureSeule() const { return m_lectureSeule; }
    // The lock this copy holds on the open book (none when it is read-only, opened
    // "quand même" or unnamed).
    const VerrouRepertoire& Verrou() const { return m_verrou; }
    // What the open book's file was when it was last read or written.
    const EmpreinteFichier& Empreinte() const { return m_empreinte; }

    // The window closes: the lock goes.
    void Ferme();
    // Looks whether another program changed the file since it was read, as the window
    // comes back: offers to reload a book without unsaved changes, or warns once about
    // each change. True when the book was reloaded.
    bool VerifieDisque();

    static QString FiltreFichiers();
    static QString TexteModifieSurDisque();

signals:
    // FichierCourant changed: the caption names another file.
    void NomChange();
    // The book became read-only, or writable again (a Save as, New, another book).
    void LectureSeuleChangee(bool lectureSeule);

private:
    enum class Acces { Annule, Ecriture, LectureSeule };
    struct Decision {
        Acces acces = Acces::Annule;
        bool gardeVerrou = false; // the lock already held is the book's
        VerrouRepertoire verrou;  // the lock taken for it
        QString message;          // why it opens read-only
    };
    Decision DecideAcces(const QString& chemin);
    bool ChargeAvec(const QString& chemin, Decision decision);
    // Writes the book to FichierCourant and keeps the stamp of what was written.
    bool Ecrit();
    void SetLectureSeule(bool lectureSeule);
    QDateTime Maintenant() const;

    QString DossierInitial() const;
    QString DialogueFichier(bool enregistrer);
    QString DialogueOuvrir();
    QString DialogueEnregistrer();

    ModeleRepertoire& m_modele;
    QWidget* m_fenetre;
    VerrouRepertoire m_verrou;
    EmpreinteFichier m_empreinte;
    EmpreinteFichier m_signale; // the change of the disk already told about
    bool m_absenceSignalee = false;
    bool m_lectureSeule = false;
    bool m_verification = false;
};
