#include "OutilsImages.h"
#include "Registre.h"

#include "BancImpression.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TPagesFiche.h"
#include "printing/GeometrieFiche.h"
#include "printing/TImpression.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/Repertoire.h"
#include "ui/TMessage.h"
#include "ui/TitreFiche.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

static void InitRessourcesFiche()
{
    Q_INIT_RESOURCE(carnet);
}

namespace
{

struct Mot {
    QString texte;
    QRectF boite; // points, from the page's top-left corner
};

// Every word of the first page with its box, as pdftotext -bbox gives them.
QList<Mot> Mots(const QString& pdf)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-bbox"_s, u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, pdf, u"-"_s});
    p.waitForFinished(60000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression mot(
        uR"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"_s);
    QList<Mot> mots;
    for (auto it = mot.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const QPointF a(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF b(m.captured(3).toDouble(), m.captured(4).toDouble());
        QString texte = m.captured(5);
        texte.replace(u"&amp;"_s, u"&"_s)
            .replace(u"&quot;"_s, u"\""_s)
            .replace(u"&apos;"_s, u"'"_s);
        mots << Mot{texte, QRectF(a, b)};
    }
    return mots;
}

} // namespace

// The record print: its geometry in exact numbers, and the page as it lands in a PDF.
class TestImpressionFiche : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dossier;
    QString m_pdf;

    std::unique_ptr<BancImpression> Demarre(Repertoire& rep)
    {
        const QString livre = m_dossier->filePath(u"Amis.REP"_s);
        [&] { QCOMPARE(FichierRep::EcritRepertoire(livre, rep), QString()); }();
        auto p = std::make_unique<BancImpression>(m_dossier->filePath(u"c.ini"_s),
                                                  m_dossier->path() + '/', QStringList{livre});
        p->Fiche()->show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(p->Fiche())); }();
        m_pdf = m_dossier->filePath(u"fiche.pdf"_s);
        p->Impression()->ChoisitImpression = [this](ChoixImpression& c, int options) {
            if (options != 0) return false; // one copy, no selection
            c.imprimante.clear();
            c.fichierPdf = m_pdf;
            return true;
        };
        return p;
    }

    // Prints the page of the running program to the PDF and reads its words.
    QList<Mot> Imprime(BancImpression& p, int page)
    {
        p.Fiche()->PageControl()->setCurrentIndex(page);
        QCoreApplication::processEvents();
        if (!p.Impression()->Imprimer1Click()) return {};
        // The job ends by telling where the PDF went; nothing else is said.
        [&] {
            QCOMPARE(TMessage::Historique().size(), size_t(1));
            QCOMPARE(TMessage::DernierTexte(),
                     u"La fiche a été enregistrée dans le fichier « %1 »."_s.arg(m_pdf));
        }();
        TMessage::Historique().clear();
        if (qEnvironmentVariableIsSet("CARNET_CAPTURES")) {
            const QString dossier = qEnvironmentVariable("CARNET_CAPTURES");
            QFile::remove(dossier + u"/fiche%1.pdf"_s.arg(page));
            QFile::copy(m_pdf, dossier + u"/fiche%1.pdf"_s.arg(page));
            p.Fiche()->grab().save(dossier + u"/fiche%1.png"_s.arg(page));
        }
        return Mots(m_pdf);
    }

    // The size of each picture in the PDF, as pdfimages lists them.
    static QStringList Images(const QString& pdf)
    {
        QProcess p;
        p.start(u"pdfimages"_s, {u"-list"_s, pdf});
        p.waitForFinished(60000);
        QStringList tailles;
        const QStringList lignes = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
        for (const QString& ligne : lignes.mid(2)) {
            const QStringList champs = ligne.simplified().split(' ');
            if (champs.size() > 4 && champs.at(2) == u"image"_s)
                tailles << champs.at(3) + 'x' + champs.at(4);
        }
        return tailles;
    }

    QImage Rendu(int ppp) const
    {
        const QString base = m_dossier->filePath(u"rendu"_s);
        QProcess::execute(u"pdftoppm"_s, {u"-png"_s, u"-r"_s, QString::number(ppp),
                                          u"-singlefile"_s, m_pdf, base});
        return QImage(base + u".png"_s);
    }

    // How many pixels of the area are dark.
    static int Sombres(const QImage& image, const QRect& zone)
    {
        int n = 0;
        for (int y = zone.top(); y <= zone.bottom(); ++y)
            for (int x = zone.left(); x <= zone.right(); ++x)
                if (qGray(image.pixel(x, y)) < 128) ++n;
        return n;
    }

