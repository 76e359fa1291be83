#include "TSync.h"

#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TMenusFiche.h"
#include "sync/AdresseCardDav.h"
#include "sync/FichierSync.h"
#include "sync/TCompteSync.h"
#include "sync/TConflitsSync.h"
#include "ui/TMessage.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>

namespace
{

QString Fr(const char* texte)
{
    return QString::fromUtf8(texte);
}

QString Nombre(int n, const char* un, const char* plusieurs)
{
    return QString::number(n) + QLatin1Char(' ') + Fr(n > 1 ? plusieurs : un);
}

} // namespace

TSync::TSync(TFiche& fiche)
    : QObject(&fiche), m_fiche(fiche), m_dialogueCompte(new TCompteSync(&fiche)),
      m_dialogueConflits(new TConflitsSync(&fiche))
{
    ExecuteCompte = [](TCompteSync& d) { return d.exec() == QDialog::Accepted; };
    ExecuteConflits = [](TConflitsSync& d) { return d.exec() == QDialog::Accepted; };
    m_fiche.Document()->ApresEcriture = [this](const QString& chemin, const EmpreinteFichier& e) {
        ApresEcriture(chemin, e);
    };
    TMenusFiche* menus = m_fiche.Menus();
    using C = TMenusFiche::Commande;
    menus->SetDisponible(C::Synchroniser, true);
    menus->SetDisponible(C::CompteSync, true);
    connect(menus->Item(C::Synchroniser), &QAction::triggered, this, &TSync::Synchroniser1Click);
    connect(menus->Item(C::CompteSync), &QAction::triggered, this, [this] { Compte1Click(); });
    connect(&m_moteur, &MoteurSync::Avance, this, &TSync::MontreProgression);
}

TSync::~TSync()
{
    m_fiche.Document()->ApresEcriture = nullptr;
}

void TSync::Lit(const Reglages& reglages)
{
    m_compte.Lit(reglages);
}

void TSync::Ecrit(Reglages& reglages) const
{
    m_compte.Ecrit(reglages);
}

ClientCardDav::Parametres TSync::Acces(const QString& motDePasse) const
{
    ClientCardDav::Parametres p;
    p.utilisateur = m_compte.utilisateur;
    p.motDePasse = motDePasse;
    p.httpAccepte = m_compte.httpAccepte;
    p.certificatAccepte = m_compte.certificat;
    return p;
}

bool TSync::Compte1Click()
{
    if (m_enCours) return false;
    m_dialogueCompte->Montre(m_compte, m_motDePasse, QString());
    if (!ExecuteCompte(*m_dialogueCompte)) return false;
    const CompteSync nouveau = m_dialogueCompte->Compte();
    if (nouveau.adresse != m_compte.adresse || nouveau.utilisateur != m_compte.utilisateur)
        m_carnet = QUrl();
    m_compte = nouveau;
    const QString motDePasse = m_dialogueCompte->MotDePasse();
    if (!motDePasse.isEmpty()) {
        m_motDePasse = motDePasse;
        m_coffre.Ecrit(AdresseCardDav::CleCoffre(QUrl(m_compte.adresse), m_compte.utilisateur),
                       motDePasse, [this](bool ok, const QString& raison) {
                           if (!ok) TMessage::Information(&m_fiche, raison);
                       });
    }
    return true;
}

void TSync::Synchroniser1Click()
{
    if (m_enCours) return;
    m_fiche.ValideSaisieGrille();
    const auto refuse = [this](const QString& texte, bool erreur) {
        if (erreur)
            TMessage::Erreur(&m_fiche, texte);
        else if (!texte.isEmpty())
            TMessage::Information(&m_fiche, texte);
        emit Fini(false);
    };
    if (!m_compte.Configure() && !Compte1Click()) return refuse(QString(), false);
    TDocument* document = m_fiche.Document();
    const QString chemin = m_fiche.Rep().FichierCourant();
    if (document->LectureSeule())
        return refuse(Fr("Le carnet est ouvert en lecture seule : il ne peut pas recevoir les "
                         "fiches du serveur."),
                      true);
    if (chemin.isEmpty())
        return refuse(Fr("Enregistrez d'abord le carnet : ce qui le relie au serveur se garde à "
                         "côté de lui, dans un fichier du même nom suivi de « .sync »."),
                      false);
    if (document->Empreinte().Valide() &&
        document->Empreinte().Compare(chemin) != EmpreinteFichier::Etat::Inchange)
        return refuse(Fr("Le fichier « %1 » a été modifié par un autre programme depuis son "
                         "ouverture : rouvrez-le, ou enregistrez ce carnet, avant de "
                         "synchroniser.")
                          .arg(chemin),
                      true);
    if (!ChargeEtat(&m_perime)) return refuse(QString(), false);
    m_enCours = true;
    AvecMotDePasse([this](const QString& motDePasse) {
        if (m_carnet.isValid())
            Prepare(m_carnet, motDePasse);
        else
            Decouvre(motDePasse);
    });
}

