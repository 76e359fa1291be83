// Photos: the preview's geometry, the bare-name rule, the copy into the images folder,
// the frame of a main window and its context menu.

#include "OutilsImages.h"
#include "Registre.h"

#include "mainwindow/ModeleRepertoire.h"
#include "mainwindow/TCadrePhoto.h"
#include "mainwindow/TDocument.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TPagesFiche.h"
#include "photos/GeometrieApercu.h"
#include "photos/TPhotos.h"
#include "records/CheminsPhoto.h"
#include "records/CodePage.h"
#include "records/FichierRep.h"
#include "records/VerrouRepertoire.h"
#include "ui/ChargeurPhoto.h"
#include "ui/LecturePhoto.h"
#include "ui/TMessage.h"

#include <QContextMenuEvent>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
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

// A PNG whose header claims a picture far too large to decode.
QByteArray PngGeant()
{
    QByteArray entete;
    QDataStream(&entete, QIODevice::WriteOnly) << quint32(200000) << quint32(200000) << quint8(8)
                                               << quint8(6) << quint8(0) << quint8(0) << quint8(0);
    return QByteArray("\x89PNG\r\n\x1A\n") + OutilsImages::BlocPng("IHDR", entete) +
           OutilsImages::BlocPng("IDAT", QByteArray::fromHex("789c030000000001")) +
           OutilsImages::BlocPng("IEND", QByteArray());
}

// A picture of one colour, in the 24-bit BMP format: two of the same size take the
// same number of bytes.
void Bmp(const QString& chemin, QSize taille, QColor couleur)
{
    QImage image(taille, QImage::Format_RGB32);
    image.fill(couleur);
    QVERIFY2(image.save(chemin, "BMP"), qPrintable(chemin));
}

