#include "ChoixImpression.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>

void ChoixImpression::Applique(QPrinter& p) const
{
    if (Pdf()) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(fichierPdf);
    } else {
        p.setOutputFormat(QPrinter::NativeFormat);
        p.setPrinterName(imprimante);
    }
    p.setCopyCount(1);
}

QString ChoixImpression::PdfPropose(const QString& fichierLivre)
{
    if (fichierLivre.isEmpty())
        return QDir::home().filePath(QString::fromUtf8("Carnet d'adresses.pdf"));
    const QFileInfo info(fichierLivre);
    QString nom = info.fileName();
    const qsizetype point = nom.indexOf(QLatin1Char('.'));
    if (point > 0) nom.truncate(point);
    return info.dir().filePath(nom + QStringLiteral(".pdf"));
}
