// The real System seam: forwards to the platform, through its W functions.
#pragma once

#include "toolkit/System.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>

namespace toolkit {

class Win32System : public System {
public:
    void Execute(WindowHandle owner, const std::string& verb, const std::string& file,
                 const std::string& parameters, const std::string& directory, int showCmd) override;
    void Beep(unsigned type) override;
    int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                       unsigned flags) override;
    // The dialogs never move the program's current folder. A preset that the file dialog
    // refuses as a file name (an address, a quoted path, a folder) opens it empty instead, in the
    // preset's folder when that exists.
    bool ChooseFile(const FileDialogRequest& request, std::string& chosen) override;
    // The folder picker opens at the start folder and offers only existing file-system folders.
    bool ChooseFolder(const FolderDialogRequest& request, std::string& chosen) override;
    std::string ModuleFileName() override;
    std::string ExpandEnvironment(const std::string& text) override;
    std::string UpperCase(const std::string& text) override;
    ExecuteOutcome TryExecute(WindowHandle owner, const std::string& verb, const std::string& file,
                              const std::string& parameters, const std::string& directory,
                              int showCmd) override;
    bool PathExists(const std::string& path) override;
    // Another program may hold the clipboard for a moment (a clipboard manager reading what was
    // just copied): opening it is tried a few times, briefly, before it counts as empty.
    std::string ClipboardText() override;
    std::string RegisteredProgram(const std::string& name) override;
    std::string SystemFolder() override;
    std::string WindowsFolder() override;

    // The platform calls behind the launches and the dialogs. Tests replace them to play what
    // Windows documents where Wine answers otherwise.
    std::function<HINSTANCE(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT)> ShellExecuteCall;
    std::function<BOOL(OPENFILENAMEW*)> GetOpenFileNameCall;
    std::function<DWORD()> CommDlgExtendedErrorCall;
    std::function<PIDLIST_ABSOLUTE(BROWSEINFOW*)> BrowseForFolderCall;
    // Fails with the last error set, as the platform does (ERROR_CANCELLED: consent refused).
    std::function<BOOL(SHELLEXECUTEINFOW*)> ShellExecuteExCall;
    std::function<BOOL(HWND)> OpenClipboardCall;

    Win32System();
};

// ExpandEnvironmentStringsW(source, buffer, size), replaceable so that tests can give the answers
// Windows gives where Wine's differ (a failure, a buffer that must be larger).
using ExpandEnvironmentCall = unsigned long (*)(const wchar_t* source, wchar_t* buffer,
                                                unsigned long size);
// The expansion over `call`: the buffer grows until the result fits; a failing call leaves the
// text as written. Only the part before a zero byte is expanded; the rest is kept as it is.
std::string ExpandEnvironmentWith(ExpandEnvironmentCall call, const std::string& text);

} // namespace toolkit
