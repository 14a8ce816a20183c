// keyboard_line.cpp: the line input behind $<, with the bindable control keys.
#include "console/completion.h"
#include "console/history.h"
#include "console/line_input.h"
#include "console/line_text.h"
#include "console/output.h"
#include "core/run_line.h"
#include "parse/strings.h"
#include "parse/variables.h"

#include <cstring>

constexpr size_t KEYBOARD_PATTERN_SIZE = 320;
constexpr size_t KEYBOARD_TEXT_MAX = KEYBOARD_LINE_SIZE - 1;
// The search of this input outlives the line, until its next new completion.
static CompletionState keyboard_completion;

struct KeyboardState {
    ShellContext* ctx;
    char* text;
    size_t length;
    bool too_long; // a key was ignored because the text was full
    HistoryBrowse browse;
    CompletionStep completion;
    char pattern[KEYBOARD_PATTERN_SIZE];
    char scratch[KEYBOARD_LINE_SIZE]; // a recalled line, a variable's value or a command line
    KeyInput keys;
};

// The action of a cursor key: only Up and Down do something.
static uint8_t extended_action(int scan)
{
    return scan == SCAN_UP ? KEY_OLDER : scan == SCAN_DOWN ? KEY_NEWER : 0;
}

// Appends bytes to the text when they fit (else the key is ignored, and the text will be
// refused); true when appended.
static bool append_text(KeyboardState* s, const char* bytes, size_t count)
{
    if (s->length + count > KEYBOARD_TEXT_MAX) {
        s->too_long = true;
        return false;
    }
    std::memcpy(s->text + s->length, bytes, count);
    s->length += count;
    s->text[s->length] = 0;
    return true;
}

// Cuts the text back to `length` bytes and rubs out what was shown of the rest.
static void cut_text(KeyboardState* s, size_t length)
{
    out_erase(text_columns(s->text, length, s->length));
    s->length = length;
    s->text[length] = 0;
}

static void type_character(KeyboardState* s, const KeyPress* key)
{
    if (!append_text(s, key->text, static_cast<size_t>(key->length)))
        return;
    for (int i = 0; i < key->length; ++i)
        out_char(key->text[i]);
    s->browse.index = 0;
    s->completion.first = true;
}

// Runs "c<code> <text>" so that a function such as c12 can handle the key.
static void run_key_command(KeyboardState* s, int code)
{
    char* end = copy_end(s->scratch, "c");
    end = format_unsigned(end, static_cast<uint32_t>(code));
    end = copy_end(end, " ");
    copy_bounded(end, s->text, sizeof s->scratch - static_cast<size_t>(end - s->scratch));
    run_line(s->scratch, s->ctx);
}

static void complete(KeyboardState* s)
{
    copy_end(s->scratch, s->text); // what is shown, to rub out from the insertion point
    const char* name = completion_insert(&s->completion, s->text, KEYBOARD_TEXT_MAX, &s->too_long);
    if (!name)
        return;
    out_erase(text_columns(s->scratch, s->completion.insert_at, s->length));
    s->length = std::strlen(s->text);
    out_str(name);
}

static void insert_underscore(KeyboardState* s)
{
    if (read_env("_", s->scratch) == 0 && append_text(s, s->scratch, std::strlen(s->scratch)))
        out_str(s->scratch);
}

static void browse_history(KeyboardState* s, int step)
{
    out_erase(text_columns(s->text, 0, s->length)); // the text itself is the saved text
    history_step(s->ctx, &s->browse, step, s->text);
    s->length = std::strlen(s->text);
    out_str(s->text);
}

// Carries out the action code (the low six bits); true when the line is accepted.
static bool act_on_code(KeyboardState* s, uint8_t code)
{
    switch (code) {
    case KEY_ACCEPT:
        out_newline();
        if (s->too_long) {
            s->text[0] = 0;
            out_error("vrel", ":line too long");
        } else {
            history_add(s->ctx, s->text);
        }
        return true;
    case KEY_RUBOUT:
        cut_text(s, s->length - static_cast<size_t>(last_char_width(s->text)));
        return false;
    case KEY_COMPLETE:
        complete(s);
        return false;
    case KEY_INSERT_UNDERSCORE:
        insert_underscore(s);
        return false;
    case KEY_OLDER:
        browse_history(s, +1);
        return false;
    case KEY_NEWER:
        browse_history(s, -1);
        return false;
    default:
        return false;
    }
}

// Carries out a non-zero action byte for the key whose first code was `code`.
static bool act_on_key(KeyboardState* s, int code, uint8_t action)
{
    if (action != KEY_COMPLETE)
        s->completion.first = true;
    if (!(action & KEY_KEEP_HISTORY))
        s->browse.index = 0;
    if (action & KEY_RUN_COMMAND)
        run_key_command(s, code);
    if (action & KEY_REPRINT)
        out_str(s->text);
    if (action & KEY_ERASE_LINE) {
        cut_text(s, 0);
        s->too_long = false; // nothing of the text that did not fit is left
    }
    return act_on_code(s, action & KEY_CODE_MASK);
}

// Keys come from the keyboard, or from a test that stands in for it.
static bool reading_keys() { return key_source != sys_read_key || sys_input_is_terminal(); }

static void start_keyboard(KeyboardState* s, char* line, ShellContext* ctx)
{
    s->ctx = ctx;
    s->text = line;
    s->length = 0;
    s->too_long = false;
    line[0] = 0;
    history_reset(&s->browse);
    s->completion = CompletionStep{&keyboard_completion, s->pattern, sizeof s->pattern, 0, true};
    s->completion.ctx = ctx;
}

void read_keyboard_line(char* line, ShellContext* ctx)
{
    if (!reading_keys()) {
        if (sys_read_input_line(line, KEYBOARD_LINE_SIZE) < 0)
            line[0] = 0;
        return;
    }
    KeyboardState s;
    start_keyboard(&s, line, ctx);
    for (;;) {
        KeyPress key;
        read_key_press(&s.keys, &key);
        bool prefixed = is_prefixed(&key, KEY_PREFIX_CURSOR);
        if (key.code < 0 || (key.length == 0 && key.scan < 0))
            return; // the end of input: the text typed so far
        if (is_prefixed(&key, KEY_PREFIX_FUNCTION))
            continue; // the function keys do nothing here
        if (!prefixed && key.code >= 32) {
            type_character(&s, &key);
            continue;
        }
        uint8_t action = prefixed ? extended_action(key.scan) : ctx->store->key_actions[key.code];
        if (action && act_on_key(&s, key.code, action))
            return;
    }
}
