#pragma once

#include <QValidator>

// Refuses any input holding a character Windows-1252 cannot store, so that the
// edit keeps its former text, and reports the character. In a single-line field
// typed or pasted line breaks become spaces.
class ValidateurCp1252 : public QValidator
{
    Q_OBJECT
public:
    explicit ValidateurCp1252(bool ligneUnique, QObject* parent = nullptr);

    State validate(QString& texte, int& position) const override;

    // While suspended (the program shows a record) every text passes unchanged.
    void SetSuspendu(bool suspendu) { m_suspendu = suspendu; }

    // The notice shown to the user for a refused character.
    static QString MessageRefus(const QString& caractere);
    // Line breaks (CR LF, CR, LF, U+2028, U+2029) as single spaces.
    static QString SansSautsDeLigne(const QString& texte);

signals:
    void CaractereRefuse(const QString& caractere) const;

private:
    bool m_ligneUnique;
    bool m_suspendu = false;
};
