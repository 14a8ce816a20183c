// main.cpp: the process entry.
#include "core/startup.h"
#include "parse/char_class.h"

int main(int argc, char** argv)
{
    sys_init(argc, argv);
    use_system_code_page();
    shell_main();
}
