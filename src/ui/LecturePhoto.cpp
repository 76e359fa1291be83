#include "LecturePhoto.h"

#include "records/ErreurSysteme.h"
#include "records/OuvertureSure.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <cerrno>
#include <sys/stat.h>

namespace
{

// What a picture within the budget may take once decoded at full size in colour
// (4 bytes a pixel), in Qt's unit. Qt's own limit (128 MB) would refuse a
// 7000 × 7000 picture the budget allows.
constexpr int LimiteAllocationMo = int(LecturePhoto::PixelsMax * 4 / (1024 * 1024)) + 1;

void FixeLimiteAllocation()
{
    // Qt's limit is one for the whole program: set once, before the first decode.
    static const bool fixee = [] {
        QImageReader::setAllocationLimit(LimiteAllocationMo);
        return true;
    }();
    Q_UNUSED(fixee);
}

LecturePhoto::Empreinte EmpreinteEtat(const struct stat& etat)
{
    LecturePhoto::Empreinte e;
    e.peripherique = uint64_t(etat.st_dev);
    e.noeud = uint64_t(etat.st_ino);
    e.taille = int64_t(etat.st_size);
    e.modification = int64_t(etat.st_mtim.tv_sec) * 1000000000 + etat.st_mtim.tv_nsec;
    e.changement = int64_t(etat.st_ctim.tv_sec) * 1000000000 + etat.st_ctim.tv_nsec;
    return e;
}

bool EstJpeg(const QByteArray& format)
{
    return format == "jpeg" || format == "jpg";
}

int64_t Pixels(const QSize& taille)
{
    return int64_t(taille.width()) * int64_t(taille.height());
}

// Two-colour pictures come out of a scaling decoder as white or black: they are
// decoded whole and scaled once in colour.
bool ReductionParLeDecodeur(QImageReader& lecteur)
{
    if (!lecteur.supportsOption(QImageIOHandler::ScaledSize)) return false;
    switch (lecteur.imageFormat()) {
    case QImage::Format_Invalid:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return false;
    default:
        return true;
    }
}

// The reader sees an open file, not its name: the extension names the format when
// that format's reader takes the content (TGA has no signature to be told by),
// otherwise the content decides (a PNG saved as ".jpg").
QByteArray Format(QFile& fichier, const QString& chemin)
{
    const QByteArray suffixe = QFileInfo(chemin).suffix().toLower().toLatin1();
    if (suffixe.isEmpty()) return {};
    bool lisible = false;
    {
        QImageReader essai(&fichier, suffixe);
        lisible = essai.canRead();
    }
    fichier.seek(0);
    return lisible ? suffixe : QByteArray();
}

QImage EnCouleur(const QImage& image)
{
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    return image.format() == format ? image : image.convertToFormat(format);
}

} // namespace

bool LecturePhoto::Empreinte::operator==(const Empreinte& autre) const
{
    return peripherique == autre.peripherique && noeud == autre.noeud && taille == autre.taille &&
           modification == autre.modification && changement == autre.changement;
}

LecturePhoto::Empreinte LecturePhoto::EmpreinteDe(const QString& chemin)
{
    struct stat etat;
    if (chemin.isEmpty() || ::stat(QFile::encodeName(chemin).constData(), &etat) != 0) return {};
    return EmpreinteEtat(etat);
}

bool LecturePhoto::Ouvre(const QString& chemin, QFile& fichier, QString* raison)
{
    return OuvertureSure::Ouvre(chemin, fichier, raison);
}

