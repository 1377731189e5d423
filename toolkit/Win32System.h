// The real System seam: forwards to the platform.
#pragma once

#include "toolkit/System.h"

namespace toolkit {

class Win32System : public System {
public:
    void Execute(WindowHandle owner, const std::string& verb, const std::string& file,
                 const std::string& parameters, const std::string& directory, int showCmd) override;
    void Beep(unsigned type) override;
    int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                       unsigned flags) override;
    bool ChooseFile(const FileDialogRequest& request, std::string& chosen) override;
    // The folder picker opens at the start folder and offers only existing file-system folders.
    bool ChooseFolder(const FolderDialogRequest& request, std::string& chosen) override;
    std::string ModuleFileName() override;
};

} // namespace toolkit