bool TSync::ChargeEtat(bool* perime)
{
    const QString chemin = m_fiche.Rep().FichierCourant();
    const QString hachage = m_fiche.Document()->Empreinte().Hachage();
    *perime = false;
    // The state of this very book, as this run left it: kept (it may be ahead of
    // the sync file, which is written with the book).
    // A state ahead of its file whose book is no longer modified: the book was read
    // again from the disk, and the synchronisation's unsaved changes went with it.
    if (m_etatEnAvance && !m_fiche.Rep().Modifie()) m_etatLu = false;
    if (m_etatLu && chemin == m_cheminEtat && hachage == m_hachageEtat) {
        *perime = m_perime;
        return true;
    }
    bool absent = false;
    const QString erreur = FichierSync::Charge(chemin, m_etat, &absent);
    if (!erreur.isEmpty()) {
        m_etat = EtatSync();
        TMessage::Avertissement(
            &m_fiche, Fr("Le fichier de synchronisation « %1 » n'a pas pu être lu : %2.\n\nLes "
                         "fiches du carnet seront rapprochées de celles du serveur par leur "
                         "contenu, sans rien supprimer.")
                          .arg(FichierSync::Chemin(chemin), erreur));
    }
    m_etatEnAvance = false;
    *perime = !absent && !m_etat.hachage.isEmpty() && m_etat.hachage != hachage;
    m_cheminEtat = chemin;
    m_hachageEtat = hachage;
    m_etatLu = true;
    return true;
}

void TSync::MotDePasseRefuse()
{
    m_motDePasse.clear();
    m_refuse = true;
}

void TSync::AvecMotDePasse(std::function<void(const QString&)> suite)
{
    if (!m_motDePasse.isEmpty()) return suite(m_motDePasse);
    const QString cle = AdresseCardDav::CleCoffre(QUrl(m_compte.adresse), m_compte.utilisateur);
    const auto demande = [this, suite](const QString& note) {
        m_dialogueCompte->Montre(m_compte, QString(), note);
        m_dialogueCompte->MotDePasseEdit()->setFocus();
        if (!ExecuteCompte(*m_dialogueCompte) || m_dialogueCompte->MotDePasse().isEmpty())
            return Termine(false);
        m_compte = m_dialogueCompte->Compte();
        m_motDePasse = m_dialogueCompte->MotDePasse();
        m_refuse = false;
        // Kept in the store (or for the session, which the note already told).
        m_coffre.Ecrit(AdresseCardDav::CleCoffre(QUrl(m_compte.adresse), m_compte.utilisateur),
                       m_motDePasse, [](bool, const QString&) {});
        suite(m_motDePasse);
    };
    // The password kept was refused by the server: the user types it again.
    if (m_refuse)
        return demande(Fr("Le serveur a refusé le mot de passe de « %1 » : indiquez-le à nouveau.")
                           .arg(m_compte.utilisateur));
    m_coffre.Lit(cle,
                 [this, suite, demande](bool ok, const QString& motDePasse, const QString& raison) {
                     if (ok && !motDePasse.isEmpty()) {
                         m_motDePasse = motDePasse;
                         return suite(motDePasse);
                     }
                     demande(raison.isEmpty() ? Fr("Indiquez le mot de passe du compte.") : raison);
                 });
}

bool TSync::RefaitConfianceCertificat(const ErreurDav& e)
{
    if (e.genre() != ErreurDav::Genre::Certificat || e.Empreinte().isEmpty()) return false;
    const int choix = TMessage::Choix(
        &m_fiche,
        e.Texte() + Fr("\n\nNe faites confiance à ce certificat que si son empreinte est "
                       "bien celle que l'administrateur du serveur vous a donnée."),
        Fr("Certificat"), {Fr("Faire confiance à ce certificat"), Fr("Annuler")}, 1, 1);
    if (choix != 0) return false;
    m_compte.certificat = e.Empreinte();
    return true;
}

