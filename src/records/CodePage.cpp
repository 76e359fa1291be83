#include "CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>

namespace
{

// The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) are
// mapped to the C1 controls of the same value, as Windows itself does, so that
// every byte of a file survives a trip through an edit box.
bool IndefiniDansCp1252(unsigned char c)
{
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

struct Tables {
    std::array<char16_t, 256> versUnicode{};
    bool valide = false;
    Tables()
    {
        QStringDecoder decodeur("windows-1252");
        if (!decodeur.isValid()) return;
        for (int i = 0; i < 256; ++i) {
            const char octet = static_cast<char>(i);
            const QString s = decodeur.decode(QByteArrayView(&octet, 1));
            if (IndefiniDansCp1252(static_cast<unsigned char>(i)) || s.size() != 1 ||
                s.at(0) == QChar::ReplacementCharacter)
                versUnicode[i] = static_cast<char16_t>(i);
            else
                versUnicode[i] = s.at(0).unicode();
            decodeur.resetState();
        }
        valide = true;
    }
};

const Tables& LesTables()
{
    static const Tables tables;
    return tables;
}

// Unicode → Windows-1252 for the 32 characters of 0x80–0x9F; below 0x80 and in
// 0xA0–0xFF the code is the character itself.
int CodeWindows1252(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
    const auto& t = LesTables().versUnicode;
    for (int i = 0x80; i < 0xA0; ++i)
        if (t[i] == u) return i;
    return -1;
}

} // namespace

bool CodePage::Disponible()
{
    return LesTables().valide;
}

QString CodePage::VersUnicode(std::string_view octets)
{
    const auto& t = LesTables().versUnicode;
    QString s(static_cast<qsizetype>(octets.size()), Qt::Uninitialized);
    QChar* d = s.data();
    for (unsigned char c : octets)
        *d++ = QChar(t[c]);
    return s;
}

bool CodePage::VersWindows1252(const QString& texte, std::string& resultat)
{
    std::string r;
    r.reserve(static_cast<size_t>(texte.size()));
    for (QChar ch : texte) {
        const int code = CodeWindows1252(ch.unicode());
        if (code < 0) return false;
        r.push_back(static_cast<char>(code));
    }
    resultat = std::move(r);
    return true;
}

bool CodePage::Representable(const QString& texte)
{
    return PremierCaractereRefuse(texte).isEmpty();
}

QString CodePage::PremierCaractereRefuse(const QString& texte)
{
    for (qsizetype i = 0; i < texte.size(); ++i) {
        if (CodeWindows1252(texte.at(i).unicode()) < 0) {
            // A surrogate pair is one character to the user.
            if (texte.at(i).isHighSurrogate() && i + 1 < texte.size()) return texte.mid(i, 2);
            return texte.mid(i, 1);
        }
    }
    return {};
}

std::string CodePage::Octets(const QString& texte)
{
    std::string r;
    VersWindows1252(texte, r);
    return r;
}
