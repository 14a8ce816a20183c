// ls.cpp: the ls built-in, in its four-column and long formats.
#include "console/line_text.h"
#include "console/output.h"
#include "console/shown_text.h"
#include "fileutil/listings.h"
#include "fileutil/walk.h"
#include "parse/strings.h"

#include <cstring>

constexpr size_t LS_LINE_SIZE = 320;
constexpr int LS_COLUMNS = 4;
constexpr long LS_COLUMN_WIDTH = 20;
constexpr int LS_SIZE_WIDTH = 11;
// Position i shows letter i when the bit 2 to the power (14 - i) is set, counting from 0.
constexpr char LS_LETTERS[] = "ENOCRSTNDADvSHR";
constexpr int LS_LETTER_COUNT = 15;

// Entries written on the open row of the short format, modulo 4; each ls starts it at 0.
static int column_counter;

char* format_right(char* dst, uint64_t value, int width)
{
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    for (int pad = width - count; pad > 0; --pad)
        *dst++ = ' ';
    while (count)
        *dst++ = digits[--count];
    *dst = 0;
    return dst;
}

char* format_attributes(char* dst, uint32_t attributes)
{
    for (int i = 0; i < LS_LETTER_COUNT; ++i)
        *dst++ = (attributes >> (LS_LETTER_COUNT - 1 - i)) & 1 ? LS_LETTERS[i] : '-';
    *dst = 0;
    return dst;
}

static bool is_directory(const FindData* entry) { return entry->dwFileAttributes & ATTR_DIRECTORY; }

// Appends the path, its '/' and "\r\n" to the line begun at `line`, whose text ends at `end`;
// a path that leaves no room is refused with an error line and null is returned.
static char* append_path(char* line, char* end, const FindData* entry, const char* path)
{
    size_t slash = is_directory(entry) ? 1 : 0;
    if (static_cast<size_t>(end - line) + std::strlen(path) + slash + 3 > LS_LINE_SIZE) {
        out_error(path, ":path too long");
        return nullptr;
    }
    end = copy_end(end, path);
    if (slash)
        end = copy_end(end, "/");
    return end;
}

static void list_short(const FindData* entry, const char* path)
{
    char line[LS_LINE_SIZE];
    char* end = append_path(line, line, entry, path);
    if (!end)
        return;
    column_counter = (column_counter + 1) % LS_COLUMNS;
    if (column_counter == 0) {
        out_shown(line);
        out_newline();
        return;
    }
    // Columns are screen columns. A name of 20 or more gets one blank, so that it never runs
    // into the next; append_path left room for it.
    long columns = text_columns(line, 0, static_cast<size_t>(end - line));
    do
        *end++ = ' ';
    while (++columns < LS_COLUMN_WIDTH);
    *end = 0;
    out_shown(line);
}

static void list_long(const FindData* entry, const char* path)
{
    char line[LS_LINE_SIZE];
    char* end = format_attributes(line, entry->dwFileAttributes);
    end = format_right(end, entry->nFileSize, LS_SIZE_WIDTH);
    LocalTime t;
    sys_local_time(entry->ftLastWriteTime, &t);
    size_t room = LS_LINE_SIZE - static_cast<size_t>(end - line);
    end += format_text(end, room, " %04d-%02d-%02d %02d:%02d:%02d ", t.year, t.month, t.day, t.hour,
                       t.minute, t.second);
    end = append_path(line, end, entry, path);
    if (!end)
        return;
    out_shown(line);
    out_newline();
}

// Hidden, system and volume-label entries and names with a leading dot are listed only with -a.
static bool is_quiet_entry(const FindData* entry)
{
    return (entry->dwFileAttributes & (ATTR_HIDDEN | ATTR_SYSTEM | ATTR_VOLUME)) ||
           entry->cFileName[0] == '.';
}

static void ls_entry(const FindData* entry, char* path, ShellContext* ctx)
{
    if (!(ctx->walk_options & WALK_ALL) && is_quiet_entry(entry))
        return;
    if (ctx->walk_options & WALK_OWN)
        list_long(entry, path);
    else
        list_short(entry, path);
}

int32_t builtin_ls(char** words, ShellContext* ctx)
{
    column_counter = 0;
    ctx->walk_options = WALK_NAMES_ONLY;
    if (words[0] && words[0][0] == '-') {
        for (const char* p = *words + 1; *p; ++p) {
            if (*p == 'a')
                ctx->walk_options |= WALK_ALL;
            else if (*p == 'l')
                ctx->walk_options |= WALK_OWN;
        }
        ++words;
    }
    if (words[0])
        walk_each(words, ls_entry, ctx);
    else
        walk_files("*", ls_entry, ctx);
    if (!(ctx->walk_options & WALK_OWN) && column_counter != 0)
        out_newline();
    return 0;
}
