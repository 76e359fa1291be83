#pragma once

// Helpers shared by the main-window tests: books built from a few surnames, written
// to temporary files, and a main window started as the program starts it.

#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "mainwindow/TPagesFiche.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/FichierSur.h"
#include "records/Repertoire.h"
#include "ui/TMessage.h"

#include <QFile>
#include <QTemporaryDir>
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
// A book whose records have these surnames, in this order.
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
    QCOMPARE(FichierRep::EcritRepertoire(chemin, rep), QString());
}

inline QByteArray Octets(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The surnames, a record chosen for the mailing marked with a "*".
inline QStringList Noms(const Repertoire& rep)
{
    QStringList noms;
    for (int r = 1; r <= rep.NbFiches(); ++r)
        noms << CodePage::VersUnicode(rep.Cellule(Nom, r)) + (rep.EstChoisie(r) ? "*" : "");
    return noms;
}

inline QStringList NomsDuFichier(const QString& chemin)
{
    Repertoire rep;
    const QString erreur = FichierRep::ChargeRepertoire(chemin, rep);
    return erreur.isEmpty() ? Noms(rep) : QStringList{erreur};
}

// A temporary folder where the tests write their files by name.
struct Dossier : QTemporaryDir {
    QString Ecrit(const char* nom, const Repertoire& rep)
    {
        OutilsFiche::Ecrit(filePath(nom), rep);
        return filePath(nom);
    }
    QString Ecrit(const char* nom, const QByteArray& o)
    {
        const bool ok = FichierSur::Ecrit(filePath(nom), o.constData(), o.size()).isEmpty();
        return ok ? filePath(nom) : QString();
    }
};

// A main window with its program folder in `dossier`, shown (which loads `argument`
// when given), its file dialogs answered by `ouvrir` and `enregistrer`.
struct Fenetre {
    std::unique_ptr<TFiche> fiche;
    QString ouvrir, enregistrer;
    int dialoguesOuvrir = 0, dialoguesEnregistrer = 0;

    explicit Fenetre(const QString& dossier, const QString& argument = QString())
        : fiche(std::make_unique<TFiche>(dossier))
    {
        fiche->Document()->ChoisitFichierOuvrir = [this] { return ++dialoguesOuvrir, ouvrir; };
        fiche->Document()->ChoisitFichierEnregistrer = [this] {
            return ++dialoguesEnregistrer, enregistrer;
        };
        fiche->SetFichierLigneCommande(argument);
        fiche->show();
    }
    TFiche* operator->() const { return fiche.get(); }
    int Ligne() const { return fiche->Grille()->LigneCourante(); }
    QString Titre() const { return fiche->windowTitle(); }
    std::string NomAffiche() const { return fiche->PagesFiche()->TexteControle(Nom); }
};
} // namespace OutilsFiche
