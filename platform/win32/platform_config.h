// platform_config.h: facts about text and commands on Windows.
#pragma once

// Every '/' of a command name becomes '\' before the program is started.
constexpr bool PLATFORM_BACKSLASH_COMMANDS = true;
// '\' and the ':' of a drive separate the directories of a path as '/' does.
constexpr bool PLATFORM_DOS_SEPARATORS = true;
// The system the build is for, as `vrel --version` names it.
constexpr const char* PLATFORM_BUILD = "Windows";
// The word that asks a program of this system for its usage, besides --help and -h; or none.
constexpr const char* PLATFORM_HELP_WORD = "/?";
// Text is in a code page that the system chooses at start-up (on POSIX it is always UTF-8).
constexpr bool PLATFORM_CODE_PAGES = true;
