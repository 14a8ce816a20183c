// platform_config.h: facts about text and commands on POSIX systems.
#pragma once

// Command names keep their slashes (the native separator).
constexpr bool PLATFORM_BACKSLASH_COMMANDS = false;
// Only '/' separates the directories of a path; ':' and '\' are ordinary name bytes.
constexpr bool PLATFORM_DOS_SEPARATORS = false;
// The system the build is for, as `vrel --version` names it.
constexpr const char* PLATFORM_BUILD = "POSIX";
// The word that asks a program of this system for its usage, besides --help and -h; or none.
constexpr const char* PLATFORM_HELP_WORD = nullptr;
// Text is in a code page that the system chooses at start-up (on POSIX it is always UTF-8).
constexpr bool PLATFORM_CODE_PAGES = false;
