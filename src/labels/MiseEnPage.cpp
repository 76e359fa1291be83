#include "MiseEnPage.h"

namespace
{
__int128 Puissance10(int n)
{
    __int128 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}
} // namespace

MiseEnPage::MiseEnPage(const FormatEtiquette& format)
{
    using F = FormatEtiquette;
    if (!format.NomValide()) return;
    m_colonnes = Combien(LargeurFeuilleDixiemes, format.Parametre(F::MargeGauche),
                         format.Parametre(F::MargeDroite), format.Parametre(F::EspaceHorizontal),
                         format.LargeurExacte());
    m_lignes = Combien(HauteurFeuilleDixiemes, format.Parametre(F::MargeHaute),
                       format.Parametre(F::MargeBasse), format.Parametre(F::EspaceVertical),
                       format.HauteurExacte());
    m_largeur = format.Largeur();
    m_hauteur = format.Hauteur();
    m_gauche = format.Parametre(F::MargeGauche) / 10.0;
    m_haut = format.Parametre(F::MargeHaute) / 10.0;
    m_pasX = m_largeur + format.Parametre(F::EspaceHorizontal) / 10.0;
    m_pasY = m_hauteur + format.Parametre(F::EspaceVertical) / 10.0;
}

int MiseEnPage::Combien(int feuilleDixiemes, int marge1, int marge2, int espace,
                        const FormatEtiquette::Decimal& etiquette)
{
    // Both sides times 10^decimales * 10: every term becomes an integer.
    const __int128 echelle = Puissance10(etiquette.decimales);
    const __int128 numerateur =
        (static_cast<__int128>(espace) + feuilleDixiemes - marge1 - marge2) * echelle;
    const __int128 denominateur = static_cast<__int128>(espace) * echelle + etiquette.mantisse * 10;
    if (numerateur <= 0 || denominateur <= 0) return 0;
    const __int128 q = numerateur / denominateur;
    return q > 100000 ? 100000 : static_cast<int>(q);
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
