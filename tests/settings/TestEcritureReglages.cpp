#include "OutilsReglages.h"
#include "Registre.h"
#include "settings/EcritureReglages.h"
#include "settings/Reglages.h"

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <vector>

using namespace OutilsReglages;
using Etape = EcritureReglages::Etape;

namespace
{

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

struct EtapeAttendue {
    Etape etape;
    QString section;
    QStringList cles; // what the step's window writes, as text
};

// The order of the close, the section each step writes into, and sample keys.
const std::vector<EtapeAttendue>& Fermeture()
{
    auto numerotees = [](const QString& radical, int premier, int dernier) {
        QStringList l;
        for (int n = premier; n <= dernier; ++n)
            l << radical + QString::number(n);
        return l;
    };
    static const std::vector<EtapeAttendue> etapes = {
        {Etape::MainW,
         "MainW",
         {"fichex", "fichey", "listex", "listey", "listew", "listeh", "Maxi"}},
        {Etape::OptionsMailing, "Options", {"Cadre", "Adresse"}},
        {Etape::DernierFormat, "Dernier format", {"Format"}},
        {Etape::Police, "Police", {"couleur", "nom", "taille", U("souligné"), U("barré")}},
        {Etape::DernierFichier, "DernierFichier", {"Fichier"}},
        {Etape::Colonnes, "Colonnes", numerotees("Col", 0, 45)},
        {Etape::OptionsCopie, "Options de copie", {U("Civilité"), U("Prénom"), U("Clé")}},
        {Etape::OptionsTri, "Options", {"Trier en enregistrant", "LastRow"}},
        {Etape::Liste, "Liste", {"Couleur"}},
        {Etape::OptionsModem, "Options", {"Modem", U("Méthode"), U("Préfixe")}},
        {Etape::OptionsRecherche, "Options de recherche", {"Civil", "Nom"}},
        {Etape::Recherches, "Recherches", numerotees("Expression", 1, 100)},
        {Etape::Recherches2, "Recherches2", numerotees("Expression", 1, 100)},
        {Etape::Apercu, "Options", {U("Aperçu")}},
    };
    return etapes;
}

// Odd but valid values, so the test also sees them come back intact.
QString Valeur(const QString& cle)
{
    return cle + U(", é \"x\" c:\\");
}

void EcritEtape(const EtapeAttendue& e, Reglages& r)
{
    for (const QString& cle : e.cles)
        r.WriteString(e.section, cle, Valeur(cle));
}

const char* const SectionsEcrites[] = {"MainW",
                                       "Options",
                                       "Dernier format",
                                       "Police",
                                       "DernierFichier",
                                       "Colonnes",
                                       "Options de copie",
                                       "Liste",
                                       "Options de recherche",
                                       "Recherches",
                                       "Recherches2"};

// A store as a previous run and a hand edit left it: a stray key in every section.
QByteArray StoreExistant()
{
    QByteArray b;
    for (const char* s : SectionsEcrites)
        b += QByteArray("[") + s + "]\nExtra=x\n";
    return b + "[Options]\nCheminImagesPerso=/photos\nCadre=1\n"
               "[Colonnes]\nCol46=80\n"
               "[Autre]\nk=v\n";
}

QStringList Tries(QStringList l)
{
    l.sort();
    return l;
}

} // namespace

class TestEcritureReglages : public QObject
{
    Q_OBJECT

private slots:
    // Every step runs in the documented order, and at each step exactly the sections of
    // the steps already begun have been cleared: each just before its first key, "Liste"
    // never.
    void ordreEtEffacements()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        EcritOctets(chemin, StoreExistant());
        Reglages reglages(chemin);

