// last_error.h: the error code the Windows layer keeps for sys_last_error.
#pragma once

#include <cstdint>

// Keeps GetLastError() as the code of the call that just failed and returns it.
uint32_t keep_last_error();
// Keeps `code` as the code of the call that just failed.
void keep_error(uint32_t code);
// As keep_last_error for a call on `path` (and `other`, when not null): a path that was not
// found because its full form is longer than the system takes is kept as too long.
uint32_t keep_path_error(const char* path, const char* other = nullptr);
