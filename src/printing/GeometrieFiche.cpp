#include "GeometrieFiche.h"

#include <cfenv>
#include <cmath>

GeometrieFiche::GeometrieFiche(double sx, double sy, int largeurImprimable, int hauteurImprimable,
                               QSize page)
    : m_sx(sx), m_sy(sy), m_page(page)
{
    m_ox = Arrondi((largeurImprimable - page.width() * sx) / 2);
    m_oy = Arrondi((hauteurImprimable / 2.0 - page.height() * sy) / 2);
    m_oy2 = m_oy + Arrondi(HauteurBande * sy);
}

int GeometrieFiche::Arrondi(double valeur)
{
    // nearbyint follows the current rounding mode, which is to nearest, ties to even,
    // unless someone changed it.
    const int mode = std::fegetround();
    if (mode != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(valeur);
    if (mode != FE_TONEAREST) std::fesetround(mode);
    return static_cast<int>(r);
}

QRect GeometrieFiche::Bande() const
{
    return QRect(m_ox, m_oy, Arrondi(m_page.width() * m_sx), Arrondi(HauteurBande * m_sy));
}

QRect GeometrieFiche::CadrePage() const
{
    return QRect(m_ox, m_oy2, Arrondi(m_page.width() * m_sx), Arrondi(m_page.height() * m_sy));
}

QRect GeometrieFiche::Rectangle(const QRect& e) const
{
    return QRect(m_ox + Arrondi(e.left() * m_sx), m_oy2 + Arrondi(e.top() * m_sy),
                 Arrondi(e.width() * m_sx), Arrondi(e.height() * m_sy));
}

QRect GeometrieFiche::Interieur(const QRect& e) const
{
    return QRect(m_ox + Arrondi((e.left() + 2) * m_sx), m_oy2 + Arrondi((e.top() + 4) * m_sy),
                 Arrondi((e.width() - 3) * m_sx), Arrondi((e.height() - 3) * m_sy));
}

QRect GeometrieFiche::Titre(int tw, int th) const
{
    return QRect(m_ox + Arrondi((m_page.width() * m_sx - tw) / 2),
                 m_oy + Arrondi((HauteurBande * m_sy - th) / 2),
                 Arrondi((m_page.width() - 3) * m_sx), Arrondi((m_page.height() - 3) * m_sy));
}

QRect GeometrieFiche::Photo(const QSize& image, const QRect& cadreEcran) const
{
    const double gw = image.width();
    const double gh = image.height();
    const double w = cadreEcran.width();
    const double h = cadreEcran.height();
    if (gw <= 0 || gh <= 0) return {};
    // One dot is not as wide as it is high on a printer whose two resolutions differ:
    // the proportions are kept on paper, not in dots. With equal resolutions k is 1
    // exactly and the products are the plain ones.
    const double k = m_sy / m_sx;
    int dw = 0;
    int dh = 0;
    if (gw <= w && gh <= h) {
        dw = Arrondi(gw * m_sx);
        dh = Arrondi(gh * m_sy);
    } else if (gw > gh) {
        dw = Arrondi(7 * m_sx * w / 8);
        dh = Arrondi(gh * dw * k / gw);
    } else {
        dh = Arrondi(7 * m_sy * h / 8);
        dw = Arrondi(gw * dh / k / gh);
    }
    const QRect cadre = Rectangle(cadreEcran);
    return QRect(cadre.left() + Arrondi((w * m_sx - dw) / 2),
                 cadre.top() + Arrondi((h * m_sy - dh) / 2), dw, dh);
}

QPoint GeometrieFiche::DebutLigneNotes(const QRect& r, int y) const
{
    return QPoint(r.left() + Arrondi(2 * m_sx), r.top() + Arrondi(2 * m_sy) + y);
}
