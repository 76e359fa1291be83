#include "app/Lancement.h"

int main(int argc, char** argv)
{
    return Lancement::Execute(argc, argv, {});
}
