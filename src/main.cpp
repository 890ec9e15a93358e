#include "startup/StartUp.h"

int main(int argc, char *argv[])
{
    return StartUp::Main(argc, argv);
}
