// main.cpp: the process entry.
#include "core/startup.h"

int main(int argc, char** argv)
{
    sys_init(argc, argv);
    shell_main();
}
