#include "OutilsEchange.h"
#include "Registre.h"

#include "BancEchange.h"
#include "exchange/ExportationVCard.h"
#include "exchange/Importation.h"
#include "exchange/LectureVCard.h"
#include "exchange/TAsso.h"
#include "exchange/TDialogueExport.h"
#include "exchange/TEchange.h"
#include "mainwindow/TFiche.h"
#include "records/CodePage.h"
#include "ui/TMessage.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <random>
#include <sys/stat.h>

using namespace OutilsEchange;

namespace
{

const char* const Vobject = CARNET_FIXTURES "/../exchange/LitVobject.py";

QByteArray Jpeg(const QColor& couleur, int largeur = 40)
{
    QImage image(largeur, 30, QImage::Format_RGB32);
    image.fill(couleur);
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, "JPEG");
    return octets;
}

// A cell as Unicode with its line breaks as another program reads them.
QString U(std::string_view cellule)
{
    return CodePage::VersUnicode(cellule).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

bool Web(std::string_view v)
{
    const QString s = U(v).trimmed().toLower();
    return s.startsWith(QStringLiteral("http")) || s.startsWith(QStringLiteral("www."));
}

// A book that fills every field somewhere, with what trips a format up: its
// separators and escapes, line breaks, the code page's own characters, a field
// after an empty one of its kind, web addresses among the e-mails, a blank record,
// pictures present, missing and too large.
Repertoire LivreComplet()
{
    Repertoire rep = LivreGenere(40);
    rep.SetNbLignes(46);
    const auto Remplit = [&rep](int r, const std::vector<std::pair<int, std::string>>& champs) {
        for (int c = 0; c < NbColonnes; ++c)
            rep.SetCellule(c, r, "");
        for (const auto& [c, v] : champs)
            rep.SetCellule(c, r, v);
    };
    std::vector<std::pair<int, std::string>> tous;
    for (int c = 0; c < NbColonnes; ++c)
        tous.emplace_back(c, Cp("Champ n°") + std::to_string(c) + Cp(" ; é, \\ € «»"));
    tous[Notes].second = Cp("Première ligne\r\nDeuxième; ligne, avec \\n écrit\r\n");
    tous[SNotes].second = Cp("Société\r\nsur deux lignes");
    tous[BNotes].second = std::string(300, 'x') + Cp("é");
    tous[Adresse1].second = Cp("12, rue de l'Église");
    tous[Adresse2].second = Cp("Bâtiment C; escalier 2");
    tous[Internet2].second = "www.exemple.fr";
    tous[SInternet3].second = "https://exemple.fr/?a=1,b=2";
    tous[Photo].second = "present.jpg";
    Remplit(41, tous);
    Remplit(42, {{Nom, "Zola"},
                 {Tel2, "01 02 03 04 05"},
                 {Internet3, "zola@exemple.fr"},
                 {SInternet2, "http://zola.fr"},
                 {STel2, "02"},
                 {Photo, "absente.png"}});
    Remplit(43, {});
    Remplit(44, {{Societe, "ACME"}, {SInternet, "contact@acme.example"}});
    Remplit(45, {{Adresse2, "seconde ligne seule"}, {Notes, "\r\n"}, {Photo, "grande.jpg"}});
    for (int r : {41, 43, 45})
        rep.SetFlagMail(r, "1");
    return rep;
}

struct Livre {
    Repertoire rep;
    QString images;
};

} // namespace

