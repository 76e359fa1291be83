#include "FausseCible.h"
#include "Registre.h"
#include "mainwindow/TMessage.h"
#include "search/OptionsRecherche.h"
#include "search/TBarreRecherche.h"
#include "settings/Reglages.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace
{
using Position = std::pair<int, int>;

// Counts the keys that reach the main window.
class Espion : public QObject
{
public:
    int touches = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress) ++touches;
        return false;
    }
};

int NbMessages()
{
    int n = 0;
    for (const auto& t : TMessage::Historique())
        if (t.texte == QString::fromUtf8("Texte non trouvé.") &&
            t.titre == QStringLiteral("Information"))
            ++n;
    return n;
}
} // namespace

class TestTBarreRecherche : public QObject
{
    Q_OBJECT

    std::unique_ptr<FausseCible> m_cible;
    std::unique_ptr<OptionsRecherche> m_options;
    TBarreRecherche* m_barre = nullptr;
    QTemporaryDir m_dossier;
    Espion m_espion;

    // A main window holding the bar (and the record pages when asked), shown, with
    // "Dupont" and "Paris" in the history.
    void Prepare(bool avecPages)
    {
        m_cible = std::make_unique<FausseCible>(avecPages);
        m_options = std::make_unique<OptionsRecherche>();
        m_cible->Remplit(1, {{Nom, "Durand"}, {Ville, "Paris"}, {Notes, "Vu à Paris"}});
        m_cible->Remplit(2, {{Nom, "Dupont"}, {Ville, "Paris"}});
        m_barre = new TBarreRecherche(*m_cible, *m_options);
        static_cast<QBoxLayout*>(m_cible->fenetre->layout())->insertWidget(0, m_barre);
        const QString chemin = m_dossier.filePath(QStringLiteral("barre.ini"));
        {
            QSettings brut(chemin, QSettings::IniFormat);
            brut.clear();
            brut.setValue(QStringLiteral("Recherches2/Expression1"), QStringLiteral("Dupont"));
            brut.setValue(QStringLiteral("Recherches2/Expression2"), QStringLiteral("Paris"));
            brut.setValue(QStringLiteral("Recherches2/Expression4"), QStringLiteral("Martin"));
        }
        m_barre->Lit(Reglages(chemin));
        m_cible->fenetre->installEventFilter(&m_espion);
        m_espion.touches = 0;
        m_cible->fenetre->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_cible->fenetre.get()));
        m_cible->fenetre->activateWindow();
        m_barre->Edit()->setFocus();
    }
    QLineEdit* Ligne() { return m_barre->Edit()->lineEdit(); }
    bool FocusDansLaBoite()
    {
        QWidget* f = m_cible->fenetre->focusWidget();
        return f == m_barre->Edit() || f == Ligne();
    }
    // A click on a line of the open list.
    void ChoisitLigne(int i)
    {
        QComboBox* boite = m_barre->Edit();
        QAbstractItemView* vue = boite->view();
        boite->showPopup();
        QVERIFY(QTest::qWaitForWindowExposed(vue->window()));
        vue->scrollTo(vue->model()->index(i, 0));
        const QRect ligne = vue->visualRect(vue->model()->index(i, 0));
        QTest::mouseClick(vue->viewport(), Qt::LeftButton, {}, ligne.center());
    }

