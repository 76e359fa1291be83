#pragma once

// A real CardDAV server for the tests and the benchmark: Radicale on 127.0.0.1 at a
// free port, with htpasswd authentication (a plain users file) and its storage in a
// temporary folder, started with a deadline and stopped at the end.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <csignal>
#include <memory>

class ServeurRadicale
{
public:
    explicit ServeurRadicale(QMap<QString, QString> utilisateurs = {{"alice", "secret"},
                                                                    {"bob", "motdepasse"}})
        : m_utilisateurs(std::move(utilisateurs))
    {
    }
    ~ServeurRadicale() { Arrete(); }
    ServeurRadicale(const ServeurRadicale&) = delete;
    ServeurRadicale& operator=(const ServeurRadicale&) = delete;

    // The program and the first arguments that run Radicale; empty when it is not
    // installed.
    static QStringList Commande()
    {
        const QString radicale = QStandardPaths::findExecutable(QStringLiteral("radicale"));
        if (!radicale.isEmpty()) return {radicale};
        // The system's Python, where the Debian package puts the module.
        for (const QString& python : {QStringLiteral("/usr/bin/python3"),
                                      QStandardPaths::findExecutable(QStringLiteral("python3"))}) {
            if (python.isEmpty()) continue;
            QProcess essai;
            essai.start(python, {QStringLiteral("-c"), QStringLiteral("import radicale")});
            if (essai.waitForFinished(10000) && essai.exitCode() == 0)
                return {python, QStringLiteral("-m"), QStringLiteral("radicale")};
        }
        return {};
    }

    // Why the tests that need the server cannot run here, as a skip's reason.
    static QString Absent()
    {
        return QStringLiteral("Radicale n'est pas installé (paquet Debian radicale, installé par "
                              "scripts/setup.sh)");
    }
    // Starts `serveur`: empty when it answers, Absent() when Radicale is not installed
    // and the tests may be skipped, else why it failed. Under continuous integration
    // (CI=true) a missing Radicale is a failure: the scripts install it, and a
    // silently skipped suite would pass without testing anything.
    static QString DemarreOuExplique(ServeurRadicale& serveur)
    {
        if (Commande().isEmpty()) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                return Absent() + QStringLiteral(" : sous CI=true, c'est un échec");
            return Absent();
        }
        return serveur.Demarre();
    }

    // Serves HTTPS with this certificate and key instead of HTTP.
    void SetTls(const QString& certificat, const QString& cle)
    {
        m_certificat = certificat;
        m_cle = cle;
    }

    // Empty when the server answers; otherwise why not.
    QString Demarre(int delaiMs = 20000)
    {
        const QStringList commande = Commande();
        if (commande.isEmpty()) return QStringLiteral("Radicale n'est pas installé");
        // In memory when the system offers it: Radicale syncs every file it writes to
        // the disk, 20 ms each here, which would make a test of a thousand cards last
        // minutes without testing anything more.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            m_dossier =
                std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/carnet-radicale-XXXXXX"));
        if (!m_dossier || !m_dossier->isValid()) m_dossier = std::make_unique<QTemporaryDir>();
        if (!m_dossier->isValid()) return QStringLiteral("pas de dossier temporaire");
        QFile utilisateurs(m_dossier->filePath(QStringLiteral("utilisateurs")));
        if (!utilisateurs.open(QIODevice::WriteOnly))
            return QStringLiteral("fichier des utilisateurs");
        for (auto it = m_utilisateurs.cbegin(); it != m_utilisateurs.cend(); ++it)
            utilisateurs.write(
                (it.key() + QLatin1Char(':') + it.value() + QLatin1Char('\n')).toUtf8());
        utilisateurs.close();
        QString pourquoi;
        // The port is free when chosen; another program may take it before Radicale
        // binds it, hence a few tries.
        for (int essai = 0; essai < 3; ++essai) {
            pourquoi = Lance(commande, delaiMs);
            if (pourquoi.isEmpty()) return QString();
            Arrete();
        }
        return pourquoi;
    }

    // Starts again after Tue or Arrete, on the same port and with the same storage,
    // as a server back after a crash.
    QString Redemarre(int delaiMs = 20000)
    {
        Arrete();
        const QStringList commande = Commande();
        if (commande.isEmpty() || !m_dossier) return QStringLiteral("pas de serveur à redémarrer");
        return Lance(commande, delaiMs, m_port);
    }

    QUrl Url() const
    {
        return QUrl(
            QStringLiteral("%1://127.0.0.1:%2/")
                .arg(m_certificat.isEmpty() ? QStringLiteral("http") : QStringLiteral("https"))
                .arg(m_port));
    }
    int Port() const { return m_port; }
    QString Stockage() const
    {
        return m_dossier ? m_dossier->filePath(QStringLiteral("collections")) : QString();
    }
    qint64 Pid() const { return m_processus ? m_processus->processId() : 0; }
    QString Journal() const { return m_journal; }
    bool Actif() const { return m_processus && m_processus->state() == QProcess::Running; }

    // Killed at once, as by a crash or a pulled plug.
    void Tue()
    {
        if (Actif()) ::kill(static_cast<pid_t>(m_processus->processId()), SIGKILL);
        if (m_processus) m_processus->waitForFinished(5000);
    }

    void Arrete()
    {
        if (!m_processus) return;
        if (m_processus->state() != QProcess::NotRunning) {
            m_processus->terminate();
            if (!m_processus->waitForFinished(5000)) {
                m_processus->kill();
                m_processus->waitForFinished(5000);
            }
        }
        m_journal += QString::fromUtf8(m_processus->readAllStandardError());
        m_processus.reset();
    }

