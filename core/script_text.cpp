// script_text.cpp: a script's bytes as text: byte-order marks, UTF-16, and files that are no text.
#include "core/script.h"

#include <cstring>

// UTF-16 is read into the end of the buffer and its text written at the start: 2 bytes give
// at most 3 in any code page, so the text never reaches the bytes still to be turned.
constexpr size_t UTF16_BLOCK = READER_BUFFER_SIZE / 5 * 2;
constexpr size_t UTF16_AT = READER_BUFFER_SIZE - UTF16_BLOCK;
static_assert(UTF16_BLOCK / 2 * 3 <= UTF16_AT && UTF16_BLOCK % 2 == 0);

static int64_t fail(LineReader* reader, const char* reason)
{
    reader->fault = reason;
    return 0;
}

// A script holds no NUL byte: one means a program, an image or UTF-16 without its mark, whose
// lines would run as garbage.
static int64_t checked_bytes(LineReader* reader, int64_t count)
{
    if (count > 0 && std::memchr(reader->buffer, 0, static_cast<size_t>(count)))
        return fail(reader, "it holds a NUL byte");
    return count;
}

// Keeps back the end of a block that is not a whole character: an odd byte, or the first half
// of a surrogate pair.
static size_t whole_units(LineReader* reader, char* bytes, size_t count)
{
    size_t whole = count & ~static_cast<size_t>(1);
    if (whole >= 2) {
        const char* last = bytes + whole - 2;
        auto high = static_cast<unsigned char>(last[reader->form == READ_UTF16_BE ? 0 : 1]);
        if (high >= 0xD8 && high < 0xDC)
            whole -= 2;
    }
    reader->carry_size = static_cast<uint8_t>(count - whole);
    std::memcpy(reader->carry, bytes + whole, reader->carry_size);
    return whole;
}

// Turns `count` bytes at UTF16_AT (the carried bytes of the last block in front) into text.
static int64_t utf16_text(LineReader* reader, size_t count)
{
    char* bytes = reader->buffer + UTF16_AT;
    size_t whole = whole_units(reader, bytes, count);
    int64_t length =
        sys_text_from_utf16(bytes, whole, reader->form == READ_UTF16_BE, reader->buffer, UTF16_AT);
    if (length == SYS_TEXT_BROKEN)
        return fail(reader, "its UTF-16 holds a broken character");
    if (length < 0)
        return fail(reader, "a character is not in the code page");
    return checked_bytes(reader, length); // a U+0000 is a NUL byte as well
}

static int64_t read_utf16(LineReader* reader)
{
    for (;;) {
        char* bytes = reader->buffer + UTF16_AT;
        size_t carried = reader->carry_size;
        std::memcpy(bytes, reader->carry, carried);
        int64_t got = sys_read(reader->file, bytes + carried, UTF16_BLOCK - carried);
        if (got <= 0)
            return carried ? fail(reader, "its UTF-16 ends in a broken character") : 0;
        int64_t length = utf16_text(reader, carried + static_cast<size_t>(got));
        // A block of only half a character gives no text yet: read on.
        if (length != 0 || reader->fault)
            return length;
    }
}

// The first block decides the form by its byte-order mark.
static int64_t read_first(LineReader* reader)
{
    char* bytes = reader->buffer + UTF16_AT;
    int64_t got = sys_read(reader->file, bytes, UTF16_BLOCK);
    auto mark = [&](const char* text, int64_t size) {
        return got >= size && std::memcmp(bytes, text, static_cast<size_t>(size)) == 0;
    };
    if (mark("\xFF\xFE", 2) || mark("\xFE\xFF", 2)) {
        reader->form = bytes[0] == '\xFE' ? READ_UTF16_BE : READ_UTF16_LE;
        reader->carry_size = 0;
        std::memmove(bytes, bytes + 2, static_cast<size_t>(got - 2));
        int64_t length = utf16_text(reader, static_cast<size_t>(got - 2));
        return length != 0 || reader->fault ? length : read_utf16(reader);
    }
    reader->form = READ_SCRIPT_BYTES;
    if (got <= 0)
        return 0;
    int64_t skip = mark("\xEF\xBB\xBF", 3) ? 3 : 0;
    std::memmove(reader->buffer, bytes + skip, static_cast<size_t>(got - skip));
    int64_t count = checked_bytes(reader, got - skip);
    // A mark alone in the first block: the text begins in the next one.
    return count != 0 || reader->fault ? count : reader_read_script(reader);
}

int64_t reader_read_script(LineReader* reader)
{
    if (reader->form == READ_SCRIPT_START)
        return read_first(reader);
    if (reader->form == READ_SCRIPT_BYTES)
        return checked_bytes(reader, sys_read(reader->file, reader->buffer, READER_BUFFER_SIZE));
    return read_utf16(reader);
}
