#include "GeometrieApercu.h"

#include <QtGlobal>

int GeometrieApercu::Arrondi(long long numerateur, long long denominateur)
{
    if (denominateur < 0) numerateur = -numerateur, denominateur = -denominateur;
    long long q = numerateur / denominateur;
    long long r = numerateur % denominateur;
    if (r < 0) --q, r += denominateur;
    if (2 * r > denominateur || (2 * r == denominateur && q % 2 != 0)) ++q;
    return static_cast<int>(q);
}

QRect GeometrieApercu::Rectangle(const QSize& image, const QSize& panneau)
{
    if (image.isEmpty() || panneau.isEmpty()) return {};
    const int largeurMax = Arrondi(4LL * panneau.width(), 5);
    const int hauteurMax = Arrondi(4LL * panneau.height(), 5);
    QSize taille = image;
    if (image.width() > largeurMax || image.height() > hauteurMax) {
        if (image.width() <= image.height())
            taille = QSize(qMax(1, Arrondi(1LL * hauteurMax * image.width(), image.height())),
                           hauteurMax);
        else
            taille = QSize(largeurMax,
                           qMax(1, Arrondi(1LL * largeurMax * image.height(), image.width())));
    }
    // C++ division truncates towards zero, as the halves must.
    return QRect((panneau.width() - taille.width()) / 2, (panneau.height() - taille.height()) / 2,
                 taille.width(), taille.height());
}
