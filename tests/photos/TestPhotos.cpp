// Photos: the preview's geometry, the bare-name rule, the copy into the images folder,
// the frame of a main window and its context menu.

#include "Registre.h"

#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TCadrePhoto.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TMessage.h"
#include "mainwindow/TPagesFiche.h"
#include "photos/CheminsPhoto.h"
#include "photos/GeometrieApercu.h"
#include "photos/LecturePhoto.h"
#include "photos/TPhotos.h"
#include "records/CodePage.h"

#include <QContextMenuEvent>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace
{
QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// A picture of one colour, written in the format of its extension.
void Image(const QString& chemin, QSize taille, QColor couleur)
{
    QImage image(taille, QImage::Format_RGB32);
    image.fill(couleur);
    QVERIFY2(image.save(chemin, "PNG"), qPrintable(chemin));
}

void Octets(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(octets);
}

QByteArray Lit(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
}

quint32 Crc32(const QByteArray& octets)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : octets) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose header claims a picture far too large to decode.
QByteArray PngGeant()
{
    auto bloc = [](const char* type, const QByteArray& donnees) {
        QByteArray b;
        QDataStream(&b, QIODevice::WriteOnly) << quint32(donnees.size());
        const QByteArray corps = QByteArray(type) + donnees;
        QByteArray crc;
        QDataStream(&crc, QIODevice::WriteOnly) << Crc32(corps);
        return b + corps + crc;
    };
    QByteArray entete;
    QDataStream(&entete, QIODevice::WriteOnly) << quint32(200000) << quint32(200000) << quint8(8)
                                               << quint8(6) << quint8(0) << quint8(0) << quint8(0);
    return QByteArray("\x89PNG\r\n\x1A\n") + bloc("IHDR", entete) +
           bloc("IDAT", QByteArray::fromHex("789c030000000001")) + bloc("IEND", QByteArray());
}

QColor Centre(const QImage& image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}
} // namespace

// The rules without a window: preview geometry and the bare-name rule.
class TestCheminsPhoto : public QObject
{
    Q_OBJECT

private slots:
    void geometrieApercu_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QRect>("attendu");
        // The panel is 153 × 145: limits 122 × 116.
        QTest::newRow("100x50 fits: own size, centred") << QSize(100, 50) << QRect(26, 47, 100, 50);
        QTest::newRow("400x200 stretched to the width")
            << QSize(400, 200) << QRect(15, 42, 122, 61);
        QTest::newRow("122x116 exactly at the limits")
            << QSize(122, 116) << QRect(15, 14, 122, 116);
        QTest::newRow("123x116 one pixel too wide") << QSize(123, 116) << QRect(15, 15, 122, 115);
        QTest::newRow("122x117 wider than high keeps the width")
            << QSize(122, 117) << QRect(15, 14, 122, 117);
        QTest::newRow("square stretched to the height")
            << QSize(300, 300) << QRect(18, 14, 116, 116);
        QTest::newRow("50x400 width 14.5 goes to even 14")
            << QSize(50, 400) << QRect(69, 14, 14, 116);
        QTest::newRow("27x232 width 13.5 goes to even 14")
            << QSize(27, 232) << QRect(69, 14, 14, 116);
        QTest::newRow("thread-thin picture keeps one pixel")
            << QSize(1, 5000) << QRect(76, 14, 1, 116);
        QTest::newRow("1x1") << QSize(1, 1) << QRect(76, 72, 1, 1);
        QTest::newRow("empty picture") << QSize(0, 0) << QRect();
    }
    void geometrieApercu()
    {
        QFETCH(QSize, image);
        QFETCH(QRect, attendu);
        QCOMPARE(GeometrieApercu::Rectangle(image, QSize(153, 145)), attendu);
    }

    void arrondi()
    {
        QCOMPARE(GeometrieApercu::Arrondi(5, 2), 2);
        QCOMPARE(GeometrieApercu::Arrondi(7, 2), 4);
        QCOMPARE(GeometrieApercu::Arrondi(-5, 2), -2);
        QCOMPARE(GeometrieApercu::Arrondi(612, 5), 122);
        QCOMPARE(GeometrieApercu::Arrondi(613, 5), 123);
    }

    void nomSur_data()
    {
        QTest::addColumn<QByteArray>("cellule");
        QTest::addColumn<bool>("sur");
        QTest::newRow("bare name") << QByteArray("chat.jpg") << true;
        QTest::newRow("accented, Windows-1252") << QByteArray("\xE9t\xE9.jpg") << true;
        QTest::newRow("dots inside a name") << QByteArray("..chat..jpg") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("parent folder") << QByteArray("../chat.jpg") << false;
        QTest::newRow("parent folder, backslash") << QByteArray("..\\chat.jpg") << false;
        QTest::newRow("absolute") << QByteArray("/etc/passwd") << false;
        QTest::newRow("drive") << QByteArray("c:\\photos\\chat.jpg") << false;
        QTest::newRow("drive-relative") << QByteArray("c:chat.jpg") << false;
        QTest::newRow("subfolder") << QByteArray("amis/chat.jpg") << false;
        QTest::newRow("dot dot alone") << QByteArray("..") << false;
        QTest::newRow("dot alone") << QByteArray(".") << false;
        QTest::newRow("control byte") << QByteArray("chat\x07.jpg") << false;
        QTest::newRow("line break") << QByteArray("chat\r\n.jpg") << false;
    }
    void nomSur()
    {
        QFETCH(QByteArray, cellule);
        QFETCH(bool, sur);
        const std::string_view vue(cellule.constData(), size_t(cellule.size()));
        QCOMPARE(CheminsPhoto::NomSur(vue), sur);
        QTemporaryDir dossier;
        const QString images = dossier.filePath("images");
        const CheminsPhoto chemins(images);
        QCOMPARE(chemins.Chemin(vue).isEmpty(), !sur);
        if (sur) QCOMPARE(QFileInfo(chemins.Chemin(vue)).absolutePath(), images);
    }
};

