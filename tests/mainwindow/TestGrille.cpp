#include "Registre.h"

#include "mainwindow/MesureColonne.h"
#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TGrille.h"
#include "records/CodePage.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <memory>

namespace
{

Repertoire Livre(int fiches)
{
    Repertoire rep;
    rep.Reserve(fiches + 1);
    for (int i = 1; i <= fiches; ++i) {
        if (i > 1) rep.AjouteFiche();
        rep.SetCellule(Nom, i, "Nom" + std::to_string(i));
        rep.SetCellule(Adresse1, i, std::to_string(i) + " rue");
    }
    rep.SetModifie(false);
    return rep;
}

} // namespace

class TestGrille : public QObject
{
    Q_OBJECT

    Repertoire m_rep;
    std::unique_ptr<ModeleRepertoire> m_modele;
    std::unique_ptr<TGrille> m_grille;

    void Prepare(int fiches)
    {
        m_grille.reset();
        m_modele.reset();
        m_rep = Livre(fiches);
        m_modele = std::make_unique<ModeleRepertoire>(m_rep);
        m_grille = std::make_unique<TGrille>();
        m_grille->SetModele(m_modele.get());
        m_grille->resize(600, 300);
        m_grille->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grille.get()));
    }

    void ClicEntete(int colonne, Qt::MouseButton bouton)
    {
        QHeaderView* h = m_grille->horizontalHeader();
        const QPoint milieu(h->sectionViewportPosition(colonne) + h->sectionSize(colonne) / 2,
                            h->height() / 2);
        QTest::mouseClick(h->viewport(), bouton, Qt::NoModifier, milieu);
    }

    int Largeur(const QString& texte) const
    {
        return QFontMetrics(m_grille->font()).horizontalAdvance(texte + QStringLiteral("M"));
    }