void TSync::Decouvre(const QString& motDePasse)
{
    const QUrl adresse = AdresseCardDav::Normalise(m_compte.adresse);
    MontreProgression(Fr("Recherche du carnet d'adresses sur le serveur"), 0, 0);
    m_moteur.Client().SetParametres(Acces(motDePasse));
    m_moteur.Client().Decouvre(adresse, [this, adresse,
                                         motDePasse](const ErreurDav& e,
                                                     const ClientCardDav::Decouverte& d) {
        if (e) {
            if (RefaitConfianceCertificat(e)) return Decouvre(motDePasse);
            if (e.genre() == ErreurDav::Genre::Authentification) MotDePasseRefuse();
            return Termine(false, e.Texte());
        }
        for (const ClientCardDav::Carnet& c : d.carnets)
            if (AdresseCardDav::MemeCollection(c.url, adresse)) {
                m_carnet = c.url;
                return Prepare(m_carnet, motDePasse);
            }
        if (d.carnets.size() == 1) {
            m_carnet = d.carnets.front().url;
            return Prepare(m_carnet, motDePasse);
        }
        if (d.carnets.size() > 1) {
            QStringList noms;
            for (const ClientCardDav::Carnet& c : d.carnets)
                noms << Fr("« %1 » (%2)")
                            .arg(c.nom.isEmpty() ? c.url.path() : c.nom, c.url.toString());
            return Termine(false,
                           Fr("Le serveur propose plusieurs carnets d'adresses :\n%1\n\nIndiquez "
                              "l'adresse de celui à synchroniser dans « Options > "
                              "Synchronisation CardDAV... ».")
                               .arg(noms.join(QLatin1Char('\n'))));
        }
        if (d.maisons.empty())
            return Termine(false, Fr("Le serveur n'offre aucun carnet d'adresses à ce compte."));
        // A new account: its address book is made, named after the book.
        const QString nom = QFileInfo(m_fiche.Rep().FichierCourant()).completeBaseName();
        m_moteur.Client().CreeCarnet(
            d.maisons.front(), nom,
            [this, motDePasse](const ErreurDav& e, const ClientCardDav::Carnet& c) {
                if (e) return Termine(false, e.Texte());
                m_carnet = c.url;
                Prepare(m_carnet, motDePasse);
            });
    });
}

void TSync::Prepare(const QUrl& carnet, const QString& motDePasse)
{
    MoteurSync::Compte compte;
    compte.carnet = carnet;
    compte.acces = Acces(motDePasse);
    compte.banque = m_compte.banque;
    MontreProgression(Fr("Liste des changements du serveur"), 0, 0);
    m_moteur.Prepare(
        m_fiche.Rep(), m_etat, m_perime, compte, [this, carnet, motDePasse](const ErreurDav& e) {
            if (e) {
                if (RefaitConfianceCertificat(e)) return Prepare(carnet, motDePasse);
                if (e.genre() == ErreurDav::Genre::Authentification) MotDePasseRefuse();
                if (e.genre() == ErreurDav::Genre::Annulee)
                    return Termine(false, Fr("Synchronisation annulée : le carnet n'a pas changé."),
                                   false);
                return Termine(false, e.Texte() + Fr("\n\nLe carnet n'a pas changé."));
            }
            // Hidden for the questions; reset, or its pending show would bring it back
            // over them.
            if (m_progression) {
                m_progression->reset();
                m_progression->hide();
            }
            if (!m_moteur.Conflits().empty()) {
                m_dialogueConflits->Montre(m_moteur.Conflits());
                if (!ExecuteConflits(*m_dialogueConflits))
                    return Termine(false, Fr("Synchronisation annulée : le carnet n'a pas changé."),
                                   false);
                m_moteur.Conflits() = m_dialogueConflits->Conflits();
            }
            if (m_moteur.ConfirmationNecessaire()) {
                const auto reponse = TMessage::QuestionOuiNon(
                    &m_fiche,
                    Fr("La synchronisation supprimerait %1 de ce carnet et %2 du serveur : plus du "
                       "dixième du carnet.\n\nFaire ces suppressions ?\n\n(Non : les fiches "
                       "supprimées "
                       "d'un côté sont gardées, et reviennent de l'autre.)")
                        .arg(Nombre(m_moteur.SuppressionsIci(), "fiche", "fiches"),
                             Nombre(m_moteur.SuppressionsServeur(), "carte", "cartes")));
                if (reponse != TMessage::Oui) m_moteur.RefuseSuppressions();
            }
            Applique();
        });
}

