// The dial string, the modem command and the messages, then the dialer against a
// pseudo-terminal: the exact bytes, "&Non", a missing, busy or blocked device and a
// refused dial string.

#include "Pty.h"
#include "Registre.h"

#include "comm/CommandeModem.h"
#include "comm/PortSerie.h"
#include "comm/TDialer.h"
#include "ui/TMessage.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{
QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QStringList Messages()
{
    QStringList textes;
    for (const auto& t : TMessage::Historique())
        textes << (t.question ? "? " : "") + t.titre + ": " + t.texte;
    return textes;
}
} // namespace

class TestDialer : public QObject
{
    Q_OBJECT

private slots:
    void init() { TMessage::ModeTest(true); }
    void cleanup() { TMessage::ModeTest(false); }

    void chaineEtCommande_data()
    {
        QTest::addColumn<QByteArray>("prefixe");
        QTest::addColumn<QByteArray>("texte");
        QTest::addColumn<bool>("impulsions");
        QTest::addColumn<QByteArray>("chaine");
        QTest::addColumn<QByteArray>("commande");
        QTest::newRow("prefix 0, grouped number, tone")
            << QByteArray("0") << QByteArray("01 23 45 67 89") << false
            << QByteArray("0 - 01 23 45 67 89") << QByteArray("ATDT0 - 01 23 45 67 89\r\n");
        QTest::newRow("pulse") << QByteArray() << QByteArray("0123456789") << true
                               << QByteArray("0123456789") << QByteArray("ATDP0123456789\r\n");
        QTest::newRow("empty field still dials")
            << QByteArray() << QByteArray() << false << QByteArray() << QByteArray("ATDT\r\n");
        QTest::newRow("field kept unchanged, spaces and accents")
            << QByteArray("9,") << QByteArray(" +33 (0)1 t\xE9l ") << false
            << QByteArray("9, -  +33 (0)1 t\xE9l ") << QByteArray("ATDT9, -  +33 (0)1 t\xE9l \r\n");
    }
    void chaineEtCommande()
    {
        QFETCH(QByteArray, prefixe);
        QFETCH(QByteArray, texte);
        QFETCH(bool, impulsions);
        QFETCH(QByteArray, chaine);
        QFETCH(QByteArray, commande);
        const std::string s =
            CommandeModem::ChaineANumeroter(prefixe.toStdString(), texte.toStdString());
        QCOMPARE(QByteArray::fromStdString(s), chaine);
        QCOMPARE(QByteArray::fromStdString(
                     CommandeModem::Commande(s, impulsions ? TMethod::dmPulse : TMethod::dmTone)),
                 commande);
    }

    void numeroSur_data()
    {
        QTest::addColumn<QByteArray>("numero");
        QTest::addColumn<bool>("sur");
        QTest::newRow("digits and punctuation") << QByteArray("+33 (0)1-23.45,67;89#*") << true;
        QTest::newRow("Windows-1252 letters") << QByteArray("t\xE9l \x80") << true;
        QTest::newRow("CR starts another command") << QByteArray("0123\rATZ") << false;
        QTest::newRow("LF") << QByteArray("0123\nATZ") << false;
        QTest::newRow("folded line break") << QByteArray("0123\x07") << false;
        QTest::newRow("tab") << QByteArray("01\t23") << false;
        QTest::newRow("DEL") << QByteArray("01\x7F") << false;
        QTest::newRow("NUL") << QByteArray("01\0 23", 5) << false;
    }
    void numeroSur()
    {
        QFETCH(QByteArray, numero);
        QFETCH(bool, sur);
        QCOMPARE(CommandeModem::NumeroSur(std::string_view(numero.constData(), numero.size())),
                 sur);
    }

