#include "forms/Header.h"

#include "toolkit/Controls.h"

#include <algorithm>
#include <utility>

using namespace toolkit;

namespace {
constexpr int kWidth = 317;
constexpr TColor kVersionColor = RGB(255, 206, 206);
} // namespace

TFormLayout THeader::DialogLayout(std::string className, std::string caption, int clientHeight,
                                  int firstId) {
    TFormLayout layout;
    layout.ClassName = std::move(className);
    layout.Caption = std::move(caption);
    layout.Border = TBorderStyle::Dialog;
    layout.Position = TFormPosition::ScreenCenter;
    layout.ClientWidth = kWidth;
    layout.ClientHeight = clientHeight;
    layout.Color = kColorBtnFace;

    auto& c = layout.Controls;
    int id = firstId;
    TControlLayout panel = ControlAt(TControlKind::Panel, "Panel1", id++, 0, 0, kWidth, 85);
    panel.Color = kColorWhite;
    c.push_back(panel);
    // Pictures from the program's resources.
    const struct {
        const char* Name;
        int Left, Top, Width, Height;
        const char* Picture;
    } pictures[] = {{"Image1", 12, 0, 73, 85, "HEADER1"},
                    {"Image2", 84, 4, 172, 30, "HEADER2"},
                    {"Image3", 84, 32, 200, 45, "HEADER3"}};
    for (const auto& p : pictures) {
        TControlLayout image =
            ControlAt(TControlKind::Image, p.Name, id++, p.Left, p.Top, p.Width, p.Height);
        image.Parent = "Panel1";
        image.Picture = p.Picture;
        c.push_back(image);
    }
    TControlLayout version =
        ControlAt(TControlKind::Label, "Label2", id++, 92, 68, 46, 13, "ver 1.0");
    version.Parent = "Panel1";
    version.Font = TFont{"Verdana", -11, true, kVersionColor};
    version.Transparent = true;
    c.push_back(version);
    TControlLayout freeware =
        ControlAt(TControlKind::Label, "Label8", id++, 252, 0, 65, 14, "Freeware");
    freeware.Parent = "Panel1";
    freeware.Font = TFont{"Arial", -11, true, kColorSilver};
    freeware.Alignment = TAlignment::Right;
    freeware.Transparent = true;
    c.push_back(freeware);
    c.push_back(ControlAt(TControlKind::Bevel, "Bevel1", id++, 0, 85, kWidth, 8));
    return layout;
}

THeader::~THeader() {
    for (Backdrop& b : backdrops_)
        FreeBackdrop(b);
}

void THeader::FreeBackdrop(Backdrop& b) {
    if (b.Brush)
        (void)DeleteObject(b.Brush);
    if (b.Bitmap)
        (void)DeleteObject(b.Bitmap);
    b.Brush = nullptr;
    b.Bitmap = nullptr;
    b.Made = false;
}

std::vector<HBITMAP> THeader::ShownPictures() const {
    std::vector<HBITMAP> shown;
    for (HWND control : pictures_)
        shown.push_back(Image(control).Picture());
    return shown;
}

void THeader::MakeBackdrops(const TForm& form) {
    pictures_ = {form.Control("Image1"), form.Control("Image2"), form.Control("Image3")};
    for (const char* label : {"Label2", "Label8"}) {
        Backdrop backdrop;
        backdrop.Label = form.Control(label);
        backdrops_.push_back(backdrop);
    }
}

void THeader::MakeBackdrop(Backdrop& backdrop) const {
    backdrop.Made = true;
    backdrop.Look = CurrentLook();
    const RECT at = Label(backdrop.Label).Bounds();
    backdrop.At = at;
    backdrop.FromPictures = ShownPictures();
    const int width = at.right - at.left;
    const int height = at.bottom - at.top;
    if (width <= 0 || height <= 0)
        return;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HDC source = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    (void)ReleaseDC(nullptr, screen);
    if (!dc || !source || !bitmap) {
        if (bitmap)
            (void)DeleteObject(bitmap);
        if (dc)
            (void)DeleteDC(dc);
        if (source)
            (void)DeleteDC(source);
        return; // the panel's plain white stays
    }
    const HGDIOBJ oldTarget = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    HBRUSH white = CreateSolidBrush(LookColor(kColorWhite, false));
    (void)FillRect(dc, &all, white);
    (void)DeleteObject(white);
    for (HWND control : pictures_) {
        const Image image(control);
        HBITMAP picture = image.Picture();
        BITMAP info{};
        if (!picture || !GetObjectW(picture, sizeof info, &info))
            continue;
        // Pictures show as they are from their control's top left, clipped to the control (a
        // layout's picture comes scaled to its control).
        const RECT box = image.Bounds();
        RECT shown{box.left, box.top, std::min<LONG>(box.right, box.left + info.bmWidth),
                   std::min<LONG>(box.bottom, box.top + info.bmHeight)};
        RECT overlap{};
        if (!IntersectRect(&overlap, &shown, &at))
            continue;
        const HGDIOBJ oldSource = SelectObject(source, picture);
        (void)BitBlt(dc, overlap.left - at.left, overlap.top - at.top, overlap.right - overlap.left,
                     overlap.bottom - overlap.top, source, overlap.left - box.left,
                     overlap.top - box.top, SRCCOPY);
        // The version label hangs a few pixels below its picture; the picture's last row goes
        // on under it, so that the light text keeps the dark badge behind it to the end (on the
        // white panel its lowest row would vanish).
        if (at.bottom > shown.bottom)
            (void)StretchBlt(dc, overlap.left - at.left, shown.bottom - at.top,
                             overlap.right - overlap.left, at.bottom - shown.bottom, source,
                             overlap.left - box.left, shown.bottom - 1 - box.top,
                             overlap.right - overlap.left, 1, SRCCOPY);
        (void)SelectObject(source, oldSource);
    }
    (void)SelectObject(dc, oldTarget);
    (void)DeleteDC(source);
    (void)DeleteDC(dc);
    HBRUSH brush = CreatePatternBrush(bitmap);
    if (!brush) {
        (void)DeleteObject(bitmap);
        return;
    }
    backdrop.Bitmap = bitmap;
    backdrop.Brush = brush;
}

void THeader::PaintBackdrop(TMessage& m) {
    // Under high contrast the texts stand on the window colour alone, as the form answered.
    if (CurrentLook() == TLook::HighContrast)
        return;
    for (Backdrop& b : backdrops_) {
        if (reinterpret_cast<HWND>(m.LParam) != b.Label)
            continue;
        const RECT at = Label(b.Label).Bounds();
        if (b.Made && (!EqualRect(&at, &b.At) || ShownPictures() != b.FromPictures ||
                       b.Look != CurrentLook()))
            FreeBackdrop(b);
        if (!b.Made)
            MakeBackdrop(b);
        if (!b.Brush)
            return; // the panel's plain white stays
        const auto dc = reinterpret_cast<HDC>(m.WParam);
        (void)SetBkMode(dc, TRANSPARENT);
        // The badge behind the version turns light in the dark look: its text turns dark.
        if (b.Label == backdrops_.front().Label && CurrentLook() == TLook::Dark)
            (void)SetTextColor(dc, DarkCounterpart(kVersionColor));
        (void)SetBrushOrgEx(dc, 0, 0, nullptr); // the copy starts at the label's corner
        m.Result = reinterpret_cast<LRESULT>(b.Brush);
        return;
    }
}
