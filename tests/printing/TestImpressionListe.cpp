#include "Registre.h"
#include "SurfaceFactice.h"

#include "BancImpression.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "printing/FluxImpression.h"
#include "printing/ImpressionListe.h"
#include "printing/TDialogueImpression.h"
#include "printing/TImpression.h"
#include "printing/TravailImpression.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/Repertoire.h"
#include "ui/ImpressionSure.h"
#include "ui/TMessage.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

static void InitRessourcesListe()
{
    Q_INIT_RESOURCE(carnet);
}

namespace
{

QString Commande(const QString& programme, const QStringList& arguments)
{
    QProcess p;
    p.start(programme, arguments);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int NbPages(const QString& pdf)
{
    const QString info = Commande(u"pdfinfo"_s, {pdf});
    for (const QString& l : info.split('\n'))
        if (l.startsWith(u"Pages:"_s)) return l.mid(6).trimmed().toInt();
    return -1;
}

} // namespace

// The list print: the stream's layout rules on a page with exact numbers, the lines
// and blocks printed, and whole jobs to PDF files through the command.
class TestImpressionListe : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dossier;

private slots:
    void init()
    {
        InitRessourcesListe();
        TMessage::ModeTest(true);
        TMessage::Historique().clear();
        m_dossier = std::make_unique<QTemporaryDir>();
    }
    void cleanup() { TMessage::ModeTest(false); }

    // Writes: "¶" ends a line, "§" starts a new page, anything else is written.
    void flux_data()
    {
        QTest::addColumn<QSize>("page");
        QTest::addColumn<QStringList>("ecrits");
        QTest::addColumn<QStringList>("traces");
        QTest::addColumn<QPoint>("position");
        const QSize large(200, 1000);
        QTest::newRow("a line, then the next below it, 2 dots apart")
            << large << QStringList{u"abc"_s, u"¶"_s, u"de"_s}
            << QStringList{u"1:0,0:abc"_s, u"1:0,14:de"_s} << QPoint(20, 14);
        QTest::newRow("runs follow each other on the line")
            << large << QStringList{u"ab"_s, u"Wc"_s} << QStringList{u"1:0,0:ab"_s, u"1:20,0:Wc"_s}
            << QPoint(50, 0);
        QTest::newRow("cut at the right edge between two characters")
            << QSize(100, 1000) << QStringList{u"abc"_s, u"defghijklm"_s}
            << QStringList{u"1:0,0:abc"_s, u"1:30,0:defghij"_s, u"1:0,14:klm"_s} << QPoint(30, 14);
        QTest::newRow("a wide character that would pass the edge goes on the next line")
            << QSize(100, 1000) << QStringList{u"abcdefghiW"_s}
            << QStringList{u"1:0,0:abcdefghi"_s, u"1:0,14:W"_s} << QPoint(20, 14);
        QTest::newRow("exactly at the edge fits")
            << QSize(100, 1000) << QStringList{u"abcdefghjk"_s}
            << QStringList{u"1:0,0:abcdefghjk"_s} << QPoint(100, 0);
        QTest::newRow("a run wraps over three lines")
            << QSize(50, 1000) << QStringList{u"abcdefghijklm"_s}
            << QStringList{u"1:0,0:abcde"_s, u"1:0,14:fghij"_s, u"1:0,28:klm"_s} << QPoint(30, 28);
        QTest::newRow("tab stops")
            << large << QStringList{u"a\tb\tc"_s}
            << QStringList{u"1:0,0:a"_s, u"1:80,0:b"_s, u"1:160,0:c"_s} << QPoint(170, 0);
        QTest::newRow("tab from a stop's last dot skips a stop")
            << QSize(400, 1000) << QStringList{u"abcdefgi\tx"_s}
            << QStringList{u"1:0,0:abcdefgi"_s, u"1:160,0:x"_s} << QPoint(170, 0);
        QTest::newRow("tab past the right edge starts a line")
            << QSize(100, 1000) << QStringList{u"abcdefghi\tx"_s}
            << QStringList{u"1:0,0:abcdefghi"_s, u"1:0,14:x"_s} << QPoint(10, 14);
        QTest::newRow("an empty line is one character high")
            << large << QStringList{u"¶"_s, u"¶"_s, u"a"_s} << QStringList{u"1:0,30:a"_s}
            << QPoint(10, 30);
        QTest::newRow("carriage return draws nothing, line feed ends the line")
            << large << QStringList{u"a\rb\nc"_s}
            << QStringList{u"1:0,0:a"_s, u"1:10,0:b"_s, u"1:0,14:c"_s} << QPoint(10, 14);
        QTest::newRow("form feed starts a page")
            << large << QStringList{u"a\fb"_s} << QStringList{u"1:0,0:a"_s, u"2:0,0:b"_s}
            << QPoint(10, 0);
        // Height 100: a line ending at y > 100 - 2 × 14 = 72 starts a new page.
        QTest::newRow("page full")
            << QSize(200, 100)
            << QStringList{u"1"_s, u"¶"_s, u"2"_s, u"¶"_s, u"3"_s, u"¶"_s, u"4"_s,
                           u"¶"_s, u"5"_s, u"¶"_s, u"6"_s, u"¶"_s, u"7"_s}
            << QStringList{u"1:0,0:1"_s,  u"1:0,14:2"_s, u"1:0,28:3"_s, u"1:0,42:4"_s,
                           u"1:0,56:5"_s, u"1:0,70:6"_s, u"2:0,0:7"_s}
            << QPoint(10, 0);
        QTest::newRow("an empty line is tested against the page height itself")
            << QSize(200, 100) << QStringList{u"1"_s, u"¶"_s, u"2"_s, u"¶"_s, u"3"_s, u"¶"_s,
                                              u"4"_s, u"¶"_s, u"¶"_s, u"¶"_s, u"5"_s}
            << QStringList{u"1:0,0:1"_s, u"1:0,14:2"_s, u"1:0,28:3"_s, u"1:0,42:4"_s, u"1:0,86:5"_s}
            << QPoint(10, 86);
    }
    void flux()
    {
        QFETCH(QSize, page);
        QFETCH(QStringList, ecrits);
        QFETCH(QStringList, traces);
        QFETCH(QPoint, position);
        SurfaceFactice surface(page.width(), page.height());
        FluxImpression f(surface);
        for (const QString& e : ecrits) {
            if (e == u"¶"_s)
                f.FinLigne();
            else if (e == u"§"_s)
                f.NouvellePage();
            else
                f.Ecrit(e);
        }
        QCOMPARE(surface.traces, traces);
        QCOMPARE(QPoint(f.X(), f.Y()), position);
    }

