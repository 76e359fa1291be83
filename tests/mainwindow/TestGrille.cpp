// The list page's grid: fitting a column to its widest cell, F12 and edits in place.

#include "Registre.h"

#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TGrille.h"
#include "records/CodePage.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <random>

class TestGrille : public QObject
{
    Q_OBJECT

    Repertoire m_rep;
    std::unique_ptr<ModeleRepertoire> m_modele;
    std::unique_ptr<TGrille> m_grille;

    void Prepare(int fiches)
    {
        m_grille.reset(); // before the model it shows
        m_rep = Repertoire();
        m_rep.SetNbLignes(fiches + 1);
        for (int i = 1; i <= fiches; ++i)
            m_rep.SetCellule(Adresse1, i, std::to_string(i) + " rue");
        m_rep.SetModifie(false);
        m_modele = std::make_unique<ModeleRepertoire>(m_rep);
        m_grille = std::make_unique<TGrille>();
        m_grille->SetModele(m_modele.get());
        m_grille->resize(600, 300);
        m_grille->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grille.get()));
    }

    // Clicks a column title and answers the column's new width.
    int ClicEntete(int colonne, Qt::MouseButton bouton)
    {
        QHeaderView* h = m_grille->horizontalHeader();
        const QPoint milieu(h->sectionViewportPosition(colonne) + h->sectionSize(colonne) / 2,
                            h->height() / 2);
        QTest::mouseClick(h->viewport(), bouton, Qt::NoModifier, milieu);
        return m_grille->columnWidth(colonne);
    }

    int Largeur(const QString& texte) const
    {
        return QFontMetrics(m_grille->font()).horizontalAdvance(texte + QStringLiteral("M"));
    }

private slots:
    void ajustementSurToutesLesLignes()
    {
        Prepare(10000);
        const std::string longue(120, 'W');
        m_rep.SetCellule(Adresse1, 5000, longue);
        QVERIFY(m_grille->rowViewportPosition(4999) > m_grille->viewport()->height());
        QCOMPARE(ClicEntete(Adresse1, Qt::LeftButton), Largeur(QString::fromStdString(longue)));
        QCOMPARE(ClicEntete(Adresse1, Qt::RightButton), Largeur(QStringLiteral("Adresse 1")));
        // A title wider than every cell gives the width: the header row is measured too.
        QCOMPARE(ClicEntete(CP, Qt::LeftButton), Largeur(QStringLiteral("Code postal")));
        // A note is measured on one line.
        m_rep.SetCellule(Notes, 2, "premier\r\nsecond");
        QCOMPARE(ClicEntete(Notes, Qt::LeftButton), Largeur(QStringLiteral("premier second")));
        QVERIFY(!QApplication::overrideCursor());
    }

    // The widest cell among many of every width, estimated then shaped: the same
    // width as shaping every row, texts whose letters kern or repeat included.
    void ajustementCommeChaqueLigneMesuree()
    {
        Prepare(3000);
        const char* morceaux[] = {"AV", "WW", "ii", "To", "\xE9", "rue ", "Ta", "fi", "MM", " "};
        std::mt19937 alea(31);
        int attendue = Largeur(QStringLiteral("Adresse 1"));
        for (int i = 1; i <= 3000; ++i) {
            std::string texte;
            for (unsigned k = alea() % 12; k > 0; --k)
                texte += morceaux[alea() % 10];
            if (i % 7 == 0) texte = "Paris"; // repeated values
            // Wider than a 16-bit estimate holds: estimated again.
            if (i == 100) texte = std::string(9000, 'W');
            if (i == 200) texte = std::string(9500, 'W') + "AV";
            m_rep.SetCellule(Adresse1, i, texte);
            attendue = std::max(attendue, Largeur(CodePage::VersUnicode(texte)));
        }
        QCOMPARE(ClicEntete(Adresse1, Qt::LeftButton), attendue);
    }

    void f12DansLesNotes()
    {
        Prepare(5);
        m_grille->SetHorloge([] { return QDate(2024, 3, 5); });
        m_rep.SetCellule(SNotes, 3, "RDV ");
        m_rep.SetModifie(false);
        m_grille->SetCelluleCourante(SNotes, 3);
        QTest::keyClick(m_grille.get(), Qt::Key_F12);
        QCOMPARE(m_rep.CelluleStr(SNotes, 3), std::string("RDV 05/03/2024"));
        QVERIFY(m_rep.Modifie());
    }

    void editionDansLaGrille()
    {
        Prepare(3);
        QStringList refus;
        connect(m_grille.get(), &TGrille::CaractereRefuse, this,
                [&refus](const QString& c) { refus << c; });
        // A note longer than a line edit's default limit survives an edit in place.
        const std::string longue = std::string(40000, 'n') + "\r\nfin";
        m_rep.SetCellule(Notes, 2, longue);
        m_rep.SetModifie(false);
        m_grille->SetCelluleCourante(Notes, 2);
        m_grille->edit(m_grille->currentIndex());
        auto* editeur = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editeur);
        editeur->end(false);
        QTest::sendKeyEvent(QTest::Click, editeur, Qt::Key_unknown, QStringLiteral(u"ő"),
                            Qt::NoModifier);
        QCOMPARE(refus, QStringList{QStringLiteral(u"ő")});
        QTest::keyClicks(editeur, QStringLiteral("!"));
        QTest::keyClick(editeur, Qt::Key_Return);
        QApplication::processEvents(); // the delegate commits on the next turn of the loop
        QCOMPARE(m_rep.CelluleStr(Notes, 2), longue + "!");
        QVERIFY(m_rep.Modifie());

        // Committing a cell left as it was changes nothing.
        m_rep.SetModifie(false);
        m_grille->SetCelluleCourante(Ville, 1);
        m_grille->edit(m_grille->currentIndex());
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
        QVERIFY(!m_rep.Modifie());

        // A cell of many megabytes is shown cut, and edited whole.
        const std::string immense(3'000'000, 'w');
        m_rep.SetCellule(Ville, 1, immense);
        const QModelIndex i = m_grille->model()->index(0, Ville);
        const QString affiche = i.data(Qt::DisplayRole).toString();
        QCOMPARE(affiche.size(), ModeleRepertoire::LongueurAffichee + 1);
        QVERIFY(affiche.endsWith(QChar(0x2026)));
        QCOMPARE(i.data(Qt::EditRole).toString().size(), qsizetype(immense.size()));
    }
};

CARNET_TEST(TestGrille)
#include "TestGrille.moc"
