// Checks of a window drawn at its scale, shared by the tests that run the windows at another
// scale than 100 %: from the start, and after a move to a monitor of another scale.
#pragma once

#include "support/Capture.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace testing_support {

// What Windows does when the window crosses to a monitor at `dpi`: the size at that scale asked
// for, then the change told with a rectangle of that size where the window is.
inline RECT MoveToScale(const toolkit::TForm& form, int dpi) {
    SIZE size{};
    EXPECT_TRUE(SendMessageW(form.Handle(), 0x02E4 /* WM_GETDPISCALEDSIZE */, dpi,
                             reinterpret_cast<LPARAM>(&size)));
    RECT suggested{form.Left(), form.Top(), form.Left() + size.cx, form.Top() + size.cy};
    (void)SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
    return suggested;
}

// What a control paints of its client area (WM_PRINTCLIENT), row by row; `background` is given
// first, as its parent would have painted it.
inline std::vector<COLORREF> PaintedBy(HWND control, COLORREF background) {
    return CaptureClient(control, [&](HDC dc, const RECT& rc) {
        HBRUSH brush = CreateSolidBrush(background);
        (void)FillRect(dc, &rc, brush);
        (void)DeleteObject(brush);
        (void)SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

// The brush a header label's background is painted with, as pixels of the label's size.
inline std::vector<COLORREF> BackdropOf(HWND label) {
    return CaptureClient(label,
                         [&](HDC dc, const RECT& rc) { FillWithStaticBrush(label, dc, rc); });
}

// The header of the database editor or the configuration window at the form's scale: each
// picture drawn over its whole control, the version label on the badge of the lower picture with
// the picture behind it, "Freeware" on the header's white.
inline void ExpectHeaderAtItsScale(const toolkit::TForm& form) {
    SCOPED_TRACE(form.ClassName());
    // Each picture is drawn over its whole control, at the layout's scale.
    const struct {
        const char* Name;
        int Width, Height;
    } pictures[] = {{"Image1", 73, 85}, {"Image2", 172, 30}, {"Image3", 200, 45}};
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.Name);
        const toolkit::Image image(form.Control(p.Name));
        RECT client{};
        (void)GetClientRect(image.Handle(), &client);
        EXPECT_EQ(client.right, form.Scale(p.Width));
        EXPECT_EQ(client.bottom, form.Scale(p.Height));
        BITMAP info{};
        ASSERT_TRUE(GetObjectA(image.Picture(), sizeof info, &info));
        ASSERT_EQ(info.bmWidth, client.right);
        ASSERT_EQ(info.bmHeight, client.bottom);
        // What the control paints is its picture, pixel for pixel, and nothing stretched.
        const auto painted = PaintedBy(image.Handle(), RGB(0, 255, 0));
        const auto picture = PixelsOf(image.Picture(), info.bmWidth, info.bmHeight);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < picture.size(); ++i)
            differing += painted[i] != picture[i];
        EXPECT_EQ(differing, 0u);
    }

    // The version label lies on the badge of the lower picture: its whole width, and all
    // but the few rows below the picture's edge that the backdrop carries the badge on to.
    const toolkit::Image image3(form.Control("Image3"));
    const RECT drawn = image3.Bounds();
    const RECT version = toolkit::Label(form.Control("Label2")).Bounds();
    EXPECT_GE(version.left, drawn.left);
    EXPECT_LE(version.right, drawn.right);
    EXPECT_GE(version.top, drawn.top);
    EXPECT_LT(version.top + (version.bottom - version.top) / 2, drawn.bottom);
    // "Freeware" lies on the header's white, right of the word mark.
    RECT header{};
    (void)GetClientRect(form.Control("Panel1"), &header);
    RECT freeware = toolkit::Label(form.Control("Label8")).Bounds();
    RECT inside{};
    EXPECT_TRUE(IntersectRect(&inside, &freeware, &header) && EqualRect(&inside, &freeware));

    // Behind the version label: the scaled picture where it is, its last row below it, and
    // so the dark badge, never the white panel.
    const auto backdrop = BackdropOf(form.Control("Label2"));
    const auto picture =
        PixelsOf(image3.Picture(), drawn.right - drawn.left, drawn.bottom - drawn.top);
    const int width = version.right - version.left;
    const int pictureWidth = drawn.right - drawn.left;
    std::size_t differing = 0, light = 0;
    for (int y = 0; y < version.bottom - version.top; ++y) {
        for (int x = 0; x < width; ++x) {
            const int px = version.left + x - drawn.left;
            const int py = std::min<int>(version.top + y - drawn.top, drawn.bottom - drawn.top - 1);
            const COLORREF shown = backdrop[static_cast<std::size_t>(y * width + x)];
            differing += shown != picture[static_cast<std::size_t>(py * pictureWidth + px)];
            light += GetRValue(shown) > 200 && GetGValue(shown) > 200 && GetBValue(shown) > 200;
        }
    }
    EXPECT_EQ(differing, 0u);
    // The badge's rounded corners and its last column may show the white around it.
    EXPECT_LT(light * 10, backdrop.size()) << light << " of " << backdrop.size();
}

// The hot key box's line of text in the middle of the box's height.
inline void ExpectHotKeyTextInTheMiddle(const toolkit::Edit& box) {
    box.SetText("Ctrl + Alt + K");
    RECT client{};
    (void)GetClientRect(box.Handle(), &client);
    const LRESULT at = SendMessageA(box.Handle(), EM_POSFROMCHAR, 0, 0);
    const int top = static_cast<short>(HIWORD(at));
    HDC dc = GetDC(box.Handle());
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(box.Handle(), WM_GETFONT, 0, 0)));
    TEXTMETRICA tm{};
    (void)GetTextMetricsA(dc, &tm);
    (void)SelectObject(dc, old);
    (void)ReleaseDC(box.Handle(), dc);
    const int above = top - client.top;
    const int below = client.bottom - (top + tm.tmHeight);
    EXPECT_GE(above, 0);
    EXPECT_GE(below, 0);
    EXPECT_LE(std::abs(above - below), 1) << above << " above the line, " << below << " below";
    EXPECT_EQ(box.Text(), "Ctrl + Alt + K"); // one line, nothing wrapped away
}

} // namespace testing_support
