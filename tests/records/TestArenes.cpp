#include "Registre.h"

#include "records/FichierRep.h"
#include "records/Repertoire.h"

#include <QTest>
#include <array>
#include <random>
#include <string>
#include <vector>

// A loaded or imported book keeps its rows in shared arenas: every change after the
// load (edits, copies of the book, moves, duplicates, deletions, New) must behave as
// with rows of their own, checked against a plain model of the table.
namespace
{

using Cellules = std::array<std::string, NbColonnes>;

struct Modele {
    std::vector<Cellules> lignes;
    std::vector<std::string> flags;
};

// A book's file written line by line from the model (no 0x07 in the cells).
QByteArray Fichier(const Modele& m)
{
    QByteArray o = QByteArray::number(static_cast<int>(m.lignes.size())) + "\r\n0\r\n";
    for (size_t r = 0; r < m.lignes.size(); ++r) {
        o.append(m.flags[r].data(), static_cast<qsizetype>(m.flags[r].size())).append("\r\n");
        for (const std::string& c : m.lignes[r])
            o.append(c.data(), static_cast<qsizetype>(c.size())).append("\r\n");
    }
    return o;
}

Modele ModeleGenere(int n, unsigned graine)
{
    std::mt19937 alea(graine);
    Modele m;
    Cellules titres;
    for (int c = 0; c < NbColonnes; ++c)
        titres[static_cast<size_t>(c)] = "Titre du fichier " + std::to_string(c);
    m.lignes.push_back(titres);
    m.flags.push_back("0");
    for (int r = 1; r <= n; ++r) {
        Cellules l;
        for (std::string& c : l) {
            const unsigned longueur = alea() % 3 == 0 ? 0 : alea() % 30;
            for (unsigned k = 0; k < longueur; ++k)
                c += static_cast<char>(alea() % 2 ? 'a' + alea() % 26 : 0xe0 + alea() % 16);
        }
        m.lignes.push_back(l);
        m.flags.push_back(alea() % 5 == 0 ? "1" : "0");
    }
    return m;
}

Repertoire Charge(const Modele& m)
{
    Repertoire rep;
    const QString erreur = FichierRep::ChargeDepuisOctets(Fichier(m), QStringLiteral("a.REP"), rep);
    if (!erreur.isEmpty()) qFatal("%s", qPrintable(erreur));
    return rep;
}

std::array<std::string_view, NbColonnes> Vues(const Cellules& l)
{
    std::array<std::string_view, NbColonnes> v;
    for (size_t c = 0; c < l.size(); ++c)
        v[c] = l[c];
    return v;
}

// The book holds exactly the model, cell by cell and flag by flag.
bool Egal(const Repertoire& rep, const Modele& m, QString* ecart)
{
    if (rep.NbLignes() != static_cast<int>(m.lignes.size())) {
        *ecart = QStringLiteral("%1 lignes au lieu de %2").arg(rep.NbLignes()).arg(m.lignes.size());
        return false;
    }
    for (int r = 0; r < rep.NbLignes(); ++r) {
        if (rep.FlagMail(r) != m.flags[static_cast<size_t>(r)]) {
            *ecart = QStringLiteral("flag de la ligne %1").arg(r);
            return false;
        }
        for (int c = 0; c < NbColonnes; ++c)
            if (rep.Cellule(c, r) != m.lignes[static_cast<size_t>(r)][static_cast<size_t>(c)]) {
                *ecart = QStringLiteral("cellule %1 de la ligne %2").arg(c).arg(r);
                return false;
            }
    }
    return true;
}

#define VERIFIE_EGAL(rep, modele)                                                                  \
    do {                                                                                           \
        QString ecart;                                                                             \
        QVERIFY2(Egal(rep, modele, &ecart), qPrintable(ecart));                                    \
    } while (false)

Repertoire Relu(const Repertoire& rep)
{
    Repertoire relu;
    const QString erreur =
        FichierRep::ChargeDepuisOctets(FichierRep::Serialise(rep), QStringLiteral("b.REP"), relu);
    if (!erreur.isEmpty()) qFatal("%s", qPrintable(erreur));
    return relu;
}

} // namespace

