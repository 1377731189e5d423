// The tray icon's picture at the notification area's present scale. The picture is first made at
// the scale the process started with; a per-monitor aware process keeps that scale in
// GetSystemMetrics, so after the user changes the display scale the icon would stay at the old
// size and be stretched by the taskbar.
#include "app/Tarnwick.h"

#include "toolkit/Application.h"
#include "toolkit/ImageList.h"
#include "tray/Trayicon.h"

void TTarnwick::FitTrayIcon() {
    if (ImageList1 == nullptr || TrayIcon1 == nullptr)
        return;
    const int dpi = TrayPixelsPerInch ? TrayPixelsPerInch() : 0;
    const SIZE size = toolkit::SmallIconSize(dpi);
    if (size.cx == ImageList1->Width() && size.cy == ImageList1->Height())
        return;
    if (PutTrayPicture(size))
        TrayIcon1->SetIconIndex(0);
}

bool TTarnwick::PutTrayPicture(SIZE size) {
    auto icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size.cx, size.cy, 0));
    // The picture is made first: when it cannot be, the list keeps the one it has.
    if (icon == nullptr)
        icon = CopyIcon(toolkit::App->Icon());
    if (icon == nullptr)
        return false;
    try {
        ImageList1->SetSize(size.cx, size.cy);
        (void)ImageList1->AddIcon(icon);
    } catch (...) {
        (void)DestroyIcon(icon);
        throw;
    }
    (void)DestroyIcon(icon);
    return true;
}

void TTarnwick::KeepGrabPointAtScale(int oldDpi, int newDpi) {
    // The grab point is in the input line's pixels, which grow or shrink with the window: the
    // same spot of the line stays under the cursor.
    if (oldDpi <= 0 || newDpi <= 0 || oldDpi == newDpi)
        return;
    GrabX = MulDiv(GrabX, newDpi, oldDpi);
    GrabY = MulDiv(GrabY, newDpi, oldDpi);
}