class TestPhotos : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dossier;
    std::unique_ptr<TFiche> m_fiche;
    TPhotos* m_photos = nullptr;
    TPhotos::Choix m_choix;
    int m_pickers = 0;

    QString Chemin(const QString& nom) const { return m_dossier->filePath(nom); }
    QString Images() const { return m_fiche->DossierImages(); }
    TCadrePhoto* Cadre() const
    {
        return qobject_cast<TCadrePhoto*>(m_fiche->PagesFiche()->CadrePhoto());
    }
    std::string Cellule(int ligne = 1) const
    {
        return std::string(m_fiche->Rep().Cellule(Photo, ligne));
    }

private slots:
    void init()
    {
        Q_INIT_RESOURCE(carnet);
        TMessage::ModeTest(true);
        m_dossier = std::make_unique<QTemporaryDir>();
        QDir(m_dossier->path()).mkpath("ailleurs");
        QDir(m_dossier->path()).mkpath("autre");
        m_fiche = std::make_unique<TFiche>(m_dossier->path() + "/programme");
        m_photos = new TPhotos(*m_fiche);
        m_pickers = 0;
        m_choix = {};
        m_photos->ChoisitImage = [this](const QString&, bool apercu) {
            ++m_pickers;
            TPhotos::Choix c = m_choix;
            if (c.dossier.isEmpty()) c.apercu = apercu;
            return c;
        };
        m_fiche->show();
        QCoreApplication::processEvents();
    }
    void cleanup()
    {
        m_fiche.reset();
        TMessage::ModeTest(false);
    }

    // A hostile cell naming a picture outside the images folder shows nothing of it.
    void celluleHostileNeMontreRien_data()
    {
        QTest::addColumn<QString>("cellule");
        QTest::newRow("parent") << "../secret.png";
        QTest::newRow("parent, backslash") << "..\\secret.png";
        QTest::newRow("absolute") << "%1/secret.png";
    }
    void celluleHostileNeMontreRien()
    {
        QFETCH(QString, cellule);
        Image(Chemin("programme/secret.png"), {20, 20}, Qt::red);
        if (cellule.contains("%1")) cellule = cellule.arg(Chemin("programme"));
        m_fiche->Modele()->SetCellule(Photo, 1, CodePage::Octets(cellule));
        m_fiche->AfficheFiche();
        QVERIFY(!Cadre()->AUneImage());
        QCOMPARE(Cadre()->Legende(), U("Photo"));
        // Loading and clearing never use the cell as a path either.
        m_photos->EffacerPhoto1Click();
        QVERIFY(QFileInfo::exists(Chemin("programme/secret.png")));
    }

    void chargeCopieEtMarque()
    {
        Image(Chemin("ailleurs/chat.jpg"), {300, 150}, Qt::blue);
        m_choix = {true, Chemin("ailleurs/chat.jpg"), Chemin("ailleurs"), false};
        QVERIFY(!m_fiche->Rep().Modifie());
        m_photos->ChargerPhoto1Click();
        QCOMPARE(m_pickers, 1);
        QVERIFY(TMessage::Historique().empty());
        QCOMPARE(Cellule(), std::string("chat.jpg"));
        QVERIFY(m_fiche->Rep().Modifie());
        QCOMPARE(Lit(Images() + "/chat.jpg"), Lit(Chemin("ailleurs/chat.jpg")));
        QVERIFY(Cadre()->AUneImage());
        QCOMPARE(Cadre()->Legende(), QString());
        // Scaled to the frame with its proportions.
        QCOMPARE(Cadre()->contentsRect().size(), QSize(135, 135));
        QCOMPARE(Cadre()->Image().size(), QSize(135, 67));
        QCOMPARE(Centre(Cadre()->Image()), QColor(Qt::blue));
        QCOMPARE(m_photos->CheminImagesPerso(), Chemin("ailleurs"));
        QCOMPARE(m_photos->Apercu(), false);
        Cadre()->grab().save(QDir::tempPath() + "/carnet-cadre-photo.png");
    }

    // A second picture of the same name leaves the first in place, and the record shows it.
    void memeNomGardeLePremier()
    {
        Image(Chemin("ailleurs/chat.jpg"), {40, 40}, Qt::blue);
        Image(Chemin("autre/chat.jpg"), {40, 40}, Qt::green);
        m_choix = {true, Chemin("ailleurs/chat.jpg"), Chemin("ailleurs"), true};
        m_photos->ChargerPhoto1Click();
        const QByteArray premier = Lit(Images() + "/chat.jpg");
        m_fiche->Ajouter1Click();
        m_choix = {true, Chemin("autre/chat.jpg"), Chemin("autre"), true};
        m_photos->ChargerPhoto1Click();
        QCOMPARE(Cellule(2), std::string("chat.jpg"));
        QCOMPARE(Lit(Images() + "/chat.jpg"), premier);
        QCOMPARE(Centre(Cadre()->Image()), QColor(Qt::blue));
        m_fiche->BeginBtnClick();
        m_fiche->EndBtnClick();
        QCOMPARE(Centre(Cadre()->Image()), QColor(Qt::blue));
        QCOMPARE(m_photos->CheminImagesPerso(), Chemin("autre"));
    }

    void effaceGardeLeFichier()
    {
        Image(Chemin("ailleurs/chat.png"), {40, 40}, Qt::blue);
        m_choix = {true, Chemin("ailleurs/chat.png"), Chemin("ailleurs"), true};
        m_photos->ChargerPhoto1Click();
        m_fiche->Rep().SetModifie(false);
        m_photos->EffacerPhoto1Click();
        QCOMPARE(Cellule(), std::string());
        QVERIFY(m_fiche->Rep().Modifie());
        QVERIFY(!Cadre()->AUneImage());
        QCOMPARE(Cadre()->Legende(), U("Photo"));
        QVERIFY(QFileInfo::exists(Images() + "/chat.png"));
    }

    void dupliqueGardeLeNom()
    {
        Image(Images() + "/chat.png", {40, 40}, Qt::blue);
        m_fiche->Modele()->SetCellule(Photo, 1, "chat.png");
        m_fiche->Dupliquer1Click();
        QCOMPARE(Cellule(2), std::string("chat.png"));
        QVERIFY(Cadre()->AUneImage());
    }

    // Nothing changes when the picker is cancelled or the copy cannot be made; only the
    // preview option follows the picker's box.
    void echecsNeChangentRien_data()
    {
        QTest::addColumn<int>("cas");
        QTest::addColumn<QString>("message"); // start of the error box, empty: none
        QTest::newRow("Annuler") << 0 << QString();
        QTest::newRow("name Windows-1252 cannot hold") << 1 << U("Le nom du fichier « 猫.png »");
        QTest::newRow("images folder is a file") << 2 << U("Impossible de copier la photo");
        QTest::newRow("file gone meanwhile") << 3 << U("Le fichier « ");
    }
    void echecsNeChangentRien()
    {
        QFETCH(int, cas);
        QFETCH(QString, message);
        const QString source = Chemin(cas == 1 ? U("ailleurs/猫.png") : U("ailleurs/chien.png"));
        Image(source, {10, 10}, Qt::red);
        m_fiche->Modele()->SetCellule(Photo, 1, "avant.png");
        m_fiche->Rep().SetModifie(false);
        if (cas == 2) {
            QDir(Images()).removeRecursively();
            Octets(Images(), "pas un dossier");
        }
        if (cas == 3) QFile::remove(source);
        m_choix = {cas != 0, source, Chemin("ailleurs"), false};
        m_photos->ChargerPhoto1Click();
        QCOMPARE(Cellule(), std::string("avant.png"));
        QVERIFY(!m_fiche->Rep().Modifie());
        QCOMPARE(m_photos->Apercu(), false);
        if (message.isEmpty()) {
            QVERIFY(TMessage::Historique().empty());
        } else {
            QCOMPARE(TMessage::Historique().size(), size_t(1));
            QVERIFY2(TMessage::DernierTexte().startsWith(message),
                     qPrintable(TMessage::DernierTexte()));
        }
        if (cas == 2) QCOMPARE(Lit(Images()), QByteArray("pas un dossier"));
        QCOMPARE(QDir(Images()).entryList(QDir::Files).size(), 0);
    }

    void dossierImagesRecree()
    {
        Image(Chemin("ailleurs/chat.png"), {10, 10}, Qt::red);
        QDir(Images()).removeRecursively();
        m_choix = {true, Chemin("ailleurs/chat.png"), Chemin("ailleurs"), true};
        m_photos->ChargerPhoto1Click();
        QCOMPARE(Cellule(), std::string("chat.png"));
        QVERIFY(QFileInfo(Images() + "/chat.png").isFile());
    }

    // Formats Qt cannot decode, and damaged files, show a placeholder; a missing file
    // shows the caption.
    void formatsIlliblesEtAbsents_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<bool>("image");
        QTest::newRow("wmf") << "plan.wmf" << QByteArray("\xD7\xCD\xC6\x9A garbage", 12) << true;
        QTest::newRow("pcx") << "plan.pcx" << QByteArray(300, '\x0A') << true;
        QTest::newRow("truncated png") << "coupe.png" << QByteArray("\x89PNG\r\n\x1A\n") << true;
        QTest::newRow("empty jpg") << "vide.jpg" << QByteArray() << true;
        QTest::newRow("200000 x 200000 png header") << "geant.png" << PngGeant() << true;
        QTest::newRow("missing") << "" << QByteArray() << false;
    }
    void formatsIlliblesEtAbsents()
    {
        QFETCH(QString, nom);
        QFETCH(QByteArray, contenu);
        QFETCH(bool, image);
        const QString cellule = nom.isEmpty() ? QStringLiteral("parti.png") : nom;
        if (!nom.isEmpty()) Octets(Images() + "/" + nom, contenu);
        if (nom == "geant.png") // the header is read; the picture is never allocated
            QCOMPARE(LecturePhoto::Taille(Images() + "/" + nom), QSize(200000, 200000));
        m_fiche->Modele()->SetCellule(Photo, 1, CodePage::Octets(cellule));
        m_fiche->AfficheFiche();
        QCOMPARE(Cadre()->AUneImage(), image);
        QCOMPARE(Cadre()->Legende(), image ? QString() : U("Photo"));
        if (image) QCOMPARE(Cadre()->Image().size(), Cadre()->contentsRect().size());
        QCOMPARE(Cellule(), CodePage::Octets(cellule)); // a missing file keeps its name
    }

    // The frame's right-click menu.
    void menuDuCadre()
    {
        QCOMPARE(Cadre()->toolTip(), U("Clic droit pour charger ou effacer une photo"));
        QContextMenuEvent clic(QContextMenuEvent::Mouse, QPoint(60, 60),
                               Cadre()->mapToGlobal(QPoint(60, 60)));
        QApplication::sendEvent(Cadre(), &clic);
        QMenu* menu = m_photos->Menu();
        QVERIFY(menu->isVisible());
        QStringList textes;
        for (QAction* a : menu->actions())
            textes << a->text() + (a->isEnabled() ? "" : " (grisé)");
        QCOMPARE(textes, QStringList({U("Charger photo..."), U("Effacer photo (grisé)")}));
        menu->hide();
        m_choix = {true, Chemin("ailleurs/x.png"), Chemin("ailleurs"), true};
        Image(m_choix.fichier, {10, 10}, Qt::red);
        m_photos->ItemCharger()->trigger();
        QCOMPARE(Cellule(), std::string("x.png"));
        QApplication::sendEvent(Cadre(), &clic);
        QVERIFY(m_photos->ItemEffacer()->isEnabled());
        menu->hide();
    }
};

CARNET_TEST(TestCheminsPhoto)
CARNET_TEST(TestPhotos)
#include "TestPhotos.moc"
