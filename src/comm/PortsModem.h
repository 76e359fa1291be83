#pragma once

#include "comm/CommandeModem.h"

#include <QString>
#include <QStringList>
#include <array>

class Reglages;

// The serial device behind each of the four ports the user knows as COM1 to COM4:
// /dev/ttyS0 to /dev/ttyS3 unless the user chose another (a USB modem is a
// /dev/ttyACM* or /dev/ttyUSB* device).
class PortsModem
{
public:
    PortsModem();

    const QString& Peripherique(TComPort port) const;
    // An empty path puts the default back.
    void SetPeripherique(TComPort port, const QString& peripherique);
    static QString ParDefaut(TComPort port);

    // "COM4 (/dev/ttyS3)": the name the user knows, then the device.
    QString Nom(TComPort port) const;

    // Section "Ports série", keys "COM1" to "COM4".
    void Lit(const Reglages& reglages);
    void Ecrit(Reglages& reglages) const;
    static QString Section();

    // The serial devices this system has, sorted, the four defaults that exist included.
    static QStringList PeripheriquesSysteme();

private:
    std::array<QString, 4> m_peripheriques;
};
