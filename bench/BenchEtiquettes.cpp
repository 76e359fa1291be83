// Label printing: 10,000 labels on 3 x 7 sheets to a PDF file, against drawing the
// same texts in the same rectangles without the fitting loop into the same writer;
// one full-preview sheet at real size and one thumbnail, each against its plain drawing.
#include "BenchOutils.h"
#include "labels/DessinEtiquette.h"
#include "labels/ImpressionEtiquettes.h"
#include "labels/MiseEnPage.h"
#include "labels/Planches.h"
#include "labels/RenduPlanche.h"
#include "labels/TChoix.h"
#include "labels/TFpPrev.h"
#include "labels/TPrevis.h"
#include "labels/TexteEtiquette.h"
#include "mainwindow/ModeleRepertoire.h"
#include "ui/ImpressionSure.h"
#include "records/CodePage.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace
{

constexpr int NombreEtiquettes = 10000;

struct Mailing {
    Repertoire rep;
    MiseEnPage page{FormatEtiquette(QStringLiteral("70,0x42,4"))};
    DessinEtiquette dessin{QFont(QStringLiteral("arial"), 9), Qt::black, true};
    Planches planches;
    RenduPlanche rendu;

    explicit Mailing(const Repertoire& livre)
        : rep(Copie(livre)), planches(page, Planches::FichesChoisies(rep), NombreEtiquettes, 1, 1),
          rendu(rep, page, planches, TexteEtiquette::Personnelle, dessin)
    {
    }
    static Repertoire Copie(const Repertoire& livre)
    {
        Repertoire r = livre;
        for (int l = 1; l <= r.NbFiches(); ++l)
            r.SetFlagMail(l, l <= NombreEtiquettes ? "1" : "0");
        return r;
    }

    // The floor's drawing: the same texts at the chosen size, no fitting.
    void DessineSansAjuster(QPainter& p, int planche, double kx, double ky) const
    {
        const QSizeF mm(page.LargeurMm(), page.HauteurMm());
        for (const Planches::Emplacement& e : planches.Emplacements(planche)) {
            const QRectF r = page.RectangleMm(e.colonne, e.ligne);
            dessin.DessineSansAjuster(
                p, QRectF(r.x() * kx, r.y() * ky, r.width() * kx, r.height() * ky), mm,
                DessinEtiquette::TexteQt(
                    TexteEtiquette::Compose(rep, e.fiche, TexteEtiquette::Personnelle)));
        }
    }
};

// The best of three runs: a drawing this short would otherwise time the font caches.
template <typename F> double Meilleur(F&& f)
{
    double meilleur = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        meilleur = std::min(meilleur, Secondes(t));
    }
    return meilleur;
}

QPrinter* Imprimante(const QString& chemin)
{
    auto* imprimante = new QPrinter(QPrinter::HighResolution);
    imprimante->setOutputFormat(QPrinter::PdfFormat);
    imprimante->setOutputFileName(chemin);
    return imprimante;
}

void Mesure(const Repertoire& livre, const QString& dossier)
{
    const Mailing m(livre);
    QElapsedTimer t;

    std::unique_ptr<QPrinter> imprimante(Imprimante(dossier + "/etiquettes.pdf"));
    t.start();
    const QString erreur = ImpressionEtiquettes::Imprime(*imprimante, m.rendu);
    const double impression = Secondes(t);
    if (!erreur.isEmpty()) std::fprintf(stderr, "labels: %s\n", qPrintable(erreur));

    std::unique_ptr<QPrinter> plancher(Imprimante(dossier + "/plancher.pdf"));
    t.start();
    {
        ImpressionEtiquettes::Prepare(*plancher);
        ImpressionSure sure(*plancher);
        QString raison;
        sure.Commence(&raison);
        QPainter p(plancher.get());
        const double k = plancher->resolution() / 25.4;
        for (int s = 1; s <= m.planches.NombrePlanches(); ++s) {
            if (s > 1) plancher->newPage();
            m.DessineSansAjuster(p, s, k, k);
        }
        p.end();
        sure.Termine();
    }
    Ligne("labels", impression, Secondes(t));

    const QSize reelle(794, 1123); // A4 at 96 dpi
    const QRectF page(0, 0, 210, 297);
    const double apercu = Meilleur([&] { TFpPrev::DessinePlanche(m.rendu, page, 1, reelle); });
    const double apercuPlancher = Meilleur([&] {
        QImage image(reelle, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        m.DessineSansAjuster(p, 1, reelle.width() / 210.0, reelle.height() / 297.0);
    });
    Ligne("labels-preview-sheet", apercu, apercuPlancher);

    TPrevis vignette;
    vignette.Alimente(FormatEtiquette(QStringLiteral("70,0x42,4")), QStringLiteral("70,0x42,4"));
    vignette.SetMode(TPrevis::Depart);
    const double miniature = Meilleur([&] { vignette.Image(); });
    const double miniaturePlancher = Meilleur([&] {
        QImage plain(TPrevis::LargeurImage, TPrevis::HauteurImage, QImage::Format_RGB32);
        plain.fill(Qt::cyan);
        QPainter p(&plain);
        p.setBrush(Qt::white);
        for (int r = 1; r <= m.page.Lignes(); ++r)
            for (int c = 1; c <= m.page.Colonnes(); ++c)
                p.drawRect(vignette.Rectangle(c, r));
    });
    Ligne("labels-thumbnail", miniature, miniaturePlancher);

    // The selection list over the whole book, every other record chosen.
    Repertoire choix = livre;
    for (int l = 1; l <= choix.NbFiches(); ++l)
        choix.SetFlagMail(l, l % 2 ? "1" : "0");
    ModeleRepertoire modele(choix);
    TChoix dialogue(modele);
    t.start();
    dialogue.Remplit();
    const double liste = Secondes(t);
    t.start();
    {
        QStringList lignes;
        lignes.reserve(choix.NbFiches());
        for (int l = 1; l <= choix.NbFiches(); ++l)
            lignes << CodePage::VersUnicode(TexteEtiquette::LigneChoix(choix, l));
    }
    Ligne("labels-choice-list", liste, Secondes(t));
}

} // namespace

CARNET_BENCH(labels, Mesure)
