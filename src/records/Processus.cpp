#include "Processus.h"

#include <csignal>

void Processus::Prepare()
{
    std::signal(SIGXFSZ, SIG_IGN);
}
