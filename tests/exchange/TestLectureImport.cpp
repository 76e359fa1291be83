#include "OutilsEchange.h"
#include "Registre.h"

#include "exchange/Encodage.h"
#include "exchange/LectureImport.h"
#include "exchange/TableImport.h"

#include <QTemporaryDir>
#include <QTest>
#include <random>

using namespace OutilsEchange;

Q_DECLARE_METATYPE(TypeFichier)

class TestLectureImport : public QObject
{
    Q_OBJECT
private slots:
    void Decoupage_data()
    {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<TypeFichier>("type");
        QTest::addColumn<QStringList>("lignes");
        const auto T = TypeFichier::Texte;
        const auto C = TypeFichier::Csv;
        QTest::newRow("three values, type 2")
            << QByteArray("a;b;c\r\n") << C << QStringList{"a|b|c"};
        QTest::newRow("same line, type 1: one column")
            << QByteArray("a;b;c\r\n") << T << QStringList{"a;b;c"};
        QTest::newRow("tabs, type 1")
            << QByteArray("a\tb\r\nc\td\r\n") << T << QStringList{"a|b", "c|d"};
        QTest::newRow("quotes kept, separator splits")
            << QByteArray("\"x;y\";z\r\n") << C << QStringList{"\"x|y\"|z"};
        QTest::newRow("short and long lines") << QByteArray("a;b;c\n1;2;3;4;5\n1\n;;x\n") << C
                                              << QStringList{"a|b|c", "1|2|3", "1||", "||x"};
        QTest::newRow("lone CR dropped") << QByteArray("a\rb;c\r\r\n") << C << QStringList{"ab|c"};
        QTest::newRow("lone LF ends a line")
            << QByteArray("a;b\nc;d\r\n") << C << QStringList{"a|b", "c|d"};
        QTest::newRow("no final line end: last line kept")
            << QByteArray("a;b\r\nc;d") << C << QStringList{"a|b", "c|d"};
        QTest::newRow("no line end at all") << QByteArray("a;b;c") << C << QStringList{"a|b|c"};
        QTest::newRow("empty file: one empty line") << QByteArray() << C << QStringList{""};
        QTest::newRow("only a line end") << QByteArray("\r\n") << C << QStringList{""};
        QTest::newRow("only a CR after the last line end")
            << QByteArray("a\n\r") << C << QStringList{"a"};
        QTest::newRow("empty line inside kept")
            << QByteArray("a;b\n\nc\n") << C << QStringList{"a|b", "|", "c|"};
        QTest::newRow("separator last: one column more")
            << QByteArray("a;\nb;c\n") << C << QStringList{"a|", "b|c"};
        QTest::newRow("trailing separators of a later line")
            << QByteArray("a;b;c\nx;;\n") << C << QStringList{"a|b|c", "x||"};
        QTest::newRow("single-byte accents as held")
            << QByteArray("Ren\xE9;\x80\x81\n") << C << QStringList{"René|€\u0081"};
        QTest::newRow("NUL bytes never reach a cell")
            << QByteArray("a\0b;c\n", 6) << C << QStringList{"ab|c"};
        QTest::newRow("standard: quoted separator, doubled quotes")
            << QByteArray("a,b,c\r\n\"x,y\",\"say \"\"hi\"\"\",z\r\n") << TypeFichier::CsvStandard
            << QStringList{"a|b|c", "x,y|say \"hi\"|z"};
        QTest::newRow("standard: line breaks inside quotes as CR LF")
            << QByteArray("a,b\r\n\"1\r\n2\",\"3\n4\"\r\n\"5\r6\",7") << TypeFichier::CsvStandard
            << QStringList{"a|b", "1\\r\\n2|3\\r\\n4", "5\\r\\n6|7"};
        QTest::newRow("standard: French spreadsheet, semicolons in Windows-1252")
            << QByteArray("\"Nom\";\"Ville\"\r\n\"Cl\xE9ment, Paul\";Orl\xE9"
                          "ans\r\n")
            << TypeFichier::CsvStandard << QStringList{"Nom|Ville", "Clément, Paul|Orléans"};
        QTest::newRow("standard: tabs, quotes outside the start kept")
            << QByteArray("a\tb\r\nsay \"x\"\t\"\"\r\n") << TypeFichier::CsvStandard
            << QStringList{"a|b", "say \"x\"|"};
        QTest::newRow("standard: LF and lone CR end lines, empty line kept")
            << QByteArray("a,b\nc,d\re\r\n\r\nf") << TypeFichier::CsvStandard
            << QStringList{"a|b", "c|d", "e|", "|", "f|"};
        QTest::newRow("standard: unclosed quote runs to the end")
            << QByteArray("a,b\r\n\"x,y\r\nz") << TypeFichier::CsvStandard
            << QStringList{"a|b", "x,y\\r\\nz|"};
        QTest::newRow("standard: UTF-8 with a mark")
            << QByteArray("\xEF\xBB\xBFnom;ville\r\nJos\xC3\xA9;N\xC3\xAEmes\r\n")
            << TypeFichier::CsvStandard << QStringList{"nom|ville", "José|Nîmes"};
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
        for (int essai = 0; essai < 200; ++essai) {
            std::string octets(alea() % 3000, ' ');
            for (char& o : octets)
                o = alphabet[alea() % (sizeof(alphabet) - 1)];
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
            for (int l = 0; l < table.NbLignes(); ++l)
                for (int c = 0; c < table.NbColonnes(); ++c) {
                    const auto& ligne = attendu[size_t(l)];
                    const std::string valeur = size_t(c) < ligne.size() ? ligne[size_t(c)] : "";
                    QCOMPARE(Visible(table.Cellule(c, l)), Visible(valeur));
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

    void FichierTropGrand()
    {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath(QStringLiteral("enorme.csv"));
        {
            QFile f(chemin);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(200LL << 20)); // sparse: nothing is written
        }
        TableImport table;
        const QString erreur =
            LectureImport::ReadDelimitedFile(chemin, TypeFichier::Csv, table, nullptr);
        QVERIFY2(erreur.contains(QStringLiteral("128 Mo")), qPrintable(erreur));
        QVERIFY2(erreur.contains(chemin), qPrintable(erreur));
    }

    void Compte_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("remplaces");
        QTest::addColumn<int>("nuls");
        QTest::addColumn<QString>("texte");
        QTest::newRow("nothing to say") << int(Encodage::Windows1252) << 0 << 0 << QString();
        QTest::newRow("converted") << int(Encodage::Utf16LE) << 0 << 0
                                   << QString::fromUtf8("Le fichier était écrit en UTF-16 : il a "
                                                        "été converti en Windows-1252.");
        QTest::newRow("replaced and NULs")
            << int(Encodage::Utf8) << 1234 << 1
            << QString::fromUtf8("Le fichier était écrit en UTF-8 : il a été converti en "
                                 "Windows-1252.\n1 234 caractères que le carnet ne peut pas "
                                 "représenter ont été remplacés par « ? ».\n1 octet nul a été "
                                 "supprimé.");
    }
    void Compte()
    {
        QFETCH(int, source);
        QFETCH(int, remplaces);
        QFETCH(int, nuls);
        QFETCH(QString, texte);
        Encodage::Bilan bilan;
        bilan.source = Encodage::Source(source);
        bilan.remplaces = size_t(remplaces);
        bilan.nuls = size_t(nuls);
        QCOMPARE(LectureImport::Compte(bilan)
                     .replace(QChar(0x202F), QLatin1Char(' '))
                     .replace(QChar(0xA0), QLatin1Char(' ')),
                 texte);
    }
};

CARNET_TEST(TestLectureImport)
#include "TestLectureImport.moc"
