#include "Registre.h"

#include "records/CodePage.h"
#include "records/Pliage.h"
#include "records/Repertoire.h"
#include "records/Tri.h"

#include <QTest>
#include <random>

namespace
{

std::string Cp(const char* utf8)
{
    return CodePage::Octets(QString::fromUtf8(utf8));
}

// A book of records named by `noms`; Fax holds each record's original row so
// that moves can be followed, and every third record is chosen for the mailing.
Repertoire Livre(const std::vector<std::string>& noms)
{
    Repertoire rep;
    rep.SetNbLignes(static_cast<int>(noms.size()) + 1);
    for (size_t i = 0; i < noms.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        rep.SetCellule(Nom, r, noms[i]);
        rep.SetCellule(Fax, r, std::to_string(r));
        rep.SetFlagMail(r, r % 3 == 0 ? "1" : "0");
    }
    return rep;
}

std::vector<std::string> Colonne(const Repertoire& rep, int colonne)
{
    std::vector<std::string> v;
    for (int r = 1; r <= rep.NbFiches(); ++r)
        v.push_back(rep.CelluleStr(colonne, r));
    return v;
}

// The sort written the plain way, exchanging the rows themselves: the fast
// version must end with exactly the same order, equal keys included.
// The order of the keys, written apart from the program's: bytes compared as
// unsigned values, a prefix before the longer key.
bool AvantReference(std::string_view a, std::string_view b)
{
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

void TriDeReference(Repertoire& rep, int colonne)
{
    const int n = rep.NbFiches();
    if (n < 2) return;
    int ecart = n;
    do {
        ecart /= 2;
        bool echange;
        do {
            echange = false;
            for (int i = 1; i <= n - ecart; ++i) {
                if (AvantReference(rep.Cellule(colonne, i + ecart), rep.Cellule(colonne, i))) {
                    rep.EchangeLignes(i, i + ecart);
                    echange = true;
                }
            }
        } while (echange);
    } while (ecart > 1);
}

} // namespace

class TestRepertoire : public QObject
{
    Q_OBJECT
private slots:
    void cellulesIndependantes()
    {
        Repertoire rep;
        rep.SetCellule(Ville, 1, "Paris");
        rep.SetCellule(Nom, 1, "Un nom bien plus long que le reste");
        rep.SetCellule(Photo, 1, "x.jpg");
        rep.SetCellule(Ville, 1, "");
        rep.SetCellule(CP, 1, std::string("a\0b", 3));
        QCOMPARE(rep.CelluleStr(Nom, 1), std::string("Un nom bien plus long que le reste"));
        QCOMPARE(rep.CelluleStr(Ville, 1), std::string());
        QCOMPARE(rep.CelluleStr(CP, 1), std::string("a\0b", 3));
        QCOMPARE(rep.CelluleStr(Photo, 1), std::string("x.jpg"));
        QVERIFY(rep.Cellule(Pays, 1).empty());
        QVERIFY(!rep.Modifie()); // setting a cell alone does not mark the book
    }

    void suppressionDePlagesAvecLeursDrapeaux()
    {
        Repertoire rep = Livre({"A", "B", "C", "D", "E", "F"});
        rep.SupprimeLignes(2, 4);
        QCOMPARE(Colonne(rep, Nom), (std::vector<std::string>{"A", "E", "F"}));
        QCOMPARE(rep.FlagMail(1), std::string("0"));
        QCOMPARE(rep.FlagMail(2), std::string("0"));
        QCOMPARE(rep.FlagMail(3), std::string("1")); // F was row 6
        rep.SupprimeLignes(1, 3);
        QCOMPARE(rep.NbFiches(), 1);
        QVERIFY(rep.Cellule(Nom, 1).empty());
        QCOMPARE(rep.FlagMail(1), std::string("0"));
        rep.SupprimeLignes(1, 1);
        QCOMPARE(rep.NbFiches(), 1);
        QCOMPARE(rep.CelluleStr(Nom, 0), std::string("Nom"));
    }

    void nouveauGardeLesTitresDuFichier()
    {
        Repertoire rep = Livre({"A", "B"});
        rep.SetCellule(Nom, 0, "Nom de famille");
        rep.SetFichierCourant(QStringLiteral("/x.REP"));
        rep.SetModifie(true);
        rep.SetColonneTri(6);
        rep.Nouveau();
        QCOMPARE(rep.NbFiches(), 1);
        QVERIFY(rep.Cellule(Nom, 1).empty());
        QCOMPARE(rep.CelluleStr(Nom, 0), std::string("Nom de famille"));
        QVERIFY(rep.FichierCourant().isEmpty());
        QVERIFY(!rep.Modifie());
        QCOMPARE(rep.ColonneTri(), 0);
    }

