#include "TProgramme.h"

#include "comm/TCommunication.h"
#include "comm/TNumerot.h"
#include "exchange/TAsso.h"
#include "exchange/TEchange.h"
#include "labels/TMailing.h"
#include "mainwindow/TAboutBox.h"
#include "mainwindow/TFTri.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TMessage.h"
#include "printing/TCopyOpt.h"
#include "printing/TImpression.h"
#include "photos/TPhotos.h"
#include "search/TBarreRecherche.h"
#include "search/TFind.h"
#include "search/TSchOpt.h"
#include "settings/ReglagesFiche.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>

TProgramme::TProgramme(const QString& cheminReglages, const QString& dossierProgramme,
                       const QStringList& arguments)
    : m_reglages(cheminReglages)
{
    using C = TMenusFiche::Commande;
    using E = EcritureReglages::Etape;

    // The main window and what it reads at its creation.
    m_fiche = std::make_unique<TFiche>(dossierProgramme);
    TFiche* fiche = m_fiche.get();
    fiche->AppliqueEtat(ReglagesFiche::Lit(m_reglages, fiche->EtatParDefaut()));
    m_barre = new TBarreRecherche(*fiche, m_options, fiche);
    fiche->RemplaceBarreRecherche(m_barre, m_barre->Edit(), m_barre->FindBtn2(),
                                  m_barre->PrevBtn());
    m_barre->Lit(m_reglages);
    m_photos = new TPhotos(*fiche);
    m_photos->Lit(m_reglages);

    // Every dialog is created once, in this order, and lives until the end; each
    // reads its own settings now.
    m_find = new TFind(*fiche, m_options, fiche);
    m_find->Lit(m_reglages);
    fiche->SetDialogueTri(new TFTri(fiche));
    m_echange = new TEchange(*fiche, *new TAsso(fiche));
    m_mailing = new TMailing(*fiche);
    m_mailing->Lit(m_reglages);
    ChargeCatalogue(dossierProgramme);
    fiche->SetAPropos(new TAboutBox(fiche));
    m_copyOpt = new TCopyOpt(fiche);
    m_copyOpt->Lit(m_reglages);
    m_schOpt = new TSchOpt(m_options, fiche);
    m_schOpt->Lit(m_reglages);
    m_numerot = new TNumerot(fiche);
    m_numerot->Lit(m_reglages);
    new TCommunication(*fiche, *m_numerot);

    TMenusFiche* menus = fiche->Menus();
    menus->SetDisponible(C::Chercher, true);
    menus->SetDisponible(C::RechercheSelective, true);
    QObject::connect(menus->Item(C::Chercher), &QAction::triggered, m_find, &TFind::Ouvre);
    if (QAction* bouton = menus->Bouton(C::Chercher))
        QObject::connect(bouton, &QAction::triggered, m_find, &TFind::Ouvre);
    for (C c : {C::Exporter, C::Importer}) {
        menus->SetDisponible(c, true);
        const auto lance = [this, c] {
            c == C::Exporter ? m_echange->Exporter1Click() : m_echange->Importer1Click();
        };
        QObject::connect(menus->Item(c), &QAction::triggered, m_echange, lance);
        if (QAction* bouton = menus->Bouton(c))
            QObject::connect(bouton, &QAction::triggered, m_echange, lance);
    }
    QObject::connect(menus->Item(C::RechercheSelective), &QAction::triggered, m_schOpt,
                     [this] { m_schOpt->exec(); });
    m_impression = new TImpression(*fiche, *m_copyOpt, fiche);
    // A PDF file can always be printed: the print command never waits for a printer.
    menus->SetDisponible(C::Copier, true);
    menus->SetDisponible(C::Imprimer, true);
    for (QAction* a : {menus->Item(C::Copier), menus->Bouton(C::Copier)})
        QObject::connect(a, &QAction::triggered, m_impression, &TImpression::Copier1Click);
    for (QAction* a : {menus->Item(C::Imprimer), menus->Bouton(C::Imprimer)})
        QObject::connect(a, &QAction::triggered, m_impression, &TImpression::Imprimer1Click);

    // The write at close: each window's keys at their step.
    ReglagesFiche::Contribue(m_ecriture, m_etatFermeture);
    m_ecriture.Contribue(E::OptionsCopie, [this](Reglages& r) { m_copyOpt->Ecrit(r); });
    // The photo commands keep the picker's option for the run: theirs replaces the window's.
    m_ecriture.Contribue(E::Apercu, [this](Reglages& r) { m_photos->Ecrit(r); });
    m_ecriture.Contribue(E::OptionsModem, [this](Reglages& r) { m_numerot->Ecrit(r); });
    m_mailing->Contribue(m_ecriture);
    m_ecriture.Contribue(E::OptionsRecherche, [this](Reglages& r) { m_schOpt->Ecrit(r); });
    m_ecriture.Contribue(E::Recherches, [this](Reglages& r) { m_find->Ecrit(r); });
    m_ecriture.Contribue(E::Recherches2, [this](Reglages& r) { m_barre->Ecrit(r); });
    fiche->SetEcritureFermeture([this](const EtatFenetre& etat) { return Ferme(etat); });

    if (!arguments.isEmpty()) fiche->SetFichierLigneCommande(arguments.first());

    if (!m_reglages.Refus().isEmpty())
        TMessage::Erreur(fiche, QString::fromUtf8("Les réglages « %1 » n'ont pas été lus : %2.\n"
                                                  "Le programme démarre avec les réglages par "
                                                  "défaut et ne les enregistrera pas à la "
                                                  "fermeture.")
                                    .arg(m_reglages.Chemin(), m_reglages.Refus()));
}

TProgramme::~TProgramme() = default;

bool TProgramme::EcritReglages(QString* raison)
{
    return m_ecriture.Execute(m_reglages, raison);
}

bool TProgramme::Ferme(const EtatFenetre& etat)
{
    m_etatFermeture = etat;
    QString raison;
    if (EcritReglages(&raison)) {
        EnregistreCatalogue();
        return true;
    }
    // The window stays open so the user can try again; but a store that can never be
    // written must not make the program impossible to leave.
    if (TMessage::Question(m_fiche.get(),
                           raison + QString::fromUtf8("\n\nQuitter quand même, sans enregistrer "
                                                      "les réglages ?"),
                           QString::fromUtf8("Erreur")) != TMessage::Oui)
        return false;
    // The label formats have files of their own: they are not lost with the settings.
    EnregistreCatalogue();
    return true;
}

void TProgramme::ChargeCatalogue(const QString& dossierProgramme)
{
    const QString dossier =
        dossierProgramme.isEmpty() ? QCoreApplication::applicationDirPath() : dossierProgramme;
    QString base = Reglages::NomReglages(QCoreApplication::applicationFilePath());
    base.chop(4); // ".ini"
    const QString message = m_mailing->ChargeCatalogue(
        dossier, base,
        m_reglages.ReadInteger(QStringLiteral("Dernier format"), QStringLiteral("Format"), 0));
    if (!message.isEmpty())
        QTimer::singleShot(0, m_fiche.get(), [this, message] {
            TMessage::Erreur(m_fiche.get(), message, QString::fromUtf8("Formats d'étiquettes"));
        });
}

// After the settings, as at every close; a failure is told and the program ends.
void TProgramme::EnregistreCatalogue()
{
    const QString erreur = m_mailing->EnregistreCatalogue();
    if (!erreur.isEmpty())
        TMessage::Erreur(m_fiche.get(),
                         QString::fromUtf8("Le catalogue des formats d'étiquettes n'a pas pu être "
                                           "enregistré.\n\n") +
                             erreur);
}
