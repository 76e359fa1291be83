#pragma once

// Pictures written byte by byte, and a guard that tells whether anyone opened a
// named pipe, for the tests of the photo frame, the picker and the record print.

#include <QByteArray>
#include <QColor>
#include <QDataStream>
#include <QFile>
#include <QString>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace OutilsImages
{

inline quint32 Crc32(const QByteArray& octets)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : octets) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray BlocPng(const char* type, const QByteArray& donnees)
{
    QByteArray b;
    QDataStream(&b, QIODevice::WriteOnly) << quint32(donnees.size());
    const QByteArray corps = QByteArray(type) + donnees;
    QByteArray crc;
    QDataStream(&crc, QIODevice::WriteOnly) << Crc32(corps);
    return b + corps + crc;
}

// A valid PNG of one colour. Two-colour: a 1-bit palette picture, as image editors
// save a picture of one or two colours (the palette's second colour is black).
// Otherwise 8-bit RGB.
inline QByteArray PngUni(int largeur, int hauteur, QColor couleur, bool deuxCouleurs)
{
    QByteArray entete;
    QDataStream(&entete, QIODevice::WriteOnly)
        << quint32(largeur) << quint32(hauteur) << quint8(deuxCouleurs ? 1 : 8)
        << quint8(deuxCouleurs ? 3 : 2) << quint8(0) << quint8(0) << quint8(0);
    const QByteArray rgb =
        QByteArray(1, char(couleur.red())) + char(couleur.green()) + char(couleur.blue());
    QByteArray ligne(1, '\0'); // filter: none
    if (deuxCouleurs)
        ligne += QByteArray((largeur + 7) / 8, '\0');
    else
        ligne += rgb.repeated(largeur);
    const QByteArray brut = ligne.repeated(hauteur);
    const QByteArray zlib = qCompress(brut).mid(4); // without Qt's length prefix
    return QByteArray("\x89PNG\r\n\x1A\n") + BlocPng("IHDR", entete) +
           (deuxCouleurs ? BlocPng("PLTE", rgb + QByteArray(3, '\0')) : QByteArray()) +
           BlocPng("IDAT", zlib) + BlocPng("IEND", QByteArray());
}

inline bool Ecrit(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(octets) == octets.size();
}

// Creates a named pipe and watches it: an open for writing that does not wait
// succeeds only while someone has the pipe open for reading, so the guard sees any
// reader at once, records it and, by closing its end, lets a reader stuck in open()
// go on (it then reads an empty pipe).
class GardeTube
{
public:
    explicit GardeTube(const QString& chemin) : m_chemin(QFile::encodeName(chemin))
    {
        m_cree = ::mkfifo(m_chemin.constData(), 0600) == 0;
        if (m_cree) m_fil = std::thread([this] { Surveille(); });
    }
    ~GardeTube()
    {
        m_fin = true;
        if (m_fil.joinable()) m_fil.join();
    }
    bool Cree() const { return m_cree; }
    bool Ouvert() const { return m_ouvert; }

private:
    void Surveille()
    {
        while (!m_fin) {
            const int fd = ::open(m_chemin.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                m_ouvert = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    QByteArray m_chemin;
    bool m_cree = false;
    std::atomic<bool> m_fin{false};
    std::atomic<bool> m_ouvert{false};
    std::thread m_fil;
};

} // namespace OutilsImages
