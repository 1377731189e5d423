// The least a tray launcher can start with: a hidden window with one edit box, a global hot key
// that shows it, and an icon in the notification area. The start-up benchmark measures
// Tarnwick against it, started in turn, so that what Wine's process start, the first window, the
// edit box and the round trip to the taskbar cost is the same on both sides.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
HWND edit = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HOTKEY:
        (void)ShowWindow(hwnd, SW_SHOW);
        (void)SetForegroundWindow(hwnd);
        (void)SetFocus(edit);
        return 0;
    case WM_CLOSE:
        (void)ShowWindow(hwnd, SW_HIDE);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"TarnwickBenchTrayProgram";
    (void)RegisterClassW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP, 293, 236, 129, 18,
                                  nullptr, nullptr, instance, nullptr);
    edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 129, 18,
                           window, nullptr, instance, nullptr);
    // Ctrl+Alt+F12: a combination that nothing else in a benchmark run holds.
    (void)RegisterHotKey(window, 1, MOD_CONTROL | MOD_ALT, VK_F12);
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kTrayMessage;
    icon.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    lstrcpynW(icon.szTip, L"Tray program", ARRAYSIZE(icon.szTip));
    (void)Shell_NotifyIconW(NIM_ADD, &icon);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        (void)TranslateMessage(&msg);
        (void)DispatchMessageW(&msg);
    }
    (void)Shell_NotifyIconW(NIM_DELETE, &icon);
    return 0;
}
