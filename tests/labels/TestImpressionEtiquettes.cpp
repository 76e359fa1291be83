#include "Registre.h"
#include "labels/DessinEtiquette.h"
#include "labels/ImpressionEtiquettes.h"
#include "labels/MiseEnPage.h"
#include "labels/Planches.h"
#include "labels/RenduPlanche.h"
#include "records/Repertoire.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

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

// The frame's outer edges in tenths of a millimetre, searched from 2 mm outside.
QRect Cadre(const QImage& image, const QRectF& attendu)
{
    const int gauche = qRound(attendu.left() * 10), haut = qRound(attendu.top() * 10);
    const int droite = qRound(attendu.right() * 10), bas = qRound(attendu.bottom() * 10);
    const int yMilieu = haut + 30, xMilieu = gauche + 30; // clear of the centred text
    int g = gauche - 20, d = droite + 20, h = haut - 20, b = bas + 20;
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

} // namespace

class TestImpressionEtiquettes : public QObject
{
    Q_OBJECT
private slots:
    void EtiquettesALeurPlace_data();
    void EtiquettesALeurPlace();
    void EchecSansFichier();
};

void TestImpressionEtiquettes::EtiquettesALeurPlace_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<int>("nombre");
    QTest::addColumn<QPointF>("decalage");
    // Labels apart by 2 mm and 2,5 mm, so each frame is seen on its own.
    QTest::newRow("planche pleine") << "63,5x38,1" << 21 << QPointF();
    QTest::newRow("decalage de l'imprimante") << "63,5x38,1" << 21 << QPointF(1.5, -0.7);
    QTest::newRow("deux planches") << "70,0x42,4" << 23 << QPointF();
}

void TestImpressionEtiquettes::EtiquettesALeurPlace()
{
    if (!Outil("pdftotext") || !Outil("pdftoppm")) QSKIP("poppler-utils missing");
    QFETCH(QString, nom);
    QFETCH(int, nombre);
    QFETCH(QPointF, decalage);
    QTemporaryDir d;
    const Repertoire rep = Livre(nombre);
    const MiseEnPage page(FormatEtiquette(nom, {151, 152, 72, 72, 20, 25}));
    const Planches planches(page, Planches::FichesChoisies(rep), nombre, 1, 1);
    QFont police("DejaVu Sans");
    police.setPointSizeF(10);
    const DessinEtiquette dessin(police, Qt::black, true);
    const RenduPlanche rendu(rep, page, planches, 0, dessin);
    QPrinter imprimante(QPrinter::HighResolution);
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    imprimante.setOutputFileName(d.filePath("mailing.pdf"));
    QCOMPARE(ImpressionEtiquettes::Imprime(imprimante, rendu, decalage), QString());
    QCOMPARE(QDir(d.path()).entryList(QDir::Files), QStringList{"mailing.pdf"});

    for (int s = 1; s <= planches.NombrePlanches(); ++s) {
        const QMap<QString, QPointF> mots = Mots(d.filePath("mailing.pdf"), s);
        const QImage image = Page(d.filePath("mailing.pdf"), s, d.path());
        QVERIFY(image.width() == 2100 &&
                std::abs(image.height() - 2970) <= 1); // A4 in whole points
        const auto emplacements = planches.Emplacements(s);
        QCOMPARE(mots.size(), static_cast<int>(emplacements.size()));
        for (const Planches::Emplacement& e : emplacements) {
            const QRectF attendu = page.RectangleMm(e.colonne, e.ligne).translated(decalage);
            const QString mot = QString::fromStdString(rep.CelluleStr(Nom, e.fiche));
            QVERIFY2(mots.contains(mot), qPrintable(mot));
            QVERIFY2(std::abs(mots[mot].x() - attendu.center().x()) <= 0.1,
                     qPrintable(QStringLiteral("%1 %2 %3")
                                    .arg(mot)
                                    .arg(mots[mot].x())
                                    .arg(attendu.center().x())));
            QVERIFY2(std::abs(mots[mot].y() - attendu.center().y()) <= 0.6, qPrintable(mot));
            const QRect cadre = Cadre(image, attendu);
            const QRect exact(
                QPoint(qRound(attendu.left() * 10), qRound(attendu.top() * 10)),
                QPoint(qRound(attendu.right() * 10) - 1, qRound(attendu.bottom() * 10) - 1));
            for (auto [trouve, voulu] : {std::pair{cadre.left(), exact.left()},
                                         {cadre.top(), exact.top()},
                                         {cadre.right(), exact.right()},
                                         {cadre.bottom(), exact.bottom()}})
                QVERIFY2(
                    std::abs(trouve - voulu) <= 1,
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
    }
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
    QCOMPARE(QDir(d.path()).entryList(QDir::Files), QStringList{"ancien.pdf"});
}

CARNET_TEST(TestImpressionEtiquettes)
#include "TestImpressionEtiquettes.moc"
