// volumes.cpp: the drives A: to Z: for `df`.
#include "platform/platform.h"

#include <windows.h>

static const char* drive_type_name(UINT type)
{
    switch (type) {
    case DRIVE_REMOVABLE:
        return "removable";
    case DRIVE_FIXED:
        return "fixed";
    case DRIVE_REMOTE:
        return "network";
    case DRIVE_CDROM:
        return "cd-rom";
    case DRIVE_RAMDISK:
        return "ramdisk";
    default:
        return "-";
    }
}

static void describe_drive(int number, VolumeInfo* volume)
{
    volume->letter = static_cast<char>('A' + number);
    volume->root[0] = volume->letter;
    volume->root[1] = ':';
    volume->root[2] = '\\';
    volume->root[3] = 0;
    volume->type_name = drive_type_name(GetDriveTypeA(volume->root));
    DWORD sectors, bytes, free_clusters, total_clusters;
    volume->has_geometry =
        GetDiskFreeSpaceA(volume->root, &sectors, &bytes, &free_clusters, &total_clusters) != 0;
    if (!volume->has_geometry)
        sectors = bytes = free_clusters = total_clusters = 0;
    volume->sectors_per_cluster = sectors;
    volume->bytes_per_sector = bytes;
    volume->free_clusters = free_clusters;
    volume->total_clusters = total_clusters;
}

bool sys_for_each_volume(const char* select, void (*visit)(const VolumeInfo* volume, void* data),
                         void* data)
{
    DWORD drives = GetLogicalDrives();
    if (drives == 0)
        return false;
    // "c" and "C" both pick C: (bit 2); any other byte picks whatever its low five bits say.
    if (select)
        drives &= 1u << ((static_cast<unsigned char>(select[0]) - 1u) % 32u);
    for (int number = 0; number < 32; ++number) {
        if (!(drives & (1u << number)))
            continue;
        VolumeInfo volume{};
        describe_drive(number, &volume);
        visit(&volume, data);
    }
    return true;
}
