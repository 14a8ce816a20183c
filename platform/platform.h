// platform.h: the one door between the shell and the operating system.
//
// Everything the shell needs from the system goes through the `sys_` operations declared
// here: files, directory searches, programs and pipes, the environment, keys, system facts and
// the interrupt signal. They speak the shell's terms (byte-string paths, attribute words, the
// entry record) and never a system type. A `sys_` call reports failure by its return value and
// keeps the system's error code for `sys_last_error`; it never prints and never throws.
// Two folders implement all of it, `posix/` and `win32/`; the build picks one.
#pragma once

#include "platform_config.h" // per platform: PLATFORM_BACKSLASH_COMMANDS, PLATFORM_DOS_SEPARATORS

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Start and end of the process

// Called first by main with the process arguments (the POSIX layer joins them into the command
// line; the Windows layer asks the system instead). Takes over the environment on POSIX; on
// Windows sets HOME from USERPROFILE when HOME is not set.
void sys_init(int argc, char** argv);

// The process command line: the shell's own name first, then the rest as typed.
const char* sys_command_line();

// Where the system handed the shell its arguments one by one (POSIX), the arguments from the
// one that begins at `position` of sys_command_line's line on (null-terminated); null when no
// argument begins there, and always on Windows, where the caller wrote the line itself.
char** sys_arguments_at(const char* position);

// When the system started the shell for a script whose first line names it, the script's path
// followed by its arguments (null-terminated); otherwise null, always so on Windows.
char** sys_script_words();

// Turns `count` bytes of UTF-16 (a whole number of characters; big- or little-endian) into the
// shell's text: UTF-8 on POSIX, the ANSI code page on Windows. Writes at most `size` bytes,
// which must be at least 3 bytes per two input bytes. Returns the count written, or
// SYS_TEXT_BROKEN for a surrogate without its pair, SYS_TEXT_UNMAPPED for a character the code
// page lacks.
constexpr int64_t SYS_TEXT_BROKEN = -1;
constexpr int64_t SYS_TEXT_UNMAPPED = -2;
int64_t sys_text_from_utf16(const char* bytes, size_t count, bool big_endian, char* out,
                            size_t size);

// Flushes standard output, puts the terminal back as it was and ends the process.
[[noreturn]] void sys_exit(uint32_t code);
// How a child shell's status travels to its parent as an exit code, and back. An exit code
// holds 32 bits on Windows, 8 on POSIX: there a status is kept within -128 to 127 first, so
// that an error stays an error and a false stays false.
uint32_t sys_status_exit_code(int32_t status);
int32_t sys_exit_code_status(uint32_t code);

// ---------------------------------------------------------------------------------------------
// Handles: files, pipe ends and standard streams. SYS_NO_HANDLE means "none" (not redirected).

using SysHandle = intptr_t;
constexpr SysHandle SYS_NO_HANDLE = -1;

// Opens an existing file for reading with no sharing. `inheritable` lets a child get it.
SysHandle sys_open_input(const char* name, bool inheritable);
// Opens for writing with no sharing, inheritable: created or emptied, or with `append` opened
// or created and positioned at its end.
SysHandle sys_open_output(const char* name, bool append);
// True when `name` is the file that `handle` has open (so a second opening would be refused).
bool sys_is_open_file(SysHandle handle, const char* name);
// Reads up to `size` bytes: the count read, 0 at the end, -1 on an error.
int64_t sys_read(SysHandle handle, void* buffer, size_t size);
// Writes all bytes: true on success.
bool sys_write(SysHandle handle, const void* data, size_t size);
void sys_close(SysHandle handle);
// Makes an anonymous pipe whose two ends children may inherit: 0 or the system error code.
uint32_t sys_make_pipe(SysHandle* read_end, SysHandle* write_end);

// The system's error code of the last failed `sys_` call (errno values on POSIX).
uint32_t sys_last_error();
// True when the last failed `sys_` call was refused because a path was longer than the system
// takes (on Windows also a relative path whose full form is too long, reported as not found).
bool sys_path_too_long();

// Closes a handle when it goes out of scope, also when an interrupt unwinds the work.
struct HandleOwner {
    SysHandle handle = SYS_NO_HANDLE;
    HandleOwner() = default;
    explicit HandleOwner(SysHandle h) : handle(h) {}
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;
    ~HandleOwner() { reset(); }
    void reset(SysHandle h = SYS_NO_HANDLE)
    {
        if (handle != SYS_NO_HANDLE)
            sys_close(handle);
        handle = h;
    }
    SysHandle release()
    {
        SysHandle h = handle;
        handle = SYS_NO_HANDLE;
        return h;
    }
};

// ---------------------------------------------------------------------------------------------
// Text. All text the shell handles (names, environment, command lines, program lines) is bytes
// of one code page, the system's ANSI code page on Windows and UTF-8 on POSIX.

