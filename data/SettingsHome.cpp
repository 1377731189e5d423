#include "data/SettingsHome.h"

#include <initializer_list>
#include <vector>

namespace {

// One spelling per folder: lower-case ASCII, single backslashes, no trailing one, no `\\?\`.
std::string Normal(const std::string& path) {
    std::string p = path;
    for (char& c : p) {
        if (c == '/')
            c = '\\';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    if (p.rfind("\\\\?\\unc\\", 0) == 0)
        p = "\\\\" + p.substr(8);
    else if (p.rfind("\\\\?\\", 0) == 0)
        p = p.substr(4);
    std::string out;
    // A share's two leading backslashes are part of its name.
    const std::size_t keep = p.rfind("\\\\", 0) == 0 ? 2 : 0;
    out.append(p, 0, keep);
    for (std::size_t i = keep; i < p.size(); ++i)
        if (p[i] != '\\' || out.empty() || out.back() != '\\')
            out += p[i];
    while (out.size() > keep && out.back() == '\\')
        out.pop_back();
    return out;
}

std::vector<std::string> Components(const std::string& normal) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= normal.size()) {
        const std::size_t end = normal.find('\\', start);
        const std::size_t stop = end == std::string::npos ? normal.size() : end;
        if (stop > start)
            parts.push_back(normal.substr(start, stop - start));
        start = stop + 1;
    }
    return parts;
}

// True when `folder` is `root` or lies inside it; a root that the system does not name (empty
// variable) takes in nothing.
bool Within(const std::string& folder, const std::string& base, const char* below) {
    if (Normal(base).empty())
        return false;
    const std::string root = Normal(base + "\\" + below);
    return folder == root || folder.rfind(root + "\\", 0) == 0;
}

bool WithinAny(const std::string& folder, std::initializer_list<const std::string*> bases,
               const char* below) {
    for (const std::string* base : bases)
        if (Within(folder, *base, below))
            return true;
    return false;
}

// Two folder names one after the other anywhere in the path.
bool HasPair(const std::vector<std::string>& parts, const char* first, const char* second) {
    for (std::size_t i = 0; i + 1 < parts.size(); ++i)
        if (parts[i] == first && parts[i + 1] == second)
            return true;
    return false;
}

} // namespace

TInstallChannel InstallChannelOf(const TSettingsHomeFacts& facts) {
    const std::string folder = Normal(facts.ExeFolder);
    const std::vector<std::string> parts = Components(folder);

    const std::string localWinGet =
        facts.LocalAppData.empty() ? "" : facts.LocalAppData + "\\Microsoft";
    for (const char* below : {"WinGet\\Packages", "WinGet\\Links"})
        if (WithinAny(folder, {&localWinGet, &facts.ProgramFiles, &facts.ProgramFilesX86}, below))
            return TInstallChannel::Winget;
    // winget names the package's folder `<id>_<source>`, wherever its root was moved to.
    const std::string idFolder = Normal(kWingetPackageId) + "_";
    for (const std::string& part : parts)
        if (part.size() > idFolder.size() && part.rfind(idFolder, 0) == 0)
            return TInstallChannel::Winget;

    const std::string programDataChoco =
        facts.ProgramData.empty() ? "" : facts.ProgramData + "\\chocolatey";
    if (WithinAny(folder, {&facts.ChocolateyInstall, &programDataChoco}, "lib") ||
        HasPair(parts, "lib", "tarnwick.portable"))
        return TInstallChannel::Chocolatey;

    const std::string userScoop = facts.UserProfile.empty() ? "" : facts.UserProfile + "\\scoop";
    const std::string globalScoop = facts.ProgramData.empty() ? "" : facts.ProgramData + "\\scoop";
    if (WithinAny(folder, {&facts.Scoop, &userScoop, &facts.ScoopGlobal, &globalScoop}, "apps"))
        return TInstallChannel::Scoop;
    return TInstallChannel::ByHand;
}

TSettingsHome ChooseSettingsHome(const TSettingsHomeFacts& facts) {
    if (facts.FileBesideExe)
        return TSettingsHome::BesideExe;
    if (InstallChannelOf(facts) != TInstallChannel::ByHand)
        return TSettingsHome::AppData;
    return facts.FolderWritable ? TSettingsHome::BesideExe : TSettingsHome::AppData;
}
