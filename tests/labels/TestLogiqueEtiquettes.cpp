#include "OutilsFichiers.h"
#include "Registre.h"
#include "labels/DessinEtiquette.h"
#include "labels/MiseEnPage.h"
#include "labels/OptionsMailing.h"
#include "labels/Planches.h"
#include "labels/TexteEtiquette.h"
#include "records/CodePage.h"
#include "records/Repertoire.h"
#include "settings/Reglages.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using F = FormatEtiquette;
using Params = std::array<int, F::NbParametres>;
using Emplacements = std::vector<Planches::Emplacement>;
Q_DECLARE_METATYPE(Params)
Q_DECLARE_METATYPE(Emplacements)

using namespace OutilsFichiers;

namespace
{

// A record given as "Champ=valeur" pairs.
Repertoire Livre(const std::vector<std::vector<std::pair<int, const char*>>>& fiches)
{
    Repertoire rep;
    rep.SetNbLignes(static_cast<int>(fiches.size()) + 1);
    for (size_t i = 0; i < fiches.size(); ++i)
        for (const auto& [champ, valeur] : fiches[i])
            rep.SetCellule(champ, static_cast<int>(i) + 1,
                           CodePage::Octets(QString::fromUtf8(valeur)));
    return rep;
}

QString Visible(const std::string& texte)
{
    return CodePage::VersUnicode(texte).replace(QLatin1Char('\r'), QStringLiteral("|"));
}

} // namespace

class TestLogiqueEtiquettes : public QObject
{
    Q_OBJECT
private slots:
    void ColonnesEtLignes_data();
    void ColonnesEtLignes();
    void NomsDeFormat_data();
    void NomsDeFormat();
    void PositionsCalculeesALaMain_data();
    void PositionsCalculeesALaMain();
    void Resumes();
    void NombreDePlanches_data();
    void NombreDePlanches();
    void ParcoursDesPlanches_data();
    void ParcoursDesPlanches();
    void TexteDesEtiquettes_data();
    void TexteDesEtiquettes();
    void LignesDuChoix();
    void OptionsAllerRetour();
    void PoliceDesReglages_data();
    void PoliceDesReglages();
    void AjustementDuTexte();
    void DessinCadreEtRognage();
};

