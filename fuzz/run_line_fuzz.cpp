// run_line_fuzz.cpp: whole command lines through line execution.
#include "core/run_line.h"
#include "fuzz_support.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_init();
    std::string line = fuzz_text(data, size);
    // Loops without an end are what these built-ins are for, not faults.
    if (line.find("lwhile") != std::string::npos || line.find("repeat") != std::string::npos)
        return 0;
    ShellContext* ctx = fuzz_context();
    try {
        run_line(line.c_str(), ctx);
    } catch (const FuzzExit&) {
    }
    fuzz_reset(ctx);
    return 0;
}