    // What reaches the device and what the user is told, for each way a call can go.
    void numerotation_data()
    {
        QTest::addColumn<QByteArray>("numero");
        QTest::addColumn<bool>("impulsions");
        QTest::addColumn<int>("reponse");      // TMessage::Reponse to the confirmation
        QTest::addColumn<int>("peripherique"); // 0 the pty, 1 missing, 2 held, 3 a file
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QStringList>("messages");
        const QString decroche = U("Information: Décrochez votre combiné, puis cliquez sur OK "
                                   "lorsque vous entendrez la première sonnerie.");
        QTest::newRow("Oui: dial, pick-up box, hang up")
            << QByteArray("0 - 01 23 45 67 89") << false << int(TMessage::Oui) << 0
            << QByteArray("ATDT0 - 01 23 45 67 89\r\nATH\r\n")
            << QStringList{U("? Confirmation: Numéroter 0 - 01 23 45 67 89 ?"), decroche};
        QTest::newRow("pulse") << QByteArray("0123") << true << int(TMessage::Oui) << 0
                               << QByteArray("ATDP0123\r\nATH\r\n")
                               << QStringList{U("? Confirmation: Numéroter 0123 ?"), decroche};
        QTest::newRow("empty number")
            << QByteArray() << false << int(TMessage::Oui) << 0 << QByteArray("ATDT\r\nATH\r\n")
            << QStringList{U("? Confirmation: Numéroter  ?"), decroche};
        QTest::newRow("Non: the port is never opened")
            << QByteArray("0123") << false << int(TMessage::Non) << 1 << QByteArray()
            << QStringList{U("? Confirmation: Numéroter 0123 ?")};
        QTest::newRow("missing device")
            << QByteArray("0123") << false << int(TMessage::Oui) << 1 << QByteArray()
            << QStringList{U("? Confirmation: Numéroter 0123 ?"),
                           U("Erreur: Impossible d'ouvrir COM4 (%1).\nLe périphérique n'existe "
                             "pas.")};
        QTest::newRow("device held by another program")
            << QByteArray("0123") << false << int(TMessage::Oui) << 2 << QByteArray()
            << QStringList{U("? Confirmation: Numéroter 0123 ?"),
                           U("Erreur: Impossible d'ouvrir COM4 (%1).\nLe port est occupé par un "
                             "autre programme, ou son accès est refusé.")};
        QTest::newRow("ordinary file typed as the device")
            << QByteArray("0123") << false << int(TMessage::Oui) << 3 << QByteArray()
            << QStringList{U("? Confirmation: Numéroter 0123 ?"),
                           U("Erreur: Impossible d'ouvrir COM4 (%1).\nCe n'est pas un "
                             "périphérique série.")};
        QTest::newRow("second command in the number: refused before anything")
            << QByteArray("0123\r\nATZ") << false << int(TMessage::Oui) << 0 << QByteArray()
            << QStringList{U("Erreur: Numérotation impossible.\nLe numéro contient un retour à "
                             "la ligne ou un autre caractère de contrôle, que le modem prendrait "
                             "pour une autre commande.")};
    }
    void numerotation()
    {
        QFETCH(QByteArray, numero);
        QFETCH(bool, impulsions);
        QFETCH(int, reponse);
        QFETCH(int, peripherique);
        QFETCH(QByteArray, octets);
        QFETCH(QStringList, messages);
        Pty pty;
        QVERIFY(pty.Valide());
        QTemporaryDir dossier;
        QString chemin = peripherique == 1 ? QStringLiteral("/nonexistent/ttyS3") : pty.chemin;
        if (peripherique == 3) {
            chemin = dossier.filePath("modem");
            QFile fichier(chemin);
            QVERIFY(fichier.open(QIODevice::WriteOnly));
            fichier.write("contenu");
        }
        PortSerie autre;
        if (peripherique == 2) QVERIFY(autre.Ouvre(pty.chemin, nullptr));

        TDialer dialer;
        dialer.Language = TLanguage::dlFrench;
        dialer.ComPort = TComPort::dpCOM4;
        dialer.Ports().SetPeripherique(TComPort::dpCOM4, chemin);
        dialer.Method = impulsions ? TMethod::dmPulse : TMethod::dmTone;
        dialer.NumberToDial = numero.toStdString();
        TMessage::ReponseSuivante(TMessage::Reponse(reponse));
        dialer.Dial();
        QCOMPARE(pty.Lit(), octets);
        if (peripherique == 3) {
            QFile fichier(chemin);
            QVERIFY(fichier.open(QIODevice::ReadOnly));
            QCOMPARE(fichier.readAll(), QByteArray("contenu"));
        }
        for (QString& m : messages)
            if (m.contains("%1")) m = m.arg(chemin);
        QCOMPARE(Messages(), messages);

        // The port was closed: it opens again at once.
        autre.Ferme();
        PortSerie apres;
        QString raison;
        QVERIFY2(chemin != pty.chemin || apres.Ouvre(pty.chemin, &raison), qPrintable(raison));
    }

    // A device that stops taking bytes: the write gives up within its time-out, the
    // failure is told and the port is left closed.
    void portBloque()
    {
        Pty pty;
        QVERIFY(pty.Valide());
        pty.Remplit();
        TDialer dialer;
        dialer.Language = TLanguage::dlFrench;
        dialer.Confirm = false;
        dialer.ComPort = TComPort::dpCOM1;
        dialer.Ports().SetPeripherique(TComPort::dpCOM1, pty.chemin);
        dialer.DelaiEcriture = 300;
        dialer.NumberToDial = "0123";
        QElapsedTimer chrono;
        chrono.start();
        QCOMPARE(dialer.Dial(), TDialer::Issue::Echec);
        QVERIFY2(chrono.elapsed() < 2000, qPrintable(QString::number(chrono.elapsed())));
        QCOMPARE(Messages(), QStringList{U("Erreur: Numérotation impossible.\nCOM1 (%1) : Le port "
                                           "n'a pas accepté la commande dans le délai.")
                                             .arg(pty.chemin)});
        PortSerie apres;
        QVERIFY(apres.Ouvre(pty.chemin, nullptr));
    }
};

CARNET_TEST(TestDialer)
#include "TestDialer.moc"
