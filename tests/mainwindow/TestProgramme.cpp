#include "Registre.h"
#include "TestFicheOutils.h"

#include "mainwindow/TOngletsAZ.h"
#include "mainwindow/TProgramme.h"
#include "search/TBarreRecherche.h"
#include "search/TFind.h"
#include "search/TSchOpt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>

// The program as it starts and stops: settings read at creation, written once at
// the close, read back by the next start.
class TestProgramme : public QObject
{
    Q_OBJECT

    QString Ini() const { return m_dossier->filePath(QStringLiteral("carnet.ini")); }
    QString Livre(const char* nom) const { return m_dossier->filePath(QString::fromLatin1(nom)); }

    std::unique_ptr<TProgramme> Demarre(const QStringList& arguments = {})
    {
        auto programme =
            std::make_unique<TProgramme>(Ini(), m_dossier->path() + QLatin1Char('/'), arguments);
        programme->Fiche()->show();
        QCoreApplication::processEvents();
        return programme;
    }

    // A fresh QSettings on the file: the in-process cache must not hide what was written.
    QVariant Stocke(const QString& section, const QString& cle) const
    {
        QSettings relu(Ini(), QSettings::IniFormat);
        return relu.value(section + QLatin1Char('/') + cle);
    }

    std::unique_ptr<QTemporaryDir> m_dossier;

private slots:
    void init()
    {
        InitRessourcesCarnet();
        TMessage::ModeTest(true);
        m_dossier = std::make_unique<QTemporaryDir>();
        OutilsFiche::Ecrit(Livre("amis.REP"),
                           OutilsFiche::Livre({QStringLiteral("Dupont"), QStringLiteral("Martin"),
                                               QStringLiteral("Zola"), QStringLiteral("Bernard")}));
    }
    void cleanup() { TMessage::ModeTest(false); }

