// cat.cpp: the cat built-in, files printed line by line through the line reader.
#include "console/output.h"
#include "core/script.h"
#include "fileutil/listings.h"
#include "fileutil/walk.h"

// Lines come in pieces of at most 1024 bytes; carriage returns are dropped and text after the
// file's last line feed stays unprinted, as reader_line hands them out.
static void cat_entry(const FindData* entry, char* path, ShellContext*)
{
    LineReader reader;
    // A directory cannot be read as text; some systems would let it be opened all the same.
    if ((entry->dwFileAttributes & ATTR_DIRECTORY) || !reader_open(&reader, path)) {
        out_error(path, ":cat open err");
        return;
    }
    // One more byte than the reader needs takes the line end, so each line is one string;
    // the reader has dropped its carriage returns already.
    // Runs of ordinary lines go out straight from the reader's buffer, as they stand.
    char line[SCRIPT_LINE_MAX + 2];
    for (;;) {
        const char* run;
        if (size_t size = reader_whole_lines(&reader, SCRIPT_LINE_MAX, &run)) {
            out_bytes(run, size);
            continue;
        }
        int length = reader_line(&reader, line, SCRIPT_LINE_MAX);
        if (length == 0)
            break;
        line[length - 1] = '\n';
        out_bytes(line, static_cast<size_t>(length));
    }
    reader_close(&reader);
}

int32_t builtin_cat(char** words, ShellContext* ctx)
{
    ctx->walk_options = 0;
    walk_each(words, cat_entry, ctx);
    return 0;
}
