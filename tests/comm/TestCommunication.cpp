// The record pages' phone and Internet fields under the mouse, the two menu commands,
// and the dialing settings.

#include "Pty.h"
#include "Registre.h"

#include "BancCommunication.h"
#include "comm/TCommunication.h"
#include "comm/TNumerot.h"
#include "mainwindow/TFiche.h"
#include "mainwindow/TMenusFiche.h"
#include "mainwindow/TPagesFiche.h"
#include "ui/TMessage.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

class BureauFiche : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> ouverts;
public slots:
    void Ouvre(const QUrl& url) { ouverts << url; }
};

class TestCommunication : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dossier;
    std::unique_ptr<BancCommunication> m_programme;
    BureauFiche m_bureau;

    TFiche* Fiche() const { return m_programme->Fiche(); }
    QLineEdit* Edit(int colonne) const
    {
        return qobject_cast<QLineEdit*>(Fiche()->PagesFiche()->Controle(colonne));
    }
    QString Ini() const { return m_dossier->filePath("carnet.ini"); }

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
    void init()
    {
        TMessage::ModeTest(true);
        m_bureau.ouverts.clear();
        m_dossier = std::make_unique<QTemporaryDir>();
        m_programme =
            std::make_unique<BancCommunication>(Ini(), m_dossier->path() + '/', QStringList());
        Fiche()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Fiche()));
    }
    void cleanup()
    {
        m_programme.reset();
        TMessage::ModeTest(false);
    }

    void bulles()
    {
        QStringList numeroter, courriel;
        for (int c = 0; c < NbColonnes - 1; ++c) {
            const QString bulle = Fiche()->PagesFiche()->Controle(c)->toolTip();
            if (bulle == QString::fromUtf8("Clic droit pour numéroter"))
                numeroter << QString::number(c);
            if (bulle == QString::fromUtf8("Clic droit pour envoyer un message !"))
                courriel << QString::number(c);
        }
        const QStringList telephones = {"10", "11", "12", "13", "23", "24", "25", "26", "41", "42"};
        const QStringList internet = {"14", "15", "16", "27", "28", "29", "43"};
        QCOMPARE(numeroter, telephones);
        QCOMPARE(courriel, internet);
    }

    // A right press dials or writes; the edit menu does not pop up; the left button
    // only places the cursor.
    void clicsDansLesChamps_data()
    {
        QTest::addColumn<int>("colonne");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("confirmation"); // empty: a mail field
        QTest::addColumn<QByteArray>("lien");
        QTest::newRow("Tél 1") << int(Tel) << "01 23 45 67 89"
                               << QString::fromUtf8("Numéroter 0 - 01 23 45 67 89 ?")
                               << QByteArray();
        QTest::newRow("Fax (banque)")
            << int(BFax) << "0499" << QString::fromUtf8("Numéroter 0 - 0499 ?") << QByteArray();
        QTest::newRow("Internet 1") << int(Internet) << "a@b.fr?body=x" << QString()
                                    << QByteArray("mailto:a@b.fr%3Fbody%3Dx");
        QTest::newRow("empty Internet (banque)")
            << int(BInternet) << "" << QString() << QByteArray("mailto:");
    }
    void clicsDansLesChamps()
    {
        QFETCH(int, colonne);
        QFETCH(QString, texte);
        QFETCH(QString, confirmation);
        QFETCH(QByteArray, lien);
        Fiche()->PageControl()->setCurrentWidget(
            Fiche()->PagesFiche()->Page(Champs::Info(colonne).page));
        m_programme->Numerot()->EditPrefixe()->setText("0");
        QLineEdit* edit = Edit(colonne);
        edit->setText(texte);
        edit->setCursorPosition(0);

        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
        QCOMPARE(edit->cursorPosition(), texte.size());
        QVERIFY(TMessage::Historique().empty());
        QVERIFY(m_bureau.ouverts.isEmpty());

        TMessage::ReponseSuivante(TMessage::Non);
        QTest::mousePress(edit, Qt::RightButton, {}, QPoint(5, 5));
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5),
                               edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(edit, &menu);
        QTest::mouseRelease(edit, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(!QApplication::activePopupWidget());
        if (confirmation.isEmpty()) {
            QVERIFY(TMessage::Historique().empty());
            QCOMPARE(m_bureau.ouverts.size(), 1);
            QCOMPARE(m_bureau.ouverts.first().toEncoded(), lien);
        } else {
            QCOMPARE(TMessage::Historique().size(), size_t(1));
            QCOMPARE(TMessage::DernierTexte(), confirmation);
            QVERIFY(m_bureau.ouverts.isEmpty());
        }
        QCOMPARE(edit->text(), texte);
    }

    // The whole road from a phone field to the modem.
    void numeroteJusquAuModem()
    {
        Pty pty;
        QVERIFY(pty.Valide());
        TNumerot* numerot = m_programme->Numerot();
        numerot->Dialer().Ports().SetPeripherique(TComPort::dpCOM3, pty.chemin);
        Edit(Portable)->setText("06 12");
        TMessage::ReponseSuivante(TMessage::Oui);
        QTest::mousePress(Edit(Portable), Qt::RightButton);
        QCOMPARE(pty.Lit(), QByteArray("ATDT06 12\r\nATH\r\n"));
    }

    void commandesDuMenu()
    {
        using C = TMenusFiche::Commande;
        QAction* siteWeb = Fiche()->Menus()->Item(C::SiteWeb);
        QAction* numerotation = Fiche()->Menus()->Item(C::Numerotation);
        QVERIFY(siteWeb->isEnabled());
        QVERIFY(numerotation->isEnabled());
        siteWeb->trigger();
        QCOMPARE(m_bureau.ouverts.size(), 1);
        QVERIFY(m_bureau.ouverts.first().isLocalFile());
        QVERIFY(m_bureau.ouverts.first().toLocalFile().endsWith("/adresses.html"));

        bool vu = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* actif = QApplication::activeModalWidget();
            vu = actif == m_programme->Numerot();
            if (actif) qobject_cast<QDialog*>(actif)->accept();
        });
        numerotation->trigger();
        QVERIFY(vu);
    }
};

CARNET_TEST(TestCommunication)
#include "TestCommunication.moc"
