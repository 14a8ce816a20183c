// fuzz_support.h: the common ground of the fuzz targets.
#pragma once

#include "core/shell.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Thrown by the exit hook so that `exit` ends one input, not the fuzzer.
struct FuzzExit {
};

// Once per process: locks the process into the jail directory named by VREL_FUZZ_JAIL (it
// runs commands that may remove files), silences output, switches program starts off.
void fuzz_init();
// A fresh context for one input.
ShellContext* fuzz_context();
// Puts the process back as it was before the input: directory, environment, open pipe.
void fuzz_reset(ShellContext* ctx);
// The input as a NUL-terminated line, cut at its first NUL byte.
std::string fuzz_text(const uint8_t* data, size_t size);

// While one lives, the shell's interrupt is raised at the input's N-th interrupt check
// (VREL_FUZZ_INPUT_CHECKS, 2000 unless set): lines, loop passes and writes are counted, so an
// endless loop ends after the same steps on any machine, in milliseconds. A loop that never ends
// is what some built-ins are for, so it is bounded the way a user bounds it. Its end takes the
// count and the interrupt back.
struct FuzzBudget {
    FuzzBudget();
    ~FuzzBudget();
    FuzzBudget(const FuzzBudget&) = delete;
    FuzzBudget& operator=(const FuzzBudget&) = delete;
};

// Runs one input's work within the budget; `exit` and the interrupt both end it normally.
// A loop that never looks at the interrupt still runs on, into libFuzzer's own time-out.
template <typename Work> void fuzz_run(Work work)
{
    FuzzBudget budget;
    try {
        work();
    } catch (const FuzzExit&) {
    } catch (const Interrupt&) {
    }
}
