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

inline QString Reel(const char* nom)
{
    return QStringLiteral(CARNET_SHARED_FIXTURES "/real-world/") + QString::fromLatin1(nom);
}

} // namespace OutilsEchange
