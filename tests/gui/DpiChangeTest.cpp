// The three windows moved to a monitor of another scale, as a per-monitor aware program's windows
// are when a laptop at 150 % meets a monitor at 100 %: Windows asks each window its size at the new
// scale (WM_GETDPISCALEDSIZE) and then tells it (WM_DPICHANGED) with a suggested rectangle. Wine
// has one scale for every monitor and sends neither, so the test sends them, in-process, and
// judges the layout, the fonts, the header and the hot key box at each scale, and that a hundred
// changes leave no GDI objects behind. The program carries the launcher's manifest, so that the
// windows are per-monitor aware as the launcher's are.
#include "support/GuiObjects.h"
#include "support/InProcessLauncher.h"
#include "support/ScaleChecks.h"
#include "toolkit/Text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using toolkit::ScaleToDpi;
using toolkit::TControlKind;
using toolkit::TForm;

using testing_support::MoveToScale;

int FontHeightOf(HWND control) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    return font && GetObjectW(font, sizeof lf, &lf) ? lf.lfHeight : 0;
}

// Every control where the layout puts it at `dpi`, of its size there, with its font of that
// scale; an auto-sized label as wide and high as its text in that font.
void ExpectLaidOutAt(const TForm& form, int dpi) {
    SCOPED_TRACE(form.ClassName() + " at " + std::to_string(dpi));
    EXPECT_EQ(form.PixelsPerInch(), dpi);
    const toolkit::TFormLayout& layout = form.DesignLayout();
    for (const toolkit::TControlLayout& s : layout.Controls) {
        SCOPED_TRACE(s.Name);
        const HWND control = form.Control(s.Name);
        const RECT at = toolkit::TWinControl(control).Bounds();
        EXPECT_EQ(at.left, ScaleToDpi(s.Left, dpi));
        EXPECT_EQ(at.top, ScaleToDpi(s.Top, dpi));
        const int width = at.right - at.left, height = at.bottom - at.top;
        if (s.Kind == TControlKind::Label && s.Width == 0) {
            HDC dc = GetDC(control);
            const HGDIOBJ old = SelectObject(
                dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
            const std::wstring text = toolkit::Widen(s.Caption);
            SIZE extent{};
            (void)GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            (void)SelectObject(dc, old);
            (void)ReleaseDC(control, dc);
            EXPECT_GE(width, extent.cx);
            EXPECT_GE(height, extent.cy);
        } else if (s.Kind == TControlKind::Bevel) {
            // Made at this scale, a line may carry the edge the system adds to an etched line
            // (the window clips it).
            EXPECT_GE(width, ScaleToDpi(s.Width, dpi));
            EXPECT_LE(width, ScaleToDpi(s.Width, dpi) + 2);
            EXPECT_LE(height, 2);
        } else {
            EXPECT_EQ(width, ScaleToDpi(s.Width, dpi));
            EXPECT_EQ(height, ScaleToDpi(s.Height, dpi));
        }
        if (s.Kind != TControlKind::TrackBar && s.Kind != TControlKind::Image &&
            s.Kind != TControlKind::Bevel && s.Kind != TControlKind::Panel) {
            EXPECT_EQ(FontHeightOf(control),
                      ScaleToDpi((s.Font ? *s.Font : layout.Font).Height, dpi));
        }
        if (s.Kind == TControlKind::ListBox && s.ItemHeight > 0) {
            EXPECT_EQ(SendMessageW(control, LB_GETITEMHEIGHT, 0, 0), ScaleToDpi(s.ItemHeight, dpi));
        }
    }
}

class DpiChange : public ::testing::Test {
protected:
    void SetUp() override {
        launcher_ = std::make_unique<testing_support::InProcessLauncher>("TarnwickDpi");
        ASSERT_NE(F_Database, nullptr);
        ASSERT_NE(F_Config, nullptr);
        start_ = F_Config->PixelsPerInch();
        ASSERT_EQ(start_, 96) << "the test prefix runs at 100 %";
    }
    void TearDown() override { launcher_.reset(); }
    std::vector<TForm*> Windows() const { return {Tarnwick, F_Database, F_Config}; }

    int start_ = 96;
    std::unique_ptr<testing_support::InProcessLauncher> launcher_;
};

TEST_F(DpiChange, EachWindowLaysItselfOutAgainAtTheNewScaleAndBack) {
    for (const int dpi : {144, 96}) {
        for (TForm* form : Windows()) {
            const RECT suggested = MoveToScale(*form, dpi);
            ExpectLaidOutAt(*form, dpi);
            // The suggested rectangle taken: for the command window, its input line exactly.
            EXPECT_EQ(form->Left(), suggested.left);
            EXPECT_EQ(form->Width(), suggested.right - suggested.left);
            EXPECT_EQ(form->Height(), suggested.bottom - suggested.top);
        }
        EXPECT_EQ(Tarnwick->ClientWidth(), ScaleToDpi(129, dpi));
        EXPECT_EQ(Tarnwick->ClientHeight(), ScaleToDpi(18, dpi));
        testing_support::ExpectHeaderAtItsScale(*F_Database);
        testing_support::ExpectHeaderAtItsScale(*F_Config);
        testing_support::ExpectHotKeyTextInTheMiddle(F_Config->Edit1);
        EXPECT_EQ(SendMessageW(F_Config->TrackBar1.Handle(), TBM_GETTHUMBLENGTH, 0, 0),
                  ScaleToDpi(15, dpi));
    }
}

TEST_F(DpiChange, AWindowMovedBeforeItHadControlsMakesThemAtTheNewScale) {
    launcher_.reset();
    launcher_ = std::make_unique<testing_support::InProcessLauncher>("TarnwickDpiLazy", false);
    for (TForm* form : {static_cast<TForm*>(F_Database), static_cast<TForm*>(F_Config)}) {
        const RECT suggested = MoveToScale(*form, 144);
        EXPECT_EQ(form->Height(), suggested.bottom - suggested.top);
        EXPECT_FALSE(testing_support::HasChildWindows(form->Handle())) << form->ClassName();
        form->Show();
        ExpectLaidOutAt(*form, 144);
        form->Hide();
    }
    testing_support::ExpectHeaderAtItsScale(*F_Database);
    testing_support::ExpectHeaderAtItsScale(*F_Config);
    testing_support::ExpectHotKeyTextInTheMiddle(F_Config->Edit1);
    EXPECT_EQ(SendMessageW(F_Config->TrackBar1.Handle(), TBM_GETTHUMBLENGTH, 0, 0),
              ScaleToDpi(15, 144));
}

TEST_F(DpiChange, AHundredChangesLeaveNoGdiObjectsBehind) {
    // The header pictures and the label backdrops made once, as a first showing makes them.
    const auto roundTrip = [&] {
        for (const int dpi : {144, start_}) {
            for (TForm* form : Windows())
                (void)MoveToScale(*form, dpi);
            (void)testing_support::BackdropOf(F_Database->Label2.Handle());
            (void)testing_support::BackdropOf(F_Config->Label2.Handle());
        }
    };
    roundTrip();
    long user = 0, gdi = 0;
    testing_support::CountGuiObjects(user, gdi);
    for (int i = 0; i < 50; ++i)
        roundTrip();
    long userAfter = 0, gdiAfter = 0;
    testing_support::CountGuiObjects(userAfter, gdiAfter);
    EXPECT_GT(gdi, 0);
    EXPECT_LE(gdiAfter - gdi, 2) << gdi << " GDI objects before, " << gdiAfter << " after";
    EXPECT_LE(userAfter - user, 2) << user << " USER objects before, " << userAfter << " after";
}

} // namespace
