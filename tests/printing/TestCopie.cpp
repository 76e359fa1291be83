#include "Registre.h"

#include "BancImpression.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "printing/CopieIntelligente.h"
#include "printing/OptionsCopie.h"
#include "printing/TCopyOpt.h"
#include "printing/TImpression.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/Repertoire.h"
#include "settings/Reglages.h"
#include "ui/TMessage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using Valeurs = QList<QPair<int, QString>>;

Q_DECLARE_METATYPE(Valeurs)
Q_DECLARE_METATYPE(PlageCellules)

static void InitRessources()
{
    Q_INIT_RESOURCE(carnet);
}

namespace
{

Repertoire UneFiche(const Valeurs& valeurs)
{
    Repertoire rep;
    for (const auto& [champ, texte] : valeurs)
        rep.SetCellule(champ, 1, CodePage::Octets(texte));
    return rep;
}

OptionsCopie Cochees(const QList<int>& champs)
{
    OptionsCopie o;
    for (int c = 0; c < OptionsCopie::NbOptions; ++c)
        o.SetCoche(c, champs.contains(c));
    return o;
}

QString Lignes(const QStringList& lignes)
{
    QString t;
    for (const QString& l : lignes)
        t += l + u"\r\n"_s;
    return t;
}

} // namespace

// The texts of the smart copy and of the list copy, the options dialog, and the
// commands as the user runs them.
class TestCopie : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dossier;