private slots:
    void cleanup()
    {
        m_grille.reset();
        m_modele.reset();
    }

    void presentation()
    {
        Prepare(20);
        QCOMPARE(m_grille->rowHeight(0), 16);
        QCOMPARE(m_grille->columnWidth(10), 50);
        QVERIFY(m_grille->verticalHeader()->isHidden());
        QCOMPARE(m_grille->model()->headerData(Nom, Qt::Horizontal).toString(),
                 QStringLiteral("Nom"));
        QCOMPARE(m_grille->LigneCourante(), 1);
        m_grille->SetCouleur(QColor(255, 255, 200));
        QCOMPARE(m_grille->Couleur(), QColor(255, 255, 200));
    }

    void ajustementSurToutesLesLignes()
    {
        Prepare(10000);
        const std::string longue(120, 'W');
        m_rep.SetCellule(Adresse1, 5000, longue);
        QVERIFY(m_grille->rowViewportPosition(4999) < 0 ||
                m_grille->rowViewportPosition(4999) > m_grille->viewport()->height());
        QCOMPARE(m_grille->columnWidth(Adresse1), 50);
        ClicEntete(Adresse1, Qt::LeftButton);
        QCOMPARE(m_grille->columnWidth(Adresse1), Largeur(QString::fromStdString(longue)));
        ClicEntete(Adresse1, Qt::RightButton);
        QCOMPARE(m_grille->columnWidth(Adresse1), Largeur(QStringLiteral("Adresse 1")));
        // A title wider than every cell gives the width: the header row is measured too.
        m_grille->setColumnWidth(Pays, 50);
        ClicEntete(Pays, Qt::LeftButton);
        QCOMPARE(m_grille->columnWidth(Pays), Largeur(QStringLiteral("Pays")));
        ClicEntete(CP, Qt::LeftButton);
        QCOMPARE(m_grille->columnWidth(CP), Largeur(QStringLiteral("Code postal")));
        QVERIFY(!QApplication::overrideCursor());
    }

    void mesureRapideEgaleALaMesureDeChaqueLigne()
    {
        // Kerned pairs, accents and repeated values, against shaping every row.
        Repertoire rep;
        QRandomGenerator hasard(42);
        const char alphabet[] = "AVWTYLPFaeoyv.,-' \xE9\xC9\xE0\xE7\x9C"
                                "0123456789";
        for (int i = 1; i <= 3000; ++i) {
            if (i > 1) rep.AjouteFiche();
            for (int c : {int(Nom), int(Ville), int(Tel)}) {
                std::string s;
                const int n = c == Tel ? 14 : 1 + hasard.bounded(c == Nom ? 12 : 40);
                for (int k = 0; k < n; ++k)
                    s.push_back(c == Tel ? static_cast<char>('0' + hasard.bounded(10))
                                         : alphabet[hasard.bounded(int(sizeof alphabet) - 1)]);
                rep.SetCellule(c, i, s);
            }
            rep.SetCellule(Civil, i, i % 3 ? "Madame et Monsieur" : "AVAWAY");
        }
        MesureColonne mesure(QFont(QStringLiteral("MS Sans Serif"), 8));
        for (int c : {int(Nom), int(Civil), int(Ville), int(Tel), int(Photo)}) {
            int max = 0;
            for (int l = 0; l < rep.NbLignes(); ++l)
                max = std::max(max, mesure.Largeur(rep.Cellule(c, l)));
            const int rapide = mesure.LargeurMax(rep, c);
            QVERIFY2(rapide <= max && rapide >= max - 1, Champs::Info(c).cle);
        }
    }

    void ajustementNotesSurUneLigne()
    {
        Prepare(3);
        m_rep.SetCellule(Notes, 2, "premier\r\nsecond");
        m_grille->AjusteColonne(Notes, true);
        QCOMPARE(m_grille->columnWidth(Notes), Largeur(QStringLiteral("premier second")));
    }

    void derniereColonneRemplitLaVue()
    {
        Prepare(50);
        // Scrolled to the right end: no empty area after the last column.
        QScrollBar* barre = m_grille->horizontalScrollBar();
        barre->setValue(barre->maximum());
        QVERIFY(m_grille->columnAt(0) > 30);
        QVERIFY(m_grille->columnViewportPosition(Photo) + m_grille->columnWidth(Photo) >=
                m_grille->viewport()->width());
        // Narrow columns that all fit: the last one takes the rest of the width.
        for (int c = 0; c < NbColonnes; ++c)
            m_grille->setColumnWidth(c, 5);
        m_grille->AjusteColonnes();
        QCOMPARE(m_grille->columnAt(0), 0);
        QCOMPARE(m_grille->columnWidth(Photo), 5 + m_grille->viewport()->width() - 5 * NbColonnes);
        // Never narrowed.
        m_grille->setColumnWidth(Photo, 2000);
        m_grille->AjusteColonnes();
        QCOMPARE(m_grille->columnWidth(Photo), 2000);
    }

    void ajusteColonnesApresUnRelachement()
    {
        Prepare(5);
        for (int c = 0; c < NbColonnes; ++c)
            m_grille->setColumnWidth(c, 5);
        QTest::mouseClick(m_grille->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QCOMPARE(m_grille->columnWidth(Photo), 5 + m_grille->viewport()->width() - 5 * NbColonnes);
        QCOMPARE(m_grille->LigneCourante(), 1);
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
        QVERIFY(!m_grille->indexWidget(m_grille->currentIndex()));

        // Outside the notes F12 changes nothing.
        m_rep.SetModifie(false);
        m_grille->SetCelluleCourante(Ville, 3);
        QTest::keyClick(m_grille.get(), Qt::Key_F12);
        QCOMPARE(m_rep.CelluleStr(Ville, 3), std::string());
        QVERIFY(!m_rep.Modifie());
    }

    void celluleCouranteEtSelection()
    {
        Prepare(30);
        QList<QPair<int, int>> vus;
        connect(m_grille.get(), &TGrille::CelluleCouranteChangee, this,
                [&vus](int c, int l) { vus << qMakePair(c, l); });
        m_grille->SetCelluleCourante(Ville, 7);
        QTest::keyClick(m_grille.get(), Qt::Key_Down);
        QTest::keyClick(m_grille.get(), Qt::Key_Tab);
        QCOMPARE(vus, (QList<QPair<int, int>>{{Ville, 7}, {Ville, 8}, {Pays, 8}}));
        QCOMPARE(m_grille->LigneCourante(), 8);
        QCOMPARE(m_grille->ColonneCourante(), int(Pays));
        QCOMPARE(m_grille->LignesSelectionnees(), std::make_pair(8, 8));

        m_grille->SetCelluleCourante(Nom, 3);
        QTest::keyClick(m_grille.get(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(m_grille.get(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(m_grille.get(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(m_grille->LignesSelectionnees(), std::make_pair(3, 5));

        m_grille->clearSelection();
        QCOMPARE(m_grille->LignesSelectionnees(), std::make_pair(5, 5));
    }

    void ligneEnHaut()
    {
        Prepare(1000);
        m_grille->MontreLigneEnHaut(500);
        QCOMPARE(m_grille->rowAt(0), 499);
        // Asked while hidden: applied when the grid shows.
        m_grille->hide();
        m_grille->MontreLigneEnHaut(200);
        m_grille->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grille.get()));
        QCOMPARE(m_grille->rowAt(0), 199);
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
        QCOMPARE(editeur->text().size(), qsizetype(longue.size()));
        editeur->end(false);
        QTest::sendKeyEvent(QTest::Click, editeur, Qt::Key_unknown, QStringLiteral(u"ő"),
                            Qt::NoModifier);
        QCOMPARE(refus, QStringList{QStringLiteral(u"ő")});
        QTest::keyClicks(editeur, QStringLiteral("!"));
        QTest::keyClick(editeur, Qt::Key_Return);
        QApplication::processEvents(); // the delegate commits on the next turn of the loop
        QCOMPARE(m_rep.CelluleStr(Notes, 2), longue + "!");
        QVERIFY(m_rep.Modifie());
    }
};

CARNET_TEST(TestGrille)
#include "TestGrille.moc"
