#include "toolkit/Win32System.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace toolkit {

void Win32System::Execute(WindowHandle owner, const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showCmd) {
    (void)ShellExecuteA(static_cast<HWND>(owner), verb.c_str(), file.c_str(), parameters.c_str(),
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
    // Room for any path the dialog may hand back; the preset name is cut to fit.
    std::vector<char> buffer(32768, '\0');
    request.FileName.copy(buffer.data(), buffer.size() - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = static_cast<HWND>(request.Owner);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = request.Title.empty() ? nullptr : request.Title.c_str();
    ofn.Flags = request.Flags;
    if (!GetOpenFileNameA(&ofn))
        return false;
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
    char display[MAX_PATH + 1] = {};
    BROWSEINFOA info{};
    info.hwndOwner = static_cast<HWND>(request.Owner);
    info.pszDisplayName = display;
    info.lpszTitle = request.Title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = &BrowseCallback;
    info.lParam =
        request.StartFolder.empty() ? 0 : reinterpret_cast<LPARAM>(request.StartFolder.c_str());
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderA(&info);
    if (pidl == nullptr)
        return false;
    char path[MAX_PATH + 1] = {};
    const bool ok = SHGetPathFromIDListA(pidl, path) != FALSE;
    CoTaskMemFree(pidl);
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