void TestLogiqueEtiquettes::ColonnesEtLignes_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<Params>("p"); // haute, basse, gauche, droite, vertical, horizontal
    QTest::addColumn<int>("colonnes");
    QTest::addColumn<int>("lignes");
    QTest::addColumn<double>("ajusteX"); // mm taken from the outer margins
    QTest::addColumn<double>("ajusteY");
    QTest::newRow("70x42,4 nu: 210/70, 297/42,4 = 7,004")
        << "70,0x42,4" << Params{} << 3 << 7 << 0.0 << 0.0;
    QTest::newRow("70x42,4 marges 10 mm")
        << "70,0x42,4" << Params{100, 100, 0, 0, 0, 0} << 3 << 6 << 0.0 << 0.0;
    QTest::newRow("70x70") << "70,0x70,0" << Params{} << 3 << 4 << 0.0 << 0.0;
    QTest::newRow("101x96") << "101,0x96,0" << Params{} << 2 << 3 << 0.0 << 0.0;
    QTest::newRow("pleine page sans decimale") << "210x297" << Params{} << 1 << 1 << 0.0 << 0.0;
    // 297 - 30,3 = 266,7 = 7 x 38,1 exactly.
    QTest::newRow("38,1 ajuste exactement")
        << "70,0x38,1" << Params{151, 152, 0, 0, 0, 0} << 3 << 7 << 0.0 << 0.0;
    // A tenth of a millimetre too short: the row still counts, the margins give it.
    QTest::newRow("38,1 un dixieme trop court")
        << "70,0x38,1" << Params{151, 153, 0, 0, 0, 0} << 3 << 7 << 0.0 << 0.1;
    // (vs + 2970 - haute - basse) / (vs + 381): 7 x 401 = 2807 with 2 mm between rows.
    QTest::newRow("38,1 espaces, exact")
        << "70,0x38,1" << Params{91, 92, 0, 0, 20, 0} << 3 << 7 << 0.0 << 0.0;
    QTest::newRow("38,1 espaces, cinq dixiemes courts")
        << "70,0x38,1" << Params{91, 97, 0, 0, 20, 0} << 3 << 7 << 0.0 << 0.5;
    QTest::newRow("38,1 espaces, six dixiemes courts: refuse")
        << "70,0x38,1" << Params{91, 98, 0, 0, 20, 0} << 3 << 6 << 0.0 << 0.0;
    // (hs + 2100 - l - r) / (hs + 635): 3 columns exactly when it reaches 3 x 660 - 25 = 1955.
    QTest::newRow("63,5 colonnes exactes")
        << "63,5x38,1" << Params{0, 0, 73, 72, 0, 25} << 3 << 7 << 0.0 << 0.0;
    QTest::newRow("63,5 un dixieme de trop")
        << "63,5x38,1" << Params{0, 0, 74, 72, 0, 25} << 3 << 7 << 0.1 << 0.0;
    QTest::newRow("0,5 mm de trop en largeur")
        << "70,0x42,4" << Params{0, 0, 2, 3, 0, 0} << 3 << 7 << 0.5 << 0.0;
    QTest::newRow("0,6 mm de trop en largeur: refuse")
        << "70,0x42,4" << Params{0, 0, 3, 3, 0, 0} << 2 << 7 << 0.0 << 0.0;
    // Makers' sheets as published (margins rounded to the tenth).
    QTest::newRow("99,1 x 67,7 par 8")
        << "99,1x67,7" << Params{131, 131, 47, 47, 0, 25} << 2 << 4 << 0.1 << 0.0;
    QTest::newRow("63,5 x 46,6 par 18")
        << "63,5x46,6" << Params{88, 88, 72, 72, 0, 25} << 3 << 6 << 0.0 << 0.2;
    QTest::newRow("99,1 x 139 par 4")
        << "99,1x139,0" << Params{95, 95, 47, 47, 0, 25} << 2 << 2 << 0.1 << 0.0;
    QTest::newRow("deux axes a la fois") << "70,1x42,5" << Params{} << 3 << 7 << 0.3 << 0.5;
    QTest::newRow("decimales longues, juste dessous")
        << "69,99999x42,4" << Params{} << 3 << 7 << 0.0 << 0.0;
    QTest::newRow("decimales longues, juste dessus")
        << "70,000001x42,4" << Params{} << 3 << 7 << 0.000003 << 0.0;
    QTest::newRow("zeros de fin sans effet")
        << "70,000000000000000000000000x42,40" << Params{} << 3 << 7 << 0.0 << 0.0;
    QTest::newRow("point decimal accepte") << "70.0x42.4" << Params{} << 3 << 7 << 0.0 << 0.0;
    QTest::newRow("suffixe apres un espace")
        << "70,0x42,4 Planche A" << Params{} << 3 << 7 << 0.0 << 0.0;
    QTest::newRow("0,3 mm plus large que la feuille")
        << "210,3x10,0" << Params{} << 1 << 29 << 0.3 << 0.0;
    QTest::newRow("1 mm plus large que la feuille")
        << "211,0x10,0" << Params{} << 0 << 29 << 0.0 << 0.0;
    QTest::newRow("marges plus grandes que la feuille")
        << "10,0x100,0" << Params{1000, 1000, 1000, 1000, 0, 0} << 1 << 0 << 0.0 << 0.0;
    QTest::newRow("marges depassant la largeur")
        << "10,0x10,0" << Params{0, 0, 1000, 1000, 0, 1000} << 1 << 29 << 0.0 << 0.0;
    QTest::newRow("nom illisible") << "grand" << Params{} << 0 << 0 << 0.0 << 0.0;
    QTest::newRow("largeur nulle") << "0x10" << Params{} << 0 << 0 << 0.0 << 0.0;
    QTest::newRow("largeur negative") << "-5x10" << Params{} << 0 << 0 << 0.0 << 0.0;
}

void TestLogiqueEtiquettes::ColonnesEtLignes()
{
    QFETCH(QString, nom);
    QFETCH(Params, p);
    QFETCH(double, ajusteX);
    QFETCH(double, ajusteY);
    const MiseEnPage page(F(nom, p));
    QTEST(page.Colonnes(), "colonnes");
    QTEST(page.Lignes(), "lignes");
    QVERIFY2(std::abs(page.AjustementLargeurMm() - ajusteX) < 1e-9,
             qPrintable(QString::number(page.AjustementLargeurMm(), 'g', 12)));
    QVERIFY2(std::abs(page.AjustementHauteurMm() - ajusteY) < 1e-9,
             qPrintable(QString::number(page.AjustementHauteurMm(), 'g', 12)));
}

