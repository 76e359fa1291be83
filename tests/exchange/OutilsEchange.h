#pragma once

// Helpers shared by the exchange tests: a staging table or a book shown as text,
// files written and read whole.

#include "exchange/TableImport.h"
#include "records/CodePage.h"
#include "records/Repertoire.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>
#include <array>
#include <random>
#include <string>

namespace OutilsEchange
{

// Control characters made visible, so a failure prints readably.
inline QString Visible(std::string_view cellule)
{
    QString s = CodePage::VersUnicode(cellule);
    s.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    s.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    s.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return s;
}

// One string a line, cells joined by "|".
inline QStringList Lignes(const TableImport& t)
{
    QStringList lignes;
    for (int l = 0; l < t.NbLignes(); ++l) {
        QStringList cellules;
        for (int c = 0; c < t.NbColonnes(); ++c)
            cellules << Visible(t.Cellule(c, l));
        lignes << cellules.join(QLatin1Char('|'));
    }
    return lignes;
}

inline std::string Cp(const char* utf8)
{
    return CodePage::Octets(QString::fromUtf8(utf8));
}

inline QByteArray Lit(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void Ecrit(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(octets), octets.size());
}

// A book of `n` records whose fields look like real ones: Windows-1252 accents,
// commas and quotes, notes of several lines, empty fields here and there, some
// records chosen for the mailing. No TAB or ";" (types 1 and 2 would split them).
inline Repertoire LivreGenere(int n)
{
    static const char* const noms[] = {"Martin",  "Lef\xE8vre", "\xC9luard", "dupuis",
                                       "O'Brien", "M\xFCller",  "Zola",      "Ch\xE9reau"};
    static const char* const villes[] = {"Paris", "Saint-\xC9tienne", "N\xEEmes",
                                         "Orl\xE9"
                                         "ans"};
    std::mt19937 alea(1206);
    Repertoire rep;
    rep.Reserve(n + 1);
    rep.SetNbLignes(n + 1);
    std::array<std::string, NbColonnes> textes;
    std::array<std::string_view, NbColonnes> cellules{};
    for (int r = 1; r <= n; ++r) {
        for (auto& t : textes)
            t.clear();
        textes[Nom] = noms[alea() % 8];
        textes[Prenom] = r % 3 ? "Jean-Fran\xE7ois" : "Zo\xE9";
        textes[Civil] = r % 2 ? "Monsieur" : "Madame";
        textes[Pays] = "France";
        textes[Adresse1] = std::to_string(1 + alea() % 200) + ", rue de l'\xC9glise";
        textes[CP] = std::to_string(10000 + alea() % 85000);
        textes[Ville] = villes[alea() % 4];
        textes[Tel] = "01 23 45 " + std::to_string(10 + alea() % 90) + " 89";
        if (alea() % 2) textes[Portable] = "06 " + std::to_string(10 + alea() % 90) + " 45 67 89";
        if (alea() % 2) textes[Internet] = "contact" + std::to_string(r) + "@exemple.fr";
        if (alea() % 3 == 0) textes[Societe] = "Dupont, \"fils\" & Cie";
        if (alea() % 4 == 0) textes[Notes] = "Rencontr\xE9 au salon\r\nRappeler en septembre";
        if (alea() % 10 == 0) textes[Compte] = std::to_string(10000000 + alea() % 89999999);
        if (alea() % 50 == 0) textes[Photo] = "photo" + std::to_string(r) + ".jpg";
        for (int c = 0; c < NbColonnes; ++c)
            cellules[static_cast<size_t>(c)] = textes[static_cast<size_t>(c)];
        rep.RemplitLigne(r, cellules);
        if (alea() % 7 == 0) rep.SetFlagMail(r, "1");
    }
    return rep;
}

// A cell as types 1 and 2 write it: each CR LF pair becomes a space.
inline std::string Plie(std::string_view cellule)
{
    std::string s;
    for (size_t i = 0; i < cellule.size(); ++i) {
        if (cellule[i] == '\r' && i + 1 < cellule.size() && cellule[i + 1] == '\n') {
            s += ' ';
            ++i;
        } else {
            s += cellule[i];
        }
    }
    return s;
}

inline QString Reel(const char* nom)
{
    return QStringLiteral(CARNET_SHARED_FIXTURES "/real-world/") + QString::fromLatin1(nom);
}

} // namespace OutilsEchange
