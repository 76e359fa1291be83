#include "OutilsEchange.h"
#include "Registre.h"

#include "exchange/LectureImport.h"
#include "exchange/TAsso.h"
#include "exchange/TEchange.h"
#include "exchange/TableImport.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "mainwindow/TMessage.h"
#include "mainwindow/TOngletsAZ.h"
#include "mainwindow/TPagesFiche.h"
#include "mainwindow/TProgramme.h"
#include "records/FichierRep.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace OutilsEchange;

Q_DECLARE_METATYPE(TypeFichier)

namespace
{
void Clic(QListWidget* liste, int ligne, Qt::MouseButton bouton = Qt::LeftButton)
{
    liste->scrollToItem(liste->item(ligne));
    QTest::mouseClick(liste->viewport(), bouton, {},
                      liste->visualItemRect(liste->item(ligne)).center());
}

std::vector<std::string> TitresLivre()
{
    std::vector<std::string> titres;
    for (int c = 0; c < NbColonnes; ++c)
        titres.push_back(Champs::Titre(c));
    return titres;
}

// The associations as "field:column" pairs.
QString Associations(const TAsso& asso)
{
    QStringList paires;
    for (int c = 0; c < NbColonnes; ++c)
        if (asso.Grid().Colonne(c) >= 0)
            paires << QStringLiteral("%1:%2").arg(c).arg(asso.Grid().Colonne(c));
    return paires.join(QLatin1Char(' '));
}

int ColonneChoisie(const TAsso& asso)
{
    const QList<QListWidgetItem*> choisis = asso.ListBox2()->selectedItems();
    return choisis.isEmpty() ? -1 : asso.ListBox2()->row(choisis.first());
}

QString Boutons(const TAsso& asso)
{
    QString s;
    for (QToolButton* b : {asso.BeginBtn(), asso.RewBtn(), asso.FFBtn(), asso.EndBtn()})
        s += b->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}
} // namespace

class TestTEchange : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dossier;

    QString Chemin(const char* nom) const { return m_dossier->filePath(QLatin1String(nom)); }

    std::unique_ptr<TProgramme> Demarre()
    {
        auto p = std::make_unique<TProgramme>(Chemin("carnet.ini"), m_dossier->path() + '/',
                                              QStringList{});
        p->Fiche()->show();
        QCoreApplication::processEvents();
        return p;
    }

