// platform_config.h: facts about text and commands on POSIX systems.
#pragma once

// Command names keep their slashes (the native separator).
constexpr bool PLATFORM_BACKSLASH_COMMANDS = false;
// Only '/' separates the directories of a path; ':' and '\' are ordinary name bytes.
constexpr bool PLATFORM_DOS_SEPARATORS = false;
