// The command window's key-press decision, kept apart from the window so that it can be tested on
// its own: Escape, the candidate text, the keyword scan, typed addresses, the beep and the hide.
#pragma once

#include "data/Entries.h"
#include "toolkit/System.h"

#include <string>

struct TCommandOptions {
    bool Web = true;     // on Enter, open typed ftp, web and mailto: addresses
    bool NoEnter = true; // complete keywords without the Enter key
    bool Sound = true;   // beep before every launch
};

constexpr char kKeyEnter = 13;
constexpr char kKeyEscape = 27;

// Handles one character typed into the input line before the edit box inserts it. `key` is the
// character as typed and is set to 0 when it must be swallowed (Enter and Escape); `line` is the
// input line's text before the key. Every launch goes through `system` with `window` as owner.
// Returns true when the command window must hide: after Escape, or once anything was launched.
bool CommandKeyPress(char& key, const std::string& line, const TCommandOptions& options,
                     const TEntries& entries, toolkit::System& system,
                     toolkit::WindowHandle window);
