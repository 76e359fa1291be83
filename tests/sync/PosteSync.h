#pragma once

// One copy of the program as the synchronisation sees it: its book, its sync file's
// state, and the engine, run to the end with the conflicts settled as a test says.
#include "OutilsSync.h"
#include "records/Repertoire.h"
#include "sync/CarteSync.h"
#include "sync/MoteurSync.h"

#include <QSignalSpy>
#include <functional>

class PosteSync
{
public:
    Repertoire rep;
    EtatSync etat;
    MoteurSync moteur;
    MoteurSync::Compte compte;
    bool perime = false;

    PosteSync(const QUrl& carnet, const QString& utilisateur, const QString& motDePasse)
    {
        compte.carnet = carnet;
        compte.acces = OutilsSync::Acces(utilisateur, motDePasse);
    }

    struct Issue {
        ErreurDav erreur;
        MoteurSync::Bilan bilan;
        std::vector<MoteurSync::Conflit> conflits;
        bool confirmationDemandee = false;
        bool applique = false;
    };

    // Prepare, then (unless it failed) the conflicts settled by `choix`, the
    // deletions confirmed or not, then Applique; `pendant` runs once Applique starts.
    Issue Synchronise(std::function<void(std::vector<MoteurSync::Conflit>&)> choix = {},
                      bool confirme = true, std::function<void()> pendant = {})
    {
        Issue issue;
        bool fini = false;
        moteur.Prepare(rep, etat, perime, compte, [&](const ErreurDav& e) {
            issue.erreur = e;
            fini = true;
        });
        OutilsSync::Attends([&] { return fini; }, 120000);
        if (!fini) issue.erreur = ErreurDav(ErreurDav::Genre::Delai, "Prepare ne finit pas");
        if (issue.erreur) return issue;
        issue.conflits = moteur.Conflits();
        if (choix) choix(moteur.Conflits());
        issue.confirmationDemandee = moteur.ConfirmationNecessaire();
        if (issue.confirmationDemandee && !confirme) moteur.RefuseSuppressions();
        fini = false;
        moteur.Applique(rep, [&](const ErreurDav& e) {
            issue.erreur = e;
            fini = true;
        });
        issue.applique = true;
        if (pendant) pendant();
        OutilsSync::Attends([&] { return fini; }, 300000);
        etat = moteur.Etat();
        issue.bilan = moteur.Resume();
        return issue;
    }

    // The records of the book, as their synced fields (no bank page), sorted.
    QStringList Fiches(bool banque = false) const
    {
        QStringList l;
        for (int r = 1; r <= rep.NbFiches(); ++r) {
            QStringList champs;
            bool vide = true;
            for (int c = 0; c < NbColonnes; ++c) {
                if (!CarteSync::Synchronise(c, banque)) continue;
                champs << QString::fromLatin1(rep.CelluleStr(c, r).c_str());
                vide = vide && rep.Cellule(c, r).empty();
            }
            if (!vide) l << champs.join('|');
        }
        l.sort();
        return l;
    }
    int Ligne(const std::string& nom) const
    {
        for (int r = 1; r <= rep.NbFiches(); ++r)
            if (rep.Cellule(Nom, r) == nom) return r;
        return -1;
    }
};
