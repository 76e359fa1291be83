#include "FausseCible.h"
#include "Registre.h"
#include "search/OptionsRecherche.h"
#include "search/TBarreRecherche.h"
#include "search/TFind.h"
#include "settings/Reglages.h"

#include <QAbstractItemView>
#include <QPlainTextEdit>
#include <QTemporaryDir>

// The searchers' windows, the find dialog and the quick-search bar, in a main window.
class TestTRecherche : public QObject
{
    Q_OBJECT

    std::unique_ptr<FausseCible> m_cible;
    OptionsRecherche m_options;
    TFind* m_find = nullptr;
    TBarreRecherche* m_barre = nullptr;
    QTemporaryDir m_dossier;

    // A shown main window (with the record pages when asked) and either the find dialog
    // open or the bar holding the focus, with "Dupont", "Paris", a hole and "Martin" in
    // its history.
    void Prepare(bool barre, bool avecPages)
    {
        m_cible = std::make_unique<FausseCible>(avecPages);
        m_cible->Remplit(1, {{Nom, "Durand"}, {Ville, "Paris"}, {Notes, "Vu à Paris"}});
        m_cible->Remplit(2, {{Nom, "Dupont"}, {Ville, "Paris"}});
        if (barre) {
            m_barre = new TBarreRecherche(*m_cible, m_options);
            static_cast<QBoxLayout*>(m_cible->fenetre->layout())->insertWidget(0, m_barre);
            Reglages r(m_dossier.filePath(u"absent.ini"_s));
            for (auto [n, texte] : {std::pair(1, "Dupont"), {2, "Paris"}, {4, "Martin"}})
                r.WriteString(u"Recherches2"_s, u"Expression%1"_s.arg(n), QString::fromUtf8(texte));
            m_barre->Lit(r);
        } else {
            m_find = new TFind(*m_cible, m_options, m_cible->fenetre.get());
        }
        TMessage::ModeTest(true);
        m_cible->fenetre->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_cible->fenetre.get()));
        m_cible->fenetre->activateWindow();
        if (m_find)
            m_find->Ouvre();
        else
            m_barre->Edit()->setFocus();
        QVERIFY(!m_find || QTest::qWaitForWindowExposed(m_find));
    }
    QLineEdit* Ligne() { return (m_find ? m_find->Edit() : m_barre->Edit())->lineEdit(); }
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
    void cleanup()
    {
        m_cible.reset();
        m_find = nullptr;
        m_barre = nullptr;
        m_options = OptionsRecherche();
    }

    // Enter presses "Chercher"; typing alone searches nothing. After the last hit,
    // "Texte non trouvé." and the next search starts at the first record again.
    // Closing does the same, the text and the history staying.
    void suivantPuisTexteNonTrouve()
    {
        Prepare(false, false);
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(int(TMessage::Historique().size()), 0);
        QTest::keyClicks(Ligne(), u"paris"_s);
        QVERIFY(m_cible->allers.empty());
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 1));
        QCOMPARE(m_find->FindBtn()->text(), u"Suivant"_s);
        m_find->FindBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Notes, 1));
        m_find->FindBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 2));
        m_find->FindBtn()->click();
        QCOMPARE(NbMessages(), 1);
        QCOMPARE(m_cible->sablier, (std::vector<bool>{true, true, true}));
        QCOMPARE(m_find->FindBtn()->text(), u"Chercher"_s);
        QCOMPARE(Curseur(), Position(0, 1));
        m_find->FindBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 1));

        QTest::keyClick(Ligne(), Qt::Key_Escape);
        QVERIFY(!m_find->isVisible());
        QCOMPARE(Curseur(), Position(0, 1));
        m_find->Ouvre();
        QCOMPARE(Ligne()->text(), u"paris"_s);
        QCOMPARE(m_find->Histoire().Entrees().mid(0, 2), (QStringList{"paris", ""}));
    }

    // A full list takes "dup" at the top beside "Dupont"; 100 keys are written back.
    // Picking a line searches once, explicitly.
    void historiquePleine()
    {
        Prepare(false, false);
        Reglages r(m_dossier.filePath(u"find.ini"_s));
        for (int n = 1; n <= 30; ++n)
            r.WriteString(u"Recherches"_s, u"Expression%1"_s.arg(n),
                          n == 5 ? u"Dupont"_s : u"e%1"_s.arg(n));
        m_find->Lit(r);
        QTest::keyClicks(Ligne(), u"dup"_s);
        QCOMPARE(Ligne()->text(), u"dup"_s); // the dialog completes nothing
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(m_find->Histoire().Entree(5), u"Dupont"_s);
        QCOMPARE(m_find->Edit()->count(), 20);
        m_find->Ecrit(r);
        QCOMPARE(r.ReadString(u"Recherches"_s, u"Expression1"_s, {}), u"dup"_s);
        QCOMPARE(r.ReadString(u"Recherches"_s, u"Expression30"_s, u"?"_s), QString());

        Ligne()->clear();
        m_cible->allers.clear();
        QTest::keyClick(Ligne(), Qt::Key_Up); // the line above: no line is current
        QTest::keyClick(Ligne(), Qt::Key_Down);
        QCOMPARE(m_cible->allers, (std::vector<Position>{{Nom, 2}}));
        QTest::keyClick(Ligne(), Qt::Key_Down);
        QCOMPARE(NbMessages(), 1);
    }

    // On a record page each searched editor that matches shows its page, takes the
    // focus and has the first occurrence selected; on the list page only the cell moves.
    void montreSurLesPages()
    {
        Prepare(false, true);
        m_cible->Remplit(2, {{Civil, "Monsieur"}, {Nom, "Sieurac"}, {Banque, "Sieur"}});
        m_cible->Remplit(2, {{Notes, "Rappeler\r\nà Paris, monsieur"}});
        m_options.SetCoche(Banque, false);
        m_cible->onglets->setCurrentWidget(m_cible->Page(PageFiche::Banque));
        QTest::keyClicks(Ligne(), u"SIEUR"_s);
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 2));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->Page(PageFiche::Prive));
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
        Prepare(true, false);
        QCOMPARE(m_barre->Edit()->count(), 100);
        QTest::keyClick(Ligne(), Qt::Key_Return); // empty: nothing, and goes no further
        QCOMPARE(int(TMessage::Historique().size()), 0);
        QTest::keyClicks(Ligne(), u"du"_s);
        QCOMPARE(Ligne()->text(), u"Dupont"_s);
        QCOMPARE(Ligne()->selectedText(), u"pont"_s);
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 2));
        // The last text is the typed one, so the completed hit does not read "Suivant".
        QCOMPARE(m_barre->FindBtn2()->text(), u"Chercher"_s);
        QCOMPARE(m_barre->Histoire().Entree(2), QString()); // typing remembers nothing
        QTest::keyClick(Ligne(), Qt::Key_Backspace);
        QCOMPARE(Ligne()->text(), u"Du"_s);
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 1));
        QTest::keyClick(Ligne(), Qt::Key_P);
        QCOMPARE(Ligne()->selectedText(), u"ont"_s);
        QTest::keyClick(Ligne(), Qt::Key_Delete);
        QCOMPARE(Ligne()->text(), u"Dup"_s);
        QTest::keyClicks(Ligne(), u"zz"_s);
        QCOMPARE(NbMessages(), 0); // as-you-type is silent
        QCOMPARE(m_cible->touches, 0);
    }

    // Enter: an explicit search, remembered in the history and written back. Without
    // a hit the message comes back at every try, the cursor staying; "Précédent" too.
    void entreeEtTexteNonTrouve()
    {
        Prepare(true, false);
        QTest::keyClicks(Ligne(), u"vu"_s);
        QCOMPARE(m_cible->DernierAller(), Position(Notes, 1));
        QCOMPARE(m_barre->FindBtn2()->text(), u"Suivant"_s);
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(m_barre->Edit()->itemText(2), u"vu"_s);
        QCOMPARE(NbMessages(), 1);
        const Position avant = Curseur();
        QTest::keyClick(Ligne(), Qt::Key_Enter);
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
        Prepare(true, false);
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
        // Leaving a box whose text equals a line of the list is not a pick.
        m_barre->PrevBtn()->setFocus();
        QCOMPARE(NbMessages(), 1);
    }

    // On a record page the last searched matching editor's page is shown, nothing
    // selected, the box keeping the focus.
    void pagesFiche()
    {
        Prepare(true, true);
        m_cible->Remplit(2, {{SNotes, "Siège à Paris"}});
        m_cible->onglets->setCurrentWidget(m_cible->Page(PageFiche::Banque));
        QTest::keyClicks(Ligne(), u"Paris"_s);
        m_barre->FindBtn2()->click();
        m_barre->FindBtn2()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 2));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->Page(PageFiche::Professionnel));
        auto* memo = qobject_cast<QPlainTextEdit*>(m_cible->pages->Controle(SNotes));
        QVERIFY(!memo->textCursor().hasSelection());
        QCOMPARE(m_cible->fenetre->focusWidget(), m_barre->Edit());
        m_options.SetCoche(SNotes, false);
        m_barre->PrevBtn()->click();
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->Page(PageFiche::Prive));
    }
};

CARNET_TEST(TestTRecherche)
#include "TestTRecherche.moc"
