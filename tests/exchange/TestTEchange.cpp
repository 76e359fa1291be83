#include "OutilsEchange.h"
#include "Registre.h"

#include "BancEchange.h"
#include "exchange/LectureImport.h"
#include "exchange/TAsso.h"
#include "exchange/TDialogueExport.h"
#include "exchange/TEchange.h"
#include "exchange/TableImport.h"
#include "exchange/TitresImport.h"
#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TGrille.h"
#include "mainwindow/TOngletsAZ.h"
#include "mainwindow/TPagesFiche.h"
#include "records/FichierRep.h"
#include "records/TexteTaille.h"
#include "records/VerrouRepertoire.h"
#include "ui/TMessage.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace OutilsEchange;

Q_DECLARE_METATYPE(TypeFichier)
Q_DECLARE_METATYPE(QList<int>)

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

// Acts on the modal windows as they open, each within a deadline: `action`
// returns true once it has handled the window it was waiting for. A message box
// nobody waits for is closed and told in Vu(), by a timer of its own, since it
// may open inside the action.
class Pilote
{
public:
    void Ensuite(std::function<bool(QWidget*)> action)
    {
        m_action = std::move(action);
        m_fini = false;
        m_attente.start();
        for (QTimer* minuteur : {&m_minuteur, &m_garde}) {
            minuteur->setInterval(20);
            minuteur->start();
        }
        QObject::connect(&m_minuteur, &QTimer::timeout, [this] { Agit(); });
        QObject::connect(&m_garde, &QTimer::timeout, [this] { Garde(); });
    }
    bool Fini() const { return m_fini && m_vu.isEmpty(); }
    QString Vu() const { return m_vu.join(QStringLiteral(" / ")); }

private:
    void Agit()
    {
        QWidget* fenetre = QApplication::activeModalWidget();
        // Keys go where the keyboard is: to a window once it is active.
        if (fenetre && !qobject_cast<QMessageBox*>(fenetre) && fenetre->isActiveWindow() &&
            m_action && m_action(fenetre)) {
            m_fini = true;
            m_fenetre = fenetre;
            m_attente.restart();
            m_minuteur.stop();
        }
    }
    void Garde()
    {
        QWidget* fenetre = QApplication::activeModalWidget();
        if (auto* boite = qobject_cast<QMessageBox*>(fenetre)) {
            m_vu << QStringLiteral("boîte inattendue : ") + boite->text();
            boite->reject();
            return;
        }
        // Done: the window handled must close, or the test would wait for ever.
        if (m_fini && (!m_fenetre || !m_fenetre->isVisible())) {
            m_garde.stop();
            return;
        }
        if (m_attente.elapsed() > 5000) {
            m_vu << (m_fini ? QStringLiteral("fenêtre restée ouverte : ")
                            : QStringLiteral("fenêtre attendue absente, active : ")) +
                        (fenetre ? QString::fromLatin1(fenetre->metaObject()->className())
                                 : QStringLiteral("aucune"));
            m_minuteur.stop();
            m_garde.stop();
            if (fenetre) fenetre->close();
        }
    }

    std::function<bool(QWidget*)> m_action;
    QPointer<QWidget> m_fenetre;
    QTimer m_minuteur;
    QTimer m_garde;
    QElapsedTimer m_attente;
    QStringList m_vu;
    bool m_fini = false;
};

