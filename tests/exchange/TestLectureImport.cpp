#include "OutilsEchange.h"
#include "Registre.h"

#include "exchange/Encodage.h"
#include "exchange/Exportation.h"
#include "exchange/LectureImport.h"
#include "exchange/TableImport.h"
#include "records/TexteTaille.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace OutilsEchange;

Q_DECLARE_METATYPE(TypeFichier)

namespace
{

// Each case names the edge it covers: the bytes of a file, its type, its lines.
struct Cas {
    const char* nom;
    QByteArray octets;
    TypeFichier type;
    QStringList lignes;
};

const std::vector<Cas>& LesCas()
{
    static const std::vector<Cas> cas = [] {
        const auto T = TypeFichier::Texte;
        const auto C = TypeFichier::Csv;
        std::vector<Cas> cas;
        cas.push_back({"three values, type 2", QByteArray("a;b;c\r\n"), C, QStringList{"a|b|c"}});
        cas.push_back(
            {"same line, type 1: one column", QByteArray("a;b;c\r\n"), T, QStringList{"a;b;c"}});
        cas.push_back(
            {"tabs, type 1", QByteArray("a\tb\r\nc\td\r\n"), T, QStringList{"a|b", "c|d"}});
        cas.push_back({"quotes kept, separator splits", QByteArray("\"x;y\";z\r\n"), C,
                       QStringList{"\"x|y\"|z"}});
        cas.push_back({"short and long lines", QByteArray("a;b;c\n1;2;3;4;5\n1\n;;x\n"), C,
                       QStringList{"a|b|c", "1|2|3", "1||", "||x"}});
        cas.push_back({"lone CR dropped", QByteArray("a\rb;c\r\r\n"), C, QStringList{"ab|c"}});
        cas.push_back(
            {"lone LF ends a line", QByteArray("a;b\nc;d\r\n"), C, QStringList{"a|b", "c|d"}});
        cas.push_back({"no final line end: last line kept", QByteArray("a;b\r\nc;d"), C,
                       QStringList{"a|b", "c|d"}});
        cas.push_back({"no line end at all", QByteArray("a;b;c"), C, QStringList{"a|b|c"}});
        cas.push_back({"empty file: one empty line", QByteArray(), C, QStringList{""}});
        cas.push_back({"only a line end", QByteArray("\r\n"), C, QStringList{""}});
        cas.push_back(
            {"only a CR after the last line end", QByteArray("a\n\r"), C, QStringList{"a"}});
        cas.push_back(
            {"empty line inside kept", QByteArray("a;b\n\nc\n"), C, QStringList{"a|b", "|", "c|"}});
        cas.push_back({"separator last: one column more", QByteArray("a;\nb;c\n"), C,
                       QStringList{"a|", "b|c"}});
        cas.push_back({"trailing separators of a later line", QByteArray("a;b;c\nx;;\n"), C,
                       QStringList{"a|b|c", "x||"}});
        cas.push_back({"single-byte accents as held", QByteArray("Ren\xE9;\x80\x81\n"), C,
                       QStringList{"René|€\u0081"}});
        cas.push_back(
            {"NUL bytes never reach a cell", QByteArray("a\0b;c\n", 6), C, QStringList{"ab|c"}});
        cas.push_back({"standard: quoted separator, doubled quotes",
                       QByteArray("a,b,c\r\n\"x,y\",\"say \"\"hi\"\"\",z\r\n"),
                       TypeFichier::CsvStandard, QStringList{"a|b|c", "x,y|say \"hi\"|z"}});
        cas.push_back({"standard: line breaks inside quotes as CR LF",
                       QByteArray("a,b\r\n\"1\r\n2\",\"3\n4\"\r\n\"5\r6\",7"),
                       TypeFichier::CsvStandard,
                       QStringList{"a|b", "1\\r\\n2|3\\r\\n4", "5\\r\\n6|7"}});
        cas.push_back({"standard: French spreadsheet, semicolons in Windows-1252",
                       QByteArray("\"Nom\";\"Ville\"\r\n\"Cl\xE9ment, Paul\";Orl\xE9"
                                  "ans\r\n"),
                       TypeFichier::CsvStandard,
                       QStringList{"Nom|Ville", "Clément, Paul|Orléans"}});
        cas.push_back({"standard: tabs, quotes outside the start kept",
                       QByteArray("a\tb\r\nsay \"x\"\t\"\"\r\n"), TypeFichier::CsvStandard,
                       QStringList{"a|b", "say \"x\"|"}});
        cas.push_back({"standard: LF and lone CR end lines, empty line kept",
                       QByteArray("a,b\nc,d\re\r\n\r\nf"), TypeFichier::CsvStandard,
                       QStringList{"a|b", "c|d", "e|", "|", "f|"}});
        cas.push_back({"standard: unclosed quote runs to the end", QByteArray("a,b\r\n\"x,y\r\nz"),
                       TypeFichier::CsvStandard, QStringList{"a|b", "x,y\\r\\nz|"}});
        cas.push_back({"standard: UTF-8 with a mark",
                       QByteArray("\xEF\xBB\xBFnom;ville\r\nJos\xC3\xA9;N\xC3\xAEmes\r\n"),
                       TypeFichier::CsvStandard, QStringList{"nom|ville", "José|Nîmes"}});
        cas.push_back({"a line past the columns, then a short one", QByteArray("a;b\nw;x;y;z\nv\n"),
                       C, QStringList{"a|b", "w|x", "v|"}});
        cas.push_back({"empty cells between full ones", QByteArray(";;a;;b;;\n;;;;;;\nc;;;;;;d\n"),
                       C, QStringList{"||a||b||", "||||||", "c||||||d"}});
        cas.push_back({"standard: a NUL inside quotes", QByteArray("a,\"b\0c\"\n", 8),
                       TypeFichier::CsvStandard, QStringList{"a|bc"}});
        return cas;
    }();
    return cas;
}

constexpr size_t Blocs[] = {1, 2, 7, 64, size_t(1) << 20};

// French numbers group digits with a narrow no-break space.
QString Espaces(QString s)
{
    return s.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0xA0), QLatin1Char(' '));
}

