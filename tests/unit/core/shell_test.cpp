// Checks the layout that every part of the shell relies on.
#include "core/shell.h"

#include <gtest/gtest.h>

#include <cstddef>

TEST(FunctionStore, FieldsLieInTheirOrder)
{
    EXPECT_EQ(offsetof(FunctionStore, history_oldest), 8u);
    EXPECT_EQ(offsetof(FunctionStore, definitions), 16u);
    EXPECT_EQ(offsetof(FunctionStore, history_ring), 16u + 4080u);
    EXPECT_EQ(offsetof(FunctionStore, key_actions), 16u + 4080u + 1024u);
}
