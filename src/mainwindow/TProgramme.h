#pragma once

#include "mainwindow/EtatFenetre.h"
#include "search/OptionsRecherche.h"
#include "settings/EcritureReglages.h"
#include "settings/Reglages.h"

#include <QString>
#include <QStringList>
#include <memory>

class TFiche;
class TFind;
class TSchOpt;
class TBarreRecherche;
class TCopyOpt;
class TImpression;
class TPhotos;
class TNumerot;
class TEchange;
class TMailing;

// The running program: the settings store, the main window and the dialogs created
// once at start-up in their fixed order, and the write of the settings at the close.
class TProgramme
{
public:
    // `cheminReglages`: the settings file; `dossierProgramme`: the program's folder
    // (empty: the running program's); `arguments`: the command line without the
    // program's name.
    TProgramme(const QString& cheminReglages, const QString& dossierProgramme,
               const QStringList& arguments);
    ~TProgramme();

    TFiche* Fiche() const { return m_fiche.get(); }
    TFind* Find() const { return m_find; }
    TSchOpt* SchOpt() const { return m_schOpt; }
    TBarreRecherche* Barre() const { return m_barre; }
    TCopyOpt* CopyOpt() const { return m_copyOpt; }
    TImpression* Impression() const { return m_impression; }
    TPhotos* Photos() const { return m_photos; }
    TNumerot* Numerot() const { return m_numerot; }
    TEchange* Echange() const { return m_echange; }
    TMailing* Mailing() const { return m_mailing; }
    Reglages& Store() { return m_reglages; }

    // The write at close (EcritReglages); false with the reason when the store failed.
    bool EcritReglages(QString* raison);

private:
    bool Ferme(const EtatFenetre& etat);
    void ChargeCatalogue(const QString& dossierProgramme);
    void EnregistreCatalogue();

    Reglages m_reglages;
    OptionsRecherche m_options;
    EcritureReglages m_ecriture;
    EtatFenetre m_etatFermeture;
    // Last, so the windows go before what they read.
    std::unique_ptr<TFiche> m_fiche;
    TFind* m_find = nullptr;
    TSchOpt* m_schOpt = nullptr;
    TBarreRecherche* m_barre = nullptr;
    TCopyOpt* m_copyOpt = nullptr;
    TImpression* m_impression = nullptr;
    TPhotos* m_photos = nullptr;
    TNumerot* m_numerot = nullptr;
    TEchange* m_echange = nullptr;
    TMailing* m_mailing = nullptr;
};
