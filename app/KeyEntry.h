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
    // On Enter, a line that launched nothing is run as a command: RunTypedCommand.
    bool RunTyped = false;
    // Enter came with Ctrl and Shift held: whatever it launches asks to run as administrator.
    bool Elevate = false;
};

// The placeholder for the text typed after a keyword, in any letter case.
constexpr const char* kTextPlaceholder = "$W$";
// The placeholder for the clipboard's text (ClipboardLine), in any letter case. It makes no entry
// take text: an entry with only this one completes as any other.
constexpr const char* kClipboardPlaceholder = "$C$";

// What of the clipboard's text goes in place of $C$: its first line that holds more than blanks,
// without the blanks and control characters around it. Empty when there is none.
std::string ClipboardLine(const std::string& clipboard);

// A typed command as the Run dialog splits it: the first part in double quotes (to the line's
// end when the quote is not closed), or else the first word, is the program; the rest, without
// the blanks before it, the parameters. Blanks around the line do not count.
struct TTypedCommand {
    std::string Program;
    std::string Params;
};
TTypedCommand SplitCommand(const std::string& line);

// Whether the clipboard's line may go in place of $C$ in these fields: a line holding a double
// quote could close the entry's quotes and add a command of its own (web pages set the
// clipboard), so it may only go into a web or ftp Filename, where it is percent-encoded.
bool ClipboardFits(const std::string& clipLine, const std::string& file, const std::string& params);

// Whether a path names its folder from a root: "C:\" (or "C:/") or a UNC path "\\server\...".
bool IsAbsolutePath(const std::string& path);
// Whether a program name names no folder at all (no slash, backslash or colon, and more than
// dots): the shell would look for it in the current folder.
bool IsBareName(const std::string& name);
// Where a bare name is found as the Run dialog finds it, but never in the current folder: its
// App Paths registration, then the system folder, the Windows folder and each whole folder in
// PATH, trying the name as it is when it has an extension and then with each extension of
// PATHEXT. Empty when it is found nowhere, or when the name is not bare.
std::string FindProgram(const std::string& name, toolkit::System& system);

// Runs a line that launched nothing as the Run dialog would: the whole line (its environment
// variables expanded) when it is an absolute path to an existing file or folder, else
// SplitCommand's program with its parameters, through System::TryExecute. A bare program name
// goes out as FindProgram's full path, and fails when none is found. With options.Elevate the
// verb is "runas", and "open" where the type has no "runas". On a start the confirmation beep
// follows when Sound is on; when nothing could be started the error sound plays (MB_ICONHAND);
// a refused consent prompt gives neither.
toolkit::ExecuteOutcome RunTypedCommand(const std::string& line, const TCommandOptions& options,
                                        toolkit::System& system, toolkit::WindowHandle window);

// Launches one entry as a key press does, its fields prepared as CommandKeyPress prepares them,
// with `text` as the text after its keyword. As the user (the verb "open", the beep first when
// Sound is on), or as administrator for an entry marked so or when options.Elevate: then through
// System::TryExecute with "runas", "open" where the type has no "runas", the beep after the start.
// An address always opens as the user. Returns whether it started; when not (nothing started, or
// the clipboard's line does not fit, ClipboardFits), the error sound plays, except after a
// refused consent prompt.
bool LaunchEntry(const TDBItem& entry, const std::string& text, const TCommandOptions& options,
                 toolkit::System& system, toolkit::WindowHandle window);

// A stored Filename or Directory as a launch hands it to the shell, before any typed text goes in:
// its environment variables expanded and a path from the exe's folder made whole.
std::string LaunchPath(const std::string& stored, const TCommandOptions& options,
                       toolkit::System& system);

// Whether the entry takes the text typed after its keyword (its Filename or Params holds the
// placeholder): typing its keyword alone never launches it.
bool TakesText(const TDBItem& entry);

constexpr char kKeyEnter = 13;
constexpr char kKeyEscape = 27;

// Handles one character typed into the input line before the edit box inserts it. `key` holds
// the character as typed, as its UTF-8 bytes, and is emptied when it must be swallowed (Enter and
// Escape); `line` is the input line's text before the key. The line with the key is compared with
// the keywords after both are upper-cased by the system's case mapping (System::UpperCase), each
// keyword once for as long as it stays as it is. Every launch goes through `system` with
// `window` as owner. Returns true when the command window must hide: after Escape, or once
// anything was launched; then `launched`, when given, receives the upper-cased line that launched
// it (for Escape, and when nothing launched, it is left as it was).
//
// An entry whose Filename or Params holds the placeholder takes text: Enter on its keyword, a
// blank and more launches it with the text after the blank in place of each placeholder (Enter
// on the bare keyword with nothing in its place); typing alone never launches it. Just before a
// launch an entry's fields are prepared in this order: environment variables of the stored
// fields expanded, a path relative to the exe's folder made whole, then the typed text and the
// clipboard's put in, percent-encoded (their UTF-8 bytes) where the Filename is a web or ftp
// address. Both texts are data: never expanded nor taken as a path. The clipboard is read only
// for an entry that holds $C$. The stored entry is never changed.
//
// On Enter with RunTyped on, a line that launched nothing is run by RunTypedCommand; the window
// hides only when that started something. With Elevate, entries go out as LaunchEntry sends
// them; a typed address opens as the user. An entry that did not start does not count as
// launched.
bool CommandKeyPress(std::string& key, const std::string& line, const TCommandOptions& options,
                     const TEntries& entries, toolkit::System& system, toolkit::WindowHandle window,
                     std::string* launched = nullptr);
// The same for a key of one byte (an ASCII character, Enter or Escape), set to 0 when swallowed.
bool CommandKeyPress(char& key, const std::string& line, const TCommandOptions& options,
                     const TEntries& entries, toolkit::System& system,
                     toolkit::WindowHandle window);