class TestVCardEchange : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dossier;

    QString Chemin(const QString& nom) const { return m_dossier->filePath(nom); }

    std::unique_ptr<BancEchange> Demarre(const QString& sousDossier = QString())
    {
        const QString dossier = Chemin(sousDossier);
        QDir().mkpath(dossier);
        auto p = std::make_unique<BancEchange>(dossier + QStringLiteral("/carnet.ini"),
                                               dossier + QLatin1Char('/'), QStringList{});
        p->Fiche()->show();
        QCoreApplication::processEvents();
        return p;
    }

    // The book above in a program whose images folder holds the pictures it names.
    std::unique_ptr<BancEchange> DemarreAvecLivre()
    {
        auto p = Demarre(QStringLiteral("source"));
        p->Fiche()->Rep() = LivreComplet();
        const QString images = p->Fiche()->DossierImages();
        Ecrit(images + QStringLiteral("/present.jpg"), Jpeg(Qt::darkCyan));
        Ecrit(images + QStringLiteral("/grande.jpg"),
              Jpeg(Qt::red) + QByteArray(ExportationVCard::MaxImage, 'x'));
        return p;
    }

    static QJsonArray LitAvecVobject(const QString& fichier)
    {
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), {QString::fromLatin1(Vobject), fichier});
        if (!python.waitForFinished(60000) || python.exitCode() != 0) {
            qWarning("%s", python.readAllStandardError().constData());
            return {};
        }
        return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    }

