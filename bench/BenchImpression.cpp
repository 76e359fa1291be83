// The copy and print measures: the list printed to a PDF by the print command, against
// the same glyphs at the same places written the simplest fast way; the record page to a
// PDF; the list copy against building the same text with plain appends.
#include "BenchOutils.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "printing/ImpressionListe.h"
#include "printing/TCopyOpt.h"
#include "printing/TImpression.h"
#include "printing/TravailImpression.h"
#include "records/CodePage.h"
#include "ui/TMessage.h"

#include <QClipboard>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QPrinter>
#include <QRawFont>
#include <QTabWidget>
#include <array>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

// The highest resident memory since the last reset, in bytes.
long PicDepuisRemiseAZero()
{
    std::ifstream statut("/proc/self/status");
    std::string ligne;
    while (std::getline(statut, ligne))
        if (ligne.rfind("VmHWM:", 0) == 0) return std::atol(ligne.c_str() + 6) * 1024;
    return 0;
}

void RemetLePicAZero()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

int PagesPdf(const QString& pdf)
{
    // The page tree's count, written once at the end of the file by the writer,
    // before the cross-reference table (20 bytes an object: megabytes for a list of
    // tens of thousands of pages).
    QFile f(pdf);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const qint64 fin = std::min<qint64>(f.size(), 64 << 20);
    f.seek(f.size() - fin);
    const QByteArray queue = f.read(fin);
    const qsizetype i = queue.lastIndexOf("/Type /Pages");
    const qsizetype c = i < 0 ? -1 : queue.indexOf("/Count ", i);
    return c < 0 ? -1 : queue.mid(c + 7, 12).trimmed().split('\n').first().toInt();
}

// The floor: the list's lines composed and cut at the page's right edge as the print
// does (each line's glyphs and kerned advances found once, the cut where the next
// glyph would pass the edge), its glyphs but the blanks handed to the same PDF writer
// through the same safe file, the same line and page breaks. Nothing else: no stream
// object, no progress, the Windows-1252 text decoded by a table.
int PlancherListe(const Repertoire& livre, const QString& pdf, const QFont& police,
                  const QString& entete)
{
    std::array<char16_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const char octet = static_cast<char>(i);
        const QString u = CodePage::VersUnicode(std::string_view(&octet, 1));
        table[static_cast<size_t>(i)] = u.isEmpty() ? char16_t(i) : u.at(0).unicode();
    }
    QPrinter imprimante(QPrinter::HighResolution);
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    imprimante.setOutputFileName(pdf);
    imprimante.setPageOrientation(QPageLayout::Landscape);
    imprimante.setDocName(ImpressionListe::Entete(livre.FichierCourant(), false));
    TravailImpression travail(imprimante);
    if (!travail.Commence(nullptr)) return -1;
    QPainter& p = travail.Peintre();
    QPagedPaintDevice& device = travail.Device();
    const QFont f(police, &device);
    const QFontMetrics m(police, &device);
    const QRawFont brute = QRawFont::fromFont(f);
    const int largeurPage = device.width();
    const int hauteurPage = device.height();
    const int hauteurLigne = m.height() + 2;
    const int ascent = m.ascent();
    int y = 0;
    int pages = 1;
    const auto nouvelleLigne = [&](int lh) {
        y += lh > 0 ? lh : m.height();
        if (y > hauteurPage - 2 * lh) {
            travail.NouvellePage();
            ++pages;
            y = 0;
        }
    };
    QString texte;
    std::vector<quint32> glyphes;
    std::vector<QPointF> avances, seules, positions;
    std::vector<quint32> traces;
    const auto ecrit = [&] {
        const int n = static_cast<int>(texte.size());
        glyphes.resize(static_cast<size_t>(n));
        avances.resize(static_cast<size_t>(n));
        seules.resize(static_cast<size_t>(n));
        int nombre = n;
        brute.glyphIndexesForChars(texte.constData(), n, glyphes.data(), &nombre);
        brute.advancesForGlyphIndexes(glyphes.data(), avances.data(), n, QRawFont::KernedAdvances);
        brute.advancesForGlyphIndexes(glyphes.data(), seules.data(), n, QRawFont::SeparateAdvances);
        int debut = 0;
        qreal origine = 0;
        qreal x = 0;
        traces.clear();
        positions.clear();
        const auto trace = [&] {
            if (!traces.empty()) {
                QGlyphRun g;
                g.setRawFont(brute);
                g.setRawData(traces.data(), positions.data(), static_cast<int>(traces.size()));
                p.drawGlyphRun(QPointF(0, y + ascent), g);
            }
            traces.clear();
            positions.clear();
        };
        for (int i = 0; i < n; ++i) {
            const size_t k = static_cast<size_t>(i);
            if (i > debut && qRound(x - origine + seules[k].x()) > largeurPage) {
                trace();
                nouvelleLigne(hauteurLigne);
                debut = i;
                origine = x;
            }
            if (texte.at(i) != QLatin1Char(' ')) {
                traces.push_back(glyphes[k]);
                positions.emplace_back(qRound(x - origine), 0);
            }
            x += avances[k].x();
        }
        trace();
    };
    texte = entete;
    ecrit();
    nouvelleLigne(hauteurLigne);
    nouvelleLigne(0);
    std::vector<char16_t> ligne;
    for (int r = 1; r <= livre.NbFiches(); ++r) {
        ligne.clear();
        const Repertoire::VueLigne vue = livre.Vue(r);
        for (int c = 0; c < NbColonnes; ++c) {
            const std::string_view cellule = vue.Cellule(c);
            for (size_t i = 0; i < cellule.size(); ++i) {
                if (cellule[i] == '\r' && i + 1 < cellule.size() && cellule[i + 1] == '\n') {
                    ligne.push_back(u' ');
                    ++i;
                    continue;
                }
                ligne.push_back(table[static_cast<unsigned char>(cellule[i])]);
            }
            ligne.push_back(u' ');
        }
        texte = QString::fromUtf16(ligne.data(), static_cast<qsizetype>(ligne.size()));
        ecrit();
        nouvelleLigne(hauteurLigne);
        nouvelleLigne(0);
    }
    const QString erreur = travail.Termine();
    if (!erreur.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(erreur));
    return pages;
}

