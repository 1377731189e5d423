// The real System seam: forwards to the platform.
#pragma once

#include "toolkit/System.h"

#include <windows.h>
#include <commdlg.h>
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
    // The file-open dialog never moves the program's current folder. A preset that the dialog
    // refuses as a file name (an address, a quoted path, a folder) opens it empty instead, in the
    // preset's folder when that exists.
    bool ChooseFile(const FileDialogRequest& request, std::string& chosen) override;
    // The folder picker opens at the start folder and offers only existing file-system folders.
    bool ChooseFolder(const FolderDialogRequest& request, std::string& chosen) override;
    std::string ModuleFileName() override;

    // The platform calls behind the launches and the dialogs. Tests replace them to play what
    // Windows documents where Wine answers otherwise.
    std::function<HINSTANCE(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT)> ShellExecuteCall;
    std::function<BOOL(OPENFILENAMEA*)> GetOpenFileNameCall;
    std::function<DWORD()> CommDlgExtendedErrorCall;
    std::function<PIDLIST_ABSOLUTE(BROWSEINFOA*)> BrowseForFolderCall;

    Win32System();
};

} // namespace toolkit
