#include "LecturePhoto.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

QSize LecturePhoto::Taille(const QString& chemin)
{
    QImageReader lecteur(chemin);
    lecteur.setAutoTransform(true);
    if (!lecteur.canRead()) return {};
    QSize taille = lecteur.size();
    if (!taille.isValid()) return Lit(chemin).size();
    if (lecteur.transformation() & QImageIOHandler::TransformationRotate90) taille.transpose();
    return taille;
}

QImage LecturePhoto::Lit(const QString& chemin, const QSize& taille)
{
    QImageReader lecteur(chemin);
    lecteur.setAutoTransform(true);
    if (taille.isValid() && !taille.isEmpty()) {
        // The reader scales before it rotates.
        QSize avantRotation = taille;
        if (lecteur.transformation() & QImageIOHandler::TransformationRotate90)
            avantRotation.transpose();
        lecteur.setScaledSize(avantRotation);
    }
    QImage image = lecteur.read();
    if (!image.isNull() && taille.isValid() && image.size() != taille)
        image = image.scaled(taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage LecturePhoto::PourCadre(const QString& chemin, const QSize& cadre)
{
    if (chemin.isEmpty() || !QFileInfo(chemin).isFile()) return {};
    const QSize propre = Taille(chemin);
    if (!propre.isEmpty()) {
        const QSize taille = propre.width() > cadre.width() || propre.height() > cadre.height()
                                 ? propre.scaled(cadre, Qt::KeepAspectRatio).expandedTo({1, 1})
                                 : propre;
        const QImage image = Lit(chemin, taille);
        if (!image.isNull()) return image;
    }
    return Remplacement(chemin, cadre);
}

QImage LecturePhoto::Remplacement(const QString& chemin, const QSize& taille)
{
    QImage carte(taille.expandedTo({1, 1}), QImage::Format_ARGB32_Premultiplied);
    carte.fill(QColor(236, 236, 236));
    QPainter p(&carte);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    p.drawRect(QRectF(carte.rect()).adjusted(2.5, 2.5, -3.5, -3.5));
    const QString type = QFileInfo(chemin).suffix().toUpper();
    QFont police(QStringLiteral("DejaVu Sans"));
    police.setPixelSize(qBound(9, taille.height() / 9, 14));
    police.setBold(true);
    p.setFont(police);
    p.setPen(QColor(90, 90, 90));
    const QString texte = (type.isEmpty() ? QString() : type + QLatin1Char('\n')) +
                          QString::fromUtf8("Image\nnon affichable");
    p.drawText(carte.rect().adjusted(6, 6, -6, -6), Qt::AlignCenter | Qt::TextWordWrap, texte);
    return carte;
}
