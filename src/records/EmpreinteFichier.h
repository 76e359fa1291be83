#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

struct stat;

// What a file was when the program read or wrote it: its identity on the disk
// (device, inode, size, modification and change times) and a hash of its bytes.
// Compared with the disk later, it tells whether another program (or another copy
// of this one) changed the file since: the identity answers at once when nothing
// moved; when it did move but the size did not, the bytes are hashed again, so that
// a file touched or copied over with the same content is not taken for a change.
class EmpreinteFichier
{
public:
    enum class Etat {
        Inchange, // the same bytes
        Modifie,  // other bytes, or a file that can no longer be read
        Absent,   // no file of that name any more
    };

    // Invalid: nothing was read.
    EmpreinteFichier() = default;
    // Identity and hash both known.
    bool Valide() const { return m_identite && m_hache; }

    // The same file, with the same bytes: identity and hash.
    bool operator==(const EmpreinteFichier& autre) const;
    bool operator!=(const EmpreinteFichier& autre) const { return !(*this == autre); }
    bool MemeContenu(const EmpreinteFichier& autre) const;
    // The same file as far as the disk tells, bytes not compared.
    bool MemeIdentite(const EmpreinteFichier& autre) const;

    int64_t Taille() const { return m_taille; }
    // The hash of the bytes, 32 hexadecimal digits.
    QString Hachage() const;

    // Built while a file is read or written, a block at a time.
    class Calcul
    {
    public:
        Calcul();
        ~Calcul();
        Calcul(const Calcul&) = delete;
        Calcul& operator=(const Calcul&) = delete;
        // The identity of the file being read, taken before its first byte.
        void Identite(const struct stat& etat);
        void Ajoute(const char* octets, size_t taille);
        // Hashes what is left of `fd` to its end, for a reader that stopped early.
        // False on a read error.
        bool LitReste(int fd);
        // The stamp of the bytes read, with the identity given.
        EmpreinteFichier Termine();
        // The stamp of the bytes written to `chemin`, with its identity now. Invalid
        // when the file cannot be looked at.
        EmpreinteFichier Termine(const QString& chemin);

    private:
        struct Etat;
        std::unique_ptr<Etat> d;
    };

    // Reads the whole file. Invalid with the French reason when it cannot be read.
    static EmpreinteFichier DuFichier(const QString& chemin, QString* raison = nullptr,
                                      size_t bloc = size_t(1) << 20);

    // Compares with the file now at `chemin`. `actuelle` receives the file's identity
    // now, with the hash of its bytes when they had to be read (the identity changed,
    // the size did not): the caller keeps it and does not hash again at the next look,
    // or remembers which change it already told about.
    Etat Compare(const QString& chemin, EmpreinteFichier* actuelle = nullptr) const;

private:
    bool MemeIdentite(const struct stat& etat) const;
    void PrendIdentite(const struct stat& etat);

    bool m_identite = false;
    bool m_hache = false;
    uint64_t m_dev = 0;
    uint64_t m_ino = 0;
    int64_t m_taille = 0;
    int64_t m_mtime = 0; // nanoseconds
    int64_t m_ctime = 0;
    uint64_t m_haut = 0; // the 128-bit hash
    uint64_t m_bas = 0;
};
