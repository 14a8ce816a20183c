// cat on a terminal: the first end of input ends the file, as it does for a regular file.
#include "fileutil/listings.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

TEST(CatTerminal, StopsAtTheFirstEndOfInput)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    std::string name = ptsname(master);
    int terminal = open(name.c_str(), O_RDWR | O_NOCTTY); // keeps the line discipline open
    ASSERT_GE(terminal, 0);
    // In the normal mode Ctrl-D ends one read; what follows it is a later line of input. The
    // last two keep a cat that reads on past the end from waiting for ever.
    std::string typed = "x\n\x04y\n\x04\x04";
    ASSERT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    ShellContext* ctx = fresh_context();
    WordList words{name.c_str()};
    std::string out = capture_output([&] { builtin_cat(words.words(), ctx); });
    EXPECT_EQ(out, "x\n");
    close(terminal);
    close(master);
}
