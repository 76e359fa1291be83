#include "Registre.h"
#include "records/CodePage.h"
#include "search/Correspondance.h"
#include "search/Historique.h"

#include <QTest>
#include <random>

using namespace Qt::StringLiterals;

namespace
{
void Cas(const char* nom, const char* texte, const char* cellule, int position)
{
    QTest::newRow(nom) << QString::fromUtf8(texte) << QString::fromUtf8(cellule) << position;
}

// The rule written the slow, obvious way: fold a to z in both texts, then search.
std::ptrdiff_t PositionReference(std::string texte, std::string cellule)
{
    for (std::string* s : {&texte, &cellule})
        for (char& c : *s)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    const size_t p = cellule.find(texte);
    return texte.empty() || p == std::string::npos ? -1 : std::ptrdiff_t(p);
}
} // namespace

// The matching rule, and the history lists that compare their texts by it.
class TestCorrespondance : public QObject
{
    Q_OBJECT
private slots:
    void regle_data()
    {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("cellule");
        QTest::addColumn<int>("position");
        Cas("e finds E", "e", "DUPONT EMILE", 7);
        Cas("é finds é", "é", "Hélène", 1);
        Cas("é does not find É", "é", "ÉLISE", -1);
        Cas("é does not find e", "é", "e", -1);
        Cas("empty text matches nothing", "", "Dupont", -1);
        Cas("@ is not `", "@", "a`b", -1);
        Cas("false start then match", "aab", "aaab", 1);
        Cas("notes across CR LF", "b\r\nc", "a\r\nB\r\nC", 3);
    }
    void regle()
    {
        QFETCH(QString, texte);
        QFETCH(QString, cellule);
        QFETCH(int, position);
        const std::string t = CodePage::Octets(texte), c = CodePage::Octets(cellule);
        QCOMPARE(Correspondance::Position(t, c), std::ptrdiff_t(position));
        QCOMPARE(Correspondance::MatchText(t, c), position >= 0);
        // A view into a buffer that goes on with the text: nothing past its end is read.
        const std::string livre = c + t;
        QCOMPARE(Correspondance::MatchText(t, std::string_view(livre).substr(0, c.size())),
                 position >= 0);
    }

    // Random texts over an alphabet of look-alike bytes, against the obvious rule.
    void accordAvecLaReference()
    {
        const std::string alphabet = CodePage::Octets(u"aAeE@`[{éÉ -"_s);
        std::mt19937 alea(1234);
        auto tirage = [&](int max) {
            std::string s(std::uniform_int_distribution<int>(0, max)(alea), ' ');
            for (char& c : s)
                c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(alea)];
            return s;
        };
        for (int essai = 0; essai < 20000; ++essai) {
            const std::string texte = tirage(3), cellule = tirage(12);
            if (Correspondance::Position(texte, cellule) != PositionReference(texte, cellule))
                QFAIL(qPrintable(CodePage::VersUnicode(texte) + " / " +
                                 CodePage::VersUnicode(cellule)));
        }
    }

    // While slots are free, entries go into the first hole; once full, a new entry
    // takes the top and the bottom one is dropped. The dialog refuses only an equal
    // entry (case of a to z aside); the bar also a text that begins an entry.
    void insertion_data()
    {
        QTest::addColumn<int>("places");
        QTest::addColumn<int>("regle");
        QTest::newRow("find dialog, 20") << 20 << int(Historique::Regle::Egalite);
        QTest::newRow("quick-search bar, 100") << 100 << int(Historique::Regle::Prefixe);
    }
    void insertion()
    {
        QFETCH(int, places);
        QFETCH(int, regle);
        const bool barre = Historique::Regle(regle) == Historique::Regle::Prefixe;
        Historique h(places, Historique::Regle(regle));
        h.SetEntree(1, u"Martin"_s);
        QVERIFY(h.Insere(u"Dupont"_s));
        QCOMPARE(h.Insere(u"dup"_s), !barre);
        QVERIFY(!h.Insere(u"DUPONT"_s));
        QVERIFY(!h.Insere(QString()));
        const QStringList attendu{"Dupont", "Martin", barre ? "" : "dup"};
        QCOMPARE(h.Entrees().mid(0, 3), attendu);
        // The upper-case rule touches only a to z.
        QVERIFY(h.Insere(u"élise"_s));
        QVERIFY(h.Insere(u"Élise"_s));

        for (int i = 0; i < places; ++i)
            h.SetEntree(i, u"mot%1"_s.arg(i));
        h.SetEntree(5, u"Dupont"_s);
        const QStringList avant = h.Entrees();
        QVERIFY(!h.Insere(u"MOT7"_s));
        QCOMPARE(h.Insere(u"dup"_s), !barre);
        QCOMPARE(h.Entrees(), barre ? avant : (QStringList{"dup"} + avant.mid(0, places - 1)));
    }

    void completion()
    {
        Historique h(6, Historique::Regle::Prefixe);
        h.SetEntree(2, u"Dupont"_s);
        h.SetEntree(4, u"Durand"_s);
        QCOMPARE(h.IndexCompletion(u"dupont"_s), 2);
        QCOMPARE(h.IndexCompletion(u"DUR"_s), 4);
        QCOMPARE(h.IndexCompletion(u"Dupontel"_s), -1);
    }
};

CARNET_TEST(TestCorrespondance)
#include "TestCorrespondance.moc"
