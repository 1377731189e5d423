// Where Tarnwick.ini lives: beside the exe, or in the user's roaming application data
// (%APPDATA%\Tarnwick). Portable: the caller gathers the facts about the machine, this decides.
//
// The rule, first match wins:
//  1. A Tarnwick.ini beside the exe is used, writable or not. A copy unpacked by hand keeps its
//     settings across upgrades, and Scoop's `persist` puts the user's file there as a link.
//  2. An exe in a folder that a package manager owns uses the application data, because the
//     manager deletes that folder on upgrade and uninstall:
//     - winget's folders `<root>\WinGet\` under %LOCALAPPDATA%\Microsoft, %ProgramFiles% or
//       %ProgramFiles(x86)%: its portable packages `Packages\<id>_<source>\`, and its command
//       aliases' `Links\`, since an exe started through the alias's symbolic link names the
//       link's folder as its own; and any folder named after our package id and a source (a
//       root moved by winget's own settings);
//     - Chocolatey's `lib\` under %ChocolateyInstall% or %ProgramData%\chocolatey, and any
//       `lib\tarnwick.portable\` folder;
//     - Scoop's `apps\` under %SCOOP%, %USERPROFILE%\scoop, %SCOOP_GLOBAL% or
//       %ProgramData%\scoop, when no persisted file is there (rule 1 takes it otherwise).
//  3. A folder that takes a new file keeps the settings beside the exe, the portable way.
//  4. Otherwise (under Program Files, on a read-only share) the application data.
//
// Paths compare as Windows compares file names for these folders: letter case does not matter
// (ASCII letters; other letters must match as written), `/` stands for `\`, repeated and
// trailing separators and a leading `\\?\` are ignored, and a root matches only whole folder
// names (`...\chocolatey\lib` does not take in `...\chocolatey\library`). Short 8.3 names are not
// expanded: the module's path and these variables come from the system in their long form.
#pragma once

#include <string>

// The winget package identifier the release's manifests use.
inline constexpr const char* kWingetPackageId = "Orvalen.Tarnwick";

enum class TSettingsHome { BesideExe, AppData };

// How the exe came onto the machine, as far as its folder tells.
enum class TInstallChannel { ByHand, Winget, Chocolatey, Scoop };

// The variables the rule reads, in the order of TSettingsHomeVariable, as one text for one
// expansion by the system; `|` cannot stand in a path.
inline constexpr const char* kSettingsHomeVariables =
    "%LOCALAPPDATA%|%USERPROFILE%|%ProgramData%|%ProgramFiles%|%ProgramFiles(x86)%|"
    "%ChocolateyInstall%|%SCOOP%|%SCOOP_GLOBAL%";

enum class TSettingsHomeVariable {
    LocalAppData,
    UserProfile,
    ProgramData,
    ProgramFiles,
    ProgramFilesX86,
    ChocolateyInstall,
    ScoopRoot,
    ScoopGlobalRoot,
};

struct TSettingsHomeFacts {
    std::string ExeFolder;       // as the module's path names it, with or without a trailing `\`
    bool FileBesideExe = false;  // a Tarnwick.ini (or anything of that name) is there
    bool FolderWritable = false; // a new file can be made there
    // kSettingsHomeVariables as the system expanded it; a variable it does not define stays as
    // written there and counts as unnamed.
    std::string Environment;
};

// The channel whose folder holds the exe; ByHand for any other folder.
TInstallChannel InstallChannelOf(const TSettingsHomeFacts& facts);

TSettingsHome ChooseSettingsHome(const TSettingsHomeFacts& facts);