void TestLogiqueEtiquettes::PositionsCalculeesALaMain_data()
{
    // Label rectangles in mm, each computed by hand from the format's numbers.
    QTest::addColumn<QString>("nom");
    QTest::addColumn<Params>("p"); // haute, basse, gauche, droite, vertical, horizontal
    QTest::addColumn<QList<QRectF>>("attendus"); // columns 1, 2, 3 of row 1, then rows 2, 7
    // Spacings of 2,0 mm between rows and 2,5 mm between columns: steps of 66,0 and 40,1.
    QTest::newRow("espacements differents") << "63,5x38,1" << Params{151, 152, 72, 72, 20, 25}
                                            << QList<QRectF>{{7.2, 15.1, 63.5, 38.1},
                                                             {73.2, 15.1, 63.5, 38.1},
                                                             {139.2, 15.1, 63.5, 38.1},
                                                             {7.2, 55.2, 63.5, 38.1},
                                                             {7.2, 255.7, 63.5, 38.1}};
    // 210,1 mm across: 0,05 mm from each side margin; 4,7 becomes 4,65.
    QTest::newRow("marges ajustees des deux cotes")
        << "99,1x67,7" << Params{131, 131, 47, 47, 0, 25}
        << QList<QRectF>{{4.65, 13.1, 99.1, 67.7},
                         {106.25, 13.1, 99.1, 67.7},
                         {207.85, 13.1, 99.1, 67.7}, // not printed: two columns
                         {4.65, 80.8, 99.1, 67.7},
                         {4.65, 419.3, 99.1, 67.7}};
    // 0,4 mm too wide with no right margin: the left margin gives it all.
    QTest::newRow("marge droite nulle") << "70,0x42,4" << Params{0, 0, 4, 0, 0, 0}
                                        << QList<QRectF>{{0, 0, 70, 42.4},
                                                         {70, 0, 70, 42.4},
                                                         {140, 0, 70, 42.4},
                                                         {0, 42.4, 70, 42.4},
                                                         {0, 254.4, 70, 42.4}};
    // 0,3 mm too wide with no margin at all: the last label runs off the paper's edge.
    QTest::newRow("sans marge") << "70,1x42,4" << Params{}
                                << QList<QRectF>{{0, 0, 70.1, 42.4},
                                                 {70.1, 0, 70.1, 42.4},
                                                 {140.2, 0, 70.1, 42.4},
                                                 {0, 42.4, 70.1, 42.4},
                                                 {0, 254.4, 70.1, 42.4}};
}

void TestLogiqueEtiquettes::PositionsCalculeesALaMain()
{
    QFETCH(QString, nom);
    QFETCH(Params, p);
    QFETCH(QList<QRectF>, attendus);
    const MiseEnPage page(F(nom, p));
    const QList<QPoint> places{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {1, 7}};
    for (int i = 0; i < places.size(); ++i) {
        const QRectF r = page.RectangleMm(places[i].x(), places[i].y());
        const QRectF& a = attendus[i];
        QVERIFY2(std::abs(r.x() - a.x()) < 1e-9 && std::abs(r.y() - a.y()) < 1e-9 &&
                     std::abs(r.width() - a.width()) < 1e-9 &&
                     std::abs(r.height() - a.height()) < 1e-9,
                 qPrintable(QStringLiteral("colonne %1 ligne %2: (%3, %4) %5 x %6")
                                .arg(places[i].x())
                                .arg(places[i].y())
                                .arg(r.x())
                                .arg(r.y())
                                .arg(r.width())
                                .arg(r.height())));
    }
}