constexpr int SYS_LEAD_RANGES_SIZE = 12;

struct SysCodePage {
    uint32_t number; // 65001 for UTF-8, 932 for Shift_JIS, 1252 for Western European...
    // First and last byte of each run of double-byte lead bytes, ended by a zero: all zero in
    // UTF-8 and in a single-byte code page.
    uint8_t lead_ranges[SYS_LEAD_RANGES_SIZE];
};
// The code page of the shell's text, as the system reports it.
void sys_code_page(SysCodePage* out);

// ---------------------------------------------------------------------------------------------
// Console output. Standard output is a text stream: on Windows a line feed reaches the console
// as CR LF. Output to a terminal appears at once; to a file or pipe it is buffered and flushed
// by sys_flush_out (before a program starts, before a key is read) and at exit.

void sys_write_out(const char* data, size_t size);
void sys_flush_out();
// The system's error code of the first write to standard output that failed since the last
// call, 0 when none; asking clears it and drops what is still buffered. Once a write failed,
// output is dropped until then: what was written stays, the rest never comes.
uint32_t sys_output_failure();
// Whether that code says the reader of a pipe went away (rather than a full disk, a device
// error...): a program would end quietly there.
bool sys_reader_gone(uint32_t code);
// Writes straight to standard error, unbuffered.
void sys_write_error(const char* text);
// True when standard output is a terminal (a console) rather than a file or pipe.
bool sys_output_is_terminal();
// Width in columns of the terminal (console) that standard output writes to, 0 when it is
// none or does not say.
int sys_terminal_columns();
// Writes what the line editor shows for one key, after the output before it, in one piece (one
// console call where no cursor move up or right is in it). Besides text it holds \b, \r, \n
// and two moves: ESC [ n A (n rows up) and ESC [ n C (n columns right); the Windows layer
// carries them out with the console's own calls, a terminal reads them itself.
void sys_write_screen(const char* data, size_t size);

// ---------------------------------------------------------------------------------------------
// Keyboard and standard input

// True when standard input is a terminal (a console): the line editor and prompt are used.
bool sys_input_is_terminal();
// Cursor and function keys arrive as two codes: a prefix, then the key's scan code. Scan codes
// are below 128. Text arrives as its bytes; so that a text byte 224 is never taken for the
// prefix, outside UTF-8 it arrives doubled (224 224), and in UTF-8 the byte after it is a
// continuation byte (128 and up).
constexpr int KEY_PREFIX_CURSOR = 224; // the cursor keys, Insert and Delete
constexpr int KEY_PREFIX_FUNCTION = 0; // F1-F10
constexpr int SCAN_F1 = 59;            // F1-F10 are 59-68
constexpr int SCAN_SHIFT_F1 = 84;      // with Shift held 84-93
constexpr int SCAN_CTRL_F1 = 94;       // with Ctrl held 94-103
constexpr int SCAN_ALT_F1 = 104;       // with Alt held 104-113
constexpr int SCAN_HOME = 71;
constexpr int SCAN_UP = 72;
constexpr int SCAN_PAGE_UP = 73;
constexpr int SCAN_LEFT = 75;
constexpr int SCAN_RIGHT = 77;
constexpr int SCAN_END = 79;
constexpr int SCAN_DOWN = 80;
constexpr int SCAN_PAGE_DOWN = 81;
constexpr int SCAN_INSERT = 82;
constexpr int SCAN_DELETE = 83;
constexpr int SCAN_CTRL_LEFT = 115; // Ctrl with Left, Right, End, Page Down, Home
constexpr int SCAN_CTRL_RIGHT = 116;
constexpr int SCAN_CTRL_END = 117;
constexpr int SCAN_CTRL_PAGE_DOWN = 118;
constexpr int SCAN_CTRL_HOME = 119;
// A key typed with Alt held comes after the prefix KEY_PREFIX_FUNCTION: Alt-B and Alt-F with
// their own codes, Alt-Enter, and every other one as SCAN_ALT_KEY.
constexpr int SCAN_ALT_B = 48;
constexpr int SCAN_ALT_F = 33;
constexpr int SCAN_ALT_ENTER = 28;
constexpr int SCAN_ALT_KEY = 120;

// Waits for one key, 0-255, without echo (keys in the form above). Returns -1 at the end of
// input (standard input that is not a terminal, or a terminal that went away).
int sys_read_key();
// True when a key is waiting to be read (never waits).
bool sys_key_waiting();
// Pushes one key back: the next sys_read_key returns it.
void sys_unread_key(int key);
// Puts the terminal back in the mode it had before the shell read keys (before a command
// runs); the next sys_read_key switches to raw input again.
void sys_restore_terminal();
// Reads one plain text line from standard input that is not a terminal: a line feed ends it,
// a carriage return just before it is dropped, text is cut at `size` - 1 bytes. Returns the
// length of the whole line (`size` or more when it was cut), or -1 at the end of input when
// nothing was read.
int64_t sys_read_input_line(char* line, size_t size);

