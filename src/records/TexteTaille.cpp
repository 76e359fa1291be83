#include "TexteTaille.h"

#include <QLocale>

QString TexteTaille::Mo(int64_t octets, int64_t autre)
{
    const QLocale fr(QLocale::French, QLocale::France);
    const auto texte = [&fr](int64_t n, int decimales) {
        return fr.toString(static_cast<double>(n) / (1024.0 * 1024.0), 'f', decimales) +
               QStringLiteral(" Mo");
    };
    for (int decimales = 0; decimales <= 6; ++decimales) {
        const QString t = texte(octets, decimales);
        if (autre < 0 || autre == octets || t != texte(autre, decimales)) return t;
    }
    return fr.toString(static_cast<qlonglong>(octets)) + QString::fromUtf8(" octets");
}
