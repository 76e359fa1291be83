#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Decodes the photo files for the frame and the picker's preview. A file that exists
// but cannot be decoded (a format Qt has no reader for, a damaged file) gives a
// placeholder that says so, never an empty area.
class LecturePhoto
{
public:
    // The picture's own size, or an invalid size when it cannot be decoded.
    static QSize Taille(const QString& chemin);
    // The picture decoded at `taille` (its own size when invalid), EXIF orientation
    // applied; a null image when it cannot be decoded.
    static QImage Lit(const QString& chemin, const QSize& taille = QSize());
    // The picture fitted within `cadre` with its proportions (never enlarged); the
    // placeholder of `cadre`'s size when the file exists but cannot be decoded; a
    // null image when there is no file.
    static QImage PourCadre(const QString& chemin, const QSize& cadre);
    // A grey card naming the file's type and saying it cannot be shown.
    static QImage Remplacement(const QString& chemin, const QSize& taille);
};
