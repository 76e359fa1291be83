#pragma once

#include <QSet>
#include <QString>
#include <memory>

class QSettings;
class QTemporaryDir;

// The per-user settings store: named sections of named text values. Integers are
// stored as decimal text, flags as "1"/"0". Every reader supplies its default,
// which a missing value, a value that does not convert, or a value that is not
// text (a hand-edited file can hold what Qt reads as a list) gives back.
class Reglages
{
public:
    // The store at an explicit file path (tests point it at a temporary folder).
    explicit Reglages(const QString& chemin);
    ~Reglages();

    // Settings name from the program file's path: the extension (text from the last
    // "." after the last "\", "/" or ":") replaced by ".ini", the folder dropped.
    static QString NomReglages(const QString& cheminProgramme);
    // $XDG_CONFIG_HOME (the generic config location) + "/" + NomReglages(program).
    static QString CheminParDefaut(const QString& cheminProgramme);

    QString ReadString(const QString& section, const QString& cle, const QString& defaut) const;
    int ReadInteger(const QString& section, const QString& cle, int defaut) const;
    bool ReadBool(const QString& section, const QString& cle, bool defaut) const;
    void WriteString(const QString& section, const QString& cle, const QString& valeur);
    void WriteInteger(const QString& section, const QString& cle, int valeur);
    void WriteBool(const QString& section, const QString& cle, bool valeur);
    void ClearSection(const QString& section);

    // Flushes to disk; false with a French reason when the store could not be written.
    bool Enregistre(QString* raison = nullptr);
    QString Chemin() const;

    // Why the file was not read (not a regular file, or far too large): the store
    // then starts from the defaults and is never written over that file. Empty when
    // the file was read or did not exist.
    const QString& Refus() const { return m_refus; }

    // The largest settings file read.
    static constexpr qint64 TailleMax = 16 * 1024 * 1024;

private:
    bool DisqueConforme() const;
    QString RaisonEchec() const;

    QString m_chemin;
    QString m_refus;
    std::unique_ptr<QTemporaryDir> m_vide;
    std::unique_ptr<QSettings> m_settings;
    QSet<QString> m_ecrites;
};
