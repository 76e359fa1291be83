#include "PortsModem.h"

#include "settings/Reglages.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace
{
size_t Indice(TComPort port)
{
    return static_cast<size_t>(port);
}
} // namespace

PortsModem::PortsModem()
{
    for (int i = 0; i < 4; ++i)
        m_peripheriques[size_t(i)] = ParDefaut(static_cast<TComPort>(i));
}

QString PortsModem::ParDefaut(TComPort port)
{
    return QStringLiteral("/dev/ttyS") + QString::number(static_cast<int>(port));
}

const QString& PortsModem::Peripherique(TComPort port) const
{
    return m_peripheriques[Indice(port)];
}

void PortsModem::SetPeripherique(TComPort port, const QString& peripherique)
{
    const QString propre = peripherique.trimmed();
    m_peripheriques[Indice(port)] = propre.isEmpty() ? ParDefaut(port) : propre;
}

QString PortsModem::Nom(TComPort port) const
{
    return CommandeModem::NomPort(port) + QStringLiteral(" (") + Peripherique(port) +
           QLatin1Char(')');
}

QString PortsModem::Section()
{
    return QString::fromUtf8("Ports série");
}

void PortsModem::Lit(const Reglages& reglages)
{
    for (int i = 0; i < 4; ++i) {
        const auto port = static_cast<TComPort>(i);
        SetPeripherique(
            port, reglages.ReadString(Section(), CommandeModem::NomPort(port), ParDefaut(port)));
    }
}

void PortsModem::Ecrit(Reglages& reglages) const
{
    for (int i = 0; i < 4; ++i) {
        const auto port = static_cast<TComPort>(i);
        reglages.WriteString(Section(), CommandeModem::NomPort(port), Peripherique(port));
    }
}

QStringList PortsModem::PeripheriquesSysteme()
{
    QStringList liste;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        liste << info.systemLocation();
    const QStringList motifs = {QStringLiteral("ttyS*"), QStringLiteral("ttyACM*"),
                                QStringLiteral("ttyUSB*")};
    for (const QFileInfo& f : QDir(QStringLiteral("/dev")).entryInfoList(motifs, QDir::System))
        if (!f.fileName().startsWith(QLatin1String("ttyS")) ||
            f.fileName().size() <= 5) // ttyS0..ttyS9: the many ttyS the kernel makes are noise
            liste << f.absoluteFilePath();
    for (int i = 0; i < 4; ++i) {
        const QString defaut = ParDefaut(static_cast<TComPort>(i));
        if (QFileInfo::exists(defaut)) liste << defaut;
    }
    liste.removeDuplicates();
    QCollator ordre;
    ordre.setNumericMode(true);
    std::sort(liste.begin(), liste.end(), ordre);
    return liste;
}
