#pragma once

// Helpers shared by the main-window tests: books built from a few surnames, written
// to temporary files, and a main window started as the program starts it.

#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "mainwindow/TMessage.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/Repertoire.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>
#include <memory>

// The resources live in the static library: the test programs pull them in here.
// (The macro cannot be used inside a namespace.)
inline void InitRessourcesCarnet()
{
    Q_INIT_RESOURCE(carnet);
}

namespace OutilsFiche
{

// A book whose records have these surnames (UTF-8 here, Windows-1252 in the book),
// in this order.
inline Repertoire Livre(const QStringList& noms)
{
    Repertoire rep;
    rep.SetNbLignes(static_cast<int>(noms.size()) + 1);
    for (int i = 0; i < noms.size(); ++i)
        rep.SetCellule(Nom, i + 1, CodePage::Octets(noms.at(i)));
    return rep;
}

inline void Ecrit(const QString& chemin, Repertoire rep)
{
    const QString erreur = FichierRep::EcritRepertoire(chemin, rep);
    QVERIFY2(erreur.isEmpty(), qPrintable(erreur));
}

inline QByteArray Octets(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

inline QStringList Noms(const Repertoire& rep)
{
    QStringList noms;
    for (int r = 1; r <= rep.NbFiches(); ++r)
        noms << CodePage::VersUnicode(rep.Cellule(Nom, r));
    return noms;
}

inline QStringList NomsDuFichier(const QString& chemin)
{
    Repertoire rep;
    const QString erreur = FichierRep::ChargeRepertoire(chemin, rep);
    if (!erreur.isEmpty()) return {erreur};
    return Noms(rep);
}

// A main window with its program folder in `dossier`, shown (which loads `argument`
// when given), its file dialogs answered by `ouvrir` and `enregistrer`.
struct Fenetre {
    std::unique_ptr<TFiche> fiche;
    QString ouvrir;
    QString enregistrer;
    int dialoguesOuvrir = 0;
    int dialoguesEnregistrer = 0;

    explicit Fenetre(const QString& dossier, const QString& argument = QString(),
                     const TFiche::EtatFenetre* etat = nullptr)
    {
        fiche = std::make_unique<TFiche>(dossier);
        if (etat) fiche->AppliqueEtat(*etat);
        fiche->Document()->ChoisitFichierOuvrir = [this] {
            ++dialoguesOuvrir;
            return ouvrir;
        };
        fiche->Document()->ChoisitFichierEnregistrer = [this] {
            ++dialoguesEnregistrer;
            return enregistrer;
        };
        fiche->SetFichierLigneCommande(argument);
        fiche->show();
    }
    TFiche* operator->() const { return fiche.get(); }
    int Ligne() const { return fiche->Grille()->LigneCourante(); }
    QString Titre() const { return fiche->windowTitle(); }
};

} // namespace OutilsFiche