        const auto& etapes = Fermeture();
        std::vector<Etape> journal;
        EcritureReglages ecriture;
        // Registered backwards: the order is the sequencer's, not the windows'.
        for (int i = int(etapes.size()) - 1; i >= 0; --i) {
            ecriture.Contribue(etapes[i].etape, [&, i](Reglages& r) {
                journal.push_back(etapes[i].etape);
                QStringList gardees, attendues;
                for (const char* s : SectionsEcrites)
                    if (r.ReadString(s, "Extra", QString()) == "x") gardees << s;
                for (const char* s : SectionsEcrites)
                    if (QString(s) == "Liste" ||
                        std::none_of(etapes.begin(), etapes.begin() + i + 1,
                                     [s](const EtapeAttendue& e) { return e.section == s; }))
                        attendues << s;
                QCOMPARE(gardees, attendues);
                EcritEtape(etapes[i], r);
            });
        }
        QString raison;
        QVERIFY2(ecriture.Execute(reglages, &raison), qPrintable(raison));
        QCOMPARE(int(journal.size()), int(etapes.size()));
        for (size_t i = 0; i < etapes.size(); ++i)
            QVERIFY2(journal[i] == etapes[i].etape, qPrintable(etapes[i].section));
    }

    // What the next start finds after a close where every window contributed: each
    // cleared section holds exactly what was written, "Options" the keys of its four steps.
    void storeApresFermeture()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        EcritOctets(chemin, StoreExistant());
        EcritureReglages ecriture;
        for (const EtapeAttendue& e : Fermeture())
            ecriture.Contribue(e.etape, [&e](Reglages& r) { EcritEtape(e, r); });
        {
            Reglages reglages(chemin);
            QVERIFY(ecriture.Execute(reglages));
        }

        Relecture relu(chemin);
        QStringList sections{"Autre"};
        for (const char* s : SectionsEcrites)
            sections << s;
        QCOMPARE(Tries(relu.Brut().childGroups()), Tries(sections));
        QCOMPARE(relu.Cles("Autre"), QStringList{"k"});
        QCOMPARE(relu.Cles("Options"),
                 Tries({"Cadre", "Adresse", "Trier en enregistrant", "LastRow", "Modem",
                        U("Méthode"), U("Préfixe"), U("Aperçu")}));
        const Reglages r(relu.Chemin());
        for (const EtapeAttendue& e : Fermeture()) {
            QStringList cles = e.cles;
            if (e.etape == Etape::Liste) cles << "Extra";
            if (e.section != "Options") QCOMPARE(relu.Cles(e.section), Tries(cles));
            for (const QString& cle : e.cles)
                QCOMPARE(r.ReadString(e.section, cle, QString()), Valeur(cle));
        }
    }

    // Windows that do not exist yet leave their sections empty, not stale.
    void etapesSansContribution()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        EcritOctets(chemin, StoreExistant());
        EcritureReglages ecriture;
        for (const EtapeAttendue& e : Fermeture())
            if (e.section == "Options" || e.section == "Liste")
                if (e.etape != Etape::OptionsMailing && e.etape != Etape::OptionsModem)
                    ecriture.Contribue(e.etape, [&e](Reglages& r) { EcritEtape(e, r); });
        {
            Reglages reglages(chemin);
            QVERIFY(ecriture.Execute(reglages));
        }
        Relecture relu(chemin);
        QCOMPARE(relu.Cles("Options"), Tries({"Trier en enregistrant", "LastRow", U("Aperçu")}));
        QCOMPARE(relu.Cles("Liste"), Tries({"Couleur", "Extra"}));
        for (const char* s : SectionsEcrites)
            if (QString(s) != "Options" && QString(s) != "Liste")
                QVERIFY2(relu.Cles(s).isEmpty(), s);
        QCOMPARE(Reglages(relu.Chemin()).ReadInteger("Police", "taille", 9), 9);
    }

    // A window created again takes its step; a withdrawn step only clears.
    void remplacementEtRetrait()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("carnet.ini");
        EcritOctets(chemin, "[Police]\nnom=arial\n[Liste]\nCouleur=255\n");
        int appelsAncien = 0;
        EcritureReglages ecriture;
        ecriture.Contribue(Etape::Police, [&](Reglages&) { ++appelsAncien; });
        ecriture.Contribue(Etape::Police,
                           [](Reglages& r) { r.WriteString("Police", "nom", "courier"); });
        ecriture.Contribue(Etape::Liste,
                           [](Reglages& r) { r.WriteInteger("Liste", "Couleur", 0); });
        ecriture.Retire(Etape::Liste);
        {
            Reglages reglages(chemin);
            QVERIFY(ecriture.Execute(reglages));
        }
        QCOMPARE(appelsAncien, 0);
        Relecture relu(chemin);
        const Reglages r(relu.Chemin());
        QCOMPARE(r.ReadString("Police", "nom", QString()), QString("courier"));
        QCOMPARE(r.ReadInteger("Liste", "Couleur", 0), 255);
    }

    // The close cannot write: false with the reason, and the store of the previous run
    // is intact for the next try.
    void echec()
    {
        QTemporaryDir racine;
        const QString d = racine.filePath("config");
        QVERIFY(QDir().mkpath(d));
        const QString chemin = d + "/carnet.ini";
        EcritOctets(chemin, StoreExistant());
        QVERIFY(QFile::setPermissions(d, QFile::ReadOwner | QFile::ExeOwner));
        EcritureReglages ecriture;
        for (const EtapeAttendue& e : Fermeture())
            ecriture.Contribue(e.etape, [&e](Reglages& r) { EcritEtape(e, r); });

        bool reussi = true;
        QString raison;
        {
            SansPasseDroits sansDroits;
            if (!sansDroits.Efficace()) QSKIP("permissions do not apply to this user");
            Reglages reglages(chemin);
            reussi = ecriture.Execute(reglages, &raison);
        }
        QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!reussi);
        QVERIFY2(raison.startsWith(U("Impossible d'enregistrer les réglages dans « ")),
                 qPrintable(raison));
        QVERIFY2(raison.contains(U("Permission refusée")), qPrintable(raison));
        QCOMPARE(LitOctets(chemin), StoreExistant());
    }
};

CARNET_TEST(TestEcritureReglages)
#include "TestEcritureReglages.moc"
