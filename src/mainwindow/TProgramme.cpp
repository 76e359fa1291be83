#include "TProgramme.h"

#include "labels/TMailing.h"
#include "mainwindow/TAboutBox.h"
#include "mainwindow/TFTri.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TMessage.h"
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

    // Every dialog is created once, in this order, and lives until the end; each
    // reads its own settings now.
    m_find = new TFind(*fiche, m_options, fiche);
    m_find->Lit(m_reglages);
    fiche->SetDialogueTri(new TFTri(fiche));
    // TAsso
    m_mailing = new TMailing(*fiche);
    m_mailing->Lit(m_reglages);
    ChargeCatalogue(dossierProgramme);
    fiche->SetAPropos(new TAboutBox(fiche));
    // TCopyOpt
    m_schOpt = new TSchOpt(m_options, fiche);
    m_schOpt->Lit(m_reglages);
    // TNumerot

    TMenusFiche* menus = fiche->Menus();
    menus->SetDisponible(C::Chercher, true);
    menus->SetDisponible(C::RechercheSelective, true);
    QObject::connect(menus->Item(C::Chercher), &QAction::triggered, m_find, &TFind::Ouvre);
    if (QAction* bouton = menus->Bouton(C::Chercher))
        QObject::connect(bouton, &QAction::triggered, m_find, &TFind::Ouvre);
    QObject::connect(menus->Item(C::RechercheSelective), &QAction::triggered, m_schOpt,
                     [this] { m_schOpt->exec(); });

    // The write at close: each window's keys at their step.
    ReglagesFiche::Contribue(m_ecriture, m_etatFermeture);
    m_mailing->Contribue(m_ecriture);
    m_ecriture.Contribue(E::OptionsRecherche, [this](Reglages& r) { m_schOpt->Ecrit(r); });
    m_ecriture.Contribue(E::Recherches, [this](Reglages& r) { m_find->Ecrit(r); });
    m_ecriture.Contribue(E::Recherches2, [this](Reglages& r) { m_barre->Ecrit(r); });
    fiche->SetEcritureFermeture([this](const EtatFenetre& etat) { return Ferme(etat); });

    if (!arguments.isEmpty()) fiche->SetFichierLigneCommande(arguments.first());
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
