#include "FausseCible.h"
#include "Registre.h"
#include "mainwindow/TMessage.h"
#include "search/OptionsRecherche.h"
#include "search/TFind.h"
#include "settings/Reglages.h"

#include <QApplication>
#include <QComboBox>
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

class TestTFind : public QObject
{
    Q_OBJECT

    std::unique_ptr<FausseCible> m_cible;
    std::unique_ptr<OptionsRecherche> m_options;
    TFind* m_find = nullptr;
    QTemporaryDir m_dossier;

    void Prepare(bool avecPages)
    {
        m_cible = std::make_unique<FausseCible>(avecPages);
        m_options = std::make_unique<OptionsRecherche>();
        m_cible->Remplit(1, {{Nom, "Durand"}, {Ville, "Paris"}});
        m_cible->Remplit(2, {{Nom, "Dupont"}, {Ville, "Paris"}});
        m_find = new TFind(*m_cible, *m_options, m_cible->fenetre.get());
        m_cible->fenetre->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_cible->fenetre.get()));
        m_find->Ouvre();
        QVERIFY(QTest::qWaitForWindowExposed(m_find));
    }
    QLineEdit* Ligne() { return m_find->Edit()->lineEdit(); }
    Position Curseur() const
    {
        return {m_find->Etat().ColonneCurseur(), m_find->Etat().LigneCurseur()};
    }