void TestLogiqueEtiquettes::Resumes()
{
    QCOMPARE(MiseEnPage::Resume(F("70,0x42,4")),
             QString::fromUtf8("3 × 7 = 21 étiquettes par planche"));
    QCOMPARE(MiseEnPage::Resume(F("99,1x67,7", {131, 131, 47, 47, 0, 25})),
             QString::fromUtf8("2 × 4 = 8 étiquettes par planche (marges ajustées de 0,1 mm en "
                               "largeur)"));
    QCOMPARE(MiseEnPage::Resume(F("63,5x46,6", {88, 88, 72, 72, 0, 25})),
             QString::fromUtf8("3 × 6 = 18 étiquettes par planche (marges ajustées de 0,2 mm en "
                               "hauteur)"));
    QCOMPARE(MiseEnPage::Resume(F("70,1x42,5")),
             QString::fromUtf8("3 × 7 = 21 étiquettes par planche (marges ajustées de 0,3 mm en "
                               "largeur et de 0,5 mm en hauteur)"));
    QCOMPARE(MiseEnPage::Resume(F("70,000001x42,4")),
             QString::fromUtf8("3 × 7 = 21 étiquettes par planche (marges ajustées de 0,01 mm "
                               "en largeur)"));
    QVERIFY(MiseEnPage::Resume(F("211x10")).startsWith(QString::fromUtf8("Aucune étiquette")));
    QVERIFY(MiseEnPage::Resume(F("70 x 42")).startsWith(QString::fromUtf8("Ce nom")));
    QCOMPARE(MiseEnPage::Millimetres(0.25), QStringLiteral("0,25"));
    QCOMPARE(MiseEnPage::Millimetres(0.5), QStringLiteral("0,5"));
}

void TestLogiqueEtiquettes::NomsDeFormat_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<bool>("valide");
    QTest::addColumn<double>("largeur");
    QTest::addColumn<double>("hauteur");
    QTest::newRow("virgule") << "99,0x38,1" << true << 99.0 << 38.1;
    QTest::newRow("entier") << "210x297" << true << 210.0 << 297.0;
    QTest::newRow("sans x") << "70,0" << false << 0.0 << 0.0;
    QTest::newRow("largeur vide") << "x42" << false << 0.0 << 0.0;
    QTest::newRow("deux virgules") << "7,0,0x4" << false << 0.0 << 0.0;
    QTest::newRow("lettres") << "70a0x42" << false << 0.0 << 0.0;
    QTest::newRow("X majuscule") << "70X42" << false << 0.0 << 0.0;
    QTest::newRow("chiffres arabes-indiens") << QString::fromUtf8("٧٠x42") << false << 0.0 << 0.0;
    QTest::newRow("trop de chiffres") << "1000000000x10" << false << 0.0 << 0.0;
    QTest::newRow("zeros de tete") << "0000000000070,50x0,5" << true << 70.5 << 0.5;
}

void TestLogiqueEtiquettes::NomsDeFormat()
{
    QFETCH(QString, nom);
    const F f(nom);
    QTEST(f.NomValide(), "valide");
    QTEST(f.Largeur(), "largeur");
    QTEST(f.Hauteur(), "hauteur");
    QCOMPARE(F::NomDe(990, 381), QStringLiteral("99,0x38,1"));
    QCOMPARE(F::NomDe(2100, 2970), QStringLiteral("210,0x297,0"));
}

void TestLogiqueEtiquettes::NombreDePlanches_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<int>("nombre");
    QTest::addColumn<int>("colonne");
    QTest::addColumn<int>("ligne");
    QTest::addColumn<int>("planches");
    QTest::newRow("10 depuis col 2 ligne 7") << "70,0x42,4" << 10 << 2 << 7 << 2;
    QTest::newRow("21 sur 21") << "70,0x42,4" << 21 << 1 << 1 << 1;
    QTest::newRow("22 sur 21") << "70,0x42,4" << 22 << 1 << 1 << 2;
    QTest::newRow("1 au dernier emplacement") << "70,0x42,4" << 1 << 3 << 7 << 1;
    QTest::newRow("2 au dernier emplacement") << "70,0x42,4" << 2 << 3 << 7 << 2;
    QTest::newRow("depart hors de la feuille ramene") << "70,0x42,4" << 1 << 9 << 9 << 1;
    QTest::newRow("aucune etiquette ne tient") << "300x10" << 5 << 1 << 1 << 0;
    QTest::newRow("aucune etiquette") << "70,0x42,4" << 0 << 1 << 1 << 0;
}

