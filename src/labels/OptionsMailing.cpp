#include "OptionsMailing.h"

#include "settings/Reglages.h"

#include <algorithm>
#include <cmath>

namespace
{
QString T(const char* s)
{
    return QString::fromUtf8(s);
}
} // namespace

OptionsMailing::OptionsMailing()
{
    police = QFont(QStringLiteral("arial"));
    police.setPointSizeF(9);
}

int OptionsMailing::CouleurVersEntier(const QColor& c)
{
    return (c.blue() << 16) | (c.green() << 8) | c.red();
}

QColor OptionsMailing::EntierVersCouleur(int valeur)
{
    if (valeur < 0 || valeur > 0xFFFFFF) return Qt::black;
    return QColor(valeur & 0xFF, (valeur >> 8) & 0xFF, (valeur >> 16) & 0xFF);
}

int OptionsMailing::HauteurDeTaille(double points)
{
    return -static_cast<int>(std::lround(points * 96.0 / 72.0));
}

void OptionsMailing::Lit(const Reglages& r)
{
    const QString options = T("Options");
    cadre = r.ReadBool(options, T("Cadre"), false);
    genre = r.ReadInteger(options, T("Adresse"), 0);
    if (genre < 0 || genre > 3) genre = 0;
    decalageX =
        std::clamp(r.ReadInteger(options, T("Décalage horizontal"), 0), -DecalageMax, DecalageMax);
    decalageY =
        std::clamp(r.ReadInteger(options, T("Décalage vertical"), 0), -DecalageMax, DecalageMax);

    const QString section = T("Police");
    couleur = EntierVersCouleur(r.ReadInteger(section, T("couleur"), 0));
    // "taille" decides; the height is the fallback when the size is missing or odd.
    double taille = 9;
    const int hauteur = r.ReadInteger(section, T("hauteur"), -12);
    if (hauteur != 0 && std::abs(hauteur) <= 1000) taille = std::abs(hauteur) * 72.0 / 96.0;
    const QString nom = r.ReadString(section, T("nom"), T("arial")).trimmed();
    const int lue = r.ReadInteger(section, T("taille"), 0);
    if (lue > 0) taille = lue;
    taille = std::clamp(std::round(taille), TaillePoliceMin, TaillePoliceMax);
    police = QFont(nom.isEmpty() ? T("arial") : nom);
    police.setPointSizeF(taille);
    police.setBold(r.ReadBool(section, T("gras"), false));
    police.setItalic(r.ReadBool(section, T("italique"), false));
    police.setUnderline(r.ReadBool(section, T("souligné"), false));
    police.setStrikeOut(r.ReadBool(section, T("barré"), false));
}

void OptionsMailing::EcritOptions(Reglages& r) const
{
    const QString options = T("Options");
    r.WriteBool(options, T("Cadre"), cadre);
    r.WriteInteger(options, T("Adresse"), genre);
    r.WriteInteger(options, T("Décalage horizontal"), decalageX);
    r.WriteInteger(options, T("Décalage vertical"), decalageY);
}

void OptionsMailing::EcritPolice(Reglages& r) const
{
    const QString section = T("Police");
    const double taille = police.pointSizeF() > 0 ? police.pointSizeF() : 9;
    r.WriteInteger(section, T("couleur"), CouleurVersEntier(couleur));
    r.WriteInteger(section, T("hauteur"), HauteurDeTaille(taille));
    r.WriteString(section, T("nom"), police.family());
    r.WriteInteger(section, T("taille"), static_cast<int>(std::lround(taille)));
    r.WriteBool(section, T("gras"), police.bold());
    r.WriteBool(section, T("italique"), police.italic());
    r.WriteBool(section, T("souligné"), police.underline());
    r.WriteBool(section, T("barré"), police.strikeOut());
}
