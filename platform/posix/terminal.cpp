// terminal.cpp: keys from the terminal in raw mode, and plain lines from other standard input.
//
// While the shell waits for a key the terminal is in raw input mode: no echo, no line
// buffering, no signal keys (Ctrl-C arrives as 3); output processing stays as it was. The
// escape sequences of cursor and function keys arrive in the two-code form of the console
// (a prefix, then the scan code: platform.h), and the terminal's erase key arrives as 8.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

// A lone ESC is the Escape key when no further byte follows within this time.
constexpr int KEY_SEQUENCE_WAIT_MS = 50;
// Numbers of escape sequences stop growing here; no key has a larger one.
constexpr int KEY_NUMBER_LIMIT = 1000;
constexpr int KEY_QUEUE_SIZE = 4;

static struct termios saved_mode;
static volatile sig_atomic_t raw_mode = 0;
static unsigned char erase_key = 127;

// Codes decoded but not yet returned (the scan code after a prefix), and the pushed-back key.
static int key_queue[KEY_QUEUE_SIZE];
static int queued_keys = 0;
static int unread_key = -1;

bool sys_input_is_terminal() { return isatty(STDIN_FILENO) == 1; }

static void enter_raw_mode()
{
    if (raw_mode || tcgetattr(STDIN_FILENO, &saved_mode) != 0)
        return;
    struct termios raw = saved_mode;
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | ISIG | IEXTEN);
    // Enter arrives as 13 as on the console; Ctrl-S and Ctrl-Q reach the shell as keys.
    raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    erase_key = saved_mode.c_cc[VERASE];
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0)
        raw_mode = 1;
}

void sys_restore_terminal()
{
    if (!raw_mode)
        return;
    tcsetattr(STDIN_FILENO, TCSANOW, &saved_mode);
    raw_mode = 0;
}

void restore_terminal_from_signal()
{
    if (raw_mode)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_mode);
}

static bool input_ready(int timeout_ms)
{
    struct pollfd input = {STDIN_FILENO, POLLIN, 0};
    while (poll(&input, 1, timeout_ms) < 0)
        if (errno != EINTR)
            return false;
    return (input.revents & POLLIN) != 0;
}

// One byte of standard input, or -1 at its end or on an error.
static int read_byte()
{
    unsigned char byte;
    for (;;) {
        ssize_t count = read(STDIN_FILENO, &byte, 1);
        if (count == 1)
            return byte;
        if (count == 0 || errno != EINTR)
            return -1;
    }
}

// One byte of an escape sequence, or -1 when none follows soon.
static int read_sequence_byte() { return input_ready(KEY_SEQUENCE_WAIT_MS) ? read_byte() : -1; }

static void queue_key(int code)
{
    if (queued_keys < KEY_QUEUE_SIZE)
        key_queue[queued_keys++] = code;
}

static int take_queued_key()
{
    int code = key_queue[0];
    for (int i = 1; i < queued_keys; ++i)
        key_queue[i - 1] = key_queue[i];
    --queued_keys;
    return code;
}

// The final letter of ESC [ x or ESC O x, or the number of ESC [ n ~, with its two codes.
struct KeySequence {
    int which, prefix, scan_code;
};

constexpr KeySequence LETTER_KEYS[] = {
    {'A', KEY_PREFIX_CURSOR, SCAN_UP},       {'B', KEY_PREFIX_CURSOR, SCAN_DOWN},
    {'C', KEY_PREFIX_CURSOR, SCAN_RIGHT},    {'D', KEY_PREFIX_CURSOR, SCAN_LEFT},
    {'H', KEY_PREFIX_CURSOR, SCAN_HOME},     {'F', KEY_PREFIX_CURSOR, SCAN_END},
    {'P', KEY_PREFIX_FUNCTION, SCAN_F1},     {'Q', KEY_PREFIX_FUNCTION, SCAN_F1 + 1},
    {'R', KEY_PREFIX_FUNCTION, SCAN_F1 + 2}, {'S', KEY_PREFIX_FUNCTION, SCAN_F1 + 3},
};

constexpr KeySequence NUMBERED_KEYS[] = {
    {1, KEY_PREFIX_CURSOR, SCAN_HOME},      {7, KEY_PREFIX_CURSOR, SCAN_HOME},
    {4, KEY_PREFIX_CURSOR, SCAN_END},       {8, KEY_PREFIX_CURSOR, SCAN_END},
    {2, KEY_PREFIX_CURSOR, SCAN_INSERT},    {3, KEY_PREFIX_CURSOR, SCAN_DELETE},
    {5, KEY_PREFIX_CURSOR, SCAN_PAGE_UP},   {6, KEY_PREFIX_CURSOR, SCAN_PAGE_DOWN},
    {11, KEY_PREFIX_FUNCTION, SCAN_F1},     {12, KEY_PREFIX_FUNCTION, SCAN_F1 + 1}, // F1-F5
    {13, KEY_PREFIX_FUNCTION, SCAN_F1 + 2}, {14, KEY_PREFIX_FUNCTION, SCAN_F1 + 3},
    {15, KEY_PREFIX_FUNCTION, SCAN_F1 + 4}, {17, KEY_PREFIX_FUNCTION, SCAN_F1 + 5}, // F6-F10
    {18, KEY_PREFIX_FUNCTION, SCAN_F1 + 6}, {19, KEY_PREFIX_FUNCTION, SCAN_F1 + 7},
    {20, KEY_PREFIX_FUNCTION, SCAN_F1 + 8}, {21, KEY_PREFIX_FUNCTION, SCAN_F1 + 9},
};

