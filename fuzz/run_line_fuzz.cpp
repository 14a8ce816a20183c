// run_line_fuzz.cpp: whole command lines through line execution.
#include "core/run_line.h"
#include "fuzz_support.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_init();
    std::string line = fuzz_text(data, size);
    // Loops without an end are what these built-ins are for, not faults; and loops within loops
    // multiply the work of what they run (four nested lfor loops of ten values each ran du
    // over the whole jail ten thousand times, rightly slowly).
    if (line.find("lwhile") != std::string::npos || line.find("repeat") != std::string::npos)
        return 0;
    size_t first_lfor = line.find("lfor");
    if (first_lfor != std::string::npos && line.find("lfor", first_lfor + 1) != std::string::npos)
        return 0;
    ShellContext* ctx = fuzz_context();
    try {
        run_line(line.c_str(), ctx);
    } catch (const FuzzExit&) {
    }
    fuzz_reset(ctx);
    return 0;
}