private slots:
    void init() { TMessage::ModeTest(true); }
    void cleanup()
    {
        m_cible.reset();
        m_barre = nullptr;
    }

    void etatInitial()
    {
        Prepare(false);
        QCOMPARE(m_barre->height(), 41);
        QCOMPARE(m_barre->Edit()->currentText(), QString());
        QCOMPARE(m_barre->Edit()->count(), 100);
        QCOMPARE(m_barre->Edit()->itemText(1), QStringLiteral("Paris"));
        QCOMPARE(m_barre->Edit()->itemText(2), QString());
        QVERIFY(!m_barre->FindBtn2()->isEnabled());
        QVERIFY(!m_barre->PrevBtn()->isEnabled());
        QCOMPARE(m_barre->FindBtn2()->text(), QStringLiteral("Chercher"));
        QCOMPARE(m_barre->PrevBtn()->text(), QString::fromUtf8("Précédent"));
        // Enter in an empty box does nothing, and goes no further.
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(int(TMessage::Historique().size()), 0);
        QVERIFY(m_cible->allers.empty());
        QCOMPARE(m_espion.touches, 0);
    }

    // "du" becomes "Dupont" with the typed part kept and the rest selected, and the
    // record followed is Dupont's, not Durand's.
    void completionPendantLaFrappe()
    {
        Prepare(false);
        QTest::keyClicks(Ligne(), QStringLiteral("du"));
        QCOMPARE(Ligne()->text(), QStringLiteral("Dupont"));
        QCOMPARE(Ligne()->selectedText(), QStringLiteral("pont"));
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 2));
        QCOMPARE(NbMessages(), 0);
        QVERIFY(m_barre->FindBtn2()->isEnabled());
        // The last text is the typed one, so the completed hit does not read "Suivant".
        QCOMPARE(m_barre->FindBtn2()->text(), QStringLiteral("Chercher"));
        QVERIFY(!m_barre->PrevBtn()->isEnabled());
        // Typing searches but remembers nothing.
        QCOMPARE(m_barre->Histoire().Entree(2), QString());

        // Backspace removes the completed part and is not completed again...
        m_cible->allers.clear();
        QTest::keyClick(Ligne(), Qt::Key_Backspace);
        QCOMPARE(Ligne()->text(), QStringLiteral("Du"));
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 1));
        // ... and the next letter is.
        QTest::keyClick(Ligne(), Qt::Key_P);
        QCOMPARE(Ligne()->text(), QStringLiteral("Dupont"));
        QCOMPARE(Ligne()->selectedText(), QStringLiteral("ont"));

        // Delete works like Backspace.
        QTest::keyClick(Ligne(), Qt::Key_Delete);
        QCOMPARE(Ligne()->text(), QStringLiteral("Dup"));
        QTest::keyClick(Ligne(), Qt::Key_Delete);
        QTest::keyClick(Ligne(), Qt::Key_Backspace);
        QCOMPARE(Ligne()->text(), QStringLiteral("Du"));
    }

    // As-you-type is silent when nothing is found, and waits for the window to show.
    void frappeSilencieuseEtFenetreCachee()
    {
        Prepare(false);
        QTest::keyClicks(Ligne(), QStringLiteral("zz"));
        QCOMPARE(NbMessages(), 0);
        QVERIFY(m_cible->allers.empty());
        QVERIFY(m_barre->FindBtn2()->isEnabled());

        m_cible->fenetre->hide();
        Ligne()->clear();
        QTest::keyClicks(Ligne(), QStringLiteral("pa"));
        QCOMPARE(Ligne()->text(), QStringLiteral("Paris"));
        QVERIFY(m_cible->allers.empty());
    }

    // Enter: an explicit search, remembered in the history, consumed. Without a hit
    // the message comes back at every try, the cursor staying where it was.
    void entreeEtTexteNonTrouve()
    {
        Prepare(false);
        QTest::keyClicks(Ligne(), QStringLiteral("vu"));
        QCOMPARE(m_cible->DernierAller(), Position(Notes, 1));
        QCOMPARE(m_barre->FindBtn2()->text(), QStringLiteral("Suivant"));
        QVERIFY(m_barre->PrevBtn()->isEnabled());

        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(m_barre->Histoire().Entree(2), QStringLiteral("vu"));
        QCOMPARE(m_barre->Edit()->itemText(2), QStringLiteral("vu"));
        QCOMPARE(Ligne()->text(), QStringLiteral("vu"));
        QCOMPARE(NbMessages(), 1);
        const Position curseur(m_barre->Etat().ColonneCurseur(), m_barre->Etat().LigneCurseur());
        QTest::keyClick(Ligne(), Qt::Key_Enter);
        m_barre->FindBtn2()->click();
        QCOMPARE(NbMessages(), 3);
        QCOMPARE(Position(m_barre->Etat().ColonneCurseur(), m_barre->Etat().LigneCurseur()),
                 curseur);
        QCOMPARE(m_barre->FindBtn2()->text(), QStringLiteral("Suivant"));
        QCOMPARE(m_espion.touches, 0);
        QCOMPARE(int(m_cible->allers.size()), 2); // "v", then "vu", as typed
        // The hourglass shows while the scans run, and is gone after each of them.
        QCOMPARE(m_cible->sablier, (std::vector<bool>{true, true}));
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // A new text starts from the first record again.
        QTest::keyClick(Ligne(), Qt::Key_Backspace);
        QCOMPARE(Ligne()->text(), QStringLiteral("v"));
        QCOMPARE(int(m_cible->allers.size()), 3);
        QCOMPARE(m_cible->DernierAller(), Position(Notes, 1));
    }

    void precedent()
    {
        Prepare(false);
        QTest::keyClicks(Ligne(), QStringLiteral("ri"));
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 1));
        m_barre->FindBtn2()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Notes, 1));
        m_barre->FindBtn2()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 2));
        m_barre->PrevBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 2));
        m_barre->PrevBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Notes, 1));
        m_barre->PrevBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 1));
        QCOMPARE(NbMessages(), 0);
        m_barre->PrevBtn()->click();
        QCOMPARE(NbMessages(), 1);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(m_cible->sablier.back());
        QCOMPARE(m_barre->FindBtn2()->text(), QStringLiteral("Suivant"));
        // "Précédent" inserts nothing; "Chercher" did.
        QCOMPARE(m_barre->Histoire().Entree(2), QStringLiteral("ri"));
        QCOMPARE(m_barre->Histoire().Entree(4), QString());
    }

    // A line picked from the list: one as-you-type scan, then one explicit scan that
    // goes on after its hit.
    void choixDUneLigne()
    {
        Prepare(false);
        ChoisitLigne(1);
        QCOMPARE(Ligne()->text(), QStringLiteral("Paris"));
        QCOMPARE(m_cible->allers, (std::vector<Position>{{Ville, 1}, {Notes, 1}}));
        QCOMPARE(NbMessages(), 0);
        QCOMPARE(m_barre->FindBtn2()->text(), QStringLiteral("Suivant"));

        // The keyboard picks too: "Dupont" on the line above.
        m_cible->allers.clear();
        QTest::keyClick(Ligne(), Qt::Key_Up);
        QCOMPARE(Ligne()->text(), QStringLiteral("Dupont"));
        QCOMPARE(m_cible->allers, (std::vector<Position>{{Nom, 2}}));
        QCOMPARE(NbMessages(), 1);

        // An empty line: silent as-you-type scan, then one "Texte non trouvé.".
        m_cible->allers.clear();
        TMessage::ModeTest(true);
        ChoisitLigne(2);
        QCOMPARE(Ligne()->text(), QString());
        QVERIFY(m_cible->allers.empty());
        QCOMPARE(NbMessages(), 1);
        QVERIFY(!m_barre->FindBtn2()->isEnabled());
    }

    // A picked line is searched as it is, even when a longer entry above begins with it.
    void choixSansCompletion()
    {
        Prepare(false);
        const QString chemin = m_dossier.filePath(QStringLiteral("longue.ini"));
        {
            QSettings brut(chemin, QSettings::IniFormat);
            brut.setValue(QStringLiteral("Recherches2/Expression1"), QStringLiteral("Dupontel"));
            brut.setValue(QStringLiteral("Recherches2/Expression2"), QStringLiteral("Dupont"));
        }
        m_barre->Lit(Reglages(chemin));
        QCOMPARE(m_barre->Edit()->itemText(3), QString());
        ChoisitLigne(1);
        QCOMPARE(Ligne()->text(), QStringLiteral("Dupont"));
        QCOMPARE(m_cible->allers, (std::vector<Position>{{Nom, 2}}));
        QCOMPARE(NbMessages(), 1); // the explicit search, after the as-you-type hit
    }

    // Leaving a box whose text equals a line of the list is not a pick.
    void sortieSansRecherche()
    {
        Prepare(false);
        QTest::keyClicks(Ligne(), QStringLiteral("Paris"));
        const size_t avant = m_cible->allers.size();
        m_barre->FindBtn2()->setFocus();
        m_barre->Edit()->setFocus();
        m_barre->PrevBtn()->setFocus();
        QCOMPARE(m_cible->allers.size(), avant);
        QCOMPARE(NbMessages(), 0);
        QCOMPARE(m_barre->Histoire().Entree(2), QString());
    }

    // On the list page a hit only moves the grid's cell.
    void pageListe()
    {
        Prepare(true);
        m_cible->onglets->setCurrentWidget(m_cible->listePage);
        QTest::keyClicks(Ligne(), QStringLiteral("vu"));
        QCOMPARE(m_cible->DernierAller(), Position(Notes, 1));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->listePage);
    }

    // On a record page the last matching editor's page is shown; nothing is selected
    // and the box keeps the focus.
    void pagesFiche()
    {
        Prepare(true);
        m_cible->Remplit(2, {{SNotes, "Siège à Paris"}, {Civil, "Madame"}});
        m_cible->onglets->setCurrentWidget(m_cible->pages->Page(PageFiche::Banque));
        m_barre->FindBtn2()->setFocus();
        m_barre->Edit()->setFocus();
        QTest::keyClicks(Ligne(), QStringLiteral("pont"));
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 2));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->pages->Page(PageFiche::Prive));
        QVERIFY(FocusDansLaBoite());

        // Paris in Ville (Privé) and in SNotes (Professionnel): the later one wins.
        Ligne()->clear();
        QTest::keyClicks(Ligne(), QStringLiteral("Paris"));
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 1));
        m_barre->FindBtn2()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Notes, 1));
        m_barre->FindBtn2()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 2));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->pages->Page(PageFiche::Professionnel));
        auto* memo = qobject_cast<QPlainTextEdit*>(m_cible->pages->Controle(SNotes));
        QVERIFY(memo);
        QVERIFY(!memo->textCursor().hasSelection());
        QVERIFY(FocusDansLaBoite());

        // A field left out of the search does not choose the page.
        m_options->SetCoche(SNotes, false);
        m_barre->PrevBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 2));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->pages->Page(PageFiche::Prive));

        // The civility box alone still shows its page.
        m_cible->onglets->setCurrentWidget(m_cible->pages->Page(PageFiche::Banque));
        Ligne()->clear();
        QTest::keyClicks(Ligne(), QStringLiteral("madame"));
        QCOMPARE(m_cible->DernierAller(), Position(Civil, 2));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->pages->Page(PageFiche::Prive));
    }

    // The 100 lines go back to "Recherches2", the empty ones included.
    void ecritureDesReglages()
    {
        Prepare(false);
        QTest::keyClicks(Ligne(), QStringLiteral("vu"));
        QTest::keyClick(Ligne(), Qt::Key_Return);
        const QString chemin = m_dossier.filePath(QStringLiteral("ecrit.ini"));
        {
            Reglages r(chemin);
            m_barre->Ecrit(r);
            QVERIFY(r.Enregistre());
        }
        QSettings brut(chemin, QSettings::IniFormat);
        brut.beginGroup(QStringLiteral("Recherches2"));
        QCOMPARE(brut.childKeys().size(), 100);
        QCOMPARE(brut.value(QStringLiteral("Expression1")).toString(), QStringLiteral("Dupont"));
        QCOMPARE(brut.value(QStringLiteral("Expression3")).toString(), QStringLiteral("vu"));
        QCOMPARE(brut.value(QStringLiteral("Expression4")).toString(), QStringLiteral("Martin"));
        QCOMPARE(brut.value(QStringLiteral("Expression100")).toString(), QString());
    }
};

CARNET_TEST(TestTBarreRecherche)
#include "TestTBarreRecherche.moc"
