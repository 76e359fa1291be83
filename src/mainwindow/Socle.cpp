#include "Socle.h"

#include "mainwindow/TAboutBox.h"
#include "mainwindow/TFTri.h"
#include "mainwindow/TFiche.h"
#include "settings/ReglagesFiche.h"
#include "ui/TMessage.h"

Socle::Socle(const QString& cheminReglages, const QString& dossierProgramme)
    : m_reglages(cheminReglages)
{
    m_fiche = std::make_unique<TFiche>(dossierProgramme);
    m_fiche->AppliqueEtat(ReglagesFiche::Lit(m_reglages, m_fiche->EtatParDefaut()));
    // The main window's own dialogs, which read no settings.
    m_fiche->SetDialogueTri(new TFTri(m_fiche.get()));
    m_fiche->SetAPropos(new TAboutBox(m_fiche.get()));
    ReglagesFiche::Contribue(m_ecriture, m_etatFermeture);
    m_fiche->SetEcritureFermeture([this](const EtatFenetre& etat) { return Ferme(etat); });
}

Socle::~Socle() = default;

void Socle::Demarre(const QStringList& arguments)
{
    if (!arguments.isEmpty()) m_fiche->SetFichierLigneCommande(arguments.first());
    if (!m_reglages.Refus().isEmpty())
        TMessage::Erreur(m_fiche.get(),
                         QString::fromUtf8("Les réglages « %1 » n'ont pas été lus : %2.\n"
                                           "Le programme démarre avec les réglages par "
                                           "défaut et ne les enregistrera pas à la "
                                           "fermeture.")
                             .arg(m_reglages.Chemin(), m_reglages.Refus()));
}

bool Socle::EcritReglages(QString* raison)
{
    return m_ecriture.Execute(m_reglages, raison);
}

void Socle::ALaFermeture(std::function<void()> action)
{
    m_fermeture.push_back(std::move(action));
}

bool Socle::Ferme(const EtatFenetre& etat)
{
    m_etatFermeture = etat;
    QString raison;
    if (!EcritReglages(&raison) &&
        // The window stays open so the user can try again; but a store that can never
        // be written must not make the program impossible to leave.
        TMessage::Question(m_fiche.get(),
                           raison + QString::fromUtf8("\n\nQuitter quand même, sans enregistrer "
                                                      "les réglages ?"),
                           QString::fromUtf8("Erreur")) != TMessage::Oui)
        return false;
    // Files of their own (the label formats) are not lost with the settings.
    for (const auto& action : m_fermeture)
        action();
    return true;
}
