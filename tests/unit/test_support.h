// test_support.h: a fresh shell context and captured output for unit tests.
#pragma once

#include "core/shell.h"
#include "parse/char_class.h"

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// A word list as line execution makes it: writable words and a null-terminated list.
struct WordList {
    std::vector<std::vector<char>> text;
    std::vector<char*> list;
    WordList(std::initializer_list<const char*> words)
    {
        for (const char* w : words)
            text.emplace_back(w, w + std::strlen(w) + 1);
        for (auto& t : text)
            list.push_back(t.data());
        list.push_back(nullptr);
    }
    char** words() { return list.data(); }
};

// The process's one context, reset to its start values (the function store is reused).
ShellContext* fresh_context();
// Runs work and returns what it wrote to standard output.
std::string capture_output(const std::function<void()>& work);
// Writes text to a new file of that name in the current directory.
void write_file(const std::string& name, const std::string& text);

// Puts the text rules of one code page in force for a test, and the previous ones back after.
struct CodePageScope {
    uint8_t saved_table[sizeof char_class];
    uint32_t saved_number;
    explicit CodePageScope(uint32_t number, const uint8_t* lead_ranges = nullptr)
    {
        std::memcpy(saved_table, char_class, sizeof char_class);
        saved_number = text_code_page;
        set_code_page(number, lead_ranges);
    }
    CodePageScope(const CodePageScope&) = delete;
    CodePageScope& operator=(const CodePageScope&) = delete;
    ~CodePageScope()
    {
        std::memcpy(char_class, saved_table, sizeof char_class);
        text_code_page = saved_number;
    }
};
