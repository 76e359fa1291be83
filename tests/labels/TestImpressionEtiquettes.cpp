#include "BancMailing.h"
#include "Pilote.h"
#include "Registre.h"
#include "labels/DessinEtiquette.h"
#include "labels/ImpressionEtiquettes.h"
#include "labels/MiseEnPage.h"
#include "labels/Planches.h"
#include "labels/RenduPlanche.h"
#include "labels/TIMail.h"
#include "labels/TMailing.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TMenusFiche.h"
#include "records/FichierRep.h"
#include "records/Repertoire.h"
#include "ui/TMessage.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

// The resources live in the static library (the macro cannot be used inside a namespace).
static void RessourcesImpression()
{
    Q_INIT_RESOURCE(carnet);
}

using Params = std::array<int, FormatEtiquette::NbParametres>;
Q_DECLARE_METATYPE(Params)

namespace
{

// Records "E01", "E02", ... all chosen for the mailing.
Repertoire Livre(int n)
{
    Repertoire rep;
    rep.SetNbLignes(n + 1);
    for (int r = 1; r <= n; ++r) {
        rep.SetCellule(Nom, r, QStringLiteral("E%1").arg(r, 2, 10, QLatin1Char('0')).toStdString());
        rep.SetFlagMail(r, "1");
    }
    return rep;
}

bool Outil(const char* nom)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(nom)).isEmpty();
}

// Word -> centre in millimetres, from pdftotext's boxes (in points).
QMap<QString, QPointF> Mots(const QString& pdf, int page)
{
    QProcess p;
    p.start("pdftotext",
            {"-bbox", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    p.waitForFinished(30000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QMap<QString, QPointF> mots;
    const QRegularExpression re(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const double k = 25.4 / 72;
        mots[m.captured(5)] =
            QPointF((m.captured(1).toDouble() + m.captured(3).toDouble()) / 2 * k,
                    (m.captured(2).toDouble() + m.captured(4).toDouble()) / 2 * k);
    }
    return mots;
}

// Page `page` at 254 dpi: one pixel is a tenth of a millimetre.
QImage Page(const QString& pdf, int page, const QString& dossier)
{
    const QString base = dossier + "/page";
    QProcess::execute("pdftoppm", {"-r", "254", "-gray", "-png", "-f", QString::number(page), "-l",
                                   QString::number(page), "-singlefile", pdf, base});
    return QImage(base + ".png");
}

bool Sombre(const QImage& image, int x, int y)
{
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
           qGray(image.pixel(x, y)) < 128;
}

// The frame's outer edges in tenths of a millimetre, searched from 0,8 mm outside
// (labels 1 mm apart keep their neighbour's frame out of the search).
QRect Cadre(const QImage& image, const QRectF& attendu)
{
    const int gauche = qRound(attendu.left() * 10), haut = qRound(attendu.top() * 10);
    const int droite = qRound(attendu.right() * 10), bas = qRound(attendu.bottom() * 10);
    const int yMilieu = haut + 30, xMilieu = gauche + 30; // clear of the centred text
    int g = gauche - 8, d = droite + 8, h = haut - 8, b = bas + 8;
    while (g < gauche + 20 && !Sombre(image, g, yMilieu))
        ++g;
    while (d > droite - 20 && !Sombre(image, d - 1, yMilieu))
        --d;
    while (h < haut + 20 && !Sombre(image, xMilieu, h))
        ++h;
    while (b > bas - 20 && !Sombre(image, xMilieu, b - 1))
        --b;
    return QRect(QPoint(g, h), QPoint(d - 1, b - 1));
}

// The label of `mot` is where `attendu` (mm) says: its name centred across it, and
// its frame's four edges within a tenth of a millimetre.
void VerifieEtiquette(const QMap<QString, QPointF>& mots, const QImage& image, const QString& mot,
                      const QRectF& attendu)
{
    QVERIFY2(mots.contains(mot), qPrintable(mot));
    QVERIFY2(std::abs(mots[mot].x() - attendu.center().x()) <= 0.1,
             qPrintable(
                 QStringLiteral("%1 %2 %3").arg(mot).arg(mots[mot].x()).arg(attendu.center().x())));
    QVERIFY2(std::abs(mots[mot].y() - attendu.center().y()) <= 0.6, qPrintable(mot));
    const QRect cadre = Cadre(image, attendu);
    const QRect exact(QPoint(qRound(attendu.left() * 10), qRound(attendu.top() * 10)),
                      QPoint(qRound(attendu.right() * 10) - 1, qRound(attendu.bottom() * 10) - 1));
    for (auto [trouve, voulu] : {std::pair{cadre.left(), exact.left()},
                                 {cadre.top(), exact.top()},
                                 {cadre.right(), exact.right()},
                                 {cadre.bottom(), exact.bottom()}})
        QVERIFY2(std::abs(trouve - voulu) <= 1,
                 qPrintable(QStringLiteral("%1: cadre (%2,%3)-(%4,%5), attendu (%6,%7)-(%8,%9)")
                                .arg(mot)
                                .arg(cadre.left())
                                .arg(cadre.top())
                                .arg(cadre.right())
                                .arg(cadre.bottom())
                                .arg(exact.left())
                                .arg(exact.top())
                                .arg(exact.right())
                                .arg(exact.bottom())));
}

} // namespace

class TestImpressionEtiquettes : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { RessourcesImpression(); }
    void init() { TMessage::ModeTest(true); }
    void cleanup() { TMessage::ModeTest(false); }
    void EtiquettesALeurPlace_data();
    void EtiquettesALeurPlace();
    void EchecSansFichier();
    void DecalageParLAssistant();
};

void TestImpressionEtiquettes::EtiquettesALeurPlace_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<Params>("p"); // haute, basse, gauche, droite, vertical, horizontal
    QTest::addColumn<int>("nombre");
    QTest::addColumn<QPointF>("decalage");
    // Worked out by hand from the format's numbers: the first label's corner, the
    // steps from one column and one row to the next, the columns and rows.
    QTest::addColumn<QPointF>("origine");
    QTest::addColumn<QPointF>("pas");
    QTest::addColumn<QPoint>("grille");
    // 2,5 mm between columns and 2,0 mm between rows: steps of 63,5 + 2,5 and 38,1 + 2,0;
    // (2,0 + 297 - 30,3) / 40,1 = 6,7 rows.
    const Params espaces{151, 152, 72, 72, 20, 25};
    QTest::newRow("espacements differents")
        << "63,5x38,1" << espaces << 18 << QPointF() << QPointF(7.2, 15.1) << QPointF(66.0, 40.1)
        << QPoint(3, 6);
    QTest::newRow("decalage de l'imprimante")
        << "63,5x38,1" << espaces << 18 << QPointF(1.5, -0.7) << QPointF(7.2, 15.1)
        << QPointF(66.0, 40.1) << QPoint(3, 6);
    QTest::newRow("deux planches") << "70,0x42,4" << espaces << 13 << QPointF()
                                   << QPointF(7.2, 15.1) << QPointF(72.5, 44.4) << QPoint(2, 6);
    // 4,7 + 99,1 + 2,5 + 99,1 + 4,7 = 210,1: each side margin gives 0,05 mm;
    // 13,1 + 4 x 67,0 + 3 x 1,0 + 13,1 = 297,2: the top and bottom margins 0,1 mm each.
    QTest::newRow("marges ajustees dans les deux sens")
        << "99,1x67,0" << Params{131, 131, 47, 47, 10, 25} << 8 << QPointF() << QPointF(4.65, 13.0)
        << QPointF(101.6, 68.0) << QPoint(2, 4);
}

