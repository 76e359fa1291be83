#pragma once

// Helpers shared by the settings tests.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace OutilsReglages
{

inline void EcritOctets(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(f.errorString()));
    QCOMPARE(f.write(octets), octets.size());
}

inline QByteArray LitOctets(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the next start would read: QSettings caches parsed files by name inside a
// process, so the file is copied under a new name and parsed afresh.
class Relecture
{
public:
    explicit Relecture(const QString& chemin)
    {
        const QString copie = m_dossier.filePath(QStringLiteral("relu.ini"));
        if (QFile::exists(chemin)) QFile::copy(chemin, copie);
        m_chemin = copie;
    }
    const QString& Chemin() const { return m_chemin; }
    QSettings& Brut()
    {
        if (!m_brut) m_brut = std::make_unique<QSettings>(m_chemin, QSettings::IniFormat);
        return *m_brut;
    }
    QStringList Cles(const QString& section)
    {
        Brut().beginGroup(section);
        QStringList cles = Brut().childKeys();
        Brut().endGroup();
        cles.sort();
        return cles;
    }

private:
    QTemporaryDir m_dossier;
    QString m_chemin;
    std::unique_ptr<QSettings> m_brut;
};

// Root ignores file permissions; while this lives, the test thread loses the
// capabilities that let it, so a read-only folder or file refuses writes to root too.
class SansPasseDroits
{
public:
    SansPasseDroits()
    {
#ifdef Q_OS_LINUX
        m_entete = {_LINUX_CAPABILITY_VERSION_3, 0};
        if (syscall(SYS_capget, &m_entete, m_avant) != 0) return;
        __user_cap_data_struct apres[2] = {m_avant[0], m_avant[1]};
        apres[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_actif = syscall(SYS_capset, &m_entete, apres) == 0;
#endif
    }
    ~SansPasseDroits()
    {
#ifdef Q_OS_LINUX
        if (m_actif) syscall(SYS_capset, &m_entete, m_avant);
#endif
    }
    // False where root keeps its way past permissions (the test is then skipped).
    bool Efficace() const
    {
#ifdef Q_OS_LINUX
        return geteuid() != 0 || m_actif;
#else
        return true;
#endif
    }

private:
#ifdef Q_OS_LINUX
    __user_cap_header_struct m_entete{};
    __user_cap_data_struct m_avant[2]{};
#endif
    bool m_actif = false;
};

} // namespace OutilsReglages
