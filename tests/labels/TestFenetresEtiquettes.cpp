#include "BancMailing.h"
#include "Pilote.h"
#include "Registre.h"
#include "labels/Catalogue.h"
#include "labels/DessinEtiquette.h"
#include "labels/MiseEnPage.h"
#include "labels/Planches.h"
#include "labels/RenduPlanche.h"
#include "labels/TChoix.h"
#include "labels/TFormat.h"
#include "labels/TFpPrev.h"
#include "labels/TIMail.h"
#include "labels/TMailing.h"
#include "labels/TNewFor.h"
#include "labels/TParametresFeuille.h"
#include "labels/TPrevis.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TMenusFiche.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/VerrouRepertoire.h"
#include "ui/TMessage.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <deque>

// The resources live in the static library (the macro cannot be used inside a namespace).
inline void InitRessources()
{
    Q_INIT_RESOURCE(carnet);
}

namespace
{

Repertoire Livre(const QStringList& noms, const QString& choisis = QString())
{
    Repertoire rep;
    rep.SetNbLignes(static_cast<int>(noms.size()) + 1);
    for (int i = 0; i < noms.size(); ++i) {
        rep.SetCellule(Nom, i + 1, CodePage::Octets(noms.at(i)));
        rep.SetCellule(Ville, i + 1, "Paris");
        if (choisis.contains(QString::number(i + 1))) rep.SetFlagMail(i + 1, "1");
    }
    return rep;
}

QStringList NomsLus(const QString& chemin)
{
    Repertoire rep;
    FichierRep::ChargeRepertoire(chemin, rep);
    QStringList noms;
    for (int r = 1; r <= rep.NbFiches(); ++r)
        noms << CodePage::VersUnicode(rep.Cellule(Nom, r));
    return noms;
}

QString Drapeaux(const Repertoire& rep)
{
    QString d;
    for (int r = 1; r <= rep.NbFiches(); ++r)
        d += QString::fromStdString(rep.FlagMail(r));
    return d;
}

template <typename T> T* Enfant(QWidget* w, const char* nom)
{
    T* t = w->findChild<T*>(QLatin1String(nom));
    if (!t) qWarning("no child %s in %s", nom, qPrintable(w->objectName()));
    return t;
}

void Clique(QWidget* dialogue, const char* bouton)
{
    QTest::mouseClick(Enfant<QPushButton>(dialogue, bouton), Qt::LeftButton);
}

void CliqueLigne(QListView* liste, int ligne, Qt::KeyboardModifiers touches = Qt::NoModifier)
{
    const QRect r = liste->visualRect(liste->model()->index(ligne, 0));
    QTest::mouseClick(liste->viewport(), Qt::LeftButton, touches, r.center());
}

// A label's centre in the window's coordinates, where a click lands.
QPoint Centre(const TPrevis& p, int c, int r)
{
    return p.Rectangle(c, r).center() + p.OrigineImage();
}

} // namespace

class TestFenetresEtiquettes : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InitRessources(); }
    void init() { TMessage::ModeTest(true); }
    void cleanup() { TMessage::ModeTest(false); }

    void PiloteSansAttenteInfinie();
    void ChoixTitresEtDrapeaux();
    void ChoixTrierReprendLesDrapeaux();
    void FormatCurseursEtSuppression();
    void FormatNouveauEtFormatInutilisable();
    void PrevisVignetteEtDepart();
    void FpPrevNavigationEtZoom();
    void AssistantCompletJusquAuPdf();
    void AssistantPrecedentEtAnnuler();
    void AssistantEnLectureSeule();
    void DemarrageCatalogueAbimeEtOptions();
    void IMailPoliceCouleurEtFichier();
    void FermetureCatalogueImpossible();
    void PrevisTitreEntier();
    void ConfigImprimanteDecideDuFichier();
    void ConfigImprimanteDansLAssistant();
    void EtiquettesRogneesMarquees();
    void EtiquettesRogneesDitesAvantImpression();
};

void TestFenetresEtiquettes::PiloteSansAttenteInfinie()
{
    // A dialog that never comes: the step fails at its deadline, saying what it saw,
    // and the dialog that was open instead is closed so that the test goes on.
    QDialog autre;
    autre.setObjectName("Autre");
    autre.setWindowTitle("Une autre fenêtre");
    Pilote pilote({{"Attendue", [](QWidget* d) { static_cast<QDialog*>(d)->accept(); }}}, 300);
    QElapsedTimer duree;
    duree.start();
    QCOMPARE(autre.exec(), int(QDialog::Rejected));
    QVERIFY(duree.elapsed() < 5000);
    QVERIFY(!pilote.Fini());
    QVERIFY2(pilote.Rapport().contains("« Attendue »") && pilote.Rapport().contains("« Autre »"),
             qPrintable(pilote.Rapport()));
}

