#include "MiseEnPage.h"

#include <algorithm>
#include <cmath>

namespace
{
__int128 Puissance10(int n)
{
    __int128 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// The near margin once the miss is taken from both outer margins: half from each,
// the far margin giving no more than it has and the near one then giving the rest.
double MargeAjustee(double proche, double lointaine, double manque)
{
    const double deLointaine = std::min(manque / 2, lointaine);
    return std::max(0.0, proche - (manque - deLointaine));
}
} // namespace

MiseEnPage::MiseEnPage(const FormatEtiquette& format)
{
    using F = FormatEtiquette;
    if (!format.NomValide()) return;
    m_colonnes = Combien(LargeurFeuilleDixiemes, format.Parametre(F::MargeGauche),
                         format.Parametre(F::MargeDroite), format.Parametre(F::EspaceHorizontal),
                         format.LargeurExacte(), &m_ajusteX);
    m_lignes = Combien(HauteurFeuilleDixiemes, format.Parametre(F::MargeHaute),
                       format.Parametre(F::MargeBasse), format.Parametre(F::EspaceVertical),
                       format.HauteurExacte(), &m_ajusteY);
    m_largeur = format.Largeur();
    m_hauteur = format.Hauteur();
    m_gauche = MargeAjustee(format.Parametre(F::MargeGauche) / 10.0,
                            format.Parametre(F::MargeDroite) / 10.0, m_ajusteX);
    m_haut = MargeAjustee(format.Parametre(F::MargeHaute) / 10.0,
                          format.Parametre(F::MargeBasse) / 10.0, m_ajusteY);
    m_pasX = m_largeur + format.Parametre(F::EspaceHorizontal) / 10.0;
    m_pasY = m_hauteur + format.Parametre(F::EspaceVertical) / 10.0;
}

int MiseEnPage::Combien(int feuilleDixiemes, int marge1, int marge2, int espace,
                        const FormatEtiquette::Decimal& etiquette, double* manqueMm)
{
    if (manqueMm) *manqueMm = 0;
    // Every length in units of 1 / (10 * 10^decimales) mm: all become integers.
    const __int128 echelle = Puissance10(etiquette.decimales);
    const __int128 place = (static_cast<__int128>(feuilleDixiemes) - marge1 - marge2) * echelle;
    const __int128 e = static_cast<__int128>(espace) * echelle;
    const __int128 pas = e + etiquette.mantisse * 10;
    if (pas <= 0) return 0;
    const __int128 exact = e + place > 0 ? (e + place) / pas : 0;
    __int128 n = exact;
    // One more, when it misses by no more than the tolerance.
    const __int128 manque = (exact + 1) * pas - e - place;
    if (manque <= ToleranceDixiemes * echelle) {
        n = exact + 1;
        if (manqueMm) *manqueMm = static_cast<double>(manque) / static_cast<double>(echelle) / 10.0;
    }
    return n > 100000 ? 100000 : static_cast<int>(n);
}

QRectF MiseEnPage::RectangleMm(int colonne, int ligne) const
{
    return QRectF(m_gauche + (colonne - 1) * m_pasX, m_haut + (ligne - 1) * m_pasY, m_largeur,
                  m_hauteur);
}

int MiseEnPage::NombrePlanches(int nombre, int colonneDepart, int ligneDepart) const
{
    if (!Utilisable() || nombre <= 0) return 0;
    const long long avant =
        static_cast<long long>(ligneDepart - 1) * m_colonnes + (colonneDepart - 1);
    const long long total = avant + nombre;
    const long long par = ParPlanche();
    return static_cast<int>((total + par - 1) / par);
}

QString MiseEnPage::Millimetres(double mm)
{
    QString t = QString::number(std::round(mm * 100) / 100, 'f', 2);
    while (t.endsWith(QLatin1Char('0')))
        t.chop(1);
    if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    return t.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString MiseEnPage::Resume(const FormatEtiquette& format)
{
    if (!format.NomValide())
        return QString::fromUtf8("Ce nom n'est pas une taille d'étiquette (largeur x hauteur) : "
                                 "aucune étiquette ne peut être imprimée.");
    const MiseEnPage page(format);
    if (!page.Utilisable())
        return QString::fromUtf8("Aucune étiquette ne tient sur la feuille avec ce format : "
                                 "réduisez les marges ou les espacements.");
    QString texte = QString::fromUtf8("%1 × %2 = %3 étiquettes par planche")
                        .arg(page.Colonnes())
                        .arg(page.Lignes())
                        .arg(page.ParPlanche());
    const double x = page.AjustementLargeurMm(), y = page.AjustementHauteurMm();
    // A miss of a few thousandths of a millimetre shows as 0,01 rather than 0.
    auto mm = [](double v) { return Millimetres(std::max(v, 0.01)); };
    if (x > 0 && y > 0)
        texte += QString::fromUtf8(" (marges ajustées de %1 mm en largeur et de %2 mm en hauteur)")
                     .arg(mm(x), mm(y));
    else if (x > 0)
        texte += QString::fromUtf8(" (marges ajustées de %1 mm en largeur)").arg(mm(x));
    else if (y > 0)
        texte += QString::fromUtf8(" (marges ajustées de %1 mm en hauteur)").arg(mm(y));
    return texte;
}
