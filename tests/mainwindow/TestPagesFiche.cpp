#include "Registre.h"

#include "mainwindow/TCadrePhoto.h"
#include "mainwindow/TPagesFiche.h"
#include "records/CodePage.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QToolTip>
#include <memory>
#include <vector>

namespace
{

std::string Cp(const char* utf8)
{
    return CodePage::Octets(QString::fromUtf8(utf8));
}

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// A record with every field filled, its value naming its field.
Repertoire LivreExemple()
{
    Repertoire rep;
    for (int c = 0; c < NbColonnes - 1; ++c)
        rep.SetCellule(c, 1, std::string("v") + Champs::Info(c).cle);
    rep.SetCellule(Nom, 1, Cp("Dupré"));
    rep.SetCellule(Prenom, 1, Cp("Hélène"));
    rep.SetCellule(Societe, 1, "ACME");
    rep.SetCellule(Fonction, 1, "Directrice");
    rep.SetCellule(Notes, 1, "ligne 1\r\nligne 2");
    rep.AjouteFiche();
    rep.SetCellule(Nom, 2, "Martin");
    return rep;
}

struct Edition {
    int colonne;
    std::string texte;
};

// Types one character as a keyboard would, whatever the character (QTest::keyClicks
// only carries Latin-1).
void Tape(QWidget* w, const QString& texte)
{
    for (qsizetype i = 0; i < texte.size(); ++i) {
        QString c = texte.mid(i, 1);
        if (texte.at(i).isHighSurrogate() && i + 1 < texte.size()) c = texte.mid(i++, 2);
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

QString TexteAffiche(QWidget* controle)
{
    if (auto* l = qobject_cast<QLineEdit*>(controle)) return l->text();
    if (auto* c = qobject_cast<QComboBox*>(controle)) return c->currentText();
    if (auto* m = qobject_cast<QPlainTextEdit*>(controle)) return m->toPlainText();
    return {};
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
        m_rep = LivreExemple();
        m_pages->MontreLigne(m_rep, 1);
    }

    void cleanup()
    {
        QToolTip::hideText();
        m_onglets.reset();
    }

    void troisPagesDansLOrdre()
    {
        QCOMPARE(m_onglets->count(), 3);
        QCOMPARE(m_onglets->tabText(0), U("Privé"));
        QCOMPARE(m_onglets->tabText(1), U("Professionnel"));
        QCOMPARE(m_onglets->tabText(2), U("Banque"));
        for (int c = 0; c < NbColonnes - 1; ++c) {
            QWidget* w = m_pages->Controle(c);
            QVERIFY2(w, Champs::Info(c).cle);
            QCOMPARE(w->objectName(), QString::fromLatin1(Champs::Info(c).cle));
            QCOMPARE(w->parentWidget(), m_pages->Page(Champs::Info(c).page));
        }
        QCOMPARE(m_pages->Controle(Photo), nullptr);
        QCOMPARE(m_pages->Controle(-1), nullptr);
    }

    void geometrie_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("quoi"); // a field key, a caption in quotes, or a name label
        QTest::addColumn<QRect>("attendu");
        auto ligne = [](const char* nom, int page, const char* quoi, int x, int y, int l, int h) {
            QTest::newRow(nom) << page << U(quoi) << QRect(x, y, l, h);
        };
        ligne("Privé Civilité caption", 0, "\"Civilité\"", 16, 8, 39, 13);
        ligne("Privé Civil", 0, "Civil", 16, 24, 137, 21);
        ligne("Privé Nom", 0, "Nom", 312, 24, 129, 21);
        ligne("Privé photo", 0, "Photo", 472, 8, 137, 137);
        ligne("Privé company line", 0, "LigneSociete", 168, 47, 188, 13);
        ligne("Privé Adresse caption", 0, "\"Adresse (1° ligne)\"", 16, 56, 101, 13);
        ligne("Privé CP", 0, "CP", 16, 168, 65, 21);
        ligne("Privé Notes", 0, "Notes", 224, 215, 217, 122);
        ligne("Privé Internet3", 0, "Internet3", 16, 316, 185, 21);
        ligne("Privé Fax caption", 0, "\"Fax\"", 472, 300, 21, 13);
        ligne("Privé Fax", 0, "Fax", 472, 316, 137, 21);
        ligne("Pro Société caption", 1, "\"Société\"", 16, 8, 44, 13);
        ligne("Pro Societe", 1, "Societe", 16, 24, 193, 21);
        ligne("Pro Fonction", 1, "Fonction", 224, 24, 217, 21);
        ligne("Pro name Prenom", 1, "LibellePrenom", 480, 40, 36, 22);
        ligne("Pro name Nom", 1, "LibelleNom", 480, 64, 121, 57);
        ligne("Pro SNotes", 1, "SNotes", 224, 215, 217, 122);
        ligne("Pro SPortable", 1, "SPortable", 472, 264, 137, 21);
        ligne("Pro Tél 2 caption", 1, "\"Tél 2\"", 472, 200, 30, 13);
        ligne("Banque Banque", 2, "Banque", 16, 24, 425, 21);
        ligne("Banque name Societe", 2, "LibelleSociete", 480, 16, 121, 49);
        ligne("Banque name Prenom", 2, "LibellePrenom", 480, 72, 31, 19);
        ligne("Banque name Nom", 2, "LibelleNom", 480, 96, 121, 49);
        ligne("Banque Etablissement caption", 2, "\"Etablissement\"", 472, 152, 79, 13);
        ligne("Banque Tél caption", 2, "\"Tél\"", 16, 200, 19, 13);
        ligne("Banque BTel", 2, "BTel", 16, 216, 137, 21);
        ligne("Banque Fax caption", 2, "\"Fax\"", 16, 244, 21, 13);
        ligne("Banque BFax", 2, "BFax", 16, 260, 137, 21);
        ligne("Banque Compte", 2, "Compte", 472, 264, 137, 21);
        ligne("Banque Clé caption", 2, "\"Clé\"", 472, 300, 19, 13);
        ligne("Banque Cle", 2, "Cle", 472, 316, 137, 21);
        ligne("Banque BInternet", 2, "BInternet", 16, 316, 185, 21);
    }

    void geometrie()
    {
        QFETCH(int, page);
        QFETCH(QString, quoi);
        QFETCH(QRect, attendu);
        // Name labels take their size from the design when they show nothing.
        m_pages->MontreLigne(Repertoire(), 1);
        QWidget* p = m_pages->Page(static_cast<PageFiche>(page));
        QWidget* trouve = nullptr;
        if (quoi.startsWith(u'"')) {
            const QString texte = quoi.mid(1, quoi.size() - 2);
            for (QLabel* l : p->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
                if (l->text() == texte) trouve = l;
        } else {
            trouve = p->findChild<QWidget*>(quoi, Qt::FindDirectChildrenOnly);
        }
        QVERIFY2(trouve, qPrintable(quoi));
        QCOMPARE(trouve->geometry(), attendu);
    }

    void aucuneLegendeTronquee()
    {
        for (int i = 0; i < 3; ++i)
            for (QLabel* l : m_pages->Page(static_cast<PageFiche>(i))
                                 ->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
                if (l->text().isEmpty() || !l->objectName().isEmpty()) continue;
                QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width() &&
                             l->fontMetrics().height() <= l->height(),
                         qPrintable(l->text()));
            }
    }

    void ordreTabulation_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("ordre");
        QTest::newRow("Privé") << 0 << QStringList{"Civil",    "Prenom",    "Nom",       "Adresse1",
                                                   "Adresse2", "CP",        "Ville",     "Pays",
                                                   "Tel",      "Tel2",      "Portable",  "Fax",
                                                   "Internet", "Internet2", "Internet3", "Notes"};
        QTest::newRow("Professionnel")
            << 1 << QStringList{"Societe", "Fonction",  "SAdresse1",  "SAdresse2",  "SCP",
                                "SVille",  "SPays",     "STel",       "STel2",      "SPortable",
                                "SFax",    "SInternet", "SInternet2", "SInternet3", "SNotes"};
        QTest::newRow("Banque") << 2
                                << QStringList{"Banque",    "BAdresse1", "BAdresse2",     "BCP",
                                               "BVille",    "BPays",     "Etablissement", "Guichet",
                                               "Compte",    "Cle",       "BTel",          "BFax",
                                               "BInternet", "BNotes"};
    }