void TestImpressionEtiquettes::EtiquettesALeurPlace()
{
    if (!Outil("pdftotext") || !Outil("pdftoppm"))
        QSKIP("pdftotext and pdftoppm (poppler-utils) missing: positions cannot be measured");
    QFETCH(QString, nom);
    QFETCH(Params, p);
    QFETCH(int, nombre);
    QFETCH(QPointF, decalage);
    QFETCH(QPointF, origine);
    QFETCH(QPointF, pas);
    QFETCH(QPoint, grille);
    QTemporaryDir d;
    const Repertoire rep = Livre(nombre);
    const FormatEtiquette format(nom, p);
    const MiseEnPage page(format);
    QCOMPARE(QPoint(page.Colonnes(), page.Lignes()), grille);
    const Planches planches(page, Planches::FichesChoisies(rep), nombre, 1, 1);
    QFont police("DejaVu Sans");
    police.setPointSizeF(10);
    const DessinEtiquette dessin(police, Qt::black, true);
    const RenduPlanche rendu(rep, page, planches, 0, dessin);
    QPrinter imprimante(QPrinter::HighResolution);
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    imprimante.setOutputFileName(d.filePath("mailing.pdf"));
    QCOMPARE(ImpressionEtiquettes::Imprime(imprimante, rendu, decalage), QString());
    QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"mailing.pdf"});

    const QSizeF taille(format.Largeur(), format.Hauteur());
    int vues = 0;
    for (int s = 1; s <= planches.NombrePlanches(); ++s) {
        const QMap<QString, QPointF> mots = Mots(d.filePath("mailing.pdf"), s);
        const QImage image = Page(d.filePath("mailing.pdf"), s, d.path());
        QVERIFY(image.width() == 2100 &&
                std::abs(image.height() - 2970) <= 1); // A4 in whole points
        const auto emplacements = planches.Emplacements(s);
        QCOMPARE(mots.size(), static_cast<int>(emplacements.size()));
        for (const Planches::Emplacement& e : emplacements) {
            const QRectF attendu(origine.x() + (e.colonne - 1) * pas.x() + decalage.x(),
                                 origine.y() + (e.ligne - 1) * pas.y() + decalage.y(),
                                 taille.width(), taille.height());
            VerifieEtiquette(mots, image, QString::fromStdString(rep.CelluleStr(Nom, e.fiche)),
                             attendu);
            ++vues;
        }
    }
    QCOMPARE(vues, nombre);
}

