#include "data/SettingsHome.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// What the system's expansion of kSettingsHomeVariables gives with these variables defined.
std::string Expanded(const std::map<std::string, std::string>& defined) {
    std::string text = kSettingsHomeVariables;
    for (const auto& [name, value] : defined) {
        const std::string asked = "%" + name + "%";
        text.replace(text.find(asked), asked.size(), value);
    }
    return text;
}

// A user's machine as Windows 11 names its folders, with Scoop and Chocolatey at their defaults;
// the exe's folder writable and empty unless a case says otherwise.
struct Machine {
    explicit Machine(const std::string& exeFolder) : ExeFolder(exeFolder) {}
    TSettingsHomeFacts Facts() const {
        return TSettingsHomeFacts{ExeFolder, FileBesideExe, FolderWritable, Expanded(Env)};
    }
    std::string ExeFolder;
    bool FileBesideExe = false;
    bool FolderWritable = true;
    std::map<std::string, std::string> Env{
        {"LOCALAPPDATA", "C:\\Users\\Ann\\AppData\\Local"},
        {"USERPROFILE", "C:\\Users\\Ann"},
        {"ProgramData", "C:\\ProgramData"},
        {"ProgramFiles", "C:\\Program Files"},
        {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
        {"ChocolateyInstall", "C:\\ProgramData\\chocolatey"},
    };
};

TInstallChannel ChannelOf(const Machine& m) {
    return InstallChannelOf(m.Facts());
}

const char* kWingetUser = "C:\\Users\\Ann\\AppData\\Local\\Microsoft\\WinGet\\Packages\\"
                          "Orvalen.Tarnwick_Microsoft.Winget.Source_8wekyb3d8bbwe\\";

TEST(SettingsHomeTest, EachChannelsFolderIsKnownAndOnlyScoopsPersistedFileStaysBesideTheExe) {
    struct Case {
        const char* Folder;
        TInstallChannel Channel;
    };
    const Case cases[] = {
        {kWingetUser, TInstallChannel::Winget},
        // Started through the alias `tarnwick`: the link's folder is the exe's as far as it sees.
        {"C:\\Users\\Ann\\AppData\\Local\\Microsoft\\WinGet\\Links", TInstallChannel::Winget},
        {"C:\\Program Files\\WinGet\\Packages\\Orvalen.Tarnwick_Microsoft.Winget.Source_8wekyb3d8"
         "bbwe",
         TInstallChannel::Winget},
        // winget's portable root moved in its settings: the package's folder still tells.
        {"D:\\Portable\\Orvalen.Tarnwick_Microsoft.Winget.Source_8wekyb3d8bbwe\\",
         TInstallChannel::Winget},
        {"C:\\ProgramData\\chocolatey\\lib\\tarnwick.portable\\tools\\",
         TInstallChannel::Chocolatey},
        {"E:\\choco\\lib\\tarnwick.portable\\tools", TInstallChannel::Chocolatey},
        {"C:\\Users\\Ann\\scoop\\apps\\tarnwick\\current\\", TInstallChannel::Scoop},
        {"C:\\Users\\Ann\\scoop\\apps\\tarnwick\\1.0.0", TInstallChannel::Scoop},
        {"C:\\ProgramData\\scoop\\apps\\tarnwick\\current", TInstallChannel::Scoop},
        {"C:\\Users\\Ann\\Tools\\Tarnwick\\", TInstallChannel::ByHand},
        {"E:\\", TInstallChannel::ByHand},
        {"\\\\server\\tools\\Tarnwick", TInstallChannel::ByHand},
        // Near misses: a root is matched by whole folder names only.
        {"C:\\ProgramData\\chocolatey\\library\\tarnwick", TInstallChannel::ByHand},
        {"C:\\Users\\Ann\\scoop\\appsx\\tarnwick", TInstallChannel::ByHand},
        {"C:\\Users\\Ann\\Tools\\Orvalen.Tarnwick_", TInstallChannel::ByHand},
        {"C:\\Users\\Ann\\Tools\\Orvalen.Tarnwick", TInstallChannel::ByHand},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Folder);
        Machine m(c.Folder);
        EXPECT_EQ(ChannelOf(m), c.Channel);
        // The folders a manager deletes on upgrade and uninstall never keep a new file.
        EXPECT_EQ(ChooseSettingsHome(m.Facts()), c.Channel == TInstallChannel::ByHand
                                                     ? TSettingsHome::BesideExe
                                                     : TSettingsHome::AppData);
        // A file already beside the exe always wins: Scoop's persisted link, or one put there.
        m.FileBesideExe = true;
        EXPECT_EQ(ChooseSettingsHome(m.Facts()), TSettingsHome::BesideExe);
    }
}

