#pragma once

// Files as the tests write and read them, whole, and the process's file-size limit
// lowered for one test.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>
#include <sys/resource.h>

namespace OutilsFichiers
{

// What a failed read gives, told apart from an empty file.
inline const QByteArray Absent = "<absent>";

inline void EcritOctets(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(chemin));
    QCOMPARE(f.write(octets), octets.size());
}

inline QByteArray LitOctets(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : Absent;
}

// A write past the limit fails with EFBIG as on a full disk (the tests' set-up
// ignores SIGXFSZ). The limit comes back when the object goes.
class LimiteTaille
{
public:
    explicit LimiteTaille(rlim_t octets)
    {
        getrlimit(RLIMIT_FSIZE, &m_avant);
        rlimit r = m_avant;
        r.rlim_cur = octets;
        m_ok = setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~LimiteTaille() { setrlimit(RLIMIT_FSIZE, &m_avant); }
    LimiteTaille(const LimiteTaille&) = delete;
    LimiteTaille& operator=(const LimiteTaille&) = delete;
    bool Ok() const { return m_ok; }

private:
    rlimit m_avant{};
    bool m_ok = false;
};

} // namespace OutilsFichiers
