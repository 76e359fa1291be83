#pragma once

#include <QRect>
#include <QSize>

// Where the photo picker's preview panel shows a picture: at its own size when it fits
// within four fifths of the panel each way, otherwise stretched to that limit with
// its proportions kept; centred in the panel either way.
class GeometrieApercu
{
public:
    // An empty rectangle for an empty picture or panel.
    static QRect Rectangle(const QSize& image, const QSize& panneau);
    // numerateur / denominateur to the nearest integer, a tie going to the even one.
    static int Arrondi(long long numerateur, long long denominateur);
};
