// run_line_fuzz.cpp: whole command lines through line execution.
#include "core/run_line.h"
#include "fuzz_support.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_init();
    std::string line = fuzz_text(data, size);
    ShellContext* ctx = fuzz_context();
    fuzz_run([&] { run_line(line.c_str(), ctx); });
    fuzz_reset(ctx);
    return 0;
}