void TestImpressionEtiquettes::EchecSansFichier()
{
    QTemporaryDir d;
    const Repertoire rep = Livre(3);
    const MiseEnPage page(FormatEtiquette("70,0x42,4"));
    const Planches planches(page, Planches::FichesChoisies(rep), 3, 1, 1);
    const DessinEtiquette dessin(QFont(), Qt::black, false);
    const RenduPlanche rendu(rep, page, planches, 0, dessin);
    QPrinter imprimante(QPrinter::HighResolution);
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    imprimante.setOutputFileName(d.filePath("absent/mailing.pdf"));
    QVERIFY(!ImpressionEtiquettes::Imprime(imprimante, rendu).isEmpty());
    QVERIFY(!QFile::exists(d.filePath("absent/mailing.pdf")));
    // An earlier file survives a job that cannot be printed at all.
    QFile ancien(d.filePath("ancien.pdf"));
    QVERIFY(ancien.open(QIODevice::WriteOnly) && ancien.write("ancien") == 6);
    ancien.close();
    imprimante.setOutputFileName(d.filePath("ancien.pdf"));
    const RenduPlanche rien(rep, MiseEnPage(FormatEtiquette("300x10")),
                            Planches(MiseEnPage(FormatEtiquette("300x10")), {1}, 1, 1, 1), 0,
                            dessin);
    QVERIFY(ImpressionEtiquettes::Imprime(imprimante, rien).contains(QString::fromUtf8("Aucune")));
    QCOMPARE(QFileInfo(d.filePath("ancien.pdf")).size(), 6);
    QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ancien.pdf"});
}

void TestImpressionEtiquettes::DecalageParLAssistant()
{
    if (!Outil("pdftotext") || !Outil("pdftoppm"))
        QSKIP("pdftotext and pdftoppm (poppler-utils) missing: positions cannot be measured");
    QTemporaryDir d;
    Repertoire rep = Livre(3);
    QCOMPARE(FichierRep::EcritRepertoire(d.filePath("amis.REP"), rep), QString());
    BancMailing programme(d.filePath("carnet.ini"), d.path() + '/', {d.filePath("amis.REP")});
    TFiche* fiche = programme.Fiche();
    fiche->show();
    QCoreApplication::processEvents();
    TMailing* mailing = programme.Mailing();
    mailing->Formats().Ajoute(FormatEtiquette("63,5x38,1", {151, 152, 72, 72, 20, 25}));
    const QString pdf = d.filePath("decale.pdf");
    mailing->IMail()->ChoisitFichierPdf = [pdf](const QString&) { return pdf; };
    auto clique = [](QWidget* w, const char* nom) {
        QTest::mouseClick(w->findChild<QPushButton*>(nom), Qt::LeftButton);
    };
    Pilote pilote({
        {"Choix", [&](QWidget* w) { clique(w, "Suivant"); }},
        {"Format", [&](QWidget* w) { clique(w, "Suivant"); }},
        {"IMail",
         [&](QWidget* w) {
             QTest::mouseClick(w->findChild<QCheckBox*>("Cadre"), Qt::LeftButton);
             // Unequal shifts, so that the two cannot be mixed up unseen.
             w->findChild<QDoubleSpinBox*>("DecalageX")->setValue(1.5);
             w->findChild<QDoubleSpinBox*>("DecalageY")->setValue(-0.7);
             clique(w, "Imprimer");
         }},
    });
    fiche->Menus()->Item(TMenusFiche::Commande::Mailing)->trigger();
    QVERIFY2(pilote.Fini(), qPrintable(pilote.Rapport()));
    QVERIFY(QFile::exists(pdf));
    const QMap<QString, QPointF> mots = Mots(pdf, 1);
    const QImage image = Page(pdf, 1, d.path());
    // Columns at 7,2 + 66,0 (c - 1) mm, the first row at 15,1 mm; moved 1,5 mm right
    // and 0,7 mm up.
    for (int c = 1; c <= 3; ++c)
        VerifieEtiquette(mots, image, QStringLiteral("E0%1").arg(c),
                         QRectF(7.2 + (c - 1) * 66.0 + 1.5, 15.1 - 0.7, 63.5, 38.1));
}

CARNET_TEST(TestImpressionEtiquettes)
#include "TestImpressionEtiquettes.moc"