private slots:
    void init()
    {
        InitRessourcesFiche();
        TMessage::ModeTest(true);
        TMessage::Historique().clear();
        m_dossier = std::make_unique<QTemporaryDir>();
    }
    void cleanup() { TMessage::ModeTest(false); }

    void geometrie_data()
    {
        QTest::addColumn<double>("valeur");
        QTest::addColumn<int>("arrondi");
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("187.5") << 187.5 << 188;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("115.625") << 115.625 << 116;
    }
    void geometrie()
    {
        QFETCH(double, valeur);
        QFETCH(int, arrondi);
        QCOMPARE(GeometrieFiche::Arrondi(valeur), arrondi);

        // A 600-dot printer under a 96-pixel window: 6.25 dots a pixel.
        const GeometrieFiche g(6.25, 6.25, 4800, 6800);
        QCOMPARE(g.Bande(), QRect(g.Ox(), g.Oy(), 3900, 188));
        QCOMPARE(g.Ox(), 450); // (4800 − 3900) ÷ 2
        QCOMPARE(g.Oy(), 600); // (3400 − 2200) ÷ 2
        QCOMPARE(g.Oy2(), 788);
        QCOMPARE(g.CadrePage(), QRect(450, 788, 3900, 2200));
        QCOMPARE(g.Rectangle(QRect(16, 8, 39, 13)), QRect(550, 838, 244, 81)); // 243.75, 81.25
        QCOMPARE(g.Interieur(QRect(16, 24, 137, 21)), QRect(562, 963, 838, 112));
        QCOMPARE(g.Titre(1000, 100), QRect(1900, 644, 3881, 2181)); // 644 = 600 + round(43.75)
        QCOMPARE(g.DebutLigneNotes(QRect(100, 200, 10, 10), 30), QPoint(112, 242));

        // The photo's three rules in the 137-pixel frame (856.25 dots).
        const QRect cadre(472, 8, 137, 137);
        const QRect f = g.Rectangle(cadre);
        const auto place = [&](int dw, int dh) {
            return QRect(f.left() + GeometrieFiche::Arrondi((856.25 - dw) / 2),
                         f.top() + GeometrieFiche::Arrondi((856.25 - dh) / 2), dw, dh);
        };
        QCOMPARE(g.Photo(QSize(100, 50), cadre), place(625, 312));  // its own size, scaled
        QCOMPARE(g.Photo(QSize(137, 137), cadre), place(856, 856)); // fits exactly
        QCOMPARE(g.Photo(QSize(200, 100), cadre), place(749, 374)); // 7/8 of the width
        QCOMPARE(g.Photo(QSize(100, 300), cadre), place(250, 749)); // 7/8 of the height
        QCOMPARE(g.Photo(QSize(300, 300), cadre), place(749, 749)); // square: the height
        QCOMPARE(g.Photo(QSize(), cadre), QRect());
    }

    // Captions and contents land where the layout puts them, within half a point.
    void positions()
    {
        Repertoire rep;
        rep.SetCellule(Nom, 1, "Dupont");
        rep.SetCellule(Civil, 1, "Monsieur");
        rep.SetCellule(Prenom, 1, CodePage::Octets(u"Zoé"_s));
        rep.SetCellule(Adresse1, 1, CodePage::Octets(u"12 rue de l'Œuvre, 5 €"_s));
        QString notes;
        for (int i = 1; i <= 30; ++i)
            notes += u"ligne%1\r\n"_s.arg(i);
        rep.SetCellule(Notes, 1, CodePage::Octets(notes));
        rep.SetCellule(Ville, 1, "Grandville-sur-le-Lac-des-Iles-Enchantees-de-Bretagne");
        auto p = Demarre(rep);
        const QList<Mot> mots = Imprime(*p, TFiche::PagePrive);
        QVERIFY(!mots.isEmpty());
        // "Arial" is printed in its metric twin.
        QProcess polices;
        polices.start(u"pdffonts"_s, {m_pdf});
        polices.waitForFinished(60000);
        const QString liste = QString::fromUtf8(polices.readAllStandardOutput());
        QVERIFY2(liste.contains(u"LiberationSans-Bold"_s) &&
                     liste.contains(QRegularExpression(u"LiberationSans\\s"_s)),
                 qPrintable(liste));

        QPrinter imprimante(QPrinter::HighResolution);
        imprimante.setOutputFormat(QPrinter::PdfFormat);
        imprimante.setPageOrientation(QPageLayout::Portrait);
        const double s = 1200.0 / p->Fiche()->logicalDpiX();
        const GeometrieFiche g(s, s, imprimante.width(), imprimante.height());
        const QPointF marge = imprimante.pageLayout().paintRectPixels(1200).topLeft();
        const auto enPoints = [&](QPoint dots) { return (QPointF(dots) + marge) * 72.0 / 1200; };
        const auto verifie = [&](const QString& texte, QPoint attendu) {
            for (const Mot& m : mots)
                if (m.texte == texte) {
                    const QPointF a = enPoints(attendu);
                    QVERIFY2(qAbs(m.boite.left() - a.x()) <= 0.5 &&
                                 qAbs(m.boite.top() - a.y()) <= 0.5,
                             qPrintable(u"%1 at %2,%3, expected %4,%5"_s.arg(texte)
                                            .arg(m.boite.left())
                                            .arg(m.boite.top())
                                            .arg(a.x())
                                            .arg(a.y())));
                    return;
                }
            QFAIL(qPrintable(texte + u" not printed"_s));
        };
        verifie(u"Civilité"_s, g.Rectangle(QRect(16, 8, 39, 13)).topLeft());
        verifie(u"Nom"_s, g.Rectangle(QRect(312, 8, 26, 13)).topLeft());
        verifie(u"Fax"_s, g.Rectangle(QRect(472, 300, 21, 13)).topLeft());
        verifie(u"Monsieur"_s, g.Interieur(QRect(16, 24, 137, 21)).topLeft());
        verifie(u"Zoé"_s, g.Interieur(QRect(168, 24, 121, 21)).topLeft());
        verifie(u"12"_s, g.Interieur(QRect(16, 72, 425, 21)).topLeft());
        const QRect memo = g.Rectangle(QRect(224, 215, 217, 122));
        verifie(u"ligne1"_s, g.DebutLigneNotes(memo, 0));
        QFont gras(u"Arial"_s, 8);
        gras.setBold(true);
        const QFontMetrics titre(gras, &imprimante);
        const QString texteTitre = p->Fiche()->windowTitle() + u" - Coordonnées privées"_s;
        verifie(u"Carnet"_s,
                g.Titre(titre.horizontalAdvance(texteTitre), titre.height()).topLeft());

        // The notes lines that fit whole, and no more.
        const int lh = QFontMetrics(QFont(u"Arial"_s, 8), &imprimante).height();
        int tiennent = 0;
        while ((tiennent + 1) * lh < memo.height())
            ++tiennent;
        QVERIFY(tiennent > 3 && tiennent < 30);
        QStringList lignes;
        for (const Mot& m : mots)
            if (m.texte.startsWith(u"ligne"_s) && m.texte.back().isDigit()) lignes << m.texte;
        QCOMPARE(lignes.size(), tiennent);
        QCOMPARE(lignes.last(), u"ligne%1"_s.arg(tiennent));

        // A value longer than its box is cut at the box's inner right edge: nothing is
        // drawn between the town box and the country box.
        const QImage page = Rendu(100);
        const auto enPixels = [&](QPoint dots) { return (enPoints(dots) * 100 / 72).toPoint(); };
        const QRect ville = g.Interieur(QRect(100, 168, 165, 21));
        const QPoint a = enPixels(ville.topLeft());
        const QPoint b = enPixels(ville.bottomRight());
        const int paysGauche = enPixels(g.Rectangle(QRect(280, 168, 161, 21)).topLeft()).x();
        QVERIFY(Sombres(page, QRect(QPoint(a.x(), a.y()), QPoint(b.x(), b.y()))) > 20);
        QCOMPARE(Sombres(page, QRect(QPoint(b.x() + 3, a.y()), QPoint(paysGauche - 2, b.y()))), 0);
    }

    // A photo cell naming a file outside the images folder is never opened, not even
    // by the print when the frame shows nothing.
    void photoHorsDuDossierJamaisImprimee()
    {
        Repertoire rep;
        rep.SetCellule(Nom, 1, "Dupont");
        rep.SetCellule(Photo, 1, "../dehors.png");
        auto p = Demarre(rep);
        QImage rouge(137, 137, QImage::Format_RGB32);
        rouge.fill(Qt::red);
        const QString dehors = QDir(p->Fiche()->DossierImages()).filePath("../dehors.png");
        QVERIFY(rouge.save(dehors));
        Imprime(*p, TFiche::PagePrive);
        const QImage page = Rendu(50);
        int rouges = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                rouges += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        QFile::remove(dehors);
        QCOMPARE(rouges, 0);
    }

    // A photo that is a named pipe, or past the pixel budget, is never read: the print
    // ends, with the card the frame shows in its place.
    void photoTubeOuTropGrande_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QStringList>("carte");
        QTest::newRow("named pipe") << u"tube.png"_s << QStringList{u"Image"_s, u"non"_s};
        QTest::newRow("20000 x 20000")
            << u"geante.png"_s << QStringList{u"trop"_s, u"grande"_s, u"20000"_s};
    }
    void photoTubeOuTropGrande()
    {
        QFETCH(QString, nom);
        QFETCH(QStringList, carte);
        Repertoire rep;
        rep.SetCellule(Nom, 1, "Dupont");
        rep.SetCellule(Photo, 1, CodePage::Octets(nom));
        auto p = Demarre(rep);
        const QString chemin = p->Fiche()->DossierImages() + '/' + nom;
        std::unique_ptr<OutilsImages::GardeTube> tube;
        if (nom == u"tube.png"_s) {
            tube = std::make_unique<OutilsImages::GardeTube>(chemin);
            QVERIFY(tube->Cree());
        } else {
            QVERIFY(OutilsImages::Ecrit(chemin, OutilsImages::PngUni(20000, 20000, Qt::red, true)));
        }
        const QList<Mot> mots = Imprime(*p, TFiche::PagePrive);
        if (tube) QVERIFY2(!tube->Ouvert(), "the print opened the pipe");
        QVERIFY(TMessage::Historique().empty());
        QStringList textes;
        for (const Mot& m : mots)
            textes << m.texte;
        QVERIFY2(textes.contains(u"Dupont"_s), qPrintable(textes.join(' ')));
        for (const QString& mot : carte)
            QVERIFY2(textes.contains(mot), qPrintable(mot + u" missing: "_s + textes.join(' ')));
        QVERIFY(Images(m_pdf).isEmpty());
    }

    // The photo is read from its file and scaled once to the rectangle it takes on
    // the device, dot for pixel, on a device whose two resolutions differ (300 dots
    // per inch across, 600 down, under a 96-pixel window: 3.125 and 6.25 dots a
    // pixel). Every number below is worked out by hand from the page's layout:
    //   ox = round((2000 - 624 * 3.125) / 2) = 25
    //   oy = round((6000 / 2 - 352 * 6.25) / 2) = 400, oy2 = 400 + round(187.5) = 588
    //   frame (472, 8, 137, 137): left 25 + 1475 = 1500, top 588 + 50 = 638,
    //   428.125 dots wide, 856.25 high.
    // The picture keeps its proportions on paper, not in dots.
    void photoResolutionsInegales_data()
    {
        QTest::addColumn<QSize>("taille");
        QTest::addColumn<QRect>("attendu");
        // dw = round(7 * 3.125 * 137 / 8) = round(374.6) = 375; dh = 200/400 * 375 * 2
        QTest::newRow("400 x 200, larger") << QSize(400, 200) << QRect(1527, 879, 375, 375);
        // dw = 375, dh = 100/300 * 375 * 2 = 250; top 638 + round(303.125)
        QTest::newRow("300 x 100, too wide only") << QSize(300, 100) << QRect(1527, 941, 375, 250);
        // dh = round(7 * 6.25 * 137 / 8) = round(749.2) = 749; dw = round(749 / 3 / 2)
        // = round(124.83) = 125; left 1500 + round(151.5625), top 638 + round(53.625)
        QTest::newRow("100 x 300, too high only") << QSize(100, 300) << QRect(1652, 692, 125, 749);
        // Fits: dw = round(312.5) = 312, dh = round(312.5) = 312 (halves to even);
        // left 1500 + round(58.0625), top 638 + round(272.125)
        QTest::newRow("100 x 50, fits") << QSize(100, 50) << QRect(1558, 910, 312, 312);
    }
    void photoResolutionsInegales()
    {
        QFETCH(QSize, taille);
        QFETCH(QRect, attendu);
        Repertoire rep;
        rep.SetCellule(Nom, 1, "Dupont");
        rep.SetCellule(Photo, 1, "rayures.png");
        auto p = Demarre(rep);
        QCOMPARE(p->Fiche()->logicalDpiX(), 96);
        QCOMPARE(p->Fiche()->logicalDpiY(), 96);
        // Red and blue stripes four pixels wide: a copy reduced twice comes out blurred.
        QImage rayures(taille, QImage::Format_RGB32);
        for (int x = 0; x < taille.width(); ++x)
            for (int y = 0; y < taille.height(); ++y)
                rayures.setPixel(x, y, (x / 4) % 2 ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
        const QString chemin = p->Fiche()->DossierImages() + u"/rayures.png"_s;
        QVERIFY(rayures.save(chemin));

        QImage surface(2000, 6000, QImage::Format_RGB32);
        surface.setDotsPerMeterX(11811); // 300 dots per inch
        surface.setDotsPerMeterY(23622); // 600
        QCOMPARE(surface.logicalDpiX(), 300);
        QCOMPARE(surface.logicalDpiY(), 600);
        surface.fill(Qt::white);
        {
            QPainter peintre(&surface);
            p->Impression()->DessineFiche(peintre, p->Impression()->Releve());
        }
        // The page frame and the photo frame, by hand too.
        for (const QPoint coin : {QPoint(25, 588), QPoint(25 + 1950, 588 + 2200), QPoint(1500, 638),
                                  QPoint(1500 + 428, 638 + 856)})
            QVERIFY2(qGray(surface.pixel(coin)) < 128,
                     qPrintable(u"%1,%2"_s.arg(coin.x()).arg(coin.y())));

        QRect vu;
        for (int y = 0; y < surface.height(); ++y)
            for (int x = 0; x < surface.width(); ++x) {
                const QColor c = surface.pixelColor(x, y);
                if (qMax(c.red(), c.blue()) > 120 && c.green() < 100)
                    vu = vu.united(QRect(x, y, 1, 1));
            }
        QCOMPARE(vu, attendu);

        // It is the file scaled once to the rectangle.
        {
            const QImage reference =
                QImage(chemin)
                    .convertToFormat(QImage::Format_RGB32)
                    .scaled(attendu.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const QImage imprimee = surface.copy(attendu);
            qint64 ecart = 0;
            for (int y = 0; y < reference.height(); ++y)
                for (int x = 0; x < reference.width(); ++x) {
                    const QRgb a = reference.pixel(x, y);
                    const QRgb b = imprimee.pixel(x, y);
                    ecart += qAbs(qRed(a) - qRed(b)) + qAbs(qBlue(a) - qBlue(b));
                }
            const double moyen = double(ecart) / (2.0 * reference.width() * reference.height());
            QVERIFY2(moyen < 12, qPrintable(QString::number(moyen)));
        }
        if (qEnvironmentVariableIsSet("CARNET_CAPTURES"))
            surface.copy(attendu.adjusted(-60, -60, 60, 60))
                .save(qEnvironmentVariable("CARNET_CAPTURES") +
                      u"/photo-%1x%2.png"_s.arg(taille.width()).arg(taille.height()));
    }

    // The whole "Privé" page on a device whose two resolutions differ (300 dots per
    // inch across, 600 down, under a 96-pixel window: 3.125 and 6.25 dots a pixel):
    // every box, caption, text, notes line and the title where the layout's numbers
    // put them, worked out here from the page's table with each axis's own factor:
    //   ox = round((2000 - 624 * 3.125) / 2) = 25, oy = round((3000 - 352 * 6.25) / 2)
    //   = 400, oy2 = 400 + round(30 * 6.25) = 588 (187.5 rounds to 188).
    void pageResolutionsInegales()
    {
        Repertoire rep;
        for (int c : {Civil, Prenom, Nom, Adresse1, Adresse2, CP, Ville, Pays, Tel, Tel2, Portable,
                      Fax, Internet, Internet2, Internet3})
            rep.SetCellule(c, 1, "MHM");
        rep.SetCellule(Notes, 1, "MHM\r\nHMH");
        auto p = Demarre(rep);
        p->Fiche()->PageControl()->setCurrentIndex(TFiche::PagePrive);
        QCoreApplication::processEvents();
        QImage image(2000, 6000, QImage::Format_RGB32);
        image.setDotsPerMeterX(11811);
        image.setDotsPerMeterY(23622);
        image.fill(Qt::white);
        {
            QPainter peintre(&image);
            p->Impression()->DessineFiche(peintre, p->Impression()->Releve());
        }
        if (qEnvironmentVariableIsSet("CARNET_CAPTURES"))
            image.copy(0, 350, 2000, 2500)
                .save(qEnvironmentVariable("CARNET_CAPTURES") + u"/page-300x600.png"_s);

        const auto arrondi = [](double v) { return int(std::nearbyint(v)); }; // half to even
        const double sx = 3.125, sy = 6.25;
        const int ox = 25, oy = 400, oy2 = 588;
        const auto rectangle = [&](int l, int t, int w, int h) {
            return QRect(ox + arrondi(l * sx), oy2 + arrondi(t * sy), arrondi(w * sx),
                         arrondi(h * sy));
        };
        const auto sombre = [&](QPoint q) { return qGray(image.pixel(q)) < 128; };
        // A frame: its four corners are drawn, and nothing two dots outside them.
        const auto cadre = [&](const QRect& r, const char* quoi) {
            const QPoint coins[] = {r.topLeft(), QPoint(r.left() + r.width(), r.top()),
                                    QPoint(r.left(), r.top() + r.height()),
                                    QPoint(r.left() + r.width(), r.top() + r.height())};
            for (const QPoint c : coins)
                QVERIFY2(sombre(c), qPrintable(u"%1: %2,%3"_s.arg(quoi).arg(c.x()).arg(c.y())));
            QVERIFY2(!sombre(r.topLeft() - QPoint(2, 2)) && !sombre(coins[3] + QPoint(2, 2)), quoi);
        };
        // The ink of a text drawn with its top-left corner at `coin`: where the font's
        // tight box of that text puts it, within two dots.
        const auto texte = [&](const QRect& zone, QPoint coin, const QFont& police,
                               const QString& t, const char* quoi) {
            const QFontMetrics m(police, &image);
            const QRect serre = m.tightBoundingRect(t);
            const QPoint attendu(coin.x() + serre.left(), coin.y() + m.ascent() + serre.top());
            QRect encre;
            for (int y = zone.top(); y <= zone.bottom(); ++y)
                for (int x = zone.left(); x <= zone.right(); ++x)
                    if (qGray(image.pixel(x, y)) < 160) encre |= QRect(x, y, 1, 1);
            QVERIFY2(!encre.isEmpty() && qAbs(encre.left() - attendu.x()) <= 2 &&
                         qAbs(encre.top() - attendu.y()) <= 2,
                     qPrintable(u"%1: ink at %2,%3, expected %4,%5"_s.arg(quoi)
                                    .arg(encre.left())
                                    .arg(encre.top())
                                    .arg(attendu.x())
                                    .arg(attendu.y())));
        };
        QFont normale(u"Arial"_s, 8);
        QFont grasse(u"Arial"_s, 8);
        grasse.setBold(true);

        // The title band, the page frame, the photo frame.
        cadre(QRect(ox, oy, arrondi(624 * sx), arrondi(30 * sy)), "band");
        cadre(QRect(ox, oy2, arrondi(624 * sx), arrondi(352 * sy)), "page");
        cadre(rectangle(472, 8, 137, 137), "photo frame");

        // Every box and the text inside it, from its inner corner (left + 2, top + 4).
        struct Boite {
            int l, t, w, h;
            const char* quoi;
        };
        const Boite boites[] = {{16, 24, 137, 21, "Civil"},      {168, 24, 121, 21, "Prenom"},
                                {312, 24, 129, 21, "Nom"},       {16, 72, 425, 21, "Adresse1"},
                                {16, 120, 425, 21, "Adresse2"},  {16, 168, 65, 21, "CP"},
                                {100, 168, 165, 21, "Ville"},    {280, 168, 161, 21, "Pays"},
                                {472, 168, 137, 21, "Tel"},      {16, 216, 185, 21, "Internet"},
                                {472, 216, 137, 21, "Tel2"},     {472, 264, 137, 21, "Portable"},
                                {16, 268, 185, 21, "Internet2"}, {16, 316, 185, 21, "Internet3"},
                                {472, 316, 137, 21, "Fax"}};
        for (const Boite& b : boites) {
            const QRect r = rectangle(b.l, b.t, b.w, b.h);
            cadre(r, b.quoi);
            const QPoint coin(ox + arrondi((b.l + 2) * sx), oy2 + arrondi((b.t + 4) * sy));
            texte(r.adjusted(2, 2, -2, -2), coin, normale, u"MHM"_s, b.quoi);
        }
        // The notes: the box, then its first line from (left + round(2 sx), top +
        // round(2 sy)) = (+6, +12).
        const QRect notes = rectangle(224, 215, 217, 122);
        cadre(notes, "Notes");
        const int lh = QFontMetrics(normale, &image).height();
        texte(QRect(notes.left() + 2, notes.top() + 2, notes.width() - 4, lh + 8),
              notes.topLeft() + QPoint(6, 12), normale, u"MHM"_s, "notes line 1");

        // Captions, in bold, from their rectangle's corner.
        struct Libelle {
            int l, t, w, h;
            QString texte;
        };
        const Libelle libelles[] = {{16, 8, 39, 13, u"Civilité"_s},
                                    {312, 8, 26, 13, u"Nom"_s},
                                    {16, 56, 101, 13, u"Adresse (1° ligne)"_s},
                                    {100, 152, 25, 13, u"Ville"_s},
                                    {472, 248, 48, 13, u"Portable"_s},
                                    {224, 200, 34, 13, u"Notes"_s}};
        for (const Libelle& l : libelles) {
            const QRect r = rectangle(l.l, l.t, l.w, l.h);
            texte(r.adjusted(-3, -3, 40, 3), r.topLeft(), grasse, l.texte, qPrintable(l.texte));
        }

        // The title, centred in the band both ways: top oy + round((187.5 - th) / 2).
        // Its glyphs follow the vertical resolution, twice the horizontal one here, so
        // it is shortened to fit: its ink stays inside the band, as far from either end.
        const QFontMetrics titre(grasse, &image);
        const QRect bande(ox + 2, oy + 2, arrondi(624 * sx) - 4, arrondi(30 * sy) - 4);
        QRect encre;
        for (int y = bande.top(); y <= bande.bottom(); ++y)
            for (int x = bande.left(); x <= bande.right(); ++x)
                if (qGray(image.pixel(x, y)) < 160) encre |= QRect(x, y, 1, 1);
        QVERIFY(!encre.isEmpty());
        const int gauche = encre.left() - ox, droite = ox + arrondi(624 * sx) - encre.right();
        QVERIFY2(qAbs(gauche - droite) <= 8 && gauche >= arrondi(4 * sx),
                 qPrintable(u"title ink from %1 to %2"_s.arg(encre.left()).arg(encre.right())));
        // Its start stays whole, with the title's tallest glyphs.
        const QRect serre = titre.tightBoundingRect(TitreFiche::Debut(p->Fiche()->Rep(), 1) +
                                                    u"MHM MHM] - Coordonnées privées"_s);
        const int haut =
            oy + arrondi((30 * sy - titre.height()) / 2) + titre.ascent() + serre.top();
        QVERIFY2(qAbs(encre.top() - haut) <= 2,
                 qPrintable(u"title ink at %1, expected %2"_s.arg(encre.top()).arg(haut)));
    }

    // A name too long for the title band is shortened with "…": the title stays in
    // its band, its start and its end whole.
    void titreLong()
    {
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            QSKIP("pdftotext (poppler-utils) missing: the title's place cannot be measured");
        Repertoire rep;
        rep.SetCellule(Prenom, 1, std::string(150, 'J'));
        rep.SetCellule(Nom, 1, "Dupont-" + std::string(120, 'W'));
        auto p = Demarre(rep);
        const QList<Mot> mots = Imprime(*p, TFiche::PagePrive);
        QVERIFY(!mots.isEmpty());

        QPrinter imprimante(QPrinter::HighResolution);
        imprimante.setOutputFormat(QPrinter::PdfFormat);
        const double s = 1200.0 / p->Fiche()->logicalDpiX();
        const double marge = imprimante.pageLayout().paintRectPixels(1200).left();
        // The band, in points: from ox to ox + 624 s, ox = (width - 624 s) / 2.
        const double gauche = (marge + (imprimante.width() - 624 * s) / 2) * 72 / 1200;
        const double droite = gauche + 624 * s * 72 / 1200;
        double premier = 1e9, dernier = -1e9, haut = 1e9;
        QStringList titre;
        for (const Mot& m : mots)
            haut = std::min(haut, m.boite.top());
        for (const Mot& m : mots)
            if (m.boite.top() < haut + 2) {
                titre << m.texte;
                premier = std::min(premier, m.boite.left());
                dernier = std::max(dernier, m.boite.right());
            }
        QVERIFY2(premier > gauche && dernier < droite,
                 qPrintable(u"%1 .. %2 outside %3 .. %4: %5"_s.arg(premier)
                                .arg(dernier)
                                .arg(gauche)
                                .arg(droite)
                                .arg(titre.join(' '))));
        const QString ligne = titre.join(' ');
        QVERIFY2(ligne.startsWith(u"Carnet d'adresses \"Amis\" - Fiche n°1/1 [JJJ"_s),
                 qPrintable(ligne));
        QVERIFY2(ligne.endsWith(u"…] - Coordonnées privées"_s), qPrintable(ligne));
    }

    // The photo prints at the place of the "Privé" frame whichever page is printed;
    // the other pages print their own captions and name labels; an empty record
    // prints every caption and box.
    void autresPages()
    {
        Repertoire rep;
        rep.SetCellule(Nom, 1, "Dupont");
        rep.SetCellule(Prenom, 1, "Jean");
        rep.SetCellule(Societe, 1, "ACME");
        rep.SetCellule(Photo, 1, "rouge.png");
        rep.SetNbLignes(3);
        auto p = Demarre(rep);
        // Pixels the picture touches at all are red: its sides may show one more pixel.
        QImage rouge(400, 200, QImage::Format_RGB32);
        rouge.fill(Qt::red);
        QVERIFY(rouge.save(p->Fiche()->DossierImages() + u"/rouge.png"_s));

        const QList<Mot> mots = Imprime(*p, TFiche::PageProfessionnel);
        QStringList textes;
        for (const Mot& m : mots)
            textes << m.texte;
        QVERIFY2(textes.contains(u"professionnelles"_s), qPrintable(textes.join(' ')));
        for (const char* attendu : {"Société", "Fonction", "ACME", "Jean", "Dupont", "Tél"})
            QVERIFY2(textes.contains(QString::fromUtf8(attendu)), attendu);

        QPrinter imprimante(QPrinter::HighResolution);
        imprimante.setOutputFormat(QPrinter::PdfFormat);
        const double s = 1200.0 / p->Fiche()->logicalDpiX();
        const GeometrieFiche g(s, s, imprimante.width(), imprimante.height());
        const QPointF marge = imprimante.pageLayout().paintRectPixels(1200).topLeft();
        const QRect photo = g.Photo(rouge.size(), QRect(472, 8, 137, 137));
        QCOMPARE(photo.width(), GeometrieFiche::Arrondi(7 * s * 137 / 8));
        const QImage page = Rendu(100);
        QRect rougeVu;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                    rougeVu = rougeVu.united(QRect(x, y, 1, 1));
            }
        const QRectF attendu((QPointF(photo.topLeft()) + marge) * 100 / 1200,
                             QSizeF(photo.size()) * 100 / 1200);
        QVERIFY2(qAbs(rougeVu.left() - attendu.left()) <= 1.5 &&
                     qAbs(rougeVu.top() - attendu.top()) <= 1.5 &&
                     qAbs(rougeVu.width() - attendu.width()) <= 2 &&
                     qAbs(rougeVu.height() - attendu.height()) <= 2,
                 qPrintable(u"%1,%2 %3x%4 / %5,%6 %7x%8"_s.arg(rougeVu.left())
                                .arg(rougeVu.top())
                                .arg(rougeVu.width())
                                .arg(rougeVu.height())
                                .arg(attendu.left())
                                .arg(attendu.top())
                                .arg(attendu.width())
                                .arg(attendu.height())));

        // The picture is in the PDF at the printed size, one pixel a dot at 1200 dots
        // per inch: 7/8 of the frame's 137 pixels at 12.5 dots a pixel, 1498.4375 wide,
        // 749 high; neither the frame's 135 x 67 copy nor the file's 400 x 200 left to
        // the device to stretch.
        QCOMPARE(Images(m_pdf), QStringList{u"1498x749"_s});

        p->Fiche()->AllerA(0, 2);
        textes.clear();
        for (const Mot& m : Imprime(*p, TFiche::PageBanque))
            textes << m.texte;
        for (const char* attendu : {"bancaires", "Banque", "Etablissement", "Guichet", "Compte",
                                    "Clé", "Internet", "Fax", "Notes"})
            QVERIFY2(textes.contains(QString::fromUtf8(attendu)), attendu);
        QVERIFY(!textes.contains(u"Dupont"_s));
        QVERIFY(TMessage::Historique().empty());

        // A PDF that cannot be written: told, and no file under that name.
        m_pdf = m_dossier->filePath(u"manque/fiche.pdf"_s);
        QVERIFY(!p->Impression()->Imprimer1Click());
        QVERIFY(TMessage::DernierTexte().startsWith(u"L'impression a échoué."_s));
        QVERIFY(!QFile::exists(m_pdf));
        QVERIFY(!p->Fiche()->Rep().Modifie());
    }
};

CARNET_TEST(TestImpressionFiche)
#include "TestImpressionFiche.moc"
