// The print measures: the list to a PDF against drawing its lines where the stream
// put them without measuring; the record page to a PDF.
#include "BenchOutils.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "printing/FluxImpression.h"
#include "printing/ImpressionListe.h"
#include "printing/SurfacePeintre.h"
#include "printing/TCopyOpt.h"
#include "printing/TImpression.h"
#include "printing/TravailImpression.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPrinter>
#include <QTabWidget>
#include <vector>

namespace
{

// Lays out like the printer's surface but only writes down what would be drawn.
class SurfaceNotee : public SurfaceTexte
{
public:
    struct Trace {
        int page, x, y;
        QString texte;
    };
    SurfaceNotee(const QFont& police, QPagedPaintDevice& device)
        : m_mesures(police, &device), m_largeur(device.width()), m_hauteur(device.height())
    {
    }
    int LargeurPage() const override { return m_largeur; }
    int HauteurPage() const override { return m_hauteur; }
    int Largeur(const QString& t, int n) const override
    {
        return m_mesures.horizontalAdvance(t, n);
    }
    int Hauteur(const QString&) const override { return m_mesures.height(); }
    int LargeurMoyenne() const override { return m_mesures.averageCharWidth(); }
    int HauteurCaractere() const override { return m_mesures.height(); }
    void Dessine(int x, int y, const QString& t) override { traces.push_back({m_page, x, y, t}); }
    bool NouvellePage() override
    {
        ++m_page;
        return true;
    }
    std::vector<Trace> traces;

private:
    QFontMetrics m_mesures;
    int m_largeur;
    int m_hauteur;
    int m_page = 1;
};

void Prepare(QPrinter& imprimante, const QString& pdf)
{
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    imprimante.setOutputFileName(pdf);
    imprimante.setPageOrientation(QPageLayout::Landscape);
}

void MesureListe(const Repertoire& livre, const QString& dossier)
{
    const QFont police(QStringLiteral("MS Sans Serif"), 8);
    const QString entete = ImpressionListe::Entete(QStringLiteral("/x/bench.REP"), false);
    const PlageCellules plage = ImpressionListe::PlageImprimee(livre, {1, 1, 0, 0}, false);
    QElapsedTimer t;

    t.start();
    int pages = 0;
    {
        QPrinter imprimante(QPrinter::HighResolution);
        Prepare(imprimante, dossier + QStringLiteral("/liste.pdf"));
        TravailImpression travail(imprimante);
        travail.Commence(nullptr);
        travail.Peintre().setFont(police);
        SurfacePeintre surface(travail.Peintre(), imprimante);
        FluxImpression flux(surface);
        ImpressionListe::Imprime(livre, flux, entete, plage, 1);
        pages = flux.Pages();
        const QString erreur = travail.Termine();
        if (!erreur.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(erreur));
    }
    const double mesure = Secondes(t);

    // The same lines at the same places, untimed, then drawn one drawText each.
    QPrinter modele(QPrinter::HighResolution);
    Prepare(modele, dossier + QStringLiteral("/plancher.pdf"));
    SurfaceNotee notee(police, modele);
    {
        FluxImpression flux(notee);
        ImpressionListe::Imprime(livre, flux, entete, plage, 1);
    }
    t.restart();
    {
        QPrinter imprimante(QPrinter::HighResolution);
        Prepare(imprimante, dossier + QStringLiteral("/plancher.pdf"));
        TravailImpression travail(imprimante);
        travail.Commence(nullptr);
        QPainter& p = travail.Peintre();
        p.setFont(police);
        const int ascent = QFontMetrics(police, &imprimante).ascent();
        int page = 1;
        for (const SurfaceNotee::Trace& tr : notee.traces) {
            if (tr.page != page) {
                imprimante.newPage();
                page = tr.page;
            }
            p.drawText(tr.x, tr.y + ascent, tr.texte);
        }
        travail.Termine();
    }
    Ligne("print-list", mesure, Secondes(t));
    std::printf("print-list-pages %d\n", pages);
    std::fflush(stdout);
}

void MesureFicheEtCopie(const Repertoire& livre, const QString& dossier)
{
    TFiche fiche(dossier);
    TCopyOpt options(&fiche);
    TImpression impression(fiche, options);
    impression.ChoisitImpression = [&](ChoixImpression& c, int) {
        c.imprimante.clear();
        c.fichierPdf = dossier + QStringLiteral("/fiche.pdf");
        return true;
    };
    fiche.show(); // a new book at the first showing: the bench's book comes after
    QCoreApplication::processEvents();
    Repertoire copie(livre);
    copie.SetFichierCourant(dossier + QStringLiteral("/bench.REP"));
    fiche.Modele()->Remplace(std::move(copie));
    fiche.AllerA(0, 1);
    fiche.PageControl()->setCurrentIndex(TFiche::PagePrive);
    QCoreApplication::processEvents();

    QElapsedTimer t;
    t.start();
    impression.Imprimer1Click();
    std::printf("print-record %.4f\n", Secondes(t));

    fiche.Rep().SetModifie(false);
}

} // namespace

CARNET_BENCH(impressionListe, MesureListe)
CARNET_BENCH(impressionFiche, MesureFicheEtCopie)
