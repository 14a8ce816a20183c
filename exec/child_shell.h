// child_shell.h: what a child shell takes over from the shell that starts it.
#pragma once

#include "core/shell.h"

// The environment variable that carries the state to a child shell for one command.
constexpr char CHILD_STATE_VARIABLE[] = "VREL_CHILD_STATE";

// Puts the shell's functions, option bits and key actions into the environment while a child
// shell starts (when `active`), and takes them out again once it has started or failed. When
// the variable cannot be set, `failure` holds the system's error and the child must not start.
struct StateHandOver {
    bool active;
    uint32_t failure = 0; // the system's error when the variable could not be set
    StateHandOver(ShellContext* ctx, bool active);
    StateHandOver(const StateHandOver&) = delete;
    StateHandOver& operator=(const StateHandOver&) = delete;
    ~StateHandOver();
};

// Removes the hand-over variable at once; when it held a whole state, puts that state into
// ctx and returns true: this shell is a child that runs one command and no start-up line.
bool take_over_state(ShellContext* ctx);
