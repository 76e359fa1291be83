#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The advisory lock of a book open for editing, seen by every copy of the program
// that opens the same book: a small file beside it, ".~carnet.<name>.lock", saying
// who holds the book (user, computer, process, since when), written through
// FichierSur, with a write lock (fcntl) on that file for as long as the book stays
// open where the file system grants one. The fcntl lock is what tells a live holder
// from a copy that ended without releasing it (a crash, a power cut): on the same
// computer, a lock file nobody holds, or whose process is gone, is taken over
// silently; one written on another computer is reported with its age, since
// nothing here can tell whether its process still lives there.
class VerrouRepertoire
{
public:
    struct Detenteur {
        bool connu = false; // false: the lock file could not be read or understood
        QString utilisateur;
        QString nomComplet; // from the user account, may be empty
        QString hote;
        qint64 pid = 0;
        QDateTime depuis; // UTC; for an unknown holder, the lock file's date
    };

    enum class Issue {
        Pris,       // this copy holds the lock now
        Occupe,     // another copy holds it (or may hold it, from another computer)
        Impossible, // no lock file can be written there (read-only folder...)
    };

    struct Resultat {
        Issue issue = Issue::Impossible;
        Detenteur detenteur;          // Occupe: who holds it
        bool autreOrdinateur = false; // Occupe: held from another computer
        bool repris = false;          // Pris: a lock left by an ended copy was taken over
        int erreur = 0;               // Impossible: the system's error number
    };

    VerrouRepertoire() = default;
    ~VerrouRepertoire();
    VerrouRepertoire(VerrouRepertoire&& autre) noexcept;
    VerrouRepertoire& operator=(VerrouRepertoire&& autre) noexcept;
    VerrouRepertoire(const VerrouRepertoire&) = delete;
    VerrouRepertoire& operator=(const VerrouRepertoire&) = delete;

    // Takes the lock of the book at `livre` (which need not exist yet). A lock held
    // for another book is released first; the same book's is kept.
    Resultat Prend(const QString& livre);
    // Removes the lock file (when it is still the one this copy wrote) and releases
    // the fcntl lock. Nothing when no lock is held.
    void Libere();

    bool Detenu() const { return m_fd >= 0; }
    // The book whose lock is held, as given to Prend; empty when none is held.
    const QString& Livre() const { return m_livre; }
    // The lock file in place is still the one this copy wrote (nobody removed it).
    bool Intact() const;
    // The fcntl lock was granted (false on a file system without one).
    bool VerrouSysteme() const { return m_verrouSysteme; }

    // The lock file of a book: beside the file the path finally names.
    static QString CheminVerrou(const QString& livre);
    // Whoever this copy of the program is.
    static Detenteur Moi();
    // The lock file's text, and the holder it names (connu false when unreadable).
    static QByteArray Contenu(const Detenteur& d);
    static Detenteur Analyse(const QByteArray& contenu);
    // "jean (Jean Dupont), sur l'ordinateur « pc-accueil », depuis le 12/03/2025 à
    // 10:42", with the age added when `avecAge` ("(il y a 3 jours)").
    static QString Description(const Detenteur& d, const QDateTime& maintenant, bool avecAge);
    // "il y a 3 jours"; empty for a time in the future (clocks differ).
    static QString Age(const QDateTime& depuis, const QDateTime& maintenant);

private:
    struct Examen;
    static Examen Examine(const QByteArray& chemin);
    void Adopte(int fd, bool verrouSysteme, const QString& livre, const QByteArray& chemin);

    int m_fd = -1;
    bool m_verrouSysteme = false;
    QString m_livre;
    QByteArray m_chemin; // the lock file
};
