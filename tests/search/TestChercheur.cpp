#include "FausseCible.h"
#include "Registre.h"
#include "search/Chercheur.h"
#include "search/OptionsRecherche.h"

#include <QTest>

class TestChercheur : public QObject
{
    Q_OBJECT

    FausseCible m_cible;
    OptionsRecherche m_options;
    static inline const Position Rien{-1, -1};

    static Position Ou(const Chercheur::Resultat& r)
    {
        return r.trouve ? Position(r.colonne, r.ligne) : Rien;
    }
    static Position Curseur(const Chercheur& c) { return {c.ColonneCurseur(), c.LigneCurseur()}; }
    Position Avant(Chercheur& c, const char* t, bool avant = true)
    {
        const QString texte = QString::fromUtf8(t);
        return Ou(avant ? c.ChercheAvant(m_cible.rep, m_options, texte)
                        : c.ChercheArriere(m_cible.rep, m_options, texte));
    }
    Position Arriere(Chercheur& c, const char* t) { return Avant(c, t, false); }

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
        QCOMPARE(Avant(c, "xyz"), Position(BNotes, 1));
        QCOMPARE(Curseur(c), Position(BNotes + 1, 1));
        QCOMPARE(Avant(c, "xyz"), Position(Prenom, 3));
        QCOMPARE(Avant(c, "xyz"), Rien);
        QCOMPARE(Curseur(c), Position(Prenom + 1, 3));
        QCOMPARE(Avant(c, ""), Rien);
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

CARNET_TEST(TestChercheur)
#include "TestChercheur.moc"
