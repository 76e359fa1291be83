#include "Registre.h"
#include "records/CodePage.h"
#include "records/Repertoire.h"
#include "search/Chercheur.h"
#include "search/Correspondance.h"
#include "search/Historique.h"
#include "search/OptionsRecherche.h"

#include <QTest>
#include <random>

using namespace Qt::StringLiterals;
using Position = std::pair<int, int>; // colonne, ligne

// The rule written the slow, obvious way: fold a to z in both texts, then search.
static std::ptrdiff_t PositionReference(std::string texte, std::string cellule)
{
    for (std::string* s : {&texte, &cellule})
        for (char& c : *s)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    const size_t p = cellule.find(texte);
    return texte.empty() || p == std::string::npos ? -1 : std::ptrdiff_t(p);
}

// The matching rule, the history lists that compare their texts by it, and the scans of the book.
class TestCorrespondance : public QObject
{
    Q_OBJECT

    Repertoire m_rep;
    OptionsRecherche m_options;
    static inline const Position Rien{-1, -1};

    static Position Curseur(const Chercheur& c) { return {c.ColonneCurseur(), c.LigneCurseur()}; }
    Position Avant(Chercheur& c, const char* t, bool avant = true)
    {
        const QString texte = QString::fromUtf8(t);
        const Chercheur::Resultat r = avant ? c.ChercheAvant(m_rep, m_options, texte)
                                            : c.ChercheArriere(m_rep, m_options, texte);
        return r.trouve ? Position(r.colonne, r.ligne) : Rien;
    }
    Position Arriere(Chercheur& c, const char* t) { return Avant(c, t, false); }

private slots:
    void initTestCase()
    {
        m_rep.SetNbLignes(4);
        for (auto [c, l, t] : {std::tuple(Nom, 1, "Durand"),
                               {Notes, 1, "rendez-vous"},
                               {BNotes, 1, "xyz"},
                               {Photo, 1, "xyz.jpg"},
                               {Nom, 2, "Dupont"},
                               {Ville, 2, "Paris"},
                               {Prenom, 3, "Xavier xyz"},
                               {Ville, 3, "Dijon"}})
            m_rep.SetCellule(c, l, t);
    }

    void regle_data()
    {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("cellule");
        QTest::addColumn<int>("position");
        QTest::newRow("e finds E") << u"e"_s << u"DUPONT EMILE"_s << 7;
        QTest::newRow("é finds é") << u"é"_s << u"Hélène"_s << 1;
        QTest::newRow("é does not find É") << u"é"_s << u"ÉLISE"_s << -1;
        QTest::newRow("é does not find e") << u"é"_s << u"e"_s << -1;
        QTest::newRow("empty text matches nothing") << QString() << u"Dupont"_s << -1;
        QTest::newRow("notes across CR LF") << u"b\r\nc"_s << u"a\r\nB\r\nC"_s << 3;
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

    // Random texts over an alphabet of look-alike bytes (@ and `, [ and {...), against
    // the obvious rule; false starts come up often.
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
                QFAIL(qPrintable(CodePage::VersUnicode(texte + " / " + cellule)));
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
        QCOMPARE(h.Entrees().mid(0, 3), (QStringList{"Dupont", "Martin", barre ? "" : "dup"}));
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
        QCOMPARE(h.IndexCompletion(u"DUR"_s), 4);
        QCOMPARE(h.IndexCompletion(u"Dupontel"_s), -1);
        QCOMPARE(h.IndexCompletion(u"du"_s), 2); // the first matching line, not the last
    }

    // A hit in the last searchable column sends the next scan to the next record;
    // the forward scan never wraps and leaves the cursor alone when it finds nothing.
    void avantSurLaDerniereColonne()
    {
        Chercheur c;
        QCOMPARE(Avant(c, "xyz"), Position(BNotes, 1));
        QCOMPARE(Curseur(c), Position(BNotes + 1, 1));
        QCOMPARE(Avant(c, "xyz"), Position(Prenom, 3));
        QCOMPARE(Avant(c, "xyz"), Rien);
        QCOMPARE(Curseur(c), Position(Prenom + 1, 3));
        QCOMPARE(Avant(c, "Dur→"), Rien); // no cell can hold it
    }

    // Both directions share the cursor and include the cell under it; after a hit on
    // the first field of the first record, the backward scan goes on at the end.
    void arriereEtRebouclage()
    {
        Chercheur c;
        QCOMPARE(Avant(c, "d"), Position(Nom, 1));
        QCOMPARE(Arriere(c, "d"), Position(Nom, 1));
        QCOMPARE(Curseur(c), Position(Chercheur::DerniereColonne(), 3));
        QCOMPARE(Arriere(c, "d"), Position(Ville, 3));
        QCOMPARE(Curseur(c), Position(Ville - 1, 3));
        QCOMPARE(Arriere(c, "d"), Position(Nom, 2));
        QCOMPARE(Curseur(c), Position(Chercheur::DerniereColonne(), 1));
        QCOMPARE(Arriere(c, "d"), Position(Notes, 1));
        QCOMPARE(Avant(c, "d"), Position(Notes, 1));
        c.SetCurseur(Ville, 2);
        QCOMPARE(Arriere(c, "xavier"), Rien);
        QCOMPARE(Curseur(c), Position(Ville, 2));
        // Records deleted under the cursor: the backward scan starts at the end of the book.
        c.SetCurseur(Nom, 9);
        QCOMPARE(Arriere(c, "i"), Position(Ville, 3));
    }

    // "Photo" is never searched, even ticked; a single ticked field is searched alone.
    void champsCherches()
    {
        Chercheur c;
        m_options.SetCoche(Photo, true);
        QCOMPARE(Avant(c, "jpg"), Rien);
        c.SetCurseur(Photo, 1);
        QCOMPARE(Arriere(c, "jpg"), Rien);

        for (int i = 0; i < OptionsRecherche::NbOptions; ++i)
            m_options.SetCoche(i, i == Ville);
        c.ReinitCurseur();
        QCOMPARE(Avant(c, "d"), Position(Ville, 3));
        c.ReinitCurseur();
        QCOMPARE(Avant(c, "dupont"), Rien);
    }
};

CARNET_TEST(TestCorrespondance)
#include "TestCorrespondance.moc"
