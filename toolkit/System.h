// The System seam: everything that leaves the process or waits on a person. The program hands the
// real implementation (Win32System) to the application at start; tests hand in a recorder.
// Portable on purpose: the key-entry decision uses it without <windows.h>. The member names differ
// from the Win32 ones so that the platform's A/W macros never rename them.
#pragma once

#include <string>

namespace toolkit {

// A window handle as the seam carries it (an HWND underneath).
using WindowHandle = void*;

struct FileDialogRequest {
    WindowHandle Owner = nullptr;
    std::string Title;
    std::string FileName;    // preset file name
    unsigned long Flags = 0; // OFN_... options
};

struct FolderDialogRequest {
    WindowHandle Owner = nullptr;
    std::string Title;
    std::string StartFolder;
};

class System {
public:
    virtual ~System() = default;

    // ShellExecuteA(owner, verb, file, parameters, directory, showCmd); the result is not used.
    virtual void Execute(WindowHandle owner, const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int showCmd) = 0;
    // MessageBeep(type).
    virtual void Beep(unsigned type) = 0;
    // MessageBoxA(owner, text, caption, flags); returns the button pressed (IDOK, IDYES, ...).
    virtual int ShowMessageBox(WindowHandle owner, const std::string& text,
                               const std::string& caption, unsigned flags) = 0;
    // The file-open dialog: true and the chosen path in `chosen`, or false when cancelled.
    virtual bool ChooseFile(const FileDialogRequest& request, std::string& chosen) = 0;
    // The folder-selection dialog: true and the chosen folder in `chosen`, or false.
    virtual bool ChooseFolder(const FolderDialogRequest& request, std::string& chosen) = 0;
    // The executable's full path (the module file name).
    virtual std::string ModuleFileName() = 0;

    // The text with every %NAME% of a defined environment variable replaced by its value, as
    // ExpandEnvironmentStringsA does; undefined names stay as written, and so does the whole text
    // when the platform cannot expand it. A stand-in without an environment keeps the text.
    virtual std::string ExpandEnvironment(const std::string& text) { return text; }
    // The text, in the ANSI code page, as UTF-8 (through UTF-16 on Windows). A stand-in takes
    // the bytes as Latin-1, so that it gives the same answer on every machine.
    virtual std::string AnsiToUtf8(const std::string& text) {
        std::string utf8;
        utf8.reserve(text.size());
        for (const char c : text) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x80) {
                utf8 += c;
            } else {
                utf8 += static_cast<char>(0xC0 | (b >> 6));
                utf8 += static_cast<char>(0x80 | (b & 0x3F));
            }
        }
        return utf8;
    }
};

} // namespace toolkit
