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
    // The folder that a Filename or Directory beginning with .\ or ..\ (./, ../) is taken from:
    // the exe's folder, ending in one backslash or more. Empty: such paths go out as written.
    std::string ExeFolder;
};

// The placeholder for the text typed after a keyword, in any letter case.
constexpr const char* kTextPlaceholder = "$W$";

constexpr char kKeyEnter = 13;
constexpr char kKeyEscape = 27;

// Handles one character typed into the input line before the edit box inserts it. `key` holds
// the character as typed, as its UTF-8 bytes, and is emptied when it must be swallowed (Enter and
// Escape); `line` is the input line's text before the key. The line with the key is compared with
// the keywords after both are upper-cased by the system's case mapping (System::UpperCase), each
// keyword once for as long as it stays as it is. Every launch goes through `system` with
// `window` as owner. Returns true when the command window must hide: after Escape, or once
// anything was launched.
//
// An entry whose Filename or Params holds the placeholder takes text: Enter on its keyword, a
// blank and more launches it with the text after the blank in place of each placeholder (Enter
// on the bare keyword with nothing in its place); typing alone never launches it. Just before a
// launch an entry's fields are prepared in this order: environment variables of the stored
// fields expanded, a path relative to the exe's folder made whole, then the typed text put in,
// percent-encoded (its UTF-8 bytes) where the Filename is a web or ftp address. The typed text
// is data: it is never expanded nor taken as a path. The stored entry is never changed.
// Launches one entry as a key press does (the beep first when Sound is on): its fields prepared
// as below with `text` as the text after its keyword, through the verb "open", or "runas" for an
// entry marked to run as administrator.
void LaunchEntry(const TDBItem& entry, const std::string& text, const TCommandOptions& options,
                 toolkit::System& system, toolkit::WindowHandle window);

// A stored Filename or Directory as a launch hands it to the shell, before any typed text goes in:
// its environment variables expanded and a path from the exe's folder made whole.
std::string LaunchPath(const std::string& stored, const TCommandOptions& options,
                       toolkit::System& system);

// Whether the entry takes the text typed after its keyword (its Filename or Params holds the
// placeholder): typing its keyword alone never launches it.
bool TakesText(const TDBItem& entry);

bool CommandKeyPress(std::string& key, const std::string& line, const TCommandOptions& options,
                     const TEntries& entries, toolkit::System& system,
                     toolkit::WindowHandle window);
// The same for a key of one byte (an ASCII character, Enter or Escape), set to 0 when swallowed.
bool CommandKeyPress(char& key, const std::string& line, const TCommandOptions& options,
                     const TEntries& entries, toolkit::System& system,
                     toolkit::WindowHandle window);