    void permutationRefuseUnOrdreInvalide()
    {
        Repertoire rep = Livre({"A", "B", "C"});
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, rep.Permute({1, 1, 2}));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, rep.Permute({1, 2}));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, rep.Permute({0, 1, 2}));
        rep.Permute({3, 1, 2});
        QCOMPARE(Colonne(rep, Nom), (std::vector<std::string>{"C", "A", "B"}));
        QCOMPARE(rep.FlagMail(1), std::string("1"));
    }

    void triOctetsNonSignes()
    {
        Repertoire rep = Livre({"dupont", "Durand", Cp("Éric"), ""});
        Tri::TriGrille(rep, Nom);
        QCOMPARE(Colonne(rep, Nom), (std::vector<std::string>{"", "Durand", "dupont", Cp("Éric")}));
        // Each record keeps its flag: "" was row 4, "Éric" row 3 (chosen).
        QCOMPARE(rep.FlagMail(4), std::string("1"));
        QCOMPARE(rep.CelluleStr(Fax, 4), std::string("3"));
        QVERIFY(!rep.Modifie());
    }

    void triPrefixeEtOctetsNuls()
    {
        Repertoire rep = Livre({"ab", "a", std::string("a\0", 2), "abc", std::string("\xff"), "A"});
        Tri::TriGrille(rep, Nom);
        QCOMPARE(Colonne(rep, Nom), (std::vector<std::string>{"A", "a", std::string("a\0", 2), "ab",
                                                              "abc", std::string("\xff")}));
    }

    void triIdentiqueALaMethodeQuiEchangeLesLignes_data()
    {
        QTest::addColumn<int>("taille");
        QTest::addColumn<int>("distinctes");
        QTest::newRow("deux") << 2 << 2;
        QTest::newRow("égales") << 50 << 1;
        QTest::newRow("beaucoup d'égales") << 997 << 7;
        QTest::newRow("variées") << 1500 << 400;
    }
    void triIdentiqueALaMethodeQuiEchangeLesLignes()
    {
        QFETCH(int, taille);
        QFETCH(int, distinctes);
        std::mt19937 alea(static_cast<unsigned>(taille * 31 + distinctes));
        std::vector<std::string> noms;
        for (int i = 0; i < taille; ++i) {
            const unsigned k = alea() % static_cast<unsigned>(distinctes);
            noms.push_back(k % 5 == 0 ? std::string()
                                      : "Nom" + std::to_string(k) + (k % 2 ? "\xe9" : ""));
        }
        Repertoire rapide = Livre(noms);
        Repertoire reference = Livre(noms);
        Tri::TriGrille(rapide, Nom);
        TriDeReference(reference, Nom);
        QCOMPARE(Colonne(rapide, Fax), Colonne(reference, Fax));
        for (int r = 1; r <= rapide.NbFiches(); ++r)
            QCOMPARE(rapide.FlagMail(r), reference.FlagMail(r));
        const auto cles = Colonne(rapide, Nom);
        QVERIFY(std::is_sorted(cles.begin(), cles.end(), AvantReference));
    }

    void triDUneSeuleFicheEtColonneInvalide()
    {
        Repertoire rep = Livre({"B"});
        Tri::TriGrille(rep, Nom);
        QCOMPARE(rep.CelluleStr(Nom, 1), std::string("B"));
        Repertoire deux = Livre({"B", "A"});
        Tri::TriGrille(deux, 99); // treated as the surname
        QCOMPARE(Colonne(deux, Nom), (std::vector<std::string>{"A", "B"}));
    }

    void pliageDesLignes()
    {
        QCOMPARE(Pliage::CodeLigne("ligne 1\r\nligne 2", '\a'), std::string("ligne 1\aligne 2"));
        QCOMPARE(Pliage::CodeLigne("a\r\n\r\nb", ' '), std::string("a  b"));
        QCOMPARE(Pliage::CodeLigne("a\rb\nc\r", '\a'), std::string("a\rb\nc\r"));
        std::string deplie = "<";
        Pliage::AjouteLigneDepliee(deplie, "a\a\ab\a");
        QCOMPARE(deplie, std::string("<a\r\n\r\nb\r\n"));
        deplie.clear();
        Pliage::AjouteLigneDepliee(deplie, Pliage::CodeLigne("x\r\ny", '\a'));
        QCOMPARE(deplie, std::string("x\r\ny"));
    }

    void pageDeCodeWindows1252()
    {
        QVERIFY(CodePage::Disponible());
        // Every byte survives a trip through Unicode, the five undefined ones included.
        std::string tous;
        for (int i = 0; i < 256; ++i)
            tous.push_back(static_cast<char>(i));
        std::string retour;
        QVERIFY(CodePage::VersWindows1252(CodePage::VersUnicode(tous), retour));
        QCOMPARE(retour, tous);
        QCOMPARE(CodePage::VersUnicode("\x80\x9c\xe9"), QString::fromUtf8("€œé"));
        QCOMPARE(CodePage::Octets(QString::fromUtf8("Œuvre à 5 €")),
                 std::string("\x8cuvre \xe0 5 \x80"));
        std::string garde = "inchangé";
        QVERIFY(!CodePage::VersWindows1252(QString::fromUtf8("Erdős"), garde));
        QCOMPARE(garde, std::string("inchangé"));
        QCOMPARE(CodePage::PremierCaractereRefuse(QString::fromUtf8("Erdős →")),
                 QString::fromUtf8("ő"));
        QCOMPARE(CodePage::PremierCaractereRefuse(QString::fromUtf8("ok 😀")),
                 QString::fromUtf8("😀"));
        QVERIFY(CodePage::Representable(QString::fromUtf8("Noël « Zoé » ½ ©")));
    }
};

CARNET_TEST(TestRepertoire)
#include "TestRepertoire.moc"
