// completion_names.cpp: completion of command names (built-ins, functions, programs on PATH)
// and of variable names, after the file names.
#include "console/completion_names.h"

#include "console/path_cache.h"
#include "core/builtins.h"
#include "exec/functions.h"
#include "parse/strings.h"
#include "parse/variables.h"

#include <cstring>

constexpr uint8_t GROUP_BUILTINS = 0;
constexpr uint8_t GROUP_FUNCTIONS = 1;
constexpr uint8_t GROUP_PROGRAMS = 2;
constexpr uint8_t GROUP_END = GROUP_PROGRAMS + 1;

// Words after which a command begins.
static const char* const COMMAND_WORDS[] = {"then", "else", "and", "or", ":", nullptr};

bool name_offered(const char* name)
{
    for (const auto* p = reinterpret_cast<const unsigned char*>(name); *p; ++p)
        if (*p < 32 || *p == 127 ||
            (!PLATFORM_CODE_PAGES && *p == 0xC2 && p[1] >= 0x80 && p[1] <= 0x9F))
            return false;
    return true;
}

int name_compare(const char* a, const char* b) { return std::strcmp(a, b); }

static char fold(char c)
{
    return PLATFORM_CASE_BLIND_NAMES && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool name_after(const char* name, const char* prefix, const char* after)
{
    for (size_t i = 0; prefix[i]; ++i)
        if (fold(name[i]) != fold(prefix[i]))
            return false;
    return !after[0] || name_compare(name, after) > 0;
}

static bool is_name_byte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Whether the blank-separated word ending just before `end` is one of the words.
static bool word_before_is(const char* line, const char* end, const char* const* words)
{
    const char* start = end;
    while (start > line && start[-1] != ' ')
        --start;
    for (const char* const* w = words; *w; ++w)
        if (static_cast<size_t>(end - start) == std::strlen(*w) &&
            std::strncmp(start, *w, std::strlen(*w)) == 0)
            return true;
    return false;
}

// Whether a command begins at `word`: the line's start, after ; | & or a word that runs one.
static bool command_position(const char* line, const char* word)
{
    const char* p = word;
    while (p > line && p[-1] == ' ')
        --p;
    if (p == line || std::strchr(";|&", p[-1]))
        return true;
    if (word_before_is(line, p, COMMAND_WORDS))
        return true;
    const char* number = p;
    while (number > line && number[-1] >= '0' && number[-1] <= '9')
        --number;
    static const char* const REPEAT[] = {"repeat", nullptr};
    if (number == p || (number > line && number[-1] != ' '))
        return false;
    while (number > line && number[-1] == ' ')
        --number;
    return word_before_is(line, number, REPEAT);
}

// $NAME or ${NAME at the word's end: the '$', else null.
static const char* variable_start(NameSearch* names, const char* word)
{
    const char* dollar = std::strrchr(word, '$');
    if (!dollar)
        return nullptr;
    names->braced = dollar[1] == '{';
    const char* name = dollar + (names->braced ? 2 : 1);
    for (const char* p = name; *p; ++p)
        if (!is_name_byte(*p))
            return nullptr;
    copy_bounded(names->prefix, name, sizeof names->prefix);
    return dollar;
}

const char* names_start(NameSearch* names, const char* line, const char* word)
{
    names->kind = NAMES_NONE;
    names->group = GROUP_BUILTINS;
    names->last[0] = 0;
    if (const char* dollar = variable_start(names, word)) {
        names->kind = NAMES_VARIABLES;
        return dollar;
    }
    if (std::strpbrk(word, "/\\:*?$\"' ") || !command_position(line, word))
        return nullptr;
    copy_bounded(names->prefix, word, sizeof names->prefix);
    names->kind = NAMES_COMMANDS;
    return nullptr;
}

static bool is_builtin(const char* name)
{
    return find_builtin(builtin_table, name) || find_builtin(keyword_table, name);
}

// The next name of a group after names->last; null when the group has no more.
static const char* next_builtin(NameSearch* names)
{
    const char* best = nullptr;
    for (const BuiltinEntry* table : {keyword_table, builtin_table})
        for (const BuiltinEntry* row = table; row->name; ++row)
            if (name_after(row->name, names->prefix, names->last) &&
                (!best || name_compare(row->name, best) < 0))
                best = row->name;
    return best;
}

static const char* next_function(NameSearch* names, ShellContext* ctx)
{
    const char* best = nullptr;
    for (const char* p = ctx->store->definitions; *p;) {
        if (name_after(p, names->prefix, names->last) && !is_builtin(p) &&
            (!best || name_compare(p, best) < 0))
            best = p;
        p += std::strlen(p) + 1;
        p += std::strlen(p) + 1;
    }
    return best;
}

static const char* next_program(NameSearch* names, ShellContext* ctx)
{
    if (!names->last[0])
        path_cache_refresh();
    const char* name = names->last;
    while ((name = path_cache_next(names->prefix, name)))
        if (!is_builtin(name) && !(ctx && func_find(ctx, name)))
            return name;
    return nullptr;
}

// The variable after names->last whose name begins with the prefix.
struct VariableSearch {
    const NameSearch* names;
    char best[COMPLETION_NAME_SIZE];
};

static void visit_variable(const char* entry, void* data)
{
    auto* search = static_cast<VariableSearch*>(data);
    const char* equals = std::strchr(entry, '=');
    if (!equals || equals == entry || static_cast<size_t>(equals - entry) >= sizeof search->best)
        return;
    char name[COMPLETION_NAME_SIZE];
    std::memcpy(name, entry, static_cast<size_t>(equals - entry));
    name[equals - entry] = 0;
    for (const char* p = name; *p; ++p)
        if (!is_name_byte(*p))
            return;
    if (name_after(name, search->names->prefix, search->names->last) &&
        (!search->best[0] || name_compare(name, search->best) < 0))
        copy_end(search->best, name);
}

static const char* keep(NameSearch* names, const char* name)
{
    copy_bounded(names->last, name, sizeof names->last);
    return names->last;
}

const char* names_next(NameSearch* names, ShellContext* ctx)
{
    if (names->kind == NAMES_VARIABLES) {
        VariableSearch search{names, ""};
        sys_for_each_env(visit_variable, &search);
        if (search.best[0])
            return keep(names, search.best);
        names->last[0] = 0;
        return nullptr;
    }
    while (names->kind == NAMES_COMMANDS && names->group < GROUP_END) {
        const char* name = names->group == GROUP_BUILTINS ? next_builtin(names)
                           : names->group == GROUP_FUNCTIONS
                               ? (ctx ? next_function(names, ctx) : nullptr)
                               : next_program(names, ctx);
        if (name)
            return keep(names, name);
        ++names->group;
        names->last[0] = 0;
    }
    names->group = GROUP_BUILTINS;
    return nullptr;
}

bool expand_home(char* pattern, size_t size)
{
    size_t skip = prefix_of("~/", pattern) == 0 ? 1 : prefix_of("$HOME/", pattern) == 0 ? 5 : 0;
    if (PLATFORM_DOS_SEPARATORS && prefix_of("~\\", pattern) == 0)
        skip = 1;
    char home[ENV_VALUE_SIZE];
    if (!skip || read_env("HOME", home) != 0)
        return true;
    size_t home_length = std::strlen(home);
    size_t rest = std::strlen(pattern + skip);
    if (home_length + rest + 1 > size)
        return false;
    std::memmove(pattern + home_length, pattern + skip, rest + 1);
    std::memcpy(pattern, home, home_length);
    return true;
}
