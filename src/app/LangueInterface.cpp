#include "LangueInterface.h"

#include <QLocale>
#include <clocale>

namespace
{
const char* const Categories[] = {"LC_ALL",      "LC_NUMERIC", "LC_TIME",       "LC_MONETARY",
                                  "LC_MESSAGES", "LC_PAPER",   "LC_MEASUREMENT"};
constexpr char Francais[] = "fr_FR.UTF-8";
} // namespace

LangueInterface::LangueInterface()
{
    for (const char* categorie : Categories)
        m_avant.emplace_back(categorie, qEnvironmentVariableIsSet(categorie) ? qgetenv(categorie)
                                                                             : QByteArray());
    m_avant.emplace_back("LC_CTYPE", qEnvironmentVariableIsSet("LC_CTYPE") ? qgetenv("LC_CTYPE")
                                                                           : QByteArray());
    // LC_ALL would win over every category: its value stays for the character set.
    const QByteArray tout = qgetenv("LC_ALL");
    if (!tout.isEmpty() && !qEnvironmentVariableIsSet("LC_CTYPE")) qputenv("LC_CTYPE", tout);
    qunsetenv("LC_ALL");
    for (const char* categorie : Categories)
        if (qstrcmp(categorie, "LC_ALL") != 0) qputenv(categorie, Francais);
}

void LangueInterface::Fixe()
{
    if (m_fixe) return;
    m_fixe = true;
    (void)QLocale::system().name(); // read from the environment now, once
    std::setlocale(LC_NUMERIC, "C");
    for (const auto& [categorie, valeur] : m_avant) {
        if (valeur.isNull())
            qunsetenv(categorie);
        else
            qputenv(categorie, valeur);
    }
}
