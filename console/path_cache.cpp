// path_cache.cpp: the names of the programs in the folders of PATH, read again only when a
// folder's last-write time changes.
#include "console/path_cache.h"

#include "console/completion_names.h"
#include "parse/strings.h"
#include "platform/platform.h"

#include <cstdint>
#include <cstring>

constexpr size_t PATH_VALUE_SIZE = 32768;

struct CachedFolder {
    char path[PATH_FOLDER_SIZE];
    int64_t time;
    bool present;    // the folder was there at its last reading
    uint32_t first;  // its names in `names`, from here
    uint32_t length; // this many bytes
};

static CachedFolder folders[PATH_CACHE_FOLDERS];
static size_t folder_count;
static char names[PATH_CACHE_NAMES];
static uint32_t names_used; // the old names of a folder listed again stay until a full listing
static size_t listings;

struct FolderListing {
    CachedFolder* folder;
    bool fitted;
};

// Keeps one program name at the end of `names`; false (stopping the listing) when it does
// not fit.
static bool keep_name(const char* name, void* data)
{
    auto* listing = static_cast<FolderListing*>(data);
    size_t size = std::strlen(name) + 1;
    if (!name_offered(name))
        return true;
    if (names_used + size > PATH_CACHE_NAMES)
        return listing->fitted = false;
    std::memcpy(names + names_used, name, size);
    names_used += static_cast<uint32_t>(size);
    listing->folder->length += static_cast<uint32_t>(size);
    return true;
}

// Lists the folder's programs at the end of `names`; false when they do not fit.
static bool list_folder(CachedFolder* folder)
{
    ++listings;
    folder->first = names_used;
    folder->length = 0;
    FolderListing listing{folder, true};
    sys_list_programs(folder->path, keep_name, &listing);
    return listing.fitted;
}

// Brings one folder up to date: true when it still fits.
static bool refresh_folder(CachedFolder* folder, const char* path)
{
    int64_t time = 0;
    bool present = sys_modified_time(path, &time);
    if (std::strcmp(folder->path, path) == 0 && folder->present == present && folder->time == time)
        return true;
    copy_bounded(folder->path, path, sizeof folder->path);
    folder->time = time;
    folder->present = present;
    folder->length = 0;
    return !present || list_folder(folder);
}

// The folders of PATH in order; an empty element (the current folder) is left out.
static void read_folders(bool* full)
{
    static char value[PATH_VALUE_SIZE];
    sys_get_env("PATH", value, sizeof value);
    char separator = PLATFORM_DOS_SEPARATORS ? ';' : ':';
    size_t count = 0;
    for (char* p = value; *p && count < PATH_CACHE_FOLDERS;) {
        char* end = std::strchr(p, separator);
        if (end)
            *end = 0;
        if (*p && std::strlen(p) < PATH_FOLDER_SIZE && !refresh_folder(&folders[count++], p))
            *full = true;
        p = end ? end + 1 : p + std::strlen(p);
    }
    folder_count = count;
}

void path_cache_refresh()
{
    bool full = false;
    read_folders(&full);
    if (!full)
        return;
    // Out of room: every folder is listed again into an empty store.
    names_used = 0;
    for (size_t i = 0; i < folder_count; ++i)
        if (folders[i].present && !list_folder(&folders[i]))
            folders[i].length = 0;
}

const char* path_cache_next(const char* prefix, const char* after)
{
    const char* best = nullptr;
    for (size_t i = 0; i < folder_count; ++i) {
        const char* p = names + folders[i].first;
        const char* end = p + folders[i].length;
        for (; p < end; p += std::strlen(p) + 1)
            if (name_after(p, prefix, after) && (!best || name_compare(p, best) < 0))
                best = p;
    }
    return best;
}

size_t path_cache_listings() { return listings; }