// The staging table of an export holds the title line, then every record's
// fields as the book holds them (line breaks as spaces for types 1 and 2).
void ComparaisonLivre(const TableImport& table, const Repertoire& livre, TypeFichier type)
{
    QCOMPARE(table.NbLignes(), livre.NbLignes());
    QCOMPARE(table.NbColonnes(), NbColonnes);
    std::vector<std::string_view> cellules(NbColonnes);
    for (int l = 0; l < livre.NbLignes(); ++l) {
        table.CellulesLigne(l, cellules.data());
        for (int c = 0; c < NbColonnes; ++c) {
            const std::string_view attendu = livre.Cellule(c, l);
            const bool egal = type == TypeFichier::CsvStandard
                                  ? cellules[size_t(c)] == attendu
                                  : cellules[size_t(c)] == Plie(attendu);
            if (!egal)
                QFAIL(qPrintable(QStringLiteral("ligne %1, champ %2 : « %3 » au lieu de « %4 »")
                                     .arg(l)
                                     .arg(c)
                                     .arg(Visible(cellules[size_t(c)]), Visible(attendu))));
        }
    }
}

} // namespace

class TestLectureImport : public QObject
{
    Q_OBJECT
private slots:
    void Decoupage_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<TypeFichier>("type");
        QTest::addColumn<QStringList>("lignes");
        for (const Cas& cas : LesCas())
            QTest::newRow(cas.nom) << cas.octets << cas.type << cas.lignes;
    }
    void Decoupage()
    {
        QFETCH(QByteArray, octets);
        QFETCH(TypeFichier, type);
        QFETCH(QStringList, lignes);
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets(octets.toStdString(), type, table), QString());
        QCOMPARE(Lignes(table), lignes);
    }

    // Random files against the plain reader written byte by byte: the fast
    // paths of the splitter (word-wide scans, skipped fields) change nothing.
    void DecoupageAleatoire()
    {
        std::mt19937 alea(1206);
        const char alphabet[] = "abcdefgh;;;;\r\n\xE9";
        const char rares[] = ";\r\n";
        for (int essai = 0; essai < 300; ++essai) {
            std::string octets(alea() % 3000, ' ');
            // Dense separators, or long plain runs (blocks of sixteen bytes with no
            // separator at all, or one near either edge).
            const unsigned rarete = essai % 2 ? 1 : 2 + alea() % 40;
            for (char& o : octets)
                o = rarete == 1            ? alphabet[alea() % (sizeof(alphabet) - 1)]
                    : alea() % rarete == 0 ? rares[alea() % 3]
                                           : static_cast<char>('a' + alea() % 26);
            // The reference: one byte at a time, the final line kept.
            std::vector<std::vector<std::string>> attendu(1);
            std::string cellule;
            size_t colonnes = 1;
            bool premiere = true, entamee = false;
            for (char o : octets) {
                if (o == ';' || o == '\n') {
                    attendu.back().push_back(cellule);
                    cellule.clear();
                    if (o == ';' && premiere) ++colonnes;
                    if (o == '\n') {
                        premiere = false;
                        attendu.emplace_back();
                    }
                    entamee = o == ';';
                } else if (o != '\r') {
                    cellule += o;
                    entamee = true;
                }
            }
            if (entamee)
                attendu.back().push_back(cellule);
            else if (attendu.size() > 1)
                attendu.pop_back();
            TableImport table;
            QCOMPARE(LectureImport::DepuisOctets(octets, TypeFichier::Csv, table), QString());
            QCOMPARE(table.NbLignes(), int(attendu.size()));
            QCOMPARE(table.NbColonnes(), int(colonnes));
            std::vector<std::string_view> cellules(size_t(table.NbColonnes()));
            for (int l = 0; l < table.NbLignes(); ++l) {
                table.CellulesLigne(l, cellules.data());
                for (int c = 0; c < table.NbColonnes(); ++c) {
                    const auto& ligne = attendu[size_t(l)];
                    const std::string valeur = size_t(c) < ligne.size() ? ligne[size_t(c)] : "";
                    QCOMPARE(Visible(table.Cellule(c, l)), Visible(valeur));
                    QCOMPARE(Visible(cellules[size_t(c)]), Visible(valeur));
                }
            }
        }
    }

    // Random bytes of every kind, quotes and NULs included, in the three types: a
    // line's cells read at once are the cells read one by one, and no cell holds
    // a NUL (the staging table's separator).
    void CellulesAleatoires()
    {
        std::mt19937 alea(17);
        const char alphabet[] = "ab,;\t\"\"\r\n\n\xE9\x80";
        for (int essai = 0; essai < 300; ++essai) {
            std::string octets(alea() % 2000, ' ');
            for (char& o : octets)
                o = alea() % 50 == 0 ? '\0' : alphabet[alea() % (sizeof(alphabet) - 1)];
            for (TypeFichier type :
                 {TypeFichier::Texte, TypeFichier::Csv, TypeFichier::CsvStandard}) {
                TableImport table;
                QCOMPARE(LectureImport::DepuisOctets(octets, type, table), QString());
                std::vector<std::string_view> cellules(size_t(table.NbColonnes()));
                for (int l = 0; l < table.NbLignes(); ++l) {
                    table.CellulesLigne(l, cellules.data());
                    for (int c = 0; c < table.NbColonnes(); ++c) {
                        QCOMPARE(cellules[size_t(c)], table.Cellule(c, l));
                        QVERIFY(cellules[size_t(c)].find('\0') == std::string_view::npos);
                    }
                }
            }
        }
    }

    // The separator of the standard CSV is read outside the quotes of the first line.
    void SeparateurStandard_data()
    {
        QTest::addColumn<QByteArray>("premiere");
        QTest::addColumn<char>("separateur");
        QTest::newRow("commas") << QByteArray("a,b,c\r\n;;;;") << ',';
        QTest::newRow("semicolons despite a quoted comma") << QByteArray("\"a,b\";c;d") << ';';
        QTest::newRow("tabs") << QByteArray("First Name\tLast Name\tNotes\r\n") << '\t';
        QTest::newRow("none: comma") << QByteArray("nom\r\na;b;c") << ',';
    }
    void SeparateurStandard()
    {
        QFETCH(QByteArray, premiere);
        QFETCH(char, separateur);
        QCOMPARE(TableImport::SeparateurCsv(premiere.toStdString()), separateur);
    }

    void Encodages_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<int>("remplaces");
        QTest::addColumn<int>("nuls");
        const QString accents = QString::fromUtf8("Hélène;€uro…\r\n");
        QTest::newRow("Windows-1252 kept") << QByteArray("H\xE9l\xE8ne;\x80uro\x85\r\n")
                                           << int(Encodage::Windows1252) << accents << 0 << 0;
        QTest::newRow("UTF-8") << accents.toUtf8() << int(Encodage::Utf8) << accents << 0 << 0;
        QTest::newRow("UTF-8 with a mark")
            << "\xEF\xBB\xBF" + accents.toUtf8() << int(Encodage::Utf8Bom) << accents << 0 << 0;
        QByteArray le("\xFF\xFE", 2), be("\xFE\xFF", 2);
        for (QChar ch : accents) {
            le.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
            be.append(char(ch.unicode() >> 8)).append(char(ch.unicode() & 0xFF));
        }
        QTest::newRow("UTF-16 LE") << le << int(Encodage::Utf16LE) << accents << 0 << 0;
        QTest::newRow("UTF-16 BE") << be << int(Encodage::Utf16BE) << accents << 0 << 0;
        QTest::newRow("UTF-16 LE without a mark")
            << le.mid(2) << int(Encodage::Utf16LE) << accents << 0 << 0;
        QTest::newRow("characters outside Windows-1252, one ? each")
            << QString::fromUtf8("Ω 中 😀 é\r\n").toUtf8() << int(Encodage::Utf8)
            << QString::fromUtf8("? ? ? é\r\n") << 3 << 0;
        QTest::newRow("invalid UTF-8: taken as Windows-1252")
            << QByteArray("\xC3\xA9 puis \xE9\r\n") << int(Encodage::Windows1252)
            << QString::fromUtf8("Ã© puis é\r\n") << 0 << 0;
        QTest::newRow("NUL bytes dropped")
            << QByteArray("ab\0cd;e\0\r\n", 10) << int(Encodage::Windows1252)
            << QStringLiteral("abcd;e\r\n") << 0 << 2;
        QTest::newRow("UTF-16 odd last byte")
            << QByteArray("\xFF\xFE"
                          "a\0b",
                          5)
            << int(Encodage::Utf16LE) << QStringLiteral("a?") << 1 << 0;
    }
    void Encodages()
    {
        QFETCH(QByteArray, octets);
        QFETCH(int, source);
        QFETCH(QString, texte);
        QFETCH(int, remplaces);
        QFETCH(int, nuls);
        std::string s = octets.toStdString();
        const Encodage::Bilan bilan = Encodage::VersWindows1252(s);
        QCOMPARE(int(bilan.source), source);
        QCOMPARE(CodePage::VersUnicode(s), texte);
        QCOMPARE(int(bilan.remplaces), remplaces);
        QCOMPARE(int(bilan.nuls), nuls);
    }

    // The address-book export of a mail program: UTF-8, RFC 4180 quoting with a
    // TAB, a lone CR, a lone LF, a comma and doubled quotes inside quoted fields;
    // the same file as other programs would have saved it in UTF-16 or with a mark.
    void ExportMessagerie_data()
    {
        QTest::addColumn<TypeFichier>("type");
        QTest::addColumn<QString>("encodage");
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("lignes");
        QTest::addColumn<QStringList>("derniere");
        const QStringList entiers{"\"worker\"",    "custom, 1",     "custom\\t2",
                                  "custom\\r\\n3", "custom\\r\\n4", "here's some unicode text…"};
        QTest::newRow("standard CSV: fields whole")
            << TypeFichier::CsvStandard << "UTF-8" << int(Encodage::Utf8) << 3 << entiers;
        QTest::newRow("standard CSV, UTF-16 LE with a mark")
            << TypeFichier::CsvStandard << "UTF-16LE" << int(Encodage::Utf16LE) << 3 << entiers;
        QTest::newRow("standard CSV, UTF-16 BE with a mark")
            << TypeFichier::CsvStandard << "UTF-16BE" << int(Encodage::Utf16BE) << 3 << entiers;
        QTest::newRow("standard CSV, UTF-8 with a mark")
            << TypeFichier::CsvStandard << "UTF-8 BOM" << int(Encodage::Utf8Bom) << 3 << entiers;
        // Without quoting: quotes kept, the quoted TAB splits, the lone CR is dropped and
        // the lone LF ends the line; the last line, without its line end, is kept.
        QTest::newRow("type 1, no quoting") << TypeFichier::Texte << "UTF-8" << int(Encodage::Utf8)
                                            << 4 << QStringList{"4\"", "here's some unicode text…"};
        QTest::newRow("type 1, UTF-16 LE")
            << TypeFichier::Texte << "UTF-16LE" << int(Encodage::Utf16LE) << 4
            << QStringList{"4\"", "here's some unicode text…"};
    }
    void ExportMessagerie()
    {
        QFETCH(TypeFichier, type);
        QFETCH(QString, encodage);
        QFETCH(int, source);
        QFETCH(int, lignes);
        QFETCH(QStringList, derniere);
        const QString texte = QString::fromUtf8(Lit(Reel("releases-comm-central_export.txt")));
        QByteArray octets;
        if (encodage == "UTF-8") {
            octets = texte.toUtf8();
        } else if (encodage == "UTF-8 BOM") {
            octets = "\xEF\xBB\xBF" + texte.toUtf8();
        } else {
            const bool be = encodage == "UTF-16BE";
            octets = be ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
            for (QChar ch : texte) {
                const char haut = char(ch.unicode() >> 8), bas = char(ch.unicode() & 0xFF);
                octets.append(be ? haut : bas).append(be ? bas : haut);
            }
        }
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("export.txt"));
        Ecrit(chemin, octets);
        TableImport table;
        Encodage::Bilan bilan;
        QCOMPARE(LectureImport::ReadDelimitedFile(chemin, type, table, &bilan), QString());
        QCOMPARE(int(bilan.source), source);
        QCOMPARE(int(bilan.remplaces), 0);
        QCOMPARE(int(bilan.nuls), 0);
        QCOMPARE(table.NbColonnes(), 37);
        QCOMPARE(table.NbLignes(), lignes);
        QCOMPARE(Visible(table.Cellule(0, 0)), QStringLiteral("First Name"));
        QCOMPARE(Visible(table.Cellule(36, 0)), QStringLiteral("Notes"));
        QCOMPARE(Visible(table.Cellule(4, 1)), QStringLiteral("contact1@invalid"));
        QStringList remplies;
        for (int c = 0; c < table.NbColonnes(); ++c)
            if (!table.Cellule(c, lignes - 1).empty())
                remplies << Visible(table.Cellule(c, lignes - 1));
        if (type == TypeFichier::CsvStandard) {
            QCOMPARE(remplies.mid(0, 3), (QStringList{"contact", "two", "contact number two"}));
            remplies = remplies.mid(4);
        }
        QCOMPARE(remplies, derniere);
    }

    // A vCard read as a delimited file: nothing is lost, the last line without its
    // line end included.
    void VCard()
    {
        TableImport table;
        Encodage::Bilan bilan;
        QCOMPARE(LectureImport::ReadDelimitedFile(Reel("ez-vcard_John_Doe_EVOLUTION.vcf"),
                                                  TypeFichier::Texte, table, &bilan),
                 QString());
        const QByteArray octets = Lit(Reel("ez-vcard_John_Doe_EVOLUTION.vcf"));
        QCOMPARE(table.NbLignes(), int(octets.count('\n')) + 1);
        QCOMPARE(Visible(table.Cellule(0, 0)), QStringLiteral("BEGIN:VCARD"));
        QCOMPARE(Visible(table.Cellule(0, table.NbLignes() - 1)), QStringLiteral("END:VCARD"));
        QCOMPARE(int(bilan.source), int(Encodage::Windows1252));
    }

    // Files no address book can be: refused with the reason, the table untouched.
    void FichiersHostiles_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<TypeFichier>("type");
        QTest::addColumn<QString>("raison");
        QTest::newRow("100,000 columns on the first line")
            << QByteArray(100000, ';') << TypeFichier::Csv << QStringLiteral("plus de 1000 champs");
        QTest::newRow("1000 columns of a standard CSV")
            << QByteArray(1000, ',') << TypeFichier::CsvStandard
            << QStringLiteral("plus de 1000 champs");
        QTest::newRow("a line of 50 MB") << "a;b\r\n" + QByteArray(50 << 20, 'x')
                                         << TypeFichier::Csv << QStringLiteral("ligne 2");
        QTest::newRow("an endless quoted field")
            << "a,b\r\n\"" + QByteArray(3 << 20, '\n') << TypeFichier::CsvStandard
            << QStringLiteral("plus de 1 Mo");
    }
    void FichiersHostiles()
    {
        QFETCH(QByteArray, octets);
        QFETCH(TypeFichier, type);
        QFETCH(QString, raison);
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets("x;y\n", TypeFichier::Csv, table), QString());
        const QString erreur = LectureImport::DepuisOctets(octets.toStdString(), type, table);
        QVERIFY2(erreur.contains(raison), qPrintable(erreur));
        QCOMPARE(Lignes(table), QStringList{"x|y"});
    }

    // 999 separators make the 1000 columns still accepted; later lines may be as
    // long as they like: their extra fields are skipped.
    void LimiteColonnes()
    {
        TableImport table;
        const QByteArray octets = QByteArray(999, ';') + "\r\n" + QByteArray(5000, ';') + "fin\r\n";
        QCOMPARE(LectureImport::DepuisOctets(octets.toStdString(), TypeFichier::Csv, table),
                 QString());
        QCOMPARE(table.NbColonnes(), 1000);
        QCOMPARE(table.NbLignes(), 2);
        QVERIFY(table.Cellule(999, 1).empty());
    }

    // Larger than the limit: refused before a byte is read, the file named and both
    // sizes told apart. The book's own limit holds by default.
    void FichierTropGrand_data()
    {
        QTest::addColumn<qint64>("taille");
        QTest::addColumn<qint64>("limite");
        QTest::addColumn<QString>("texte");
        QTest::newRow("200 Mo for 128") << (qint64(200) << 20) << (qint64(128) << 20)
                                        << QString::fromUtf8("le fichier fait 200 Mo, plus que les "
                                                             "128 Mo");
        QTest::newRow("one byte too many")
            << (qint64(16) << 20) + 1 << (qint64(16) << 20)
            << QString::fromUtf8("le fichier fait 16,000001 Mo, plus que les 16,000000 Mo");
        const qint64 livre = LectureImport::DuLivre().octets;
        QTest::newRow("the book's limit")
            << livre + 1 << qint64(-1)
            << QString::fromUtf8("le fichier fait %1, plus que les %2 qu'un répertoire peut "
                                 "avoir sur cet ordinateur.")
                   .arg(TexteTaille::Mo(livre + 1, livre), TexteTaille::Mo(livre, livre + 1));
    }
    void FichierTropGrand()
    {
        QFETCH(qint64, taille);
        QFETCH(qint64, limite);
        QFETCH(QString, texte);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("énorme.csv"));
        {
            QFile f(chemin);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(taille)); // sparse: nothing is written
        }
        TableImport table;
        LectureImport::Limites limites = LectureImport::DuLivre();
        if (limite >= 0) limites.octets = limite;
        const QString erreur =
            LectureImport::ReadDelimitedFile(chemin, TypeFichier::Csv, table, nullptr, limites);
        QVERIFY2(erreur.startsWith(
                     QString::fromUtf8("Impossible d'importer le fichier « %1 » :\n").arg(chemin)),
                 qPrintable(erreur));
        QVERIFY2(erreur.contains(texte), qPrintable(erreur));
    }

    // The limits of a single line and cell name the file too.
    void LimitesNommentLeFichier()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("colonnes.csv"));
        Ecrit(chemin, QByteArray(1000, ';') + "\r\n");
        TableImport table;
        const QString erreur = LectureImport::ReadDelimitedFile(chemin, TypeFichier::Csv, table);
        QVERIFY2(erreur.contains(chemin), qPrintable(erreur));
        QVERIFY2(erreur.contains(QStringLiteral("plus de 1000 champs")), qPrintable(erreur));
    }

    // A pipe, a device or a /proc file is no file to import: refused at once with
    // the reason, never waited for nor read as an empty file.
    void NonOrdinaires_data()
    {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<QString>("raison");
        const QString pasOrdinaire = QString::fromUtf8("ce n'est pas un fichier ordinaire");
        QTest::newRow("pipe") << QString() << pasOrdinaire;
        QTest::newRow("/dev/zero") << "/dev/zero" << pasOrdinaire;
        QTest::newRow("/dev/null") << "/dev/null" << pasOrdinaire;
        QTest::newRow("folder") << "/tmp" << QString::fromUtf8("dossier");
    }
    void NonOrdinaires()
    {
        QFETCH(QString, chemin);
        QFETCH(QString, raison);
        QTemporaryDir dossier;
        if (chemin.isEmpty()) {
            chemin = dossier.filePath(QStringLiteral("tube.csv"));
            QCOMPARE(mkfifo(QFile::encodeName(chemin).constData(), 0600), 0);
        }
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets("x;y\n", TypeFichier::Csv, table), QString());
        QString erreur;
        std::atomic<bool> fini{false};
        std::thread lecture([&] {
            erreur = LectureImport::ReadDelimitedFile(chemin, TypeFichier::Csv, table);
            fini = true;
        });
        QElapsedTimer attente;
        attente.start();
        while (!fini && attente.elapsed() < 3000)
            QThread::msleep(10);
        if (!fini) {
            // Release a reader blocked on the pipe, so that the test can fail.
            const int fd = ::open(QFile::encodeName(chemin).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
        lecture.join();
        QVERIFY2(attente.elapsed() < 3000, "the reader waited for the pipe");
        QVERIFY2(erreur.contains(chemin), qPrintable(erreur));
        QVERIFY2(erreur.contains(raison), qPrintable(erreur));
        QCOMPARE(Lignes(table), QStringList{"x|y"});
    }

    // A file of /proc says it is empty: it is read to its end all the same.
    void FichierProc()
    {
        TableImport table;
        QCOMPARE(LectureImport::ReadDelimitedFile(QStringLiteral("/proc/self/status"),
                                                  TypeFichier::Texte, table),
                 QString());
        QVERIFY(table.NbLignes() > 10);
        QCOMPARE(Visible(table.Cellule(0, 0)), QStringLiteral("Name:"));
    }

    // Past the lines a book can still take, the file is refused with the number of
    // records it would add, counted as the reader counts lines.
    void TropDeLignes_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<TypeFichier>("type");
        QTest::addColumn<qint64>("maxLignes");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("texte");
        const auto Texte = [](const char* lignes, const char* max) {
            return QString::fromUtf8("le fichier compte %1 lignes, soit autant de fiches à "
                                     "ajouter : le répertoire ne peut en recevoir que %2 de plus "
                                     "sur cet ordinateur.")
                .arg(QLatin1String(lignes), QLatin1String(max));
        };
        QTest::newRow("bare line ends") << QByteArray(5000, '\n') << TypeFichier::Csv
                                        << qint64(1000) << "5 000" << Texte("5 000", "1 000");
        QTest::newRow("a last line without its line end")
            << QByteArray(4000, '\n') + "x" << TypeFichier::Texte << qint64(1000) << "4 001"
            << Texte("4 001", "1 000");
        QTest::newRow("a last CR alone is no line")
            << QByteArray(4000, '\n') + "\r" << TypeFichier::Texte << qint64(1000) << "4 000"
            << Texte("4 000", "1 000");
        QTest::newRow("one line too many")
            << QByteArray("a\nb\nc\n") << TypeFichier::Csv << qint64(2) << "3" << Texte("3", "2");
        QTest::newRow("a book that is full")
            << QByteArray("a") << TypeFichier::Csv << qint64(0) << "1"
            << QString::fromUtf8("le fichier compte 1 ligne, soit une fiche à ajouter : le "
                                 "répertoire ne peut plus en recevoir sur cet ordinateur.");
        QByteArray guillemets;
        for (int i = 0; i < 3000; ++i)
            guillemets += "\"a\nb\",\"c\r\nd\"\r\n";
        QTest::newRow("standard: line breaks inside quotes are no lines")
            << guillemets << TypeFichier::CsvStandard << qint64(2000) << "3 000"
            << Texte("3 000", "2 000");
        QTest::newRow("standard: lone CRs end lines")
            << QByteArray(2500, '\r') << TypeFichier::CsvStandard << qint64(2000) << "2 500"
            << Texte("2 500", "2 000");
    }
    void TropDeLignes()
    {
        QFETCH(QByteArray, octets);
        QFETCH(TypeFichier, type);
        QFETCH(qint64, maxLignes);
        QFETCH(QString, nombre);
        QFETCH(QString, texte);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("lignes.csv"));
        Ecrit(chemin, octets);
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets("x;y\n", TypeFichier::Csv, table), QString());
        LectureImport::Limites limites = LectureImport::DuLivre();
        limites.lignes = maxLignes;
        const QString erreur =
            Espaces(LectureImport::ReadDelimitedFile(chemin, type, table, nullptr, limites));
        QCOMPARE(
            erreur,
            QString::fromUtf8("Impossible d'importer le fichier « %1 » :\n%2").arg(chemin, texte));
        QCOMPARE(Lignes(table), QStringList{"x|y"});
        // At the limit itself the file is read.
        limites.lignes = nombre.remove(QLatin1Char(' ')).toLongLong();
        QCOMPARE(LectureImport::ReadDelimitedFile(chemin, type, table, nullptr, limites),
                 QString());
        QCOMPARE(qint64(table.NbLignes()), limites.lignes);
    }

    // 128 MiB of bare line ends would make 134 million records: refused by the
    // book's own limits, with their number.
    void LignesVidesParMillions()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("vide.csv"));
        Ecrit(chemin, QByteArray(128 << 20, '\n'));
        TableImport table;
        const QString erreur =
            Espaces(LectureImport::ReadDelimitedFile(chemin, TypeFichier::Csv, table));
        QVERIFY2(erreur.contains(QStringLiteral("le fichier compte 134 217 728 lignes")),
                 qPrintable(erreur));
        QCOMPARE(table.NbLignes(), 1);
    }

    // The staging table keeps the file's bytes where they were read and one
    // offset a line, whatever the number of fields: a file of empty fields costs
    // no more than its size.
    void MemoireDeLaTable()
    {
        QByteArray ligne = "x" + QByteArray(998, ';') + "x\r\n";
        QByteArray octets;
        for (int i = 0; i < 2000; ++i)
            octets += ligne;
        TableImport table;
        QCOMPARE(LectureImport::DepuisOctets(octets.toStdString(), TypeFichier::Csv, table),
                 QString());
        QCOMPARE(table.NbColonnes(), 999);
        QCOMPARE(Visible(table.Cellule(998, 1999)), QStringLiteral("x"));
        QVERIFY2(table.OctetsUtilises() <= size_t(octets.size()) + 4 * 2001 + 64,
                 qPrintable(QString::number(table.OctetsUtilises())));
    }

    // The reader's blocks: every edge a real file can put at a block's end, at
    // block sizes 1, 2, 7, 64 and the real one, against a read of the whole file.
    void BlocsDeLecture()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("blocs.csv"));
        for (const Cas& cas : LesCas()) {
            Ecrit(chemin, cas.octets);
            TableImport entier;
            QCOMPARE(LectureImport::DepuisOctets(Lit(chemin).toStdString(), cas.type, entier),
                     QString());
            for (size_t bloc : Blocs) {
                LectureImport::Limites limites = LectureImport::DuLivre();
                limites.bloc = bloc;
                TableImport table;
                QCOMPARE(
                    LectureImport::ReadDelimitedFile(chemin, cas.type, table, nullptr, limites),
                    QString());
                QVERIFY2(Lignes(table) == Lignes(entier) && Lignes(table) == cas.lignes,
                         qPrintable(QStringLiteral("%1, blocs de %2").arg(cas.nom).arg(bloc)));
            }
        }
    }

    // The file is read into a buffer of its own size: no second buffer of twice
    // the size, and no copy, once the last block is in.
    void LectureSansCopie()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("dix.csv"));
        const QByteArray octets = QByteArray("a;b\r\n").repeated(2 << 20);
        Ecrit(chemin, octets);
        for (size_t bloc : Blocs) {
            if (bloc < 64) continue;
            std::string lu;
            QCOMPARE(OuvertureSure::LitTout(chemin, lu, LectureImport::DuLivre().octets, bloc),
                     QString());
            QVERIFY(lu == octets.toStdString());
            QVERIFY2(lu.capacity() < lu.size() + bloc + 64,
                     qPrintable(QStringLiteral("%1 pour %2").arg(lu.capacity()).arg(lu.size())));
        }
    }

    // A 30,000-record export of each type, written by the program's export, read
    // back at every block size: the table holds every field as the book does
    // (notes on one line for types 1 and 2), the title line first.
    void Export30000_data()
    {
        QTest::addColumn<TypeFichier>("type");
        QTest::newRow("type 1") << TypeFichier::Texte;
        QTest::newRow("type 2") << TypeFichier::Csv;
        QTest::newRow("standard CSV") << TypeFichier::CsvStandard;
    }
    void Export30000()
    {
        QFETCH(TypeFichier, type);
        static const Repertoire livre = LivreGenere(30000);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("export"));
        QCOMPARE(Exportation::ExportAddressBook(chemin, livre, type), QString());
        TableImport entier;
        QCOMPARE(LectureImport::DepuisOctets(Lit(chemin).toStdString(), type, entier), QString());
        ComparaisonLivre(entier, livre, type);
        for (size_t bloc : Blocs) {
            // A byte at a time over megabytes is slow: the smallest blocks read
            // the first thousand records.
            if (bloc < 7) continue;
            LectureImport::Limites limites = LectureImport::DuLivre();
            limites.bloc = bloc;
            TableImport table;
            QCOMPARE(LectureImport::ReadDelimitedFile(chemin, type, table, nullptr, limites),
                     QString());
            QCOMPARE(table.NbLignes(), entier.NbLignes());
            QCOMPARE(table.OctetsCellules(), entier.OctetsCellules());
            for (int l = 0; l < table.NbLignes(); l += 997)
                for (int c = 0; c < NbColonnes; ++c)
                    QCOMPARE(table.Cellule(c, l), entier.Cellule(c, l));
        }
    }

    // One and two bytes a read, over the export of a thousand records.
    void ExportPetitsBlocs()
    {
        const Repertoire livre = LivreGenere(1000);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("export.csv"));
        for (TypeFichier type : {TypeFichier::Texte, TypeFichier::Csv, TypeFichier::CsvStandard}) {
            QCOMPARE(Exportation::ExportAddressBook(chemin, livre, type), QString());
            for (size_t bloc : {size_t(1), size_t(2)}) {
                LectureImport::Limites limites = LectureImport::DuLivre();
                limites.bloc = bloc;
                TableImport table;
                QCOMPARE(LectureImport::ReadDelimitedFile(chemin, type, table, nullptr, limites),
                         QString());
                ComparaisonLivre(table, livre, type);
            }
        }
    }

    // The program's own export of a 1,000,000-record book (some 190 MB, more than
    // the import once took) imports back whole under the book's own limits.
    void ExportMillion()
    {
        const Repertoire livre = LivreGenere(1000000);
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("million.CSV"));
        QCOMPARE(Exportation::ExportAddressBook(chemin, livre, TypeFichier::Csv), QString());
        QVERIFY2(QFileInfo(chemin).size() > (qint64(150) << 20),
                 qPrintable(QString::number(QFileInfo(chemin).size())));
        TableImport table;
        QCOMPARE(LectureImport::ReadDelimitedFile(chemin, TypeFichier::Csv, table), QString());
        ComparaisonLivre(table, livre, TypeFichier::Csv);
        QVERIFY(table.OctetsUtilises() < size_t(QFileInfo(chemin).size()) * 11 / 10);
    }

    // After a conversion, the user is told in plain words which characters could not
    // be kept and how many; nothing when all were.
    void Compte_data()
    {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("message");
        QTest::newRow("all kept: nothing to say")
            << QString::fromUtf8("Hélène;€uro…\r\n") << QString();
        QTest::newRow("one character")
            << QString::fromUtf8("Ωmega\r\n")
            << QString::fromUtf8("Le carnet ne sait pas écrire 1 caractère du fichier : « Ω ». Il "
                                 "a été remplacé par « ? ».");
        QTest::newRow("several, counted")
            << QString::fromUtf8("Ω Ω 中 😀 Ω\r\n")
            << QString::fromUtf8("Le carnet ne sait pas écrire 5 caractères du fichier : « Ω » "
                                 "(3 fois), « 中 », « 😀 ». Ils ont été remplacés par « ? ».");
        QString beaucoup;
        for (char16_t c = 0x3041; c < 0x3041 + 12; ++c)
            beaucoup += QChar(c);
        QTest::newRow("more than are named")
            << beaucoup
            << QString::fromUtf8("Le carnet ne sait pas écrire 12 caractères du fichier : « ぁ », "
                                 "« あ », « ぃ », « い », « ぅ », « う », « ぇ », « え », d'autres "
                                 "encore. Ils ont été remplacés par « ? ».");
        QTest::newRow("a control character by its number")
            << QString::fromUtf8("a\u0085b")
            << QString::fromUtf8("Le carnet ne sait pas écrire 1 caractère du fichier : U+0085. Il "
                                 "a été remplacé par « ? ».");
        QTest::newRow("NUL characters")
            << QString::fromUtf8("Hélène") + QChar(0) +
                   QString::fromUtf8(" et Zoé, rue de l'Église") + QChar(0)
            << QString::fromUtf8("2 caractères nuls (invisibles) ont été supprimés.");
    }
    void Compte()
    {
        QFETCH(QString, texte);
        QFETCH(QString, message);
        std::string octets = texte.toUtf8().toStdString();
        const Encodage::Bilan bilan = Encodage::VersWindows1252(octets);
        QVERIFY(!LectureImport::Compte(bilan).contains(QStringLiteral("Windows")));
        QCOMPARE(Espaces(LectureImport::Compte(bilan)), message);
    }
};

CARNET_TEST(TestLectureImport)
#include "TestLectureImport.moc"
