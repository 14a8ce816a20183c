// functions.cpp: shell functions in the function store, and the `function` and `unfunc` built-ins.
//
// The definitions field holds records back to back: name NUL body NUL, where a body is empty
// or a run of lines each led by a line feed; a NUL where a name would begin ends the store.
// Every operation keeps that shape and never writes past the field.
#include "exec/functions.h"

#include "console/line_input.h"
#include "console/output.h"
#include "parse/strings.h"

#include <cstring>

// Set when a collected line did not fit: the rest of that definition, up to its "}", is
// dropped, so that no line is added to another function and no half body survives.
static bool refusing_lines = false;

static char* definitions_end(ShellContext* ctx)
{
    return ctx->store->definitions + DEFINITIONS_SIZE;
}

// The record after the one at p: past the name's NUL and the body's NUL.
static char* next_record(char* p)
{
    p += std::strlen(p) + 1;
    return p + std::strlen(p) + 1;
}

// The terminator: the first place where a record would begin with NUL.
static char* find_terminator(ShellContext* ctx)
{
    char* p = ctx->store->definitions;
    while (*p)
        p = next_record(p);
    return p;
}

// The record of name, or null.
static char* find_record(ShellContext* ctx, const char* name)
{
    for (char* p = ctx->store->definitions; *p; p = next_record(p)) {
        if (std::strcmp(p, name) == 0)
            return p;
    }
    return nullptr;
}

// The record that stands last, or null when the store is empty.
static char* last_record(ShellContext* ctx)
{
    char* last = nullptr;
    for (char* p = ctx->store->definitions; *p; p = next_record(p))
        last = p;
    return last;
}

// Bytes free behind the terminator once the record of name (if any) has been removed.
static size_t room_after_removing(ShellContext* ctx, const char* name)
{
    char* terminator = find_terminator(ctx);
    size_t room = static_cast<size_t>(definitions_end(ctx) - terminator - 1);
    char* record = find_record(ctx, name);
    if (record)
        room += static_cast<size_t>(next_record(record) - record);
    return room;
}

const char* func_find(ShellContext* ctx, const char* name)
{
    char* record = find_record(ctx, name);
    return record ? record + std::strlen(record) + 1 : nullptr;
}

// Moves everything behind the record, terminator included, down over it.
static void remove_record(ShellContext* ctx, char* record)
{
    char* terminator = find_terminator(ctx);
    char* next = next_record(record);
    std::memmove(record, next, static_cast<size_t>(terminator - next) + 1);
}

void func_remove(ShellContext* ctx, const char* name)
{
    char* record = find_record(ctx, name);
    if (record)
        remove_record(ctx, record);
}

bool func_define(ShellContext* ctx, const char* name)
{
    size_t length = std::strlen(name);
    // An empty name would read as the terminator. The record (name, NUL, the empty body's
    // NUL) starts on the old terminator, so with the new one it takes length + 2 more bytes.
    if (length == 0 || room_after_removing(ctx, name) < length + 2)
        return false;
    refusing_lines = false;
    func_remove(ctx, name);
    char* p = copy_end(find_terminator(ctx), name);
    p[1] = 0;
    p[2] = 0;
    return true;
}

// Appends one line to the last record: false (nothing written) when it does not fit.
static bool append_line(ShellContext* ctx, char* last, const char* line)
{
    char* terminator = find_terminator(ctx);
    size_t length = std::strlen(line);
    // The body's NUL becomes the line feed; the line, its NUL and the terminator follow.
    if (static_cast<size_t>(definitions_end(ctx) - terminator) < length + 2) {
        out_error(last, ":function too long");
        return false;
    }
    terminator[-1] = '\n';
    char* p = copy_end(terminator, line);
    p[1] = 0;
    return true;
}

void func_end_definition(ShellContext* ctx)
{
    ctx->options &= ~OPT_DEFINING;
    refusing_lines = false;
}

void func_drop_definition(ShellContext* ctx)
{
    // While lines are refused the definition is gone already; the last record is another's.
    char* last = last_record(ctx);
    if (last && !refusing_lines)
        remove_record(ctx, last);
    func_end_definition(ctx);
}

void func_add_line(ShellContext* ctx, const char* line)
{
    line = skip_blanks(line);
    if (*line == '#' || *line == '{')
        return;
    if (*line == '}') {
        func_end_definition(ctx);
        return;
    }
    char* last = last_record(ctx);
    if (!last || refusing_lines)
        return;
    if (!append_line(ctx, last, line)) {
        // A function that lost a line would do something else than it says: drop it whole.
        remove_record(ctx, last);
        refusing_lines = true;
    }
}

void reset_key_actions(FunctionStore* store)
{
    std::memset(store->key_actions, 0, KEY_ACTIONS_SIZE);
    uint8_t* keys = store->key_actions;
    keys[5] = KEY_NEWER;       // Ctrl-E
    keys[8] = KEY_RUBOUT;      // Ctrl-H, Backspace
    keys[9] = KEY_COMPLETE;    // Tab
    keys[10] = KEY_ACCEPT;     // Ctrl-J
    keys[13] = KEY_ACCEPT;     // Enter
    keys[14] = KEY_NEWER;      // Ctrl-N
    keys[16] = KEY_OLDER;      // Ctrl-P
    keys[21] = KEY_ERASE_LINE; // Ctrl-U
    keys[23] = KEY_OLDER;      // Ctrl-W
}

// Prints one record: the name, then each body line on a line of its own after a TAB.
static void list_record(const char* record)
{
    out_str(record);
    for (const char* p = record + std::strlen(record) + 1; *p; ++p) {
        if (*p == '\n') {
            out_newline();
            out_char('\t');
        } else {
            out_char(*p);
        }
    }
    out_newline();
}

static void list_functions(ShellContext* ctx)
{
    for (char* p = ctx->store->definitions; *p; p = next_record(p))
        list_record(p);
}

// The record a name and a body line need, once any old record of the name is gone.
static bool definition_fits(ShellContext* ctx, const char* name, const char* body)
{
    body = skip_blanks(body);
    size_t need = std::strlen(name) + 2;
    if (*body != '#' && *body != '{' && *body != '}')
        need += std::strlen(body) + 1;
    return room_after_removing(ctx, name) >= need;
}

int32_t builtin_function(char** words, ShellContext* ctx)
{
    if (!words[0]) {
        list_functions(ctx);
        return 0;
    }
    // A name that cannot be stored fails the command and starts no definition, so the lines
    // that follow run as commands rather than being added to some other function.
    if (!words[0][0])
        return -1;
    if ((words[1] && !definition_fits(ctx, words[0], words[1])) || !func_define(ctx, words[0])) {
        out_error(words[0], ":function too long");
        return -1;
    }
    if (words[1])
        func_add_line(ctx, words[1]);
    else
        ctx->options |= OPT_DEFINING;
    return 0;
}

int32_t builtin_unfunc(char** words, ShellContext* ctx)
{
    for (; *words; ++words)
        func_remove(ctx, *words);
    return 0;
}