private slots:
    void initTestCase() { Q_INIT_RESOURCE(carnet); }
    void init()
    {
        TMessage::ModeTest(true);
        m_dossier = std::make_unique<QTemporaryDir>();
    }
    void cleanup() { TMessage::ModeTest(false); }

    // Clicks in the association dialog: "F<n>" a field, "C<n>" a column, "R<n>" a
    // right-click on a column, "<<", "<", ">", ">>" the navigation buttons.
    void Association_data()
    {
        QTest::addColumn<QByteArray>("fichier");
        QTest::addColumn<QStringList>("clics");
        QTest::addColumn<QString>("associations");
        QTest::addColumn<int>("colonne");
        QTest::addColumn<int>("ligne");
        QTest::addColumn<QString>("boutons");
        QTest::addColumn<QString>("textes");
        const QByteArray trois = "Nom;Ville;;Tel\nDupont;;Paris;01\nZola;Aix";
        QTest::newRow("opening") << trois << QStringList{} << "" << -1 << 0 << "0011"
                                 << "Nom|Ville|Champ 3|Tel";
        QTest::newRow("opening, one line")
            << QByteArray("a;b\n") << QStringList{} << "" << -1 << 0 << "0000"
            << "a|b";
        QTest::newRow("field then column")
            << trois << QStringList{"F0", "C2"} << "0:2" << 2 << 0 << "0011"
            << "Nom|Ville|Champ 3|Tel";
        QTest::newRow("column without a field only selects")
            << trois << QStringList{"C2"} << "" << 2 << 0 << "0011"
            << "Nom|Ville|Champ 3|Tel";
        QTest::newRow("a new column replaces")
            << trois << QStringList{"F6", "C1", "C3"} << "6:3" << 3 << 0 << "0011"
            << "Nom|Ville|Champ 3|Tel";
        QTest::newRow("a field shows its column")
            << trois << QStringList{"F0", "C2", "F1", "F0"} << "0:2" << 2 << 0 << "0011"
            << "Nom|Ville|Champ 3|Tel";
        QTest::newRow("a field without one clears")
            << trois << QStringList{"F0", "C2", "F1"} << "0:2" << -1 << 0 << "0011"
            << "Nom|Ville|Champ 3|Tel";
        QTest::newRow("right-click clears, the association stays")
            << trois << QStringList{"F0", "C2", "R1"} << "0:2" << -1 << 0 << "0011"
            << "Nom|Ville|Champ 3|Tel";
        QTest::newRow("one column for several fields")
            << trois << QStringList{"F0", "C1", "F45", "C1"} << "0:1 45:1" << 1 << 0 << "0011"
            << "Nom|Ville|Champ 3|Tel";
        QTest::newRow("next line, selection kept")
            << trois << QStringList{"C3", ">"} << "" << 3 << 1 << "1111"
            << "Dupont|Champ 2|Paris|01";
        QTest::newRow("last line by steps")
            << trois << QStringList{">", ">", ">"} << "" << -1 << 2 << "1100"
            << "Zola|Aix|Champ 3|Champ 4";
        QTest::newRow("last then back")
            << trois << QStringList{">>", "<"} << "" << -1 << 1 << "1111"
            << "Dupont|Champ 2|Paris|01";
        QTest::newRow("back to the first")
            << trois << QStringList{">>", "<", "<"} << "" << -1 << 0 << "0011"
            << "Nom|Ville|Champ 3|Tel";
        QTest::newRow("first") << trois << QStringList{">>", "<<"} << "" << -1 << 0 << "0011"
                               << "Nom|Ville|Champ 3|Tel";
    }
    void Association()
    {
        QFETCH(QByteArray, fichier);
        QFETCH(QStringList, clics);
        QFETCH(QString, associations);
        QFETCH(int, colonne);
        QFETCH(int, ligne);
        QFETCH(QString, boutons);
        QFETCH(QString, textes);
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets(fichier.toStdString(), TypeFichier::Csv, table),
                 QString());
        TAsso asso;
        asso.Prepare(TitresLivre(), table);
        asso.show();
        QVERIFY(QTest::qWaitForWindowExposed(&asso));
        QCOMPARE(asso.ListBox1()->count(), NbColonnes);
        QCOMPARE(asso.ListBox1()->item(0)->text(), QStringLiteral("Nom"));
        QCOMPARE(asso.ListBox1()->item(45)->text(), QStringLiteral("Photo"));
        for (const QString& clic : clics) {
            const int n = clic.mid(1).toInt();
            if (clic == "<<")
                QTest::mouseClick(asso.BeginBtn(), Qt::LeftButton);
            else if (clic == "<")
                QTest::mouseClick(asso.RewBtn(), Qt::LeftButton);
            else if (clic == ">>")
                QTest::mouseClick(asso.EndBtn(), Qt::LeftButton);
            else if (clic == ">")
                QTest::mouseClick(asso.FFBtn(), Qt::LeftButton);
            else if (clic.startsWith('F'))
                Clic(asso.ListBox1(), n);
            else if (clic.startsWith('C'))
                Clic(asso.ListBox2(), n);
            else
                Clic(asso.ListBox2(), n, Qt::RightButton);
        }
        QCOMPARE(Associations(asso), associations);
        QCOMPARE(ColonneChoisie(asso), colonne);
        QCOMPARE(asso.LigneEchantillon(), ligne);
        QCOMPARE(Boutons(asso), boutons);
        QStringList lus;
        for (int c = 0; c < asso.ListBox2()->count(); ++c)
            lus << asso.ListBox2()->item(c)->text();
        QCOMPARE(lus.join('|'), textes);
    }

    // "OK" without an association warns and stays; a new import forgets the last one.
    void AucuneAssociation()
    {
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets("a;b\n", TypeFichier::Csv, table), QString());
        TAsso asso;
        asso.Prepare(TitresLivre(), table);
        asso.show();
        asso.OKBtnClick();
        QVERIFY(asso.isVisible());
        QCOMPARE(TMessage::Historique().size(), size_t(1));
        QCOMPARE(TMessage::Historique().back().titre, QStringLiteral("Avertissement"));
        QCOMPARE(TMessage::DernierTexte(),
                 QString::fromUtf8("Vous n'avez défini aucune association."));
        Clic(asso.ListBox1(), 3);
        Clic(asso.ListBox2(), 1);
        asso.OKBtnClick();
        QCOMPARE(asso.result(), int(QDialog::Accepted));
        asso.Prepare(TitresLivre(), table);
        QCOMPARE(Associations(asso), QString());
        QCOMPARE(asso.ListBox1()->selectedItems().size(), 0);
    }

    // The whole command in the program: the records show at once everywhere and
    // the book is marked modified; a blank new book's record is filled in place.
    void Importer()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        const QString fichier = Chemin("amis.csv");
        Ecrit(fichier, QString::fromUtf8("\"Nom\",\"Ville\"\r\n\"Martin\",\"Lyon\"\r\n"
                                         "\"Éluard\",\"Paris, 5e\"\r\n")
                           .toUtf8());
        QList<TypeFichier> proposes;
        p->Echange()->ChoisitFichierImport = [&](TypeFichier& type) {
            proposes << type;
            type = TypeFichier::CsvStandard;
            return fichier;
        };
        p->Echange()->ExecuteAsso = [](TAsso& asso) {
            asso.show();
            Clic(asso.ListBox1(), Nom);
            Clic(asso.ListBox2(), 0);
            Clic(asso.ListBox1(), Ville);
            Clic(asso.ListBox2(), 1);
            asso.OKBtnClick();
            asso.hide();
            return asso.result() == QDialog::Accepted;
        };
        f->Menus()->Item(TMenusFiche::Commande::Importer)->trigger();
        QCOMPARE(proposes, QList<TypeFichier>{TypeFichier::Csv});
        QCOMPARE(f->Rep().NbFiches(), 3);
        QCOMPARE(f->Modele()->rowCount(), 3);
        QVERIFY(f->Rep().Modifie());
        QCOMPARE(f->Grille()->LigneCourante(), 3);
        QVERIFY2(f->windowTitle().contains(QString::fromUtf8("Fiche n°3/3 [ Éluard]")),
                 qPrintable(f->windowTitle()));
        QCOMPARE(f->PagesFiche()->TexteControle(Nom), Cp("Éluard"));
        QCOMPARE(f->PagesFiche()->TexteControle(Ville), std::string("Paris, 5e"));
        QCOMPARE(f->BandeAZ()->tabText(12), QStringLiteral("M"));
        QCOMPARE(f->BandeAZ()->tabText(13), QStringLiteral("N")); // the title line
        QCOMPARE(f->BandeAZ()->tabText(25), QString());
        QCOMPARE(f->Modele()->data(f->Modele()->index(1, Ville)).toString(),
                 QStringLiteral("Lyon"));
        QVERIFY(TMessage::Historique().back().texte.contains(QStringLiteral("UTF-8")));

        // A second import appends after the records, through the tool button.
        f->Menus()->Bouton(TMenusFiche::Commande::Importer)->trigger();
        QCOMPARE(proposes, (QList<TypeFichier>{TypeFichier::Csv, TypeFichier::CsvStandard}));
        QCOMPARE(f->Rep().NbFiches(), 6);
        QCOMPARE(f->Modele()->rowCount(), 6);
        QCOMPARE(f->Rep().CelluleStr(Nom, 4), std::string("Nom"));
        QCOMPARE(f->Grille()->LigneCourante(), 6);
    }

    // Cancelled association, unreadable file: the book stays as it was.
    void ImportSansEffet()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        Ecrit(Chemin("a.CSV"), "x;y\r\n");
        QString fichier = Chemin("a.CSV");
        p->Echange()->ChoisitFichierImport = [&](TypeFichier&) { return fichier; };
        p->Echange()->ExecuteAsso = [](TAsso&) { return false; };
        QVERIFY(!p->Echange()->Importer1Click());
        fichier = Chemin("absent.CSV");
        QVERIFY(!p->Echange()->Importer1Click());
        QVERIFY2(TMessage::DernierTexte().contains(QStringLiteral("introuvable")),
                 qPrintable(TMessage::DernierTexte()));
        QCOMPARE(f->Rep().NbFiches(), 1);
        QVERIFY(!f->Rep().Modifie());
    }

    void Exporter()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        f->Rep().SetCellule(Nom, 1, "Zola");
        f->Rep().SetFichierCourant(Chemin("amis.REP"));
        QString choisi = Chemin("sortie.csv");
        TypeFichier typeChoisi = TypeFichier::Texte;
        QList<TypeFichier> proposes;
        p->Echange()->ChoisitFichierExport = [&](TypeFichier& type) {
            proposes << type;
            type = typeChoisi;
            return choisi;
        };
        // Type 1 chosen with ".csv" typed: a ".TXT" file with TABs.
        f->Menus()->Item(TMenusFiche::Commande::Exporter)->trigger();
        QCOMPARE(Lit(Chemin("sortie.TXT")).count('\t'), 2 * 45);
        QVERIFY(!QFile::exists(choisi));
        QVERIFY(!f->Rep().Modifie());
        QCOMPARE(f->Rep().FichierCourant(), Chemin("amis.REP"));
        // The type is kept for the next export; an existing file under the final name
        // that the dialog did not ask about is asked about here.
        Ecrit(Chemin("sortie.TXT"), "ancien");
        TMessage::ReponseSuivante(TMessage::Non);
        QVERIFY(!p->Echange()->Exporter1Click());
        QCOMPARE(Lit(Chemin("sortie.TXT")), QByteArray("ancien"));
        QVERIFY(TMessage::DernierTexte().contains(QString::fromUtf8("existe déjà")));
        TMessage::ReponseSuivante(TMessage::Oui);
        QVERIFY(p->Echange()->Exporter1Click());
        QVERIFY(Lit(Chemin("sortie.TXT")).startsWith("Nom\t"));
        QCOMPARE(proposes,
                 (QList<TypeFichier>{TypeFichier::Csv, TypeFichier::Texte, TypeFichier::Texte}));
        // A value still being typed in the list is exported.
        f->PageControl()->setCurrentIndex(TFiche::PageListe);
        const QModelIndex cellule = f->Modele()->index(0, Ville);
        f->Grille()->setCurrentIndex(cellule);
        f->Grille()->edit(cellule);
        auto* editeur = qobject_cast<QLineEdit*>(f->Grille()->indexWidget(cellule));
        QVERIFY(editeur);
        editeur->setText(QStringLiteral("Nice"));
        TMessage::ReponseSuivante(TMessage::Oui);
        QVERIFY(p->Echange()->Exporter1Click());
        QVERIFY(Lit(Chemin("sortie.TXT")).contains("\tNice\t"));
        // A failed write is told with the system's reason.
        choisi = Chemin("absent/sortie.CSV");
        TMessage::Historique().clear();
        QVERIFY(!p->Echange()->Exporter1Click());
        QCOMPARE(TMessage::Historique().back().titre, QStringLiteral("Erreur"));
        QVERIFY2(TMessage::DernierTexte().contains(QStringLiteral("introuvable")),
                 qPrintable(TMessage::DernierTexte()));
    }
};

CARNET_TEST(TestTEchange)
#include "TestTEchange.moc"
