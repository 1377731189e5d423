#include "support/E2e.h"

#include "toolkit/Text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace e2e {

void PressChord(std::initializer_list<WORD> keys) {
    std::vector<INPUT> input;
    for (WORD vk : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        input.push_back(i);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *--it;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        input.push_back(i);
    }
    (void)SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

namespace {

constexpr UINT kTrayCallback = WM_USER + 1; // the tray icon's callback message

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

struct Search {
    DWORD Pid;
    const char* Cls;
    bool VisibleOnly;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->Pid)
        return TRUE;
    if (s->VisibleOnly && !IsWindowVisible(hwnd))
        return TRUE;
    if (s->Cls && lstrcmpiA(ClassOf(hwnd).c_str(), s->Cls) != 0)
        return TRUE;
    s->Found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectText(HWND hwnd, LPARAM lp) {
    auto* texts = reinterpret_cast<std::vector<std::string>*>(lp);
    if (lstrcmpiA(ClassOf(hwnd).c_str(), "Static") == 0) {
        const std::string text = TextOf(hwnd);
        if (!text.empty())
            texts->push_back(text);
    }
    return TRUE;
}

} // namespace

using toolkit::Narrow;
using toolkit::Widen;

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(Widen(folder + "*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = Narrow(fd.cFileName);
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + name;
            SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\");
            else
                DeleteFileW(Widen(path).c_str());
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(Widen(folder).c_str());
}

DesktopJoin::DesktopJoin()
    : window_(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr)) {}

DesktopJoin::~DesktopJoin() {
    DestroyWindow(window_);
}

bool HotKeyIsFree(UINT modifiers, UINT key) {
    HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    const bool free = RegisterHotKey(probe, 0x7001, modifiers, key) != FALSE;
    if (free)
        UnregisterHotKey(probe, 0x7001);
    DestroyWindow(probe);
    return free;
}

LRESULT SendClosingMenus(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const UINT_PTR timer =
        SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    const LRESULT result = SendMessageA(hwnd, msg, wp, lp);
    KillTimer(nullptr, timer);
    return result;
}

std::string EnvWindowsPath(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value)
        return {};
    std::string path = value;
    if (path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (static_cast<int>(GetTickCount() - start) > ms)
            return false;
        Pump();
        Sleep(20);
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(Widen(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(std::filesystem::path(Widen(path)), std::ios::binary | std::ios::trunc);
    out << text;
}

void HandEdit(const std::string& path, const std::string& text) {
    static int edits = 0;
    WriteFile(path, text);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart += 10000000ULL * ++edits;
    const FILETIME written{t.LowPart, t.HighPart};
    HANDLE f = CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    SetFileTime(f, nullptr, nullptr, &written);
    CloseHandle(f);
}

namespace {

// The Unix name Wine gives a Windows path; empty outside Wine.
std::string UnixName(const std::string& path) {
    using Convert = char*(CDECL*)(const WCHAR*);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    const std::wstring wide = Widen(path);
    char* name = convert ? convert(wide.c_str()) : nullptr;
    if (name == nullptr)
        return {};
    const std::string unix = name;
    HeapFree(GetProcessHeap(), 0, name);
    return unix;
}

// Runs a command in the machine's shell (Wine starts Unix programs too); true when it succeeded.
// Wine's handle of a Unix process cannot be waited on: the shell leaves its exit code in a file.
bool RunUnixShell(const std::string& command) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string result =
        std::string(temp) + "tarnwick-shell-" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(result.c_str());
    std::string line = "sh -c \"" + command + "; echo $? >'" + UnixName(result) + "'\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (UnixName(result).empty() || !CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr,
                                                    FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const bool ended = WaitFor([&] { return ReadFile(result).find('\n') != std::string::npos; });
    const std::string code = ReadFile(result);
    DeleteFileA(result.c_str());
    return ended && code == "0\n";
}

} // namespace

bool Folder::MakeReadOnly() {
    const std::string unix = UnixName(path_);
    if (unix.empty())
        return false;
    // Wine's name goes through the prefix's drive links, and a colon in it reads as a host. A
    // bind mount that cannot be made read-only goes again at once.
    const std::string real = "$(realpath '" + unix + "')";
    if (!RunUnixShell("mount --bind " + real + " " + real + " && { mount -o remount,bind,ro " +
                      real + " || { umount " + real + "; false; }; }"))
        return false;
    mounted_ = real;
    return true;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolder(const std::string& path) {
    return CreateDirectoryW(Widen(path).c_str(), nullptr) != FALSE;
}

int IniInt(const std::string& path, const char* section, const char* key, int missing) {
    return static_cast<int>(GetPrivateProfileIntW(Widen(section).c_str(), Widen(key).c_str(),
                                                  missing, Widen(path).c_str()));
}

std::vector<HWND> ProcessWindows(DWORD pid, const char* cls, bool visibleOnly) {
    Search s{pid, cls, visibleOnly, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&s));
    return s.Found;
}

std::string ClassOf(HWND hwnd) {
    char name[128] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd) {
    wchar_t text[1024] = L"";
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &got))
        return {};
    return Narrow(std::wstring_view(text, got));
}

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[1024] = L"";
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024)
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(Narrow(text));
    }
    return items;
}

