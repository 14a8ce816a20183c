// eval_expr_fuzz.cpp: arithmetic expressions of any shape.
#include "fuzz_support.h"
#include "parse/arith.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text = fuzz_text(data, size);
    volatile int32_t value = eval_expr(text.c_str());
    (void)value;
    return 0;
}
