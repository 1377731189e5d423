#include "toolkit/Win32System.h"

#include "toolkit/Ole.h"
#include "toolkit/SystemDll.h"
#include "toolkit/Text.h"

#include <cderr.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

namespace toolkit {

namespace {

// Room for any path the platform hands back (the longest a path can be, in UTF-16 units).
constexpr std::size_t kLongPath = 32768;

// The folder part of a preset file name, when that folder exists: double quotes around it go,
// and a bare drive becomes its root. Empty otherwise.
std::wstring ExistingFolderOf(std::wstring name) {
    while (!name.empty() && name.front() == L'"')
        name.erase(0, 1);
    while (!name.empty() && name.back() == L'"')
        name.pop_back();
    const std::size_t slash = name.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return std::wstring();
    std::wstring folder = name.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':')
        folder += L'\\';
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return std::wstring();
    return folder;
}

// The dialogs move the process's current folder to wherever the user browsed, whatever the
// flags say (OFN_NOCHANGEDIR is documented as ineffective for the open dialog): entries with an
// empty start-in folder would then start there, and the folder (a USB stick, say) could not be
// removed while the program runs. The folder is taken before and put back after.
class CurrentFolderKept {
public:
    CurrentFolderKept() {
        const DWORD size = GetCurrentDirectoryW(0, nullptr);
        folder_.resize(size);
        const DWORD got = size ? GetCurrentDirectoryW(size, folder_.data()) : 0;
        folder_.resize(got > 0 && got < size ? got : 0);
    }
    ~CurrentFolderKept() {
        if (!folder_.empty())
            (void)SetCurrentDirectoryW(folder_.c_str());
    }
    CurrentFolderKept(const CurrentFolderKept&) = delete;
    CurrentFolderKept& operator=(const CurrentFolderKept&) = delete;

private:
    std::wstring folder_;
};

// A title of the seam's: no title (the platform's own) when empty.
const wchar_t* TitleOrNull(const std::wstring& title) {
    return title.empty() ? nullptr : title.c_str();
}

} // namespace

Win32System::Win32System()
    : ShellExecuteCall(&ShellExecuteW), GetOpenFileNameCall([](OPENFILENAMEW* ofn) {
          static const auto call =
              SystemFunction<decltype(GetOpenFileNameW)>("comdlg32.dll", "GetOpenFileNameW");
          return call(ofn);
      }),
      CommDlgExtendedErrorCall([] {
          static const auto call = SystemFunction<decltype(CommDlgExtendedError)>(
              "comdlg32.dll", "CommDlgExtendedError");
          return call();
      }),
      BrowseForFolderCall(&SHBrowseForFolderW), ShellExecuteExCall(&ShellExecuteExW),
      OpenClipboardCall(&OpenClipboard) {}

void Win32System::Execute(WindowHandle owner, const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showCmd) {
    // The shell may hand the launch to extensions that need COM on this thread.
    (void)EnsureOle();
    (void)ShellExecuteCall(static_cast<HWND>(owner), Widen(verb).c_str(), Widen(file).c_str(),
                           Widen(parameters).c_str(), Widen(directory).c_str(), showCmd);
}

ExecuteOutcome Win32System::TryExecute(WindowHandle owner, const std::string& verb,
                                       const std::string& file, const std::string& parameters,
                                       const std::string& directory, int showCmd) {
    (void)EnsureOle();
    const std::wstring wideVerb = Widen(verb), wideFile = Widen(file);
    const std::wstring wideParameters = Widen(parameters), wideDirectory = Widen(directory);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = static_cast<HWND>(owner);
    info.lpVerb = wideVerb.c_str();
    info.lpFile = wideFile.c_str();
    info.lpParameters = wideParameters.c_str();
    info.lpDirectory = wideDirectory.c_str();
    info.nShow = showCmd;
    if (ShellExecuteExCall(&info))
        return ExecuteOutcome::Started;
    switch (GetLastError()) {
    case ERROR_CANCELLED:
        return ExecuteOutcome::Declined;
    case ERROR_NO_ASSOCIATION: // the type has no such verb ("runas" on a document or a folder)
        return ExecuteOutcome::NoVerb;
    default:
        // Some shell versions leave only the old-style code behind.
        return reinterpret_cast<INT_PTR>(info.hInstApp) == SE_ERR_NOASSOC ? ExecuteOutcome::NoVerb
                                                                          : ExecuteOutcome::Failed;
    }
}