class TestArenes : public QObject
{
    Q_OBJECT
private slots:
    // Rows edited after a load get a block of their own; the others stay in the
    // arena, untouched, and the whole saves and reads back the same.
    void lignesModifieesApresLecture()
    {
        Modele m = ModeleGenere(500, 1);
        Repertoire rep = Charge(m);
        VERIFIE_EGAL(rep, m);
        const int avant = rep.LignesHorsArene();
        for (int r : {1, 2, 250, 500}) {
            const std::string texte = "modifié " + std::to_string(r);
            rep.SetCellule(Ville, r, texte);
            m.lignes[static_cast<size_t>(r)][Ville] = texte;
        }
        rep.SetCellule(Nom, 2, std::string(300, 'n')); // the same row twice
        m.lignes[2][Nom] = std::string(300, 'n');
        rep.SetFlagMail(3, "1");
        m.flags[3] = "1";
        QCOMPARE(rep.LignesHorsArene(), avant + 4);
        VERIFIE_EGAL(rep, m);
        VERIFIE_EGAL(Relu(rep), m);
    }

    // A copy of the book shares its arenas, whose free room neither may then use: each
    // book's new rows go elsewhere, and neither sees the other's.
    void copiesPartagentSansSeMelanger()
    {
        Modele m = ModeleGenere(50, 2);
        Repertoire a = Charge(m);
        Repertoire b = a;
        Modele mb = m;
        Cellules x, y;
        for (size_t c = 0; c < x.size(); ++c) {
            x[c] = "copie " + std::to_string(c);
            y[c] = "original " + std::to_string(c) + std::string(c, 'o');
        }
        b.RemplitLigne(b.AjouteFiche(), Vues(x));
        mb.lignes.push_back(x);
        mb.flags.push_back("0");
        a.RemplitLigne(a.AjouteFiche(), Vues(y));
        m.lignes.push_back(y);
        m.flags.push_back("0");
        VERIFIE_EGAL(a, m);
        VERIFIE_EGAL(b, mb);
        // And the copy outlives the original.
        a = Repertoire();
        VERIFIE_EGAL(b, mb);
    }

    // Imported rows fill arenas one after the other; a row larger than an arena gets
    // one of its own, and the rows after it go on in the open one.
    void ligneDePlusQuUneArene()
    {
        Modele m;
        Repertoire rep;
        m.lignes.push_back({});
        for (int c = 0; c < NbColonnes; ++c)
            m.lignes[0][static_cast<size_t>(c)] = std::string(rep.Cellule(c, 0));
        m.flags = {"0", "0"};
        m.lignes.push_back({});
        std::mt19937 alea(3);
        for (int r = 0; r < 3000; ++r) {
            Cellules l;
            for (std::string& c : l)
                c = std::string(alea() % 40, static_cast<char>('a' + r % 26));
            if (r == 1500) l[Notes] = std::string(5 << 20, 'N');
            if (r == 1501) l[SNotes] = std::string(70000, 'S');
            const int ligne = rep.AjouteFiche();
            rep.RemplitLigne(ligne, Vues(l));
            m.lignes.push_back(l);
            m.flags.push_back("0");
        }
        VERIFIE_EGAL(rep, m);
        QVERIFY(rep.Vue(1502).fins.Larges());
        QVERIFY(rep.Vue(1503).fins.Larges());
        QVERIFY(!rep.Vue(1504).fins.Larges());
        // The arenas hold about what the rows need, the large one included.
        QVERIFY2(rep.OctetsUtilises() < (6u << 20) + 3000u * (46 * 40 / 2 + 200),
                 qPrintable(QString::number(rep.OctetsUtilises())));
        VERIFIE_EGAL(Relu(rep), m);
    }

    // Moving, swapping, copying, duplicating and deleting rows held in the arena,
    // then editing a duplicate: the original keeps its cells.
    void deplacementsDesLignesEnArene()
    {
        Modele m = ModeleGenere(200, 4);
        Repertoire rep = Charge(m);
        const int copie = rep.DupliqueFiche(7);
        m.lignes.push_back(m.lignes[7]);
        m.flags.push_back("0");
        rep.SetCellule(Prenom, copie, "seulement la copie");
        m.lignes[static_cast<size_t>(copie)][Prenom] = "seulement la copie";
        rep.EchangeLignes(3, 150);
        std::swap(m.lignes[3], m.lignes[150]);
        std::swap(m.flags[3], m.flags[150]);
        rep.CopieLigne(9, 10);
        m.lignes[10] = m.lignes[9];
        m.flags[10] = m.flags[9];
        rep.SupprimeLignes(20, 60);
        m.lignes.erase(m.lignes.begin() + 20, m.lignes.begin() + 61);
        m.flags.erase(m.flags.begin() + 20, m.flags.begin() + 61);
        rep.EffaceLigne(12);
        m.lignes[12] = Cellules{};
        std::vector<int> ordre;
        for (int r = rep.NbFiches(); r >= 1; --r)
            ordre.push_back(r);
        rep.Permute(ordre);
        std::reverse(m.lignes.begin() + 1, m.lignes.end());
        std::reverse(m.flags.begin() + 1, m.flags.end());
        VERIFIE_EGAL(rep, m);
        VERIFIE_EGAL(Relu(rep), m);
    }

