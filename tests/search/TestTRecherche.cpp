#include "Registre.h"
#include "mainwindow/CibleRecherche.h"
#include "mainwindow/TPagesFiche.h"
#include "records/CodePage.h"
#include "records/Repertoire.h"
#include "search/OptionsRecherche.h"
#include "search/TBarreRecherche.h"
#include "search/TFind.h"
#include "search/TSchOpt.h"
#include "settings/Reglages.h"
#include "ui/TMessage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using Position = std::pair<int, int>; // colonne, ligne

// A main window as the searchers see it: a book, a window with the list and the record pages
// in a tab strip, the list shown, every move of the grid's current cell and the keys that
// reach the window.
class FausseCible : public QObject, public CibleRecherche
{
public:
    FausseCible()
    {
        fenetre->installEventFilter(this);
        (new QVBoxLayout(fenetre.get()))->addWidget(onglets);
        onglets->addTab(liste, u"Liste"_s);
        onglets->setCurrentWidget(liste);
    }
    // The window goes first: its widgets may still report to the searchers as they close.
    ~FausseCible() override { fenetre.reset(); }

    // Fills record `ligne` (growing the book) with UTF-8 texts given by column.
    void Remplit(int ligne, std::initializer_list<std::pair<int, const char*>> cellules)
    {
        if (rep.NbFiches() < ligne) rep.SetNbLignes(ligne + 1);
        for (const auto& [c, texte] : cellules)
            rep.SetCellule(c, ligne, CodePage::Octets(QString::fromUtf8(texte)));
    }
    const Repertoire& Livre() const override { return rep; }
    void AllerA(int colonne, int ligne) override
    {
        allers.emplace_back(colonne, ligne);
        const QCursor* curseur = QApplication::overrideCursor();
        sablier.push_back(curseur && curseur->shape() == Qt::WaitCursor);
        pages->MontreLigne(rep, ligne);
    }
    bool ListeAffichee() const override { return onglets->currentWidget() == liste; }
    TPagesFiche* Pages() override { return pages; }
    QTabWidget* PageControl() override { return onglets; }
    QWidget* Fenetre() override { return fenetre.get(); }
    Position DernierAller() const { return allers.empty() ? Position(-1, -1) : allers.back(); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        touches += e->type() == QEvent::KeyPress;
        return false;
    }

    Repertoire rep;
    std::unique_ptr<QWidget> fenetre = std::make_unique<QWidget>();
    QTabWidget* onglets = new QTabWidget(fenetre.get());
    TPagesFiche* pages = new TPagesFiche(onglets);
    QWidget* liste = new QWidget;
    std::vector<Position> allers;
    std::vector<bool> sablier; // whether the hourglass showed at each move
    int touches = 0;
};

// How many "Texte non trouvé." the searchers have shown.
static int NbMessages()
{
    int n = 0;
    for (const auto& t : TMessage::Historique())
        n += t.texte == u"Texte non trouvé."_s && t.titre == "Information";
    return n;
}

// The searchers' windows, the find dialog and the quick-search bar, in a main window;
// the search options and their dialog.
class TestTRecherche : public QObject
{
    Q_OBJECT

    std::unique_ptr<FausseCible> m_cible;
    OptionsRecherche m_options;
    TFind* m_find = nullptr;
    TBarreRecherche* m_barre = nullptr;
    QTemporaryDir m_dossier;