struct Resultat {
    double secondes = -1;
    long pic = 0; // the highest resident memory while it ran, over what was held before
    int pages = 0;
};

// Runs `travail` in a child of this process: the product and its floor then both
// start from the same memory (this process's, shared until written), and neither
// gets the pages the other freed. Runs it here when no child can be made.
Resultat DansUnEnfant(const std::function<Resultat()>& travail)
{
    int tube[2];
    if (pipe(tube) != 0) return travail();
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t enfant = fork();
    if (enfant < 0) {
        close(tube[0]);
        close(tube[1]);
        return travail();
    }
    if (enfant == 0) {
        close(tube[0]);
        const Resultat r = travail();
        const ssize_t n = write(tube[1], &r, sizeof r);
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(n == static_cast<ssize_t>(sizeof r) ? 0 : 1);
    }
    close(tube[1]);
    Resultat r;
    if (read(tube[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) r = Resultat();
    close(tube[0]);
    waitpid(enfant, nullptr, 0);
    return r;
}

// The whole list printed to a PDF by the print command, as a user runs it from the
// list page (font "MS Sans Serif" 8, progress box and all), against its floor; and
// the job's own memory.
void MesureListe(const Repertoire& livre, const QString& dossier)
{
    const QFont police(QStringLiteral("MS Sans Serif"), 8);
    const QString pdf = dossier + QStringLiteral("/liste.pdf");
    const QString plancher = dossier + QStringLiteral("/plancher.pdf");
    const QString entete = ImpressionListe::Entete(dossier + QStringLiteral("/bench.REP"), false);

    const Resultat produit = DansUnEnfant([&] {
        TMessage::ModeTest(true); // the box telling where the PDF went
        TFiche fiche(dossier);
        TCopyOpt options(&fiche);
        TImpression impression(fiche, options);
        impression.ChoisitImpression = [&](ChoixImpression& c, int) {
            c.imprimante.clear();
            c.fichierPdf = pdf;
            c.selection = false;
            c.copies = 1;
            return true;
        };
        impression.ChoisitPolice = [&](QFont& f) {
            f = police;
            return true;
        };
        fiche.show();
        QCoreApplication::processEvents();
        // This process's own copy of the book goes into the window, not a second one.
        Repertoire livreOuvert(std::move(const_cast<Repertoire&>(livre)));
        livreOuvert.SetFichierCourant(dossier + QStringLiteral("/bench.REP"));
        fiche.Modele()->Remplace(std::move(livreOuvert));
        fiche.PageControl()->setCurrentIndex(TFiche::PageListe);
        fiche.AllerA(0, 1);
        QCoreApplication::processEvents();

        Resultat r;
        const long avant = RssOctets();
        RemetLePicAZero();
        QElapsedTimer t;
        t.start();
        if (impression.Imprimer1Click())
            r.secondes = Secondes(t);
        else
            std::fprintf(stderr, "print-list : %s\n", qPrintable(TMessage::DernierTexte()));
        r.pic = PicDepuisRemiseAZero() - avant;
        r.pages = PagesPdf(pdf);
        fiche.Rep().SetModifie(false);
        return r;
    });
    const Resultat sol = DansUnEnfant([&] {
        Resultat r;
        const long avant = RssOctets();
        RemetLePicAZero();
        QElapsedTimer t;
        t.start();
        r.pages = PlancherListe(livre, plancher, police, entete);
        r.secondes = Secondes(t);
        r.pic = PicDepuisRemiseAZero() - avant;
        return r;
    });
    Ligne("print-list", produit.secondes, sol.secondes);
    std::printf("print-list-pages %d\n", produit.pages);
    // MB over the memory held before the job, the floor's alongside.
    std::printf("print-list-memory %.1f %.1f\n", static_cast<double>(produit.pic) / 1048576.0,
                static_cast<double>(sol.pic) / 1048576.0);
    std::fflush(stdout);
    // The floor must make the same document.
    if (produit.pages != sol.pages || PagesPdf(plancher) != sol.pages)
        std::fprintf(stderr, "print-list : %d pages, %d pour le plancher\n", produit.pages,
                     sol.pages);
    const double tailles = double(QFileInfo(pdf).size()) / double(QFileInfo(plancher).size());
    if (!(tailles > 0.98 && tailles < 1.02))
        std::fprintf(stderr, "print-list : PDF de %lld octets, %lld pour le plancher\n",
                     static_cast<long long>(QFileInfo(pdf).size()),
                     static_cast<long long>(QFileInfo(plancher).size()));
    QFile::remove(pdf);
    QFile::remove(plancher);
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

    TMessage::ModeTest(true); // the box telling where the PDF went
    QElapsedTimer t;
    t.start();
    impression.Imprimer1Click();
    std::printf("print-record %.4f\n", Secondes(t));

    fiche.Rep().SetModifie(false);
}

} // namespace

CARNET_BENCH(impressionListe, MesureListe)
CARNET_BENCH(impressionFiche, MesureFicheEtCopie)
