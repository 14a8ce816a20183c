// builtins.cpp: the keyword table and the built-in table.
#include "core/builtins.h"

#include "core/script.h"
#include "exec/control.h"
#include "exec/functions.h"
#include "exec/simple.h"
#include "exec/test.h"
#include "fileutil/file_ops.h"
#include "fileutil/listings.h"
#include "parse/arith.h"

#include <cstring>

// Keywords run at every conditional level, also while one skips, so `fi` always finds its `if`.
const BuiltinEntry keyword_table[] = {
    {"elif", builtin_elif}, {"else", builtin_else}, {"fi", builtin_fi},
    {"if", builtin_if},     {"then", builtin_then}, {nullptr, nullptr},
};

// Rows keep this fixed order: the first match wins, and aliases share a handler.
const BuiltinEntry builtin_table[] = {
    {"and", builtin_and},       {"cat", builtin_cat},       {"cd", builtin_cd},
    {"chmod", builtin_chmod},   {"cp", builtin_cp},         {"ctrlkey", builtin_ctrlkey},
    {"df", builtin_df},         {"drv", builtin_drv},       {"du", builtin_du},
    {"echo", builtin_echo},     {"eval", builtin_eval},     {"exec", builtin_exec},
    {"exit", builtin_exit},     {"export", builtin_set},    {"function", builtin_function},
    {"lfor", builtin_lfor},     {"ls", builtin_ls},         {"lwhile", builtin_lwhile},
    {"mkdir", builtin_mkdir},   {"mv", builtin_mv},         {"or", builtin_or},
    {"ps", builtin_drv},        {"repeat", builtin_repeat}, {"rm", builtin_rm},
    {"rmdir", builtin_rmdir},   {"set", builtin_set},       {"shift", builtin_shift},
    {"source", builtin_source}, {"test", builtin_test},     {"true", builtin_true},
    {"unfunc", builtin_unfunc}, {"unset", builtin_unset},   {".", builtin_source},
    {":", builtin_colon},       {"@", builtin_at},          {"[", builtin_test},
    {nullptr, nullptr},
};

BuiltinHandler find_builtin(const BuiltinEntry* table, const char* name)
{
    // Most rows differ in their first byte, which spares the comparison of the rest.
    for (const BuiltinEntry* row = table; row->name; ++row)
        if (row->name[0] == name[0] && std::strcmp(row->name, name) == 0)
            return row->handler;
    return nullptr;
}