// ---------------------------------------------------------------------------------------------
// Interrupts

// Installs `handler` for Ctrl-C, termination and break; it stays in force for every signal.
// A file copy under way stops at the signal (sys_copy fails), and its partial file is removed;
// so it is also when a hang-up or the console's closing ends the shell.
void sys_on_interrupt(void (*handler)(int));
// True when the terminal showed the last interrupt's key itself (its own ^C echo), so the
// shell's notice needs no second one.
bool sys_interrupt_echoed();

// ---------------------------------------------------------------------------------------------
// Environment. Every shell variable is an environment variable of the process.

// Copies the value of `name` into `buffer` (NUL-terminated) and returns its length. Returns 0
// with `buffer` emptied when the variable is absent, empty, or does not fit `size` bytes.
size_t sys_get_env(const char* name, char* buffer, size_t size);
// The length of the value of `name`, 0 when the variable is absent or empty.
size_t sys_env_length(const char* name);
// Sets `name` to `value`, or removes it when `value` is null. False when refused.
bool sys_set_env(const char* name, const char* value);
// Calls `visit` with each entry "NAME=VALUE" in the environment's own order.
void sys_for_each_env(void (*visit)(const char* entry, void* data), void* data);

// ---------------------------------------------------------------------------------------------
// Programs

// Starts the command line `line` as a program with the given standard handles
// (SYS_NO_HANDLE: the shell's own). Windows hands the line to the system as it is; POSIX
// cuts it into the argument vector by the rules of Windows programs (blanks and tabs separate,
// double quotes group, backslashes count only before a quote) and finds the program on PATH
// (the name "vrel" is the running shell, which gets the rest of the line as it is). When `wait` is
// set it waits for the end and stores the exit code (128 + signal for a signal on POSIX) in
// `exit_code`. Returns 0, or the system error code when the program could not be started or
// its end could not be waited for (the exit code is then not stored).
uint32_t sys_start_program(const char* line, SysHandle input, SysHandle output, SysHandle error,
                           bool wait, uint32_t* exit_code);
// Whether the system can start the file at path as a program: on Windows an executable image or
// a batch file, on POSIX a file the user may execute.
bool sys_is_program(const char* path);
// Switches program starts off (for fuzzing): every start then fails with error code 2.
void sys_disable_programs(bool disabled);
// For fuzzing: when set, sys_exit flushes and calls the hook instead of ending the process.
// The hook must not return (it throws).
void sys_set_exit_hook(void (*hook)(uint32_t code));

// ---------------------------------------------------------------------------------------------
// Files and directories. Attribute words use the Windows bit values below; on POSIX they are
// emulated (read-only from write permission, the rest kept in an extended attribute).

constexpr uint32_t ATTR_READONLY = 0x01;
constexpr uint32_t ATTR_HIDDEN = 0x02;
constexpr uint32_t ATTR_SYSTEM = 0x04;
constexpr uint32_t ATTR_VOLUME = 0x08;
constexpr uint32_t ATTR_DIRECTORY = 0x10;
constexpr uint32_t ATTR_ARCHIVE = 0x20;
constexpr uint32_t ATTR_DEVICE = 0x40;
constexpr uint32_t ATTR_NORMAL = 0x80;
constexpr uint32_t ATTR_REPARSE_POINT = 0x400;
constexpr uint32_t ATTR_INVALID = 0xFFFFFFFF;

// The attribute word of a path (a link itself, not its target, though a link to a directory
// carries the directory bit beside the reparse bit), or ATTR_INVALID.
uint32_t sys_get_attributes(const char* path);
bool sys_set_attributes(const char* path, uint32_t attributes);
// Removes a file; a read-only file is refused.
bool sys_delete_file(const char* path);
// Removes an empty directory, or a link to a directory as the link.
bool sys_remove_directory(const char* path);
bool sys_make_directory(const char* path);
// Renames or moves (directories too); across file systems copies then removes the source.
// An existing destination is never replaced: the move fails.
bool sys_move(const char* from, const char* to);
// Copies a file with its last-write time, overwriting an existing destination; never damages
// the source.
bool sys_copy(const char* from, const char* to);
bool sys_set_current_directory(const char* path);
// The current directory in `buffer`; 0 (buffer emptied) on failure or when it does not fit.
size_t sys_get_current_directory(char* buffer, size_t size);