    // New lets the arenas go: the file's titles, which lived in one, are kept.
    void nouveauRendLesArenes()
    {
        const Modele m = ModeleGenere(20000, 5);
        Repertoire rep = Charge(m);
        QVERIFY(rep.OctetsUtilises() > (1u << 20));
        rep.Nouveau();
        QVERIFY2(rep.OctetsUtilises() < (64u << 10), qPrintable(QString::number(rep.OctetsUtilises())));
        QCOMPARE(rep.NbFiches(), 1);
        for (int c = 0; c < NbColonnes; ++c)
            QCOMPARE(rep.Cellule(c, 0), std::string_view(m.lignes[0][static_cast<size_t>(c)]));
        QCOMPARE(rep.Cellule(Nom, 1), std::string_view());
    }

    // A row's cell ends take 16 bits up to 65,535 bytes of cells and 32 beyond, by
    // every way a row is filled: load, edit, import.
    void finsSurSeizeEtTrenteDeuxBits_data()
    {
        QTest::addColumn<int>("taille");
        QTest::addColumn<bool>("larges");
        QTest::newRow("65535") << 65535 << false;
        QTest::newRow("65536") << 65536 << true;
        QTest::newRow("70000") << 70000 << true;
    }
    void finsSurSeizeEtTrenteDeuxBits()
    {
        QFETCH(int, taille);
        QFETCH(bool, larges);
        Modele m = ModeleGenere(3, 6);
        m.lignes[2] = Cellules{};
        m.lignes[2][Nom] = "N";
        m.lignes[2][Notes] = std::string(static_cast<size_t>(taille) - 2, 'x');
        m.lignes[2][Photo] = "P";
        const Repertoire lu = Charge(m);
        QCOMPARE(lu.Vue(2).fins.Larges(), larges);
        VERIFIE_EGAL(lu, m);

        Repertoire edite = Charge(ModeleGenere(3, 6));
        edite.EffaceLigne(2);
        for (int c : {Nom, Notes, Photo})
            edite.SetCellule(c, 2, m.lignes[2][static_cast<size_t>(c)]);
        QCOMPARE(edite.Vue(2).fins.Larges(), larges);
        VERIFIE_EGAL(edite, m);

        Repertoire importe = Charge(ModeleGenere(3, 6));
        importe.RemplitLigne(2, Vues(m.lignes[2]));
        QCOMPARE(importe.Vue(2).fins.Larges(), larges);
        VERIFIE_EGAL(importe, m);
        VERIFIE_EGAL(Relu(importe), m);
    }

    // Flags of every length, kept through loads, copies, moves and edits.
    void flagsDeToutesLongueurs()
    {
        Modele m = ModeleGenere(8, 7);
        const std::vector<std::string> flags = {"", "1", "123456", "1234567", std::string(256, 'f'),
                                                "0", "oui", "\t1 "};
        for (size_t i = 0; i < flags.size(); ++i)
            m.flags[i + 1] = flags[i];
        Repertoire rep = Charge(m);
        VERIFIE_EGAL(rep, m);
        Repertoire copie = rep;
        rep.SetFlagMail(4, "court");
        rep.SetFlagMail(1, std::string(100, 'l'));
        rep.SetFlagMail(5, "1");
        rep.EchangeLignes(4, 5);
        m.flags[4] = "1";
        m.flags[5] = "court";
        m.flags[1] = std::string(100, 'l');
        std::swap(m.lignes[4], m.lignes[5]);
        VERIFIE_EGAL(rep, m);
        QCOMPARE(copie.FlagMail(5), std::string(256, 'f'));
        QCOMPARE(copie.FlagMail(4), std::string("1234567"));
        QVERIFY(rep.EstChoisie(4));
        VERIFIE_EGAL(Relu(rep), m);
    }
};

CARNET_TEST(TestArenes)
#include "TestArenes.moc"