    void premierDemarrage()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        const QSize ecran = QGuiApplication::primaryScreen()->geometry().size();
        const QSize taille = f->size(); // the window as designed, before the frame is known
        QCOMPARE(f->pos(), QPoint((ecran.width() - taille.width()) / 2,
                                  (ecran.height() - taille.height()) / 2));
        for (int c = 0; c < NbColonnes - 1; ++c)
            QCOMPARE(f->Grille()->columnWidth(c), 50);
        QCOMPARE(f->Grille()->Couleur(), QColor(255, 255, 255));
        QCOMPARE(f->Rep().NbFiches(), 1);
        QCOMPARE(f->windowTitle(),
                 QString::fromUtf8("Carnet d'adresses \"SANS NOM\" - Fiche n°1/1 []"));
        QCOMPARE(p->Barre()->Edit()->count(), 100);
        QCOMPARE(p->Find()->Edit()->count(), 20);
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
        QCOMPARE(Stocke(QStringLiteral("MainW"), QStringLiteral("fichex")).toString(),
                 QStringLiteral("33"));
        QCOMPARE(Stocke(QStringLiteral("MainW"), QStringLiteral("fichey")).toString(),
                 QStringLiteral("44"));
        QCOMPARE(Stocke(QStringLiteral("Liste"), QStringLiteral("Couleur")).toString(),
                 QStringLiteral("255"));
        QCOMPARE(Stocke(QStringLiteral("Colonnes"), QStringLiteral("Col6")).toString(),
                 QStringLiteral("123"));
        QCOMPARE(Stocke(QStringLiteral("Options"), QStringLiteral("LastRow")).toString(),
                 QStringLiteral("3"));
        QCOMPARE(
            Stocke(QStringLiteral("Options"), QStringLiteral("Trier en enregistrant")).toString(),
            QStringLiteral("1"));
        QCOMPARE(Stocke(QStringLiteral("DernierFichier"), QStringLiteral("Fichier")).toString(),
                 Livre("amis.REP"));
        QCOMPARE(Stocke(QStringLiteral("Options de recherche"), QStringLiteral("Ville")).toString(),
                 QStringLiteral("0"));
        QCOMPARE(Stocke(QStringLiteral("Recherches2"), QStringLiteral("Expression1")).toString(),
                 QStringLiteral("Zola"));
        QVERIFY(Stocke(QStringLiteral("Recherches2"), QStringLiteral("Expression100")).isValid());
        QVERIFY(Stocke(QStringLiteral("Recherches"), QStringLiteral("Expression100")).isValid());

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
        QVERIFY(p->SchOpt()->Case(Nom)->isChecked());
        QCOMPARE(p->Barre()->Edit()->itemText(0), QStringLiteral("Zola"));
        QCOMPARE(p->Barre()->Edit()->count(), 100);
    }

    void sectionsEffaceesSaufListe()
    {
        {
            QSettings avant(Ini(), QSettings::IniFormat);
            avant.setValue(QStringLiteral("Liste/Autre"), QStringLiteral("garde"));
            avant.setValue(QStringLiteral("Options/Bidon"), QStringLiteral("x"));
            avant.setValue(QStringLiteral("Options/CheminImagesPerso"), QStringLiteral("/tmp"));
            avant.setValue(QStringLiteral("MainW/Autre"), QStringLiteral("x"));
            avant.setValue(QStringLiteral("Recherches/Expression150"), QStringLiteral("x"));
        }
        {
            auto p = Demarre();
            QVERIFY(p->Fiche()->close());
        }
        QCOMPARE(Stocke(QStringLiteral("Liste"), QStringLiteral("Autre")).toString(),
                 QStringLiteral("garde"));
        QVERIFY(!Stocke(QStringLiteral("Options"), QStringLiteral("Bidon")).isValid());
        QVERIFY(!Stocke(QStringLiteral("Options"), QStringLiteral("CheminImagesPerso")).isValid());
        QVERIFY(!Stocke(QStringLiteral("MainW"), QStringLiteral("Autre")).isValid());
        QVERIFY(!Stocke(QStringLiteral("Recherches"), QStringLiteral("Expression150")).isValid());
        QSettings relu(Ini(), QSettings::IniFormat);
        relu.beginGroup(QStringLiteral("Options"));
        QStringList cles = relu.childKeys();
        cles.sort();
        // The main window's keys; the mailing and dialing dialogs add theirs.
        QCOMPARE(cles, (QStringList{QString::fromUtf8("Aperçu"), QStringLiteral("LastRow"),
                                    QStringLiteral("Trier en enregistrant")}));
    }

    void valeursLuesAuDemarrage_data()
    {
        QTest::addColumn<QString>("lastRow");
        QTest::addColumn<int>("ligne");
        QTest::newRow("dans le livre") << QStringLiteral("4") << 4;
        QTest::newRow("au-delà du livre") << QStringLiteral("5") << 1;
        QTest::newRow("zéro") << QStringLiteral("0") << 1;
        QTest::newRow("pas un nombre") << QStringLiteral("trois") << 1;
    }
    void valeursLuesAuDemarrage()
    {
        QFETCH(QString, lastRow);
        QFETCH(int, ligne);
        {
            QSettings avant(Ini(), QSettings::IniFormat);
            avant.setValue(QStringLiteral("Options/LastRow"), lastRow);
            avant.setValue(QStringLiteral("DernierFichier/Fichier"), Livre("amis.REP"));
            avant.setValue(QStringLiteral("MainW/fichex"), QStringLiteral("-3000"));
            avant.setValue(QStringLiteral("MainW/fichey"), QStringLiteral("5000"));
        }
        auto p = Demarre();
        QCOMPARE(p->Fiche()->LigneCourante(), ligne);
        // Applied as stored, even off the screen.
        QCOMPARE(p->Fiche()->pos(), QPoint(-3000, 5000));
    }

    void ligneDeCommandeEtFichierDisparu()
    {
        OutilsFiche::Ecrit(Livre("autre.REP"), OutilsFiche::Livre({QStringLiteral("Seul")}));
        {
            QSettings avant(Ini(), QSettings::IniFormat);
            avant.setValue(QStringLiteral("DernierFichier/Fichier"), Livre("amis.REP"));
        }
        {
            auto p = Demarre({Livre("autre.REP")});
            QCOMPARE(p->Fiche()->Rep().FichierCourant(), Livre("autre.REP"));
            QCOMPARE(p->Fiche()->Rep().NbFiches(), 1);
        }
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
        // The settings "file" is a folder: the store cannot be written.
        QDir().mkpath(Ini());
        auto p = Demarre();
        TMessage::ReponseSuivante(TMessage::Non);
        QVERIFY(!p->Fiche()->close());
        QVERIFY(p->Fiche()->isVisible());
        QCOMPARE(TMessage::Historique().size(), size_t(1));
        QVERIFY(TMessage::DernierTexte().contains(QStringLiteral("Impossible d'enregistrer")));
        TMessage::ReponseSuivante(TMessage::Oui);
        QVERIFY(p->Fiche()->close());
    }
};

CARNET_TEST(TestProgramme)
#include "TestProgramme.moc"