private slots:
    void init()
    {
        InitRessources();
        TMessage::ModeTest(true);
        m_dossier = std::make_unique<QTemporaryDir>();
    }
    void cleanup() { TMessage::ModeTest(false); }

    void texteFiche_data()
    {
        QTest::addColumn<QList<int>>("cochees"); // empty: the defaults
        QTest::addColumn<Valeurs>("valeurs");
        QTest::addColumn<QString>("attendu");
        const QList<int> defaut;
        QTest::newRow("defaults: town line ends with a blank")
            << defaut << Valeurs{{Civil, u"Monsieur"_s}, {Prenom, u"Jean"_s},
                                 {Nom, u"Dupont"_s},     {Adresse1, u"12 rue des Lilas"_s},
                                 {Ville, u"Paris"_s},    {Tel, u"01 02 03 04 05"_s}}
            << Lignes({u"Monsieur Jean Dupont"_s, u"12 rue des Lilas"_s, u"Paris "_s});
        QTest::newRow("first name and empty surname")
            << QList<int>{Prenom, Nom} << Valeurs{{Prenom, u"Jean"_s}} << Lignes({u"Jean "_s});
        QTest::newRow("company without position")
            << QList<int>{Societe} << Valeurs{{Fonction, u"Gérant"_s}, {Societe, u"ACME"_s}}
            << Lignes({u"ACME"_s});
        QTest::newRow("position with empty company")
            << QList<int>{Fonction, Societe} << Valeurs{{Fonction, u"Gérant"_s}}
            << Lignes({u"Gérant "_s});
        QTest::newRow("postcode and country, town empty")
            << QList<int>{CP, Ville, Pays} << Valeurs{{CP, u"75001"_s}, {Pays, u"France"_s}}
            << Lignes({u"75001 France"_s});
        QTest::newRow("ticked fields all empty") << defaut << Valeurs{{Tel, u"01"_s}} << QString();
        QTest::newRow("notes over two lines at their place")
            << QList<int>{Nom, Notes, SAdresse1}
            << Valeurs{{Nom, u"Zoé"_s}, {Notes, u"un\r\ndeux"_s}, {SAdresse1, u"quai €"_s}}
            << Lignes({u"Zoé"_s, u"un"_s, u"deux"_s, u"quai €"_s});
        QTest::newRow("photo never copied")
            << QList<int>{Nom, Photo} << Valeurs{{Nom, u"Œuvre"_s}, {Photo, u"a.jpg"_s}}
            << Lignes({u"Œuvre"_s});

        // Every field ticked and filled with its own name: the designed order of lines.
        QList<int> toutes;
        Valeurs noms;
        for (int c = 0; c < NbColonnes; ++c) {
            toutes << c;
            noms << QPair<int, QString>(c, QString::fromLatin1(Champs::Info(c).cle));
        }
        QTest::newRow("order of every line") << toutes << noms
                                             << Lignes({u"Civil Prenom Nom"_s,
                                                        u"Fonction Societe"_s,
                                                        u"Adresse1"_s,
                                                        u"Adresse2"_s,
                                                        u"CP Ville Pays"_s,
                                                        u"Tel"_s,
                                                        u"Tel2"_s,
                                                        u"Portable"_s,
                                                        u"Fax"_s,
                                                        u"Internet"_s,
                                                        u"Internet2"_s,
                                                        u"Internet3"_s,
                                                        u"Notes"_s,
                                                        u"SAdresse1"_s,
                                                        u"SAdresse2"_s,
                                                        u"SCP SVille SPays"_s,
                                                        u"STel"_s,
                                                        u"STel2"_s,
                                                        u"SPortable"_s,
                                                        u"SFax"_s,
                                                        u"SInternet"_s,
                                                        u"SInternet2"_s,
                                                        u"SInternet3"_s,
                                                        u"SNotes"_s,
                                                        u"Banque"_s,
                                                        u"BAdresse1"_s,
                                                        u"BAdresse2"_s,
                                                        u"BCP BVille BPays"_s,
                                                        u"BTel"_s,
                                                        u"BFax"_s,
                                                        u"BInternet"_s,
                                                        u"BNotes"_s,
                                                        u"Etablissement"_s,
                                                        u"Guichet"_s,
                                                        u"Compte"_s,
                                                        u"Cle"_s});
    }
    void texteFiche()
    {
        QFETCH(QList<int>, cochees);
        QFETCH(Valeurs, valeurs);
        QFETCH(QString, attendu);
        const OptionsCopie options = cochees.isEmpty() ? OptionsCopie() : Cochees(cochees);
        QCOMPARE(
            CodePage::VersUnicode(CopieIntelligente::TexteFiche(UneFiche(valeurs), 1, options)),
            attendu);
    }

    void texteListe_data()
    {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<PlageCellules>("plage");
        QTest::addColumn<QString>("attendu");
        const QString titre = u"Carnet d'adresses : Répertoire "_s;
        QTest::newRow("one cell: the whole book, photo included")
            << u"/x/Amis.REP"_s << PlageCellules{2, 2, 5, 5}
            << Lignes({titre + u"Amis"_s,
                       {},
                       u"Dupont"_s,
                       u"Jean"_s,
                       u"a\r\nb"_s,
                       {},
                       u"Martin"_s,
                       u"m.jpg"_s,
                       {},
                       u"Zola"_s,
                       u"Émile"_s,
                       {}});
        QTest::newRow("surname and first name of three rows")
            << u"/x/Amis.REP"_s << PlageCellules{1, 3, 0, 1}
            << Lignes({titre + u"Amis (sélection)"_s,
                       {},
                       u"Dupont"_s,
                       u"Jean"_s,
                       {},
                       u"Martin"_s,
                       {},
                       u"Zola"_s,
                       u"Émile"_s,
                       {}});
        QTest::newRow("unnamed book, notes column of one row")
            << QString() << PlageCellules{1, 1, Notes, Photo}
            << Lignes({titre + u" (sélection)"_s, {}, u"a\r\nb"_s, {}});
        QTest::newRow("name with two dots") << u"/x/a.b.REP"_s << PlageCellules{3, 3, 0, 0}
                                            << Lignes({titre + u"a"_s,
                                                       {},
                                                       u"Dupont"_s,
                                                       u"Jean"_s,
                                                       u"a\r\nb"_s,
                                                       {},
                                                       u"Martin"_s,
                                                       u"m.jpg"_s,
                                                       {},
                                                       u"Zola"_s,
                                                       u"Émile"_s,
                                                       {}});
    }
    void texteListe()
    {
        QFETCH(QString, fichier);
        QFETCH(PlageCellules, plage);
        QFETCH(QString, attendu);
        Repertoire rep = Trois();
        rep.SetFichierCourant(fichier);
        QCOMPARE(CodePage::VersUnicode(CopieIntelligente::TexteListe(rep, plage)), attendu);
        QCOMPARE(CopieIntelligente::TitreRepertoire(u"/x/SansPoint"_s),
                 u"Carnet d'adresses : Répertoire SansPoint"_s);
    }

    void dialogue()
    {
        TCopyOpt dlg;
        for (int c = 0; c < OptionsCopie::NbOptions; ++c)
            QCOMPARE(dlg.Case(c)->isChecked(), OptionsCopie::InfoChamp(c)->defaut);
        QCOMPARE(dlg.Case(Photo), nullptr);
        if (qEnvironmentVariableIsSet("CARNET_CAPTURES")) {
            dlg.show();
            dlg.grab().save(qEnvironmentVariable("CARNET_CAPTURES") + u"/copyopt.png"_s);
            dlg.hide();
        }
        QCOMPARE(dlg.Case(BTel)->text(), u"Tél"_s);
        QCOMPARE(dlg.Case(STel)->text(), u"Téléphone 1"_s);

        // "Tout sélectionner" on "Banque": its 14 boxes, the other pages as they were.
        QTimer::singleShot(0, &dlg, [&] {
            dlg.Pages()->setCurrentIndex(2);
            dlg.ToutSelectionner()->click();
            dlg.BoutonOk()->click();
        });
        QVERIFY(dlg.Choisit());
        QCOMPARE(OptionsCopie::ChampsDeLaPage(PageFiche::Banque).size(), size_t(14));
        for (int c = 0; c < OptionsCopie::NbOptions; ++c)
            QCOMPARE(dlg.Options().Coche(c), OptionsCopie::InfoChamp(c)->page == PageFiche::Banque
                                                 ? true
                                                 : OptionsCopie::InfoChamp(c)->defaut);

        // "Annuler" puts the boxes back; the dialog reopens on the page it was left on.
        const OptionsCopie avant = dlg.Options();
        int pageOuverte = -1;
        QTimer::singleShot(0, &dlg, [&] {
            pageOuverte = dlg.Pages()->currentIndex();
            dlg.ToutDeselectionner()->click();
            dlg.Pages()->setCurrentIndex(0);
            dlg.ToutDeselectionner()->click();
            dlg.BoutonAnnuler()->click();
        });
        QVERIFY(!dlg.Choisit());
        QCOMPARE(pageOuverte, 2);
        QVERIFY(dlg.Options() == avant);
        QVERIFY(dlg.Case(BNotes)->isChecked());
        QVERIFY(dlg.Case(Nom)->isChecked());
    }

    void reglages()
    {
        const QString ini = m_dossier->filePath(u"c.ini"_s);
        {
            QSettings s(ini, QSettings::IniFormat);
            s.setValue(u"Options de copie/Civilité"_s, u"0"_s);
            s.setValue(u"Options de copie/BTéléphone"_s, u"1"_s);
            s.setValue(u"Options de copie/Pays"_s, u"oui ?"_s); // not a flag: the default
        }
        Reglages r(ini);
        TCopyOpt dlg;
        dlg.Lit(r);
        QVERIFY(!dlg.Case(Civil)->isChecked());
        QVERIFY(dlg.Case(BTel)->isChecked());
        QVERIFY(!dlg.Case(Pays)->isChecked());
        QVERIFY(dlg.Case(Ville)->isChecked());

        Reglages r2(m_dossier->filePath(u"d.ini"_s));
        dlg.Ecrit(r2);
        QVERIFY(r2.Enregistre());
        QSettings relu(m_dossier->filePath(u"d.ini"_s), QSettings::IniFormat);
        relu.beginGroup(u"Options de copie"_s);
        QCOMPARE(relu.childKeys().size(), 45);
        QCOMPARE(relu.value(u"Civilité"_s).toString(), u"0"_s);
        QCOMPARE(relu.value(u"BTéléphone"_s).toString(), u"1"_s);
        QCOMPARE(relu.value(u"Ville"_s).toString(), u"1"_s);
        QCOMPARE(relu.value(u"SInternet1"_s).toString(), u"0"_s);
    }

    // Ctrl+K on a record page and on the list page, as the user runs it; the options
    // are written at the close.
    void commandes()
    {
        const QString livre = m_dossier->filePath(u"Amis.REP"_s);
        Repertoire trois = Trois();
        QCOMPARE(FichierRep::EcritRepertoire(livre, trois), QString());
        const QString ini = m_dossier->filePath(u"carnet.ini"_s);
        {
            BancImpression p(ini, m_dossier->path() + '/', {livre});
            TFiche* f = p.Fiche();
            f->show();
            QApplication::setActiveWindow(f);
            QVERIFY(QTest::qWaitForWindowActive(f));
            f->AllerA(0, 3);
            QClipboard* pp = QGuiApplication::clipboard();

            pp->setText(u"avant"_s);
            bool montre = false;
            QTimer::singleShot(0, p.CopyOpt(), [&] {
                montre = p.CopyOpt()->isVisible();
                p.CopyOpt()->BoutonAnnuler()->click();
            });
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ControlModifier);
            QVERIFY(montre);
            QCOMPARE(pp->text(), u"avant"_s);
            QAction* bouton = f->Menus()->Bouton(TMenusFiche::Commande::Copier);

            QTimer::singleShot(0, p.CopyOpt(), [&] {
                p.CopyOpt()->Case(Prenom)->setChecked(false);
                p.CopyOpt()->BoutonOk()->click();
            });
            bouton->trigger();
            QCOMPARE(pp->text(), Lignes({u"Zola"_s}));

            f->PageControl()->setCurrentIndex(TFiche::PageListe);
            bouton->trigger();
            QVERIFY(pp->text().startsWith(u"Carnet d'adresses : Répertoire Amis\r\n\r\nDupont"_s));

            TGrille* g = f->Grille();
            g->setCurrentIndex(g->model()->index(1, 1));
            g->selectionModel()->select(
                QItemSelection(g->model()->index(1, 0), g->model()->index(2, 1)),
                QItemSelectionModel::ClearAndSelect);
            p.Impression()->Copier1Click();
            QCOMPARE(pp->text(), Lignes({u"Carnet d'adresses : Répertoire Amis (sélection)"_s,
                                         {},
                                         u"Martin"_s,
                                         {},
                                         u"Zola"_s,
                                         u"Émile"_s,
                                         {}}));
            QVERIFY(!f->Rep().Modifie());
            f->close();
        }
        QSettings relu(ini, QSettings::IniFormat);
        QCOMPARE(relu.value(u"Options de copie/Prénom"_s).toString(), u"0"_s);
        QCOMPARE(relu.value(u"Options de copie/Nom"_s).toString(), u"1"_s);
    }

private:
    static Repertoire Trois()
    {
        Repertoire rep;
        rep.SetNbLignes(4);
        rep.SetCellule(Nom, 1, "Dupont");
        rep.SetCellule(Prenom, 1, "Jean");
        rep.SetCellule(Notes, 1, "a\r\nb");
        rep.SetCellule(Nom, 2, "Martin");
        rep.SetCellule(Photo, 2, "m.jpg");
        rep.SetCellule(Nom, 3, "Zola");
        rep.SetCellule(Prenom, 3, CodePage::Octets(u"Émile"_s));
        return rep;
    }
};

CARNET_TEST(TestCopie)
#include "TestCopie.moc"
