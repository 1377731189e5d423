#include "toolkit/Win32System.h"

#include "toolkit/Ole.h"
#include "toolkit/SystemDll.h"

#include <cderr.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

namespace toolkit {

namespace {

// The folder part of a preset file name, when that folder exists: double quotes around it go,
// and a bare drive becomes its root. Empty otherwise.
std::string ExistingFolderOf(std::string name) {
    while (!name.empty() && name.front() == '"')
        name.erase(0, 1);
    while (!name.empty() && name.back() == '"')
        name.pop_back();
    const std::size_t slash = name.find_last_of("\\/");
    if (slash == std::string::npos)
        return std::string();
    std::string folder = name.substr(0, slash);
    if (folder.size() == 2 && folder[1] == ':')
        folder += '\\';
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return std::string();
    return folder;
}

} // namespace

Win32System::Win32System()
    : ShellExecuteCall(&ShellExecuteA), GetOpenFileNameCall([](OPENFILENAMEA* ofn) {
          static const auto call =
              SystemFunction<decltype(GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
          return call(ofn);
      }),
      CommDlgExtendedErrorCall([] {
          static const auto call = SystemFunction<decltype(CommDlgExtendedError)>(
              "comdlg32.dll", "CommDlgExtendedError");
          return call();
      }),
      BrowseForFolderCall(&SHBrowseForFolderA) {}

void Win32System::Execute(WindowHandle owner, const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showCmd) {
    // The shell may hand the launch to extensions that need COM on this thread.
    (void)EnsureOle();
    (void)ShellExecuteCall(static_cast<HWND>(owner), verb.c_str(), file.c_str(), parameters.c_str(),
                           directory.c_str(), showCmd);
}

void Win32System::Beep(unsigned type) {
    (void)MessageBeep(type);
}

int Win32System::ShowMessageBox(WindowHandle owner, const std::string& text,
                                const std::string& caption, unsigned flags) {
    return MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), flags);
}

bool Win32System::ChooseFile(const FileDialogRequest& request, std::string& chosen) {
    (void)EnsureOle(); // the dialog hosts the shell's folder view
    // Room for any path the dialog may hand back; the preset name is cut to fit.
    std::vector<char> buffer(32768, '\0');
    request.FileName.copy(buffer.data(), buffer.size() - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = static_cast<HWND>(request.Owner);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = request.Title.empty() ? nullptr : request.Title.c_str();
    // Browsing must not move the current folder: it would stay in use, and entries with an
    // empty start-in folder would start wherever the user last browsed.
    ofn.Flags = request.Flags | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameCall(&ofn)) {
        // Windows returns at once, showing nothing, when the preset is no valid file name (an
        // address, a quoted path, a path ending in a backslash). That is no cancel: offer the
        // dialog again without the name.
        if (CommDlgExtendedErrorCall() != FNERR_INVALIDFILENAME)
            return false;
        const std::string folder = ExistingFolderOf(request.FileName);
        std::fill(buffer.begin(), buffer.end(), '\0');
        ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        if (!GetOpenFileNameCall(&ofn))
            return false;
    }
    chosen.assign(buffer.data());
    return true;
}

namespace {
int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data != 0)
        (void)SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}
} // namespace

bool Win32System::ChooseFolder(const FolderDialogRequest& request, std::string& chosen) {
    (void)EnsureOle(); // the folder dialog requires it
    char display[MAX_PATH + 1] = {};
    BROWSEINFOA info{};
    info.hwndOwner = static_cast<HWND>(request.Owner);
    info.pszDisplayName = display;
    info.lpszTitle = request.Title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = &BrowseCallback;
    info.lParam =
        request.StartFolder.empty() ? 0 : reinterpret_cast<LPARAM>(request.StartFolder.c_str());
    PIDLIST_ABSOLUTE pidl = BrowseForFolderCall(&info);
    if (pidl == nullptr)
        return false;
    char path[MAX_PATH + 1] = {};
    const bool ok = SHGetPathFromIDListA(pidl, path) != FALSE;
    SystemFunction<decltype(CoTaskMemFree)>("ole32.dll", "CoTaskMemFree")(pidl);
    if (!ok)
        return false;
    chosen.assign(path);
    return true;
}

std::string Win32System::ModuleFileName() {
    // Grows the buffer until the path fits: a long path is never cut short silently.
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        if (n < buffer.size() - 1 || buffer.size() >= 65536)
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExpandEnvironmentWith(ExpandEnvironmentCall call, const std::string& text) {
    const std::size_t zero = text.find('\0');
    const std::string source = text.substr(0, zero);
    const std::string tail = zero == std::string::npos ? std::string() : text.substr(zero);
    // The ANSI call wants one byte beyond the result and its terminating zero.
    std::vector<char> buffer(source.size() + 64);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const unsigned long needed =
            call(source.c_str(), buffer.data(), static_cast<unsigned long>(buffer.size()));
        if (needed == 0)
            return text;
        if (needed < buffer.size()) {
            buffer.back() = '\0';
            return std::string(buffer.data()) + tail;
        }
        buffer.resize(static_cast<std::size_t>(needed) + 2);
    }
    return text;
}

std::string Win32System::ExpandEnvironment(const std::string& text) {
    return ExpandEnvironmentWith(
        [](const char* source, char* buffer, unsigned long size) -> unsigned long {
            return ExpandEnvironmentStringsA(source, buffer, size);
        },
        text);
}

std::string Win32System::AnsiToUtf8(const std::string& text) {
    if (text.empty())
        return text;
    // Explicit lengths: a zero byte is a character like any other.
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (wide <= 0)
        return text;
    std::vector<wchar_t> utf16(static_cast<std::size_t>(wide));
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, utf16.data(), wide) != wide)
        return text;
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return text;
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), bytes, nullptr, nullptr) !=
        bytes)
        return text;
    return utf8;
}

} // namespace toolkit
