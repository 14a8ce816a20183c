// platform_config.h: facts about text and commands on POSIX systems.
#pragma once

// Text is UTF-8: no byte is a double-byte lead, every byte 0x80-0xFF is a name byte.
constexpr bool PLATFORM_UTF8 = true;
// Command names keep their slashes (the native separator).
constexpr bool PLATFORM_BACKSLASH_COMMANDS = false;
// Only '/' separates the directories of a path; ':' and '\' are ordinary name bytes.
constexpr bool PLATFORM_DOS_SEPARATORS = false;
