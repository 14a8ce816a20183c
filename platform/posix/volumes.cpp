// volumes.cpp: the mounted volumes for df, from the mount table.
#include "platform/platform.h"
#include "posix_layer.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/statvfs.h>
#include <vector>

struct MountEntry {
    std::string source, point, type;
};

// Mount table fields write a blank, tab, newline or backslash as \ and three octal digits.
static std::string unescape_field(const char* text)
{
    std::string out;
    for (const char* at = text; *at; ++at) {
        if (at[0] == '\\' && at[1] >= '0' && at[1] <= '3' && at[2] >= '0' && at[2] <= '7' &&
            at[3] >= '0' && at[3] <= '7') {
            out += static_cast<char>((at[1] - '0') * 64 + (at[2] - '0') * 8 + (at[3] - '0'));
            at += 3;
        } else {
            out += *at;
        }
    }
    return out;
}

static std::vector<MountEntry> read_mount_table()
{
    std::vector<MountEntry> mounts;
    FILE* table = fopen("/proc/self/mounts", "re");
    if (!table)
        return mounts;
    char line[4096];
    while (fgets(line, sizeof line, table)) {
        char* save = nullptr;
        char* source = strtok_r(line, " \t\n", &save);
        char* point = strtok_r(nullptr, " \t\n", &save);
        char* type = strtok_r(nullptr, " \t\n", &save);
        if (source && point && type)
            mounts.push_back({unescape_field(source), unescape_field(point), type});
    }
    fclose(table);
    return mounts;
}

static const char* type_name_of(const MountEntry& mount)
{
    const std::string& type = mount.type;
    if (type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" || type == "smbfs" ||
        type == "fuse.sshfs")
        return "network";
    if (type == "tmpfs" || type == "ramfs")
        return "ramdisk";
    if (type == "iso9660" || type == "udf")
        return "cd-rom";
    if (mount.source.compare(0, 5, "/dev/") == 0)
        return "fixed";
    return "-";
}

// The mount point `point` holds `path` when it is the path or a leading part of it.
static bool holds(const std::string& point, const std::string& path)
{
    if (point == "/")
        return true;
    return path.compare(0, point.size(), point) == 0 &&
           (path.size() == point.size() || path[point.size()] == '/');
}

// The index of the volume holding `select`: the longest mount point that leads its real path.
static size_t selected_volume(const std::vector<MountEntry>& mounts, const char* select)
{
    char real[PATH_MAX];
    size_t best = mounts.size();
    if (!realpath(select, real))
        return best;
    for (size_t i = 0; i < mounts.size(); ++i)
        if (holds(mounts[i].point, real) &&
            (best == mounts.size() || mounts[i].point.size() >= mounts[best].point.size()))
            best = i;
    return best;
}

// A mount point mounted again later is hidden by the later one and shown once, as that one.
static bool hidden_later(const std::vector<MountEntry>& mounts, size_t index)
{
    for (size_t i = index + 1; i < mounts.size(); ++i)
        if (mounts[i].point == mounts[index].point)
            return true;
    return false;
}

// Fills `volume`; false for a volume without blocks (a pseudo file system), which is left out.
static bool describe(const MountEntry& mount, VolumeInfo* volume)
{
    *volume = VolumeInfo{};
    snprintf(volume->root, sizeof volume->root, "%s", mount.point.c_str());
    volume->type_name = type_name_of(mount);
    struct statvfs numbers;
    if (statvfs(mount.point.c_str(), &numbers) != 0)
        return true;
    if (numbers.f_blocks == 0)
        return false;
    volume->has_geometry = true;
    volume->sectors_per_cluster = 1;
    volume->bytes_per_sector = numbers.f_frsize;
    volume->free_clusters = numbers.f_bavail;
    volume->total_clusters = numbers.f_blocks;
    return true;
}

bool sys_for_each_volume(const char* select, void (*visit)(const VolumeInfo* volume, void* data),
                         void* data)
{
    std::vector<MountEntry> mounts = read_mount_table();
    if (mounts.empty())
        return false;
    size_t only = select ? selected_volume(mounts, select) : mounts.size();
    for (size_t i = 0; i < mounts.size(); ++i) {
        if (select ? i != only : hidden_later(mounts, i))
            continue;
        VolumeInfo volume;
        if (describe(mounts[i], &volume))
            visit(&volume, data);
    }
    return true;
}
