// platform_config.h: facts about text and commands on Windows.
#pragma once

// Every '/' of a command name becomes '\' before the program is started.
constexpr bool PLATFORM_BACKSLASH_COMMANDS = true;
// '\' and the ':' of a drive separate the directories of a path as '/' does.
constexpr bool PLATFORM_DOS_SEPARATORS = true;
