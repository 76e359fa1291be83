#include "DessinFiche.h"

#include "printing/GeometrieFiche.h"
#include "printing/PageImprimee.h"
#include "ui/LecturePhoto.h"

#include <QFontMetrics>
#include <QPainter>

namespace
{

void Outils(QPainter& p)
{
    QPen plume(Qt::black);
    plume.setWidth(1);
    plume.setStyle(Qt::SolidLine);
    p.setPen(plume);
    p.setBrush(Qt::NoBrush);
    p.setBackgroundMode(Qt::TransparentMode);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QFont Arial(bool gras)
{
    QFont police(QStringLiteral("Arial"), 8);
    police.setBold(gras);
    return police;
}

// The picture is read from its file and reduced once, to the rectangle it takes on
// the printer, dot for pixel; a smaller picture keeps its pixels and is stretched.
// One the screen cannot show prints as the frame shows it: a card saying why.
void DessinePhoto(QPainter& p, const PageImprimee& page, const GeometrieFiche& g)
{
    const LecturePhoto::Resultat photo = LecturePhoto::Lit(
        page.photo, [&](const QSize& propre) { return g.Photo(propre, page.cadrePhoto).size(); });
    switch (photo.etat) {
    case LecturePhoto::Etat::Lue:
        p.save();
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(g.Photo(photo.propre, page.cadrePhoto), photo.image);
        p.restore();
        break;
    case LecturePhoto::Etat::Absente:
        break;
    default:
        LecturePhoto::DessineRemplacement(p, g.Rectangle(page.cadrePhoto.adjusted(1, 1, -1, -1)),
                                          page.photo, LecturePhoto::TexteRemplacement(photo));
        break;
    }
}

} // namespace

QString DessinFiche::TitreAjuste(const PageImprimee& page, const QFontMetrics& mesures,
                                 int largeurMax)
{
    const QString& titre = page.titre;
    if (mesures.horizontalAdvance(titre) <= largeurMax) return titre;
    const QString points(QChar(0x2026));
    if (page.debutNom >= 0 && page.longueurNom > 0 &&
        page.debutNom + page.longueurNom <= titre.size()) {
        const QString avant = titre.left(page.debutNom);
        const QString nom = titre.mid(page.debutNom, page.longueurNom);
        const QString apres = titre.mid(page.debutNom + page.longueurNom);
        const auto avec = [&](int k) { return avant + nom.left(k) + points + apres; };
        if (mesures.horizontalAdvance(avec(0)) <= largeurMax) {
            // The most of the name that fits: widths grow with its length.
            int bas = 0;
            int haut = static_cast<int>(nom.size());
            while (haut - bas > 1) {
                const int milieu = (bas + haut) / 2;
                if (mesures.horizontalAdvance(avec(milieu)) <= largeurMax)
                    bas = milieu;
                else
                    haut = milieu;
            }
            return avec(bas);
        }
        // Even without the name it is too wide (a very long file name): its middle goes.
        return mesures.elidedText(avec(0), Qt::ElideMiddle, largeurMax);
    }
    return mesures.elidedText(titre, Qt::ElideMiddle, largeurMax);
}

void DessinFiche::DessinePage(QPainter& p, const PageImprimee& page, const GeometrieFiche& g)
{
    using S = PageImprimee::Sorte;
    constexpr int UneLigne = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

    Outils(p);
    p.drawRect(g.Bande());

    p.setFont(Arial(true));
    {
        const QFontMetrics m(p.font(), p.device());
        // Inside its band, with a margin of four screen pixels on each side.
        const int largeurMax = g.Bande().width() - 2 * GeometrieFiche::Arrondi(4 * g.Sx());
        const QString texte = TitreAjuste(page, m, largeurMax);
        const QRect titre = g.Titre(m.horizontalAdvance(texte), m.height());
        p.drawText(titre, UneLigne, texte);
    }

    for (const PageImprimee::Element& e : page.elements)
        if (e.sorte == S::Libelle)
            p.drawText(g.Rectangle(e.ecran), e.alignement | Qt::AlignTop | Qt::TextWordWrap,
                       e.texte);

    p.setFont(Arial(false));
    for (S sorte : {S::Liste, S::Edition})
        for (const PageImprimee::Element& e : page.elements) {
            if (e.sorte != sorte) continue;
            Outils(p);
            p.drawRect(g.Rectangle(e.ecran));
            p.drawText(g.Interieur(e.ecran), UneLigne, e.texte);
        }

    const QFontMetrics mesures(p.font(), p.device());
    for (const PageImprimee::Element& e : page.elements) {
        if (e.sorte != S::Notes) continue;
        const QRect r = g.Rectangle(e.ecran);
        p.drawRect(r);
        int y = 0;
        for (const QString& ligne : e.lignes) {
            const int lh = mesures.height();
            if (y + lh < r.height()) {
                const QPoint debut = g.DebutLigneNotes(r, y);
                p.drawText(QPoint(debut.x(), debut.y() + mesures.ascent()), ligne);
            }
            y += lh;
        }
    }

    if (!page.photo.isEmpty()) DessinePhoto(p, page, g);
    Outils(p);
    p.drawRect(g.Rectangle(page.cadrePhoto));

    Outils(p);
    p.drawRect(g.CadrePage());
}