HWND ChildOf(HWND parent, const char* cls, const std::string& text) {
    return FindWindowExW(parent, nullptr, Widen(cls).c_str(), Widen(text).c_str());
}

std::string BrowserLog() {
    const char* state = std::getenv("TARNWICK_WINE_STATE");
    if (!state)
        return {};
    // The state folder is a Unix path; Wine maps the root of the Unix file system to Z:.
    return ReadFile(std::string("Z:") + state + "/browser.log");
}

std::size_t LineCount(const std::string& path) {
    const std::string text = ReadFile(path);
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

bool SetClipboardText(const std::string& text) {
    const std::wstring wide = Widen(text);
    if (!OpenClipboard(nullptr))
        return false;
    bool set = false;
    if (EmptyClipboard()) {
        const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
        if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            std::memcpy(GlobalLock(memory), wide.c_str(), bytes);
            GlobalUnlock(memory);
            set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
            if (!set)
                GlobalFree(memory);
        }
    }
    CloseClipboard();
    return set;
}

Folder::Folder(const std::string& tag) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    path_ =
        Narrow(temp) + "tarnwick-e2e-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    RemoveTree(path_);
    MakeFolder(path_);
    const std::string exe = EnvWindowsPath("TARNWICK_EXE");
    const std::string marker = EnvWindowsPath("TARNWICK_MARKER");
    ready_ = !exe.empty() && !marker.empty() &&
             CopyFileW(Widen(exe).c_str(), Widen(path_ + "Tarnwick.exe").c_str(), FALSE) &&
             CopyFileW(Widen(marker).c_str(), Widen(Marker()).c_str(), FALSE);
}

Folder::~Folder() {
    if (!mounted_.empty())
        RunUnixShell("umount " + mounted_);
    RemoveTree(path_);
}

Launcher::~Launcher() {
    if (pi_.hProcess) {
        if (Running()) {
            // The user's way out first; the hard way if that fails.
            if (!tray_ || !ChooseFromTrayMenu(4) || WaitForExit(5000) == STILL_ACTIVE)
                TerminateProcess(pi_.hProcess, 1);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
}

bool Launcher::Start() {
    const std::wstring exe = Widen(folder_.Path() + "Tarnwick.exe");
    std::wstring commandLine = L"\"" + exe + L"\"";
    // Started from another folder: the settings file is found beside the exe, not in the
    // current directory.
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, temp,
                        &si, &pi_))
        return false;
    const bool up = WaitFor(
        [&] {
            auto commands = ProcessWindows(Pid(), "TTarnwick");
            auto trays = ProcessWindows(Pid(), "TTrayIcon");
            if (commands.empty() || trays.empty())
                return false;
            command_ = commands.front();
            tray_ = trays.front();
            edit_ = FindWindowExA(command_, nullptr, "Edit", nullptr);
            return edit_ != nullptr;
        },
        20000);
    if (up)
        Settle();
    return up;
}