// How many pixels of the picture are not of that colour.
int Autres(const QImage& image, QColor couleur)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != couleur) ++n;
    return n;
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
    // A right press on the frame: the items of the menu it opens, the greyed ones
    // marked; nothing when no menu shows. The menu stays open.
    QStringList MenuDuCadre()
    {
        QContextMenuEvent clic(QContextMenuEvent::Mouse, QPoint(60, 60),
                               Cadre()->mapToGlobal(QPoint(60, 60)));
        QApplication::sendEvent(Cadre(), &clic);
        QStringList textes;
        if (!m_photos->Menu()->isVisible()) return textes;
        for (QAction* a : m_photos->Menu()->actions())
            textes << a->text() + (a->isEnabled() ? "" : " (grisé)");
        return textes;
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
        QTRY_VERIFY(!Cadre()->EnAttente());
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
        QTRY_VERIFY(!Cadre()->EnAttente());
        QCOMPARE(Centre(Cadre()->Image()), QColor(Qt::blue));
        m_fiche->BeginBtnClick();
        m_fiche->EndBtnClick();
        QTRY_VERIFY(!Cadre()->EnAttente());
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
        QTRY_VERIFY(!Cadre()->EnAttente());
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
        QTest::newRow("named pipe") << 4 << U("Impossible de copier la photo");
    }
    void echecsNeChangentRien()
    {
        QFETCH(int, cas);
        QFETCH(QString, message);
        const QString source = Chemin(cas == 1 ? U("ailleurs/猫.png") : U("ailleurs/chien.png"));
        std::unique_ptr<OutilsImages::GardeTube> tube;
        if (cas == 4)
            tube = std::make_unique<OutilsImages::GardeTube>(source);
        else
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
        if (cas == 4) {
            QVERIFY2(TMessage::DernierTexte().contains(U("pas un fichier ordinaire")),
                     qPrintable(TMessage::DernierTexte()));
            QVERIFY(!tube->Ouvert());
        }
        QCOMPARE(QDir(Images()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 0);
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
        QTRY_VERIFY(!Cadre()->EnAttente());
        QCOMPARE(Cadre()->AUneImage(), image);
        QCOMPARE(Cadre()->Legende(), image ? QString() : U("Photo"));
        if (image) QCOMPARE(Cadre()->Image().size(), Cadre()->contentsRect().size());
        QCOMPARE(Cellule(), CodePage::Octets(cellule)); // a missing file keeps its name
    }

    // Decoding never holds the window: the record shows at once with the frame
    // waiting, empty; the picture, or the card saying why it is not shown, comes
    // later. A picture past the pixel budget is refused from its header.
    void grandeImageNeBloquePas_data()
    {
        QTest::addColumn<QSize>("taille");
        QTest::addColumn<int>("etat");
        QTest::addColumn<QSize>("cadre");
        QTest::newRow("20000 x 20000, refused from its header")
            << QSize(20000, 20000) << int(LecturePhoto::Etat::TropGrande) << QSize(135, 135);
        QTest::newRow("8001 x 8000, just past the budget")
            << QSize(8001, 8000) << int(LecturePhoto::Etat::TropGrande) << QSize(135, 135);
        QTest::newRow("3000 x 2000, decoded in the background")
            << QSize(3000, 2000) << int(LecturePhoto::Etat::Lue) << QSize(135, 90);
    }
    void grandeImageNeBloquePas()
    {
        QFETCH(QSize, taille);
        QFETCH(int, etat);
        QFETCH(QSize, cadre);
        QVERIFY(OutilsImages::Ecrit(
            Images() + "/grande.png",
            OutilsImages::PngUni(taille.width(), taille.height(), Qt::red, true)));
        m_fiche->Modele()->SetCellule(Photo, 1, "grande.png");
        m_fiche->Rep().SetModifie(false);
        m_fiche->AfficheFiche();
        QVERIFY(Cadre()->EnAttente());
        QVERIFY(!Cadre()->AUneImage());
        QCOMPARE(Cadre()->Legende(), QString());
        QTRY_VERIFY(!Cadre()->EnAttente());
        QCOMPARE(int(m_photos->Etat()), etat);
        QVERIFY(Cadre()->AUneImage());
        QCOMPARE(Cadre()->Image().size(), cadre);
        if (etat == int(LecturePhoto::Etat::Lue)) {
            QCOMPARE(Autres(Cadre()->Image(), Qt::red), 0);
        } else {
            // The grey card, not a red picture.
            QCOMPARE(Cadre()->Image().pixelColor(10, 10), QColor(236, 236, 236));
            Cadre()->grab().save(QDir::tempPath() + "/carnet-cadre-trop-grande.png");
        }
        QCOMPARE(Cellule(), std::string("grande.png"));
        QVERIFY(!m_fiche->Rep().Modifie());
    }

    // A slow picture whose record was left never replaces the picture of the record
    // shown after it, however late it comes.
    void resultatPerimeJamaisMontre()
    {
        QThreadPool::globalInstance()->setMaxThreadCount(
            qMax(2, QThreadPool::globalInstance()->maxThreadCount()));
        Image(Images() + "/lente.png", {40, 40}, Qt::blue);
        Image(Images() + "/rapide.png", {40, 40}, Qt::green);
        m_fiche->Modele()->SetCellule(Photo, 1, "lente.png");
        m_fiche->Ajouter1Click();
        m_fiche->Modele()->SetCellule(Photo, 2, "rapide.png");
        QSemaphore feu;
        // A failure below must not leave a decoding thread waiting for ever.
        bool libre = false;
        const auto libere = qScopeGuard([&] {
            if (!libre) feu.release();
        });
        std::atomic<int> lentes{0};
        m_photos->Chargeur()->Decodeur = [&](const QString& chemin,
                                             const LecturePhoto::Cible& cible) {
            if (chemin.endsWith("lente.png")) {
                ++lentes;
                feu.acquire();
            }
            return LecturePhoto::Lit(chemin, cible);
        };
        m_fiche->AllerA(0, 1);
        QTRY_COMPARE(lentes.load(), 1); // the slow decode has started
        m_fiche->AllerA(0, 2);
        QTRY_VERIFY(!Cadre()->EnAttente());
        QCOMPARE(Centre(Cadre()->Image()), QColor(Qt::green));
        feu.release();
        libre = true;
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(Centre(Cadre()->Image()), QColor(Qt::green));
        QVERIFY(!Cadre()->EnAttente());
    }

    // Going back to a record whose picture was decoded lately shows it at once.
    void retourImmediat()
    {
        Image(Images() + "/un.png", {40, 40}, Qt::blue);
        Image(Images() + "/deux.png", {40, 40}, Qt::green);
        m_fiche->Modele()->SetCellule(Photo, 1, "un.png");
        m_fiche->Ajouter1Click();
        m_fiche->Modele()->SetCellule(Photo, 2, "deux.png");
        m_fiche->AllerA(0, 1);
        QTRY_VERIFY(!Cadre()->EnAttente());
        m_fiche->AllerA(0, 2);
        QTRY_VERIFY(!Cadre()->EnAttente());
        m_fiche->AllerA(0, 1);
        QVERIFY(!Cadre()->EnAttente());
        QCOMPARE(Centre(Cadre()->Image()), QColor(Qt::blue));
    }

    // A picture replaced by another of the same byte size, even with the same date,
    // shows the new one.
    void remplaceeMemeTaille_data()
    {
        QTest::addColumn<bool>("parRenommage");
        QTest::newRow("rewritten in place, date restored") << false;
        QTest::newRow("replaced by renaming, date restored") << true;
    }
    void remplaceeMemeTaille()
    {
        QFETCH(bool, parRenommage);
        const QString chemin = Images() + "/chat.bmp";
        Bmp(chemin, {40, 40}, Qt::blue);
        const QDateTime date = QFileInfo(chemin).lastModified();
        m_fiche->Modele()->SetCellule(Photo, 1, "chat.bmp");
        m_fiche->AfficheFiche();
        QTRY_VERIFY(!Cadre()->EnAttente());
        QCOMPARE(Centre(Cadre()->Image()), QColor(Qt::blue));
        const qint64 octets = QFileInfo(chemin).size();
        if (parRenommage) {
            Bmp(Chemin("vert.bmp"), {40, 40}, Qt::green);
            QVERIFY(QFile::remove(chemin));
            QVERIFY(QFile::rename(Chemin("vert.bmp"), chemin));
        } else {
            Bmp(chemin, {40, 40}, Qt::green);
        }
        {
            QFile f(chemin);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(date, QFileDevice::FileModificationTime));
        }
        QCOMPARE(QFileInfo(chemin).size(), octets);
        QCOMPARE(QFileInfo(chemin).lastModified(), date);
        m_fiche->AfficheFiche();
        QTRY_VERIFY(!Cadre()->EnAttente());
        QCOMPARE(Centre(Cadre()->Image()), QColor(Qt::green));
    }

    // Too large one way only is too large: the picture is reduced to fit.
    void tropGrandeDansUnSens_data()
    {
        QTest::addColumn<QSize>("taille");
        QTest::addColumn<QSize>("attendue");
        QTest::newRow("too wide only") << QSize(300, 100) << QSize(135, 45);
        QTest::newRow("too high only") << QSize(100, 300) << QSize(45, 135);
        QTest::newRow("one pixel too wide") << QSize(136, 68) << QSize(135, 67);
        QTest::newRow("fits: own size") << QSize(135, 20) << QSize(135, 20);
    }
    void tropGrandeDansUnSens()
    {
        QFETCH(QSize, taille);
        QFETCH(QSize, attendue);
        Image(Images() + "/photo.png", taille, Qt::blue);
        m_fiche->Modele()->SetCellule(Photo, 1, "photo.png");
        m_fiche->AfficheFiche();
        QTRY_VERIFY(!Cadre()->EnAttente());
        QCOMPARE(Cadre()->Image().size(), attendue);
        QCOMPARE(Autres(Cadre()->Image(), Qt::blue), 0);
    }

    // A two-colour picture larger than the frame keeps its colours once reduced.
    void deuxCouleurs_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QSize>("taille");
        QTest::addColumn<QSize>("attendue");
        QTest::newRow("1-bit png, larger") << "rouge.png" << QSize(300, 300) << QSize(135, 135);
        QTest::newRow("1-bit png, wider") << "rouge.png" << QSize(400, 100) << QSize(135, 33);
        QTest::newRow("1-bit png, smaller") << "rouge.png" << QSize(50, 50) << QSize(50, 50);
        QTest::newRow("1-bit bmp, larger") << "rouge.bmp" << QSize(300, 300) << QSize(135, 135);
    }
    void deuxCouleurs()
    {
        QFETCH(QString, nom);
        QFETCH(QSize, taille);
        QFETCH(QSize, attendue);
        const QString chemin = Images() + "/" + nom;
        if (nom.endsWith(".png")) {
            QVERIFY(OutilsImages::Ecrit(
                chemin, OutilsImages::PngUni(taille.width(), taille.height(), Qt::red, true)));
        } else {
            QImage mono(taille, QImage::Format_Mono);
            mono.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 0)});
            mono.fill(0);
            QVERIFY(mono.save(chemin, "BMP"));
        }
        m_fiche->Modele()->SetCellule(Photo, 1, CodePage::Octets(nom));
        m_fiche->AfficheFiche();
        QTRY_VERIFY(!Cadre()->EnAttente());
        QCOMPARE(Cadre()->Image().size(), attendue);
        QCOMPARE(Autres(Cadre()->Image(), Qt::red), 0);
        Cadre()->grab().save(QDir::tempPath() + "/carnet-cadre-deux-couleurs.png");
    }

    // A photo name that is a named pipe is refused without being opened.
    void tubeRefuse()
    {
        OutilsImages::GardeTube tube(Images() + "/tube.png");
        QVERIFY(tube.Cree());
        m_fiche->Modele()->SetCellule(Photo, 1, "tube.png");
        m_fiche->AfficheFiche();
        QTRY_VERIFY(!Cadre()->EnAttente());
        QCOMPARE(int(m_photos->Etat()), int(LecturePhoto::Etat::Refusee));
        QVERIFY(Cadre()->AUneImage()); // the card
        QCOMPARE(Cadre()->Image().pixelColor(10, 10), QColor(236, 236, 236));
        QVERIFY(!tube.Ouvert());
        const LecturePhoto::Resultat r = LecturePhoto::Lit(Images() + "/tube.png");
        QCOMPARE(int(r.etat), int(LecturePhoto::Etat::Refusee));
        QVERIFY2(r.raison.contains(U("pas un fichier ordinaire")), qPrintable(r.raison));
        QVERIFY(!tube.Ouvert());
    }

    // Formats told by their extension alone, and pictures whose extension lies.
    void formatsLus_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("contenu");
        QByteArray tga(18, '\0'); // uncompressed true colour, 2 x 2, bottom-up
        tga[2] = 2;
        tga[12] = 2;
        tga[14] = 2;
        tga[16] = 24;
        tga += QByteArray::fromHex("ff0000").repeated(4);                 // blue, green, red order
        tga += QByteArray(8, '\0') + QByteArray("TRUEVISION-XFILE.", 18); // version 2.0
        QTest::newRow("tga, no signature") << "bleu.tga" << tga;
        QTest::newRow("png named .jpg")
            << "bleu.jpg" << OutilsImages::PngUni(20, 20, Qt::blue, false);
        QTest::newRow("png named .bmp, 1-bit")
            << "bleu.bmp" << OutilsImages::PngUni(300, 30, Qt::blue, true);
    }
    void formatsLus()
    {
        QFETCH(QString, nom);
        QFETCH(QByteArray, contenu);
        QVERIFY(OutilsImages::Ecrit(Images() + "/" + nom, contenu));
        m_fiche->Modele()->SetCellule(Photo, 1, CodePage::Octets(nom));
        m_fiche->AfficheFiche();
        QTRY_VERIFY(!Cadre()->EnAttente());
        QCOMPARE(int(m_photos->Etat()), int(LecturePhoto::Etat::Lue));
        QCOMPARE(Autres(Cadre()->Image(), Qt::blue), 0);
    }

    // A book open read-only (another copy holds it) keeps its photos: the frame's
    // menu shows both items greyed, and the commands reached anyway change nothing.
    void lectureSeule()
    {
        Image(Images() + "/p.png", {10, 10}, Qt::red);
        Repertoire rep;
        rep.SetNbLignes(2);
        rep.SetCellule(Photo, 1, "p.png");
        const QString livre = Chemin("amis.REP");
        QCOMPARE(FichierRep::EcritRepertoire(livre, rep), QString());
        VerrouRepertoire autreCopie;
        QCOMPARE(autreCopie.Prend(livre).issue, VerrouRepertoire::Issue::Pris);
        TMessage::ChoixSuivant(0); // "Ouvrir en lecture seule"
        QVERIFY(m_fiche->Document()->Charge(livre));
        QVERIFY(m_fiche->Document()->LectureSeule());
        m_fiche->AfficheFiche();
        QCOMPARE(MenuDuCadre(),
                 QStringList({U("Charger photo... (grisé)"), U("Effacer photo (grisé)")}));
        m_photos->Menu()->hide();
        m_choix = {true, Chemin("ailleurs/x.png"), Chemin("ailleurs"), true};
        Image(m_choix.fichier, {10, 10}, Qt::blue);
        m_photos->ChargerPhoto1Click();
        m_photos->EffacerPhoto1Click();
        QCOMPARE(m_pickers, 0);
        QCOMPARE(Cellule(), std::string("p.png"));
        QVERIFY(!m_fiche->Rep().Modifie());
        QVERIFY(!QFile::exists(Images() + "/x.png"));
    }

    // The frame's right-click menu.
    void menuDuCadre()
    {
        QCOMPARE(Cadre()->toolTip(), U("Clic droit pour charger ou effacer une photo"));
        QCOMPARE(MenuDuCadre(), QStringList({U("Charger photo..."), U("Effacer photo (grisé)")}));
        m_photos->Menu()->hide();
        m_choix = {true, Chemin("ailleurs/x.png"), Chemin("ailleurs"), true};
        Image(m_choix.fichier, {10, 10}, Qt::red);
        m_photos->ItemCharger()->trigger();
        QCOMPARE(Cellule(), std::string("x.png"));
        QCOMPARE(MenuDuCadre(), QStringList({U("Charger photo..."), U("Effacer photo")}));
        QVERIFY(m_photos->ItemEffacer()->isEnabled());
        m_photos->Menu()->hide();
    }
};

CARNET_TEST(TestCheminsPhoto)
CARNET_TEST(TestPhotos)
#include "TestPhotos.moc"
