#include "data/SettingsHome.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A user's machine as Windows 11 names its folders, with Scoop and Chocolatey at their defaults;
// the exe's folder writable and empty unless a case says otherwise.
TSettingsHomeFacts Machine(const std::string& exeFolder) {
    TSettingsHomeFacts f;
    f.ExeFolder = exeFolder;
    f.FolderWritable = true;
    f.LocalAppData = "C:\\Users\\Ann\\AppData\\Local";
    f.UserProfile = "C:\\Users\\Ann";
    f.ProgramData = "C:\\ProgramData";
    f.ProgramFiles = "C:\\Program Files";
    f.ProgramFilesX86 = "C:\\Program Files (x86)";
    f.ChocolateyInstall = "C:\\ProgramData\\chocolatey";
    return f;
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
        TSettingsHomeFacts f = Machine(c.Folder);
        EXPECT_EQ(InstallChannelOf(f), c.Channel);
        // The folders a manager deletes on upgrade and uninstall never keep a new file.
        EXPECT_EQ(ChooseSettingsHome(f), c.Channel == TInstallChannel::ByHand
                                             ? TSettingsHome::BesideExe
                                             : TSettingsHome::AppData);
        // A file already beside the exe always wins: Scoop's persisted link, or one put there.
        f.FileBesideExe = true;
        EXPECT_EQ(ChooseSettingsHome(f), TSettingsHome::BesideExe);
    }
}

TEST(SettingsHomeTest, RootsComeFromTheEnvironmentWhereverTheUserMovedThem) {
    TSettingsHomeFacts f = Machine("D:\\Tools\\choco\\lib\\someone.else\\tools");
    EXPECT_EQ(InstallChannelOf(f), TInstallChannel::ByHand);
    f.ChocolateyInstall = "D:\\Tools\\choco";
    EXPECT_EQ(InstallChannelOf(f), TInstallChannel::Chocolatey);

    f = Machine("S:\\apps\\tarnwick\\current");
    EXPECT_EQ(InstallChannelOf(f), TInstallChannel::ByHand);
    f.Scoop = "S:\\";
    EXPECT_EQ(InstallChannelOf(f), TInstallChannel::Scoop);
    f.Scoop.clear();
    f.ScoopGlobal = "s:/";
    EXPECT_EQ(InstallChannelOf(f), TInstallChannel::Scoop);

    // A machine that names none of its folders: only the package folders' own names tell.
    TSettingsHomeFacts bare;
    bare.ExeFolder = "C:\\Users\\Ann\\scoop\\apps\\tarnwick\\current";
    EXPECT_EQ(InstallChannelOf(bare), TInstallChannel::ByHand);
    bare.ExeFolder = kWingetUser;
    EXPECT_EQ(InstallChannelOf(bare), TInstallChannel::Winget);
}

TEST(SettingsHomeTest, PathsCompareAsWindowsComparesFileNames) {
    // Letter case, forward slashes, doubled and trailing separators, the long-path prefix.
    for (const char* folder : {"c:\\users\\ann\\appdata\\local\\microsoft\\winget\\links\\",
                               "C:/Users/Ann/AppData/Local/Microsoft/WinGet/Links",
                               "C:\\Users\\Ann\\AppData\\Local\\Microsoft\\WinGet\\\\Links\\\\",
                               "\\\\?\\C:\\Users\\Ann\\AppData\\Local\\Microsoft\\WinGet\\Links"}) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(InstallChannelOf(Machine(folder)), TInstallChannel::Winget);
    }
    TSettingsHomeFacts f = Machine("\\\\?\\UNC\\server\\share\\scoop\\apps\\tarnwick\\current");
    f.Scoop = "\\\\server\\share\\scoop";
    EXPECT_EQ(InstallChannelOf(f), TInstallChannel::Scoop);
    // Letters beyond ASCII must match as written.
    f = Machine("C:\\Users\\\xC3\x89mile\\scoop\\apps\\tarnwick\\current");
    f.UserProfile = "C:\\Users\\\xC3\x89mile";
    EXPECT_EQ(InstallChannelOf(f), TInstallChannel::Scoop);
    f.UserProfile = "C:\\Users\\\xC3\xA9mile";
    EXPECT_EQ(InstallChannelOf(f), TInstallChannel::ByHand);
}

TEST(SettingsHomeTest, AFolderUnpackedByHandKeepsTodaysRule) {
    TSettingsHomeFacts f = Machine("C:\\Users\\Ann\\Tools\\Tarnwick\\\\");
    EXPECT_EQ(ChooseSettingsHome(f), TSettingsHome::BesideExe);
    f = Machine("C:\\Program Files\\Tarnwick\\");
    f.FolderWritable = false;
    EXPECT_EQ(ChooseSettingsHome(f), TSettingsHome::AppData);
    f.FileBesideExe = true; // an upgrade over a copy that kept its file there
    EXPECT_EQ(ChooseSettingsHome(f), TSettingsHome::BesideExe);
}

} // namespace
