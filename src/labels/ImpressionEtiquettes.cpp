#include "ImpressionEtiquettes.h"

#include "MiseEnPage.h"
#include "RenduPlanche.h"
#include "ui/ImpressionSure.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>

void ImpressionEtiquettes::Prepare(QPrinter& imprimante)
{
    imprimante.setPageSize(QPageSize(QPageSize::A4));
    imprimante.setPageOrientation(QPageLayout::Portrait);
    imprimante.setFullPage(true);
}

QRectF ImpressionEtiquettes::ZoneImprimable(const QPrinter& imprimante)
{
    const QRectF page(0, 0, MiseEnPage::LargeurFeuilleMm, MiseEnPage::HauteurFeuilleMm);
    if (imprimante.outputFormat() == QPrinter::PdfFormat) return page;
    const QPageLayout mise = imprimante.pageLayout();
    const QMarginsF marges = mise.marginsPoints();
    constexpr double MmParPoint = 25.4 / 72.0;
    const QRectF zone = page.adjusted(marges.left() * MmParPoint, marges.top() * MmParPoint,
                                      -marges.right() * MmParPoint, -marges.bottom() * MmParPoint);
    return zone.isValid() ? zone : page;
}

QString ImpressionEtiquettes::Imprime(QPrinter& imprimante, const RenduPlanche& rendu,
                                      const QPointF& decalageMm)
{
    if (rendu.NombrePlanches() <= 0)
        return QString::fromUtf8("Aucune étiquette ne tient sur la feuille de ce format.");
    Prepare(imprimante);
    imprimante.setDocName(QCoreApplication::applicationName() + QStringLiteral(" : mailing"));
    ImpressionSure sure(imprimante);
    QString raison;
    if (!sure.Commence(&raison)) return raison;
    QPainter p;
    if (!p.begin(&imprimante)) {
        sure.Abandonne();
        return QString::fromUtf8("L'impression n'a pas pu commencer.");
    }
    const double pxX = imprimante.resolution() / 25.4;
    const double pxY = imprimante.resolution() / 25.4;
    for (int s = 1; s <= rendu.NombrePlanches(); ++s) {
        if (s > 1 && !imprimante.newPage()) {
            p.end();
            sure.Abandonne();
            return QString::fromUtf8("L'impression a échoué au passage à la planche %1.").arg(s);
        }
        rendu.Dessine(p, s, pxX, pxY, decalageMm);
        // A long job keeps its windows painted; the user's input waits for the end.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (!p.end()) {
        sure.Abandonne();
        return QString::fromUtf8("L'impression n'a pas pu être terminée.");
    }
    return sure.Termine();
}