bool Launcher::Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Launcher::WaitForExit(int ms) {
    WaitFor([&] { return !Running(); }, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

RECT Launcher::CommandRect() const {
    RECT rc{};
    GetWindowRect(command_, &rc);
    return rc;
}

void Launcher::Settle() {
    // Posted messages are handled in order: once the program is idle again, all of ours are.
    Sleep(50);
    WaitForInputIdle(pi_.hProcess, 5000);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(command_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(50);
}

void Launcher::HotKey(WPARAM id) {
    PostMessageA(command_, WM_HOTKEY, id, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'T'));
    Settle();
}

void Launcher::Type(const std::string& text) {
    // As the keyboard delivers them to a Unicode window: UTF-16 units, a character beyond the
    // Basic Multilingual Plane as its two halves.
    for (const wchar_t unit : Widen(text))
        PostMessageW(edit_, WM_CHAR, unit, 1);
    Settle();
}

void Launcher::Key(WORD vk) {
    PostMessageW(edit_, WM_KEYDOWN, vk, 1);
    PostMessageW(edit_, WM_KEYUP, vk, 0xC0000001);
    Settle();
}

void Launcher::Selection(int& start, int& end) const {
    // Pointers do not cross to another process: the answer holds both (for short lines).
    const auto both = static_cast<DWORD>(SendMessageW(edit_, EM_GETSEL, 0, 0));
    start = LOWORD(both);
    end = HIWORD(both);
}

HWND Launcher::OpenMenu() const {
    auto menus = ProcessWindows(Pid(), "#32768", true);
    return menus.empty() ? nullptr : menus.front();
}

bool Launcher::ChooseFromTrayMenu(int downs) {
    PostMessageA(tray_, kTrayCallback, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    if (!WaitFor([&] { return (menu = OpenMenu()) != nullptr; }, 5000))
        return false;
    for (int i = 0; i < downs; ++i) {
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        Sleep(30);
    }
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    WaitFor([&] { return OpenMenu() == nullptr || !Running(); }, 5000);
    if (Running())
        Settle();
    return true;
}

void Launcher::Click(UINT down, UINT up, WPARAM keys, int x, int y) {
    PostMessageA(edit_, down, keys, MAKELPARAM(x, y));
    PostMessageA(edit_, up, 0, MAKELPARAM(x, y));
    Settle();
}

void Launcher::Drag(int x, int y, int sx, int sy) {
    // Joined once for the rest of the run, given a moment to take.
    static const DesktopJoin joined;
    static const bool settled = (Pump(), true);
    (void)settled;
    POINT origin{0, 0};
    ClientToScreen(edit_, &origin);
    SetCursorPos(origin.x + x, origin.y + y);
    PostMessageA(edit_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    Settle();
    SetCursorPos(sx, sy);
    // The program reads the cursor itself; Wine may show it the new place only a moment later,
    // so the move is repeated, as a hand's drag brings many moves, until the window follows.
    const RECT before = CommandRect();
    for (int i = 0; i < 5; ++i) {
        PostMessageA(edit_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(sx - origin.x, sy - origin.y));
        Settle();
        const RECT now = CommandRect();
        if (now.left != before.left || now.top != before.top)
            break;
    }
}

void Launcher::Release() {
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    ScreenToClient(edit_, &cursor);
    PostMessageA(edit_, WM_LBUTTONUP, 0, MAKELPARAM(cursor.x, cursor.y));
    Settle();
}

HWND Launcher::MessageBoxWindow() const {
    auto boxes = ProcessWindows(Pid(), "#32770", true);
    return boxes.empty() ? nullptr : boxes.front();
}

std::vector<std::string> Launcher::MessageBoxTexts(HWND box) const {
    std::vector<std::string> texts{TextOf(box)};
    EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

} // namespace e2e
