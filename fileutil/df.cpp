// df.cpp: the df built-in, size and free space of each volume.
//
// A Windows drive shows its root and type in the first column and its root again under
// "Mounted on". A POSIX volume has no drive letter and its mount point may be of any length,
// so its type alone fills the first column (14 bytes, like "C:/" and the type) and the mount
// point stands under "Mounted on", followed by the cluster geometry:
//
// Filesystem       kbytes    used   avail capacity Mounted on
// C:/fixed         1048576  524288  524288    50%   C:/ (    8/512)
// fixed            1048576  524288  524288    50%   /home (    1/4096)
//
// The figures are 64-bit and printed in full; their widths are minimums. Every figure after
// the first keeps at least one blank before it, so that large disks, whose figures outgrow the
// columns, still show separate numbers ("%8d" would run 123456789 and 98765432 together).
#include "console/output.h"
#include "fileutil/listings.h"

constexpr char DF_HEADER[] = "Filesystem       kbytes    used   avail capacity Mounted on\r\n";

struct DfFigures {
    unsigned long long kbytes, used, avail, capacity, sectors, bytes;
};

// A volume without clusters shows capacity 0 rather than a division by zero.
static DfFigures compute_figures(const VolumeInfo* volume)
{
    uint64_t cluster = volume->sectors_per_cluster * volume->bytes_per_sector;
    uint64_t total = volume->total_clusters;
    uint64_t free = volume->free_clusters < total ? volume->free_clusters : total;
    DfFigures f;
    f.kbytes = cluster * total / 1024;
    f.used = cluster * (total - free) / 1024;
    f.avail = cluster * volume->free_clusters / 1024;
    f.capacity = total ? (total - free) * 100 / total : 0;
    f.sectors = volume->sectors_per_cluster;
    f.bytes = volume->bytes_per_sector;
    return f;
}

static void write_volume(const VolumeInfo* volume)
{
    char letter = volume->letter;
    const char* type = volume->type_name;
    if (!volume->has_geometry) {
        if (letter)
            out_fmt("%c:/%-8s\r\n", letter, type);
        else
            out_fmt("%-49s%s\r\n", type, volume->root);
        return;
    }
    DfFigures f = compute_figures(volume);
    if (letter)
        out_fmt("%c:/%-11s%9llu %7llu %7llu%6llu%%   %c:/ (%5llu/%llu)\r\n", letter, type, f.kbytes,
                f.used, f.avail, f.capacity, letter, f.sectors, f.bytes);
    else
        out_fmt("%-14s%9llu %7llu %7llu%6llu%%   %s (%5llu/%llu)\r\n", type, f.kbytes, f.used,
                f.avail, f.capacity, volume->root, f.sectors, f.bytes);
}

// The header comes with the first volume, so that a system without volumes shows nothing.
static void df_volume(const VolumeInfo* volume, void* data)
{
    bool* header_shown = static_cast<bool*>(data);
    if (!*header_shown)
        out_str(DF_HEADER);
    *header_shown = true;
    write_volume(volume);
}

int32_t builtin_df(char** words, ShellContext*)
{
    bool header_shown = false;
    if (!sys_for_each_volume(words[0], df_volume, &header_shown))
        return 1;
    if (!header_shown)
        out_str(DF_HEADER);
    return 0;
}