TEST(SettingsHomeTest, RootsComeFromTheEnvironmentWhereverTheUserMovedThem) {
    Machine m("D:\\Tools\\choco\\lib\\someone.else\\tools");
    EXPECT_EQ(ChannelOf(m), TInstallChannel::ByHand);
    m.Env["ChocolateyInstall"] = "D:\\Tools\\choco";
    EXPECT_EQ(ChannelOf(m), TInstallChannel::Chocolatey);

    m = Machine("S:\\apps\\tarnwick\\current");
    EXPECT_EQ(ChannelOf(m), TInstallChannel::ByHand);
    m.Env["SCOOP"] = "S:\\";
    EXPECT_EQ(ChannelOf(m), TInstallChannel::Scoop);
    m.Env.erase("SCOOP");
    m.Env["SCOOP_GLOBAL"] = "s:/";
    EXPECT_EQ(ChannelOf(m), TInstallChannel::Scoop);
    // A variable defined as nothing, or a root of no folder names, takes in nothing.
    m.Env["SCOOP_GLOBAL"] = "";
    EXPECT_EQ(ChannelOf(m), TInstallChannel::ByHand);
    m.Env["SCOOP_GLOBAL"] = "\\";
    EXPECT_EQ(ChannelOf(m), TInstallChannel::ByHand);

    // A machine that names none of its folders: only the package folders' own names tell.
    m = Machine("C:\\Users\\Ann\\scoop\\apps\\tarnwick\\current");
    m.Env.clear();
    EXPECT_EQ(ChannelOf(m), TInstallChannel::ByHand);
    m.ExeFolder = kWingetUser;
    EXPECT_EQ(ChannelOf(m), TInstallChannel::Winget);
    m.ExeFolder = "C:\\ProgramData\\chocolatey\\lib\\tarnwick.portable\\tools";
    EXPECT_EQ(ChannelOf(m), TInstallChannel::Chocolatey);
}

TEST(SettingsHomeTest, PathsCompareAsWindowsComparesFileNames) {
    // Letter case, forward slashes, doubled and trailing separators, the long-path prefix.
    for (const char* folder : {"c:\\users\\ann\\appdata\\local\\microsoft\\winget\\links\\",
                               "C:/Users/Ann/AppData/Local/Microsoft/WinGet/Links",
                               "C:\\Users\\Ann\\AppData\\Local\\Microsoft\\WinGet\\\\Links\\\\",
                               "\\\\?\\C:\\Users\\Ann\\AppData\\Local\\Microsoft\\WinGet\\Links"}) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(ChannelOf(Machine(folder)), TInstallChannel::Winget);
    }
    Machine m("\\\\?\\UNC\\server\\share\\scoop\\apps\\tarnwick\\current");
    m.Env["SCOOP"] = "\\\\server\\share\\scoop";
    EXPECT_EQ(ChannelOf(m), TInstallChannel::Scoop);
    // Letters beyond ASCII must match as written.
    m = Machine("C:\\Users\\\xC3\x89mile\\scoop\\apps\\tarnwick\\current");
    m.Env["USERPROFILE"] = "C:\\Users\\\xC3\x89mile";
    EXPECT_EQ(ChannelOf(m), TInstallChannel::Scoop);
    m.Env["USERPROFILE"] = "C:\\Users\\\xC3\xA9mile";
    EXPECT_EQ(ChannelOf(m), TInstallChannel::ByHand);
}

TEST(SettingsHomeTest, AFolderUnpackedByHandKeepsTodaysRule) {
    Machine m("C:\\Users\\Ann\\Tools\\Tarnwick\\\\");
    EXPECT_EQ(ChooseSettingsHome(m.Facts()), TSettingsHome::BesideExe);
    m = Machine("C:\\Program Files\\Tarnwick\\");
    m.FolderWritable = false;
    EXPECT_EQ(ChooseSettingsHome(m.Facts()), TSettingsHome::AppData);
    m.FileBesideExe = true; // an upgrade over a copy that kept its file there
    EXPECT_EQ(ChooseSettingsHome(m.Facts()), TSettingsHome::BesideExe);
}

} // namespace