    void lignes()
    {
        Repertoire rep;
        rep.SetNbLignes(4);
        rep.SetCellule(Nom, 1, "Dupont");
        rep.SetCellule(Prenom, 1, CodePage::Octets(u"Zoé"_s));
        rep.SetCellule(Civil, 1, "Mme");
        rep.SetCellule(Notes, 2, "un\r\ndeux");
        rep.SetCellule(Photo, 3, "x.jpg");
        rep.SetFichierCourant(u"/tmp/Amis.REP"_s);
        QCOMPARE(ImpressionListe::LigneFiche(rep, 1, Nom, Adresse1), u"Dupont Zoé Mme  "_s);
        QCOMPARE(ImpressionListe::LigneFiche(rep, 2, Notes, Notes), u"un deux "_s);
        QCOMPARE(ImpressionListe::LigneFiche(rep, 3, 0, Photo), QString(45, ' ') + u"x.jpg "_s);
        QCOMPARE(ImpressionListe::Entete(rep.FichierCourant(), true),
                 u"Carnet d'adresses : Répertoire Amis (sélection)"_s);
        QCOMPARE(ImpressionListe::Entete(QString(), false), u"Carnet d'adresses : Répertoire "_s);
        QCOMPARE(ImpressionListe::PlageImprimee(rep, {2, 2, 4, 4}, false),
                 (PlageCellules{1, 3, 0, Photo}));
        QCOMPARE(ImpressionListe::PlageImprimee(rep, {2, 2, 4, 4}, true),
                 (PlageCellules{2, 2, 4, 4}));

        // Three cells of one row, two copies: each copy from the top of its own page.
        SurfaceFactice surface(1000, 1000);
        FluxImpression f(surface);
        QVERIFY(ImpressionListe::Imprime(rep, f, u"T"_s, {1, 1, Nom, Civil}, 2));
        QCOMPARE(surface.traces, (QStringList{u"1:0,0:T"_s, u"1:0,29:Dupont Zoé Mme "_s,
                                              u"2:0,0:T"_s, u"2:0,29:Dupont Zoé Mme "_s}));
        QCOMPARE(f.Pages(), 2);

        // The avancement stops the job; a page the device refuses fails it.
        SurfaceFactice petite(1000, 60);
        FluxImpression g(petite);
        rep.SetNbLignes(301);
        int appels = 0;
        QVERIFY(!ImpressionListe::Imprime(rep, g, u"T"_s, {1, 300, 0, 0}, 1, [&](int faites) {
            ++appels;
            return faites < 200;
        }));
        QCOMPARE(appels, 2);
        SurfaceFactice refus(1000, 60);
        refus.refuseLesPages = true;
        FluxImpression h(refus);
        QVERIFY(!ImpressionListe::Imprime(rep, h, u"T"_s, {1, 300, 0, 0}, 1));
    }