private slots:
    void init() { TMessage::ModeTest(true); }
    void cleanup()
    {
        m_cible.reset();
        m_find = nullptr;
    }

    void etatInitial()
    {
        Prepare(false);
        QCOMPARE(m_find->windowTitle(), QStringLiteral("Chercher :"));
        QVERIFY(!m_find->isModal());
        QVERIFY(m_find->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(m_find->parentWidget(), m_cible->fenetre.get());
        QCOMPARE(m_find->Edit()->count(), 20);
        QVERIFY(m_find->FindBtn()->isDefault());
        QVERIFY(!m_find->FindBtn()->isEnabled());
        QCOMPARE(m_find->CancelBtn()->text(), QStringLiteral("Annuler"));
        // Enter with an empty text: the button is disabled, nothing happens.
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(int(TMessage::Historique().size()), 0);
        QVERIFY(m_find->isVisible());
    }

    // Enter presses "Chercher"; typing alone searches nothing. After the last hit,
    // "Texte non trouvé." and the next search starts at the first record again.
    void suivantPuisTexteNonTrouve()
    {
        Prepare(false);
        QTest::keyClicks(Ligne(), QStringLiteral("paris"));
        QVERIFY(m_find->FindBtn()->isEnabled());
        QVERIFY(m_cible->allers.empty());
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 1));
        QCOMPARE(m_find->FindBtn()->text(), QStringLiteral("Suivant"));
        QCOMPARE(m_find->Histoire().Entree(0), QStringLiteral("paris"));
        QCOMPARE(m_find->Edit()->itemText(0), QStringLiteral("paris"));
        QCOMPARE(Ligne()->text(), QStringLiteral("paris"));
        m_find->FindBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 2));
        QCOMPARE(NbMessages(), 0);
        m_find->FindBtn()->click();
        QCOMPARE(NbMessages(), 1);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(m_cible->sablier, (std::vector<bool>{true, true}));
        QCOMPARE(m_find->FindBtn()->text(), QStringLiteral("Chercher"));
        QCOMPARE(Curseur(), Position(0, 1));
        m_find->FindBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 1));
        QCOMPARE(m_find->Histoire().Entree(1), QString()); // the same text once
    }

    // Closing in any way starts the next search over; the text and the history stay.
    void fermeture()
    {
        Prepare(false);
        QTest::keyClicks(Ligne(), QStringLiteral("paris"));
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(m_find->FindBtn()->text(), QStringLiteral("Suivant"));
        QTest::keyClick(Ligne(), Qt::Key_Escape);
        QVERIFY(!m_find->isVisible());
        QCOMPARE(m_find->FindBtn()->text(), QStringLiteral("Chercher"));
        QCOMPARE(Curseur(), Position(0, 1));

        m_find->Ouvre();
        QCOMPARE(Ligne()->text(), QStringLiteral("paris"));
        QCOMPARE(m_find->Histoire().Entree(0), QStringLiteral("paris"));
        m_find->FindBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 1));

        m_find->CancelBtn()->click();
        QVERIFY(!m_find->isVisible());
        QCOMPARE(Curseur(), Position(0, 1));
        m_find->Ouvre();
        m_find->close();
        QVERIFY(!m_find->isVisible());
        QCOMPARE(m_find->FindBtn()->text(), QStringLiteral("Chercher"));
    }

    // A full list takes a new entry at the top; "dup" goes in beside "Dupont".
    void historiquePleine()
    {
        Prepare(false);
        const QString chemin = m_dossier.filePath(QStringLiteral("find.ini"));
        {
            QSettings brut(chemin, QSettings::IniFormat);
            for (int n = 1; n <= 30; ++n)
                brut.setValue(QStringLiteral("Recherches/Expression%1").arg(n),
                              n == 5 ? QStringLiteral("Dupont") : QStringLiteral("e%1").arg(n));
        }
        m_find->Lit(Reglages(chemin));
        QCOMPARE(m_find->Edit()->count(), 20);
        QCOMPARE(m_find->Edit()->itemText(19), QStringLiteral("e20"));
        QCOMPARE(Ligne()->text(), QString());

        QTest::keyClicks(Ligne(), QStringLiteral("dup"));
        QCOMPARE(Ligne()->text(), QStringLiteral("dup")); // the dialog completes nothing
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 2));
        QCOMPARE(m_find->Histoire().Entree(0), QStringLiteral("dup"));
        QCOMPARE(m_find->Histoire().Entree(5), QStringLiteral("Dupont"));
        QCOMPARE(m_find->Histoire().Entree(19), QStringLiteral("e19"));
        QCOMPARE(m_find->Edit()->count(), 20);

        const QString ecrit = m_dossier.filePath(QStringLiteral("find-ecrit.ini"));
        {
            Reglages r(ecrit);
            m_find->Ecrit(r);
            QVERIFY(r.Enregistre());
        }
        QSettings relu(ecrit, QSettings::IniFormat);
        relu.beginGroup(QStringLiteral("Recherches"));
        QCOMPARE(relu.childKeys().size(), 100);
        QCOMPARE(relu.value(QStringLiteral("Expression1")).toString(), QStringLiteral("dup"));
        QCOMPARE(relu.value(QStringLiteral("Expression20")).toString(), QStringLiteral("e19"));
        QCOMPARE(relu.value(QStringLiteral("Expression21")).toString(), QString());
        QCOMPARE(relu.value(QStringLiteral("Expression100")).toString(), QString());
    }

    // Picking a line searches once; an empty line says "Texte non trouvé.".
    void choixDUneLigne()
    {
        Prepare(false);
        QTest::keyClicks(Ligne(), QStringLiteral("Dupont"));
        QTest::keyClick(Ligne(), Qt::Key_Return);
        Ligne()->clear();
        m_cible->allers.clear();
        QTest::keyClick(Ligne(), Qt::Key_Up); // the line above: no line is current
        QTest::keyClick(Ligne(), Qt::Key_Down);
        QCOMPARE(Ligne()->text(), QStringLiteral("Dupont"));
        QCOMPARE(m_cible->allers, (std::vector<Position>{{Nom, 2}}));
        QCOMPARE(m_find->FindBtn()->text(), QStringLiteral("Suivant"));
        QTest::keyClick(Ligne(), Qt::Key_Down);
        QCOMPARE(Ligne()->text(), QString());
        QCOMPARE(NbMessages(), 1);
        QCOMPARE(int(m_cible->allers.size()), 1);
        QVERIFY(!m_find->FindBtn()->isEnabled());
    }

    // On a record page: each matching editor in turn shows its page, takes the focus
    // and has the first occurrence selected; the civility box only gets the selection.
    void montreSurLesPages()
    {
        Prepare(true);
        m_cible->Remplit(2, {{Civil, "Monsieur"},
                             {Nom, "Sieurac"},
                             {Notes, "Rappeler\r\nà Paris, monsieur"},
                             {Banque, "Paris"}});
        m_options->SetCoche(Banque, false);
        m_cible->onglets->setCurrentWidget(m_cible->pages->Page(PageFiche::Banque));
        QTest::keyClicks(Ligne(), QStringLiteral("SIEUR"));
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 2));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->pages->Page(PageFiche::Prive));
        auto* memo = qobject_cast<QPlainTextEdit*>(m_cible->pages->Controle(Notes));
        QVERIFY(memo);
        QCOMPARE(m_cible->fenetre->focusWidget(), static_cast<QWidget*>(memo));
        // The CR LF of the cell is one character in the memo.
        QCOMPARE(memo->textCursor().selectionStart(), 21);
        QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("sieur"));
        auto* civilite = qobject_cast<QComboBox*>(m_cible->pages->Controle(Civil));
        QVERIFY(civilite);
        QCOMPARE(civilite->lineEdit()->selectedText(), QStringLiteral("sieur"));

        // Only the civility matches: its page is shown all the same.
        m_find->FindBtn()->click(); // the civility of record 2
        QCOMPARE(m_cible->DernierAller(), Position(Civil, 2));
        m_find->FindBtn()->click(); // its notes
        m_cible->onglets->setCurrentWidget(m_cible->pages->Page(PageFiche::Banque));
        m_cible->Remplit(1, {{Civil, "Monsieur"}});
        m_find->FindBtn()->click();
        QCOMPARE(NbMessages(), 1);
        m_find->FindBtn()->click();
        QCOMPARE(m_cible->DernierAller(), Position(Civil, 1));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->pages->Page(PageFiche::Prive));

        // A field left out of the search gets nothing: "Paris" shows in Ville only.
        Ligne()->clear();
        QTest::keyClicks(Ligne(), QStringLiteral("paris"));
        m_find->FindBtn()->click(); // record 1
        m_find->FindBtn()->click(); // record 2
        QCOMPARE(m_cible->DernierAller(), Position(Ville, 2));
        QCOMPARE(m_cible->fenetre->focusWidget(), m_cible->pages->Controle(Notes));
        QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("Paris"));
        auto* banque = qobject_cast<QLineEdit*>(m_cible->pages->Controle(Banque));
        QVERIFY(banque && !banque->hasSelectedText());
    }

    // On the list page the grid's cell moves and nothing else.
    void pageListe()
    {
        Prepare(true);
        m_cible->onglets->setCurrentWidget(m_cible->listePage);
        QTest::keyClicks(Ligne(), QStringLiteral("pont"));
        QTest::keyClick(Ligne(), Qt::Key_Return);
        QCOMPARE(m_cible->DernierAller(), Position(Nom, 2));
        QCOMPARE(m_cible->onglets->currentWidget(), m_cible->listePage);
        QVERIFY(m_find->isVisible());
    }
};

CARNET_TEST(TestTFind)
#include "TestTFind.moc"