private:
    static int PortLibre()
    {
        QTcpServer essai;
        if (!essai.listen(QHostAddress::LocalHost, 0)) return 0;
        return essai.serverPort();
    }

    QString Lance(const QStringList& commande, int delaiMs, int port = 0)
    {
        m_port = port ? port : PortLibre();
        if (m_port == 0) return QStringLiteral("aucun port libre");
        const QString config = m_dossier->filePath(QStringLiteral("config"));
        QFile f(config);
        if (!f.open(QIODevice::WriteOnly)) return QStringLiteral("configuration non écrite");
        QString texte = QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n").arg(m_port);
        if (!m_certificat.isEmpty())
            texte +=
                QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n").arg(m_certificat, m_cle);
        texte += QStringLiteral("[auth]\ntype = htpasswd\nhtpasswd_filename = %1\n"
                                "htpasswd_encryption = plain\ndelay = 0\n"
                                "[rights]\ntype = owner_only\n"
                                "[storage]\nfilesystem_folder = %2\n"
                                "[web]\ntype = none\n"
                                "[logging]\nlevel = warning\n")
                     .arg(m_dossier->filePath(QStringLiteral("utilisateurs")), Stockage());
        f.write(texte.toUtf8());
        f.close();
        m_processus = std::make_unique<QProcess>();
        QStringList arguments = commande.mid(1);
        arguments << QStringLiteral("--config") << config;
        m_processus->setProcessChannelMode(QProcess::SeparateChannels);
        m_processus->setStandardOutputFile(QProcess::nullDevice());
        m_processus->start(commande.first(), arguments);
        if (!m_processus->waitForStarted(delaiMs))
            return QStringLiteral("Radicale ne démarre pas : ") + m_processus->errorString();
        const QDeadlineTimer limite(delaiMs);
        while (!limite.hasExpired()) {
            if (m_processus->state() == QProcess::NotRunning) {
                m_journal += QString::fromUtf8(m_processus->readAllStandardError());
                return QStringLiteral("Radicale s'est arrêté au démarrage : ") + m_journal;
            }
            QTcpSocket sonde;
            sonde.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(m_port));
            if (sonde.waitForConnected(200)) return QString();
            QThread::msleep(50);
        }
        return QStringLiteral("Radicale ne répond pas sur le port %1 après %2 ms")
            .arg(m_port)
            .arg(delaiMs);
    }

    QMap<QString, QString> m_utilisateurs;
    QString m_certificat;
    QString m_cle;
    std::unique_ptr<QTemporaryDir> m_dossier;
    std::unique_ptr<QProcess> m_processus;
    QString m_journal;
    int m_port = 0;
};
