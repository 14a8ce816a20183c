// win32_scratch.h: a fresh scratch directory, made current, for the Windows layer's tests.
#pragma once

#include "platform/platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

class Win32Scratch : public testing::Test
{
  protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, saved_directory);
        GetTempPathA(MAX_PATH, temp);
        // A new name each time: a child a test did not wait for may still sit in the last one.
        static int count;
        directory = std::string(temp) + "vrel-win32-" + std::to_string(GetCurrentProcessId()) +
                    "-" + std::to_string(++count);
        ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
        ASSERT_TRUE(SetCurrentDirectoryA(directory.c_str()));
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(saved_directory);
        remove_tree(directory);
    }
    static void remove_tree(const std::string& path)
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
        while (search != INVALID_HANDLE_VALUE) {
            std::string name = found.cFileName, full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA(full.c_str());
            else if (name != "." && name != "..")
                remove_tree(full);
            if (!FindNextFileA(search, &found))
                break;
        }
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        RemoveDirectoryA(path.c_str());
    }
    static void put_file(const char* name, const std::string& text)
    {
        HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    static std::string file_text(const char* name)
    {
        HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        std::string text;
        char block[4096];
        DWORD got;
        while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
            text.append(block, got);
        CloseHandle(file);
        return text;
    }

    char saved_directory[MAX_PATH];
    std::string directory;
};