LecturePhoto::Resultat LecturePhoto::Lit(const QString& chemin, const Cible& cible)
{
    FixeLimiteAllocation();
    Resultat r;
    if (chemin.isEmpty() || !QFileInfo::exists(chemin)) return r;
    QFile fichier;
    if (!Ouvre(chemin, fichier, &r.raison)) {
        r.etat = QFileInfo::exists(chemin) ? Etat::Refusee : Etat::Absente;
        return r;
    }
    struct stat etat;
    if (fstat(fichier.handle(), &etat) == 0) r.empreinte = EmpreinteEtat(etat);

    QImageReader lecteur(&fichier, Format(fichier, chemin));
    lecteur.setAutoTransform(true);
    const bool tourne = lecteur.transformation() & QImageIOHandler::TransformationRotate90;
    QSize propre = lecteur.size();
    if (propre.isValid() && tourne) propre.transpose();
    const int64_t budget = EstJpeg(lecteur.format()) ? PixelsMaxJpeg : PixelsMax;
    if (propre.isValid() && Pixels(propre) > budget) {
        r.etat = Etat::TropGrande;
        r.propre = propre;
        return r;
    }

    const auto voulue = [&cible](const QSize& taille) {
        const QSize v = cible ? cible(taille) : taille;
        return v.isValid() && !v.isEmpty() && Pixels(v) <= PixelsMax ? v : taille;
    };
    QSize taille = propre.isValid() ? voulue(propre) : QSize();
    if (taille.isValid() && taille.width() <= propre.width() &&
        taille.height() <= propre.height() && taille != propre && ReductionParLeDecodeur(lecteur)) {
        // The reader scales before it rotates.
        QSize avantRotation = taille;
        if (tourne) avantRotation.transpose();
        lecteur.setScaledSize(avantRotation);
    }
    QImage image = lecteur.read();
    if (image.isNull()) {
        r.etat = Etat::Illisible;
        r.propre = propre;
        return r;
    }
    if (!propre.isValid()) {
        // A header that did not tell its size: the allocation limit bounded the decode.
        propre = image.size();
        if (Pixels(propre) > budget) {
            r.etat = Etat::TropGrande;
            r.propre = propre;
            return r;
        }
        taille = voulue(propre);
    }
    image = EnCouleur(image);
    if (image.size() != taille)
        image = image.scaled(taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    r.etat = image.isNull() ? Etat::Illisible : Etat::Lue;
    r.image = std::move(image);
    r.propre = propre;
    return r;
}

QSize LecturePhoto::Taille(const QString& chemin)
{
    QFile fichier;
    if (!Ouvre(chemin, fichier, nullptr)) return {};
    QImageReader lecteur(&fichier, Format(fichier, chemin));
    lecteur.setAutoTransform(true);
    QSize taille = lecteur.size();
    if (taille.isValid() && (lecteur.transformation() & QImageIOHandler::TransformationRotate90))
        taille.transpose();
    return taille;
}

QSize LecturePhoto::DansZone(const QSize& propre, const QSize& zone)
{
    if (propre.isEmpty() || zone.isEmpty()) return propre;
    if (propre.width() <= zone.width() && propre.height() <= zone.height()) return propre;
    return propre.scaled(zone, Qt::KeepAspectRatio).expandedTo({1, 1});
}

QString LecturePhoto::TexteRemplacement(const Resultat& resultat)
{
    if (resultat.etat == Etat::TropGrande)
        return QString::fromUtf8("Image trop grande\n%1 × %2")
            .arg(resultat.propre.width())
            .arg(resultat.propre.height());
    return QString::fromUtf8("Image\nnon affichable");
}

void LecturePhoto::DessineRemplacement(QPainter& p, const QRect& zone, const QString& chemin,
                                       const QString& texte)
{
    if (zone.isEmpty()) return;
    p.save();
    // Sizes in proportion to the card, so that it reads the same on paper as on screen.
    const qreal unite = zone.height() / 135.0;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 236, 236));
    p.drawRect(zone);
    QPen tirets(QColor(150, 150, 150), qMax<qreal>(1, unite), Qt::DashLine);
    p.setPen(tirets);
    p.setBrush(Qt::NoBrush);
    const qreal marge = 2.5 * unite;
    p.drawRect(QRectF(zone).adjusted(marge, marge, -marge - unite, -marge - unite));
    const QString type = QFileInfo(chemin).suffix().toUpper();
    QFont police(QStringLiteral("DejaVu Sans"));
    police.setPixelSize(unite >= 1 ? qRound(14 * unite) : qBound(9, zone.height() / 9, 14));
    police.setBold(true);
    p.setFont(police);
    p.setPen(QColor(90, 90, 90));
    const QString tout = (type.isEmpty() ? QString() : type + QLatin1Char('\n')) +
                         (texte.isEmpty() ? QString::fromUtf8("Image\nnon affichable") : texte);
    const int bord = qRound(6 * unite);
    p.drawText(zone.adjusted(bord, bord, -bord, -bord), Qt::AlignCenter | Qt::TextWordWrap, tout);
    p.restore();
}

QImage LecturePhoto::Remplacement(const QString& chemin, const QSize& taille, const QString& texte)
{
    QImage carte(taille.expandedTo({1, 1}), QImage::Format_ARGB32_Premultiplied);
    carte.fill(QColor(236, 236, 236));
    QPainter p(&carte);
    DessineRemplacement(p, carte.rect(), chemin, texte);
    return carte;
}
