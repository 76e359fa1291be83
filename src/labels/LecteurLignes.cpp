#include "LecteurLignes.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

LecteurLignes::LecteurLignes(int fd, size_t bloc, int64_t max)
    : m_fd(fd), m_bloc(std::max<size_t>(bloc, 1)), m_max(max)
{
}

LecteurLignes::LecteurLignes(std::string_view octets) : m_vue(octets), m_fin(true) {}

LecteurLignes::~LecteurLignes()
{
    if (m_fd >= 0) ::close(m_fd);
}

// Replaces the consumed block by the next one.
bool LecteurLignes::Remplit()
{
    if (m_fin) return false;
    m_tampon.resize(m_bloc);
    for (;;) {
        const ssize_t n = ::read(m_fd, m_tampon.data(), m_bloc);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) m_erreur = errno;
            m_fin = true;
            m_tampon.clear();
            m_vue = std::string_view();
            m_position = 0;
            return false;
        }
        m_lus += n;
        if (m_lus > m_max) {
            m_erreur = EFBIG;
            m_fin = true;
            return false;
        }
        m_tampon.resize(static_cast<size_t>(n));
        m_vue = m_tampon;
        m_position = 0;
        return true;
    }
}

bool LecteurLignes::Suivante(std::string& ligne)
{
    ligne.clear();
    bool entamee = false;
    for (;;) {
        const size_t fin = m_vue.find('\n', m_position);
        if (fin != std::string_view::npos) {
            ligne.append(m_vue.substr(m_position, fin - m_position));
            m_position = fin + 1;
            break;
        }
        if (m_position < m_vue.size()) {
            ligne.append(m_vue.substr(m_position));
            entamee = true;
        }
        m_position = m_vue.size();
        if (!Remplit()) {
            if (m_erreur != 0 || !entamee) return false;
            break;
        }
    }
    if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
    return true;
}
