// The System seam: everything that leaves the process or waits on a person. The program hands the
// real implementation (Win32System) to the application at start; tests hand in a recorder.
// Portable on purpose: the key-entry decision uses it without <windows.h>. Every text is UTF-8.
// The member names differ from the Win32 ones so that the platform's A/W macros never rename them.
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

// What became of a launch whose outcome the program needs to know.
enum class ExecuteOutcome {
    Started,
    Declined, // the user refused the consent prompt of a launch as administrator
    Failed,   // nothing could be started (no such program, no association, no access)
    NoVerb,   // the file's type has no such verb (most documents, folders, addresses: "runas")
};

struct FolderDialogRequest {
    WindowHandle Owner = nullptr;
    std::string Title;
    std::string StartFolder;
};

class System {
public:
    virtual ~System() = default;

    // ShellExecuteW(owner, verb, file, parameters, directory, showCmd); the result is not used.
    virtual void Execute(WindowHandle owner, const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int showCmd) = 0;
    // MessageBeep(type).
    virtual void Beep(unsigned type) = 0;
    // MessageBoxW(owner, text, caption, flags); returns the button pressed (IDOK, IDYES, ...).
    virtual int ShowMessageBox(WindowHandle owner, const std::string& text,
                               const std::string& caption, unsigned flags) = 0;
    // The file-open dialog: true and the chosen path in `chosen`, or false when cancelled.
    virtual bool ChooseFile(const FileDialogRequest& request, std::string& chosen) = 0;
    // The folder-selection dialog: true and the chosen folder in `chosen`, or false.
    virtual bool ChooseFolder(const FolderDialogRequest& request, std::string& chosen) = 0;
    // The executable's full path (the module file name).
    virtual std::string ModuleFileName() = 0;

    // The text with every %NAME% of a defined environment variable replaced by its value, as
    // ExpandEnvironmentStringsW does; undefined names stay as written, and so does the whole text
    // when the platform cannot expand it. A stand-in without an environment keeps the text.
    virtual std::string ExpandEnvironment(const std::string& text) { return text; }
    // The text with its small letters made capitals by the system's case mapping, for every
    // script (LCMapStringEx, LCMAP_UPPERCASE, in no particular language's rules, so that "i"
    // always becomes "I"): what the upper-case input line shows. The text is composed first
    // (Normalization Form C), so that a letter typed with a combining mark matches the same
    // letter stored composed. A stand-in maps ASCII and the
    // Latin-1 letters only, so that it gives the same answer on every machine.
    virtual std::string UpperCase(const std::string& text);

    // A launch as Execute makes it, but with its outcome: ShellExecuteExW with
    // SEE_MASK_FLAG_NO_UI, so that the shell shows no error box of its own (one would stack under
    // an always-on-top window). A stand-in without a shell hands it to Execute: it started.
    virtual ExecuteOutcome TryExecute(WindowHandle owner, const std::string& verb,
                                      const std::string& file, const std::string& parameters,
                                      const std::string& directory, int showCmd) {
        Execute(owner, verb, file, parameters, directory, showCmd);
        return ExecuteOutcome::Started;
    }
    // Whether a file or folder of that path exists (relative: to the current folder). A stand-in
    // knows none.
    virtual bool PathExists(const std::string&) { return false; }
    // The clipboard's text (CF_UNICODETEXT), whole; empty when it holds none or cannot be had.
    virtual std::string ClipboardText() { return std::string(); }

    // Where a program is registered under App Paths for `name` (the per-user key first, then the
    // machine's; a name without an extension is looked up with .exe), without quotes; empty when
    // it is not registered. A stand-in knows none.
    virtual std::string RegisteredProgram(const std::string&) { return std::string(); }
    // The system folder (System32 of a 64-bit process) and the Windows folder, without a trailing
    // backslash. A stand-in has none: empty.
    virtual std::string SystemFolder() { return std::string(); }
    virtual std::string WindowsFolder() { return std::string(); }
};

} // namespace toolkit
