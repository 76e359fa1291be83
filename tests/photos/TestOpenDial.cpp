// The photo picker: what its list offers, the preview, and when it lets OK close it.

#include "OutilsImages.h"
#include "Registre.h"

#include "photos/GeometrieApercu.h"
#include "photos/TOpenDial.h"
#include "ui/ChargeurPhoto.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <memory>

class TestOpenDial : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dossier;

    QString Chemin(const char* nom) const { return m_dossier->filePath(QString::fromUtf8(nom)); }

    static QStringList Liste(const TOpenDial& d)
    {
        QStringList noms;
        const QModelIndex racine = d.Fichiers()->rootIndex();
        for (int i = 0; i < d.ModeleFichiers()->rowCount(racine); ++i)
            noms << d.ModeleFichiers()->index(i, 0, racine).data().toString();
        noms.sort(Qt::CaseInsensitive);
        return noms;
    }

private slots:
    void init()
    {
        m_dossier = std::make_unique<QTemporaryDir>();
        QDir(m_dossier->path()).mkpath("sous-dossier");
        QImage image(100, 50, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QVERIFY(image.save(Chemin("petit.png"), "PNG"));
        QImage grande(400, 200, QImage::Format_RGB32);
        grande.fill(Qt::green);
        QVERIFY(grande.save(Chemin("GRAND.JPG"), "JPG"));
        for (const char* nom : {"plan.wmf", "notes.txt", "photo.jpeg", "sans-extension"}) {
            QFile f(Chemin(nom));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a picture");
        }
    }

    void listeEtApercu()
    {
        TOpenDial d(m_dossier->path(), true);
        d.show();
        QCOMPARE(d.windowTitle(), QString::fromUtf8("Choix d'une image"));
        QCOMPARE(d.size(), QSize(594, 265));
        QCOMPARE(d.PanneauApercu()->size(), QSize(153, 145));
        QCOMPARE(d.Dossier(), m_dossier->path());
        // The tree opens down to the folder.
        for (QModelIndex i = d.Arbre()->currentIndex().parent(); i.isValid(); i = i.parent())
            QVERIFY(d.Arbre()->isExpanded(i));
        // Only the listed patterns, whatever the case of the extension.
        QTRY_COMPARE(Liste(d), QStringList({"GRAND.JPG", "petit.png", "plan.wmf"}));

        d.Fichiers()->setCurrentIndex(d.ModeleFichiers()->index(Chemin("petit.png")));
        QCOMPARE(d.Selection(), Chemin("petit.png"));
        QTRY_VERIFY(d.ImageApercu()->isVisible());
        QCOMPARE(d.ImageApercu()->geometry(), QRect(26, 47, 100, 50));
        d.SelectionneFichier(Chemin("GRAND.JPG"));
        QTRY_VERIFY(d.ImageApercu()->isVisible());
        QCOMPARE(d.ImageApercu()->geometry(), QRect(15, 42, 122, 61));
        QCOMPARE(d.ImageApercu()->pixmap().size(), QSize(122, 61));
        d.grab().save(QDir::tempPath() + "/carnet-opendial.png");

        // A file Qt cannot decode still shows a placeholder of the limits' size.
        d.SelectionneFichier(Chemin("plan.wmf"));
        QTRY_VERIFY(d.ImageApercu()->isVisible());
        QCOMPARE(d.ImageApercu()->geometry(), QRect(15, 14, 122, 116));

        // "Aperçu" hides the panel at once and shows it again with the selection.
        d.CaseApercu()->click();
        QVERIFY(!d.PanneauApercu()->isVisible());
        QVERIFY(!d.Apercu());
        d.SelectionneFichier(Chemin("petit.png"));
        d.CaseApercu()->click();
        QVERIFY(d.PanneauApercu()->isVisible());
        QTRY_VERIFY(d.ImageApercu()->isVisible());
        QCOMPARE(d.ImageApercu()->geometry(), QRect(26, 47, 100, 50));
    }

    // The preview never holds the picker: selecting a picture shows an empty panel at
    // once, the picture (or the card saying why not) later; a two-colour picture
    // keeps its colours; a named pipe is refused without being opened.
    void apercuSansAttente_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QSize>("taille"); // 1-bit red PNG; empty: a named pipe
        QTest::addColumn<QRect>("attendu");
        QTest::addColumn<bool>("rouge");
        QTest::newRow("20000 x 20000")
            << "geante.png" << QSize(20000, 20000) << QRect(15, 14, 122, 116) << false;
        QTest::newRow("two colours, 300 x 300")
            << "rouge.png" << QSize(300, 300) << QRect(18, 14, 116, 116) << true;
        QTest::newRow("two colours, 400 x 100")
            << "rouge.png" << QSize(400, 100) << QRect(15, 57, 122, 30) << true; // 30.5 to 30
        QTest::newRow("named pipe") << "tube.png" << QSize() << QRect(15, 14, 122, 116) << false;
    }
    void apercuSansAttente()
    {
        QFETCH(QString, nom);
        QFETCH(QSize, taille);
        QFETCH(QRect, attendu);
        QFETCH(bool, rouge);
        const QString chemin = m_dossier->filePath(nom);
        std::unique_ptr<OutilsImages::GardeTube> tube;
        if (taille.isEmpty()) {
            tube = std::make_unique<OutilsImages::GardeTube>(chemin);
            QVERIFY(tube->Cree());
        } else {
            QVERIFY(OutilsImages::Ecrit(
                chemin, OutilsImages::PngUni(taille.width(), taille.height(), Qt::red, true)));
        }
        TOpenDial d(m_dossier->path(), true);
        d.show();
        d.SelectionneFichier(chemin);
        QVERIFY(d.Chargeur()->EnAttente());
        QVERIFY(!d.ImageApercu()->isVisible());
        QTRY_VERIFY(d.ImageApercu()->isVisible());
        QCOMPARE(d.ImageApercu()->geometry(), attendu);
        const QImage image = d.ImageApercu()->pixmap().toImage();
        QCOMPARE(image.size(), attendu.size());
        int rouges = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                rouges += image.pixelColor(x, y) == QColor(Qt::red);
        QCOMPARE(rouges, rouge ? image.width() * image.height() : 0);
        if (tube) QVERIFY(!tube->Ouvert());
        d.grab().save(QDir::tempPath() + "/carnet-opendial-" + nom + ".png");
        // OK takes only a regular file.
        d.DemandeOk();
        QCOMPARE(d.isVisible(), bool(tube));
    }

    // OK and a double-click close the picker only on an existing file.
    void okSeulementSurUnFichier_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::addColumn<bool>("ferme");
        QTest::newRow("nothing selected") << QString() << false;
        QTest::newRow("existing file") << "petit.png" << true;
        QTest::newRow("file removed after its selection") << "supprime" << false;
    }
    void okSeulementSurUnFichier()
    {
        QFETCH(QString, selection);
        QFETCH(bool, ferme);
        TOpenDial d(m_dossier->path(), false);
        d.open();
        if (selection == "supprime") {
            d.SelectionneFichier(Chemin("petit.png"));
            QFile::remove(Chemin("petit.png"));
        } else if (!selection.isEmpty()) {
            d.SelectionneFichier(m_dossier->filePath(selection));
        }
        d.DemandeOk();
        QCOMPARE(d.isVisible(), !ferme);
        QCOMPARE(d.result(), ferme ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }

    void doubleClicFerme()
    {
        TOpenDial d(m_dossier->path(), true);
        d.open();
        QTRY_COMPARE(Liste(d).size(), 3);
        const QModelIndex index = d.ModeleFichiers()->index(Chemin("petit.png"));
        QTRY_VERIFY(d.Fichiers()->visualRect(index).isValid());
        const QRect zone = d.Fichiers()->visualRect(index);
        QTest::mouseClick(d.Fichiers()->viewport(), Qt::LeftButton, {}, zone.center());
        QCOMPARE(d.result(), int(QDialog::Rejected)); // one click only selects
        QTest::mouseDClick(d.Fichiers()->viewport(), Qt::LeftButton, {}, zone.center());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.Selection(), Chemin("petit.png"));
    }

    // Browsing another folder: the remembered folder follows, and a file of the folder
    // left is no longer taken by OK.
    void dossierSuitLaNavigation()
    {
        TOpenDial d(m_dossier->path(), true);
        d.open();
        d.SelectionneFichier(Chemin("petit.png"));
        d.SelectionneDossier(Chemin("sous-dossier"));
        QCOMPARE(d.Dossier(), Chemin("sous-dossier"));
        QCOMPARE(d.Arbre()->currentIndex().data().toString(), QString("sous-dossier"));
        QVERIFY(d.Selection().isEmpty());
        d.DemandeOk();
        QVERIFY(d.isVisible());
    }

    void dossierAbsentOuvreLeDossierPersonnel()
    {
        TOpenDial d(QStringLiteral("c:\\"), true);
        QCOMPARE(d.Dossier(), QDir::homePath());
    }
};

CARNET_TEST(TestOpenDial)
#include "TestOpenDial.moc"
