// The settings file "Tarnwick.ini" beside the executable: the database of launch entries
// ("DBSYSTEM" Count, "DATABASE" Name0, Filename0 ...), the command window's position and the
// options ("SYSTEM"). Read once at start; each writer touches only its own keys and saves the
// file whole (it lands whole or not at all) or raises toolkit::EIniFileException
// "Unable to write to <path>". Portable.
#pragma once

#include "data/Entries.h"

#include <cstdint>
#include <string>
#include <vector>

struct TSettings {
    int32_t Left = 100, Top = 70, AlphaBlendValue = 255;
    bool Web = true, NoEnter = true, Sound = true;
    int32_t hKey = 0;
    // "SYSTEM" "History" (on when missing) and "RunTyped" (off when missing).
    bool History = true, RunTyped = false;
    // "SYSTEM" "Theme": 0 (or missing, or anything else) follows Windows' app mode, 1 is always
    // light, 2 always dark. Only read: a hand edit sets it.
    int32_t Theme = 0;
    // "SYSTEM" "FollowMonitor" (off when missing): the line comes up on the monitor that holds
    // the mouse pointer.
    bool FollowMonitor = false;
    // The "HISTORY" section, newest first; read only while History is on.
    std::vector<std::string> HistoryLines;
};

// A damaged "Count" must not exhaust memory: a stored count above this loads this many entries
// (those not stored get the name "Unknown"); a negative one loads none.
inline constexpr std::int32_t MaxStoredEntries = 100000;

// The most lines of "HISTORY" that are read: a damaged "Count" reads no more than these.
inline constexpr std::int32_t MaxStoredHistory = 100;

// The start-up read. Every key missing or unreadable gets its default; entries beyond "Count"
// are not looked at. AlphaBlendValue holds only the low 8 bits of the stored value (the
// opacity); hKey holds the stored value as it is (its low 16 bits are the hot key code). Reading
// never creates or changes the file. True when the file was there and could be read.
bool ReadSettings(const std::string& iniPath, TEntries& entries, TSettings& settings);

// The database editor's OK: "Count", then each entry's five keys in order, with "RunAs" and
// "HotKey" where the entry has them or a former entry of its index left them behind. Keys of
// entries beyond the new count stay in the file.
void WriteDatabase(const std::string& iniPath, const TEntries& entries);

// A mouse release over the input line: "Left", then "Top".
void WritePosition(const std::string& iniPath, std::int32_t left, std::int32_t top);

// The configuration window's OK: "AlphaBlendValue", "Web", "Sound", "NoEnter", "hKey".
void WriteOptions(const std::string& iniPath, std::int32_t alphaBlendValue, bool web, bool sound,
                  bool noEnter, std::int32_t hKey);

// The program's end: "HISTORY" becomes "Count" and "Line0" ... of `lines` (newest first), or goes
// when there are none. Nothing is written when the file does not exist (nothing is created at
// exit), nor when there are no lines and no such section.
void WriteHistory(const std::string& iniPath, const std::vector<std::string>& lines);