private slots:
    void initTestCase() { Q_INIT_RESOURCE(carnet); }
    void init()
    {
        TMessage::ModeTest(true);
        m_dossier = std::make_unique<QTemporaryDir>();
    }
    void cleanup() { TMessage::ModeTest(false); }

    // Another program (Python's vobject) reads every card the export writes and
    // finds every mapped value, worked out here from the mapping's rules.
    void LuParUnAutreProgramme_data()
    {
        QTest::addColumn<TypeFichier>("type");
        QTest::newRow("3.0") << TypeFichier::VCard3;
        QTest::newRow("4.0") << TypeFichier::VCard4;
    }
    void LuParUnAutreProgramme()
    {
        QFETCH(TypeFichier, type);
        if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
            QSKIP("/usr/bin/python3 absent : scripts/setup.sh installe python3-vobject");
        QProcess essai;
        essai.start(QStringLiteral("/usr/bin/python3"), {"-c", "import vobject"});
        essai.waitForFinished();
        if (essai.exitCode() != 0)
            QSKIP("le module vobject est absent : scripts/setup.sh installe python3-vobject");
        auto p = DemarreAvecLivre();
        const Repertoire& rep = p->Fiche()->Rep();
        const QString fichier = Chemin(QStringLiteral("carnet.vcf"));
        QVERIFY(p->Echange()->Exporte(fichier, type));
        // Two pictures left out, told once the file is written.
        QCOMPARE(TMessage::Historique().size(), size_t(1));
        QVERIFY2(TMessage::DernierTexte().startsWith(QString::fromUtf8("45 fiches exportées.")),
                 qPrintable(TMessage::DernierTexte()));
        QVERIFY2(TMessage::DernierTexte().contains(QString::fromUtf8("absente.png")),
                 qPrintable(TMessage::DernierTexte()));
        const QJsonArray cartes = LitAvecVobject(fichier);
        QCOMPARE(cartes.size(), rep.NbFiches());
        const QByteArray present =
            Lit(p->Fiche()->DossierImages() + QStringLiteral("/present.jpg"));
        for (int r = 1; r <= rep.NbFiches(); ++r) {
            const QJsonObject c = cartes[r - 1].toObject();
            const auto V = [&rep, r](int champ) { return U(rep.Cellule(champ, r)); };
            const QString ou = QStringLiteral("fiche %1").arg(r);
            QCOMPARE(c[QStringLiteral("version")].toString(),
                     type == TypeFichier::VCard4 ? QStringLiteral("4.0") : QStringLiteral("3.0"));
            const QJsonArray n = c[QStringLiteral("n")].toArray();
            QCOMPARE(n[0].toString() + '|' + n[1].toString() + '|' + n[3].toString(),
                     V(Nom) + '|' + V(Prenom) + '|' + V(Civil));
            QStringList nom;
            for (int champ : {Civil, Prenom, Nom})
                if (!V(champ).trimmed().isEmpty()) nom << V(champ).trimmed();
            QString fn = nom.join(' ');
            if (fn.isEmpty()) fn = V(Societe).trimmed();
            for (int champ :
                 {Internet, Internet2, Internet3, SInternet, SInternet2, SInternet3, BInternet})
                if (fn.isEmpty() && !V(champ).trimmed().isEmpty() && !Web(rep.Cellule(champ, r)))
                    fn = V(champ).trimmed();
            if (fn.isEmpty()) fn = QStringLiteral("Sans nom");
            QCOMPARE(c[QStringLiteral("fn")].toString(), fn);
            QCOMPARE(c[QStringLiteral("org")].toArray().first().toString(), V(Societe));
            QCOMPARE(c[QStringLiteral("title")].toString(), V(Fonction));
            QCOMPARE(c[QStringLiteral("note")].toString(), V(Notes));
            // Addresses: home then work, each when it holds something.
            QStringList adresses, attendues;
            for (const QJsonValue a : c[QStringLiteral("adr")].toArray()) {
                const QJsonObject o = a.toObject();
                QStringList types;
                for (const QJsonValue t : o[QStringLiteral("types")].toArray())
                    types << t.toString();
                adresses << types.join(',') + ':' + o[QStringLiteral("street")].toString() + '|' +
                                o[QStringLiteral("city")].toString() + '|' +
                                o[QStringLiteral("code")].toString() + '|' +
                                o[QStringLiteral("country")].toString();
            }
            for (const auto& [type, a1, a2, cp, ville, pays] :
                 {std::tuple<const char*, int, int, int, int, int>{"home", Adresse1, Adresse2, CP,
                                                                   Ville, Pays},
                  {"work", SAdresse1, SAdresse2, SCP, SVille, SPays}}) {
                if ((V(a1) + V(a2) + V(cp) + V(ville) + V(pays)).isEmpty()) continue;
                attendues << QLatin1String(type) + ':' + V(a1) +
                                 (V(a2).isEmpty() ? QString() : '\n' + V(a2)) + '|' + V(ville) +
                                 '|' + V(cp) + '|' + V(pays);
            }
            QCOMPARE(adresses, attendues);
            // Numbered fields: their kinds, and their place after an empty one.
            const auto Liste = [&c](const char* cle) {
                QStringList l;
                for (const QJsonValue v : c[QLatin1String(cle)].toArray()) {
                    const QJsonObject o = v.toObject();
                    QStringList types;
                    for (const QJsonValue t : o[QStringLiteral("types")].toArray())
                        types << t.toString();
                    l << types.join(',') + '#' +
                             QString::number(o[QStringLiteral("rang")].toInt()) + ':' +
                             o[QStringLiteral("value")].toString();
                }
                return l;
            };
            QStringList tel, email, url;
            const auto Telephones = [&](std::vector<int> champs, const char* types) {
                for (size_t i = 0; i < champs.size(); ++i)
                    if (!V(champs[i]).isEmpty())
                        tel << QLatin1String(types) + '#' +
                                   QString::number(i > 0 && V(champs[0]).isEmpty() ? 2 : 0) + ':' +
                                   V(champs[i]);
            };
            Telephones({Tel, Tel2}, "home,voice");
            Telephones({Portable}, "cell");
            Telephones({Fax}, "home,fax");
            Telephones({STel, STel2}, "work,voice");
            Telephones({SPortable}, "work,cell");
            Telephones({SFax}, "work,fax");
            const auto Internets = [&](std::vector<int> champs, const char* types) {
                int ecrits = 0;
                for (size_t i = 0; i < champs.size(); ++i) {
                    if (V(champs[i]).isEmpty()) continue;
                    (Web(rep.Cellule(champs[i], r)) ? url : email)
                        << QLatin1String(types) + '#' +
                               QString::number(ecrits != int(i) ? int(i) + 1 : 0) + ':' +
                               V(champs[i]);
                    ++ecrits;
                }
            };
            Internets({Internet, Internet2, Internet3}, "home");
            Internets({SInternet, SInternet2, SInternet3}, "work");
            QCOMPARE(Liste("tel"), tel);
            QCOMPARE(Liste("email"), email);
            QCOMPARE(Liste("url"), url);
            // The program's own properties.
            const QJsonObject x = c[QStringLiteral("x")].toObject();
            QStringList lus, voulus;
            for (auto it = x.begin(); it != x.end(); ++it)
                lus << it.key() + '=' + it.value().toString();
            for (int champ : {SNotes, Banque, Etablissement, Guichet, Compte, Cle, BAdresse1,
                              BAdresse2, BCP, BVille, BPays, BTel, BFax, BInternet, BNotes, Photo})
                if (!V(champ).isEmpty())
                    voulus << (champ == Photo
                                   ? QStringLiteral("X-CARNET-PHOTO")
                                   : QStringLiteral("X-CARNET-") +
                                         QString::fromLatin1(Champs::Info(champ).cle).toUpper()) +
                                  '=' + V(champ);
            lus.sort();
            voulus.sort();
            QCOMPARE(lus, voulus);
            const QJsonObject photo = c[QStringLiteral("photo")].toObject();
            if (V(Photo) == QStringLiteral("present.jpg")) {
                QCOMPARE(QByteArray::fromBase64(photo[QStringLiteral("b64")].toString().toLatin1()),
                         present);
                QCOMPARE(photo[QStringLiteral("type")].toString(),
                         type == TypeFichier::VCard4 ? QStringLiteral("data:image/jpeg;base64")
                                                     : QStringLiteral("JPEG"));
            } else {
                QVERIFY2(photo.isEmpty(), qPrintable(ou));
            }
        }
    }

    // A book exported as 3.0 and as 4.0, then imported into an empty book of
    // another installation, gives back every field of every record byte for byte,
    // and the pictures with their names and bytes; imported again where they
    // already are, the pictures are not copied twice.
    void AllerRetour_data()
    {
        QTest::addColumn<TypeFichier>("type");
        QTest::newRow("3.0") << TypeFichier::VCard3;
        QTest::newRow("4.0") << TypeFichier::VCard4;
    }
    void AllerRetour()
    {
        QFETCH(TypeFichier, type);
        auto source = DemarreAvecLivre();
        const QString fichier = Chemin(QStringLiteral("carnet.vcf"));
        QVERIFY(source->Echange()->Exporte(fichier, type));
        const Repertoire& avant = source->Fiche()->Rep();

        auto cible = Demarre(QStringLiteral("cible"));
        cible->Echange()->ChoisitFichierImport = [&](TypeFichier& t) {
            t = TypeFichier::VCard;
            return fichier;
        };
        cible->Echange()->ExecuteAsso = [](TAsso& asso) {
            asso.OKBtnClick();
            return asso.result() == QDialog::Accepted;
        };
        TMessage::Historique().clear();
        QVERIFY(cible->Echange()->Importer1Click());
        QVERIFY2(TMessage::Historique().empty(), qPrintable(TMessage::DernierTexte()));
        const Repertoire& apres = cible->Fiche()->Rep();
        QCOMPARE(apres.NbFiches(), avant.NbFiches());
        for (int r = 1; r <= avant.NbFiches(); ++r)
            for (int c = 0; c < NbColonnes; ++c)
                QVERIFY2(apres.Cellule(c, r) == avant.Cellule(c, r),
                         qPrintable(QStringLiteral("fiche %1, %2 : « %3 » au lieu de « %4 »")
                                        .arg(r)
                                        .arg(QString::fromLatin1(Champs::Info(c).cle),
                                             Visible(apres.Cellule(c, r)),
                                             Visible(avant.Cellule(c, r)))));
        // The picture embedded is back under its name with its bytes; the ones left
        // out are not invented.
        const QDir images(cible->Fiche()->DossierImages());
        QCOMPARE(images.entryList(QDir::Files | QDir::Hidden), QStringList{"present.jpg"});
        QCOMPARE(Lit(images.filePath(QStringLiteral("present.jpg"))),
                 Lit(source->Fiche()->DossierImages() + QStringLiteral("/present.jpg")));

        // Again, into the same book: appended, the picture already there is used.
        QVERIFY(cible->Echange()->Importer1Click());
        QCOMPARE(apres.NbFiches(), 2 * avant.NbFiches());
        QCOMPARE(apres.CelluleStr(Photo, avant.NbFiches() + 41), std::string("present.jpg"));
        QCOMPARE(images.entryList(QDir::Files | QDir::Hidden), QStringList{"present.jpg"});
    }

    // Only the records chosen for the mailing, when asked.
    void SeulementLesChoisies()
    {
        auto p = DemarreAvecLivre();
        const Repertoire& rep = p->Fiche()->Rep();
        int choisies = 0;
        for (int r = 1; r <= rep.NbFiches(); ++r)
            choisies += rep.EstChoisie(r) ? 1 : 0;
        QVERIFY(choisies > 3 && choisies < rep.NbFiches());
        QVERIFY(p->Echange()->Exporte(Chemin("choisies.vcf"), TypeFichier::VCard3, true));
        const QByteArray octets = Lit(Chemin("choisies.vcf"));
        QCOMPARE(octets.count("BEGIN:VCARD\r\n"), qsizetype(choisies));
        QVERIFY(octets.contains("FN:Sans nom\r\n")); // the blank record 43 is chosen
        QVERIFY(!octets.contains("FN:ACME\r\n"));    // record 44 is not
    }

    // A 2.1 card's picture goes to the images folder under a name made from the
    // card; the same card again uses that file; another picture proposed under the
    // same name takes a fresh one, never replacing the first.
    void PhotoImportee()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        QString fichier = QStringLiteral(CARNET_FIXTURES "/vcard21.vcf");
        p->Echange()->ChoisitFichierImport = [&](TypeFichier& t) {
            t = TypeFichier::VCard;
            return fichier;
        };
        QStringList colonnes;
        p->Echange()->ExecuteAsso = [&](TAsso& asso) {
            colonnes.clear();
            for (int c = 0; c < asso.ListBox2()->count(); ++c)
                colonnes << asso.ListBox2()->item(c)->text();
            asso.OKBtnClick();
            return asso.result() == QDialog::Accepted;
        };
        QVERIFY(p->Echange()->Importer1Click());
        QCOMPARE(colonnes.first(), QString::fromUtf8("N (nom) : Éluard"));
        QVERIFY(colonnes.contains(QString::fromUtf8("PHOTO : Éluard Zélie.png")));
        QVERIFY(colonnes.contains(QString::fromUtf8("FN : Mme Zélie Éluard")));
        const QString nom = QString::fromUtf8("Éluard Zélie.png");
        QCOMPARE(CodePage::VersUnicode(f->Rep().Cellule(Photo, 1)), nom);
        QCOMPARE(CodePage::VersUnicode(f->Rep().Cellule(Ville, 1)),
                 QString::fromUtf8("Saint-Étienne"));
        const QDir images(f->DossierImages());
        QImage image(images.filePath(nom));
        QCOMPARE(image.size(), QSize(4, 3));

        QVERIFY(p->Echange()->Importer1Click());
        QCOMPARE(CodePage::VersUnicode(f->Rep().Cellule(Photo, 2)), nom);
        QCOMPARE(images.entryList(QDir::Files | QDir::Hidden), QStringList{nom});

        // Another picture, same card otherwise.
        QByteArray carte = Lit(fichier);
        const int debut = carte.indexOf("iVBOR");
        const int fin = carte.indexOf("\r\n\r\n", debut);
        carte.replace(debut, fin - debut, Jpeg(Qt::green).toBase64());
        Ecrit(Chemin("autre.vcf"), carte);
        fichier = Chemin("autre.vcf");
        QVERIFY(p->Echange()->Importer1Click());
        const QString autre = QString::fromUtf8("Éluard Zélie-2.png");
        QCOMPARE(CodePage::VersUnicode(f->Rep().Cellule(Photo, 3)), autre);
        QCOMPARE(QImage(images.filePath(nom)).size(), QSize(4, 3));
        QCOMPARE(QImage(images.filePath(autre)).pixelColor(5, 5).green() > 200, true);

        // A link named like the proposed picture is never written through.
        QFile::remove(images.filePath(autre));
        QVERIFY(QFile::link(Chemin("dehors.png"), images.filePath(autre)));
        QVERIFY(p->Echange()->Importer1Click());
        QCOMPARE(CodePage::VersUnicode(f->Rep().Cellule(Photo, 4)),
                 QString::fromUtf8("Éluard Zélie-3.png"));
        QVERIFY(!QFile::exists(Chemin("dehors.png")));
    }

    // The picture's column not associated with the Photo field: no file written,
    // and the user's choice of columns is what is imported.
    void AssociationChoisie()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        p->Echange()->ChoisitFichierImport = [](TypeFichier& t) {
            t = TypeFichier::VCard;
            return QStringLiteral(CARNET_FIXTURES "/vcard30.vcf");
        };
        p->Echange()->ExecuteAsso = [](TAsso& asso) {
            asso.show();
            // Photo: right-click leaves it; clear it by associating another column.
            const int fn = [&asso] {
                for (int c = 0; c < asso.ListBox2()->count(); ++c)
                    if (asso.ListBox2()->item(c)->text().startsWith(QStringLiteral("FN :")))
                        return c;
                return -1;
            }();
            asso.ListBox1()->setCurrentRow(Photo);
            asso.ListBox2()->setCurrentRow(fn);
            asso.ListBox2Click();
            asso.ListBox1()->setCurrentRow(Notes);
            asso.ListBox2()->setCurrentRow(fn);
            asso.ListBox2Click();
            asso.grab().save(QStringLiteral("/tmp/asso_vcard.png"));
            asso.OKBtnClick();
            return asso.result() == QDialog::Accepted;
        };
        QVERIFY(p->Echange()->Importer1Click());
        QCOMPARE(f->Rep().NbFiches(), 2);
        QCOMPARE(CodePage::VersUnicode(f->Rep().Cellule(Notes, 1)),
                 QString::fromUtf8("Docteur François Chéreau"));
        QCOMPARE(CodePage::VersUnicode(f->Rep().Cellule(Photo, 1)),
                 QString::fromUtf8("Docteur François Chéreau"));
        QCOMPARE(QDir(f->DossierImages()).entryList(QDir::Files), QStringList());
    }

    // The card another program wrote, through the command.
    void CarteReelle()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        p->Echange()->ChoisitFichierImport = [](TypeFichier& t) {
            t = TypeFichier::VCard;
            return Reel("ez-vcard_John_Doe_EVOLUTION.vcf");
        };
        p->Echange()->ExecuteAsso = [](TAsso& asso) {
            asso.OKBtnClick();
            return asso.result() == QDialog::Accepted;
        };
        QVERIFY(p->Echange()->Importer1Click());
        QVERIFY(TMessage::Historique().empty());
        const Repertoire& rep = f->Rep();
        QCOMPARE(rep.NbFiches(), 1);
        QCOMPARE(rep.CelluleStr(Nom, 1) + "|" + rep.CelluleStr(Prenom, 1) + "|" +
                     rep.CelluleStr(Civil, 1) + "|" + rep.CelluleStr(Societe, 1) + "|" +
                     rep.CelluleStr(Fonction, 1) + "|" + rep.CelluleStr(Portable, 1) + "|" +
                     rep.CelluleStr(STel, 1) + "|" + rep.CelluleStr(SInternet, 1) + "|" +
                     rep.CelluleStr(Internet, 1) + "|" + rep.CelluleStr(Adresse1, 1) + "|" +
                     rep.CelluleStr(Ville, 1) + "|" + rep.CelluleStr(CP, 1) + "|" +
                     rep.CelluleStr(Pays, 1),
                 std::string("Doe|John|Mr.|IBM|Money Counter|905-666-1234|905-555-1234|"
                             "john.doe@ibm.com|http://www.ibm.com|15 Crescent moon drive|"
                             "Albaney|12345|United States of America"));
        QVERIFY(rep.CelluleStr(Notes, 1).find("SERVICES; LOSS OF USE, DATA, OR PROFITS;") !=
                std::string::npos);
        QVERIFY(f->windowTitle().contains(QStringLiteral("Doe")));
    }

    // Files that are no vCard or that a user cannot mean: a clear message naming
    // the file, the book unchanged; lost characters and cards without their end told.
    void Refus()
    {
        auto p = Demarre();
        TFiche* f = p->Fiche();
        QString fichier;
        p->Echange()->ChoisitFichierImport = [&](TypeFichier& t) {
            t = TypeFichier::VCard;
            return fichier;
        };
        bool associe = false;
        p->Echange()->ExecuteAsso = [&](TAsso& asso) {
            associe = true;
            asso.OKBtnClick();
            return asso.result() == QDialog::Accepted;
        };
        fichier = Chemin("csv.vcf");
        Ecrit(fichier, "Nom;Ville\r\nDupont;Paris\r\n");
        QVERIFY(!p->Echange()->Importer1Click());
        QCOMPARE(TMessage::DernierTexte(),
                 QString::fromUtf8("Impossible d'importer le fichier « %1 » :\nil ne contient "
                                   "aucune fiche vCard (aucune ligne « BEGIN:VCARD »).")
                     .arg(fichier));
        fichier = Chemin("tube.vcf");
        QCOMPARE(mkfifo(QFile::encodeName(fichier).constData(), 0600), 0);
        QVERIFY(!p->Echange()->Importer1Click());
        QVERIFY2(TMessage::DernierTexte().contains(fichier), qPrintable(TMessage::DernierTexte()));
        QVERIFY(!associe);
        QCOMPARE(f->Rep().NbFiches(), 1);
        QVERIFY(!f->Rep().Modifie());

        fichier = Chemin("bizarre.vcf");
        Ecrit(fichier, QString::fromUtf8("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Ω;Zoé\r\nBEGIN:VCARD\r\n"
                                         "N:imbriquée\r\nEND:VCARD\r\nNOTE:fin perdue")
                           .toUtf8());
        TMessage::Historique().clear();
        QVERIFY(p->Echange()->Importer1Click());
        QVERIFY(associe);
        QCOMPARE(TMessage::DernierTexte(),
                 QString::fromUtf8("Le carnet ne sait pas écrire 1 caractère du fichier : « Ω ». "
                                   "Il a été remplacé par « ? ».\nLa dernière carte du fichier n'a "
                                   "pas de fin (END:VCARD) : elle a été importée telle quelle.\n"
                                   "1 carte placée à l'intérieur d'une autre a été ignorée."));
        QCOMPARE(f->Rep().CelluleStr(Nom, 1) + "|" + f->Rep().CelluleStr(Notes, 1),
                 std::string("?|fin perdue"));
    }

    // Damaged cards (bytes changed, cut, spliced from the fixtures) always give a
    // staging table that holds together: titles on line 0, one line per card,
    // within the column limit, the fields associated with existing columns, the
    // pictures' column titled PHOTO.
    void CartesAbimees()
    {
        std::vector<std::string> sources;
        for (const char* nom : {"vcard21.vcf", "vcard30.vcf", "vcard40.vcf"})
            sources.push_back(
                Lit(QStringLiteral(CARNET_FIXTURES "/") + QLatin1String(nom)).toStdString());
        sources.push_back(Lit(Reel("ez-vcard_John_Doe_EVOLUTION.vcf")).toStdString());
        std::mt19937 alea(1207);
        static const char* const insertions[] = {"\r\n",
                                                 "\r\n ",
                                                 ";",
                                                 ":",
                                                 "=",
                                                 "\\",
                                                 ",",
                                                 "\"",
                                                 "BEGIN:VCARD\r\n",
                                                 "END:VCARD\r\n",
                                                 "\xC3",
                                                 "\0",
                                                 "=\r\n",
                                                 "TYPE=work;"};
        for (int essai = 0; essai < 3000; ++essai) {
            std::string o = sources[alea() % sources.size()];
            if (alea() % 3 == 0) o += sources[alea() % sources.size()];
            const int changements = 1 + static_cast<int>(alea() % 8);
            for (int k = 0; k < changements && !o.empty(); ++k) {
                const size_t i = alea() % o.size();
                switch (alea() % 4) {
                case 0:
                    o[i] = static_cast<char>(alea());
                    break;
                case 1:
                    o.erase(i, alea() % 40);
                    break;
                case 2:
                    o.insert(i, insertions[alea() % (sizeof(insertions) / sizeof(*insertions))]);
                    break;
                default:
                    o.resize(i);
                    break;
                }
            }
            TableImport table;
            AssociationChamps association;
            LectureVCard lecture;
            const QString erreur = lecture.DepuisOctets(o, table, association);
            if (!erreur.isEmpty()) continue;
            QVERIFY(table.LigneTitres());
            QVERIFY(table.NbColonnes() >= 1 && table.NbColonnes() <= TableImport::MaxColonnes);
            QVERIFY(table.NbFiches() >= 1);
            for (int c = 0; c < table.NbColonnes(); ++c)
                QVERIFY(!table.Cellule(c, 0).empty());
            for (int champ = 0; champ < NbColonnes; ++champ)
                QVERIFY(association.Colonne(champ) < table.NbColonnes());
            if (lecture.ColonnePhoto() >= 0)
                QCOMPARE(table.Cellule(lecture.ColonnePhoto(), 0), std::string_view("PHOTO"));
            std::vector<std::string_view> cellules(static_cast<size_t>(table.NbColonnes()));
            for (int l = 0; l < table.NbLignes(); ++l) {
                table.CellulesLigne(l, cellules.data());
                for (std::string_view c : cellules)
                    QVERIFY(c.find('\0') == std::string_view::npos);
            }
            Repertoire rep;
            Importation::AppendImportedRecords(rep, table, association);
            QCOMPARE(rep.NbFiches(), table.NbFiches());
        }
    }

    // The real dialogs: the export offers both vCard types, the name follows them,
    // the choice of records is offered for vCard only and kept; the import offers
    // "vCard (*.vcf)".
    void Dialogues()
    {
        auto p = DemarreAvecLivre();
        TFiche* f = p->Fiche();
        f->Rep().SetFichierCourant(Chemin("amis.REP"));
        QStringList vus;
        bool fini = false;
        QTimer::singleShot(300, [&] {
            auto* d = qobject_cast<TDialogueExport*>(QApplication::activeModalWidget());
            if (!d) return;
            auto* types = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QStringList filtres;
            for (int i = 0; i < types->count(); ++i)
                filtres << types->itemText(i);
            vus << filtres.join('|');
            vus << QString::number(d->CaseChoisies()->isEnabled());
            types->setCurrentIndex(types->findText(QStringLiteral("vCard 3.0 (*.vcf)")));
            emit types->textActivated(types->currentText());
            QCoreApplication::processEvents();
            vus << d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            vus << QString::number(d->CaseChoisies()->isEnabled());
            d->grab().save(QStringLiteral("/tmp/export_vcard.png"));
            QTest::mouseClick(d->CaseChoisies(), Qt::LeftButton, {},
                              QPoint(5, d->CaseChoisies()->height() / 2));
            d->setDirectory(m_dossier->path());
            d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("choix");
            d->accept();
            fini = true;
        });
        QVERIFY(p->Echange()->Exporter1Click());
        QVERIFY(fini);
        QCOMPARE(vus, (QStringList{"Texte (*.TXT)|Comma separated value (*.CSV)|CSV standard "
                                   "(*.csv)|vCard 3.0 (*.vcf)|vCard 4.0 (*.vcf)",
                                   "0", "amis.vcf", "1"}));
        QVERIFY(p->Echange()->ExportChoisies());
        QCOMPARE(p->Echange()->TypeExport(), TypeFichier::VCard3);
        QCOMPARE(Lit(Chemin("choix.vcf")).count("BEGIN:VCARD"), qsizetype(3 + [&] {
                     int n = 0;
                     for (int r = 1; r <= 40; ++r)
                         n += f->Rep().EstChoisie(r);
                     return n;
                 }()));

        QStringList filtres;
        QTimer::singleShot(300, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d) return;
            filtres = d->nameFilters();
            auto* nom = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            filtres << nom->text();
            auto* types = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            types->setCurrentIndex(types->findText(QStringLiteral("vCard (*.vcf)")));
            emit types->textActivated(types->currentText());
            filtres << nom->text() << d->defaultSuffix();
            d->reject();
        });
        QVERIFY(!p->Echange()->Importer1Click());
        QCOMPARE(filtres,
                 (QStringList{"Texte (*.TXT)", "Comma separated value (*.CSV)",
                              "CSV standard (*.csv)", "vCard (*.vcf)", "*.CSV", "*.vcf", "vcf"}));
    }
};

CARNET_TEST(TestVCardEchange)
#include "TestVCardEchange.moc"
