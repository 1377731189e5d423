// Reading back what is drawn: a bitmap's pixels, and what a drawing step paints into a bitmap of
// a control's client size. For the tests that judge what a window shows.
#pragma once

#include <windows.h>

#include <vector>

namespace testing_support {

// A bitmap's pixels, row by row.
inline std::vector<COLORREF> PixelsOf(HBITMAP bitmap, int width, int height) {
    std::vector<COLORREF> pixels;
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    (void)SelectObject(dc, old);
    (void)DeleteDC(dc);
    return pixels;
}

// Runs draw(dc, client rectangle) on a memory bitmap of the control's client size and returns
// its pixels, row by row.
template <class Draw> std::vector<COLORREF> CaptureClient(HWND control, Draw&& draw) {
    RECT rc{};
    (void)GetClientRect(control, &rc);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    (void)ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc, rc);
    (void)SelectObject(dc, old);
    std::vector<COLORREF> pixels = PixelsOf(bitmap, rc.right, rc.bottom);
    (void)DeleteObject(bitmap);
    (void)DeleteDC(dc);
    return pixels;
}

// Fills the rectangle with the brush the control's parent answers WM_CTLCOLORSTATIC with: the
// background a static control is painted on.
inline void FillWithStaticBrush(HWND control, HDC dc, const RECT& rc) {
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(control), WM_CTLCOLORSTATIC,
                                                             reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(control)));
    (void)FillRect(dc, &rc, brush);
}

} // namespace testing_support