// The first code of the key `which` names in `table`, its scan code queued; -1 for no key.
template <size_t N> static int sequence_key(const KeySequence (&table)[N], int which)
{
    for (const KeySequence& key : table) {
        if (key.which == which) {
            queue_key(key.scan_code);
            return key.prefix;
        }
    }
    return -1;
}

// After ESC [: parameters, then a final byte. Modifiers after ';' are ignored.
static int decode_bracket_sequence()
{
    int byte = read_sequence_byte();
    if (byte == '[') { // the Linux console's F1-F5: ESC [ [ A-E
        byte = read_sequence_byte();
        return byte >= 'A' && byte <= 'E' ? sequence_key(NUMBERED_KEYS, 11 + byte - 'A') : -1;
    }
    int number = 0;
    bool in_first = true;
    while (byte >= 0x20 && byte <= 0x3F) { // parameter and intermediate bytes
        if (byte == ';')
            in_first = false;
        else if (in_first && byte >= '0' && byte <= '9' && number < KEY_NUMBER_LIMIT)
            number = number * 10 + (byte - '0');
        byte = read_sequence_byte();
    }
    if (byte == '~')
        return sequence_key(NUMBERED_KEYS, number);
    return byte >= 0x40 && byte <= 0x7E ? sequence_key(LETTER_KEYS, byte) : -1;
}

static int decode_o_sequence()
{
    int byte = read_sequence_byte();
    while (byte >= '0' && byte <= ';') // modifier digits of some terminals
        byte = read_sequence_byte();
    return byte >= 0 ? sequence_key(LETTER_KEYS, byte) : -1;
}

// The key that begins with `byte`; -1 when it was a sequence without a key (swallowed).
static int decode_key(int byte)
{
    if (byte == erase_key && erase_key != _POSIX_VDISABLE)
        return 8;
    if (byte == KEY_PREFIX_FUNCTION)
        return -1; // Ctrl-Space types a NUL: as a prefix it would swallow the next key
    if (byte != 27)
        return byte;
    int next = read_sequence_byte();
    if (next == '[')
        return decode_bracket_sequence();
    if (next == 'O')
        return decode_o_sequence();
    if (next >= 0)
        queue_key(next); // ESC then an ordinary key: both arrive
    return 27;
}

int sys_read_key()
{
    if (unread_key >= 0) {
        int key = unread_key;
        unread_key = -1;
        return key;
    }
    if (queued_keys > 0)
        return take_queued_key();
    sys_flush_out();
    if (!sys_input_is_terminal())
        return read_byte();
    enter_raw_mode();
    for (;;) {
        int byte = read_byte();
        if (byte < 0)
            return -1;
        int key = decode_key(byte);
        if (key >= 0)
            return key;
    }
}

bool sys_key_waiting()
{
    if (unread_key >= 0 || queued_keys > 0)
        return true;
    sys_flush_out();
    if (sys_input_is_terminal())
        enter_raw_mode(); // a key counts once it is pressed, not once a line is complete
    return input_ready(0);
}

void sys_unread_key(int key) { unread_key = key; }

// Collects one line byte by byte; knows whether anything was read at all.
struct InputLine {
    char* text;
    size_t size;
    size_t length = 0; // of the whole line, the bytes past the buffer too
    bool read_any = false;
    bool cr_waiting = false; // a carriage return is dropped only before a line feed
    // Takes one byte; true when it ended the line.
    bool take(char byte)
    {
        read_any = true;
        if (byte == '\n') {
            cr_waiting = false;
            return true;
        }
        if (cr_waiting)
            keep('\r');
        cr_waiting = byte == '\r';
        if (!cr_waiting)
            keep(static_cast<char>(byte));
        return false;
    }
    void keep(char byte)
    {
        if (length + 1 < size)
            text[length] = byte;
        ++length;
    }
    void finish()
    {
        if (cr_waiting) // a carriage return that ends the input is part of the line
            keep('\r');
        text[length < size ? length : size - 1] = 0;
    }
};

// A seekable input is read in blocks and the bytes after the line are given back, so that a
// program started next reads on where the shell stopped.
static void read_line_in_blocks(InputLine* line)
{
    char block[4096];
    for (;;) {
        ssize_t count = read(STDIN_FILENO, block, sizeof block);
        if (count < 0 && errno == EINTR)
            continue;
        for (ssize_t i = 0; i < count; ++i) {
            if (line->take(block[i])) {
                lseek(STDIN_FILENO, i + 1 - count, SEEK_CUR);
                return;
            }
        }
        if (count <= 0)
            return;
    }
}

// A pipe cannot give bytes back: it is read one byte at a time, never past the line's end.
static void read_line_by_bytes(InputLine* line)
{
    for (int byte = read_byte(); byte >= 0; byte = read_byte())
        if (line->take(static_cast<char>(byte)))
            return;
}

int64_t sys_read_input_line(char* text, size_t size)
{
    if (size == 0)
        return -1;
    sys_flush_out();
    sys_restore_terminal();
    InputLine line = {text, size};
    bool ended = false;
    if (unread_key >= 0) {
        ended = line.take(static_cast<char>(unread_key));
        unread_key = -1;
    }
    if (!ended && lseek(STDIN_FILENO, 0, SEEK_CUR) >= 0)
        read_line_in_blocks(&line);
    else if (!ended)
        read_line_by_bytes(&line);
    line.finish();
    return line.read_any ? static_cast<int64_t>(line.length) : -1;
}