    // A shown main window and either the find dialog
    // open or the bar holding the focus, with "Dupont", "Paris", a hole and "Martin" in
    // its history.
    void Prepare(bool barre)
    {
        m_options = OptionsRecherche();
        m_cible = std::make_unique<FausseCible>();
        m_cible->Remplit(1, {{Nom, "Durand"}, {Ville, "Paris"}, {Notes, "Vu à Paris"}});
        m_cible->Remplit(2, {{Nom, "Dupont"}, {Ville, "Paris"}});
        QWidget* fenetre = m_cible->fenetre.get();
        m_find = barre ? nullptr : new TFind(*m_cible, m_options, fenetre);
        m_barre = barre ? new TBarreRecherche(*m_cible, m_options) : nullptr;
        if (barre) {
            static_cast<QBoxLayout*>(fenetre->layout())->insertWidget(0, m_barre);
            Reglages r(m_dossier.filePath(u"absent.ini"_s));
            for (auto [n, texte] : {std::pair(1, "Dupont"), {2, "Paris"}, {4, "Martin"}})
                r.WriteString(u"Recherches2"_s, u"Expression%1"_s.arg(n), QString::fromUtf8(texte));
            m_barre->Lit(r);
            m_barre->Edit()->setFocus();
        }
        TMessage::ModeTest(true);
        fenetre->show();
        QVERIFY(QTest::qWaitForWindowExposed(fenetre));
        fenetre->activateWindow();
        if (m_find) m_find->Ouvre();
        QVERIFY(!m_find || QTest::qWaitForWindowExposed(m_find));
    }
    QLineEdit* Ligne() { return (m_find ? m_find->Edit() : m_barre->Edit())->lineEdit(); }
    // Where a user's keys land: the focus widget, which for an editable box is the
    // combo box itself, not its line edit.
    QWidget* Clavier()
    {
        QComboBox* boite = m_find ? m_find->Edit() : m_barre->Edit();
        QWidget* focus = QApplication::focusWidget();
        if (focus != boite && focus != boite->lineEdit())
            qWarning("the keyboard focus is not in the search box");
        return focus ? focus : boite;
    }
    Position Curseur() const
    {
        const Chercheur& e = m_find ? m_find->Etat() : m_barre->Etat();
        return {e.ColonneCurseur(), e.LigneCurseur()};
    }
    // A click on a line of the bar's open list.
    void ChoisitLigne(int i)
    {
        QAbstractItemView* vue = m_barre->Edit()->view();
        m_barre->Edit()->showPopup();
        QVERIFY(QTest::qWaitForWindowExposed(vue->window()));
        const QRect ligne = vue->visualRect(vue->model()->index(i, 0));
        QTest::mouseClick(vue->viewport(), Qt::LeftButton, {}, ligne.center());
    }

private slots:
    void cleanup() { m_cible.reset(); }