    void ordreTabulation()
    {
        QFETCH(int, page);
        QFETCH(QStringList, ordre);
        m_onglets->setCurrentIndex(page);
        m_onglets->show();
        QApplication::setActiveWindow(m_onglets.get());
        QVERIFY(QTest::qWaitForWindowActive(m_onglets.get()));
        QWidget* premier = m_pages->Controle(Champs::ColonneDeCle(qPrintable(ordre.first())));
        premier->setFocus(Qt::TabFocusReason);
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

    void apparenceDesChamps()
    {
        auto* civil = qobject_cast<QComboBox*>(m_pages->Controle(Civil));
        QVERIFY(civil && civil->isEditable());
        QCOMPARE(civil->count(), 19);
        QCOMPARE(civil->itemText(0), U("Monsieur"));
        QCOMPARE(civil->itemText(6), U("Maître"));
        QCOMPARE(civil->itemText(18), U("Sa Sainteté"));
        for (int c : {Nom, Tel, Internet})
            QVERIFY2(m_pages->Controle(c)->font().bold(), Champs::Info(c).cle);
        for (int c : {Prenom, Tel2, Internet2, SInternet})
            QVERIFY2(!m_pages->Controle(c)->font().bold(), Champs::Info(c).cle);
        auto fond = [this](int c) { return m_pages->Controle(c)->palette().color(QPalette::Base); };
        QCOMPARE(fond(Nom), QColor(206, 255, 255));
        QCOMPARE(fond(Civil), QColor(206, 255, 255));
        QCOMPARE(fond(Cle), QColor(206, 255, 255));
        QCOMPARE(fond(SVille), QColor(168, 255, 211));
        QCOMPARE(fond(BInternet), QColor(255, 206, 206));
        QCOMPARE(fond(STel2), QToolTip::palette().color(QPalette::ToolTipBase));
        QCOMPARE(m_pages->Controle(SFax)->toolTip(), U("Clic droit pour numéroter"));
        QCOMPARE(m_pages->Controle(Internet3)->toolTip(),
                 U("Clic droit pour envoyer un message !"));
        QCOMPARE(m_pages->Controle(BNotes)->toolTip(), U("Tapez F12 pour insérer la date"));
        QCOMPARE(m_pages->CadrePhoto()->toolTip(),
                 U("Clic droit pour charger ou effacer une photo"));
        auto* cadre = qobject_cast<TCadrePhoto*>(m_pages->CadrePhoto());
        QVERIFY(cadre);
        QCOMPARE(cadre->Legende(), U("Photo"));
    }

    void montreLigneNeSignaleRien()
    {
        QVERIFY(m_editions.empty());
        QCOMPARE(TexteAffiche(m_pages->Controle(Nom)), U("Dupré"));
        QCOMPARE(TexteAffiche(m_pages->Controle(Civil)), U("vCivil"));
        QCOMPARE(TexteAffiche(m_pages->Controle(BNotes)), U("vBNotes"));
        for (int c = 0; c < NbColonnes - 1; ++c)
            QCOMPARE(m_pages->TexteControle(c), std::string(m_rep.Cellule(c, 1)));
        // Another record, then an out-of-range row: still nothing reported back.
        m_pages->MontreLigne(m_rep, 2);
        QCOMPARE(TexteAffiche(m_pages->Controle(Nom)), U("Martin"));
        QCOMPARE(TexteAffiche(m_pages->Controle(Civil)), QString());
        QCOMPARE(TexteAffiche(m_pages->Controle(Notes)), QString());
        m_pages->MontreLigne(m_rep, 99);
        QVERIFY(m_editions.empty());
    }

    void saisieSignaleChaqueTouche_data()
    {
        QTest::addColumn<int>("colonne");
        QTest::newRow("line edit") << int(Ville);
        QTest::newRow("drop-down") << int(Civil);
        QTest::newRow("memo") << int(SNotes);
    }

    void saisieSignaleChaqueTouche()
    {
        QFETCH(int, colonne);
        QWidget* w = m_pages->Controle(colonne);
        CurseurAFin(w);
        Tape(Saisie(w), U("é€œ"));
        QCOMPARE(m_editions.size(), size_t(3));
        const std::string depart(m_rep.Cellule(colonne, 1));
        QCOMPARE(m_editions[0].colonne, colonne);
        QCOMPARE(m_editions[0].texte, depart + "\xE9");
        QCOMPARE(m_editions[2].texte, depart + "\xE9\x80\x9C");
        QVERIFY(m_refus.isEmpty());
    }

    void choixDansLaListe()
    {
        auto* civil = qobject_cast<QComboBox*>(m_pages->Controle(Civil));
        civil->setCurrentIndex(6);
        QCOMPARE(m_editions.size(), size_t(1));
        QCOMPARE(m_editions[0].colonne, int(Civil));
        QCOMPARE(m_editions[0].texte, Cp("Maître"));
        // A civility that is not in the list is kept as typed.
        civil->lineEdit()->selectAll();
        QTest::keyClicks(civil->lineEdit(), U("Capitaine"));
        QCOMPARE(m_editions.back().texte, std::string("Capitaine"));
        QCOMPARE(civil->count(), 19);
    }

    void caractereRefuse_data()
    {
        QTest::addColumn<int>("colonne");
        QTest::addColumn<int>("maniere"); // 0 typed, 1 pasted, 2 composed by an input method
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QString>("refuse");
        const QString o = U("ő");
        const QString emoji = U("😀");
        const char* manieres[] = {"typed", "pasted", "composed"};
        for (int m = 0; m < 3; ++m) {
            QTest::addRow("Nom %s", manieres[m]) << int(Nom) << m << o << o;
            QTest::addRow("Civil %s", manieres[m]) << int(Civil) << m << o << o;
            QTest::addRow("Notes %s", manieres[m]) << int(Notes) << m << o << o;
            QTest::addRow("BNotes emoji %s", manieres[m]) << int(BNotes) << m << emoji << emoji;
        }
        QTest::newRow("Adresse1 pasted mixed") << int(Adresse1) << 1 << U("rue → ici") << U("→");
        QTest::newRow("SNotes pasted mixed") << int(SNotes) << 1 << U("a\nb ő") << o;
    }

    void caractereRefuse()
    {
        QFETCH(int, colonne);
        QFETCH(int, maniere);
        QFETCH(QString, saisie);
        QFETCH(QString, refuse);
        QWidget* w = m_pages->Controle(colonne);
        const QString avant = TexteAffiche(w);
        CurseurAFin(w);
        if (maniere == 1) {
            QApplication::clipboard()->setText(saisie);
            if (auto* l = qobject_cast<QLineEdit*>(Saisie(w)))
                l->paste();
            else
                qobject_cast<QPlainTextEdit*>(w)->paste();
        } else if (maniere == 2) {
            QInputMethodEvent compose(saisie, {});
            QApplication::sendEvent(Saisie(w), &compose);
            QInputMethodEvent valide;
            valide.setCommitString(saisie);
            QApplication::sendEvent(Saisie(w), &valide);
        } else {
            Tape(Saisie(w), saisie);
        }
        QCOMPARE(TexteAffiche(w), avant);
        QCOMPARE(m_pages->TexteControle(colonne), std::string(m_rep.Cellule(colonne, 1)));
        QVERIFY(m_editions.empty());
        QVERIFY(!m_refus.isEmpty());
        QCOMPARE(m_refus.first(), refuse);
        QVERIFY(QToolTip::text().contains(refuse));
    }

    void collerPlusieursLignesDansUnChampSimple()
    {
        auto* l = qobject_cast<QLineEdit*>(m_pages->Controle(Adresse2));
        l->clear();
        m_editions.clear();
        QApplication::clipboard()->setText(U("12 rue Haute\r\nBât B\nEsc. 2"));
        l->paste();
        QCOMPARE(m_editions.back().texte, Cp("12 rue Haute Bât B Esc. 2"));
    }

    void memoEnCrLf()
    {
        auto* memo = qobject_cast<QPlainTextEdit*>(m_pages->Controle(Notes));
        QCOMPARE(memo->document()->blockCount(), 2);
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

    void memoGardeChaqueOctet()
    {
        // Non-breaking spaces, tabs and the other bytes survive a display and an edit.
        std::string tous;
        for (int i = 1; i < 256; ++i)
            if (i != '\r' && i != '\n') tous.push_back(static_cast<char>(i));
        const std::string cellule = tous + "\r\n" + tous;
        m_rep.SetCellule(SNotes, 1, cellule);
        m_rep.SetCellule(Ville, 1, tous);
        m_pages->MontreLigne(m_rep, 1);
        for (int c : {int(SNotes), int(Ville)}) {
            QWidget* w = m_pages->Controle(c);
            CurseurAFin(w);
            QTest::keyClicks(w, U("x"));
            QCOMPARE(m_editions.back().colonne, c);
            QCOMPARE(m_editions.back().texte, std::string(m_rep.Cellule(c, 1)) + "x");
        }
        QVERIFY(m_refus.isEmpty());
    }

    void longueCelluleIntacte()
    {
        const std::string longue(50000, 'a');
        m_rep.SetCellule(Adresse1, 1, longue);
        m_pages->MontreLigne(m_rep, 1);
        QCOMPARE(m_pages->TexteControle(Adresse1), longue);
        CurseurAFin(m_pages->Controle(Adresse1));
        QTest::keyClicks(m_pages->Controle(Adresse1), U("b"));
        QCOMPARE(m_editions.back().texte, longue + "b");
    }

    void f12InsereLaDate_data()
    {
        QTest::addColumn<int>("ancre");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("attendu");
        QTest::addColumn<int>("curseur");
        QTest::newRow("caret in the middle") << 3 << 3 << U("abc05/03/2024def") << 13;
        QTest::newRow("selection kept") << 2 << 4 << U("ab05/03/2024cdef") << 12;
        QTest::newRow("selection made backwards") << 4 << 2 << U("ab05/03/2024cdef") << 12;
        QTest::newRow("at the start") << 0 << 0 << U("05/03/2024abcdef") << 10;
    }

    void f12InsereLaDate()
    {
        QFETCH(int, ancre);
        QFETCH(int, position);
        QFETCH(QString, attendu);
        QFETCH(int, curseur);
        m_pages->SetHorloge([] { return QDate(2024, 3, 5); });
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
        QVERIFY(!memo->textCursor().hasSelection());
        QVERIFY(!m_editions.empty());
        for (const Edition& e : m_editions)
            QCOMPARE(e.colonne, int(SNotes));
        QCOMPARE(m_editions.back().texte, CodePage::Octets(attendu));
        QCOMPARE(m_pages->TexteControle(Notes), std::string("ligne 1\r\nligne 2"));
    }

    void f12HorsDesNotesNeFaitRien()
    {
        m_pages->SetHorloge([] { return QDate(2024, 3, 5); });
        QTest::keyClick(m_pages->Controle(Ville), Qt::Key_F12);
        QVERIFY(m_editions.empty());
        QCOMPARE(m_pages->TexteControle(Ville), std::string("vVille"));
    }

    void ligneSociete_data()
    {
        QTest::addColumn<QString>("societe");
        QTest::addColumn<QString>("fonction");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("both") << U("ACME") << U("Directrice") << U("ACME - Directrice");
        QTest::newRow("company only") << U("ACME") << QString() << U("ACME");
        QTest::newRow("function only") << QString() << U("Gérante") << U("Gérante");
        QTest::newRow("neither") << QString() << QString() << QString();
    }

    void ligneSociete()
    {
        QFETCH(QString, societe);
        QFETCH(QString, fonction);
        QFETCH(QString, attendu);
        m_rep.SetCellule(Societe, 1, CodePage::Octets(societe));
        m_rep.SetCellule(Fonction, 1, CodePage::Octets(fonction));
        m_pages->MajEntetes(m_rep, 1);
        QCOMPARE(m_pages->LigneSociete(), attendu);
    }

    void libellesDeNom()
    {
        m_rep.SetCellule(Societe, 1, Cp("Société <b>Générale</b> & Cie"));
        m_pages->MontreLigne(m_rep, 1);
        QCOMPARE(m_pages->LibelleNom(PageFiche::Professionnel, Prenom)->text(), U("Hélène"));
        QCOMPARE(m_pages->LibelleNom(PageFiche::Professionnel, Nom)->text(), U("Dupré"));
        QCOMPARE(m_pages->LibelleNom(PageFiche::Banque, Societe)->text(),
                 U("Société <b>Générale</b> & Cie"));
        QCOMPARE(m_pages->LibelleNom(PageFiche::Banque, Prenom)->text(), U("Hélène"));
        QCOMPARE(m_pages->LibelleNom(PageFiche::Banque, Nom)->text(), U("Dupré"));
        QCOMPARE(m_pages->LibelleNom(PageFiche::Banque, Societe)->textFormat(), Qt::PlainText);
        QCOMPARE(m_pages->LibelleNom(PageFiche::Prive, Nom), nullptr);
        // A long first name widens its label up to the bevel, never beyond.
        m_rep.SetCellule(Prenom, 1, "Jean-Christophe-Alexandre");
        m_pages->MajEntetes(m_rep, 1);
        QLabel* prenom = m_pages->LibelleNom(PageFiche::Professionnel, Prenom);
        QVERIFY(prenom->width() > 36);
        QVERIFY(prenom->geometry().right() <= 600);
    }
};

CARNET_TEST(TestPagesFiche)
#include "TestPagesFiche.moc"
