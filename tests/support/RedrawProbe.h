// A small shown window of the test's own that tells whether something had every window on the
// desktop redrawn, as InvalidateRect or RedrawWindow does when handed a null window (a control
// that does not exist yet): from its making on, it counts the painting that reaches it.
#pragma once

#include <windows.h>

namespace testing_support {

class RedrawProbe {
public:
    RedrawProbe() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TarnwickRedrawProbe";
        (void)RegisterClassW(&wc);
        window_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"",
                                  WS_POPUP | WS_VISIBLE, 0, 0, 24, 24, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        (void)UpdateWindow(window_);
        (void)ValidateRect(window_, nullptr);
        Paints() = 0;
    }
    ~RedrawProbe() { (void)DestroyWindow(window_); }
    RedrawProbe(const RedrawProbe&) = delete;
    RedrawProbe& operator=(const RedrawProbe&) = delete;

    // Painted since, or waiting to be.
    bool Redrawn() const { return Paints() != 0 || GetUpdateRect(window_, nullptr, FALSE); }

private:
    static int& Paints() {
        static int paints = 0;
        return paints;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_PAINT || msg == WM_NCPAINT || msg == WM_ERASEBKGND)
            ++Paints();
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    HWND window_ = nullptr;
};

} // namespace testing_support