std::string Win32System::RegisteredProgram(const std::string& name) {
    std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + Widen(name);
    if (name.find('.') == std::string::npos)
        key += L".exe";
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        DWORD bytes = 0;
        // The value may be REG_EXPAND_SZ ("%ProgramFiles%\\..."): asked for as REG_SZ (the
        // platform refuses the expandable type without RRF_NOEXPAND), RegGetValueW expands it.
        if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS)
            continue;
        std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 2, L'\0');
        bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value.data(),
                         &bytes) != ERROR_SUCCESS)
            continue;
        std::wstring path = value.data();
        // Installers write it with and without quotes.
        path.erase(std::remove(path.begin(), path.end(), L'"'), path.end());
        if (!path.empty())
            return Narrow(path);
    }
    return std::string();
}

namespace {
std::string FolderFrom(UINT (*call)(wchar_t*, UINT)) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    UINT n = call(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = call(buffer.data(), static_cast<UINT>(buffer.size()));
    }
    if (n == 0 || n >= buffer.size())
        return std::string();
    std::wstring folder(buffer.data(), n);
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return Narrow(folder);
}
} // namespace

std::string Win32System::SystemFolder() {
    return FolderFrom([](wchar_t* buffer, UINT size) { return GetSystemDirectoryW(buffer, size); });
}

std::string Win32System::WindowsFolder() {
    // The system's Windows folder, not a terminal-server user's private one.
    return FolderFrom(
        [](wchar_t* buffer, UINT size) { return GetSystemWindowsDirectoryW(buffer, size); });
}

bool Win32System::PathExists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Win32System::ClipboardText() {
    bool open = false;
    for (int attempt = 0; attempt < 5 && !open; ++attempt) {
        if (attempt > 0)
            Sleep(20);
        open = OpenClipboardCall(nullptr) != FALSE;
    }
    if (!open)
        return std::string();
    std::string text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            // The text ends at its zero, or at the end of its memory if another program left
            // that out.
            const std::size_t units = GlobalSize(data) / sizeof(wchar_t);
            text = Narrow(std::wstring_view(wide, std::find(wide, wide + units, L'\0') - wide));
            (void)GlobalUnlock(data);
        }
    }
    (void)CloseClipboard();
    return text;
}

void Win32System::Beep(unsigned type) {
    (void)MessageBeep(type);
}

int Win32System::ShowMessageBox(WindowHandle owner, const std::string& text,
                                const std::string& caption, unsigned flags) {
    return MessageBoxW(static_cast<HWND>(owner), Widen(text).c_str(), Widen(caption).c_str(),
                       flags);
}

bool Win32System::ChooseFile(const FileDialogRequest& request, std::string& chosen) {
    (void)EnsureOle(); // the dialog hosts the shell's folder view
    // Room for any path the dialog may hand back; the preset name is cut to fit.
    const std::wstring preset = Widen(request.FileName);
    const std::wstring title = Widen(request.Title);
    std::vector<wchar_t> buffer(kLongPath, L'\0');
    preset.copy(buffer.data(), buffer.size() - 1);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = static_cast<HWND>(request.Owner);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = TitleOrNull(title);
    // The flag keeps the folder where Windows honours it; the keeper covers where it does not.
    ofn.Flags = request.Flags | OFN_NOCHANGEDIR;
    const CurrentFolderKept kept;
    if (!GetOpenFileNameCall(&ofn)) {
        // Windows returns at once, showing nothing, when the preset is no valid file name (an
        // address, a quoted path, a path ending in a backslash). That is no cancel: offer the
        // dialog again without the name.
        if (CommDlgExtendedErrorCall() != FNERR_INVALIDFILENAME)
            return false;
        const std::wstring folder = ExistingFolderOf(preset);
        std::fill(buffer.begin(), buffer.end(), L'\0');
        ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        if (!GetOpenFileNameCall(&ofn))
            return false;
    }
    chosen = Narrow(buffer.data());
    return true;
}

namespace {
int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data != 0)
        (void)SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}
} // namespace

