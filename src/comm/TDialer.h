#pragma once

#include "comm/CommandeModem.h"
#include "comm/PortsModem.h"

#include <QObject>
#include <string>

class QWidget;

// Dials a number through a modem on a serial port: asks for confirmation, sends the
// dial command, asks the user to pick up the handset, then hangs the modem up so the
// call goes on with the handset. Every outcome is told in a message box. Knows
// nothing of the address book.
class TDialer : public QObject
{
    Q_OBJECT
public:
    explicit TDialer(QWidget* fenetre = nullptr);

    TComPort ComPort = TComPort::dpCOM3;
    bool Confirm = true;
    std::string NumberToDial; // Windows-1252
    TMethod Method = TMethod::dmTone;
    TLanguage Language = TLanguage::dlEnglish;
    // Longest wait for the port to take a command.
    int DelaiEcriture = 3000;

    PortsModem& Ports() { return m_ports; }
    const PortsModem& Ports() const { return m_ports; }

    enum class Issue { Refuse, Annule, PortIndisponible, Echec, Numerote };
    Issue Dial();

private:
    QWidget* m_fenetre;
    PortsModem m_ports;
};