void TestLogiqueEtiquettes::NombreDePlanches()
{
    QFETCH(QString, nom);
    QFETCH(int, nombre);
    QFETCH(int, colonne);
    QFETCH(int, ligne);
    std::vector<int> fiches(static_cast<size_t>(nombre));
    for (int i = 0; i < nombre; ++i)
        fiches[static_cast<size_t>(i)] = i + 1;
    QTEST(Planches(MiseEnPage(F(nom)), fiches, nombre, colonne, ligne).NombrePlanches(),
          "planches");
}

void TestLogiqueEtiquettes::ParcoursDesPlanches_data()
{
    QTest::addColumn<int>("nombre");
    QTest::addColumn<std::vector<int>>("fiches");
    QTest::addColumn<int>("colonne");
    QTest::addColumn<int>("ligne");
    QTest::addColumn<int>("planche");
    QTest::addColumn<Emplacements>("attendu");
    const std::vector<int> dix = {2, 3, 5, 7, 8, 11, 12, 13, 17, 20};
    QTest::newRow("feuille entamee, planche 1")
        << 10 << dix << 2 << 7 << 1 << Emplacements{{2, 7, 2}, {3, 7, 3}};
    QTest::newRow("feuille entamee, planche 2")
        << 10 << dix << 2 << 7 << 2 << Emplacements{{1, 1, 5},  {2, 1, 7},  {3, 1, 8},  {1, 2, 11},
                                                    {2, 2, 12}, {3, 2, 13}, {1, 3, 17}, {2, 3, 20}};
    QTest::newRow("moins de fiches choisies que d'etiquettes")
        << 5 << std::vector<int>{4, 9} << 1 << 1 << 1 << Emplacements{{1, 1, 4}, {2, 1, 9}};
    QTest::newRow("plus de fiches que d'etiquettes")
        << 2 << std::vector<int>{4, 9, 10} << 3 << 1 << 1 << Emplacements{{3, 1, 4}, {1, 2, 9}};
    QTest::newRow("depart hors de la feuille: derniere etiquette")
        << 2 << std::vector<int>{1, 2} << 8 << 12 << 1 << Emplacements{{3, 7, 1}};
    QTest::newRow("planche au-dela de la derniere")
        << 2 << std::vector<int>{1, 2} << 1 << 1 << 2 << Emplacements{};
}

void TestLogiqueEtiquettes::ParcoursDesPlanches()
{
    QFETCH(int, nombre);
    QFETCH(std::vector<int>, fiches);
    QFETCH(int, colonne);
    QFETCH(int, ligne);
    QFETCH(int, planche);
    const Planches p(MiseEnPage(F("70,0x42,4")), fiches, nombre, colonne, ligne);
    QTEST(p.Emplacements(planche), "attendu");
}

void TestLogiqueEtiquettes::TexteDesEtiquettes_data()
{
    QTest::addColumn<Repertoire>("rep");
    QTest::addColumn<int>("genre");
    QTest::addColumn<QString>("texte");
    const Repertoire durand = Livre({{{Civil, "Madame"},
                                      {Nom, "Durand"},
                                      {Adresse1, "3 rue Haute"},
                                      {CP, "75001"},
                                      {Ville, "Paris"}}});
    QTest::newRow("personnelle, ligne vide omise")
        << durand << 0 << "Madame Durand |3 rue Haute |75001 Paris |";
    const Repertoire martin = Livre({{{Civil, "Monsieur"},
                                      {Prenom, "Jean"},
                                      {Nom, "Martin"},
                                      {Societe, "Acme"},
                                      {SAdresse1, "1 place Neuve"},
                                      {SAdresse2, "BP 12"},
                                      {SCP, "69000"},
                                      {SVille, "Lyon"},
                                      {SPays, "France"},
                                      {Adresse1, "ailleurs"},
                                      {Banque, "Banque du Nord"},
                                      {BVille, "Lille"}}});
    QTest::newRow("pro avec nom")
        << martin << 1 << "Monsieur Jean Martin - Acme |1 place Neuve |BP 12 |69000 Lyon France |";
    QTest::newRow("pro sans nom") << martin << 2
                                  << "Acme |1 place Neuve |BP 12 |69000 Lyon France |";
    QTest::newRow("bancaire") << martin << 3 << "Banque du Nord |Lille |";
    const Repertoire sansNom = Livre({{{Civil, "Monsieur"}, {Prenom, "Jean"}, {Societe, "Acme"}}});
    QTest::newRow("pro sans nom de famille: pas de tiret")
        << sansNom << 1 << "Monsieur Jean Acme |";
    const Repertoire espaces = Livre({{{Prenom, "Jean "}, {Nom, "Val d'Oise"}, {Ville, "Évry"}}});
    QTest::newRow("espace final non double, accents")
        << espaces << 0 << QString::fromUtf8("Jean Val d'Oise |Évry |");
    QTest::newRow("fiche vide: texte vide") << Livre({{}}) << 0 << "";
    QTest::newRow("genre inconnu: personnelle")
        << durand << 7 << "Madame Durand |3 rue Haute |75001 Paris |";
}

