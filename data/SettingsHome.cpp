#include "data/SettingsHome.h"

#include <string_view>

namespace {

using std::string_view;

// Folder names compare letter case aside (ASCII only), as Windows compares these folders' names.
bool Same(string_view a, string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The next folder name of `rest`, taken off it; empty at the end. Repeated separators count once.
string_view NextName(string_view& rest) {
    while (!rest.empty() && IsSeparator(rest.front()))
        rest.remove_prefix(1);
    std::size_t n = 0;
    while (n < rest.size() && !IsSeparator(rest[n]))
        ++n;
    const string_view name = rest.substr(0, n);
    rest.remove_prefix(n);
    return name;
}

// The path without the long-path prefix: `\\?\C:\x` is `C:\x`, `\\?\UNC\server\x` is `\\server\x`.
string_view WithoutPrefix(string_view path) {
    if (path.size() < 4 || !IsSeparator(path[0]) || !IsSeparator(path[1]) || path[2] != '?' ||
        !IsSeparator(path[3]))
        return path;
    path.remove_prefix(4);
    string_view rest = path;
    return Same(NextName(rest), "UNC") ? rest : path;
}

// Takes `root`'s names off the front of `path`; false when they are not its first names.
bool TakeNames(string_view& path, string_view root) {
    for (string_view name = NextName(root); !name.empty(); name = NextName(root))
        if (!Same(NextName(path), name))
            return false;
    return true;
}

// True when `folder` is the root `base` + `below` or lies inside it; a base that the system does
// not name (an empty variable) takes in nothing.
bool Within(string_view folder, string_view base, string_view below) {
    string_view path = WithoutPrefix(folder);
    string_view rest = WithoutPrefix(base);
    return !NextName(rest).empty() && TakeNames(path, WithoutPrefix(base)) &&
           TakeNames(path, below);
}

// Part `index` of a text of parts between `|`.
string_view Part(string_view text, TSettingsHomeVariable index) {
    for (int i = 0; i < static_cast<int>(index); ++i) {
        const std::size_t bar = text.find('|');
        text = bar == string_view::npos ? string_view() : text.substr(bar + 1);
    }
    return text.substr(0, text.find('|'));
}

} // namespace

TInstallChannel InstallChannelOf(const TSettingsHomeFacts& f) {
    using enum TInstallChannel;
    using enum TSettingsHomeVariable;
    const auto variable = [&f](TSettingsHomeVariable v) {
        const string_view value = Part(f.Environment, v);
        return value == Part(kSettingsHomeVariables, v) ? string_view() : value;
    };
    static constexpr struct {
        TSettingsHomeVariable Base;
        const char* Below;
        TInstallChannel Channel;
    } roots[] = {
        // Its `Packages` and the command aliases' `Links`.
        {LocalAppData, "Microsoft\\WinGet", Winget},  {ProgramFiles, "WinGet", Winget},
        {ProgramFilesX86, "WinGet", Winget},          {ChocolateyInstall, "lib", Chocolatey},
        {ProgramData, "chocolatey\\lib", Chocolatey}, {ScoopRoot, "apps", Scoop},
        {UserProfile, "scoop\\apps", Scoop},          {ScoopGlobalRoot, "apps", Scoop},
        {ProgramData, "scoop\\apps", Scoop},
    };
    for (const auto& root : roots)
        if (Within(f.ExeFolder, variable(root.Base), root.Below))
            return root.Channel;

    // Wherever their roots were moved to, winget names the package's folder `<id>_<source>` and
    // Chocolatey `lib\<id>`.
    const string_view id = kWingetPackageId;
    string_view rest = WithoutPrefix(f.ExeFolder);
    string_view before;
    for (string_view name = NextName(rest); !name.empty(); before = name, name = NextName(rest)) {
        if (name.size() > id.size() + 1 && Same(name.substr(0, id.size()), id) &&
            name[id.size()] == '_')
            return Winget;
        if (Same(before, "lib") && Same(name, "tarnwick.portable"))
            return Chocolatey;
    }
    return ByHand;
}

TSettingsHome ChooseSettingsHome(const TSettingsHomeFacts& facts) {
    if (facts.FileBesideExe)
        return TSettingsHome::BesideExe;
    if (InstallChannelOf(facts) != TInstallChannel::ByHand)
        return TSettingsHome::AppData;
    return facts.FolderWritable ? TSettingsHome::BesideExe : TSettingsHome::AppData;
}
