// keys.cpp: keys from the console, or bytes from standard input that is not a console.
#include "console_text.h"
#include "platform/platform.h"

constexpr int NO_KEY = -1;
constexpr DWORD INPUT_BLOCK_SIZE = 4096;
constexpr int CONSOLE_QUEUE_SIZE = KEY_CODES_MAX + 1; // one key event and a key given back

// Codes of the console's last key event not yet handed on, from `next` to `end`.
struct ConsoleKeys {
    int codes[CONSOLE_QUEUE_SIZE];
    int next;
    int end;
    KeyDecoder decoder;
};

static ConsoleKeys console_keys;

struct InputState {
    HANDLE handle;
    bool console;
    bool seekable; // a disk file: read in blocks and give back what follows the line
    int pushed;    // a byte given back by sys_unread_key when input is not a console
    // Bytes read past a line that could not be given back to the file: read before the file.
    unsigned char ahead[INPUT_BLOCK_SIZE];
    DWORD ahead_next, ahead_end;
};

static InputState standard_input;
static bool input_ready;

// The checks are made once per handle: a redirected standard handle is seen at once.
static InputState* input()
{
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    if (!input_ready || handle != standard_input.handle) {
        DWORD mode;
        input_ready = true;
        standard_input.handle = handle;
        standard_input.console = GetConsoleMode(handle, &mode) != 0;
        standard_input.seekable = GetFileType(handle) == FILE_TYPE_DISK;
        standard_input.pushed = NO_KEY;
        standard_input.ahead_next = standard_input.ahead_end = 0;
    }
    return &standard_input;
}

// Input that is not a console is read no further than needed, so that a program the shell
// starts next reads on from where the shell stopped.
static int read_byte(InputState* in)
{
    if (in->ahead_next < in->ahead_end)
        return in->ahead[in->ahead_next++];
    unsigned char c;
    DWORD got = 0;
    if (!ReadFile(in->handle, &c, 1, &got, nullptr) || got == 0)
        return NO_KEY;
    return c;
}

static int take_pushed(InputState* in)
{
    int key = in->pushed;
    in->pushed = NO_KEY;
    return key;
}

// True when a byte can be had without waiting: data in a pipe, or a file that is not at its
// end (the byte is read and kept for the next read).
static bool byte_waiting(InputState* in)
{
    if (in->pushed != NO_KEY || in->ahead_next < in->ahead_end)
        return true;
    if (GetFileType(in->handle) == FILE_TYPE_PIPE) {
        DWORD available = 0;
        return PeekNamedPipe(in->handle, nullptr, 0, nullptr, &available, nullptr) && available > 0;
    }
    in->pushed = read_byte(in);
    return in->pushed != NO_KEY;
}

// Reads one input record into the queue of codes; false when the console cannot be read.
static bool read_console_event(HANDLE console)
{
    INPUT_RECORD record;
    DWORD got = 0;
    if (!ReadConsoleInputW(console, &record, 1, &got))
        return false;
    console_keys.next = 0;
    console_keys.end =
        console_read_codes(&console_keys.decoder, &record, got, GetACP(), console_keys.codes);
    return true;
}

// Ctrl-C arrives as the key 3 while the shell waits for a key: processed input is off only
// then, so the console mode is left as it was found.
static int read_console_key(HANDLE console)
{
    DWORD mode = 0;
    bool have_mode = GetConsoleMode(console, &mode) != 0;
    if (have_mode)
        SetConsoleMode(console, mode & ~static_cast<DWORD>(ENABLE_PROCESSED_INPUT));
    bool readable = true;
    while (readable && console_keys.next == console_keys.end)
        readable = read_console_event(console);
    if (have_mode)
        SetConsoleMode(console, mode);
    return readable ? console_keys.codes[console_keys.next++] : NO_KEY;
}

// Takes the events that are waiting without blocking, until one of them gives a key.
static bool console_key_waiting(HANDLE console)
{
    DWORD events = 0;
    while (console_keys.next == console_keys.end &&
           GetNumberOfConsoleInputEvents(console, &events) && events > 0)
        if (!read_console_event(console))
            return false;
    return console_keys.next != console_keys.end;
}

