// read_word.h: the word reader with quoting, escapes and expansion.
#pragma once

#include "core/shell.h"

#include <cstddef>

constexpr size_t NAME_SIZE = 320;       // a name or braced text of up to 319 bytes
constexpr size_t EXPANSION_SIZE = 1024; // a backquoted command or a value of a fixed source

// Reads one word of `text` into `out`, expanded and with quotes removed, and sets
// ctx->word_end to its terminator. Writes at most `out_size` bytes (terminator included);
// a longer word is cut (ctx->word_cut says so) and nothing more of it is expanded or run, but
// it is read to its end all the same. Returns the position in text where it stopped.
const char* read_word(char* out, size_t out_size, const char* text, ShellContext* ctx);
// True when a word that starts at text (blanks skipped) is an operator word: its first byte is
// one of "><|&;" in the text itself, not out of quotes, escapes or expansions. Only such words
// separate commands or redirect.
bool starts_operator(const char* text);
// Copies the name at the start of text (a run of name bytes, or braced text) into dst, which
// holds NAME_SIZE bytes (longer names are cut); returns the position behind the name.
const char* scan_name(char* dst, const char* text);
// Writes `word` into out (up to, not including, `end`; no terminator) so that read_word reads
// back exactly that word and expands nothing: as it is when no byte of it means anything to the
// reader, otherwise in single quotes. Returns the position behind it, or null when it does not
// fit.
char* quote_word(char* out, char* end, const char* word);

// While one lives, the words read are those of a value: quotes group and are removed, but
// backquotes, `~` and `$` in them are plain bytes.
struct ValueWords {
    ValueWords();
    ValueWords(const ValueWords&) = delete;
    ValueWords& operator=(const ValueWords&) = delete;
    ~ValueWords();
};