void TestFenetresEtiquettes::ChoixTitresEtDrapeaux()
{
    Repertoire rep = Livre({"Ainsi", "Bert", "Cyr", "Dora"}, "13");
    ModeleRepertoire modele(rep);
    TChoix choix(modele);
    choix.Remplit();
    choix.show();
    QCOMPARE(
        choix.windowTitle(),
        QString::fromUtf8("Choix des étiquettes pour le mailing  (2 étiquettes sélectionnées)"));
    QCOMPARE(choix.Liste()->model()->index(1, 0).data().toString(),
             QStringLiteral("2 : Bert Paris "));
    QVERIFY(!rep.Modifie());
    QTest::mouseClick(choix.BoutonRien(), Qt::LeftButton);
    QCOMPARE(
        choix.windowTitle(),
        QString::fromUtf8("Choix des étiquettes pour le mailing  (aucune étiquette sélectionnée)"));
    QVERIFY(rep.Modifie()); // a change of the choice counts as a change
    QTest::mouseClick(choix.BoutonSuivant(), Qt::LeftButton);
    QCOMPARE(TMessage::DernierTexte(), QString::fromUtf8("Vous n'avez choisi aucune étiquette !"));
    QVERIFY(choix.isVisible());
    QCOMPARE(Drapeaux(rep), QStringLiteral("1010")); // nothing written yet
    QTest::mouseClick(choix.BoutonTout(), Qt::LeftButton);
    QCOMPARE(
        choix.windowTitle(),
        QString::fromUtf8("Choix des étiquettes pour le mailing  (4 étiquettes sélectionnées)"));
    CliqueLigne(choix.Liste(), 1);
    QCOMPARE(choix.windowTitle(),
             QString::fromUtf8("Choix des étiquettes pour le mailing  (1 étiquette sélectionnée)"));
    CliqueLigne(choix.Liste(), 3, Qt::ControlModifier);
    QCOMPARE(choix.NombreSelectionnes(), 2);
    QTest::mouseClick(choix.BoutonTout(), Qt::LeftButton);
    QTest::mouseClick(choix.BoutonRien(), Qt::LeftButton);
    CliqueLigne(choix.Liste(), 1);
    CliqueLigne(choix.Liste(), 3, Qt::ControlModifier);
    // Enter is "&Suivant>", even on another button just clicked (no sort here).
    QTest::mouseClick(choix.BoutonTrier(), Qt::LeftButton);
    choix.BoutonTrier()->setFocus();
    QTest::keyClick(choix.BoutonTrier(), Qt::Key_Return);
    QVERIFY(!choix.isVisible());
    QCOMPARE(choix.result(), int(QDialog::Accepted));
    QCOMPARE(choix.Applique(), 2);
    QCOMPARE(Drapeaux(rep), QStringLiteral("0101"));
    choix.Remplit(); // as "<&Précédent" does: the same lines again
    QCOMPARE(choix.NombreSelectionnes(), 2);
    // A long line far down the list can be scrolled sideways.
    QVERIFY(choix.Liste()->horizontalScrollBar()->maximum() >= 2 * choix.Liste()->width());
}

void TestFenetresEtiquettes::ChoixTrierReprendLesDrapeaux()
{
    Repertoire rep = Livre({"Cyr", "Ainsi", "Bert"}, "1");
    ModeleRepertoire modele(rep);
    TChoix choix(modele);
    bool confirme = false;
    choix.Trier = [&] {
        if (confirme) modele.Trie(Nom);
        return confirme;
    };
    choix.Remplit();
    choix.show();
    QTest::mouseClick(choix.BoutonTout(), Qt::LeftButton);
    QTest::mouseClick(choix.BoutonTrier(), Qt::LeftButton); // cancelled: nothing changes
    QCOMPARE(choix.NombreSelectionnes(), 3);
    confirme = true;
    QTest::mouseClick(choix.BoutonTrier(), Qt::LeftButton);
    QCOMPARE(choix.Liste()->model()->index(0, 0).data().toString(),
             QStringLiteral("1 : Ainsi Paris "));
    // The stored flags win over the unconfirmed selection; Cyr moved to the end.
    QCOMPARE(choix.NombreSelectionnes(), 1);
    QVERIFY(choix.Liste()->selectionModel()->isRowSelected(2, QModelIndex()));
}

void TestFenetresEtiquettes::FormatCurseursEtSuppression()
{
    Catalogue catalogue;
    TPrevis previs;
    TNewFor newFor(&previs);
    TFormat format(catalogue, &previs, &newFor);
    format.show();
    QCOMPARE(format.Liste()->count(), 4);
    QCOMPARE(format.Liste()->currentRow(), 0);
    QVERIFY(!format.BoutonSupprimer()->isEnabled());
    QCOMPARE(format.Avis()->text(), QString::fromUtf8("3 × 7 = 21 étiquettes par planche"));
    QCOMPARE(previs.windowTitle(), QString::fromUtf8("Feuille d'étiquettes 70,0x42,4 mm"));
    QSlider* haute = format.Parametres()->Curseur(FormatEtiquette::MargeHaute);
    haute->setFocus();
    haute->setValue(290);
    for (int i = 0; i < 9; ++i)
        QTest::keyClick(haute, Qt::Key_Right);
    QCOMPARE(format.Parametres()->Libelle(FormatEtiquette::MargeHaute)->text(),
             QStringLiteral("Marge haute : 29,9 mm"));
    QCOMPARE(catalogue.Format(0).Parametre(FormatEtiquette::MargeHaute), 299);
    QCOMPARE(format.Avis()->text(), QString::fromUtf8("3 × 6 = 18 étiquettes par planche"));
    QTest::keyClick(haute, Qt::Key_PageUp);
    QCOMPARE(catalogue.Format(0).Parametre(FormatEtiquette::MargeHaute), 309);

    format.Liste()->setCurrentRow(1);
    QVERIFY(format.BoutonSupprimer()->isEnabled());
    QCOMPARE(haute->value(), 0);
    QTest::mouseClick(format.BoutonSupprimer(), Qt::LeftButton);
    QCOMPARE(catalogue.Nombre(), 3);
    QCOMPARE(format.Liste()->currentRow(), 2); // the last entry
    QCOMPARE(format.Liste()->currentItem()->text(), QStringLiteral("210x297"));
    format.Liste()->setCurrentRow(0);
    QVERIFY(!format.BoutonSupprimer()->isEnabled());
    QCOMPARE(haute->value(), 309);
}