bool sys_input_is_terminal() { return input()->console; }

int sys_read_key()
{
    sys_flush_out();
    InputState* in = input();
    if (!in->console)
        return in->pushed != NO_KEY ? take_pushed(in) : read_byte(in);
    return read_console_key(in->handle);
}

bool sys_key_waiting()
{
    sys_flush_out();
    InputState* in = input();
    return in->console ? console_key_waiting(in->handle) : byte_waiting(in);
}

static void unread_console_key(int key)
{
    ConsoleKeys* keys = &console_keys;
    if (keys->next == 0 && keys->end == CONSOLE_QUEUE_SIZE)
        return;
    if (keys->next == 0) {
        for (int i = keys->end; i > 0; --i)
            keys->codes[i] = keys->codes[i - 1];
        ++keys->end; // room is kept for this one key beyond a whole event
        ++keys->next;
    }
    keys->codes[--keys->next] = key;
}

void sys_unread_key(int key)
{
    if (key < 0 || key > 255)
        return;
    InputState* in = input();
    if (in->console)
        unread_console_key(key);
    else
        in->pushed = key;
}

void sys_restore_terminal()
{
    // Processed input is turned off only while a key is awaited: nothing is left to undo.
}

// Collects one line byte by byte; knows whether anything was read at all.
struct InputLine {
    char* text;
    size_t size;
    size_t length; // of the whole line, the bytes past the buffer too
    bool read_any;
    bool cr_waiting = false; // a carriage return is dropped only before a line feed
    // Takes one byte; true when it ended the line. Text past the buffer is counted, not kept.
    bool take(int c)
    {
        read_any = true;
        if (c == '\n') {
            cr_waiting = false;
            return true;
        }
        if (cr_waiting)
            keep('\r');
        cr_waiting = c == '\r';
        if (!cr_waiting)
            keep(static_cast<char>(c));
        return false;
    }
    void keep(char c)
    {
        if (length + 1 < size)
            text[length] = c;
        ++length;
    }
    void finish()
    {
        if (cr_waiting) // a carriage return that ends the input is part of the line
            keep('\r');
        text[length < size ? length : size - 1] = 0;
    }
};

// Moves the file back over the bytes read past a line, for the next reader (a program the
// shell starts). When the file cannot be moved the shell keeps them and reads on byte by byte.
static void give_back(InputState* in, const unsigned char* rest, DWORD count)
{
    LARGE_INTEGER back;
    back.QuadPart = -static_cast<LONGLONG>(count);
    if (count == 0 || SetFilePointerEx(in->handle, back, nullptr, FILE_CURRENT))
        return;
    for (DWORD i = 0; i < count; ++i)
        in->ahead[i] = rest[i];
    in->ahead_next = 0;
    in->ahead_end = count;
    in->seekable = false;
}

static void read_line_in_blocks(InputState* in, InputLine* line)
{
    unsigned char block[INPUT_BLOCK_SIZE];
    DWORD count = 0;
    while (ReadFile(in->handle, block, INPUT_BLOCK_SIZE, &count, nullptr) && count > 0) {
        for (DWORD i = 0; i < count; ++i) {
            if (line->take(block[i])) {
                give_back(in, block + i + 1, count - i - 1);
                return;
            }
        }
    }
}

static void read_line_by_bytes(InputState* in, InputLine* line)
{
    for (int c = read_byte(in); c != NO_KEY; c = read_byte(in)) {
        if (line->take(c))
            return;
    }
}

int64_t sys_read_input_line(char* text, size_t size)
{
    if (size == 0)
        return -1;
    sys_flush_out();
    InputState* in = input();
    InputLine line{text, size, 0, false};
    bool ended = in->pushed != NO_KEY && line.take(take_pushed(in));
    if (!ended && in->seekable)
        read_line_in_blocks(in, &line);
    else if (!ended)
        read_line_by_bytes(in, &line);
    line.finish();
    return line.read_any ? static_cast<int64_t>(line.length) : -1;
}
