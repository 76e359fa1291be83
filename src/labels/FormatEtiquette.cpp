#include "FormatEtiquette.h"

#include <cmath>

namespace
{
// Beyond this, a number cannot be a label size and would not fit the arithmetic.
constexpr int ChiffresEntiersMax = 9;
constexpr int DecimalesMax = 18;
} // namespace

double FormatEtiquette::Decimal::EnDouble() const
{
    return static_cast<double>(mantisse) / std::pow(10.0, decimales);
}

FormatEtiquette::FormatEtiquette(const QString& nom, const std::array<int, NbParametres>& p)
    : m_parametres(p)
{
    SetNom(nom);
}

void FormatEtiquette::SetNom(const QString& nom)
{
    m_nom = nom;
    m_largeur = m_hauteur = Decimal{};
    const int x = nom.indexOf(QLatin1Char('x'));
    if (x < 0) {
        m_valide = false;
        return;
    }
    QString apres = nom.mid(x + 1);
    const int espace = apres.indexOf(QLatin1Char(' '));
    if (espace >= 0) apres.truncate(espace);
    Decimal l, h;
    m_valide = LitDecimal(nom.left(x).trimmed(), l) && LitDecimal(apres, h) && l.mantisse > 0 &&
               h.mantisse > 0;
    if (m_valide) {
        m_largeur = l;
        m_hauteur = h;
    }
}

bool FormatEtiquette::LitDecimal(const QString& texte, Decimal& resultat)
{
    int i = 0;
    const int n = static_cast<int>(texte.size());
    __int128 mantisse = 0;
    int entiers = 0;
    int significatifs = 0; // leading zeros do not count
    while (i < n && texte[i].isDigit() && texte[i].unicode() < 128) {
        ++entiers;
        const int chiffre = texte[i].unicode() - '0';
        if ((mantisse != 0 || chiffre != 0) && ++significatifs > ChiffresEntiersMax) return false;
        mantisse = mantisse * 10 + chiffre;
        ++i;
    }
    QString decimales;
    if (i < n && (texte[i] == QLatin1Char(',') || texte[i] == QLatin1Char('.'))) {
        ++i;
        while (i < n && texte[i].isDigit() && texte[i].unicode() < 128)
            decimales += texte[i++];
        if (entiers == 0 && decimales.isEmpty()) return false;
    } else if (entiers == 0) {
        return false;
    }
    if (i != n) return false;
    while (decimales.endsWith(QLatin1Char('0')))
        decimales.chop(1);
    if (decimales.size() > DecimalesMax) return false;
    for (QChar c : decimales)
        mantisse = mantisse * 10 + (c.unicode() - '0');
    resultat.mantisse = mantisse;
    resultat.decimales = static_cast<int>(decimales.size());
    return true;
}

QString FormatEtiquette::Millimetres(int dixiemes)
{
    const int absolu = dixiemes < 0 ? -dixiemes : dixiemes;
    return QStringLiteral("%1%2,%3")
        .arg(dixiemes < 0 ? QStringLiteral("-") : QString())
        .arg(absolu / 10)
        .arg(absolu % 10);
}

QString FormatEtiquette::NomDe(int largeurDixiemes, int hauteurDixiemes)
{
    return Millimetres(largeurDixiemes) + QLatin1Char('x') + Millimetres(hauteurDixiemes);
}
