#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>

class QFile;
class QPainter;
class QRect;

// Opens and decodes the photo files, for the frame, the picker's preview and the
// record print alike. Only a regular file is opened, without waiting; a picture
// larger than the pixel budget is refused from its header, before any decoding; a
// picture is reduced while it is decoded where its format allows it, and always
// turned into a colour picture before it is scaled. Opening and decoding may run on
// any thread; the placeholder cards, which draw text, on the user-interface thread.
class LecturePhoto
{
public:
    // Pictures past these many pixels are not decoded: 64 million (8000 × 8000) in
    // general, 256 million for JPEG, whose decoder reduces while decoding.
    static constexpr int64_t PixelsMax = 64'000'000;
    static constexpr int64_t PixelsMaxJpeg = 256'000'000;

    enum class Etat {
        Lue,        // the picture is in `image`
        Absente,    // no file at that path
        Refusee,    // not a regular file, or it could not be opened: see `raison`
        TropGrande, // past the pixel budget: `propre` tells its size
        Illisible,  // a format Qt has no reader for, or a damaged file
    };

    // What tells a file's version apart: a picture rewritten in place, or replaced by
    // another of the same size and date, changes at least its status change time.
    struct Empreinte {
        uint64_t peripherique = 0;
        uint64_t noeud = 0;
        int64_t taille = -1;
        int64_t modification = 0; // nanoseconds
        int64_t changement = 0;   // nanoseconds
        bool operator==(const Empreinte& autre) const;
        bool operator!=(const Empreinte& autre) const { return !(*this == autre); }
        bool Valide() const { return taille >= 0; }
    };

    struct Resultat {
        Etat etat = Etat::Absente;
        QImage image;   // Format_RGB32 or Format_ARGB32_Premultiplied
        QSize propre;   // the picture's own size, orientation applied, when known
        QString raison; // in French, for Refusee
        Empreinte empreinte;
    };

    // The size wanted for a picture of size `propre`: the picture is scaled to it once,
    // reduced by the decoder itself where the format allows it. A wanted size past the
    // pixel budget leaves the picture at its own size.
    using Cible = std::function<QSize(const QSize& propre)>;

    // The one place a photo file is opened: a regular file only (checked before
    // opening, so that a pipe is never even opened, and again once open), never
    // waiting. False with the French reason otherwise.
    static bool Ouvre(const QString& chemin, QFile& fichier, QString* raison);
    // Decodes the picture at the size `cible` asks for (its own size without one).
    // Callers that must not enlarge a picture say so in `cible`.
    static Resultat Lit(const QString& chemin, const Cible& cible = {});
    // The picture's own size from its header, orientation applied; invalid when it
    // cannot be told.
    static QSize Taille(const QString& chemin);
    // `propre` fitted within `zone` with its proportions, never enlarged.
    static QSize DansZone(const QSize& propre, const QSize& zone);

    static Empreinte EmpreinteDe(const QString& chemin);

    // The placeholder's wording for a picture that could not be shown.
    static QString TexteRemplacement(const Resultat& resultat);
    // A grey card naming the file's type and saying why it is not shown.
    static QImage Remplacement(const QString& chemin, const QSize& taille,
                               const QString& texte = QString());
    // The same card drawn on any painter (the printer's too) within `zone`.
    static void DessineRemplacement(QPainter& peintre, const QRect& zone, const QString& chemin,
                                    const QString& texte);
};
