// The links handed to the desktop: a "mailto:" link that carries the address only,
// and the web-site command's page.

#include "Registre.h"

#include "comm/LiensBureau.h"

#include <QDesktopServices>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// Catches what the program asks the desktop to open.
class Bureau : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> ouverts;
public slots:
    void Ouvre(const QUrl& url) { ouverts << url; }
};

class TestLiens : public QObject
{
    Q_OBJECT

    Bureau m_bureau;

private slots:
    void initTestCase()
    {
        Q_INIT_RESOURCE(carnet);
        QDesktopServices::setUrlHandler("mailto", &m_bureau, "Ouvre");
        QDesktopServices::setUrlHandler("file", &m_bureau, "Ouvre");
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("mailto");
        QDesktopServices::unsetUrlHandler("file");
    }
    void init() { m_bureau.ouverts.clear(); }

    void courriel_data()
    {
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QByteArray>("lien");
        QTest::newRow("plain address")
            << "jean.dupont@exemple.fr" << QByteArray("mailto:jean.dupont@exemple.fr");
        QTest::newRow("empty field: a message without recipient") << "" << QByteArray("mailto:");
        QTest::newRow("attachment smuggled in a query")
            << "a@b.fr?attach=/etc/passwd"
            << QByteArray("mailto:a@b.fr%3Fattach%3D%2Fetc%2Fpasswd");
        QTest::newRow("extra headers")
            << "a@b.fr?cc=x@y.fr&bcc=z@y.fr&body=salut"
            << QByteArray("mailto:a@b.fr%3Fcc%3Dx@y.fr%26bcc%3Dz@y.fr%26body%3Dsalut");
        QTest::newRow("fragment") << "a@b.fr#x" << QByteArray("mailto:a@b.fr%23x");
        QTest::newRow("already percent-encoded stays literal")
            << "a@b.fr%3Fbody%3Dx" << QByteArray("mailto:a@b.fr%253Fbody%253Dx");
        QTest::newRow("second recipient by comma")
            << "a@b.fr,c@d.fr" << QByteArray("mailto:a@b.fr%2Cc@d.fr");
        QTest::newRow("web address still makes a mailto link")
            << "http://www.exemple.fr" << QByteArray("mailto:http%3A%2F%2Fwww.exemple.fr");
        QTest::newRow("name and spaces kept, encoded")
            << " Jean <j@d.fr> " << QByteArray("mailto:%20Jean%20%3Cj@d.fr%3E%20");
        QTest::newRow("accented letters in UTF-8")
            << QString::fromUtf8("élodie@b.fr") << QByteArray("mailto:%C3%A9lodie@b.fr");
    }
    void courriel()
    {
        QFETCH(QString, adresse);
        QFETCH(QByteArray, lien);
        QVERIFY(LiensBureau::OuvreCourriel(adresse));
        QCOMPARE(m_bureau.ouverts.size(), 1);
        const QUrl url = m_bureau.ouverts.first();
        QCOMPARE(url.toEncoded(), lien);
        QCOMPARE(url.scheme(), QString("mailto"));
        QVERIFY(!url.hasQuery());
        QVERIFY(!url.hasFragment());
        QCOMPARE(url.path(QUrl::FullyDecoded), adresse);
    }

    // While the program has no public page, the command opens its help as a local page.
    void siteWeb()
    {
        QTemporaryDir dossier;
        QString raison;
        const QUrl page = LiensBureau::PageSiteWeb(dossier.filePath("aide"), &raison);
        QCOMPARE(raison, QString());
        QVERIFY(LiensBureau::Ouvre(page));
        QCOMPARE(m_bureau.ouverts, QList<QUrl>{page});
        QVERIFY(page.isLocalFile());
        QFile ecrite(page.toLocalFile());
        QFile aide(":/aide/adresses.html");
        QVERIFY(ecrite.open(QIODevice::ReadOnly) && aide.open(QIODevice::ReadOnly));
        QCOMPARE(ecrite.readAll(), aide.readAll());

        // A folder that cannot be made: the reason, and no link.
        QFile bouchon(dossier.filePath("fichier"));
        QVERIFY(bouchon.open(QIODevice::WriteOnly));
        bouchon.close();
        QVERIFY(LiensBureau::PageSiteWeb(dossier.filePath("fichier/aide"), &raison).isEmpty());
        QVERIFY(!raison.isEmpty());
    }
};

CARNET_TEST(TestLiens)
#include "TestLiens.moc"
