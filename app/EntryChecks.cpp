#include "app/EntryChecks.h"

#include "gen/Gen_func.h"

#include <string_view>

namespace {

bool IsSlash(char c) {
    return c == '\\' || c == '/';
}

// "C:\..." (or "C:/..."): what is looked for on disk.
bool OnDriveLetter(std::string_view path) {
    const char d = UpperCaseChar(path.empty() ? '\0' : path[0]);
    return path.size() >= 3 && d >= 'A' && d <= 'Z' && path[1] == ':' && IsSlash(path[2]);
}

bool OnNetworkShare(std::string_view path) {
    return path.size() > 2 && IsSlash(path[0]) && IsSlash(path[1]);
}

// The shell takes a Filename in double quotes as the path inside them.
std::string_view Unquoted(std::string_view path) {
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        return path.substr(1, path.size() - 2);
    return path;
}

// $W$ and any other placeholder of that shape: the path is only known once text goes in.
bool HoldsPlaceholder(std::string_view path) {
    for (std::size_t i = 0; i + 2 < path.size(); ++i) {
        const char c = UpperCaseChar(path[i + 1]);
        if (path[i] == '$' && c >= 'A' && c <= 'Z' && path[i + 2] == '$')
            return true;
    }
    return false;
}

std::string Lookable(const std::string& stored, const TCommandOptions& options,
                     toolkit::System& system) {
    if (stored.empty())
        return {};
    const std::string path(Unquoted(LaunchPath(stored, options, system)));
    return OnDriveLetter(path) && !HoldsPlaceholder(path) ? path : std::string();
}

} // namespace

std::optional<TKeywordClash> FindKeywordClash(const TEntries& entries, std::int32_t k, bool noEnter,
                                              const TEntries::TCaseMap& upperCase) {
    if (!noEnter || k < 0 || k >= entries.Count() || entries.At(k).Keyword.empty())
        return std::nullopt;
    const std::string mine = entries.UpperKeyword(k, upperCase);
    // Whether typing `keyword` launches something, and so ends the typing there.
    const auto launchesWhenTyped = [&](const std::string& keyword) {
        for (std::int32_t i = 0; i < entries.Count(); ++i)
            if (!entries.At(i).Keyword.empty() && !TakesText(entries.At(i)) &&
                entries.UpperKeyword(i, upperCase) == keyword)
                return true;
        return false;
    };
    for (std::int32_t i = 0; i < entries.Count(); ++i) {
        if (i == k || entries.At(i).Keyword.empty())
            continue;
        const std::string other = entries.UpperKeyword(i, upperCase);
        if (other == mine)
            continue;
        const bool mineLonger = mine.size() > other.size();
        const std::string& shorter = mineLonger ? other : mine;
        const std::string& longer = mineLonger ? mine : other;
        if (longer.compare(0, shorter.size(), shorter) == 0 && launchesWhenTyped(shorter))
            return TKeywordClash{shorter, longer};
    }
    return std::nullopt;
}

TEntryTargets EntryTargets(const TDBItem& entry, const TCommandOptions& options,
                           toolkit::System& system) {
    return {Lookable(entry.Filename, options, system), Lookable(entry.Directory, options, system)};
}

std::string EntryFileLocation(const TDBItem& entry, const TCommandOptions& options,
                              toolkit::System& system) {
    std::string path(Unquoted(LaunchPath(entry.Filename, options, system)));
    if (!(OnDriveLetter(path) || OnNetworkShare(path)) || HoldsPlaceholder(path))
        return {};
    // A folder is shown selected in its parent; a drive's root has none and stays as it is.
    while (path.size() > 3 && IsSlash(path.back()))
        path.pop_back();
    return path;
}

TDBItem DroppedEntry(const std::string& path, bool isFolder) {
    std::string name = path;
    while (name.size() > 1 && IsSlash(name.back()))
        name.pop_back();
    const std::size_t slash = name.find_last_of("\\/");
    // A drive's root keeps its path ("C:") for a name.
    if (slash != std::string::npos && slash + 1 < name.size())
        name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (!isFolder && dot != std::string::npos && dot > 0)
        name.resize(dot);
    TDBItem item;
    item.Name = name;
    item.Filename = path;
    item.Directory = isFolder ? std::string() : ExtractFolder(path);
    return item;
}
