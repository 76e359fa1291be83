#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads a text file line by line, a block at a time, or bytes already in memory the
// same way. A line is what comes before a line feed, without the carriage return
// that may end it; a last line without a line feed counts when it is not empty. Each
// line is copied out of the block before the next block is read.
class LecteurLignes
{
public:
    // Reads `fd` (closed by the reader) `bloc` bytes per read, and fails once more
    // than `max` bytes came (a file that grows while it is read).
    LecteurLignes(int fd, size_t bloc, int64_t max);
    // Reads `octets`, which must outlive the reader.
    explicit LecteurLignes(std::string_view octets);
    ~LecteurLignes();
    LecteurLignes(const LecteurLignes&) = delete;
    LecteurLignes& operator=(const LecteurLignes&) = delete;

    // False at the end of the file or when a read failed.
    bool Suivante(std::string& ligne);
    // Once Suivante returned false: 0 at the real end, else the error number (EFBIG
    // past the limit).
    int Erreur() const { return m_erreur; }

private:
    bool Remplit();

    int m_fd = -1;
    size_t m_bloc = 0;
    int64_t m_max = 0;
    int64_t m_lus = 0;
    std::string m_tampon;
    std::string_view m_vue;
    size_t m_position = 0;
    bool m_fin = false;
    int m_erreur = 0;
};