void TSync::Applique()
{
    if (m_progression) m_progression->show();
    m_fiche.Modele()->ChangeEnBloc([this](Repertoire& rep) {
        m_moteur.Applique(rep, [this](const ErreurDav& e) {
            // Told from the event loop: the end may come within Applique itself.
            QMetaObject::invokeMethod(
                this,
                [this, e] {
                    m_etat = m_moteur.Etat();
                    // The book and its file agree: the sync file follows at once;
                    // otherwise it is written with the book.
                    if (!m_fiche.Rep().Modifie())
                        ApresEcriture(m_fiche.Rep().FichierCourant(),
                                      m_fiche.Document()->Empreinte());
                    else
                        m_etatEnAvance = true;
                    if (e.genre() == ErreurDav::Genre::Authentification) MotDePasseRefuse();
                    if (e)
                        return Termine(false,
                                       e.Texte() + Fr("\n\nLes fiches déjà échangées sont gardées "
                                                      "des deux côtés ; la prochaine "
                                                      "synchronisation reprendra le reste."));
                    Termine(true, Bilan(), false);
                },
                Qt::QueuedConnection);
        });
    });
    m_fiche.AfficheFiche();
}

QString TSync::Bilan() const
{
    const MoteurSync::Bilan& b = m_moteur.Resume();
    QString texte =
        Fr("Synchronisation terminée : %1 reçues du serveur, %2 envoyées, %3 supprimées "
           "ici, %4 supprimées sur le serveur.")
            .arg(b.recues)
            .arg(b.envoyees)
            .arg(b.supprimeesServeur)
            .arg(b.supprimeesIci);
    if (b.nonRapprochees > 0)
        texte += Fr("\n\nLe carnet a été modifié par un autre programme depuis la dernière "
                    "synchronisation : %1 n'ont pas pu être retrouvées. Rien n'a été supprimé : "
                    "elles ont été reprises du serveur comme de nouvelles fiches.")
                     .arg(Nombre(b.nonRapprochees, "fiche", "fiches"));
    if (b.reportees > 0)
        texte +=
            Fr("\n\n%1 modifiées sur le serveur pendant la synchronisation : elles le seront à "
               "la prochaine.")
                .arg(Nombre(b.reportees, "fiche", "fiches"));
    return texte;
}

void TSync::ApresEcriture(const QString& chemin, const EmpreinteFichier& empreinte)
{
    if (!m_etatLu || m_etat.adresse.isEmpty()) return;
    if (chemin != m_cheminEtat)
        m_cheminEtat = chemin; // saved under another name: the state follows
    m_etat.hachage = empreinte.Hachage();
    m_hachageEtat = empreinte.Hachage();
    m_perime = false;
    m_etatEnAvance = false;
    const QString erreur = FichierSync::Enregistre(chemin, m_etat);
    if (!erreur.isEmpty())
        TMessage::Erreur(&m_fiche, Fr("Le carnet est enregistré, mais pas son fichier de "
                                      "synchronisation « %1 » : %2\n\nÀ la prochaine "
                                      "synchronisation, les fiches seront rapprochées de celles "
                                      "du serveur par leur contenu.")
                                       .arg(FichierSync::Chemin(chemin), erreur));
}

void TSync::MontreProgression(const QString& etape, qint64 fait, qint64 total)
{
    if (!m_progression) {
        m_progression = new QProgressDialog(&m_fiche);
        m_progression->setObjectName(QStringLiteral("ProgressionSync"));
        m_progression->setWindowTitle(Fr("Synchronisation"));
        m_progression->setCancelButtonText(Fr("Annuler"));
        m_progression->setWindowModality(Qt::WindowModal);
        m_progression->setMinimumDuration(400);
        m_progression->setAutoReset(false);
        m_progression->setAutoClose(false);
        connect(m_progression, &QProgressDialog::canceled, &m_moteur, &MoteurSync::Annule);
    }
    m_progression->setLabelText(etape);
    m_progression->setMaximum(static_cast<int>(std::max<qint64>(total, 0)));
    m_progression->setValue(static_cast<int>(std::min(fait, total)));
}

void TSync::Termine(bool ok, const QString& message, bool erreur)
{
    if (m_progression) {
        m_progression->disconnect(&m_moteur);
        // reset() stops its pending show: the box telling the end would otherwise have
        // it back on top, at 0 %, while it waits to be deleted.
        m_progression->reset();
        m_progression->hide();
        m_progression->deleteLater();
        m_progression = nullptr;
    }
    m_enCours = false;
    m_fiche.Modele()->ChangeEnBloc([](Repertoire&) {});
    m_fiche.AfficheFiche();
    m_fiche.MajOnglets();
    if (!message.isEmpty()) {
        if (erreur)
            TMessage::Erreur(&m_fiche, message);
        else
            TMessage::Information(&m_fiche, message);
    }
    emit Fini(ok);
}
