// show_arguments.cpp: vrel_show_arguments.exe, which writes the arguments it was given (tests).
//
// Each argument after the program's name, as the C runtime cut them from its command line, is
// written to standard output in UTF-8 and ended by a NUL byte.
#include <windows.h>

static char text[3 * 32768];

int wmain(int argc, wchar_t** argv)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (int i = 1; i < argc; ++i) {
        int length =
            WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, text, sizeof text, nullptr, nullptr);
        DWORD written;
        if (length <= 0 || !WriteFile(out, text, static_cast<DWORD>(length), &written, nullptr))
            return 1;
    }
    return 0;
}
