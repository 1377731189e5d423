// Calls up one window of a running Tarnwick as a user would, for screenshots:
//   callup command [TEXT]  the command window, by the hot key's message, with TEXT typed in
//   callup database [INDEX [apply|menu]]  "Database" from the tray menu, with entry INDEX
//                    selected (and applied, or right-clicked: the rectangle then takes in the
//                    balloon that may answer the Apply, or the menu)
//   callup hotkey INDEX  the editor with entry INDEX selected, and "Hot key..." chosen from the
//                    list's right-click menu
//   callup config     "Cofiguration" from the tray menu
//   callup traymenu   the tray menu, left open
//   callup hide       closes whichever of the three is shown
//   callup exit       "Exit" from the tray menu
// Prints the shown window's screen rectangle as WIDTHxHEIGHT+LEFT+TOP (an image tool's crop
// geometry). Exits 0 when the window came up (or went), 1 when it did not, 2 on a wrong argument.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

constexpr UINT kTrayCallback = WM_USER + 1;

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (done())
            return true;
        Sleep(50);
    }
    return done();
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    (void)GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

// The open popup menu of process `pid`, if any.
HWND OpenMenu(DWORD pid) {
    struct Search {
        DWORD Pid;
        HWND Found;
    } search{pid, nullptr};
    (void)EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            char cls[16] = "";
            (void)GetClassNameA(hwnd, cls, sizeof cls);
            if (std::strcmp(cls, "#32768") == 0 && IsWindowVisible(hwnd) &&
                ProcessOf(hwnd) == s->Pid) {
                s->Found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

bool ChooseFromTrayMenu(HWND tray, int downs) {
    const DWORD pid = ProcessOf(tray);
    (void)PostMessageA(tray, kTrayCallback, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    if (!WaitFor([&] { return (menu = OpenMenu(pid)) != nullptr; }, 5000)) {
        std::fprintf(stderr, "callup: no menu\n");
        return false;
    }
    for (int i = 0; i < downs; ++i) {
        (void)PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        Sleep(30);
    }
    (void)PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    return WaitFor([&] { return OpenMenu(pid) == nullptr; }, 5000);
}

// A balloon or tooltip that process `pid` shows, if any.
HWND ShownTooltip(DWORD pid) {
    HWND tip = nullptr;
    while ((tip = FindWindowExA(nullptr, tip, "tooltips_class32", nullptr)) != nullptr)
        if (IsWindowVisible(tip) && ProcessOf(tip) == pid)
            return tip;
    return nullptr;
}

bool Shown(HWND hwnd) {
    return hwnd && IsWindowVisible(hwnd);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4)
        return 2;
    const char* what = argv[1];
    HWND tray = nullptr;
    HWND command = nullptr;
    if (!WaitFor([&] {
            tray = FindWindowA("TTrayIcon", nullptr);
            command = FindWindowA("TTarnwick", nullptr);
            return tray && command;
        })) {
        std::fprintf(stderr, "callup: no running Tarnwick\n");
        return 1;
    }
    HWND database = FindWindowA("TF_Database", nullptr);
    HWND config = FindWindowA("TF_Config", nullptr);
    bool ok = false;
    HWND shown = nullptr;
    HWND extra = nullptr; // a balloon or menu that goes with the shown window
    if (std::strcmp(what, "command") == 0) {
        (void)PostMessageA(command, WM_HOTKEY, 1, 0);
        ok = WaitFor([&] { return Shown(command); });
        shown = command;
        HWND line = FindWindowExA(command, nullptr, "Edit", nullptr);
        for (const char* c = argc > 2 ? argv[2] : ""; ok && *c; ++c)
            (void)PostMessageA(line, WM_CHAR, static_cast<unsigned char>(*c), 1);
    } else if (std::strcmp(what, "hotkey") == 0 && argc == 3) {
        ok = ChooseFromTrayMenu(tray, 2) && WaitFor([&] { return Shown(database); });
        HWND list = FindWindowExA(database, nullptr, "ListBox", nullptr);
        (void)SendMessageA(list, LB_SETCURSEL, std::atoi(argv[2]), 0);
        (void)SendMessageA(database, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(list));
        // The menu key on the selected entry; "Hot key..." is its last item.
        (void)PostMessageA(database, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                           MAKELPARAM(-1, -1));
        HWND menu = nullptr;
        ok = ok && WaitFor([&] { return (menu = OpenMenu(ProcessOf(database))) != nullptr; }, 5000);
        if (ok) {
            (void)PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
            (void)PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        }
        ok = ok && WaitFor([&] { return Shown(shown = FindWindowA("TF_HotKey", nullptr)); });
    } else if (std::strcmp(what, "database") == 0) {
        ok = ChooseFromTrayMenu(tray, 2) && WaitFor([&] { return Shown(database); });
        shown = database;
        if (ok && argc > 2) {
            // An entry selected as a click selects it: its fields show in the boxes.
            HWND list = FindWindowExA(database, nullptr, "ListBox", nullptr);
            (void)SendMessageA(list, LB_SETCURSEL, std::atoi(argv[2]), 0);
            (void)SendMessageA(database, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(list));
        }
        if (ok && argc > 3 && std::strcmp(argv[3], "apply") == 0) {
            (void)SendMessageA(FindWindowExA(database, nullptr, "Button", "Apply"), BM_CLICK, 0, 0);
            WaitFor([&] { return (extra = ShownTooltip(ProcessOf(database))) != nullptr; }, 3000);
        }
        if (ok && argc > 3 && std::strcmp(argv[3], "menu") == 0) {
            // The right button on the selected entry, as the mouse would press it.
            HWND list = FindWindowExA(database, nullptr, "ListBox", nullptr);
            const auto height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
            const auto row =
                std::atoi(argv[2]) - static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
            const LPARAM at = MAKELPARAM(height, row * height + height / 2);
            (void)PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
            (void)PostMessageA(list, WM_RBUTTONUP, 0, at);
            ok = WaitFor([&] { return (extra = OpenMenu(ProcessOf(database))) != nullptr; }, 5000);
        }
    } else if (std::strcmp(what, "config") == 0) {
        ok = ChooseFromTrayMenu(tray, 3) && WaitFor([&] { return Shown(config); });
        shown = config;
    } else if (std::strcmp(what, "traymenu") == 0) {
        (void)PostMessageA(tray, kTrayCallback, 0, WM_RBUTTONUP);
        ok = WaitFor([&] { return (shown = OpenMenu(ProcessOf(tray))) != nullptr; }, 5000);
    } else if (std::strcmp(what, "hide") == 0) {
        // Escape hides the command window; the editor goes by its OK button, the configuration
        // window by Cancel (a close request to the editor, the main window, would end the run).
        // An open menu goes first, by Escape.
        if (HWND menu = OpenMenu(ProcessOf(tray))) {
            (void)PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            WaitFor([&] { return OpenMenu(ProcessOf(tray)) == nullptr; }, 5000);
        }
        // The hot key window goes by Cancel before the editor it holds.
        if (HWND hotKey = FindWindowA("TF_HotKey", nullptr); Shown(hotKey)) {
            (void)PostMessageA(FindWindowExA(hotKey, nullptr, "Button", "Cancel"), BM_CLICK, 0, 0);
            WaitFor([&] { return !Shown(hotKey); }, 5000);
        }
        if (Shown(command))
            (void)PostMessageA(FindWindowExA(command, nullptr, "Edit", nullptr), WM_CHAR, VK_ESCAPE,
                               1);
        if (Shown(database))
            (void)PostMessageA(FindWindowExA(database, nullptr, "Button", "OK"), BM_CLICK, 0, 0);
        if (Shown(config))
            (void)PostMessageA(FindWindowExA(config, nullptr, "Button", "Cancel"), BM_CLICK, 0, 0);
        ok = WaitFor([&] { return !Shown(command) && !Shown(database) && !Shown(config); });
    } else if (std::strcmp(what, "exit") == 0) {
        const DWORD pid = ProcessOf(tray);
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        ok = ChooseFromTrayMenu(tray, 4) &&
             (!process || WaitForSingleObject(process, 10000) == WAIT_OBJECT_0);
        if (process)
            (void)CloseHandle(process);
    } else {
        return 2;
    }
    if (!ok) {
        std::fprintf(stderr, "callup: %s did not happen\n", what);
    } else if (shown) {
        RECT rc{};
        (void)GetWindowRect(shown, &rc);
        if (extra) {
            RECT more{};
            (void)GetWindowRect(extra, &more);
            (void)UnionRect(&rc, &rc, &more);
        }
        std::printf("%ldx%ld+%ld+%ld\n", rc.right - rc.left, rc.bottom - rc.top, rc.left, rc.top);
    }
    return ok ? 0 : 1;
}