void TestFenetresEtiquettes::FormatNouveauEtFormatInutilisable()
{
    Catalogue catalogue;
    catalogue.Selectionne(3); // 210x297
    TPrevis previs;
    TNewFor newFor(&previs);
    TFormat format(catalogue, &previs, &newFor);
    format.show();
    Pilote sansChangement({{"NewFor", [](QWidget* d) {
                                auto* n = static_cast<TNewFor*>(d);
                                QCOMPARE(n->Largeur()->value(), 2100);
                                QCOMPARE(n->Hauteur()->value(), 2970);
                                QTest::keyClick(d, Qt::Key_Return);
                            }}});
    QTest::mouseClick(format.BoutonNouveau(), Qt::LeftButton);
    QVERIFY2(sansChangement.Fini(), qPrintable(sansChangement.Rapport()));
    QCOMPARE(format.Liste()->currentItem()->text(), QStringLiteral("210,0x297,0"));

    Pilote petit({{"NewFor", [](QWidget* d) {
                       auto* n = static_cast<TNewFor*>(d);
                       n->Largeur()->setValue(990);
                       n->Hauteur()->setValue(381);
                       n->Parametres()->Curseur(FormatEtiquette::EspaceVertical)->setValue(12);
                       // The layout is told as the sliders move.
                       QCOMPARE(d->findChild<QLabel*>("Avis")->text(),
                                QString::fromUtf8("2 × 7 = 14 étiquettes par planche"));
                       QTest::keyClick(d, Qt::Key_Return);
                   }}});
    QTest::mouseClick(format.BoutonNouveau(), Qt::LeftButton);
    QVERIFY2(petit.Fini(), qPrintable(petit.Rapport()));
    QCOMPARE(catalogue.Nombre(), 6);
    QCOMPARE(catalogue.FormatCourant().Nom(), QStringLiteral("99,0x38,1"));
    QCOMPARE(catalogue.FormatCourant().Parametre(FormatEtiquette::EspaceVertical), 12);

    Pilote annule({{"NewFor", [](QWidget* d) {
                        static_cast<TNewFor*>(d)->Largeur()->setValue(100);
                        QTest::keyClick(d, Qt::Key_Escape);
                    }}});
    QTest::mouseClick(format.BoutonNouveau(), Qt::LeftButton);
    QVERIFY2(annule.Fini(), qPrintable(annule.Rapport()));
    QCOMPARE(catalogue.Nombre(), 6);
    QCOMPARE(previs.windowTitle(), QString::fromUtf8("Feuille d'étiquettes 99,0x38,1 mm"));

    // No label fits: said at once, and "&Suivant>" refuses it.
    catalogue.Ajoute(FormatEtiquette("220,0x50,0"));
    format.hide();
    format.show();
    QVERIFY(format.Avis()->text().contains(QString::fromUtf8("Aucune étiquette ne tient")));
    QTest::mouseClick(format.BoutonSuivant(), Qt::LeftButton);
    QVERIFY(TMessage::DernierTexte().contains(QString::fromUtf8("Aucune étiquette ne tient")));
    QVERIFY(format.isVisible());
    const QImage vide = previs.Image();
    QCOMPARE(vide.pixel(100, 140), qRgb(0, 255, 255));
}

void TestFenetresEtiquettes::PrevisVignetteEtDepart()
{
    TPrevis previs;
    previs.Alimente(FormatEtiquette("60,0x40,0", {100, 0, 100, 0, 50, 50}), "60,0x40,0");
    QCOMPARE(previs.Page().Colonnes(), 3);
    QCOMPARE(previs.Page().Lignes(), 6);
    QSignalSpy change(&previs, &TPrevis::DepartChange);
    previs.show();
    QTest::mouseClick(&previs, Qt::LeftButton, {}, Centre(previs, 2, 3)); // display mode
    QCOMPARE(change.count(), 0);
    QCOMPARE(previs.Image().pixel(previs.Rectangle(1, 1).center()), qRgb(255, 255, 255));
    previs.SetMode(TPrevis::Depart);
    QCOMPARE(previs.Image().pixel(previs.Rectangle(1, 1).center()), qRgb(255, 0, 0));
    QTest::mouseClick(&previs, Qt::LeftButton, {}, Centre(previs, 2, 3));
    QCOMPARE(change.count(), 1);
    QCOMPARE(std::make_pair(previs.ColonneDepart(), previs.LigneDepart()), std::make_pair(2, 3));
    QCOMPARE(previs.Image().pixel(previs.Rectangle(2, 3).center()), qRgb(255, 0, 0));
    QCOMPARE(previs.Image().pixel(previs.Rectangle(1, 1).center()), qRgb(255, 255, 255));
    // The 5 mm between labels is no label.
    const QRect a = previs.Rectangle(1, 1), b = previs.Rectangle(2, 1);
    QTest::mouseClick(&previs, Qt::LeftButton, {},
                      QPoint((a.right() + b.left()) / 2, a.center().y()) + previs.OrigineImage());
    QCOMPARE(change.count(), 1);
    // The edge of a label belongs to it.
    QTest::mouseClick(&previs, Qt::LeftButton, {},
                      previs.Rectangle(3, 6).bottomRight() + previs.OrigineImage());
    QCOMPARE(std::make_pair(previs.ColonneDepart(), previs.LigneDepart()), std::make_pair(3, 6));
    // A smaller layout brings the start inside it.
    previs.Alimente(FormatEtiquette("100,0x100,0"), "100,0x100,0");
    previs.SetDepart(previs.ColonneDepart(), previs.LigneDepart());
    QCOMPARE(std::make_pair(previs.ColonneDepart(), previs.LigneDepart()), std::make_pair(2, 2));
}

