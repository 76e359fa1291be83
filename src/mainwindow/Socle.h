#pragma once

#include "settings/EcritureReglages.h"
#include "settings/EtatFenetre.h"
#include "settings/Reglages.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TFiche;

// The main window with what every run needs around it, whatever the subsystems:
// the settings store read at creation, the main window showing them, and the write
// at close. The program adds every subsystem to it; a subsystem's tests add theirs.
class Socle
{
public:
    // `cheminReglages`: the settings file; `dossierProgramme`: the program's folder
    // (empty: the running program's).
    Socle(const QString& cheminReglages, const QString& dossierProgramme);
    virtual ~Socle();
    Socle(const Socle&) = delete;
    Socle& operator=(const Socle&) = delete;

    TFiche* Fiche() const { return m_fiche.get(); }
    Reglages& Store() { return m_reglages; }
    EcritureReglages& Ecriture() { return m_ecriture; }

    // The write at close (EcritReglages); false with the reason when the store failed.
    bool EcritReglages(QString* raison);
    // Runs at the close once the settings are written (or given up on): for the files
    // a subsystem keeps of its own.
    void ALaFermeture(std::function<void()> action);

protected:
    // The command line without the program's name, and the notice of settings that
    // could not be read: once every subsystem is in place.
    void Demarre(const QStringList& arguments);
    // The main window and its dialogs go first: a derived class calls this in its
    // destructor when the windows read members of its own.
    void FermeFenetres() { m_fiche.reset(); }

private:
    bool Ferme(const EtatFenetre& etat);

    Reglages m_reglages;
    EcritureReglages m_ecriture;
    EtatFenetre m_etatFermeture;
    std::vector<std::function<void()>> m_fermeture;
    // Last, so the windows go before what they read.
    std::unique_ptr<TFiche> m_fiche;
};