void TestLogiqueEtiquettes::TexteDesEtiquettes()
{
    QFETCH(Repertoire, rep);
    QFETCH(int, genre);
    QTEST(Visible(TexteEtiquette::Compose(rep, 1, genre)), "texte");
}

void TestLogiqueEtiquettes::LignesDuChoix()
{
    const Repertoire rep = Livre({{},
                                  {{Nom, "Durand "},
                                   {Prenom, "Anne"},
                                   {Civil, "Madame"},
                                   {Tel, "01"},
                                   {Ville, "Paris"},
                                   {Societe, "Acme"},
                                   {BPays, "Suisse"},
                                   {Notes, "note"}}});
    QCOMPARE(Visible(TexteEtiquette::LigneChoix(rep, 1)), QStringLiteral("1 : "));
    QCOMPARE(Visible(TexteEtiquette::LigneChoix(rep, 2)),
             QStringLiteral("2 : Durand Anne Paris Acme Suisse "));
}

void TestLogiqueEtiquettes::OptionsAllerRetour()
{
    QTemporaryDir d;
    OptionsMailing o;
    QCOMPARE(o.police.family(), QStringLiteral("arial"));
    QCOMPARE(o.police.pointSizeF(), 9.0);
    o.genre = 2;
    o.cadre = true;
    o.couleur = QColor(0x12, 0x34, 0x56);
    o.police = QFont("DejaVu Serif");
    o.police.setPointSizeF(14);
    o.police.setItalic(true);
    o.police.setStrikeOut(true);
    o.decalageX = -13;
    o.decalageY = 50;
    {
        Reglages r(d.filePath("a.ini"));
        o.EcritOptions(r);
        o.EcritPolice(r);
        QVERIFY(r.Enregistre());
        QCOMPARE(r.ReadInteger("Police", "couleur", -1), 0x563412);
        QCOMPARE(r.ReadInteger("Police", "hauteur", 0), -19);
    }
    QVERIFY(QFile::copy(d.filePath("a.ini"), d.filePath("b.ini")));
    Reglages r(d.filePath("b.ini"));
    OptionsMailing lu;
    lu.Lit(r);
    QCOMPARE(lu.genre, 2);
    QVERIFY(lu.cadre);
    QCOMPARE(lu.couleur, o.couleur);
    QCOMPARE(lu.police.family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(lu.police.pointSizeF(), 14.0);
    QCOMPARE(std::make_tuple(lu.police.bold(), lu.police.italic(), lu.police.underline(),
                             lu.police.strikeOut()),
             std::make_tuple(false, true, false, true));
    QCOMPARE(lu.decalageX, -13);
    QCOMPARE(lu.decalageY, 50);
}

void TestLogiqueEtiquettes::PoliceDesReglages_data()
{
    QTest::addColumn<QString>("contenu");
    QTest::addColumn<double>("taille");
    QTest::addColumn<int>("genre");
    QTest::addColumn<QColor>("couleur");
    QTest::addColumn<int>("decalage");
    QTest::newRow("rien: valeurs par defaut") << "" << 9.0 << 0 << QColor(Qt::black) << 0;
    QTest::newRow("taille decide apres hauteur") << "[Police]\nhauteur=-40\ntaille=11\n"
                                                 << 11.0 << 0 << QColor(Qt::black) << 0;
    QTest::newRow("hauteur seule") << "[Police]\nhauteur=-16\n"
                                   << 12.0 << 0 << QColor(Qt::black) << 0;
    QTest::newRow("taille absurde bornee") << "[Police]\ntaille=5000\n"
                                           << 144.0 << 0 << QColor(Qt::black) << 0;
    QTest::newRow("couleur BGR") << "[Police]\ncouleur=255\n" << 9.0 << 0 << QColor(Qt::red) << 0;
    QTest::newRow("couleur impossible") << "[Police]\ncouleur=-5\n"
                                        << 9.0 << 0 << QColor(Qt::black) << 0;
    QTest::newRow("genre hors bornes, decalage borne")
        << "[Options]\nAdresse=9\nD%E9calage%20horizontal=77\n"
        << 9.0 << 0 << QColor(Qt::black) << 50;
    QTest::newRow("genre bancaire") << "[Options]\nAdresse=3\n"
                                    << 9.0 << 3 << QColor(Qt::black) << 0;
}

void TestLogiqueEtiquettes::PoliceDesReglages()
{
    QFETCH(QString, contenu);
    QTemporaryDir d;
    EcritOctets(d.filePath("r.ini"), contenu.toUtf8());
    Reglages r(d.filePath("r.ini"));
    OptionsMailing o;
    o.Lit(r);
    QTEST(o.police.pointSizeF(), "taille");
    QTEST(o.genre, "genre");
    QTEST(o.couleur, "couleur");
    QTEST(o.decalageX, "decalage");
}

void TestLogiqueEtiquettes::AjustementDuTexte()
{
    QFont police("DejaVu Sans");
    police.setPointSizeF(12);
    const DessinEtiquette d(police, Qt::black, false);
    const QSizeF grande(70, 42.4);
    const auto court = d.Ajuste("Madame Durand\n3 rue Haute\n75001 Paris", grande);
    QCOMPARE(court.taille, 12.0);
    QVERIFY(!court.rogne);
    QVERIFY(court.bloc.width() <= 7000 && court.bloc.height() <= 4240);
    const QString longue = "Monsieur Jean-Baptiste de la Grande Maison - Compagnie Generale\n"
                           "123 boulevard du Marechal de Lattre de Tassigny\nResidence des Fleurs\n"
                           "75001 Paris";
    const auto reduit = d.Ajuste(longue, QSizeF(50, 12));
    QVERIFY2(reduit.taille < 12.0 && reduit.taille >= DessinEtiquette::TailleMin,
             qPrintable(QString::number(reduit.taille)));
    QCOMPARE(reduit.taille, std::floor(reduit.taille)); // one point at a time
    QVERIFY(!reduit.rogne);
    QVERIFY(reduit.bloc.width() <= 5000 && reduit.bloc.height() <= 1200);
    // One point more would not have fitted.
    QFont plus = police;
    plus.setPointSizeF(reduit.taille + 1);
    QVERIFY(DessinEtiquette(plus, Qt::black, false).Ajuste(longue, QSizeF(50, 12)).taille <
            reduit.taille + 1);
    const auto minuscule = d.Ajuste(longue, QSizeF(5, 2));
    QCOMPARE(minuscule.taille, DessinEtiquette::TailleMin);
    QVERIFY(minuscule.rogne);
    QCOMPARE(DessinEtiquette::TexteQt("a \rb  \r\n c \r"), QStringLiteral("a\nb\n c"));
}

void TestLogiqueEtiquettes::DessinCadreEtRognage()
{
    // 10 pixels per millimetre; a 40 x 10 mm label at (10, 10) mm.
    QImage image(600, 300, QImage::Format_RGB32);
    QFont police("DejaVu Sans");
    police.setPointSizeF(40);
    for (bool cadre : {false, true}) {
        image.fill(Qt::white);
        QPainter p(&image);
        const DessinEtiquette d(police, Qt::blue, cadre);
        d.Dessine(p, QRectF(100, 100, 400, 100), QSizeF(40, 10),
                  cadre ? QString() : QString("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"));
        p.end();
        int dehors = 0, dedans = 0, bord = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == qRgb(255, 255, 255)) continue;
                const bool interieur = x >= 100 && x < 500 && y >= 100 && y < 200;
                (interieur ? dedans : dehors)++;
                if (interieur && (x == 100 || x == 499 || y == 100 || y == 199)) ++bord;
            }
        QCOMPARE(dehors, 0); // clipped to its label
        QVERIFY(dedans > 0);
        if (cadre) QCOMPARE(bord, 2 * 400 + 2 * 100 - 4); // the frame even without text
    }
}

CARNET_TEST(TestLogiqueEtiquettes)
#include "TestLogiqueEtiquettes.moc"
