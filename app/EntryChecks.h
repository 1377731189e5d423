// What the database editor can tell the user about entries before anything goes wrong: a keyword
// that typing can never reach, the files and folders worth looking for on disk, and the entry a
// dropped file makes. Portable: the key decision's own rules, without the windows.
#pragma once

#include "app/KeyEntry.h"
#include "data/Entries.h"
#include "toolkit/System.h"

#include <cstdint>
#include <optional>
#include <string>

// Two keywords of which the longer begins with the whole of the shorter: with NoEnter on, the
// shorter one launches as soon as it is typed, so the longer one can never be typed to its end.
struct TKeywordClash {
    std::string Shorter; // as upper-cased for matching
    std::string Longer;
};

// The first clash (in list order) between entry k's keyword and another entry's; none with
// NoEnter off, for an empty keyword, and between keywords that are the same (one keyword that
// launches several entries). A shorter keyword whose entries all take typed text launches on
// Enter only and hides nothing.
std::optional<TKeywordClash> FindKeywordClash(const TEntries& entries, std::int32_t k, bool noEnter,
                                              const TEntries::TCaseMap& upperCase);

// The paths of an entry worth looking for, as a launch hands them to the shell (environment
// expanded, paths from the exe's folder made whole); empty where there is nothing to look for.
// Only a path on a drive letter is looked for: addresses, bare program names that the shell finds
// through the PATH, relative paths, network paths and paths that hold a placeholder are not.
struct TEntryTargets {
    std::string File;   // the Filename: a file or a folder
    std::string Folder; // the "Start in" folder
};
TEntryTargets EntryTargets(const TDBItem& entry, const TCommandOptions& options,
                           toolkit::System& system);

// The Filename as a path Explorer can show selected in its folder (on a drive letter or a
// network share), without a trailing backslash; empty when the Filename is no such path.
std::string EntryFileLocation(const TDBItem& entry, const TCommandOptions& options,
                              toolkit::System& system);

// The entry a file or folder dropped onto the launcher starts as: named after the file without
// its extension (a folder by its whole name), its folder as "Start in" (none for a folder), no
// parameters and no keyword.
TDBItem DroppedEntry(const std::string& path, bool isFolder);