// One directory entry as a search delivers it.
struct FindData {
    uint32_t dwFileAttributes;
    uint64_t nFileSize;      // full 64-bit size
    int64_t ftLastWriteTime; // platform time value, for sys_local_time
    char cFileName[260];
    // The code page of the shell's text cannot hold the name exactly (any form it could be
    // written in names another file or none): cFileName is then empty.
    bool name_lost = false;
};

struct LocalTime {
    int year, month, day, hour, minute, second;
};
// Converts a last-write time to local calendar time.
void sys_local_time(int64_t file_time, LocalTime* out);

// A directory search for a pattern whose last component may hold * and ?. On POSIX entries
// come sorted by name with "." and ".." first; "*" and "*.*" match every name.
struct SysSearch;
// Starts a search and fills the first entry; null when nothing matches.
SysSearch* sys_find_first(const char* pattern, FindData* entry);
// Fills the next entry; false when there is none.
bool sys_find_next(SysSearch* search, FindData* entry);
void sys_find_close(SysSearch* search);
// Whether searches fill in the attribute bits kept apart from the file type (hidden, system,
// archive; on POSIX they cost a system call per entry). On by default; a walk that needs only
// sizes and the directory and link bits may switch them off while it runs.
void sys_search_stored_attributes(bool wanted);

// Closes a search when it goes out of scope, also when an interrupt unwinds the work.
struct SearchOwner {
    SysSearch* search = nullptr;
    SearchOwner() = default;
    explicit SearchOwner(SysSearch* s) : search(s) {}
    SearchOwner(const SearchOwner&) = delete;
    SearchOwner& operator=(const SearchOwner&) = delete;
    ~SearchOwner() { reset(); }
    void reset(SysSearch* s = nullptr)
    {
        if (search)
            sys_find_close(search);
        search = s;
    }
};

// ---------------------------------------------------------------------------------------------
// The history file and the program folders of PATH, for the line editor

// The history file's own place: on Windows %LOCALAPPDATA%\vrel\history.txt, on POSIX
// $XDG_STATE_HOME/vrel/history or, with that unset, ~/.local/state/vrel/history. Returns the
// length, 0 (buffer emptied) when the base folder is unknown or the path does not fit.
size_t sys_history_path(char* buffer, size_t size);
// Appends the bytes to the file, created when missing, in one write, so that writers at the
// same time interleave whole pieces. False on failure; else the file's size after the write
// is in *size_after.
bool sys_append_file(const char* path, const void* data, size_t size, uint64_t* size_after);
// Opens or creates the file at path and waits until this process alone holds its lock;
// SYS_NO_HANDLE on failure. sys_close gives the lock back.
SysHandle sys_lock_file(const char* path);
// Puts the file `from` in the place of `to` in one step, replacing it. False on failure.
bool sys_replace_file(const char* from, const char* to);
// The file's text converted between the shell's code page and UTF-8 (a copy where the shell's
// text is UTF-8); the length, or 0 (out emptied) when it does not fit or cannot be converted.
size_t sys_text_to_utf8(const char* text, char* out, size_t size);
size_t sys_text_from_utf8(const char* text, char* out, size_t size);
// The last-write time of a file or folder, comparable between two calls; false when missing.
bool sys_modified_time(const char* path, int64_t* time);
// The name by which a command line starts the folder's entry as a program, into name (`size`
// bytes): on Windows an entry whose extension PATHEXT lists, ".exe" left off; on POSIX an
// executable file. False for any other entry.
bool sys_program_name(const char* folder, const FindData* entry, char* name, size_t size);

// ---------------------------------------------------------------------------------------------
// Volumes for `df`

struct VolumeInfo {
    char root[256];        // "C:\" on Windows, the mount point on POSIX
    char letter;           // drive letter on Windows, 0 on POSIX
    const char* type_name; // "fixed", "network", "removable", "cd-rom", "ramdisk" or "-"
    bool has_geometry;     // false when the sizes could not be read
    uint64_t sectors_per_cluster, bytes_per_sector, free_clusters, total_clusters;
};
// Calls `visit` for each volume in order (drives A: to Z:, or the mount table). `select`, when
// not null, keeps only the drive of that letter (Windows) or the volume holding that path
// (POSIX). Returns false when the system reports no volumes at all.
bool sys_for_each_volume(const char* select, void (*visit)(const VolumeInfo* volume, void* data),
                         void* data);

// ---------------------------------------------------------------------------------------------
// System facts for the dynamic variables. Each fills `buffer` and returns the length, or 0
// with the buffer emptied when the call fails or the text does not fit.

size_t sys_host_name(char* buffer, size_t size);
size_t sys_user_name(char* buffer, size_t size);
size_t sys_system_directory(char* buffer, size_t size);
size_t sys_windows_directory(char* buffer, size_t size);

struct SysVersion {
    uint32_t platform_id, major, minor, build;
    char service_pack[128];
};
bool sys_version(SysVersion* out);
