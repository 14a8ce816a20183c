// history_file.cpp: the history file: loaded at the interactive start, one append per line
// accepted at the prompt, and kept to its size limit without losing another shell's lines.
#include "console/history_file.h"

#include "console/history.h"
#include "console/output.h"
#include "parse/strings.h"
#include "parse/variables.h"

#include <cstring>

constexpr size_t FILE_BLOCK_SIZE = 16384;
constexpr size_t FILE_LINE_SIZE = 4 * HISTORY_LINE_SIZE; // a line in UTF-8, from any code page

static char history_path[HISTORY_PATH_SIZE]; // empty: lines stay in memory
static char lock_path[HISTORY_PATH_SIZE + 8];
static uint64_t size_limit = HISTORY_FILE_LIMIT;
static bool failure_shown; // one message per session is enough

// Whether the environment holds the variable at all, empty or not.
struct SetSearch {
    const char* prefix;
    bool found;
};

static void find_entry(const char* entry, void* data)
{
    auto* search = static_cast<SetSearch*>(data);
    if (prefix_of(search->prefix, entry) == 0)
        search->found = true;
}

static bool variable_set(const char* prefix)
{
    SetSearch search{prefix, false};
    sys_for_each_env(find_entry, &search);
    return search.found;
}

// Makes every missing folder above the file; failures show when the file is written.
static void make_folders(const char* path)
{
    char folder[HISTORY_PATH_SIZE];
    copy_bounded(folder, path, sizeof folder);
    for (char* p = folder + 1; *p; ++p) {
        bool separator = *p == '/' || (PLATFORM_DOS_SEPARATORS && *p == '\\');
        if (!separator || p[-1] == ':' || p[-1] == '/' || p[-1] == '\\')
            continue;
        *p = 0;
        if (sys_get_attributes(folder) == ATTR_INVALID)
            sys_make_directory(folder);
        *p = path[p - folder];
    }
}

static void show_failure(const char* what)
{
    if (failure_shown)
        return;
    failure_shown = true;
    out_system_error(history_path, what);
}

// Puts one line of the file (UTF-8, without its line end) into the history.
static void load_line(ShellContext* ctx, char* line, size_t length)
{
    if (length && line[length - 1] == '\r')
        --length;
    line[length] = 0;
    char text[HISTORY_LINE_SIZE];
    if (length && sys_text_from_utf8(line, text, sizeof text))
        history_add(ctx, text);
}

// Reads the file line by line into the history; a line too long for it is skipped whole.
static void load_file(ShellContext* ctx)
{
    HandleOwner file(sys_open_input(history_path, false));
    if (file.handle == SYS_NO_HANDLE)
        return;
    char block[FILE_BLOCK_SIZE];
    char line[FILE_LINE_SIZE];
    size_t length = 0;
    bool too_long = false;
    int64_t got;
    while ((got = sys_read(file.handle, block, sizeof block)) > 0) {
        for (const char* p = block; p < block + got;) {
            size_t rest = static_cast<size_t>(block + got - p);
            const auto* end = static_cast<const char*>(std::memchr(p, '\n', rest));
            size_t piece = end ? static_cast<size_t>(end - p) : rest;
            if (length + piece < sizeof line)
                std::memcpy(line + length, p, piece);
            else
                too_long = true;
            length += piece;
            p += piece + (end ? 1 : 0);
            if (!end)
                break;
            if (!too_long)
                load_line(ctx, line, length);
            length = 0;
            too_long = false;
        }
    }
    if (!too_long && length < sizeof line)
        load_line(ctx, line, length); // a last line without its line end
}

static void read_limit()
{
    char value[ENV_VALUE_SIZE];
    if (read_env("VRELHISTSIZE", value) == 0 && parse_decimal(value) > 0)
        size_limit = parse_decimal(value);
}

