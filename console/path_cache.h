// path_cache.h: the names of the programs in the folders of PATH, read again only when a
// folder's last-write time changes.
#pragma once

#include <cstddef>

constexpr size_t PATH_CACHE_FOLDERS = 64;            // folders of PATH beyond these are not read
constexpr size_t PATH_CACHE_NAMES = size_t{1} << 18; // bytes of names, NUL after each
constexpr size_t PATH_FOLDER_SIZE = 320;

// Brings the cache up to date with PATH: each folder whose time changed (or that is new) is
// listed again; the others are not read.
void path_cache_refresh();
// The smallest program name greater than `after` (empty: none before) that begins with
// prefix, or null.
const char* path_cache_next(const char* prefix, const char* after);
// How many times folders were listed, for the tests of the cache.
size_t path_cache_listings();
