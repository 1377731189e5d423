// A small shown window of the test's own that tells whether something had every window on the
// desktop redrawn, as InvalidateRect or RedrawWindow does when handed a null window (a control
// that does not exist yet): it holds no update region until something invalidates it.
#pragma once

#include <windows.h>

namespace testing_support {

class RedrawProbe {
public:
    RedrawProbe() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TarnwickRedrawProbe";
        (void)RegisterClassW(&wc);
        window_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"",
                                  WS_POPUP | WS_VISIBLE, 0, 0, 24, 24, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        (void)UpdateWindow(window_);
        (void)ValidateRect(window_, nullptr);
    }
    ~RedrawProbe() { (void)DestroyWindow(window_); }
    RedrawProbe(const RedrawProbe&) = delete;
    RedrawProbe& operator=(const RedrawProbe&) = delete;

    bool Redrawn() const { return GetUpdateRect(window_, nullptr, FALSE) != FALSE; }
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};

} // namespace testing_support
