// pending.cpp: placeholders until the parser lands; removed by it.
#include "parse/arith.h"
#include "parse/char_class.h"
#include "parse/expand.h"
#include "parse/read_word.h"
#include "parse/special.h"
#include "parse/strings.h"
const uint8_t char_class[256] = {};
const char* skip_blanks(const char* t) { while (*t > 0 && *t <= 0x20) ++t; return t; }
char* skip_blanks(char* t) { while (*t > 0 && *t <= 0x20) ++t; return t; }
char* copy_end(char* d, const char* s) { while ((*d = *s++)) ++d; return d; }
char* append_end(char* d, const char* s) { while (*d) ++d; return copy_end(d, s); }
char* copy_bounded(char* d, const char*, size_t) { *d = 0; return d; }
char* format_unsigned(char* d, uint32_t) { *d = 0; return d; }
uint32_t parse_decimal(const char*) { return 0; }
int char_index(const char*, char) { return 0; }
int prefix_of(const char*, const char*) { return 0; }
const char* extension_of(const char* p) { return p; }
char* extension_of(char* p) { return p; }
int last_char_width(const char*) { return 0; }
char* dir_part(char* d, const char*) { *d = 0; return d; }
char* format_hex(char* d, uint32_t, int) { return d; }
void to_forward_slashes(char*) {}
void to_backslashes(char*) {}
void to_upper(char*) {}
void to_lower(char*) {}
const char* read_word(char* out, size_t, const char* text, ShellContext* ctx) { *out = 0; ctx->word_end = out; return text + 1; }
const char* scan_name(char* dst, const char* text) { *dst = 0; return text; }
void expand_parameter(const char*, ShellContext*, char* out) { *out = 0; }
int special_value(const char*, ShellContext*, char* out) { *out = 0; return -1; }
int read_env(const char*, char* b) { *b = 0; return -1; }
int32_t eval_expr(const char*) { return 0; }
int32_t builtin_at(char**, ShellContext*) { return 0; }
