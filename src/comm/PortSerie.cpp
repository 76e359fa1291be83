#include "PortSerie.h"

#include "records/ErreurSysteme.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <sys/stat.h>

namespace
{

QString Raison(const QSerialPort& port)
{
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return QString::fromUtf8("Le périphérique n'existe pas.");
    case QSerialPort::PermissionError:
        return QString::fromUtf8("Le port est occupé par un autre programme, ou son accès est "
                                 "refusé.");
    case QSerialPort::TimeoutError:
        return QString::fromUtf8("Le port n'a pas accepté la commande dans le délai.");
    case QSerialPort::ResourceError:
        return QString::fromUtf8("Le périphérique a été retiré ou ne répond plus.");
    default:
        break;
    }
    return ErreurSysteme::EnFrancais(port.errorString());
}

} // namespace

PortSerie::PortSerie() = default;

PortSerie::~PortSerie()
{
    Ferme();
}

bool PortSerie::EstOuvert() const
{
    return m_port && m_port->isOpen();
}

bool PortSerie::Ouvre(const QString& peripherique, QString* raison)
{
    Ferme();
    // An existing device only: the port is never created as a file, and a path the
    // user typed that names an ordinary file is never written into.
    struct stat etat;
    if (::stat(QFile::encodeName(peripherique).constData(), &etat) != 0) {
        if (raison) *raison = QString::fromUtf8("Le périphérique n'existe pas.");
        return false;
    }
    if (!S_ISCHR(etat.st_mode)) {
        if (raison) *raison = QString::fromUtf8("Ce n'est pas un périphérique série.");
        return false;
    }
    m_port = std::make_unique<QSerialPort>();
    m_port->setPortName(peripherique);
    // QSerialPort takes the device's lock file and TIOCEXCL: a second holder is refused.
    if (!m_port->open(QIODevice::WriteOnly)) {
        if (raison) *raison = Raison(*m_port);
        m_port.reset();
        return false;
    }
    return true;
}

bool PortSerie::Ecrit(const QByteArray& octets, int delaiMs, QString* raison)
{
    if (!EstOuvert()) {
        if (raison) *raison = QString::fromUtf8("Le port n'est pas ouvert.");
        return false;
    }
    if (m_port->write(octets) != octets.size()) {
        if (raison) *raison = Raison(*m_port);
        return false;
    }
    QElapsedTimer chrono;
    chrono.start();
    while (m_port->bytesToWrite() > 0) {
        const qint64 reste = delaiMs - chrono.elapsed();
        if (reste <= 0 || !m_port->waitForBytesWritten(int(reste))) {
            if (raison)
                *raison =
                    m_port->error() == QSerialPort::NoError ||
                            m_port->error() == QSerialPort::TimeoutError
                        ? QString::fromUtf8("Le port n'a pas accepté la commande dans le délai.")
                        : Raison(*m_port);
            return false;
        }
    }
    return true;
}

void PortSerie::Ferme()
{
    if (!m_port) return;
    if (m_port->isOpen()) m_port->close();
    m_port.reset();
}

void PortSerie::Abandonne()
{
    // A blocked port would make the close wait for bytes it will never send.
    if (EstOuvert()) m_port->clear(QSerialPort::Output);
    Ferme();
}
