#pragma once

// A scripted HTTP server on 127.0.0.1 for what a real server does only by accident:
// dying in the middle of an answer, never answering, answering too much, redirecting
// in circles, or lacking a report. Each request goes to `Repond`, which gives the
// raw bytes to send and what to do then.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

class ServeurFactice
{
public:
    struct Requete {
        QByteArray methode;
        QByteArray chemin;
        QMap<QByteArray, QByteArray> entetes; // names in lower case
        QByteArray corps;
    };
    struct Reponse {
        QByteArray octets;
        // Sends only this many bytes, then closes the connection (-1: everything).
        qint64 coupeApres = -1;
        // Sends nothing and keeps the connection open.
        bool silence = false;
        // Repeats `octets` this many times after the first (a body that never ends).
        int repetitions = 0;
    };

    ServeurFactice() { m_serveur.listen(QHostAddress::LocalHost, 0); }

    std::function<Reponse(const Requete&)> Repond;
    std::vector<Requete> recues;
    int fermetures = 0; // connections the client closed

    QUrl Url(const QString& chemin = QStringLiteral("/")) const
    {
        return QUrl(
            QStringLiteral("http://127.0.0.1:%1%2").arg(m_serveur.serverPort()).arg(chemin));
    }

    static QByteArray Http(int statut, const QByteArray& raison, const QByteArray& corps,
                           const QList<QPair<QByteArray, QByteArray>>& entetes = {},
                           qint64 longueur = -1)
    {
        QByteArray r = "HTTP/1.1 " + QByteArray::number(statut) + ' ' + raison + "\r\n";
        for (const auto& [nom, valeur] : entetes)
            r += nom + ": " + valeur + "\r\n";
        r += "Content-Length: " + QByteArray::number(longueur >= 0 ? longueur : corps.size()) +
             "\r\n";
        r += "Connection: close\r\n\r\n" + corps;
        return r;
    }
    static QByteArray Multistatus(const QByteArray& corps, qint64 longueur = -1)
    {
        return Http(207, "Multi-Status", corps,
                    {{"Content-Type", "application/xml; charset=utf-8"}}, longueur);
    }

    bool Ecoute() const { return m_serveur.isListening(); }

    void Demarre()
    {
        QObject::connect(&m_serveur, &QTcpServer::newConnection, &m_serveur, [this] {
            while (QTcpSocket* s = m_serveur.nextPendingConnection()) {
                auto* tampon = new QByteArray;
                QObject::connect(s, &QTcpSocket::disconnected, s, [this, s, tampon] {
                    ++fermetures;
                    delete tampon;
                    s->deleteLater();
                });
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, tampon] {
                    *tampon += s->readAll();
                    Traite(s, *tampon);
                });
            }
        });
    }

private:
    void Traite(QTcpSocket* s, QByteArray& tampon)
    {
        const qsizetype fin = tampon.indexOf("\r\n\r\n");
        if (fin < 0) return;
        Requete r;
        const QList<QByteArray> lignes = tampon.left(fin).split('\n');
        const QList<QByteArray> premiere = lignes.value(0).trimmed().split(' ');
        r.methode = premiere.value(0);
        r.chemin = premiere.value(1);
        for (qsizetype i = 1; i < lignes.size(); ++i) {
            const qsizetype deux = lignes[i].indexOf(':');
            if (deux > 0)
                r.entetes.insert(lignes[i].left(deux).trimmed().toLower(),
                                 lignes[i].mid(deux + 1).trimmed());
        }
        const qsizetype longueur = r.entetes.value("content-length", "0").toLongLong();
        if (tampon.size() < fin + 4 + longueur) return;
        r.corps = tampon.mid(fin + 4, longueur);
        tampon.remove(0, fin + 4 + longueur);
        recues.push_back(r);
        const Reponse reponse = Repond ? Repond(r) : Reponse{Http(500, "Erreur", "")};
        if (reponse.silence) return;
        QByteArray octets = reponse.octets;
        if (reponse.coupeApres >= 0) {
            s->write(octets.left(reponse.coupeApres));
            s->flush();
            s->disconnectFromHost();
            return;
        }
        s->write(octets);
        if (reponse.repetitions <= 0) {
            s->disconnectFromHost();
            return;
        }
        // The rest is written as the client reads it: this thread is the client's too.
        auto restantes = std::make_shared<int>(reponse.repetitions);
        QObject::connect(s, &QTcpSocket::bytesWritten, s, [s, octets, restantes] {
            while (*restantes > 0 && s->bytesToWrite() < 1024 * 1024) {
                s->write(octets);
                --*restantes;
            }
            if (*restantes == 0) {
                *restantes = -1;
                s->disconnectFromHost();
            }
        });
    }

    QTcpServer m_serveur;
};