void TestFenetresEtiquettes::FpPrevNavigationEtZoom()
{
    Repertoire rep = Livre(
        {"Un", "Deux", "Trois", "Quatre", "Cinq", "Six", "Sept", "Huit", "Neuf", "Dix", "Onze"},
        "");
    for (int r = 1; r <= 10; ++r)
        rep.SetFlagMail(r, "1");
    const MiseEnPage page(FormatEtiquette("70,0x42,4"));
    const Planches planches(page, Planches::FichesChoisies(rep), 10, 2, 7);
    QFont police("DejaVu Sans");
    police.setPointSizeF(11);
    const DessinEtiquette dessin(police, Qt::black, true);
    const RenduPlanche rendu(rep, page, planches, 0, dessin);
    TFpPrev fp;
    fp.Prepare(&rendu, QRectF(0, 0, 210, 297));
    fp.show();
    QCOMPARE(fp.windowTitle(), QString::fromUtf8("Planche d'étiquettes n°1/2"));
    QVERIFY(!fp.ActionPremiere()->isEnabled() && !fp.ActionPrecedente()->isEnabled());
    QVERIFY(fp.ActionSuivante()->isEnabled() && fp.ActionDerniere()->isEnabled());
    // Sheet 1: row 7 only, columns 2 and 3.
    const QImage une = fp.Image();
    auto encre = [](const QImage& image, const QRectF& mm) {
        const double kx = image.width() / 210.0, ky = image.height() / 297.0;
        int n = 0;
        for (int y = qRound(mm.top() * ky) + 2; y < qRound(mm.bottom() * ky) - 2; ++y)
            for (int x = qRound(mm.left() * kx) + 2; x < qRound(mm.right() * kx) - 2; ++x)
                n += qGray(image.pixel(x, y)) < 160;
        return n;
    };
    QCOMPARE(encre(une, page.RectangleMm(1, 7)), 0);
    QCOMPARE(encre(une, page.RectangleMm(3, 6)), 0);
    QVERIFY(encre(une, page.RectangleMm(2, 7)) > 0);
    QTest::mouseClick(fp.findChild<QToolBar*>()->widgetForAction(fp.ActionSuivante()),
                      Qt::LeftButton);
    QCOMPARE(fp.windowTitle(), QString::fromUtf8("Planche d'étiquettes n°2/2"));
    QVERIFY(fp.ActionPremiere()->isEnabled() && !fp.ActionDerniere()->isEnabled());
    fp.ActionZoom()->trigger();
    QCOMPARE(fp.PlancheCourante(), 2);
    QCOMPARE(fp.ActionZoom()->toolTip(), QString::fromUtf8("Vue réduite"));
    QCOMPARE(fp.Image().size(),
             QSize(qRound(fp.logicalDpiX() * 210 / 25.4), qRound(fp.logicalDpiY() * 297 / 25.4)));
    const QImage pleine = fp.Image();
    QVERIFY(encre(pleine, page.RectangleMm(1, 1)) > 0);
    QCOMPARE(encre(pleine, page.RectangleMm(3, 3)), 0); // 8 labels on sheet 2
    fp.ActionZoom()->trigger();
    QCOMPARE(fp.PlancheCourante(), 2);
    QCOMPARE(fp.Image().size(), QSize(TFpPrev::LargeurReduite, TFpPrev::HauteurReduite));
    fp.ActionPremiere()->trigger();
    QCOMPARE(fp.windowTitle(), QString::fromUtf8("Planche d'étiquettes n°1/2"));
}

void TestFenetresEtiquettes::AssistantCompletJusquAuPdf()
{
    QTemporaryDir d;
    Repertoire rep = Livre({"Ainsi", "Bert", "Cyr"}, "2");
    QCOMPARE(FichierRep::EcritRepertoire(d.filePath("amis.REP"), rep), QString());
    auto programme = std::make_unique<BancMailing>(d.filePath("carnet.ini"), d.path() + '/',
                                                   QStringList{d.filePath("amis.REP")});
    TFiche* fiche = programme->Fiche();
    fiche->show();
    QCoreApplication::processEvents();
    TMailing* mailing = programme->Mailing();
    QAction* bouton = fiche->Menus()->Bouton(TMenusFiche::Commande::Mailing);
    QVERIFY(bouton->isEnabled());
    const QString pdf = d.filePath("mailing.pdf");
    mailing->IMail()->ChoisitFichierPdf = [pdf](const QString&) { return pdf; };
    QString invite;
    bool boutonPendant = true;
    Pilote pilote({
        {"Choix",
         [&](QWidget* w) {
             boutonPendant = bouton->isEnabled();
             QCOMPARE(w->windowTitle(),
                      QString::fromUtf8(
                          "Choix des étiquettes pour le mailing  (1 étiquette sélectionnée)"));
             CliqueLigne(Enfant<QListView>(w, "ListeChoix"), 2, Qt::ControlModifier);
             Clique(w, "Suivant");
         }},
        {"Format",
         [&](QWidget* w) {
             Enfant<QListWidget>(w, "ListeFormats")->setCurrentRow(0);
             Clique(w, "Suivant");
         }},
        {"IMail",
         [&](QWidget* w) {
             invite = Enfant<QLabel>(w, "Invite")->text();
             Clique(w, "Position");
         }},
        {"Previs",
         [&](QWidget* w) {
             auto* p = static_cast<TPrevis*>(w);
             QTest::mouseClick(p, Qt::LeftButton, {}, Centre(*p, 3, 7)); // two labels: 2 sheets
             p->close();
         }},
        {"IMail",
         [&](QWidget* w) {
             invite = Enfant<QLabel>(w, "Invite")->text();
             Clique(w, "Imprimer");
         }},
    });
    fiche->Menus()->Item(TMenusFiche::Commande::Mailing)->trigger();
    QVERIFY2(pilote.Fini(), qPrintable(pilote.Rapport()));
    QVERIFY(!boutonPendant);
    QVERIFY(bouton->isEnabled());
    QCOMPARE(invite, QString::fromUtf8(
                         "Veuillez introduire 2 planches d'étiquettes dans votre imprimante."));
    QCOMPARE(mailing->NombreEtiquettes(), 2);
    QCOMPARE(Drapeaux(fiche->Rep()), QStringLiteral("011"));
    QVERIFY(fiche->Rep().Modifie());
    QVERIFY(QFile::exists(pdf));
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) missing: the PDF's text cannot be checked");
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    const QString texte = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(texte.contains("Bert") && texte.contains("Cyr") && !texte.contains("Ainsi"),
             qPrintable(texte));
    QCOMPARE(texte.count('\f'), 2);
}

