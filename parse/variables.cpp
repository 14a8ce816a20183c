// variables.cpp: special parameters, dynamic variables, positional parameters and the environment.
#include "parse/variables.h"

#include "console/line_input.h"
#include "console/output.h"
#include "parse/read_word.h"
#include "parse/strings.h"

#include <cstring>

// The banner of $VERSION and the notice that follows it.
constexpr const char* VERSION_TEXT =
    "vrel " VREL_VERSION
    " - a small command shell in the Unix style; written by the vrel developers";

// Sizes the system calls of the dynamic variables get.
constexpr size_t SYSTEM_NAME_SIZE = 256;

// State of the random numbers; never seeded, so every run gives the same sequence.
static uint32_t random_state = 1;

static char** current_frame(ShellContext* ctx)
{
    if (ctx->frame_level < 0 || ctx->frame_level >= FRAME_LEVELS)
        return nullptr;
    return ctx->frames[ctx->frame_level];
}

// Appends text at *end when it fits before limit with its terminator; false (nothing written)
// when it does not.
static bool append_whole(char** end, const char* limit, const char* text)
{
    size_t length = std::strlen(text);
    if (length >= static_cast<size_t>(limit - *end))
        return false;
    std::memcpy(*end, text, length + 1);
    *end += length;
    return true;
}

// $* and $@: the positional parameters from $1 on, joined by single spaces.
static bool join_parameters(ShellContext* ctx, char* out, size_t out_size)
{
    char** frame = current_frame(ctx);
    char* end = out;
    *end = 0;
    if (frame == nullptr || frame[0] == nullptr)
        return true;
    for (char** word = frame + 1; *word != nullptr; ++word)
        if ((word != frame + 1 && !append_whole(&end, out + out_size, " ")) ||
            !append_whole(&end, out + out_size, *word))
            return false;
    return true;
}

// $0 to $9: walking from element 0, the element of that number, or empty past the end.
static bool positional_parameter(ShellContext* ctx, int number, char* out, size_t out_size)
{
    char** frame = current_frame(ctx);
    out[0] = 0;
    for (int i = 0; frame != nullptr && frame[i] != nullptr; ++i)
        if (i == number)
            return append_whole(&out, out + out_size, frame[i]);
    return true;
}

static uint32_t loop_counter(ShellContext* ctx)
{
    if (ctx->loop_level < 0 || ctx->loop_level >= LOOP_LEVELS)
        return 0;
    return ctx->loop_counters[ctx->loop_level];
}

// The value of a name by its first byte alone; false when that byte is not special.
static bool special_by_first_byte(const char* name, ShellContext* ctx, char* out)
{
    switch (name[0]) {
    case '/':
        format_unsigned(out, loop_counter(ctx));
        return true;
    case '<':
        read_keyboard_line(out, ctx);
        return true;
    case '?':
        format_unsigned(out, static_cast<uint32_t>(ctx->status) & 0xFFFF);
        return true;
    default:
        return false;
    }
}

// GETKEY waits for a key; GETKEY0 peeks and GETKEY1 polls, both giving 0 when none waits.
// The end of input gives 0 too.
static uint32_t key_code(char mode)
{
    if ((mode == '0' || mode == '1') && !sys_key_waiting())
        return 0;
    int key = read_key();
    if (key < 0)
        return 0;
    if (mode == '0')
        sys_unread_key(key);
    return static_cast<uint32_t>(key);
}

static uint32_t next_random()
{
    random_state = random_state * 214013u + 2531011u;
    return (random_state >> 16) & 0x7FFF;
}

static void system_version(char* out)
{
    SysVersion version = {};
    out[0] = 0;
    if (!sys_version(&version))
        return;
    version.service_pack[sizeof version.service_pack - 1] = 0;
    format_text(out, EXPANSION_SIZE, "%d %d.%d %d (%s)", static_cast<int>(version.platform_id),
                static_cast<int>(version.major), static_cast<int>(version.minor),
                static_cast<int>(version.build & 0xFFFF), version.service_pack);
}

static void system_path(size_t (*query)(char*, size_t), size_t size, char* out)
{
    query(out, size);
    to_forward_slashes(out);
}

static bool same_text(const char* a, const char* b)
{
    return a[0] == b[0] && std::strcmp(a, b) == 0;
}

// A program's exit code as the system gives it: Windows codes such as 0xC0000005 read as the
// negative numbers that tools show for them.
static void signed_decimal(char* out, uint32_t value)
{
    if (static_cast<int32_t>(value) >= 0) {
        format_unsigned(out, value);
        return;
    }
    out[0] = '-';
    format_unsigned(out + 1, 0u - value);
}

// The dynamic variables, matched with case against the whole name; false for any other name.
static bool dynamic_variable(const char* name, ShellContext* ctx, char* out)
{
    if (same_text(name, "PWD"))
        system_path(sys_get_current_directory, EXPANSION_SIZE, out);
    else if (same_text(name, "HOSTNAME"))
        sys_host_name(out, SYSTEM_NAME_SIZE);
    else if (same_text(name, "USERNAME"))
        sys_user_name(out, SYSTEM_NAME_SIZE);
    else if (same_text(name, "SYSTEMDIR"))
        system_path(sys_system_directory, SYSTEM_NAME_SIZE, out);
    else if (same_text(name, "WINDOWSDIR"))
        system_path(sys_windows_directory, SYSTEM_NAME_SIZE, out);
    else if (same_text(name, "SYSVER"))
        system_version(out);
    else if (prefix_of("GETKEY", name) == 0)
        format_unsigned(out, key_code(name[6]));
    else if (same_text(name, "RANDOM"))
        format_unsigned(out, next_random());
    else if (same_text(name, "EXITCODE"))
        signed_decimal(out, ctx->exit_code);
    else if (same_text(name, "VERSION"))
        copy_bounded(out, VERSION_TEXT, EXPANSION_SIZE);
    else
        return false;
    return true;
}

// A variable that is set but does not fit is too long, never unset.
static int environment_value(const char* name, char* out, size_t out_size)
{
    if (sys_get_env(name, out, out_size) != 0)
        return 0;
    return sys_env_length(name) != 0 ? VALUE_TOO_LONG : -1;
}

int special_value(const char* name, ShellContext* ctx, char* out, size_t out_size)
{
    out[0] = 0;
    bool whole = true;
    if (name[0] == '*' || name[0] == '@') {
        whole = join_parameters(ctx, out, out_size);
    } else if (name[0] >= '0' && name[0] <= '9') {
        whole = positional_parameter(ctx, name[0] - '0', out, out_size);
    } else {
        // These come from fixed-size sources, so they are made in a buffer of that size.
        char fixed[EXPANSION_SIZE];
        if (!special_by_first_byte(name, ctx, fixed) && !dynamic_variable(name, ctx, fixed))
            return environment_value(name, out, out_size);
        char* end = out;
        whole = append_whole(&end, out + out_size, fixed);
    }
    if (whole)
        return 0;
    out[0] = 0;
    return VALUE_TOO_LONG;
}

int read_env(const char* name, char* buffer)
{
    if (sys_get_env(name, buffer, ENV_VALUE_SIZE) != 0)
        return 0;
    buffer[0] = 0;
    return -1;
}
