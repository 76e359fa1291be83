// What the close of the whole program writes, where several subsystems share a
// section of the settings.

#include "Registre.h"

#include "app/TProgramme.h"
#include "comm/TNumerot.h"
#include "mainwindow/TFiche.h"
#include "photos/TPhotos.h"
#include "ui/TMessage.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestFermetureProgramme : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dossier;
    std::unique_ptr<TProgramme> m_programme;

    TFiche* Fiche() const { return m_programme->Fiche(); }
    QString Ini() const { return m_dossier->filePath("carnet.ini"); }

private slots:
    void init()
    {
        TMessage::ModeTest(true);
        m_dossier = std::make_unique<QTemporaryDir>();
        m_programme = std::make_unique<TProgramme>(Ini(), m_dossier->path() + '/', QStringList());
        Fiche()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Fiche()));
    }
    void cleanup()
    {
        m_programme.reset();
        TMessage::ModeTest(false);
    }

    // The close writes the dialing parameters and the picker's preview option; the
    // picker's folder is for the run only.
    void fermetureEcritLesReglages()
    {
        m_programme->Numerot()->BoutonModem(0)->setChecked(true);
        m_programme->Numerot()->EditPrefixe()->setText("9");
        TPhotos* photos = m_programme->Photos();
        photos->ChoisitImage = [](const QString&, bool) {
            TPhotos::Choix c;
            c.apercu = false;
            return c;
        };
        photos->ChargerPhoto1Click();
        {
            QSettings avant(Ini(), QSettings::IniFormat);
            avant.setValue("Options/CheminImagesPerso", m_dossier->path());
        }
        QVERIFY(Fiche()->close());
        QSettings apres(Ini(), QSettings::IniFormat);
        QCOMPARE(apres.value("Options/Modem").toString(), QString("0"));
        QCOMPARE(apres.value(QString::fromUtf8("Options/Préfixe")).toString(), QString("9"));
        QCOMPARE(apres.value(QString::fromUtf8("Options/Méthode")).toString(), QString("1"));
        QCOMPARE(apres.value(QString::fromUtf8("Options/Aperçu")).toString(), QString("0"));
        QVERIFY(!apres.contains("Options/CheminImagesPerso"));
        QCOMPARE(apres.value(QString::fromUtf8("Ports série/COM1")).toString(),
                 QString("/dev/ttyS0"));

        m_programme = std::make_unique<TProgramme>(Ini(), m_dossier->path() + '/', QStringList());
        QCOMPARE(m_programme->Numerot()->Dialer().ComPort, TComPort::dpCOM1);
        QCOMPARE(m_programme->Photos()->Apercu(), false);
    }
};

CARNET_TEST(TestFermetureProgramme)
#include "TestFermetureProgramme.moc"
