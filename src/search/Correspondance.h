#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

// The matching rule shared by every search: only the letters a to z are folded to
// upper case; every other byte, accented letters included, must be equal. Works in
// place on Windows-1252 bytes, without allocating.
class Correspondance
{
public:
    // True when `texte` occurs in `cellule` under the rule; an empty text matches nothing.
    static bool MatchText(std::string_view texte, std::string_view cellule)
    {
        return Position(texte, cellule) >= 0;
    }
    // Offset of the first occurrence, or -1.
    static std::ptrdiff_t Position(std::string_view texte, std::string_view cellule);

    static char Majuscule(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
    // The same rule on the texts of the history lists, which are Unicode.
    static QChar Majuscule(QChar c)
    {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') ? QChar(static_cast<char16_t>(u - 32)) : c;
    }
    static bool Egaux(const QString& a, const QString& b);
    // `debut` is the beginning of `texte` under the rule (an empty `debut` always is).
    static bool CommencePar(const QString& texte, const QString& debut);
};
