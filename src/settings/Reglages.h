#pragma once

#include <QString>
#include <memory>

class QSettings;

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

private:
    bool DisqueConforme() const;
    QString RaisonEchec() const;

    std::unique_ptr<QSettings> m_settings;
};