    // Enter presses "Chercher"; typing alone searches nothing. After the last hit,
    // "Texte non trouvé." and the next search starts at the first record again.
    // Closing does the same, the text and the history staying.
    void suivantPuisTexteNonTrouve()
    {
        Prepare(false);
        QTest::keyClick(Clavier(), Qt::Key_Return);
        QCOMPARE(int(TMessage::Historique().size()), 0);
        QTest::keyClicks(Clavier(), u"paris"_s);
        QVERIFY(m_cible->allers.empty());
        QTest::keyClick(Clavier(), Qt::Key_Return);
        QCOMPARE(m_find->FindBtn()->text(), u"Suivant"_s);
        // While "Texte non trouvé." is open the window manager hands the focus to the
        // main window; once it is closed, the user types in the dialog again.
        TMessage::PendantBoite([this] {
            m_cible->fenetre->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), m_cible->fenetre.get());
        });
        for (int i = 0; i < 3; ++i)
            m_find->FindBtn()->click();
        QCOMPARE(m_cible->allers, (std::vector<Position>{{Ville, 1}, {Notes, 1}, {Ville, 2}}));
        QCOMPARE(NbMessages(), 1);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_find));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_find->Edit()));
        TMessage::PendantBoite(nullptr);
        QCOMPARE(m_find->FindBtn()->text(), u"Chercher"_s);
        m_find->FindBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 1));

        QTest::keyClick(Clavier(), Qt::Key_Escape);
        QVERIFY(!m_find->isVisible());
        QCOMPARE(Curseur(), Position(0, 1));
        m_find->Ouvre();
        QCOMPARE(Ligne()->text(), u"paris"_s);
        QCOMPARE(m_find->Histoire().Entrees().mid(0, 2), (QStringList{"paris", ""}));
    }

    // A full list takes "dup" at the top beside "Dupont"; 100 keys are written back.
    void historiquePleine()
    {
        Prepare(false);
        Reglages r(m_dossier.filePath(u"find.ini"_s));
        for (int n = 1; n <= 30; ++n)
            r.WriteString(u"Recherches"_s, u"Expression%1"_s.arg(n),
                          n == 5 ? u"Dupont"_s : u"e%1"_s.arg(n));
        m_find->Lit(r);
        QTest::keyClicks(Clavier(), u"dup"_s);
        QCOMPARE(Ligne()->text(), u"dup"_s); // the dialog completes nothing
        QTest::keyClick(Clavier(), Qt::Key_Return);
        QCOMPARE(m_find->Histoire().Entree(5), u"Dupont"_s);
        QCOMPARE(m_find->Edit()->count(), 20);
        m_find->Ecrit(r);
        QCOMPARE(r.ReadString(u"Recherches"_s, u"Expression1"_s, {}), u"dup"_s);
        QCOMPARE(r.ReadString(u"Recherches"_s, u"Expression30"_s, u"?"_s), QString());
    }

    // On a record page each searched editor that matches shows its page, takes the
    // focus and has the first occurrence selected; on the list page only the cell moves.
    void montreSurLesPages()
    {
        Prepare(false);
        m_cible->Remplit(2, {{Civil, "Monsieur"}, {Nom, "Sieurac"}, {Banque, "Sieur"}});
        m_cible->Remplit(2, {{Notes, "Rappeler\r\nà Paris, monsieur"}});
        m_options.SetCoche(Banque, false);
        m_cible->onglets->setCurrentWidget(m_cible->pages->Page(PageFiche::Banque));
        QTest::keyClicks(Clavier(), u"SIEUR"_s);
        QTest::keyClick(Clavier(), Qt::Key_Return);
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 2));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->pages->Page(PageFiche::Prive));
        auto* memo = qobject_cast<QPlainTextEdit*>(m_cible->pages->Controle(Notes));
        QCOMPARE(m_cible->fenetre->focusWidget(), static_cast<QWidget*>(memo));
        // The CR LF of the cell is one character in the memo.
        QCOMPARE(memo->textCursor().selectionStart(), 21);
        QCOMPARE(memo->textCursor().selectedText(), u"sieur"_s);
        auto* civilite = qobject_cast<QComboBox*>(m_cible->pages->Controle(Civil));
        QCOMPARE(civilite->lineEdit()->selectedText(), u"sieur"_s);
        QVERIFY(!qobject_cast<QLineEdit*>(m_cible->pages->Controle(Banque))->hasSelectedText());

        m_cible->onglets->setCurrentWidget(m_cible->liste);
        m_find->FindBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Civil, 2));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->liste);
    }
    // "du" becomes "Dupont" with the rest selected, and Dupont's record is followed;
    // Backspace and Delete remove the completed part without completing again.
    void completionPendantLaFrappe()
    {
        Prepare(true);
        QTest::keyClicks(Clavier(), u"du"_s);
        QCOMPARE(Ligne()->text(), u"Dupont"_s);
        QCOMPARE(Ligne()->selectedText(), u"pont"_s);
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 2));
        // The last text is the typed one, so the completed hit does not read "Suivant".
        QCOMPARE(m_barre->FindBtn2()->text(), u"Chercher"_s);
        QCOMPARE(m_barre->Histoire().Entree(2), QString()); // typing remembers nothing
        QTest::keyClick(Clavier(), Qt::Key_Backspace);
        QCOMPARE(Ligne()->text(), u"Du"_s);
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 1));
        QTest::keyClick(Clavier(), Qt::Key_P);
        QCOMPARE(Ligne()->selectedText(), u"ont"_s);
        QTest::keyClick(Clavier(), Qt::Key_Delete);
        QCOMPARE(Ligne()->text(), u"Dup"_s);
        QTest::keyClicks(Clavier(), u"zz"_s);
        QCOMPARE(NbMessages(), 0); // as-you-type is silent
        QCOMPARE(m_cible->touches, 0);

        // The start of an earlier search can be searched for: deleting its last
        // letter is not completed back.
        Ligne()->clear();
        QTest::keyClicks(Clavier(), u"Dupont"_s);
        QTest::keyClick(Clavier(), Qt::Key_End);
        QTest::keyClick(Clavier(), Qt::Key_Backspace);
        QCOMPARE(Ligne()->text(), u"Dupon"_s);
        QVERIFY(!Ligne()->hasSelectedText());
        QTest::keyClick(Clavier(), Qt::Key_Home);
        QTest::keyClick(Clavier(), Qt::Key_Delete);
        QCOMPARE(Ligne()->text(), u"upon"_s);
    }

    // On the record pages the bar shows the page of the last matching field, selects
    // nothing and keeps the focus.
    void barreSurLesPages()
    {
        Prepare(true);
        m_cible->Remplit(1, {{SVille, "Paris"}});
        m_cible->onglets->setCurrentWidget(m_cible->pages->Page(PageFiche::Banque));
        QTest::keyClicks(Clavier(), u"pari"_s);
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 1));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->pages->Page(PageFiche::Professionnel));
        QVERIFY(!qobject_cast<QLineEdit*>(m_cible->pages->Controle(SVille))->hasSelectedText());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_barre->Edit()));
    }

    // Enter: an explicit search, remembered in the history and written back. Without
    // a hit the message comes back at every try, the cursor staying; "Précédent" too.
    void entreeEtTexteNonTrouve()
    {
        Prepare(true);
        QTest::keyClicks(Clavier(), u"vu"_s);
        QCOMPARE(m_cible->DernierAller(), Position(Notes, 1));
        QCOMPARE(m_barre->FindBtn2()->text(), u"Suivant"_s);
        QTest::keyClick(Clavier(), Qt::Key_Return);
        QCOMPARE(m_barre->Edit()->itemText(2), u"vu"_s);
        QCOMPARE(NbMessages(), 1);
        const Position avant = Curseur();
        QTest::keyClick(Clavier(), Qt::Key_Enter);
        m_barre->FindBtn2()->click();
        QCOMPARE(NbMessages(), 3);
        QCOMPARE(Curseur(), avant);
        QCOMPARE(m_cible->touches, 0);
        // The hourglass shows while the scans run, and is gone after each of them.
        QCOMPARE(m_cible->sablier, (std::vector<bool>{true, true}));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        m_barre->PrevBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Notes, 1));
        m_barre->PrevBtn()->click();
        QCOMPARE(NbMessages(), 4);
        QCOMPARE(m_barre->Histoire().Entree(4), QString()); // "Précédent" inserts nothing

        Reglages r(m_dossier.filePath(u"ecrit.ini"_s));
        m_barre->Ecrit(r);
        QCOMPARE(r.ReadString(u"Recherches2"_s, u"Expression3"_s, {}), u"vu"_s);
        QCOMPARE(r.ReadString(u"Recherches2"_s, u"Expression100"_s, u"?"_s), QString());
    }

    // A picked line: one as-you-type scan, then one explicit scan after its hit, even
    // when a longer entry begins with it.
    void choixDUneLigne()
    {
        Prepare(true);
        ChoisitLigne(1);
        QCOMPARE(m_cible->allers, (std::vector<Position>{{Ville, 1}, {Notes, 1}}));
        QCOMPARE(NbMessages(), 0);
        Reglages r(m_dossier.filePath(u"absent.ini"_s));
        r.WriteString(u"Recherches2"_s, u"Expression1"_s, u"Dupontel"_s);
        r.WriteString(u"Recherches2"_s, u"Expression2"_s, u"Dupont"_s);
        m_barre->Lit(r);
        m_cible->allers.clear();
        ChoisitLigne(1);
        QCOMPARE(Ligne()->text(), u"Dupont"_s);
        QCOMPARE(m_cible->allers, (std::vector<Position>{{Nom, 2}}));
        QCOMPARE(NbMessages(), 1);
    }

    // Every field but "Photo" has its box on its page; the buttons act on the page
    // shown only, a box at once.
    void boutonsParPage()
    {
        OptionsRecherche options;
        TSchOpt dialogue(options);
        QCOMPARE(dialogue.Case(Photo), nullptr);
        dialogue.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialogue));
        dialogue.Pages()->setCurrentIndex(2);
        QTest::mouseClick(dialogue.ToutDeselectionner(), Qt::LeftButton);
        for (int c = 0; c <= BNotes; ++c) {
            const int page = int(Champs::Info(c).page);
            QVERIFY(dialogue.Pages()->widget(page)->isAncestorOf(dialogue.Case(c)));
            QCOMPARE(options.IsFieldSearched(c), page != 2);
            QCOMPARE(dialogue.Case(c)->isChecked(), page != 2);
        }
        dialogue.Pages()->setCurrentIndex(0);
        QTest::mouseClick(dialogue.ToutDeselectionner(), Qt::LeftButton);
        dialogue.Case(Ville)->click();
        QVERIFY(options.IsFieldSearched(Ville) && !options.IsFieldSearched(Nom));
        dialogue.Pages()->setCurrentIndex(2);
        QTest::mouseClick(dialogue.ToutSelectionner(), Qt::LeftButton);
        QVERIFY(options.IsFieldSearched(Compte) && !options.IsFieldSearched(Nom));
    }

    // Written at close, read by the next start; a missing key or one that is not a number
    // reads as on.
    void allerRetour()
    {
        const QString chemin = m_dossier.filePath(u"carnet.ini"_s);
        OptionsRecherche o, lu;
        o.SetCoche(Civil, false);
        o.CocheTout(PageFiche::Professionnel, false);
        {
            Reglages r(chemin);
            o.Ecrit(r);
            QVERIFY(r.Enregistre());
        }
        QSettings brut(chemin, QSettings::IniFormat);
        QCOMPARE(brut.value(u"Options de recherche/Civil"_s).toString(), u"0"_s);
        brut.remove(u"Options de recherche/Nom"_s);
        brut.setValue(u"Options de recherche/Prenom"_s, u"oui"_s);
        brut.sync();
        lu.CocheTout(PageFiche::Prive, false);
        // A fresh Reglages on the same file, read through the dialog.
        TSchOpt dialogue(lu);
        dialogue.Lit(Reglages(chemin));
        for (int c = 0; c <= BNotes; ++c)
            QCOMPARE(lu.IsFieldSearched(c),
                     c != Civil && Champs::Info(c).page != PageFiche::Professionnel);
        QVERIFY(!dialogue.Case(Civil)->isChecked());
    }
};

CARNET_TEST(TestTRecherche)
#include "TestTRecherche.moc"
