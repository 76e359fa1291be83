#pragma once

#include "mainwindow/Socle.h"
#include "search/OptionsRecherche.h"

#include <QString>
#include <QStringList>

class TFind;
class TSchOpt;
class TBarreRecherche;
class TCopyOpt;
class TImpression;
class TPhotos;
class TNumerot;
class TEchange;
class TMailing;
class TSync;

// The running program: the main window and every subsystem's commands and dialogs,
// created once at start-up in their fixed order, each reading its settings and
// taking its part in the write at close.
class TProgramme : public Socle
{
public:
    // `cheminReglages`: the settings file; `dossierProgramme`: the program's folder
    // (empty: the running program's); `arguments`: the command line without the
    // program's name.
    TProgramme(const QString& cheminReglages, const QString& dossierProgramme,
               const QStringList& arguments);
    ~TProgramme() override;

    TFind* Find() const { return m_find; }
    TSchOpt* SchOpt() const { return m_schOpt; }
    TBarreRecherche* Barre() const { return m_barre; }
    TCopyOpt* CopyOpt() const { return m_copyOpt; }
    TImpression* Impression() const { return m_impression; }
    TPhotos* Photos() const { return m_photos; }
    TNumerot* Numerot() const { return m_numerot; }
    TEchange* Echange() const { return m_echange; }
    TMailing* Mailing() const { return m_mailing; }
    TSync* Sync() const { return m_sync; }

private:
    OptionsRecherche m_options;
    TFind* m_find = nullptr;
    TSchOpt* m_schOpt = nullptr;
    TBarreRecherche* m_barre = nullptr;
    TCopyOpt* m_copyOpt = nullptr;
    TImpression* m_impression = nullptr;
    TPhotos* m_photos = nullptr;
    TNumerot* m_numerot = nullptr;
    TEchange* m_echange = nullptr;
    TMailing* m_mailing = nullptr;
    TSync* m_sync = nullptr;
};
