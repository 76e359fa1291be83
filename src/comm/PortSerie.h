#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QSerialPort;

// A serial device opened for writing only, exclusively (a device another program
// holds is refused), with its line settings left as the system holds them as far as
// the platform allows. Every write has a time-out, so a port that stops taking bytes
// never freezes the window.
class PortSerie
{
public:
    PortSerie();
    ~PortSerie(); // closes

    // `peripherique`: a device path such as /dev/ttyS0. False with the French reason.
    bool Ouvre(const QString& peripherique, QString* raison);
    // The whole of `octets`, within `delaiMs`; false with the French reason.
    bool Ecrit(const QByteArray& octets, int delaiMs, QString* raison);
    // The bytes written go out before the device closes.
    void Ferme();
    // After a failed write: bytes not yet sent are dropped rather than waited for.
    void Abandonne();
    bool EstOuvert() const;

private:
    std::unique_ptr<QSerialPort> m_port;
};
