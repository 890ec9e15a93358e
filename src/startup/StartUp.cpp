#include "startup/StartUp.h"

namespace StartUp {
int Main(int, char *[])
{
    return 0;
}
}
