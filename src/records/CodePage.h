#pragma once

#include <QString>
#include <string>
#include <string_view>

// Windows-1252 is the code page of every .REP file and of every cell in memory.
// Conversion happens only at the boundary with Qt's Unicode strings.
class CodePage
{
public:
    static QString VersUnicode(std::string_view octets);
    // Returns false, leaving `resultat` untouched, when a character has no
    // Windows-1252 code: such text is refused, never silently altered.
    static bool VersWindows1252(const QString& texte, std::string& resultat);
    static bool Representable(const QString& texte);
    // First character of `texte` that Windows-1252 cannot hold, or an empty string.
    static QString PremierCaractereRefuse(const QString& texte);
    // For literals of the program's own, which are always representable.
    static std::string Octets(const QString& texte);
    static bool Disponible();
};
