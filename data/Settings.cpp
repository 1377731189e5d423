#include "data/Settings.h"

#include "gen/Gen_func.h"
#include "toolkit/IniFile.h"

#include <algorithm>

namespace {
constexpr const char* DbSystem = "DBSYSTEM";
constexpr const char* Database = "DATABASE";
constexpr const char* System = "SYSTEM";
constexpr const char* History = "HISTORY";

// Whether an entry's stored hot key names a key, one of the virtual-key codes 1 to 254.
bool NamesHotKey(std::int32_t stored) {
    const std::uint16_t key = DecodeHotKey(static_cast<std::uint16_t>(stored & 0xFFFF)).Key;
    return key != 0 && key <= 0xFE;
}
bool ReadFile(const std::string& iniPath, TEntries& entries, TSettings& settings) {
    toolkit::TIniFile ini(iniPath);
    const std::int32_t count =
        std::clamp(ini.ReadInteger(DbSystem, "Count", 0), 0, MaxStoredEntries);
    entries.Resize(count);
    for (std::int32_t i = 0; i < entries.Count(); ++i) {
        const std::string n = std::to_string(i);
        TDBItem& item = entries.At(i);
        item.Name = ini.ReadString(Database, "Name" + n, "Unknown");
        item.Filename = ini.ReadString(Database, "Filename" + n, "");
        item.Directory = ini.ReadString(Database, "Directory" + n, "");
        item.Params = ini.ReadString(Database, "Params" + n, "");
        item.Keyword = ini.ReadString(Database, "Keyword" + n, "");
        item.RunAs = ini.ReadBool(Database, "RunAs" + n, false);
        item.HotKey = ini.ReadInteger(Database, "HotKey" + n, 0);
    }
    settings.Left = ini.ReadInteger(System, "Left", 100);
    settings.Top = ini.ReadInteger(System, "Top", 70);
    settings.AlphaBlendValue = ini.ReadInteger(System, "AlphaBlendValue", 255) & 0xFF;
    settings.Web = ini.ReadBool(System, "Web", true);
    settings.NoEnter = ini.ReadBool(System, "NoEnter", true);
    settings.Sound = ini.ReadBool(System, "Sound", true);
    settings.hKey = ini.ReadInteger(System, "hKey", 0);
    settings.History = ini.ReadBool(System, "History", true);
    settings.RunTyped = ini.ReadBool(System, "RunTyped", false);
    settings.Theme = ini.ReadInteger(System, "Theme", 0);
    if (settings.Theme != 1 && settings.Theme != 2)
        settings.Theme = 0;
    settings.FollowMonitor = ini.ReadBool(System, "FollowMonitor", false);
    settings.HistoryLines.clear();
    if (settings.History) {
        const std::int32_t lines =
            std::clamp(ini.ReadInteger(History, "Count", 0), 0, MaxStoredHistory);
        for (std::int32_t i = 0; i < lines; ++i) {
            std::string line = ini.ReadString(History, "Line" + std::to_string(i), "");
            if (!line.empty())
                settings.HistoryLines.push_back(std::move(line));
        }
    }
    const bool loaded = ini.Loaded();
    ini.Close();
    return loaded;
}
} // namespace

bool ReadSettings(const std::string& iniPath, TEntries& entries, TSettings& settings) {
    TEntries read;
    const bool loaded = ReadFile(iniPath, read, settings);
    // The parse's storage is free again. A copy goes into the room it left, low in the heap, and
    // the entries as read go from the top, which the heap gives back to the system; moved, they
    // would keep the parse's room committed below them for as long as the program runs.
    entries = TEntries(read);
    return loaded;
}

void WriteDatabase(const std::string& iniPath, const TEntries& entries) {
    toolkit::TIniFile ini(iniPath);
    ini.WriteInteger(DbSystem, "Count", entries.Count());
    for (std::int32_t i = 0; i < entries.Count(); ++i) {
        const std::string n = std::to_string(i);
        const TDBItem& item = entries.At(i);
        ini.WriteString(Database, "Name" + n, item.Name);
        ini.WriteString(Database, "Filename" + n, item.Filename);
        ini.WriteString(Database, "Directory" + n, item.Directory);
        ini.WriteString(Database, "Params" + n, item.Params);
        ini.WriteString(Database, "Keyword" + n, item.Keyword);
        // Written when set, or to clear a mark that a former entry of this index left behind.
        if (item.RunAs || ini.ReadString(Database, "RunAs" + n, "-") != "-")
            ini.WriteBool(Database, "RunAs" + n, item.RunAs);
        // Likewise the hot key; a stale value that names no key registers nothing and stays.
        if (item.HotKey != 0 || NamesHotKey(ini.ReadInteger(Database, "HotKey" + n, 0)))
            ini.WriteInteger(Database, "HotKey" + n, item.HotKey);
    }
    ini.UpdateFile();
    ini.Close();
}

void WritePosition(const std::string& iniPath, std::int32_t left, std::int32_t top) {
    toolkit::TIniFile ini(iniPath);
    ini.WriteInteger(System, "Left", left);
    ini.WriteInteger(System, "Top", top);
    ini.UpdateFile();
    ini.Close();
}

void WriteOptions(const std::string& iniPath, std::int32_t alphaBlendValue, bool web, bool sound,
                  bool noEnter, std::int32_t hKey) {
    toolkit::TIniFile ini(iniPath);
    ini.WriteInteger(System, "AlphaBlendValue", alphaBlendValue);
    ini.WriteBool(System, "Web", web);
    ini.WriteBool(System, "Sound", sound);
    ini.WriteBool(System, "NoEnter", noEnter);
    ini.WriteInteger(System, "hKey", hKey);
    ini.UpdateFile();
    ini.Close();
}

void WriteHistory(const std::string& iniPath, const std::vector<std::string>& lines) {
    toolkit::TIniFile ini(iniPath);
    if (!ini.Exists())
        return;
    // Written afresh: the keys of a longer history before must not stay behind the new count.
    ini.EraseSection(History);
    if (!lines.empty()) {
        ini.WriteInteger(History, "Count", static_cast<std::int32_t>(lines.size()));
        for (std::size_t i = 0; i < lines.size(); ++i)
            ini.WriteString(History, "Line" + std::to_string(i), lines[i]);
    }
    ini.UpdateFile();
    ini.Close();
}
