// console_fixture.h: scripted keys and captured output for the console tests.
#pragma once

#include "console/output.h"
#include "core/startup.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

// Keys waiting to be read and every byte written, through the console's test hooks.
inline std::deque<int> scripted_keys;
inline std::string captured_output;

// A scripted "key" that is not read: the output so far is thrown away there.
constexpr int CLEAR_OUTPUT = -3;

inline int next_scripted_key()
{
    for (;;) {
        if (scripted_keys.empty())
            return -1;
        int key = scripted_keys.front();
        scripted_keys.pop_front();
        if (key != CLEAR_OUTPUT)
            return key;
        captured_output.clear();
    }
}

inline void capture_output(const char* data, size_t size) { captured_output.append(data, size); }

// The names a directory search delivers for pattern, in its own order (the order completion
// shows them in; sorted on POSIX, the file system's on Windows).
inline std::vector<std::string> search_order(const std::string& pattern)
{
    std::vector<std::string> names;
    FindData entry;
    SearchOwner search(sys_find_first(pattern.c_str(), &entry));
    for (bool found = search.search != nullptr; found; found = sys_find_next(search.search, &entry))
        names.push_back(entry.cFileName);
    return names;
}

class ConsoleTest : public ::testing::Test
{
  protected:
    ShellContext ctx{};

    void SetUp() override
    {
        init_context(&ctx);
        scripted_keys.clear();
        captured_output.clear();
        key_source = next_scripted_key;
        output_sink = capture_output;
        screen_sink = capture_output;
        interrupted = 0;
    }
    void TearDown() override
    {
        key_source = sys_read_key;
        output_sink = sys_write_out;
        screen_sink = sys_write_screen;
        interrupted = 0;
        delete ctx.store;
    }
    // Queues the bytes of text as keys.
    void type(const std::string& text)
    {
        for (unsigned char c : text)
            scripted_keys.push_back(c);
    }
    void press(std::initializer_list<int> keys)
    {
        for (int key : keys)
            scripted_keys.push_back(key);
    }
    std::string take_output()
    {
        std::string out = captured_output;
        captured_output.clear();
        return out;
    }
};
