#include "Registre.h"
#include "TestFicheOutils.h"

#include "app/TProgramme.h"
#include "search/TBarreRecherche.h"
#include "search/TFind.h"
#include "search/TSchOpt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>

// The program as it starts and stops: settings read at creation, written once at
// the close, read back by the next start.
class TestProgramme : public QObject
{
    Q_OBJECT

    std::unique_ptr<OutilsFiche::Dossier> m_dossier;

    QString Ini() const { return m_dossier->filePath(QStringLiteral("carnet.ini")); }
    QString Livre(const char* nom) const { return m_dossier->filePath(nom); }

    std::unique_ptr<TProgramme> Demarre(const QStringList& arguments = {})
    {
        auto p = std::make_unique<TProgramme>(Ini(), m_dossier->path() + '/', arguments);
        p->Fiche()->show();
        QCoreApplication::processEvents();
        return p;
    }

    // A fresh QSettings on the file: the in-process cache must not hide what was written.
    QVariant Stocke(const QString& cle) const
    {
        return QSettings(Ini(), QSettings::IniFormat).value(cle);
    }

    void Prepare(std::initializer_list<std::pair<const char*, QString>> valeurs)
    {
        QSettings avant(Ini(), QSettings::IniFormat);
        for (const auto& [cle, valeur] : valeurs)
            avant.setValue(QString::fromUtf8(cle), valeur);
    }

private slots:
    void init()
    {
        InitRessourcesCarnet();
        TMessage::ModeTest(true);
        m_dossier = std::make_unique<OutilsFiche::Dossier>();
        m_dossier->Ecrit("amis.REP", OutilsFiche::Livre({"Dupont", "Martin", "Zola", "Bernard"}));
    }
    void cleanup() { TMessage::ModeTest(false); }

