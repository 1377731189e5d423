// Reading back what is drawn: a bitmap's pixels, and what a drawing step paints into a bitmap of
// a control's client size. For the tests that judge what a window shows.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cmath>
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

// A shown top-level window as the screen shows it, frame, children and all, row by row (Wine's
// PrintWindow leaves the children out).
inline std::vector<COLORREF> CaptureWindow(HWND window) {
    (void)RedrawWindow(window, nullptr, nullptr,
                       RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    RECT rc{};
    (void)GetWindowRect(window, &rc);
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    (void)BitBlt(dc, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    (void)SelectObject(dc, old);
    (void)ReleaseDC(nullptr, screen);
    std::vector<COLORREF> pixels = PixelsOf(bitmap, width, height);
    (void)DeleteObject(bitmap);
    (void)DeleteDC(dc);
    return pixels;
}

// The contrast ratio of two colours, 1 to 21, as the accessibility guidelines compute it.
inline double ContrastRatio(COLORREF a, COLORREF b) {
    const auto luminance = [](COLORREF c) {
        const auto linear = [](int channel) {
            const double v = channel / 255.0;
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) +
               0.0722 * linear(GetBValue(c));
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A 64-bit FNV-1a digest of pixels: a look kept as one number.
inline unsigned long long DigestOf(const std::vector<COLORREF>& pixels) {
    unsigned long long hash = 14695981039346656037ull;
    for (COLORREF p : pixels)
        for (int shift = 0; shift < 24; shift += 8) {
            hash ^= (p >> shift) & 0xFF;
            hash *= 1099511628211ull;
        }
    return hash;
}

} // namespace testing_support
