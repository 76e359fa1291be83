#pragma once

// A pseudo-terminal standing in for a modem: the dialer opens its slave side by path,
// the test reads what was written from the master side.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

struct Pty {
    int maitre = -1;
    int esclave = -1; // held open so that what was written stays readable
    QString chemin;

    Pty()
    {
        char nom[256] = {};
        if (openpty(&maitre, &esclave, nom, nullptr, nullptr) != 0) return;
        chemin = QString::fromLocal8Bit(nom);
        termios t;
        tcgetattr(esclave, &t);
        cfmakeraw(&t);
        tcsetattr(esclave, TCSANOW, &t);
        fcntl(maitre, F_SETFL, fcntl(maitre, F_GETFL) | O_NONBLOCK);
    }
    ~Pty()
    {
        if (esclave >= 0) close(esclave);
        if (maitre >= 0) close(maitre);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Valide() const { return maitre >= 0 && !chemin.isEmpty(); }

    // Everything written so far: reads until nothing more comes for a short while.
    QByteArray Lit(int silenceMs = 100)
    {
        QByteArray lu;
        for (;;) {
            pollfd p{maitre, POLLIN, 0};
            if (poll(&p, 1, silenceMs) <= 0 || !(p.revents & POLLIN)) break;
            char bloc[4096];
            const ssize_t n = read(maitre, bloc, sizeof bloc);
            if (n <= 0) break;
            lu.append(bloc, n);
        }
        return lu;
    }

    // Fills the terminal's buffer from the slave side until it takes no more, so that
    // the next writer blocks.
    void Remplit()
    {
        const int drapeaux = fcntl(esclave, F_GETFL);
        fcntl(esclave, F_SETFL, drapeaux | O_NONBLOCK);
        const QByteArray bloc(1024, 'x');
        QElapsedTimer chrono;
        chrono.start();
        while (chrono.elapsed() < 2000) {
            const ssize_t n = write(esclave, bloc.constData(), size_t(bloc.size()));
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        }
        fcntl(esclave, F_SETFL, drapeaux);
    }
};