    void dialogue()
    {
        const QString pdf = m_dossier->filePath(u"Amis.pdf"_s);
        TDialogueImpression d;
        QVERIFY(TDialogueImpression::Imprimantes().isEmpty()); // none on this machine
        ChoixImpression choix;
        choix.fichierPdf = pdf;
        QStringList vu;
        QTimer::singleShot(0, &d, [&] {
            vu << d.ListeImprimantes()->currentText() << d.Fichier()->text()
               << QString::number(d.Copies()->isVisibleTo(&d));
            d.Copies()->setValue(3);
            d.Selection()->setChecked(true);
            d.BoutonOk()->click();
        });
        QVERIFY(d.Choisit(choix, TDialogueImpression::AvecSelection));
        QCOMPARE(vu, (QStringList{u"Fichier PDF"_s, pdf, u"0"_s}));
        QVERIFY(choix.Pdf());
        QCOMPARE(choix.copies, 1); // not offered
        QVERIFY(choix.selection);

        // An existing file: "Non" stays in the dialog, "Oui" goes on; a missing
        // folder is told.
        QFile(pdf).open(QIODevice::WriteOnly);
        TMessage::ReponseSuivante(TMessage::Non);
        TMessage::ReponseSuivante(TMessage::Oui);
        bool resteOuvert = false;
        QTimer::singleShot(0, &d, [&] {
            d.Fichier()->setText(m_dossier->filePath(u"manque/x.pdf"_s));
            d.BoutonOk()->click();
            d.Fichier()->setText(pdf);
            d.BoutonOk()->click();
            resteOuvert = d.isVisible();
            d.BoutonOk()->click();
        });
        QVERIFY(d.Choisit(choix, 0));
        QVERIFY(resteOuvert);
        QCOMPARE(TMessage::Historique().size(), size_t(3));
        QVERIFY(TMessage::Historique().at(0).texte.contains(u"n'existe pas"_s));
        QCOMPARE(TMessage::Historique().at(2).texte,
                 u"Le fichier « %1 » existe déjà.\nVoulez-vous le remplacer ?"_s.arg(pdf));
        QCOMPARE(ChoixImpression::PdfPropose(u"/a/b/Amis.v2.REP"_s), u"/a/b/Amis.pdf"_s);
    }