static bool path_is_rooted(const char* path)
{
    if (path[0] == '/' || (PLATFORM_DOS_SEPARATORS && path[0] == '\\'))
        return true;
    return PLATFORM_DOS_SEPARATORS && path[0] && path[1] == ':';
}

// A relative name is taken in the folder the shell started in: after a cd the lines must not
// go into a new file in whatever folder the user is in. No room for the whole path: no file.
static void name_history_file(const char* value)
{
    size_t length = 0;
    if (!path_is_rooted(value)) {
        length = sys_get_current_directory(history_path, sizeof history_path);
        if (length == 0)
            return;
        if (history_path[length - 1] != '/' && history_path[length - 1] != '\\')
            history_path[length++] = '/';
    }
    if (length + std::strlen(value) >= sizeof history_path)
        history_path[0] = 0;
    else
        std::strcpy(history_path + length, value);
}

void history_file_start(ShellContext* ctx)
{
    char value[ENV_VALUE_SIZE];
    if (read_env("VRELHISTORY", value) == 0)
        name_history_file(value);
    else if (variable_set("VRELHISTORY="))
        history_path[0] = 0; // set but empty: the history stays in memory
    else
        sys_history_path(history_path, sizeof history_path);
    if (!history_path[0])
        return;
    copy_end(copy_end(lock_path, history_path), ".lock");
    read_limit();
    make_folders(history_path);
    HandleOwner lock(sys_lock_file(lock_path));
    load_file(ctx);
}

void history_file_stop()
{
    history_path[0] = 0;
    failure_shown = false;
    size_limit = HISTORY_FILE_LIMIT;
}

// Copies the file from the first whole line at or past `skip` into `to`.
static bool copy_tail(const char* to, uint64_t skip)
{
    HandleOwner from(sys_open_input(history_path, false));
    HandleOwner out(sys_open_output(to, false));
    if (from.handle == SYS_NO_HANDLE || out.handle == SYS_NO_HANDLE)
        return false;
    char block[FILE_BLOCK_SIZE];
    uint64_t at = 0;
    bool in_line = skip > 0; // the line under the cut point goes with the older half
    int64_t got;
    while ((got = sys_read(from.handle, block, sizeof block)) > 0) {
        const char* p = block;
        const char* end = block + got;
        if (at + static_cast<uint64_t>(got) <= skip) {
            at += static_cast<uint64_t>(got);
            continue;
        }
        if (at < skip)
            p += skip - at;
        at += static_cast<uint64_t>(got);
        if (in_line) {
            const auto* line_end = static_cast<const char*>(std::memchr(p, '\n', end - p));
            if (!line_end)
                continue;
            p = line_end + 1;
            in_line = false;
        }
        if (!sys_write(out.handle, p, static_cast<size_t>(end - p)))
            return false;
    }
    return got == 0;
}

// Keeps the newest half of the file. Run under the lock, which every append takes too, so no
// line written meanwhile can fall between the copy and the replacement.
static void shorten(uint64_t size)
{
    char temporary[HISTORY_PATH_SIZE + 8];
    copy_end(copy_end(temporary, history_path), ".new");
    if (copy_tail(temporary, size - size_limit / 2) && sys_replace_file(temporary, history_path))
        return;
    show_failure(":history file not shortened");
    sys_delete_file(temporary);
}

static void append_line(const char* line)
{
    char text[FILE_LINE_SIZE];
    size_t length = sys_text_to_utf8(line, text, sizeof text - 1);
    if (!length)
        return; // text the file cannot hold stays in memory
    text[length++] = '\n';
    HandleOwner lock(sys_lock_file(lock_path));
    uint64_t size;
    if (!sys_append_file(history_path, text, length, &size))
        return show_failure(":history file not written");
    if (size > size_limit && lock.handle != SYS_NO_HANDLE)
        shorten(size);
}

void history_keep(ShellContext* ctx, const char* line)
{
    history_add(ctx, line);
    if (history_path[0] && line[0] && line[0] != ' ' && line[0] != '\t')
        append_line(line);
}
