// The three record pages: layout, what they report while typing, characters that the
// file cannot hold, memo line breaks and F12.

#include "Registre.h"

#include "mainwindow/TPagesFiche.h"
#include "records/CodePage.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <memory>
#include <vector>

namespace
{
QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Types characters as a keyboard would (QTest::keyClicks only carries Latin-1).
void Tape(QWidget* w, const QString& texte)
{
    for (qsizetype i = 0; i < texte.size(); ++i) {
        QString c = texte.mid(i, 1);
        QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, c, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, c, Qt::NoModifier);
    }
}

// The widget that takes the keys of a control (the line edit inside the drop-down).
QWidget* Saisie(QWidget* controle)
{
    if (auto* c = qobject_cast<QComboBox*>(controle)) return c->lineEdit();
    return controle;
}

void CurseurAFin(QWidget* controle)
{
    if (auto* l = qobject_cast<QLineEdit*>(Saisie(controle))) l->end(false);
    if (auto* m = qobject_cast<QPlainTextEdit*>(controle)) m->moveCursor(QTextCursor::End);
}
} // namespace

class TestPagesFiche : public QObject
{
    Q_OBJECT

    struct Edition {
        int colonne;
        std::string texte;
    };
    std::unique_ptr<QTabWidget> m_onglets;
    TPagesFiche* m_pages = nullptr;
    std::vector<Edition> m_editions;
    QStringList m_refus;
    Repertoire m_rep;

private slots:
    void init()
    {
        m_onglets = std::make_unique<QTabWidget>();
        m_pages = new TPagesFiche(m_onglets.get());
        m_editions.clear();
        m_refus.clear();
        connect(m_pages, &TPagesFiche::ChampModifie, this, [this](int c, const std::string& t) {
            m_editions.push_back({c, t});
        });
        connect(m_pages, &TPagesFiche::CaractereRefuse, this,
                [this](const QString& c) { m_refus << c; });
        // A record with every field filled, its value naming its field.
        m_rep = Repertoire();
        for (int c = 0; c < NbColonnes - 1; ++c)
            m_rep.SetCellule(c, 1, std::string("v") + Champs::Info(c).cle);
        m_rep.SetCellule(Nom, 1, CodePage::Octets(U("Dupré")));
        m_rep.SetCellule(Notes, 1, "ligne 1\r\nligne 2");
        m_rep.AjouteFiche();
        m_rep.SetCellule(Nom, 2, "Martin");
        m_pages->MontreLigne(m_rep, 1);
    }

    void cleanup() { QToolTip::hideText(); }

    void geometrie()
    {
        // A sample of the layout; an empty name label keeps its laid-out size.
        m_pages->MontreLigne(Repertoire(), 1);
        QCOMPARE(m_pages->Controle(Nom)->geometry(), QRect(312, 24, 129, 21));
        QCOMPARE(m_pages->Controle(Cle)->geometry(), QRect(472, 316, 137, 21));
        QWidget* pro = m_pages->Page(PageFiche::Professionnel);
        QCOMPARE(pro->findChild<QWidget*>("LibelleNom")->geometry(), QRect(480, 64, 121, 57));
    }

