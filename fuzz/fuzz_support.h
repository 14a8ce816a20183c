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

// While one lives, a watchdog raises the shell's interrupt once the input has run past its
// time (VREL_FUZZ_INPUT_MS, 1000 unless set); its end takes the interrupt back. A loop that
// never ends is what some built-ins are for, so it is bounded the way a user bounds it.
struct FuzzWatch {
    FuzzWatch();
    ~FuzzWatch();
    FuzzWatch(const FuzzWatch&) = delete;
    FuzzWatch& operator=(const FuzzWatch&) = delete;
};

// Runs one input's work under the watchdog; `exit` and the interrupt both end it normally.
// A loop that never looks at the interrupt still runs on, into libFuzzer's own time-out.
template <typename Work> void fuzz_run(Work work)
{
    FuzzWatch watch;
    try {
        work();
    } catch (const FuzzExit&) {
    } catch (const Interrupt&) {
    }
}