// A book open read-only (another copy holds it) prints the labels chosen, and keeps
// its mailing flags: put back when the wizard ends, the book not marked changed. The
// chooser does not sort it meanwhile, so that each flag goes back to its record.
void TestFenetresEtiquettes::AssistantEnLectureSeule()
{
    QTemporaryDir d;
    Repertoire rep = Livre({"Ainsi", "Bert", "Cyr"}, "13");
    const QString livre = d.filePath("amis.REP");
    QCOMPARE(FichierRep::EcritRepertoire(livre, rep), QString());
    VerrouRepertoire autreCopie;
    QCOMPARE(autreCopie.Prend(livre).issue, VerrouRepertoire::Issue::Pris);
    TMessage::ChoixSuivant(0); // "Ouvrir en lecture seule"
    auto programme =
        std::make_unique<BancMailing>(d.filePath("carnet.ini"), d.path() + '/', QStringList{livre});
    TFiche* fiche = programme->Fiche();
    fiche->show();
    QCoreApplication::processEvents();
    QVERIFY(fiche->Document()->LectureSeule());
    QVERIFY(fiche->Menus()->Item(TMenusFiche::Commande::Mailing)->isEnabled());
    const QString pdf = d.filePath("mailing.pdf");
    programme->Mailing()->IMail()->ChoisitFichierPdf = [pdf](const QString&) { return pdf; };
    bool trierActif = true;
    QString titre;
    Pilote pilote({
        {"Choix",
         [&](QWidget* w) {
             trierActif = Enfant<QPushButton>(w, "Trier")->isEnabled();
             CliqueLigne(Enfant<QListView>(w, "ListeChoix"), 1, Qt::ControlModifier);
             titre = w->windowTitle();
             Clique(w, "Suivant");
         }},
        {"Format",
         [&](QWidget* w) {
             Enfant<QListWidget>(w, "ListeFormats")->setCurrentRow(0);
             Clique(w, "Suivant");
         }},
        {"IMail", [&](QWidget* w) { Clique(w, "Imprimer"); }},
    });
    fiche->Menus()->Item(TMenusFiche::Commande::Mailing)->trigger();
    QVERIFY2(pilote.Fini(), qPrintable(pilote.Rapport()));
    QVERIFY(!trierActif);
    QVERIFY2(titre.contains("3 étiquettes"), qPrintable(titre));
    QCOMPARE(programme->Mailing()->NombreEtiquettes(), 3);
    QCOMPARE(Drapeaux(fiche->Rep()), QStringLiteral("101"));
    QVERIFY(!fiche->Rep().Modifie());
    QVERIFY(QFile::exists(pdf));
    QCOMPARE(NomsLus(livre), QStringList({"Ainsi", "Bert", "Cyr"}));
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) missing: the PDF's text cannot be checked");
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    const QString texte = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(texte.contains("Ainsi") && texte.contains("Bert") && texte.contains("Cyr"),
             qPrintable(texte));
}

void TestFenetresEtiquettes::AssistantPrecedentEtAnnuler()
{
    QTemporaryDir d;
    Repertoire rep = Livre({"Ainsi", "Bert", "Cyr"}, "13");
    QCOMPARE(FichierRep::EcritRepertoire(d.filePath("amis.REP"), rep), QString());
    auto programme = std::make_unique<BancMailing>(d.filePath("carnet.ini"), d.path() + '/',
                                                   QStringList{d.filePath("amis.REP")});
    TFiche* fiche = programme->Fiche();
    fiche->show();
    QCoreApplication::processEvents();
    int selectionnes = 0;
    Pilote pilote({
        {"Choix", [](QWidget* w) { Clique(w, "Suivant"); }},
        {"Format", [](QWidget* w) { Clique(w, "Precedent"); }},
        {"Choix",
         [&](QWidget* w) {
             selectionnes = static_cast<TChoix*>(w)->NombreSelectionnes();
             Clique(w, "Suivant");
         }},
        {"Format", [](QWidget* w) { Clique(w, "Suivant"); }},
        {"IMail", [](QWidget* w) { Clique(w, "Precedent"); }},
        {"Format", [](QWidget* w) { Clique(w, "Suivant"); }},
        {"IMail", [](QWidget* w) { Clique(w, "Annuler"); }},
    });
    QTest::mouseClick(fiche->Menus()->BoutonOutil(TMenusFiche::Commande::Mailing), Qt::LeftButton);
    QVERIFY2(pilote.Fini(), qPrintable(pilote.Rapport()));
    QCOMPARE(selectionnes, 2);
    QVERIFY(fiche->Menus()->Bouton(TMenusFiche::Commande::Mailing)->isEnabled());
    QVERIFY(
        QDir(d.path()).entryList({"*.pdf", ".*carnet~*"}, QDir::Files | QDir::Hidden).isEmpty());
    // The close writes the catalogue beside the program and the options.
    fiche->Rep().SetModifie(false);
    programme->Mailing()->Formats().Ajoute(FormatEtiquette("99,0x38,1"));
    QVERIFY(fiche->close());
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    QFile formats(d.filePath(base + ".for"));
    QVERIFY(formats.open(QIODevice::ReadOnly));
    QVERIFY(formats.readAll().endsWith("210x297\r\n99,0x38,1\r\n"));
    QCOMPARE(QSettings(d.filePath("carnet.ini"), QSettings::IniFormat)
                 .value("Dernier format/Format")
                 .toInt(),
             4);
}