    // The whole job as the user runs it, to a PDF: the words as they show on screen,
    // landscape pages, two copies; a cancelled or failed job leaves the file as it was.
    void travailPdf()
    {
        Repertoire rep;
        rep.SetNbLignes(1201);
        for (int r = 1; r <= 1200; ++r) {
            rep.SetCellule(Nom, r, CodePage::Octets(u"Nom%1"_s.arg(r)));
            rep.SetCellule(Ville, r, CodePage::Octets(u"Besançon"_s));
        }
        rep.SetCellule(Notes, 2, CodePage::Octets(u"Œuvre 5 €\r\nsuite"_s));
        const QString livre = m_dossier->filePath(u"Amis.REP"_s);
        QCOMPARE(FichierRep::EcritRepertoire(livre, rep), QString());
        const QString pdf = m_dossier->filePath(u"liste.pdf"_s);

        BancImpression p(m_dossier->filePath(u"c.ini"_s), m_dossier->path() + '/', {livre});
        TFiche* f = p.Fiche();
        f->show();
        f->PageControl()->setCurrentIndex(TFiche::PageListe);
        QVERIFY(f->Menus()->Item(TMenusFiche::Commande::Imprimer)->isEnabled());
        QCOMPARE(f->Menus()->Item(TMenusFiche::Commande::Imprimer)->text(), u"&Imprimer..."_s);
        TImpression* imp = p.Impression();
        ChoixImpression voulu;
        voulu.fichierPdf = pdf;
        voulu.copies = 2;
        QList<int> optionsVues;
        QStringList pdfProposes;
        imp->ChoisitImpression = [&](ChoixImpression& c, int options) {
            optionsVues << options;
            pdfProposes << c.fichierPdf;
            c = voulu;
            return true;
        };
        QString policeProposee;
        imp->ChoisitPolice = [&](QFont& police) {
            policeProposee = police.family();
            return true;
        };

        // Selection: three cells of the second record.
        TGrille* g = f->Grille();
        g->setCurrentIndex(g->model()->index(1, Nom));
        g->selectionModel()->select(
            QItemSelection(g->model()->index(1, Ville), g->model()->index(1, Notes)),
            QItemSelectionModel::ClearAndSelect);
        voulu.selection = true;
        QVERIFY2(imp->Imprimer1Click(), qPrintable(TMessage::DernierTexte()));
        QCOMPARE(optionsVues,
                 QList<int>{TDialogueImpression::AvecSelection | TDialogueImpression::AvecCopies});
        QCOMPARE(pdfProposes, QStringList{m_dossier->filePath(u"Amis.pdf"_s)});
        QCOMPARE(policeProposee, g->font().family());
        QCOMPARE(NbPages(pdf), 2);
        const QString texte = Commande(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
        QVERIFY2(texte.contains(u"Carnet d'adresses : Répertoire Amis (sélection)"_s),
                 qPrintable(texte));
        QVERIFY2(texte.contains(u"Besançon"_s), qPrintable(texte));
        QVERIFY2(texte.contains(u"Œuvre 5 € suite"_s), qPrintable(texte));
        QVERIFY(Commande(u"pdfinfo"_s, {pdf}).contains(u"842 x 595"_s)); // A4 landscape

        // The whole list, once; then a cancelled job and a failed one leave it as it was.
        voulu.selection = false;
        voulu.copies = 1;
        QVERIFY(imp->Imprimer1Click());
        const int pages = NbPages(pdf);
        if (qEnvironmentVariableIsSet("CARNET_CAPTURES"))
            QFile::copy(pdf, qEnvironmentVariable("CARNET_CAPTURES") + u"/liste.pdf"_s);
        QVERIFY2(pages > 20, qPrintable(QString::number(pages)));
        QVERIFY(Commande(u"pdftotext"_s, {pdf, u"-"_s}).contains(u"Nom1200"_s));
        QFile avant(pdf);
        QVERIFY(avant.open(QIODevice::ReadOnly));
        const QByteArray octets = avant.readAll();
        avant.close();

        imp->DelaiProgression = 0;
        bool vu = false;
        QTimer::singleShot(0, imp, [&] {
            vu = imp->Progression() != nullptr;
            if (vu) imp->Progression()->cancel();
        });
        QVERIFY(!imp->Imprimer1Click());
        QVERIFY(vu);
        QVERIFY(TMessage::Historique().empty());

        voulu.fichierPdf = m_dossier->filePath(u"manque/liste.pdf"_s);
        QVERIFY(!imp->Imprimer1Click());
        QVERIFY(TMessage::DernierTexte().startsWith(u"L'impression a échoué."_s));
        QVERIFY(!QFile::exists(voulu.fichierPdf));

        QVERIFY(avant.open(QIODevice::ReadOnly));
        QCOMPARE(avant.readAll(), octets);
        // No temporary file left behind; the open book's lock stays.
        QCOMPARE(QDir(m_dossier->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{u".~carnet.Amis.REP.lock"_s, u"Amis.REP"_s, u"liste.pdf"_s}));
        QVERIFY(!f->Rep().Modifie());
    }

    // A PDF whose end never reached the disk (a full disk the writer did not report)
    // is refused, and the file already there is kept.
    void pdfIncomplet()
    {
        const QString pdf = m_dossier->filePath(u"garde.pdf"_s);
        QFile ancien(pdf);
        QVERIFY(ancien.open(QIODevice::WriteOnly));
        ancien.write("ancien");
        ancien.close();
        QPrinter imprimante(QPrinter::HighResolution);
        imprimante.setOutputFormat(QPrinter::PdfFormat);
        imprimante.setOutputFileName(pdf);
        {
            TravailImpression travail(imprimante);
            QString raison;
            QVERIFY(travail.Commence(&raison));
            travail.Peintre().drawText(100, 100, u"x"_s);
            QVERIFY(travail.Termine().isEmpty());
        }
        QVERIFY(QFile(pdf).size() > 100);
        QVERIFY(ancien.open(QIODevice::WriteOnly));
        ancien.write("ancien");
        ancien.close();

        ImpressionSure sure(imprimante);
        QString raison;
        QVERIFY(sure.Commence(&raison));
        QFile tronque(imprimante.outputFileName());
        QVERIFY(tronque.open(QIODevice::WriteOnly));
        tronque.write("%PDF-1.4\n1 0 obj\n<<");
        tronque.close();
        QVERIFY(!sure.Termine().isEmpty());
        QCOMPARE(imprimante.outputFileName(), pdf);
        QVERIFY(ancien.open(QIODevice::ReadOnly));
        QCOMPARE(ancien.readAll(), QByteArray("ancien"));
        QCOMPARE(QDir(m_dossier->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"garde.pdf"_s});
    }
};

CARNET_TEST(TestImpressionListe)
#include "TestImpressionListe.moc"
