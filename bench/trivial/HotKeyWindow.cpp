// The least a launcher's call-up can cost: a hidden window with one edit box that the hot key
// message shows, brings to the front and gives the keyboard focus; WM_CLOSE hides it again. The
// start-up benchmark measures its call-ups beside Tarnwick's.
#include <windows.h>

namespace {

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
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "TarnwickBenchHotKeyWindow";
    (void)RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP, 293, 236, 129, 18,
                                  nullptr, nullptr, instance, nullptr);
    edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 129, 18,
                           window, nullptr, instance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        (void)TranslateMessage(&msg);
        (void)DispatchMessageA(&msg);
    }
    return 0;
}