    void ordreTabulation()
    {
        const QStringList ordre = QString("Civil Prenom Nom Adresse1 Adresse2 CP Ville Pays Tel "
                                          "Tel2 Portable Fax Internet Internet2 Internet3 Notes")
                                      .split(' ');
        m_onglets->show();
        QApplication::setActiveWindow(m_onglets.get());
        QVERIFY(QTest::qWaitForWindowActive(m_onglets.get()));
        m_pages->Controle(Civil)->setFocus(Qt::TabFocusReason);
        QStringList parcours;
        for (int i = 0; i < ordre.size(); ++i) {
            QWidget* f = QApplication::focusWidget();
            while (f && Champs::ColonneDeCle(qPrintable(f->objectName())) < 0)
                f = f->parentWidget();
            parcours << (f ? f->objectName() : QStringLiteral("?"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(parcours, ordre);
    }

    void montreLigneNeSignaleRien()
    {
        QCOMPARE(qobject_cast<QLineEdit*>(m_pages->Controle(Nom))->text(), U("Dupré"));
        for (int c = 0; c < NbColonnes - 1; ++c)
            QCOMPARE(m_pages->TexteControle(c), std::string(m_rep.Cellule(c, 1)));
        // Another record, then an out-of-range row: still nothing reported back.
        m_pages->MontreLigne(m_rep, 2);
        QCOMPARE(m_pages->TexteControle(Notes), std::string());
        m_pages->MontreLigne(m_rep, 99);
        QVERIFY(m_editions.empty());
    }

    void saisie_data()
    {
        QTest::addColumn<int>("colonne");
        QTest::addColumn<int>("maniere"); // 0 typed, 1 pasted, 2 composed by an input method
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QString>("refuse"); // empty when the text is taken
        QTest::newRow("line edit takes é€œ") << int(Ville) << 0 << U("é€œ") << QString();
        QTest::newRow("drop-down takes é€œ") << int(Civil) << 0 << U("é€œ") << QString();
        QTest::newRow("memo takes é€œ") << int(SNotes) << 0 << U("é€œ") << QString();
        QTest::newRow("Nom typed") << int(Nom) << 0 << U("ő") << U("ő");
        QTest::newRow("Civil composed") << int(Civil) << 2 << U("ő") << U("ő");
        QTest::newRow("Notes typed") << int(Notes) << 0 << U("ő") << U("ő");
        QTest::newRow("BNotes emoji composed") << int(BNotes) << 2 << U("😀") << U("😀");
        QTest::newRow("Adresse1 pasted mixed") << int(Adresse1) << 1 << U("rue → ici") << U("→");
        QTest::newRow("SNotes pasted mixed") << int(SNotes) << 1 << U("a\nb ő") << U("ő");
    }

    void saisie()
    {
        QFETCH(int, colonne);
        QFETCH(int, maniere);
        QFETCH(QString, saisie);
        QFETCH(QString, refuse);
        QWidget* w = m_pages->Controle(colonne);
        const std::string depart(m_rep.Cellule(colonne, 1));
        CurseurAFin(w);
        if (maniere == 1) {
            QApplication::clipboard()->setText(saisie);
            QTest::keySequence(Saisie(w), QKeySequence::Paste);
        } else if (maniere == 2) {
            QInputMethodEvent compose(saisie, {});
            QApplication::sendEvent(Saisie(w), &compose);
            QInputMethodEvent valide;
            valide.setCommitString(saisie);
            QApplication::sendEvent(Saisie(w), &valide);
        } else {
            Tape(Saisie(w), saisie);
        }
        if (refuse.isEmpty()) {
            // Each key is reported at once, in Windows-1252.
            QCOMPARE(m_editions.size(), size_t(3));
            QCOMPARE(m_editions[2].colonne, colonne);
            QCOMPARE(m_editions[2].texte, depart + "\xE9\x80\x9C");
            QVERIFY(m_refus.isEmpty());
            return;
        }
        // The whole text is refused: the control and the cell are untouched.
        QCOMPARE(m_pages->TexteControle(colonne), depart);
        QVERIFY(m_editions.empty());
        QCOMPARE(m_refus.value(0), refuse);
        QVERIFY(QToolTip::text().contains(refuse));
    }

    void memoEnCrLf()
    {
        auto* memo = qobject_cast<QPlainTextEdit*>(m_pages->Controle(Notes));
        QCOMPARE(m_pages->TexteControle(Notes), std::string("ligne 1\r\nligne 2"));
        memo->moveCursor(QTextCursor::End);
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, U("3"));
        QCOMPARE(m_editions.back().colonne, int(Notes));
        QCOMPARE(m_editions.back().texte, std::string("ligne 1\r\nligne 2\r\n3"));
        // Shift+Enter breaks the line too; it must also be stored as CR LF.
        QTest::keyClick(memo, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(m_editions.back().texte, std::string("ligne 1\r\nligne 2\r\n3\r\n"));
    }

    void chaqueOctetSurvitAUneEdition()
    {
        // Showing a field then editing it must give back every byte it held.
        std::string tous;
        for (int i = 1; i < 256; ++i)
            if (i != '\r' && i != '\n') tous.push_back(static_cast<char>(i));
        for (int colonne : {int(Ville), int(Notes)}) {
            m_rep.SetCellule(colonne, 1, tous);
            m_pages->MontreLigne(m_rep, 1);
            QWidget* controle = m_pages->Controle(colonne);
            CurseurAFin(controle);
            QTest::keyClick(controle, Qt::Key_X);
            QTest::keyClick(controle, Qt::Key_Backspace);
            QCOMPARE(m_editions.back().colonne, colonne);
            QCOMPARE(m_editions.back().texte, tous);
        }
    }

    void f12InsereLaDate_data()
    {
        QTest::addColumn<int>("ancre");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("attendu");
        QTest::addColumn<int>("curseur");
        QTest::newRow("caret in the middle") << 3 << 3 << U("abc05/03/2024def") << 13;
        QTest::newRow("selection") << 2 << 4 << U("ab05/03/2024cdef") << 12;
    }

    void f12InsereLaDate()
    {
        QFETCH(int, ancre);
        QFETCH(int, position);
        QFETCH(QString, attendu);
        QFETCH(int, curseur);
        m_pages->SetHorloge([] { return QDate(2024, 3, 5); });
        // Outside the notes F12 does nothing.
        QTest::keyClick(m_pages->Controle(Ville), Qt::Key_F12);
        QVERIFY(m_editions.empty());
        m_rep.SetCellule(SNotes, 1, "abcdef");
        m_pages->MontreLigne(m_rep, 1);
        auto* memo = qobject_cast<QPlainTextEdit*>(m_pages->Controle(SNotes));
        QTextCursor c = memo->textCursor();
        c.setPosition(ancre);
        c.setPosition(position, QTextCursor::KeepAnchor);
        memo->setTextCursor(c);
        QTest::keyClick(memo, Qt::Key_F12);
        QCOMPARE(memo->toPlainText(), attendu);
        QCOMPARE(memo->textCursor().position(), curseur);
        for (const Edition& e : m_editions)
            QCOMPARE(e.colonne, int(SNotes));
        QCOMPARE(m_editions.back().texte, CodePage::Octets(attendu));
        QCOMPARE(m_pages->TexteControle(Notes), std::string("ligne 1\r\nligne 2"));
    }
};

CARNET_TEST(TestPagesFiche)
#include "TestPagesFiche.moc"
