#include "TProgramme.h"

#include "comm/TCommunication.h"
#include "comm/TNumerot.h"
#include "exchange/TAsso.h"
#include "exchange/TEchange.h"
#include "labels/TMailing.h"
#include "mainwindow/TFiche.h"
#include "photos/TPhotos.h"
#include "printing/TCopyOpt.h"
#include "printing/TImpression.h"
#include "search/TBarreRecherche.h"
#include "search/TFind.h"
#include "search/TSchOpt.h"
#include "sync/TSync.h"

#include <QAction>

TProgramme::TProgramme(const QString& cheminReglages, const QString& dossierProgramme,
                       const QStringList& arguments)
    : Socle(cheminReglages, dossierProgramme)
{
    using C = TMenusFiche::Commande;
    using E = EcritureReglages::Etape;
    TFiche* fiche = Fiche();
    Reglages& reglages = Store();

    // What the main window reads at its creation: the quick-search bar and the photo.
    m_barre = new TBarreRecherche(*fiche, m_options, fiche);
    fiche->RemplaceBarreRecherche(m_barre, m_barre->Edit(), m_barre->FindBtn2(),
                                  m_barre->PrevBtn());
    m_barre->Lit(reglages);
    m_photos = new TPhotos(*fiche);
    m_photos->Lit(reglages);

    // Every dialog is created once, in this order, and lives until the end; each
    // reads its own settings now.
    m_find = new TFind(*fiche, m_options, fiche);
    m_find->Lit(reglages);
    m_echange = new TEchange(*fiche, *new TAsso(fiche));
    m_mailing = new TMailing(*fiche);
    m_mailing->Lit(reglages);
    m_mailing->BrancheCatalogue(*this, dossierProgramme);
    m_copyOpt = new TCopyOpt(fiche);
    m_copyOpt->Lit(reglages);
    m_schOpt = new TSchOpt(m_options, fiche);
    m_schOpt->Lit(reglages);
    m_numerot = new TNumerot(fiche);
    m_numerot->Lit(reglages);
    new TCommunication(*fiche, *m_numerot);
    m_impression = new TImpression(*fiche, *m_copyOpt, fiche);
    m_sync = new TSync(*fiche);
    m_sync->Lit(reglages);

    TMenusFiche* menus = fiche->Menus();
    menus->SetDisponible(C::Chercher, true);
    menus->SetDisponible(C::RechercheSelective, true);
    QObject::connect(menus->Item(C::Chercher), &QAction::triggered, m_find, &TFind::Ouvre);
    if (QAction* bouton = menus->Bouton(C::Chercher))
        QObject::connect(bouton, &QAction::triggered, m_find, &TFind::Ouvre);
    QObject::connect(menus->Item(C::RechercheSelective), &QAction::triggered, m_schOpt,
                     [this] { m_schOpt->exec(); });

    // The write at close: each window's keys at their step.
    EcritureReglages& ecriture = Ecriture();
    ecriture.Contribue(E::OptionsCopie, [this](Reglages& r) { m_copyOpt->Ecrit(r); });
    // The photo commands keep the picker's option for the run: theirs replaces the window's.
    ecriture.Contribue(E::Apercu, [this](Reglages& r) { m_photos->Ecrit(r); });
    ecriture.Contribue(E::OptionsModem, [this](Reglages& r) { m_numerot->Ecrit(r); });
    m_mailing->Contribue(ecriture);
    ecriture.Contribue(E::OptionsRecherche, [this](Reglages& r) { m_schOpt->Ecrit(r); });
    ecriture.Contribue(E::Recherches, [this](Reglages& r) { m_find->Ecrit(r); });
    ecriture.Contribue(E::Recherches2, [this](Reglages& r) { m_barre->Ecrit(r); });
    ecriture.Contribue(E::Synchronisation, [this](Reglages& r) { m_sync->Ecrit(r); });

    Demarre(arguments);
}

TProgramme::~TProgramme()
{
    // The windows read the search options.
    FermeFenetres();
}
