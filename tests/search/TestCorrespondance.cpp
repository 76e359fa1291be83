#include "Registre.h"
#include "records/CodePage.h"
#include "search/Correspondance.h"

#include <QTest>
#include <random>
#include <string>

namespace
{
std::string Octets(const char* utf8)
{
    return CodePage::Octets(QString::fromUtf8(utf8));
}

// The rule written the slow, obvious way: fold both texts, then search.
std::ptrdiff_t PositionReference(const std::string& texte, const std::string& cellule)
{
    if (texte.empty()) return -1;
    auto plie = [](std::string s) {
        for (char& c : s)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        return s;
    };
    const size_t p = plie(cellule).find(plie(texte));
    return p == std::string::npos ? -1 : static_cast<std::ptrdiff_t>(p);
}
} // namespace

class TestCorrespondance : public QObject
{
    Q_OBJECT
private slots:
    void regle_data()
    {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("cellule");
        QTest::addColumn<int>("position");
        QTest::newRow("lower-case letter finds its capital") << "e"
                                                             << "DUPONT EMILE" << 7;
        QTest::newRow("capital finds the lower-case letter") << "DUP"
                                                             << "dupont" << 0;
        QTest::newRow("mixed case inside a word") << "pOnT"
                                                  << "Dupont" << 2;
        QTest::newRow("é finds é") << "é"
                                   << "Hélène" << 1;
        QTest::newRow("é does not find É") << "é"
                                           << "ÉLISE" << -1;
        QTest::newRow("É does not find é") << "É"
                                           << "élise" << -1;
        QTest::newRow("e does not find é") << "e"
                                           << "é" << -1;
        QTest::newRow("é does not find e") << "é"
                                           << "e" << -1;
        QTest::newRow("first occurrence counts") << "an"
                                                 << "Jean-Antoine" << 2;
        QTest::newRow("at the very end") << "ont"
                                         << "Dupont" << 3;
        QTest::newRow("whole cell") << "Dupont"
                                    << "DUPONT" << 0;
        QTest::newRow("longer than the cell") << "Duponts"
                                              << "Dupont" << -1;
        QTest::newRow("empty text matches nothing") << ""
                                                    << "Dupont" << -1;
        QTest::newRow("empty text, empty cell") << ""
                                                << "" << -1;
        QTest::newRow("empty cell") << "a"
                                    << "" << -1;
        // Bytes one bit 5 apart that are not letters must stay apart.
        QTest::newRow("@ is not `") << "@"
                                    << "a`b" << -1;
        QTest::newRow("` is not @") << "`x"
                                    << "@x" << -1;
        QTest::newRow("[ is not {") << "["
                                    << "{" << -1;
        QTest::newRow("digits and punctuation") << "06 12"
                                                << "Tél : 06 12 34" << 6;
        QTest::newRow("false start then match") << "aab"
                                                << "aaab" << 1;
        QTest::newRow("false start, non-letter first byte") << "-x"
                                                            << "--y-X" << 3;
        QTest::newRow("notes across CR LF") << "b\r\nc"
                                            << "a\r\nB\r\nC" << 3;
    }
    void regle()
    {
        QFETCH(QString, texte);
        QFETCH(QString, cellule);
        QFETCH(int, position);
        const std::string t = CodePage::Octets(texte);
        const std::string c = CodePage::Octets(cellule);
        QCOMPARE(Correspondance::Position(t, c), std::ptrdiff_t(position));
        QCOMPARE(Correspondance::MatchText(t, c), position >= 0);
    }

    // Views into a larger buffer: nothing past the view's end may be read or matched.
    void vueSansDebordement()
    {
        const std::string livre = Octets("DupontMartin");
        const std::string_view nom = std::string_view(livre).substr(0, 6);
        QVERIFY(Correspondance::MatchText("dupont", nom));
        QVERIFY(!Correspondance::MatchText("tm", nom));
        QVERIFY(!Correspondance::MatchText("mar", nom));
    }

    // Random texts over an alphabet of look-alike bytes, against the obvious rule.
    void accordAvecLaReference()
    {
        const std::string alphabet = Octets("aAeE@`[{éÉ -");
        std::mt19937 alea(1234);
        std::uniform_int_distribution<size_t> lettre(0, alphabet.size() - 1);
        std::uniform_int_distribution<int> longueurCellule(0, 12);
        std::uniform_int_distribution<int> longueurTexte(0, 3);
        for (int essai = 0; essai < 20000; ++essai) {
            std::string texte, cellule;
            for (int i = longueurTexte(alea); i > 0; --i)
                texte += alphabet[lettre(alea)];
            for (int i = longueurCellule(alea); i > 0; --i)
                cellule += alphabet[lettre(alea)];
            const std::ptrdiff_t attendu = PositionReference(texte, cellule);
            if (Correspondance::Position(texte, cellule) != attendu)
                QFAIL(qPrintable(
                    QStringLiteral("texte \"%1\" cellule \"%2\"")
                        .arg(CodePage::VersUnicode(texte), CodePage::VersUnicode(cellule))));
        }
    }

    // The history lists compare their Unicode texts by the same rule.
    void regleSurLesHistoriques()
    {
        QVERIFY(Correspondance::Egaux(QStringLiteral("dupont"), QStringLiteral("DUPONT")));
        QVERIFY(!Correspondance::Egaux(QStringLiteral("Dupont"), QStringLiteral("Dup")));
        QVERIFY(!Correspondance::Egaux(QString::fromUtf8("élise"), QString::fromUtf8("Élise")));
        QVERIFY(Correspondance::CommencePar(QStringLiteral("Dupont"), QStringLiteral("dup")));
        QVERIFY(Correspondance::CommencePar(QStringLiteral("Dupont"), QStringLiteral("DUPONT")));
        QVERIFY(!Correspondance::CommencePar(QStringLiteral("Dup"), QStringLiteral("Dupont")));
        QVERIFY(!Correspondance::CommencePar(QString::fromUtf8("Émile"), QString::fromUtf8("é")));
        QVERIFY(Correspondance::CommencePar(QStringLiteral("x"), QString()));
    }
};

CARNET_TEST(TestCorrespondance)
#include "TestCorrespondance.moc"
