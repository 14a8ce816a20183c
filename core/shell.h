// shell.h: the shell's one state record, the function store block and the shared constants.
#pragma once

#include "platform/platform.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// Bits of ShellContext::options.
constexpr uint32_t OPT_DEFINING = 0x01; // lines go to the function being defined
constexpr uint32_t OPT_NOEXIT = 0x02;   // `exit` refuses with -1
constexpr uint32_t OPT_ECHO = 0x04;     // external command lines are shown before they start
constexpr uint32_t OPT_NOWAIT = 0x08;   // the current command's program is not waited for
constexpr uint32_t OPT_PIPE = 0x10;     // the current command's output goes into a new pipe
constexpr uint32_t OPT_TRACE = 0x20;    // file operations are shown before they are made

// Bits of ShellContext::redir_flags.
constexpr uint32_t REDIR_APPEND = 1; // output files of this command are appended
constexpr uint32_t REDIR_ANY = 2;    // the command has a redirection or ends with '|'
constexpr uint32_t REDIR_SHELL = 4;  // a built-in or function handed to a child shell
constexpr uint32_t REDIR_FAILED = 8; // that child shell was waited for and failed

// States of one `if` level; bit 0 alone says whether commands run.
constexpr uint8_t IF_WAIT = 0x00;
constexpr uint8_t IF_RUN = 0x01;
constexpr uint8_t IF_SKIP = 0xFE;
constexpr uint8_t IF_TEST = 0xFF;

constexpr int IF_LEVELS = 10;
constexpr int LOOP_LEVELS = 6;
constexpr int FRAME_LEVELS = 10;
// The target of cp and mv is as long as a path the walker hands out, so whatever the walker
// reaches can be copied or moved.
constexpr size_t DEST_PATH_SIZE = 320;

// Returned by dispatch for a command that is not a keyword, built-in or function run here.
constexpr int32_t NOT_HANDLED = -512;

// Sizes of the function store block and its fields.
constexpr size_t STORE_SIZE = 5152;
constexpr size_t DEFINITIONS_SIZE = 4080;
constexpr size_t HISTORY_SIZE = 1024;
constexpr size_t KEY_ACTIONS_SIZE = 32;

struct FunctionStore {
    char tag[8];             // "vrelFuNc"
    uint32_t history_oldest; // running index of the oldest history byte
    uint32_t history_next;   // running index one past the newest history byte
    char definitions[DEFINITIONS_SIZE];
    char history_ring[HISTORY_SIZE]; // kept for the block's layout: the lines outgrew it
    uint8_t key_actions[KEY_ACTIONS_SIZE];
};
static_assert(sizeof(FunctionStore) == STORE_SIZE, "the function store block is 5152 bytes");

struct ShellContext {
    char* word_end; // terminator the word reader wrote after its last word
    bool word_cut;  // the word reader's last word did not fit its area and was cut
    char* in_path;  // file of '<' for the current command, or null
    char* out_path; // file of '>' or '>>', or null
    char* err_path; // file of '>e' or '>>e', or null
    FunctionStore* store;
    uint32_t redir_flags;
    uint32_t walk_options; // option bits of the running file built-in
    int32_t status;        // status of the last command; $? shows its low 16 bits
    int32_t if_level;
    int32_t loop_level;
    int32_t frame_level;
    uint32_t options;
    uint32_t exit_code;     // exit code of the last program waited for, or a start error code
    SysHandle pending_pipe; // read end of the previous command's output pipe
    uint32_t pipe_serial;   // counts the pipes made: a pending pipe is known by its number
    int32_t text_if_level;  // the `if` level the running script, eval or function began at
    const char* text_name;  // that text's name for messages, or null at the prompt
    bool child_shell;       // runs one command for a parent shell, which tells its failure
    uint64_t du_total;      // running total of `du` in KiB
    char* dest_tail;        // where `cp` and `mv` write each source name in dest_path
    char** frames[FRAME_LEVELS];
    uint16_t loop_counters[LOOP_LEVELS];
    uint8_t if_states[IF_LEVELS];
    char dest_path[DEST_PATH_SIZE];
};

// Set by the interrupt handler, which may run on another thread; polled by check_interrupt.
extern std::atomic<int> interrupted;

// Thrown by check_interrupt and caught only by the recovery point around the read-eval loop.
struct Interrupt {
};

// A built-in: the words after the command name (null-terminated, writable) and the context.
using BuiltinHandler = int32_t (*)(char** words, ShellContext* ctx);

struct BuiltinEntry {
    const char* name;
    BuiltinHandler handler;
};
