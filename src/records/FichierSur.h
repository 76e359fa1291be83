#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <memory>
#include <vector>

// Writes a whole file atomically: the bytes go to a temporary file beside the
// target, are forced to the disk, take the old file's owner, group and mode, then
// replace it by a rename, and the folder is synced so the rename survives a power
// cut. A failure (full disk, quota, read-only folder, size limit) leaves the
// previous file as it was and no temporary file behind.
class FichierSur
{
public:
    // Empty on success; otherwise the system's reason in French.
    static QString Ecrit(const QString& chemin, const char* octets, size_t taille);

    // For writers that need a file name of their own (a PDF printer): creates an
    // empty temporary file beside `chemin` and returns its path; on failure returns
    // an empty path and the French reason in `raison`.
    static QString Temporaire(const QString& chemin, QString* raison);
    // Puts a finished temporary file in place of `chemin`, with the same durability
    // as Ecrit. On failure the temporary file is removed and the reason returned.
    static QString Remplace(const QString& temporaire, const QString& chemin);
    // Removes a temporary file whose writing was abandoned.
    static void Abandonne(const QString& temporaire);

    // A lock file: `octets` written and synced like any other file, given the mode
    // 0644 (every user who sees the folder can tell who holds it), then put in place
    // only when no file of that name exists, or over the one there when `remplace`.
    // A write lock (fcntl) is taken on it before its name appears, so that no other
    // copy of the program ever sees it unlocked while its writer lives. Returns the
    // descriptor, which the caller keeps open for as long as it holds the lock
    // (closing it releases the fcntl lock), or -1 with the error number in `erreur`
    // (EEXIST: a file of that name is there). `verrouille`: the file system granted
    // the fcntl lock.
    static int EcritVerrou(const QString& chemin, const QByteArray& octets, bool remplace,
                           int* erreur, bool* verrouille);

    // Set when the last successful replacement could not keep the old file's owner
    // or group (the system refused it): the caller may tell the user.
    static bool ProprietairePerdu();
};

// The same safe write, for a file produced a block at a time. Nothing replaces the
// target until Termine succeeds; a writer dropped before that leaves no trace.
class EcritureSure
{
public:
    explicit EcritureSure(const QString& chemin);
    ~EcritureSure();
    EcritureSure(const EcritureSure&) = delete;
    EcritureSure& operator=(const EcritureSure&) = delete;

    // False once a write failed; later writes are ignored and Termine reports why.
    bool Ecrit(const char* octets, size_t taille);
    // Empty on success; otherwise the system's reason in French.
    QString Termine();

private:
    friend class EcritureGroupee;
    QByteArray m_cible;
    QByteArray m_temporaire;
    int m_fd = -1;
    int m_erreur = 0;
};

// Files that belong together, replaced together or not at all (the label catalogue's
// two files and their backups). Each file is written to a temporary file of its own
// through an EcritureSure; Termine forces every one to the disk and only then puts
// them in place, one rename each. Should a write, a sync or a rename fail, the files
// already replaced get their previous content back and the temporary files go:
// either every file of the group changes, or none does.
class EcritureGroupee
{
public:
    EcritureGroupee();
    ~EcritureGroupee();
    EcritureGroupee(const EcritureGroupee&) = delete;
    EcritureGroupee& operator=(const EcritureGroupee&) = delete;

    // A file of the group, written through the returned writer (never Termine'd by
    // the caller); files are put in place in the order they were added.
    EcritureSure& Fichier(const QString& chemin);
    // A file the group removes, if it exists, when the others are put in place.
    void Retire(const QString& chemin);
    // Empty on success; otherwise the French reason, naming the file, and no file of
    // the group has changed.
    QString Termine();

    // For the tests: the n-th file put in place (from 1) fails as a refused rename
    // would, in the next Termine only.
    static void EchecAuRemplacement(int n);

private:
    struct Element {
        std::unique_ptr<EcritureSure> ecriture; // null for a removal
        QByteArray cible;                       // the file replaced or removed
        QString chemin;                         // as the caller named it, for messages
    };
    std::vector<Element> m_elements;
    bool m_termine = false;
};
