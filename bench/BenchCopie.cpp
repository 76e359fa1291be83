// The copy of the whole list from the list page, against building the same text,
// converting it to Unicode and handing it to the clipboard.
#include "BenchOutils.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TFiche.h"
#include "printing/TCopyOpt.h"
#include "printing/TImpression.h"
#include "records/CodePage.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTabWidget>

using BenchOutils::Contexte;

namespace
{

double CopieListe(Contexte& c)
{
    TFiche fiche(c.Dossier());
    TCopyOpt options(&fiche);
    TImpression impression(fiche, options);
    fiche.show(); // a new book at the first showing: the bench's book comes after
    QCoreApplication::processEvents();
    Repertoire copie(c.Livre());
    copie.SetFichierCourant(c.Dossier() + QStringLiteral("/bench.REP"));
    fiche.Modele()->Remplace(std::move(copie));
    fiche.AllerA(0, 1);
    fiche.PageControl()->setCurrentIndex(TFiche::PageListe);
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    impression.CopieListe();
    const double secondes = Secondes(t);
    char note[64];
    std::snprintf(note, sizeof note, "copy-list-characters %lld",
                  static_cast<long long>(QGuiApplication::clipboard()->text().size()));
    c.Note(note);
    fiche.Rep().SetModifie(false);
    return secondes;
}

double PlancherCopieListe(Contexte& c)
{
    const Repertoire& livre = c.Livre();
    QElapsedTimer t;
    t.start();
    std::string texte = "Carnet d'adresses : R\xe9pertoire bench\r\n\r\n";
    for (int r = 1; r <= livre.NbFiches(); ++r) {
        const Repertoire::VueLigne vue = livre.Vue(r);
        for (int col = 0; col < NbColonnes; ++col) {
            const std::string_view v = vue.Cellule(col);
            if (v.empty()) continue;
            texte += v;
            texte += "\r\n";
        }
        texte += "\r\n";
    }
    QGuiApplication::clipboard()->setText(CodePage::VersUnicode(texte));
    return Secondes(t);
}

} // namespace

CARNET_BENCH_PAIRE(copieListe, "copy-list", 80, 3, CopieListe, PlancherCopieListe)