QLineEdit* EditionNom(QFileDialog* dialogue)
{
    return dialogue->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

QString NomTape(QFileDialog* dialogue)
{
    return EditionNom(dialogue)->text();
}

// Replaces the name by keys typed where the keyboard is.
void TapeNom(QFileDialog* dialogue, const QString& nom)
{
    EditionNom(dialogue)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    QTest::keyClicks(QApplication::focusWidget(), nom);
}

// The type list walked with the arrow keys to the type's filter.
void ChoisitType(QFileDialog* dialogue, TypeFichier type)
{
    auto* liste = dialogue->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    liste->setFocus();
    const int cible = liste->findText(FormatEchange::Filtre(type));
    for (int essai = 0; essai < 6 && liste->currentIndex() != cible; ++essai)
        QTest::keyClick(QApplication::focusWidget(),
                        liste->currentIndex() < cible ? Qt::Key_Down : Qt::Key_Up);
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

    std::unique_ptr<BancEchange> Demarre()
    {
        auto p = std::make_unique<BancEchange>(Chemin("carnet.ini"), m_dossier->path() + '/',
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

    // Every association can be made from the keyboard, keys sent where they land:
    // Space or Enter in the column list associates its current column; Enter in
    // the field list goes to the columns; Ctrl with the paging keys moves the sample.
    void AssociationAuClavier_data()
    {
        QTest::addColumn<QByteArray>("fichier");
        QTest::addColumn<QString>("touches");
        QTest::addColumn<QString>("associations");
        QTest::addColumn<int>("ligne");
        QTest::addColumn<bool>("accepte");
        const QByteArray trois = "Nom;Ville;Tel\nDupont;Paris;01\nZola;Aix;02\n";
        QTest::newRow("one column: Tab, Space, then OK by Tab and Space")
            << QByteArray("Dupont\r\n") << "space tab space tab space"
            << "0:0" << 0 << true;
        QTest::newRow("Tab into the columns, Space associates the first")
            << trois << "space tab space"
            << "0:0" << 0 << false;
        QTest::newRow("arrows choose a column") << trois << "down tab down down"
                                                << "1:2" << 0 << false;
        QTest::newRow("Enter associates and goes on to the next field")
            << trois << "space tab down enter tab down enter"
            << "0:1 1:2" << 0 << false;
        QTest::newRow("Enter in the fields goes to the columns") << trois << "down enter space"
                                                                 << "1:0" << 0 << false;
        QTest::newRow("Space keeps the column list") << trois << "space tab space up space"
                                                     << "0:0" << 0 << false;
        QTest::newRow("sample lines by Ctrl and the paging keys")
            << trois << "ctrl+pgdown ctrl+end ctrl+pgup ctrl+pgdown"
            << "" << 2 << false;
        QTest::newRow("first sample by Ctrl+Home") << trois << "ctrl+end ctrl+home"
                                                   << "" << 0 << false;
        QTest::newRow("Enter on OK accepts") << trois << "space tab space tab enter"
                                             << "0:0" << 0 << true;
    }
    void AssociationAuClavier()
    {
        QFETCH(QByteArray, fichier);
        QFETCH(QString, touches);
        QFETCH(QString, associations);
        QFETCH(int, ligne);
        QFETCH(bool, accepte);
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets(fichier.toStdString(), TypeFichier::Csv, table),
                 QString());
        TAsso asso;
        asso.Prepare(TitresLivre(), table);
        asso.show();
        asso.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&asso));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(asso.ListBox1()));
        const QMap<QString, QPair<int, Qt::KeyboardModifiers>> cles{
            {"down", {Qt::Key_Down, {}}},
            {"up", {Qt::Key_Up, {}}},
            {"tab", {Qt::Key_Tab, {}}},
            {"space", {Qt::Key_Space, {}}},
            {"enter", {Qt::Key_Return, {}}},
            {"ctrl+pgdown", {Qt::Key_PageDown, Qt::ControlModifier}},
            {"ctrl+pgup", {Qt::Key_PageUp, Qt::ControlModifier}},
            {"ctrl+end", {Qt::Key_End, Qt::ControlModifier}},
            {"ctrl+home", {Qt::Key_Home, Qt::ControlModifier}}};
        for (const QString& touche : touches.split(' ')) {
            QVERIFY2(QApplication::focusWidget(), qPrintable(touche));
            const auto [cle, modificateurs] = cles.value(touche);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(cle), modificateurs);
            // A button's shortcut shows it pressed before it clicks.
            if (modificateurs) QTest::qWait(200);
        }
        QCOMPARE(Associations(asso), associations);
        QCOMPARE(asso.LigneEchantillon(), ligne);
        QCOMPARE(asso.result() == QDialog::Accepted && !asso.isVisible(), accepte);
        QVERIFY(TMessage::Historique().empty());
    }

    // The field list shows which fields have a column.
    void ChampsAssociesEnGras()
    {
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets("a;b\n", TypeFichier::Csv, table), QString());
        TAsso asso;
        AssociationChamps initiale;
        initiale.Associe(Ville, 1);
        asso.Prepare(TitresLivre(), table, initiale);
        asso.show();
        QVERIFY(asso.ListBox1()->item(Ville)->font().bold());
        QVERIFY(!asso.ListBox1()->item(Nom)->font().bold());
        Clic(asso.ListBox1(), Nom);
        Clic(asso.ListBox2(), 0);
        QVERIFY(asso.ListBox1()->item(Nom)->font().bold());
        asso.grab().save(QStringLiteral("/tmp/asso_gras.png"));
        asso.Prepare(TitresLivre(), table);
        QVERIFY(!asso.ListBox1()->item(Ville)->font().bold());
    }

    // The standard CSV's first line names fields when its cells are the book's
    // titles or fields' names, written any way (case, accents, spaces).
    void Titres_data()
    {
        QTest::addColumn<QByteArray>("premiere");
        QTest::addColumn<bool>("titres");
        QTest::addColumn<QString>("associations");
        QByteArray tous;
        QStringList identite;
        for (int c = 0; c < NbColonnes; ++c) {
            tous += (c ? "," : "") + QByteArray::fromStdString(Champs::Titre(c));
            identite << QStringLiteral("%1:%1").arg(c);
        }
        QTest::newRow("the program's standard export") << tous << true << identite.join(' ');
        QTest::newRow("typed in a spreadsheet")
            << QByteArray("NOM;pr\xE9nom;T\xE9l. 1;Mobile;code  postal") << true
            << "0:0 1:1 5:4 10:2";
        QTest::newRow("fields' internal names")
            << QByteArray("Societe,SVille,Cle,Divers") << true << "9:0 21:1 35:2";
        QTest::newRow("a record") << QByteArray("Dupont,Jean,Paris") << false << "";
        QTest::newRow("one title among more values")
            << QByteArray("Nom,Dupont,Jean,Paris") << false << "";
        QTest::newRow("half of them")
            << QByteArray("Nom,Dupont,,,,Ville,Paris") << true << "0:0 6:5";
        QTest::newRow("another program's titles")
            << QByteArray("First Name,Last Name,E-mail Address") << false << "";
        QTest::newRow("a title twice: the first column")
            << QByteArray("Ville,ville") << true << "6:0";
        QTest::newRow("empty line") << QByteArray(",,") << false << "";
    }
    void Titres()
    {
        QFETCH(QByteArray, premiere);
        QFETCH(bool, titres);
        QFETCH(QString, associations);
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets((premiere + "\r\nx\r\n").toStdString(),
                                             TypeFichier::CsvStandard, table),
                 QString());
        AssociationChamps a;
        QCOMPARE(TitresImport::Reconnait(table, TitresLivre(), a), titres);
        QStringList paires;
        for (int c = 0; c < NbColonnes; ++c)
            if (a.Colonne(c) >= 0) paires << QStringLiteral("%1:%2").arg(c).arg(a.Colonne(c));
        QCOMPARE(paires.join(' '), associations);
    }

    // With a title line, the samples are the records: "ligne n / N" counts them,
    // the first button stops at the first record, and each column shows its title.
    void EchantillonsAvecTitres()
    {
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets("Nom,Ville,\r\nDupont,,\"x\r\ny\"\r\nZola,Aix,\r\n",
                                             TypeFichier::CsvStandard, table),
                 QString());
        AssociationChamps a;
        table.SetLigneTitres(TitresImport::Reconnait(table, TitresLivre(), a));
        TAsso asso;
        asso.Prepare(TitresLivre(), table, a);
        asso.show();
        const auto Textes = [&asso] {
            QStringList lus;
            for (int c = 0; c < asso.ListBox2()->count(); ++c)
                lus << asso.ListBox2()->item(c)->text();
            return lus.join('|') + " " + asso.Position()->text() + " " + Boutons(asso);
        };
        QCOMPARE(Associations(asso), QStringLiteral("0:0 6:1"));
        QCOMPARE(Textes(), QStringLiteral("Nom : Dupont|Ville|x y ligne 1 / 2 0011"));
        asso.grab().save(QStringLiteral("/tmp/asso_titres.png"));
        asso.EndBtnClick();
        QCOMPARE(Textes(), QStringLiteral("Nom : Zola|Ville : Aix|Champ 3 ligne 2 / 2 1100"));
        asso.RewBtnClick();
        asso.RewBtnClick();
        QCOMPARE(asso.LigneEchantillon(), 1);
        QCOMPARE(Boutons(asso), QStringLiteral("0011"));
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
    // The standard CSV's title line names the columns: not a record, and its
    // columns come associated.
    void Importer()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        const QString fichier = Chemin("amis.csv");
        Ecrit(fichier, QString::fromUtf8("\"Nom\",\"Ville\"\r\n\"Martin\",\"Lyon – Ω\"\r\n"
                                         "\"Éluard\",\"Paris, 5e\"\r\n")
                           .toUtf8());
        QList<TypeFichier> proposes;
        p->Echange()->ChoisitFichierImport = [&](TypeFichier& type) {
            proposes << type;
            type = TypeFichier::CsvStandard;
            return fichier;
        };
        QStringList vus;
        p->Echange()->ExecuteAsso = [&](TAsso& asso) {
            asso.show();
            vus << Associations(asso) << asso.Position()->text();
            QStringList colonnes;
            for (int c = 0; c < asso.ListBox2()->count(); ++c)
                colonnes << asso.ListBox2()->item(c)->text();
            vus << colonnes.join('|');
            asso.OKBtnClick();
            asso.hide();
            return asso.result() == QDialog::Accepted;
        };
        f->Menus()->Item(TMenusFiche::Commande::Importer)->trigger();
        QCOMPARE(proposes, QList<TypeFichier>{TypeFichier::Csv});
        QCOMPARE(vus, (QStringList{"0:0 6:1", "ligne 1 / 2",
                                   QString::fromUtf8("Nom : Martin|Ville : Lyon – ?")}));
        QCOMPARE(f->Rep().NbFiches(), 2);
        QCOMPARE(f->Modele()->rowCount(), 2);
        QVERIFY(f->Rep().Modifie());
        QCOMPARE(f->Grille()->LigneCourante(), 2);
        QVERIFY2(f->windowTitle().contains(QString::fromUtf8("Fiche n°2/2 [ Éluard]")),
                 qPrintable(f->windowTitle()));
        QCOMPARE(f->PagesFiche()->TexteControle(Nom), Cp("Éluard"));
        QCOMPARE(f->PagesFiche()->TexteControle(Ville), std::string("Paris, 5e"));
        QCOMPARE(f->BandeAZ()->tabText(12), QStringLiteral("M"));
        QCOMPARE(f->BandeAZ()->tabText(13), QString()); // no title line among the records
        QCOMPARE(f->Modele()->data(f->Modele()->index(0, Ville)).toString(),
                 QString::fromUtf8("Lyon – ?"));
        QCOMPARE(
            TMessage::DernierTexte(),
            QString::fromUtf8("Le carnet ne sait pas écrire 1 caractère du fichier : « Ω ». Il "
                              "a été remplacé par « ? »."));

        // A second import appends after the records, through the tool button.
        f->Menus()->Bouton(TMenusFiche::Commande::Importer)->trigger();
        QCOMPARE(proposes, (QList<TypeFichier>{TypeFichier::Csv, TypeFichier::CsvStandard}));
        QCOMPARE(f->Rep().NbFiches(), 4);
        QCOMPARE(f->Modele()->rowCount(), 4);
        QCOMPARE(f->Rep().CelluleStr(Nom, 3), std::string("Martin"));
        QCOMPARE(f->Grille()->LigneCourante(), 4);
    }

    // Types 1 and 2 keep the design: the first line is a record like the others,
    // even when it holds titles; a standard CSV of titles alone imports nothing.
    void LigneDesTitres()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        Ecrit(Chemin("titres.CSV"), "Nom;Ville\r\nMartin;Lyon\r\n");
        TypeFichier choisi = TypeFichier::Csv;
        QString fichier = Chemin("titres.CSV");
        p->Echange()->ChoisitFichierImport = [&](TypeFichier& type) {
            type = choisi;
            return fichier;
        };
        QStringList vus;
        p->Echange()->ExecuteAsso = [&](TAsso& asso) {
            vus << Associations(asso) << asso.Position()->text();
            asso.Grid();
            Clic(asso.ListBox1(), Nom);
            Clic(asso.ListBox2(), 0);
            asso.OKBtnClick();
            return asso.result() == QDialog::Accepted;
        };
        QVERIFY(p->Echange()->Importer1Click());
        QCOMPARE(vus, (QStringList{"", "ligne 1 / 2"}));
        QCOMPARE(f->Rep().NbFiches(), 2);
        QCOMPARE(f->Rep().CelluleStr(Nom, 1), std::string("Nom"));

        Ecrit(Chemin("seuls.csv"), "Nom,Ville\r\n");
        fichier = Chemin("seuls.csv");
        choisi = TypeFichier::CsvStandard;
        vus.clear();
        f->Rep().SetModifie(false);
        QVERIFY(!p->Echange()->Importer1Click());
        QCOMPARE(vus, QStringList());
        QCOMPARE(TMessage::DernierTexte(),
                 QString::fromUtf8("Le fichier « %1 » ne contient que la ligne des titres : il n'y "
                                   "a aucune fiche à importer.")
                     .arg(fichier));
        QCOMPARE(f->Rep().NbFiches(), 2);
        QVERIFY(!f->Rep().Modifie());
    }

    // A file past what the book can take is refused before the association, with
    // the number of records it would add, and the book stays as it was.
    void ImportTropGrand()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        f->Rep().SetCellule(Nom, 1, "Zola");
        f->Rep().SetModifie(false);
        Ecrit(Chemin("long.CSV"), QByteArray("x;y\r\n").repeated(3000));
        p->Echange()->ChoisitFichierImport = [&](TypeFichier&) { return Chemin("long.CSV"); };
        bool associe = false;
        p->Echange()->ExecuteAsso = [&](TAsso&) { return associe = true; };
        QList<int64_t> fiches;
        p->Echange()->LimitesImport = [&](int64_t n) {
            fiches << n;
            LectureImport::Limites l = LectureImport::DuLivre(n);
            l.lignes = 2500 - n;
            return l;
        };
        QVERIFY(!p->Echange()->Importer1Click());
        QCOMPARE(fiches, QList<int64_t>{1});
        QVERIFY(!associe);
        QCOMPARE(TMessage::Historique().back().titre, QStringLiteral("Erreur"));
        const QString texte = TMessage::DernierTexte()
                                  .replace(QChar(0x202F), QLatin1Char(' '))
                                  .replace(QChar(0xA0), QLatin1Char(' '));
        QVERIFY2(texte.contains(Chemin("long.CSV")), qPrintable(texte));
        QVERIFY2(texte.contains(QString::fromUtf8("3 000 lignes")), qPrintable(texte));
        QVERIFY2(texte.contains(QString::fromUtf8("que 2 499 de plus")), qPrintable(texte));
        QCOMPARE(f->Rep().NbFiches(), 1);
        QCOMPARE(f->Modele()->rowCount(), 1);
        QVERIFY(!f->Rep().Modifie());
    }

    // Associations that would make a book too large to open again are refused at
    // "OK": the dialog stays open, and fewer associations import.
    void AssociationsTropGrandes()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        Ecrit(Chemin("large.CSV"), (QByteArray(50, 'a') + "\r\n").repeated(100));
        p->Echange()->ChoisitFichierImport = [&](TypeFichier&) { return Chemin("large.CSV"); };
        p->Echange()->LimitesImport = [](int64_t n) {
            LectureImport::Limites l = LectureImport::DuLivre(n);
            l.octets = 40000; // the blank records alone take 9,500 bytes, the texts 5,000 a field
            return l;
        };
        QStringList raisons;
        p->Echange()->ExecuteAsso = [&](TAsso& asso) {
            asso.show();
            for (int champ : {Nom, Prenom, Ville, Notes, Photo, Pays}) {
                Clic(asso.ListBox1(), champ);
                Clic(asso.ListBox2(), 0);
            }
            asso.OKBtnClick();
            raisons << TMessage::DernierTexte();
            const bool ouvert = asso.isVisible();
            asso.reject();
            return ouvert ? false : asso.result() == QDialog::Accepted;
        };
        QVERIFY(!p->Echange()->Importer1Click());
        QCOMPARE(raisons.size(), 1);
        // The file's two number lines (12 bytes each at most), the title row, then 100
        // records of a flag line and 46 lines, six of them 50 bytes long.
        qint64 taille = 24 + qint64(f->Rep().FlagMail(0).size()) + 2 + 2 * NbColonnes;
        for (int c = 0; c < NbColonnes; ++c)
            taille += qint64(Champs::Titre(c).size());
        taille += 100 * (3 + 2 * NbColonnes + 6 * 50);
        QCOMPARE(raisons[0],
                 QString::fromUtf8("Avec ces associations, le répertoire ferait %1, "
                                   "plus que les %2 qu'un répertoire peut avoir sur cet "
                                   "ordinateur : il ne pourrait plus être ouvert.\n"
                                   "Associez moins de champs, ou importez le fichier en "
                                   "plusieurs parties.")
                     .arg(TexteTaille::Mo(taille, 40000), TexteTaille::Mo(40000, taille)));
        QVERIFY2(!raisons[0].contains(QStringLiteral("0,04 Mo, plus que les 0,04 Mo")),
                 qPrintable(raisons[0]));
        QCOMPARE(f->Rep().NbFiches(), 1);

        // Five fields fit: 24 + 100 × 95 + 5 × 5,000 bytes.
        p->Echange()->ExecuteAsso = [&](TAsso& asso) {
            asso.show();
            for (int champ : {Nom, Prenom, Ville, Notes, Photo}) {
                Clic(asso.ListBox1(), champ);
                Clic(asso.ListBox2(), 0);
            }
            asso.OKBtnClick();
            return asso.result() == QDialog::Accepted;
        };
        TMessage::Historique().clear();
        QVERIFY(p->Echange()->Importer1Click());
        QVERIFY(TMessage::Historique().empty());
        QCOMPARE(f->Rep().NbFiches(), 100);
        QCOMPARE(f->Rep().CelluleStr(Photo, 100), std::string(50, 'a'));
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

    // The command with its dialog replaced: the type decides the extension, the
    // type is kept, the book is not changed, a value being typed is exported and a
    // failed write is told.
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
        // A value still being typed in the list is exported.
        f->PageControl()->setCurrentIndex(TFiche::PageListe);
        const QModelIndex cellule = f->Modele()->index(0, Ville);
        f->Grille()->setCurrentIndex(cellule);
        f->Grille()->edit(cellule);
        auto* editeur = qobject_cast<QLineEdit*>(f->Grille()->indexWidget(cellule));
        QVERIFY(editeur);
        editeur->setText(QStringLiteral("Nice"));
        QVERIFY(p->Echange()->Exporter1Click());
        QVERIFY(Lit(Chemin("sortie.TXT")).contains("\tNice\t"));
        QCOMPARE(proposes, (QList<TypeFichier>{TypeFichier::Csv, TypeFichier::Texte}));
        // The standard CSV the command writes is UTF-8 with its mark.
        typeChoisi = TypeFichier::CsvStandard;
        QVERIFY(p->Echange()->Exporter1Click());
        QVERIFY(Lit(Chemin("sortie.csv")).startsWith("\xEF\xBB\xBFNom,Pr\xC3\xA9nom,"));
        // A failed write is told with the system's reason.
        choisi = Chemin("absent/sortie.CSV");
        TMessage::Historique().clear();
        QVERIFY(!p->Echange()->Exporter1Click());
        QCOMPARE(TMessage::Historique().back().titre, QStringLiteral("Erreur"));
        QVERIFY2(TMessage::DernierTexte().contains(QStringLiteral("introuvable")),
                 qPrintable(TMessage::DernierTexte()));
    }

    // A book open read-only (another copy holds it) takes no import: the command is
    // greyed, and reached anyway it opens nothing and adds nothing; export still
    // works, and writes no lock beside what it writes. Save as gives import back.
    void LectureSeule()
    {
        Repertoire rep;
        rep.SetNbLignes(2);
        rep.SetCellule(Nom, 1, "Zola");
        QCOMPARE(FichierRep::EcritRepertoire(Chemin("amis.REP"), rep), QString());
        VerrouRepertoire autreCopie;
        QCOMPARE(autreCopie.Prend(Chemin("amis.REP")).issue, VerrouRepertoire::Issue::Pris);
        auto p = Demarre();
        TFiche* f = p->Fiche();
        TMessage::ChoixSuivant(0); // "Ouvrir en lecture seule"
        QVERIFY(f->Document()->Charge(Chemin("amis.REP")));
        QVERIFY(f->Document()->LectureSeule());
        QVERIFY(!f->Menus()->Item(TMenusFiche::Commande::Importer)->isEnabled());
        QVERIFY(!f->Menus()->Bouton(TMenusFiche::Commande::Importer)->isEnabled());
        QVERIFY(f->Menus()->Item(TMenusFiche::Commande::Exporter)->isEnabled());
        Ecrit(Chemin("import.csv"), "Martin;Lyon\r\n");
        int dialogues = 0;
        p->Echange()->ChoisitFichierImport = [&](TypeFichier&) {
            ++dialogues;
            return Chemin("import.csv");
        };
        p->Echange()->ExecuteAsso = [](TAsso&) { return true; };
        QVERIFY(!p->Echange()->Importer1Click());
        QVERIFY(!p->Echange()->Importe(Chemin("import.csv"), TypeFichier::Csv));
        QCOMPARE(dialogues, 0);
        QCOMPARE(f->Rep().NbFiches(), 1);
        QVERIFY(!f->Rep().Modifie());

        p->Echange()->ChoisitFichierExport = [&](TypeFichier& type) {
            type = TypeFichier::Csv;
            return Chemin("sortie.CSV");
        };
        QVERIFY(p->Echange()->Exporter1Click());
        QVERIFY(Lit(Chemin("sortie.CSV")).contains("\r\nZola;"));
        QVERIFY(!QFile::exists(VerrouRepertoire::CheminVerrou(Chemin("sortie.CSV"))));

        f->Document()->ChoisitFichierEnregistrer = [this] { return Chemin("copie.REP"); };
        QVERIFY(f->Document()->EnregistrerSous());
        QVERIFY(f->Menus()->Item(TMenusFiche::Commande::Importer)->isEnabled());
        p->Echange()->ExecuteAsso = [](TAsso&) { return false; };
        QVERIFY(!p->Echange()->Importer1Click());
        QCOMPARE(dialogues, 1);
    }

    // The real save dialog, driven by keys: the name shown follows the type
    // chosen, and so does the extension added to a bare name.
    void DialogueNomSuitLeType()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        f->Rep().SetFichierCourant(Chemin("amis.REP"));
        QStringList noms;
        QStringList suffixes;
        Pilote pilote;
        pilote.Ensuite([&](QWidget* fenetre) {
            auto* dialogue = qobject_cast<TDialogueExport*>(fenetre);
            if (!dialogue) return false;
            noms << NomTape(dialogue);
            ChoisitType(dialogue, TypeFichier::Texte);
            noms << NomTape(dialogue);
            suffixes << dialogue->defaultSuffix();
            ChoisitType(dialogue, TypeFichier::CsvStandard);
            noms << NomTape(dialogue);
            suffixes << dialogue->defaultSuffix();
            TapeNom(dialogue, QStringLiteral("x"));
            ChoisitType(dialogue, TypeFichier::Texte);
            noms << NomTape(dialogue);
            suffixes << dialogue->defaultSuffix();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            return true;
        });
        QVERIFY(!p->Echange()->Exporter1Click());
        QVERIFY2(pilote.Fini(), qPrintable(pilote.Vu()));
        QCOMPARE(noms, (QStringList{"amis.CSV", "amis.TXT", "amis.csv", "x.TXT"}));
        QCOMPARE(suffixes, (QStringList{"TXT", "csv", "TXT"}));
        QCOMPARE(QDir(m_dossier->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // The replace question is asked once, about the file the export writes;
    // "Non" goes back to the dialog; the keyboard goes back to the book after.
    void DialogueRemplacer_data()
    {
        QTest::addColumn<QStringList>("existants");
        QTest::addColumn<TypeFichier>("type");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QList<int>>("reponses");
        QTest::addColumn<QString>("ensuite");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QString>("ecrit");
        QTest::newRow("bare name, the other type's file there: no question")
            << QStringList{"mine.CSV"} << TypeFichier::Texte << "mine" << QList<int>{} << ""
            << QStringList{} << "mine.TXT";
        QTest::newRow("the file written is there: asked once, Oui")
            << QStringList{"mine.TXT"} << TypeFichier::Texte << "mine" << QList<int>{TMessage::Oui}
            << "" << QStringList{"mine.TXT"} << "mine.TXT";
        QTest::newRow("Non goes back to the dialog")
            << QStringList{"mine.TXT"} << TypeFichier::Texte << "mine" << QList<int>{TMessage::Non}
            << "autre" << QStringList{"mine.TXT"} << "autre.TXT";
        QTest::newRow("Non, then the same name and Oui")
            << QStringList{"mine.CSV"} << TypeFichier::Csv << "mine"
            << QList<int>{TMessage::Non, TMessage::Oui} << "mine"
            << QStringList{"mine.CSV", "mine.CSV"} << "mine.CSV";
        QTest::newRow("standard CSV, .CSV typed: asked about the .csv written")
            << QStringList{"mine.CSV", "mine.csv"} << TypeFichier::CsvStandard << "mine.CSV"
            << QList<int>{TMessage::Oui} << "" << QStringList{"mine.csv"} << "mine.csv";
        QTest::newRow("type 1 with .csv typed, the .csv there: no question")
            << QStringList{"mine.csv"} << TypeFichier::Texte << "mine.csv" << QList<int>{} << ""
            << QStringList{} << "mine.TXT";
    }
    void DialogueRemplacer()
    {
        QFETCH(QStringList, existants);
        QFETCH(TypeFichier, type);
        QFETCH(QString, nom);
        QFETCH(QList<int>, reponses);
        QFETCH(QString, ensuite);
        QFETCH(QStringList, questions);
        QFETCH(QString, ecrit);
        auto p = Demarre();
        TFiche* f = p->Fiche();
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->Rep().SetCellule(Nom, 1, "Zola");
        for (const QString& e : existants)
            Ecrit(m_dossier->filePath(e), "ancien");
        for (int r : reponses)
            TMessage::ReponseSuivante(TMessage::Reponse(r));
        bool ouvertApresNon = false;
        Pilote pilote;
        pilote.Ensuite([&](QWidget* fenetre) {
            auto* dialogue = qobject_cast<TDialogueExport*>(fenetre);
            if (!dialogue) return false;
            dialogue->setDirectory(m_dossier->path());
            ChoisitType(dialogue, type);
            TapeNom(dialogue, nom);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            if (!ensuite.isEmpty()) {
                ouvertApresNon = dialogue->isVisible();
                TapeNom(dialogue, ensuite);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            }
            return true;
        });
        const bool reussi = p->Echange()->Exporter1Click();
        QVERIFY2(pilote.Fini(), qPrintable(pilote.Vu()));
        QVERIFY(reussi);
        QCOMPARE(ouvertApresNon, !ensuite.isEmpty());
        QStringList poses;
        for (const TMessage::Trace& trace : TMessage::Historique()) {
            QVERIFY(trace.question);
            poses << trace.texte;
        }
        QStringList attendues;
        for (const QString& q : questions)
            attendues << TDialogueExport::QuestionRemplacer(m_dossier->filePath(q));
        QCOMPARE(poses, attendues);
        const QByteArray octets = Lit(m_dossier->filePath(ecrit));
        QVERIFY2(octets.startsWith(type == TypeFichier::CsvStandard ? "\xEF\xBB\xBFNom,"
                                   : type == TypeFichier::Texte     ? "Nom\t"
                                                                    : "Nom;"),
                 octets.left(20).constData());
        for (const QString& e : existants)
            if (e != ecrit) QCOMPARE(Lit(m_dossier->filePath(e)), QByteArray("ancien"));
        QCOMPARE(p->Echange()->TypeExport(), type);
        // The keyboard is the book's again.
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(f));
    }
};

CARNET_TEST(TestTEchange)
#include "TestTEchange.moc"
