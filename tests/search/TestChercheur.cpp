#include "FausseCible.h"
#include "Registre.h"
#include "search/Chercheur.h"
#include "search/OptionsRecherche.h"

#include <QTest>
#include <map>

namespace
{
using Position = std::pair<int, int>; // colonne, ligne

Position Ou(const Chercheur::Resultat& r)
{
    return r.trouve ? Position(r.colonne, r.ligne) : Position(-1, -1);
}
Position Curseur(const Chercheur& c)
{
    return {c.ColonneCurseur(), c.LigneCurseur()};
}
const Position Rien(-1, -1);
} // namespace

class TestChercheur : public QObject
{
    Q_OBJECT

    FausseCible m_cible;
    OptionsRecherche m_tout;

private slots:
    void initTestCase()
    {
        m_cible.Remplit(
            1, {{Nom, "Durand"}, {Notes, "rendez-vous"}, {BNotes, "xyz"}, {Photo, "xyz.jpg"}});
        m_cible.Remplit(2, {{Nom, "Dupont"}, {Ville, "Paris"}});
        m_cible.Remplit(3, {{Prenom, "Xavier xyz"}, {Ville, "Dijon"}});
    }

    // A hit in the last searchable column sends the next scan to the next record;
    // the forward scan never wraps and leaves the cursor alone when it finds nothing.
    void avantSurLaDerniereColonne()
    {
        Chercheur c;
        const QString xyz = QStringLiteral("xyz");
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, m_tout, xyz)), Position(BNotes, 1));
        QCOMPARE(Curseur(c), Position(BNotes + 1, 1));
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, m_tout, xyz)), Position(Prenom, 3));
        QCOMPARE(Curseur(c), Position(Prenom + 1, 3));
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, m_tout, xyz)), Rien);
        QCOMPARE(Curseur(c), Position(Prenom + 1, 3));
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, m_tout, xyz)), Rien);
    }

    // Both directions share the cursor and include the cell under it; after a hit on
    // the first field of the first record, the backward scan goes on at the end.
    void arriereEtRebouclage()
    {
        Chercheur c;
        const QString d = QStringLiteral("d");
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, m_tout, d)), Position(Nom, 1));
        QCOMPARE(Ou(c.ChercheArriere(m_cible.rep, m_tout, d)), Position(Nom, 1));
        QCOMPARE(Curseur(c), Position(Chercheur::DerniereColonne(), 3));
        QCOMPARE(Ou(c.ChercheArriere(m_cible.rep, m_tout, d)), Position(Ville, 3));
        QCOMPARE(Curseur(c), Position(Ville - 1, 3));
        QCOMPARE(Ou(c.ChercheArriere(m_cible.rep, m_tout, d)), Position(Nom, 2));
        QCOMPARE(Curseur(c), Position(Chercheur::DerniereColonne(), 1));
        QCOMPARE(Ou(c.ChercheArriere(m_cible.rep, m_tout, d)), Position(Notes, 1));
        QCOMPARE(Curseur(c), Position(Notes - 1, 1));
        // Forward again from (c-1, r) finds the same cell.
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, m_tout, d)), Position(Notes, 1));

        // Without a hit the backward cursor stays.
        c.SetCurseur(Ville, 2);
        QCOMPARE(Ou(c.ChercheArriere(m_cible.rep, m_tout, QStringLiteral("xavier"))), Rien);
        QCOMPARE(Curseur(c), Position(Ville, 2));
    }

    // Records deleted under the cursor: the backward scan starts at the end of the book.
    void arriereApresSuppression()
    {
        Chercheur c;
        c.SetCurseur(Nom, 9);
        QCOMPARE(Ou(c.ChercheArriere(m_cible.rep, m_tout, QStringLiteral("i"))),
                 Position(Ville, 3));
        c.SetCurseur(Nom, 9);
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, m_tout, QStringLiteral("i"))), Rien);
    }

    void photoJamaisCherchee()
    {
        Chercheur c;
        OptionsRecherche options;
        options.SetCoche(Photo, true);
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, options, QStringLiteral("jpg"))), Rien);
        c.SetCurseur(Photo, 1);
        QCOMPARE(Ou(c.ChercheArriere(m_cible.rep, options, QStringLiteral("jpg"))), Rien);
        QVERIFY(!options.IsFieldSearched(Photo));
    }

    void unSeulChamp()
    {
        OptionsRecherche ville;
        for (int i = 0; i < OptionsRecherche::NbOptions; ++i)
            ville.SetCoche(i, i == Ville);
        Chercheur c;
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, ville, QStringLiteral("d"))), Position(Ville, 3));
        c.ReinitCurseur();
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, ville, QStringLiteral("dupont"))), Rien);

        OptionsRecherche aucune;
        for (PageFiche p : {PageFiche::Prive, PageFiche::Professionnel, PageFiche::Banque})
            aucune.CocheTout(p, false);
        c.ReinitCurseur();
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, aucune, QStringLiteral("d"))), Rien);
    }

    // Nothing is found for an empty text, nor for one that no cell can hold.
    void textesImpossibles()
    {
        Chercheur c;
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, m_tout, QString())), Rien);
        QCOMPARE(Ou(c.ChercheArriere(m_cible.rep, m_tout, QString())), Rien);
        QCOMPARE(Ou(c.ChercheAvant(m_cible.rep, m_tout, QString::fromUtf8("Dur→"))), Rien);
        QCOMPARE(Curseur(c), Position(0, 1));
    }

    // "Suivant" only after a hit made with the last text; a change of text and the
    // dialog's "Texte non trouvé." bring back "Chercher" and the first record.
    void libelleEtCurseur()
    {
        Chercheur c;
        QCOMPARE(c.Libelle(), QStringLiteral("Chercher"));
        c.TexteChange(QStringLiteral("du"));
        QVERIFY(c.ChercheAvant(m_cible.rep, m_tout, QStringLiteral("dupont")).trouve);
        QCOMPARE(c.Libelle(), QStringLiteral("Chercher"));
        c.ReinitCurseur();
        QVERIFY(c.ChercheAvant(m_cible.rep, m_tout, QStringLiteral("du")).trouve);
        QCOMPARE(c.Libelle(), QStringLiteral("Suivant"));

        c.TexteChange(QStringLiteral("du"));
        QCOMPARE(c.Libelle(), QStringLiteral("Suivant")); // same text: caption kept
        QCOMPARE(Curseur(c), Position(0, 1));
        c.TexteChange(QStringLiteral("dur"));
        QCOMPARE(c.Libelle(), QStringLiteral("Chercher"));
        QCOMPARE(c.DernierTexte(), QStringLiteral("dur"));

        QVERIFY(c.ChercheAvant(m_cible.rep, m_tout, QStringLiteral("dur")).trouve);
        QCOMPARE(c.Libelle(), QStringLiteral("Suivant"));
        c.Abandonne();
        QCOMPARE(c.Libelle(), QStringLiteral("Chercher"));
        QCOMPARE(Curseur(c), Position(0, 1));
    }

    // The editors that show a hit: searched fields only, in the window's order, with
    // the first occurrence in each.
    void champsTrouves()
    {
        const std::map<int, std::string> textes = {{Nom, "Dupont"},        {Civil, "Dup"},
                                                   {Notes, "a\r\ndupont"}, {SNotes, "xdup"},
                                                   {Banque, "Martin"},     {Photo, "dupont.jpg"}};
        auto texteDe = [&](int c) {
            const auto it = textes.find(c);
            return it == textes.end() ? std::string() : it->second;
        };
        OptionsRecherche options;
        auto trouves = Chercheur::ChampsTrouves(options, QStringLiteral("DUP"), texteDe);
        std::vector<Position> obtenus;
        for (const auto& t : trouves)
            obtenus.emplace_back(t.colonne, int(t.position));
        QCOMPARE(obtenus, (std::vector<Position>{{Civil, 0}, {Nom, 0}, {Notes, 3}, {SNotes, 1}}));

        options.SetCoche(Notes, false);
        trouves = Chercheur::ChampsTrouves(options, QStringLiteral("DUP"), texteDe);
        QCOMPARE(int(trouves.size()), 3);
        QCOMPARE(trouves.back().colonne, int(SNotes));
        QVERIFY(Chercheur::ChampsTrouves(options, QString(), texteDe).empty());
    }
};

CARNET_TEST(TestChercheur)
#include "TestChercheur.moc"
