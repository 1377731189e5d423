// A System that records every call in order and answers from a script, for tests.
#pragma once

#include "toolkit/System.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct RecordedCall {
    // "execute", "tryexecute", "beep", "messagebox", "choosefile", "choosefolder", "module",
    // "clipboard"
    std::string What;
    toolkit::WindowHandle Owner = nullptr;
    std::vector<std::string>
        Args;             // (try)execute: verb, file, params, dir; messagebox: text, caption
    long long Number = 0; // (try)execute: show command; beep: type; messagebox: flags
};

class Recorder : public toolkit::System {
public:
    void Execute(toolkit::WindowHandle owner, const std::string& verb, const std::string& file,
                 const std::string& parameters, const std::string& directory, int showCmd) override;
    void Beep(unsigned type) override;
    int ShowMessageBox(toolkit::WindowHandle owner, const std::string& text,
                       const std::string& caption, unsigned flags) override;
    bool ChooseFile(const toolkit::FileDialogRequest& request, std::string& chosen) override;
    bool ChooseFolder(const toolkit::FolderDialogRequest& request, std::string& chosen) override;
    std::string ModuleFileName() override;
    // Expands from `Environment` as the platform does (names in any letter case); every text
    // asked about is kept in `Expansions`, not among the calls.
    std::string ExpandEnvironment(const std::string& text) override;
    toolkit::ExecuteOutcome TryExecute(toolkit::WindowHandle owner, const std::string& verb,
                                       const std::string& file, const std::string& parameters,
                                       const std::string& directory, int showCmd) override;
    // Answers from `ExistingPaths`; not among the calls.
    bool PathExists(const std::string& path) override;
    std::string ClipboardText() override;
    // Answer from the fields below; not among the calls.
    std::string RegisteredProgram(const std::string& name) override;
    std::string SystemFolder() override { return SystemFolderPath; }
    std::string WindowsFolder() override { return WindowsFolderPath; }

    // The calls so far, one line each, e.g. "beep 0" or "execute open|FILE|PARAMS|DIR|1".
    std::vector<std::string> Lines() const;
    // Only the calls of one kind.
    std::vector<RecordedCall> Only(const std::string& what) const;

    std::vector<RecordedCall> Calls;

    // Scripted answers, used first to last; when a queue is empty the defaults below answer.
    std::deque<int> MessageBoxAnswers;     // default: 1 (IDOK)
    std::deque<std::string> ChosenFiles;   // empty text = cancelled; default: cancelled
    std::deque<std::string> ChosenFolders; // likewise
    std::string ModulePath = "C:\\Tools\\Tarnwick.exe";
    std::vector<toolkit::FileDialogRequest> FileRequests;
    std::vector<toolkit::FolderDialogRequest> FolderRequests;
    std::map<std::string, std::string> Environment; // names upper-case
    std::vector<std::string> Expansions;
    std::deque<toolkit::ExecuteOutcome> TryExecuteAnswers; // default: Started
    std::vector<std::string> ExistingPaths;
    std::string Clipboard;
    std::map<std::string, std::string> RegisteredPrograms; // App Paths: name as asked -> path
    std::string SystemFolderPath = "C:\\Windows\\System32";
    std::string WindowsFolderPath = "C:\\Windows";
};

} // namespace testing_support
