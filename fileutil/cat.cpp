// cat.cpp: the cat built-in, files printed line by line through the line reader.
#include "console/output.h"
#include "core/script.h"
#include "fileutil/listings.h"
#include "fileutil/walk.h"

// Every byte of the file goes out but its carriage returns: a long line as one line, and a last
// line without a line feed as it stands.
static void cat_entry(const FindData* entry, char* path, ShellContext*)
{
    LineReader reader;
    // A directory cannot be read as text; some systems would let it be opened all the same.
    if (entry->dwFileAttributes & ATTR_DIRECTORY) {
        out_error(path, ":cat open err");
        return;
    }
    if (!reader_open(&reader, path)) {
        out_system_error(path, ":cat open err");
        return;
    }
    // Runs of ordinary lines go out straight from the reader's buffer, as they stand; the
    // reader hands out the rest without carriage returns, a long line in pieces. One more byte
    // than the reader needs takes the line feed.
    char line[SCRIPT_LINE_MAX + 2];
    for (;;) {
        const char* run;
        if (size_t size = reader_whole_lines(&reader, &run)) {
            out_bytes(run, size);
            continue;
        }
        int length = reader_line(&reader, line, SCRIPT_LINE_MAX);
        if (length == 0)
            break;
        size_t size = static_cast<size_t>(length - 1);
        if (reader.ending == READER_FEED)
            line[size++] = '\n';
        out_bytes(line, size);
    }
    reader_close(&reader);
}

int32_t builtin_cat(char** words, ShellContext* ctx)
{
    ctx->walk_options = 0;
    walk_each(words, cat_entry, ctx);
    return 0;
}
