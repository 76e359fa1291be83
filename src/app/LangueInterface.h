#pragma once

#include <QByteArray>
#include <utility>
#include <vector>

// Qt's own dialogs (the file lists' sizes and dates, numbers) follow the system's
// locale, which Qt reads once from the environment. The program speaks French
// whatever the system's language: its locale categories read French while Qt reads
// them, then the user's environment comes back, so that the programs it starts (mail,
// browser) keep their own language. The C library keeps neutral numbers.
class LangueInterface
{
public:
    // Before the application object.
    LangueInterface();
    // Once the application object exists: the system locale is read now, the
    // environment given back.
    void Fixe();

private:
    std::vector<std::pair<const char*, QByteArray>> m_avant;
    bool m_fixe = false;
};