void TestFenetresEtiquettes::DemarrageCatalogueAbimeEtOptions()
{
    QTemporaryDir d;
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    auto ecrit = [&](const QString& nom, const QByteArray& octets) {
        QFile f(d.filePath(nom));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(octets);
    };
    ecrit(base + ".FOR", "50,0x20,0\r\ncent\r\n");
    ecrit(base + ".GAP", "1\r\n2\r\n3\r\n4\r\n5\r\nsix\r\n");
    ecrit("carnet.ini", "[Options]\nCadre=1\nAdresse=1\n[Police]\ntaille=14\ngras=1\n"
                        "[Dernier%20format]\nFormat=0\n");
    TMessage::Historique().clear();
    {
        BancMailing programme(d.filePath("carnet.ini"), d.path() + '/', {});
        programme.Fiche()->show();
        QTRY_COMPARE(TMessage::Historique().size(), size_t(1));
        const QString dit = TMessage::DernierTexte();
        QVERIFY2(dit.contains("ligne 2") && dit.contains("ligne 6"), qPrintable(dit));
        TMailing* m = programme.Mailing();
        QCOMPARE(m->Formats().Nombre(), 2); // the unusable name stays, to be kept
        QCOMPARE(m->Formats().Format(0).Parametres(),
                 (std::array<int, FormatEtiquette::NbParametres>{1, 2, 3, 4, 5, 0}));
        QVERIFY(m->IMail()->Cadre()->isChecked());
        QVERIFY(m->IMail()->Genres()->button(1)->isChecked());
        QCOMPARE(m->IMail()->Options().police.pointSizeF(), 14.0);
        QVERIFY(programme.Fiche()->close());
    }
    // The close lost none of the catalogue's lines, under the name found, and wrote the
    // options.
    QFile formats(d.filePath(base + ".FOR"));
    QVERIFY(formats.open(QIODevice::ReadOnly));
    QCOMPARE(formats.readAll(), QByteArray("50,0x20,0\r\ncent\r\n"));
    QFile marges(d.filePath(base + ".GAP"));
    QVERIFY(marges.open(QIODevice::ReadOnly));
    // The missing values of "cent" are written as the zeros they were read as.
    QCOMPARE(marges.readAll(),
             QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\nsix\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"));
    QVERIFY(!QFile::exists(d.filePath(base + ".for")));
    QSettings relu(d.filePath("carnet.ini"), QSettings::IniFormat);
    QCOMPARE(relu.value("Options/Adresse").toInt(), 1);
    QCOMPARE(relu.value("Police/taille").toInt(), 14);
    QCOMPARE(relu.value("Police/hauteur").toInt(), -19);
    QCOMPARE(relu.value("Police/gras").toInt(), 1);
}

void TestFenetresEtiquettes::IMailPoliceCouleurEtFichier()
{
    TIMail mail;
    mail.show();
    QFont proposee;
    mail.ChoisitPolice = [&](QFont& f) {
        proposee = f;
        f = QFont("DejaVu Serif");
        f.setPointSizeF(300);
        return true;
    };
    QTest::mouseClick(mail.findChild<QPushButton*>("Police"), Qt::LeftButton);
    QCOMPARE(proposee.family(), QStringLiteral("arial"));
    QCOMPARE(mail.Options().police.family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(mail.Options().police.pointSizeF(), OptionsMailing::TaillePoliceMax);
    mail.ChoisitCouleur = [](const QColor&) { return QColor(); }; // cancelled
    QTest::mouseClick(mail.findChild<QPushButton*>("Couleur"), Qt::LeftButton);
    QCOMPARE(mail.Options().couleur, QColor(Qt::black));
    mail.ChoisitCouleur = [](const QColor&) { return QColor(0, 0, 200); };
    QTest::mouseClick(mail.findChild<QPushButton*>("Couleur"), Qt::LeftButton);
    QCOMPARE(OptionsMailing::CouleurVersEntier(mail.Options().couleur), 0xC80000);

    // A PDF printer asks for its file each time; no name, no printing.
    mail.Imprimante().setOutputFormat(QPrinter::PdfFormat);
    QStringList proposes;
    QString reponse;
    mail.ChoisitFichierPdf = [&](const QString& propose) {
        proposes << QFileInfo(propose).fileName();
        return reponse;
    };
    QVERIFY(!mail.PrepareImprimante());
    reponse = "/tmp/lettre";
    QVERIFY(mail.PrepareImprimante());
    QCOMPARE(mail.Imprimante().outputFileName(), QStringLiteral("/tmp/lettre.pdf"));
    reponse.clear();
    QTest::mouseClick(mail.BoutonImprimer(), Qt::LeftButton);
    QVERIFY(mail.isVisible());
    QCOMPARE(proposes, (QStringList{"mailing.pdf", "mailing.pdf", "lettre.pdf"}));

    QCOMPARE(
        TIMail::Invite(1),
        QString::fromUtf8("Veuillez introduire 1 planche d'étiquettes dans votre imprimante."));
    QCOMPARE(
        TIMail::Invite(12),
        QString::fromUtf8("Veuillez introduire 12 planches d'étiquettes dans votre imprimante."));
}

void TestFenetresEtiquettes::FermetureCatalogueImpossible()
{
    QTemporaryDir d;
    QVERIFY(QDir(d.path()).mkdir("programme"));
    TMessage::Historique().clear();
    BancMailing programme(d.filePath("carnet.ini"), d.filePath("programme") + '/', {});
    programme.Fiche()->show();
    QCoreApplication::processEvents();
    QVERIFY(TMessage::Historique().empty());
    QVERIFY(QDir(d.filePath("programme")).removeRecursively());
    // The program still ends, after saying why the formats were not saved.
    QVERIFY(programme.Fiche()->close());
    QVERIFY2(TMessage::DernierTexte().contains(QString::fromUtf8("n'a pas pu être enregistré")),
             qPrintable(TMessage::DernierTexte()));
    QVERIFY(QFile::exists(d.filePath("carnet.ini")));
}

void TestFenetresEtiquettes::PrevisTitreEntier()
{
    TPrevis previs;
    previs.show();
    QFont gras = previs.font();
    gras.setBold(true);
    for (const QString& nom : {QStringLiteral("70,0x42,4"), QStringLiteral("101,0x96,0"),
                               QStringLiteral("63,5x38,1 Planche du bureau")}) {
        previs.Alimente(FormatEtiquette(nom), nom);
        const QString titre = QString::fromUtf8("Feuille d'étiquettes %1 mm").arg(nom);
        QCOMPARE(previs.windowTitle(), titre);
        // Room for the whole title and the title bar's buttons.
        QVERIFY2(previs.width() >= QFontMetrics(gras).horizontalAdvance(titre) + 100,
                 qPrintable(QStringLiteral("%1: %2").arg(nom).arg(previs.width())));
        // The thumbnail is whole, centred, and clicks still find their label.
        QCOMPARE(previs.height(), TPrevis::HauteurImage);
        QCOMPARE(previs.OrigineImage().x(), (previs.width() - TPrevis::LargeurImage) / 2);
    }
    previs.Alimente(FormatEtiquette("70,0x42,4"), "70,0x42,4");
    previs.SetMode(TPrevis::Depart);
    QTest::mouseClick(&previs, Qt::LeftButton, {}, Centre(previs, 3, 2));
    QCOMPARE(std::make_pair(previs.ColonneDepart(), previs.LigneDepart()), std::make_pair(3, 2));
    const QImage vue = previs.grab().toImage();
    QCOMPARE(vue.pixelColor(Centre(previs, 3, 2)), QColor(Qt::red));
    QCOMPARE(vue.pixelColor(Centre(previs, 1, 1)), QColor(Qt::white));
}

void TestFenetresEtiquettes::ConfigImprimanteDecideDuFichier()
{
    QTemporaryDir d;
    TIMail mail;
    mail.Imprimante().setOutputFormat(QPrinter::PdfFormat);
    mail.show();
    int questions = 0;
    mail.ChoisitFichierPdf = [&](const QString&) {
        ++questions;
        return d.filePath("demande.pdf");
    };
    QString choisi = d.filePath("choisi");
    mail.ConfigureImprimante = [&](QPrinter& p) {
        p.setOutputFileName(choisi);
        return true;
    };
    QTest::mouseClick(mail.findChild<QPushButton*>("ConfigImprimante"), Qt::LeftButton);
    QTest::mouseClick(mail.BoutonImprimer(), Qt::LeftButton);
    // The file chosen there is the one printed, without a second question.
    QCOMPARE(questions, 0);
    QCOMPARE(mail.result(), int(QDialog::Accepted));
    QCOMPARE(mail.Imprimante().outputFileName(), d.filePath("choisi.pdf"));
    // The next mailing asks again rather than replace that file unseen.
    QVERIFY(mail.PrepareImprimante());
    QCOMPARE(questions, 1);
    QCOMPARE(mail.Imprimante().outputFileName(), d.filePath("demande.pdf"));
    // Cancelled, the set-up changes nothing.
    mail.ConfigureImprimante = [&](QPrinter& p) {
        p.setOutputFileName(d.filePath("annule.pdf"));
        return false;
    };
    QTest::mouseClick(mail.findChild<QPushButton*>("ConfigImprimante"), Qt::LeftButton);
    QVERIFY(mail.PrepareImprimante());
    QCOMPARE(questions, 2);
    // A bare name goes to the user's folder.
    choisi = "etiquettes";
    mail.ConfigureImprimante = [&](QPrinter& p) {
        p.setOutputFileName(choisi);
        return true;
    };
    QTest::mouseClick(mail.findChild<QPushButton*>("ConfigImprimante"), Qt::LeftButton);
    QCOMPARE(mail.Imprimante().outputFileName(), QDir::home().filePath("etiquettes.pdf"));
}

void TestFenetresEtiquettes::ConfigImprimanteDansLAssistant()
{
    QTemporaryDir d;
    Repertoire rep = Livre({"Ainsi", "Bert"}, "12");
    QCOMPARE(FichierRep::EcritRepertoire(d.filePath("amis.REP"), rep), QString());
    BancMailing programme(d.filePath("carnet.ini"), d.path() + '/', {d.filePath("amis.REP")});
    TFiche* fiche = programme.Fiche();
    fiche->show();
    QCoreApplication::processEvents();
    TIMail* mail = programme.Mailing()->IMail();
    mail->Imprimante().setOutputFormat(QPrinter::PdfFormat);
    int questions = 0;
    mail->ChoisitFichierPdf = [&](const QString&) {
        ++questions;
        return QString(); // asked: no printing
    };
    const QString pdf = d.filePath("planches.pdf");
    QString bouton;
    TMessage::Historique().clear();
    Pilote pilote({
        {"Choix", [](QWidget* w) { Clique(w, "Suivant"); }},
        {"Format", [](QWidget* w) { Clique(w, "Suivant"); }},
        {"IMail", [](QWidget* w) { Clique(w, "ConfigImprimante"); }},
        // Qt's own printer dialog, as the user sees it.
        {"ConfigImprimante",
         [&](QWidget* w) {
             auto* boutons = w->findChild<QDialogButtonBox*>();
             QVERIFY(boutons);
             for (QAbstractButton* b : boutons->buttons())
                 if (boutons->buttonRole(b) == QDialogButtonBox::AcceptRole) {
                     bouton = b->text();
                     auto* fichier = w->findChild<QLineEdit*>("filename");
                     QVERIFY(fichier);
                     fichier->setText(pdf);
                     QTest::mouseClick(b, Qt::LeftButton);
                 }
         }},
        {"IMail", [](QWidget* w) { Clique(w, "Imprimer"); }},
    });
    fiche->Menus()->Item(TMenusFiche::Commande::Mailing)->trigger();
    QVERIFY2(pilote.Fini(), qPrintable(pilote.Rapport()));
    QCOMPARE(bouton, QStringLiteral("OK")); // a choice, not a print
    QCOMPARE(questions, 0);
    QVERIFY(QFile::exists(pdf));
    QCOMPARE(
        TMessage::DernierTexte(),
        QString::fromUtf8("Les étiquettes ont été enregistrées dans le fichier « %1 ».").arg(pdf));
}

namespace
{
// Records whose second has a name far too long for any label.
Repertoire LivreAvecNomLong()
{
    Repertoire rep = Livre({"Court", QString(200, QLatin1Char('N')), "Bref"}, "123");
    return rep;
}

int Rouges(const QImage& image, const QRect& zone)
{
    int n = 0;
    for (int y = zone.top(); y <= zone.bottom(); ++y)
        for (int x = zone.left(); x <= zone.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    return n;
}
} // namespace

void TestFenetresEtiquettes::EtiquettesRogneesMarquees()
{
    const Repertoire rep = LivreAvecNomLong();
    const MiseEnPage page(FormatEtiquette("70,0x42,4"));
    const Planches planches(page, Planches::FichesChoisies(rep), 3, 1, 1);
    QFont police("DejaVu Sans");
    police.setPointSizeF(11);
    const DessinEtiquette dessin(police, Qt::black, false);
    const RenduPlanche rendu(rep, page, planches, 0, dessin);
    QCOMPARE(rendu.Rognees(), 1);
    QVERIFY(rendu.EstRognee(1) && !rendu.EstRognee(0) && !rendu.EstRognee(2));
    TFpPrev fp;
    fp.Prepare(&rendu, QRectF(0, 0, 210, 297));
    fp.show();
    QVERIFY(fp.Avis()->isVisible());
    QCOMPARE(fp.Avis()->text(),
             QString::fromUtf8("1 étiquette sur 3 a un texte trop long, même en 4 points : il est "
                               "coupé au bord de l'étiquette. Elle est encadrée de rouge."));
    for (const QImage& image : {fp.Image(), TFpPrev::DessinePlanche(rendu, QRectF(0, 0, 210, 297),
                                                                    1, QSize(794, 1123))}) {
        const double kx = image.width() / 210.0, ky = image.height() / 297.0;
        auto zone = [&](int c) {
            const QRectF mm = page.RectangleMm(c, 1);
            return QRect(QPoint(qRound(mm.left() * kx) + 1, qRound(mm.top() * ky) + 1),
                         QPoint(qRound(mm.right() * kx) - 2, qRound(mm.bottom() * ky) - 2));
        };
        QVERIFY2(Rouges(image, zone(2)) > 100, qPrintable(QString::number(image.width())));
        QCOMPARE(Rouges(image, zone(1)), 0);
        QCOMPARE(Rouges(image, zone(3)), 0);
    }
    fp.grab().save("/tmp/etq_fpprev_rognee.png");
    // Nothing cut, nothing said.
    const Repertoire sage = Livre({"Court", "Bref"}, "12");
    const Planches deux(page, Planches::FichesChoisies(sage), 2, 1, 1);
    const RenduPlanche rien(sage, page, deux, 0, dessin);
    fp.Prepare(&rien, QRectF(0, 0, 210, 297));
    QVERIFY(fp.Avis()->isHidden());
}

void TestFenetresEtiquettes::EtiquettesRogneesDitesAvantImpression()
{
    QTemporaryDir d;
    Repertoire rep = LivreAvecNomLong();
    QCOMPARE(FichierRep::EcritRepertoire(d.filePath("amis.REP"), rep), QString());
    BancMailing programme(d.filePath("carnet.ini"), d.path() + '/', {d.filePath("amis.REP")});
    TFiche* fiche = programme.Fiche();
    fiche->show();
    QCoreApplication::processEvents();
    TIMail* mail = programme.Mailing()->IMail();
    mail->Imprimante().setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = d.filePath("mailing.pdf");
    mail->ChoisitFichierPdf = [pdf](const QString&) { return pdf; };
    TMessage::Historique().clear();
    QString question;
    bool toujoursOuvert = false;
    Pilote pilote({
        {"Choix", [](QWidget* w) { Clique(w, "Suivant"); }},
        {"Format", [](QWidget* w) { Clique(w, "Suivant"); }},
        {"IMail",
         [&](QWidget* w) {
             TMessage::ReponseSuivante(TMessage::Non);
             Clique(w, "Imprimer");
             question = TMessage::DernierTexte();
             toujoursOuvert = w->isVisible();
             TMessage::ReponseSuivante(TMessage::Oui);
             Clique(w, "Imprimer");
         }},
    });
    fiche->Menus()->Item(TMenusFiche::Commande::Mailing)->trigger();
    QVERIFY2(pilote.Fini(), qPrintable(pilote.Rapport()));
    QVERIFY2(question.startsWith(QString::fromUtf8("1 étiquette sur 3 a un texte trop long")) &&
                 question.endsWith("Imprimer quand même ?"),
             qPrintable(question));
    QVERIFY(toujoursOuvert); // "Non" keeps the assistant open
    QVERIFY(QFile::exists(pdf));
    // The red outline is the preview's only: the paper gets none.
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
        QSKIP("pdftoppm (poppler-utils) missing: the printed colours cannot be checked");
    QProcess::execute("pdftoppm", {"-r", "40", "-png", "-singlefile", pdf, d.filePath("page")});
    const QImage papier(d.filePath("page.png"));
    QVERIFY(!papier.isNull());
    QCOMPARE(Rouges(papier, papier.rect()), 0);
}

CARNET_TEST(TestFenetresEtiquettes)
#include "TestFenetresEtiquettes.moc"