    void premierDemarrage()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        const QSize ecran = QGuiApplication::primaryScreen()->geometry().size();
        QCOMPARE(f->pos(),
                 QPoint((ecran.width() - f->width()) / 2, (ecran.height() - f->height()) / 2));
        for (int c = 0; c < NbColonnes - 1; ++c)
            QCOMPARE(f->Grille()->columnWidth(c), 50);
        QCOMPARE(f->Grille()->Couleur(), QColor(255, 255, 255));
        QCOMPARE(p->Barre()->Edit()->count(), 100);
        for (int champ = 0; champ < 45; ++champ)
            QVERIFY(p->SchOpt()->Case(champ)->isChecked());
        QVERIFY(!QFile::exists(Ini())); // nothing is written before the close
    }

    void fermetureEtRedemarrage()
    {
        {
            auto p = Demarre({Livre("amis.REP")});
            TFiche* f = p->Fiche();
            f->move(33, 44);
            f->Grille()->SetCouleur(QColor(255, 0, 0));
            f->Grille()->setColumnWidth(Ville, 123);
            f->Grille()->SetCelluleCourante(0, 3);
            f->Menus()->Item(TMenusFiche::Commande::TrierEnEnregistrant)->trigger();
            p->SchOpt()->Case(Ville)->setChecked(false);
            p->Barre()->Edit()->setCurrentText(QStringLiteral("Zola"));
            p->Barre()->FindForward();
            QVERIFY(f->close());
        }
        QCOMPARE(Stocke("MainW/fichex").toString(), QStringLiteral("33"));
        QCOMPARE(Stocke("Liste/Couleur").toString(), QStringLiteral("255"));
        QCOMPARE(Stocke("Colonnes/Col6").toString(), QStringLiteral("123"));
        QCOMPARE(Stocke("Options/LastRow").toString(), QStringLiteral("3"));
        QCOMPARE(Stocke("Options/Trier en enregistrant").toString(), QStringLiteral("1"));
        QCOMPARE(Stocke("DernierFichier/Fichier").toString(), Livre("amis.REP"));
        QCOMPARE(Stocke("Recherches2/Expression1").toString(), QStringLiteral("Zola"));

        // The next start, without argument, reopens the book at the remembered record.
        auto p = Demarre();
        TFiche* f = p->Fiche();
        QCOMPARE(f->pos(), QPoint(33, 44));
        QCOMPARE(f->Rep().FichierCourant(), Livre("amis.REP"));
        QCOMPARE(f->LigneCourante(), 3);
        QCOMPARE(f->Grille()->Couleur(), QColor(255, 0, 0));
        QCOMPARE(f->Grille()->columnWidth(Ville), 123);
        QVERIFY(f->TrierEnEnregistrant());
        QVERIFY(!p->SchOpt()->Case(Ville)->isChecked());
        QCOMPARE(p->Barre()->Edit()->itemText(0), QStringLiteral("Zola"));
    }

    void sectionsEffaceesSaufListe()
    {
        Prepare({{"Liste/Autre", "garde"}, {"Options/Bidon", "x"}, {"MainW/Autre", "x"}});
        QVERIFY(Demarre()->Fiche()->close());
        QCOMPARE(Stocke("Liste/Autre").toString(), QStringLiteral("garde"));
        QVERIFY(!Stocke("MainW/Autre").isValid());
        QSettings relu(Ini(), QSettings::IniFormat);
        relu.beginGroup(QStringLiteral("Options"));
        QStringList cles = relu.childKeys();
        cles.sort();
        // The main window's, the photo picker's, the dialer's and the mailing
        // assistant's keys.
        QCOMPARE(cles, QString::fromUtf8("Adresse|Aperçu|Cadre|Décalage horizontal|Décalage "
                                         "vertical|LastRow|Modem|Méthode|Préfixe|Trier en "
                                         "enregistrant")
                           .split('|'));
    }

    void valeursLuesAuDemarrage_data()
    {
        QTest::addColumn<QString>("lastRow");
        QTest::addColumn<int>("ligne");
        QTest::newRow("in the book") << QStringLiteral("4") << 4;
        QTest::newRow("beyond the book") << QStringLiteral("5") << 1;
        QTest::newRow("not a number") << QStringLiteral("trois") << 1;
    }

    void valeursLuesAuDemarrage()
    {
        QFETCH(QString, lastRow);
        QFETCH(int, ligne);
        Prepare({{"Options/LastRow", lastRow},
                 {"DernierFichier/Fichier", Livre("amis.REP")},
                 {"MainW/fichex", "-3000"},
                 {"MainW/fichey", "5000"}});
        auto p = Demarre();
        QCOMPARE(p->Fiche()->LigneCourante(), ligne);
        QCOMPARE(p->Fiche()->pos(), QPoint(-3000, 5000)); // as stored, even off the screen
    }

    void ligneDeCommandeEtFichierDisparu()
    {
        OutilsFiche::Ecrit(Livre("autre.REP"), OutilsFiche::Livre({"Seul"}));
        Prepare({{"DernierFichier/Fichier", Livre("amis.REP")}});
        QCOMPARE(Demarre({Livre("autre.REP")})->Fiche()->Rep().FichierCourant(),
                 Livre("autre.REP"));
        QFile::remove(Livre("amis.REP"));
        auto p = Demarre();
        QCOMPARE(p->Fiche()->Rep().NbFiches(), 1);
        QVERIFY(p->Fiche()->Rep().Cellule(Nom, 1).empty());
        QVERIFY(TMessage::Historique().empty());
    }

    void raccourcisDepuisLaBarreDeRecherche()
    {
        auto p = Demarre({Livre("amis.REP")});
        p->Fiche()->activateWindow();
        QLineEdit* saisie = p->Barre()->Edit()->lineEdit();
        saisie->setFocus();
        QTest::keyClick(saisie, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(p->Find()->isVisible());
        p->Find()->close();
        QTest::keyClick(saisie, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(p->Fiche()->Rep().NbFiches(), 5);
    }

    void reglagesImpossiblesAEcrire()
    {
        QDir().mkpath(Ini()); // the settings "file" is a folder
        auto p = Demarre();
        TMessage::ReponseSuivante(TMessage::Non);
        QVERIFY(!p->Fiche()->close());
        QVERIFY(p->Fiche()->isVisible());
        QVERIFY(TMessage::DernierTexte().contains(QStringLiteral("Impossible d'enregistrer")));
        TMessage::ReponseSuivante(TMessage::Oui);
        QVERIFY(p->Fiche()->close());
    }
};

CARNET_TEST(TestProgramme)
#include "TestProgramme.moc"
