#include "data/SettingsHome.h"

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

// True when `folder` is the root `base` + `below` or lies inside it; a base that the system does
// not name (empty variable) takes in nothing.
bool Within(const std::string& folder, const std::string& base, const char* below) {
    if (base.empty())
        return false;
    const std::string root = Normal(base + below) + "\\";
    return (folder + "\\").rfind(root, 0) == 0;
}

} // namespace

TInstallChannel InstallChannelOf(const TSettingsHomeFacts& f) {
    using enum TInstallChannel;
    const std::string folder = Normal(f.ExeFolder);
    const struct {
        const std::string& Base;
        const char* Below;
        TInstallChannel Channel;
    } roots[] = {
        {f.LocalAppData, "\\Microsoft\\WinGet\\Packages", Winget},
        {f.LocalAppData, "\\Microsoft\\WinGet\\Links", Winget},
        {f.ProgramFiles, "\\WinGet\\Packages", Winget},
        {f.ProgramFiles, "\\WinGet\\Links", Winget},
        {f.ProgramFilesX86, "\\WinGet\\Packages", Winget},
        {f.ProgramFilesX86, "\\WinGet\\Links", Winget},
        {f.ChocolateyInstall, "\\lib", Chocolatey},
        {f.ProgramData, "\\chocolatey\\lib", Chocolatey},
        {f.Scoop, "\\apps", Scoop},
        {f.UserProfile, "\\scoop\\apps", Scoop},
        {f.ScoopGlobal, "\\apps", Scoop},
        {f.ProgramData, "\\scoop\\apps", Scoop},
    };
    for (const auto& root : roots)
        if (Within(folder, root.Base, root.Below))
            return root.Channel;

    // Between backslashes, a match stands for whole folder names. winget names the package's
    // folder `<id>_<source>` and Chocolatey `lib\<id>`, wherever their roots were moved to.
    const std::string wrapped = "\\" + folder + "\\";
    const std::string idFolder = "\\" + Normal(kWingetPackageId) + "_";
    const std::size_t at = wrapped.find(idFolder);
    if (at != std::string::npos && wrapped[at + idFolder.size()] != '\\')
        return Winget;
    if (wrapped.find("\\lib\\tarnwick.portable\\") != std::string::npos)
        return Chocolatey;
    return ByHand;
}

TSettingsHome ChooseSettingsHome(const TSettingsHomeFacts& facts) {
    if (facts.FileBesideExe)
        return TSettingsHome::BesideExe;
    if (InstallChannelOf(facts) != TInstallChannel::ByHand)
        return TSettingsHome::AppData;
    return facts.FolderWritable ? TSettingsHome::BesideExe : TSettingsHome::AppData;
}
