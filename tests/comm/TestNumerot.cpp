// The dialing parameters: read at start-up, applied to the dialer at creation and at
// every close, written at the close; the device chosen for each port.

#include "Registre.h"

#include "comm/TNumerot.h"
#include "settings/Reglages.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestNumerot : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dossier;
    QString Ini() const { return m_dossier.filePath("carnet.ini"); }

    void Prepare(std::initializer_list<std::pair<const char*, QString>> valeurs)
    {
        QFile::remove(Ini());
        QSettings avant(Ini(), QSettings::IniFormat);
        for (const auto& [cle, valeur] : valeurs)
            avant.setValue(QString::fromUtf8(cle), valeur);
    }

private slots:
    void lecture_data()
    {
        QTest::addColumn<QString>("modem");
        QTest::addColumn<QString>("methode");
        QTest::addColumn<QString>("prefixe");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("impulsions");
        QTest::addColumn<QString>("prefixeLu");
        QTest::newRow("first start: COM3, tone, no prefix")
            << QString() << QString() << QString() << 2 << false << QString();
        QTest::newRow("stored COM1, pulse, prefix 0") << "0"
                                                      << "0"
                                                      << "0" << 0 << true << "0";
        QTest::newRow("COM4, tone")
            << "3"
            << "1" << QString::fromUtf8("9é") << 3 << false << QString::fromUtf8("9é");
        QTest::newRow("out of range and not numbers give the defaults") << "7"
                                                                        << "abc"
                                                                        << "0" << 2 << false << "0";
        QTest::newRow("negative") << "-1"
                                  << "2" << QString() << 2 << false << QString();
        QTest::newRow("a prefix the box could not hold")
            << "1"
            << "0" << QString::fromUtf8("0\r\nATZ") << 1 << true << "0 ATZ";
    }
    void lecture()
    {
        QFETCH(QString, modem);
        QFETCH(QString, methode);
        QFETCH(QString, prefixe);
        QFETCH(int, port);
        QFETCH(bool, impulsions);
        QFETCH(QString, prefixeLu);
        Prepare({});
        {
            QSettings avant(Ini(), QSettings::IniFormat);
            if (!modem.isNull()) avant.setValue("Options/Modem", modem);
            if (!methode.isNull()) avant.setValue(QString::fromUtf8("Options/Méthode"), methode);
            if (!prefixe.isNull()) avant.setValue(QString::fromUtf8("Options/Préfixe"), prefixe);
        }
        TNumerot n;
        n.Lit(Reglages(Ini()));
        QVERIFY(n.BoutonModem(port)->isChecked());
        QVERIFY(n.BoutonMethode(impulsions ? 0 : 1)->isChecked());
        QCOMPARE(n.EditPrefixe()->text(), prefixeLu);
        QCOMPARE(int(n.Dialer().ComPort), port);
        QCOMPARE(n.Dialer().Method, impulsions ? TMethod::dmPulse : TMethod::dmTone);
        QCOMPARE(n.Dialer().Language, TLanguage::dlFrench);
        QVERIFY(n.Dialer().Confirm);
    }

    // The choice takes effect when the dialog closes, and is written at the close of
    // the program; the prefix is read at each call.
    void fermetureAppliqueEtEcrit()
    {
        Prepare({});
        TNumerot n;
        n.Lit(Reglages(Ini()));
        n.open();
        n.BoutonModem(3)->click();
        n.BoutonMethode(0)->click();
        QCOMPARE(n.Dialer().ComPort, TComPort::dpCOM3);
        n.ListePeripheriques()->setEditText("/dev/ttyACM0");
        QTest::keyClicks(n.EditPrefixe(), "0");
        n.accept();
        QCOMPARE(n.Dialer().ComPort, TComPort::dpCOM4);
        QCOMPARE(n.Dialer().Method, TMethod::dmPulse);
        QCOMPARE(n.Dialer().Ports().Peripherique(TComPort::dpCOM4), QString("/dev/ttyACM0"));
        QCOMPARE(n.Dialer().Ports().Peripherique(TComPort::dpCOM3), QString("/dev/ttyS2"));
        QCOMPARE(n.Prefixe(), std::string("0"));

        // Another port shows its own device; emptied, a port falls back to its default.
        n.open();
        n.BoutonModem(1)->click();
        QCOMPARE(n.ListePeripheriques()->currentText(), QString("/dev/ttyS1"));
        n.ListePeripheriques()->setEditText("");
        n.reject();
        QCOMPARE(n.ListePeripheriques()->currentText(), QString("/dev/ttyS1"));
        n.grab().save(QDir::tempPath() + "/carnet-numerot.png");

        Reglages r(Ini());
        n.Ecrit(r);
        QVERIFY(r.Enregistre());
        QSettings apres(Ini(), QSettings::IniFormat);
        QCOMPARE(apres.value("Options/Modem").toString(), QString("1"));
        QCOMPARE(apres.value(QString::fromUtf8("Options/Méthode")).toString(), QString("0"));
        QCOMPARE(apres.value(QString::fromUtf8("Options/Préfixe")).toString(), QString("0"));
        QCOMPARE(apres.value(QString::fromUtf8("Ports série/COM4")).toString(),
                 QString("/dev/ttyACM0"));

        TNumerot suivant;
        suivant.Lit(Reglages(Ini()));
        QCOMPARE(suivant.Dialer().ComPort, TComPort::dpCOM2);
        QCOMPARE(suivant.Dialer().Ports().Peripherique(TComPort::dpCOM4), QString("/dev/ttyACM0"));
    }
};

CARNET_TEST(TestNumerot)
#include "TestNumerot.moc"
