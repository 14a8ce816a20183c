// parse_fixture.h: a fresh context, captured output and scripted keys for the parser tests.
#pragma once

#include "console/output.h"
#include "core/startup.h"
#include "parse/expand.h"
#include "parse/read_word.h"
#include "parse/variables.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

inline std::deque<int> parse_keys;
inline std::string parse_output;

inline int next_parse_key()
{
    if (parse_keys.empty())
        return -1;
    int key = parse_keys.front();
    parse_keys.pop_front();
    return key;
}

inline void capture_parse_output(const char* data, size_t size) { parse_output.append(data, size); }

class ParseTest : public ::testing::Test
{
  protected:
    ShellContext ctx{};
    std::vector<std::string> set_names;

    void SetUp() override
    {
        init_context(&ctx);
        parse_keys.clear();
        parse_output.clear();
        key_source = next_parse_key;
        output_sink = capture_parse_output;
    }
    void TearDown() override
    {
        key_source = sys_read_key;
        output_sink = sys_write_out;
        for (const std::string& name : set_names)
            sys_set_env(name.c_str(), nullptr);
        delete ctx.store;
    }
    // Sets a variable for this test only (null removes it).
    void set(const std::string& name, const char* value)
    {
        sys_set_env(name.c_str(), value);
        set_names.push_back(name);
    }
    std::string env(const char* name)
    {
        char buffer[2048];
        sys_get_env(name, buffer, sizeof buffer);
        return buffer;
    }
    // The first word of text, as split_words would read it.
    std::string word(const std::string& text)
    {
        char out[4096];
        read_word(out, sizeof out, text.c_str(), &ctx);
        EXPECT_EQ(ctx.word_end, out + std::string(out).size());
        return out;
    }
    // Every word of text, packed one after another as line execution packs them.
    std::vector<std::string> words(const std::string& text)
    {
        char area[4096];
        std::vector<std::string> list;
        char* p = area;
        for (const char* t = text.c_str(); *skip_text(t) != 0 && *skip_text(t) != '#';) {
            t = read_word(p, sizeof area - static_cast<size_t>(p - area), t, &ctx);
            list.push_back(p);
            p = ctx.word_end + 1;
        }
        return list;
    }
    std::string expand(const std::string& name_text)
    {
        // Room for the longest value and an argument behind it, as a line's word area has.
        std::vector<char> out(2 * (LONGEST_VALUE + 1));
        expand_parameter(name_text.c_str(), &ctx, out.data(), out.size());
        return out.data();
    }

  private:
    static const char* skip_text(const char* t)
    {
        while (*t != 0 && static_cast<unsigned char>(*t) <= 0x20)
            ++t;
        return t;
    }
};