bool Win32System::ChooseFolder(const FolderDialogRequest& request, std::string& chosen) {
    (void)EnsureOle(); // the folder dialog requires it
    const std::wstring title = Widen(request.Title);
    const std::wstring start = Widen(request.StartFolder);
    wchar_t display[MAX_PATH + 1] = {};
    BROWSEINFOW info{};
    info.hwndOwner = static_cast<HWND>(request.Owner);
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = &BrowseCallback;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE pidl = nullptr;
    {
        const CurrentFolderKept kept;
        pidl = BrowseForFolderCall(&info);
    }
    if (pidl == nullptr)
        return false;
    std::vector<wchar_t> path(kLongPath, L'\0');
    const bool ok = SHGetPathFromIDListEx(pidl, path.data(), static_cast<DWORD>(path.size()),
                                          GPFIDL_DEFAULT) != FALSE;
    SystemFunction<decltype(CoTaskMemFree)>("ole32.dll", "CoTaskMemFree")(pidl);
    if (!ok)
        return false;
    chosen = Narrow(path.data());
    return true;
}

std::string Win32System::ModuleFileName() {
    // Grows the buffer until the path fits: a long path is never cut short silently.
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        if (n < buffer.size() - 1 || buffer.size() >= kLongPath)
            return Narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExpandEnvironmentWith(ExpandEnvironmentCall call, const std::string& text) {
    const std::size_t zero = text.find('\0');
    const std::wstring source = Widen(text.substr(0, zero));
    const std::string tail = zero == std::string::npos ? std::string() : text.substr(zero);
    // The answer counts the terminating zero: a result that fits is at most the buffer's size.
    std::vector<wchar_t> buffer(source.size() + 64);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const unsigned long needed =
            call(source.c_str(), buffer.data(), static_cast<unsigned long>(buffer.size()));
        if (needed == 0)
            return text;
        if (needed <= buffer.size()) {
            buffer.back() = L'\0';
            return Narrow(buffer.data()) + tail;
        }
        buffer.resize(static_cast<std::size_t>(needed));
    }
    return text;
}

std::string Win32System::ExpandEnvironment(const std::string& text) {
    return ExpandEnvironmentWith(
        [](const wchar_t* source, wchar_t* buffer, unsigned long size) -> unsigned long {
            return ExpandEnvironmentStringsW(source, buffer, size);
        },
        text);
}

namespace {
// The text in Normalization Form C. A dead key or the Vietnamese layout types a letter and a
// combining mark (e + U+0301) where a keyword stored from elsewhere holds the composed letter;
// both compare alike only once composed. ASCII is its own form and skips the call. Where the
// system cannot normalize (an unpaired surrogate, a missing call) the text stays as it is.
std::wstring Composed(std::wstring wide) {
    if (std::all_of(wide.begin(), wide.end(), [](wchar_t c) { return c < 0x80; }))
        return wide;
    static const auto normalize =
        OptionalSystemFunction<decltype(NormalizeString)>("kernel32.dll", "NormalizeString");
    if (normalize == nullptr)
        return wide;
    const int length = static_cast<int>(wide.size());
    int size = normalize(NormalizationC, wide.data(), length, nullptr, 0);
    for (int attempt = 0; attempt < 4 && size > 0; ++attempt) {
        std::wstring out(static_cast<std::size_t>(size), L'\0');
        const int got = normalize(NormalizationC, wide.data(), length, out.data(), size);
        if (got > 0) {
            out.resize(static_cast<std::size_t>(got));
            return out;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
        size = -got; // the better estimate the call answers with
        if (size <= 0)
            size = static_cast<int>(out.size()) * 2;
    }
    return wide;
}
} // namespace

std::string Win32System::UpperCase(const std::string& text) {
    const std::wstring wide = Composed(Widen(text));
    if (wide.empty())
        return text;
    // The invariant locale: the same capitals whatever the user's language (a Turkish "i" would
    // otherwise become a dotted capital, and an ASCII keyword no longer match).
    const int length = static_cast<int>(wide.size());
    const int needed = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), length,
                                     nullptr, 0, nullptr, nullptr, 0);
    if (needed <= 0)
        return text;
    std::wstring upper(static_cast<std::size_t>(needed), L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), length, upper.data(),
                      needed, nullptr, nullptr, 0) != needed)
        return text;
    return Narrow(upper);
}

} // namespace toolkit
