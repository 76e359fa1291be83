#pragma once

#include "sync/CoffreSync.h"
#include "sync/CompteSync.h"
#include "sync/EtatSync.h"
#include "sync/MoteurSync.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <functional>

class EmpreinteFichier;

class Reglages;
class TCompteSync;
class TConflitsSync;
class TFiche;

// The commands "Fichier > &Synchroniser" (F5) and "Options > Synchronisation
// CardDAV...": the account and its password, the sync file kept beside the book and
// written with it, the progress with "Annuler" while the network works (the window
// stays responsive), the conflicts dialog, the confirmation of many deletions, and
// every failure told in French. The work itself is MoteurSync's.
class TSync : public QObject
{
    Q_OBJECT
public:
    explicit TSync(TFiche& fiche);
    ~TSync() override;

    void Lit(const Reglages& reglages);
    void Ecrit(Reglages& reglages) const;

    // The dialogs, run modally: true when confirmed. Tests replace them.
    std::function<bool(TCompteSync&)> ExecuteCompte;
    std::function<bool(TConflitsSync&)> ExecuteConflits;

    // Options > Synchronisation CardDAV...: true when the account was confirmed.
    bool Compte1Click();
    // Fichier > Synchroniser: starts; the end is told by Fini.
    void Synchroniser1Click();
    bool EnCours() const { return m_enCours; }

    const CompteSync& Compte() const { return m_compte; }
    CoffreSync& Coffre() { return m_coffre; }
    MoteurSync& Moteur() { return m_moteur; }
    const EtatSync& Etat() const { return m_etat; }
    TCompteSync* DialogueCompte() const { return m_dialogueCompte; }
    TConflitsSync* DialogueConflits() const { return m_dialogueConflits; }
    QProgressDialog* Progression() const { return m_progression; }

signals:
    // The synchronisation ended: `ok` when it went to its end.
    void Fini(bool ok);

private:
    void ApresEcriture(const QString& chemin, const EmpreinteFichier& empreinte);
    bool ChargeEtat(bool* perime);
    void AvecMotDePasse(std::function<void(const QString&)> suite);
    void MotDePasseRefuse();
    void Decouvre(const QString& motDePasse);
    void Prepare(const QUrl& carnet, const QString& motDePasse);
    void Applique();
    void Termine(bool ok, const QString& message = QString(), bool erreur = true);
    void MontreProgression(const QString& etape, qint64 fait, qint64 total);
    ClientCardDav::Parametres Acces(const QString& motDePasse) const;
    bool RefaitConfianceCertificat(const ErreurDav& e);
    QString Bilan() const;

    TFiche& m_fiche;
    CompteSync m_compte;
    CoffreSync m_coffre;
    MoteurSync m_moteur;
    EtatSync m_etat;
    QString m_cheminEtat;  // the book the state belongs to
    QString m_hachageEtat; // the stamp of the book file the state goes with
    bool m_etatLu = false;
    bool m_etatEnAvance = false; // newer than the sync file: the book is not saved yet
    bool m_perime = false;
    QUrl m_carnet; // the address book found for the account
    QString m_motDePasse;
    bool m_refuse = false; // the server refused the password kept
    bool m_enCours = false;
    TCompteSync* m_dialogueCompte;
    TConflitsSync* m_dialogueConflits;
    QPointer<QProgressDialog> m_progression;
};
