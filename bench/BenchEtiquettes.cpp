// Label printing: 10,000 labels on 3 x 7 sheets to a PDF file, against measuring
// each text once at the chosen size and drawing it centred in its rectangle into
// the same writer; one full-preview sheet at real size and one thumbnail, each
// against its plain drawing; the selection list against filling the same list.
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
#include "records/CodePage.h"
#include "ui/ImpressionSure.h"
#include "ui/TitreFiche.h"

#include <QFontMetricsF>
#include <QListView>
#include <QPainter>
#include <QPrinter>
#include <QStringListModel>
#include <algorithm>

using BenchOutils::Contexte;

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

    // The floor's drawing: each text measured once at the chosen size, wrapped at
    // the label's width, then drawn centred.
    void DessineMesure(QPainter& p, int planche, double kx, double ky) const
    {
        QImage reference(1, 1, QImage::Format_RGB32);
        const int points = static_cast<int>(DessinEtiquette::UnitesParMm * 1000);
        reference.setDotsPerMeterX(points);
        reference.setDotsPerMeterY(points);
        QFont police = dessin.Police();
        const QFontMetricsF fm(police, &reference);
        const QSizeF mm(page.LargeurMm(), page.HauteurMm());
        const QRectF zone(0, 0, mm.width() * DessinEtiquette::UnitesParMm,
                          mm.height() * DessinEtiquette::UnitesParMm);
        for (const Planches::Emplacement& e : planches.Emplacements(planche)) {
            const QRectF r = page.RectangleMm(e.colonne, e.ligne);
            const QString texte = DessinEtiquette::TexteQt(
                TexteEtiquette::Compose(rep, e.fiche, TexteEtiquette::Personnelle));
            DessinEtiquette::Ajustement a;
            a.taille = police.pointSizeF();
            a.bloc = fm.boundingRect(zone, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, texte)
                         .size();
            dessin.Dessine(p, QRectF(r.x() * kx, r.y() * ky, r.width() * kx, r.height() * ky), mm,
                           texte, a);
        }
    }
};

// The best of three runs in the process: a drawing this short would otherwise time
// the font caches.
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

std::unique_ptr<QPrinter> Imprimante(const QString& chemin)
{
    auto imprimante = std::make_unique<QPrinter>(QPrinter::HighResolution);
    imprimante->setOutputFormat(QPrinter::PdfFormat);
    imprimante->setOutputFileName(chemin);
    return imprimante;
}

double Etiquettes(Contexte& c)
{
    const Mailing m(c.Livre());
    const auto imprimante = Imprimante(c.Dossier() + "/etiquettes.pdf");
    QElapsedTimer t;
    t.start();
    const QString erreur = ImpressionEtiquettes::Imprime(*imprimante, m.rendu);
    const double secondes = Secondes(t);
    if (!erreur.isEmpty()) c.Erreur("labels: " + erreur.toStdString());
    return secondes;
}

double PlancherEtiquettes(Contexte& c)
{
    const Mailing m(c.Livre());
    const auto plancher = Imprimante(c.Dossier() + "/plancher.pdf");
    QElapsedTimer t;
    t.start();
    ImpressionEtiquettes::Prepare(*plancher);
    ImpressionSure sure(*plancher);
    QString raison;
    sure.Commence(&raison);
    {
        QPainter p(plancher.get());
        const double k = plancher->resolution() / 25.4;
        for (int s = 1; s <= m.planches.NombrePlanches(); ++s) {
            if (s > 1) plancher->newPage();
            m.DessineMesure(p, s, k, k);
        }
    }
    sure.Termine();
    return Secondes(t);
}

const QSize Reelle(794, 1123); // A4 at 96 dpi

double ApercuPlanche(Contexte& c)
{
    const Mailing m(c.Livre());
    const QRectF page(0, 0, 210, 297);
    return Meilleur([&] { TFpPrev::DessinePlanche(m.rendu, page, 1, Reelle); });
}

double PlancherApercuPlanche(Contexte& c)
{
    const Mailing m(c.Livre());
    return Meilleur([&] {
        QImage image(Reelle, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        m.DessineMesure(p, 1, Reelle.width() / 210.0, Reelle.height() / 297.0);
    });
}

double Vignette(Contexte&)
{
    TPrevis vignette;
    vignette.Alimente(FormatEtiquette(QStringLiteral("70,0x42,4")), QStringLiteral("70,0x42,4"));
    vignette.SetMode(TPrevis::Depart);
    return Meilleur([&] { vignette.Image(); });
}

double PlancherVignette(Contexte&)
{
    TPrevis vignette;
    vignette.Alimente(FormatEtiquette(QStringLiteral("70,0x42,4")), QStringLiteral("70,0x42,4"));
    const MiseEnPage page{FormatEtiquette(QStringLiteral("70,0x42,4"))};
    return Meilleur([&] {
        QImage plain(TPrevis::LargeurImage, TPrevis::HauteurImage, QImage::Format_RGB32);
        plain.fill(Qt::cyan);
        QPainter p(&plain);
        p.setBrush(Qt::white);
        for (int r = 1; r <= page.Lignes(); ++r)
            for (int col = 1; col <= page.Colonnes(); ++col)
                p.drawRect(vignette.Rectangle(col, r));
    });
}

// The selection list over the whole book, every other record chosen.
Repertoire& LivreChoix(Contexte& c)
{
    Repertoire& choix = c.Livre();
    for (int l = 1; l <= choix.NbFiches(); ++l)
        choix.SetFlagMail(l, l % 2 ? "1" : "0");
    return choix;
}

double ListeChoix(Contexte& c)
{
    Repertoire& choix = LivreChoix(c);
    ModeleRepertoire modele(choix);
    TChoix dialogue(modele);
    QElapsedTimer t;
    t.start();
    dialogue.Remplit();
    return Secondes(t);
}

// The same lines into the same kind of list, the chosen ones selected as ranges.
double PlancherListeChoix(Contexte& c)
{
    Repertoire& choix = LivreChoix(c);
    QStringListModel lignes;
    QListView liste;
    liste.setModel(&lignes);
    liste.setSelectionMode(QAbstractItemView::ExtendedSelection);
    liste.setUniformItemSizes(true);
    QElapsedTimer t;
    t.start();
    QStringList textes;
    textes.reserve(choix.NbFiches());
    for (int l = 1; l <= choix.NbFiches(); ++l)
        textes << CodePage::VersUnicode(TexteEtiquette::LigneChoix(choix, l));
    lignes.setStringList(textes);
    QItemSelection selection;
    for (int l = 1; l <= choix.NbFiches(); l += 2)
        selection.select(lignes.index(l - 1), lignes.index(l - 1));
    liste.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    return Secondes(t);
}

} // namespace

CARNET_BENCH_PAIRE(labels, "labels", 90, 3, Etiquettes, PlancherEtiquettes)
CARNET_BENCH_PAIRE(labelsSheet, "labels-preview-sheet", 91, 3, ApercuPlanche, PlancherApercuPlanche)
CARNET_BENCH_PAIRE(labelsThumb, "labels-thumbnail", 92, 3, Vignette, PlancherVignette)
CARNET_BENCH_PAIRE(labelsChoice, "labels-choice-list", 93, 3, ListeChoix, PlancherListeChoix)
