// A list of small images (16 x 16 unless told otherwise), the source of the tray icon's pictures.
#pragma once

#include "toolkit/Component.h"
#include "toolkit/Icon.h"

#include <windows.h>
#include <commctrl.h>

namespace toolkit {

// The size the system draws small icons at, the notification area's among them: 16 x 16 at 96
// pixels per inch, 24 x 24 at 144, 32 x 32 at 192. Without `dpi` at the scale the process started
// with (a per-monitor aware process keeps that one); with it, at that scale, where the system can
// tell (GetSystemMetricsForDpi, Windows 10 1607 on).
SIZE SmallIconSize(int dpi = 0);
// The scale of the primary monitor now, where the notification area is drawn (GetDpiForMonitor,
// Windows 8.1 on); 0 where the system cannot tell.
int NotificationAreaPixelsPerInch();

class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);
    ~TImageList() override;

    int Count() const;
    int Width() const { return width_; }
    int Height() const { return height_; }
    HIMAGELIST Handle() const { return handle_; }

    // Appends a copy of the icon; returns its index. Raises EOutOfResources on failure.
    int AddIcon(HICON icon);
    // Appends an icon resource of the module, loaded at the list's size.
    int AddIconResource(HINSTANCE module, const char* name);
    // Copies image `index` into `icon`; false (and `icon` untouched) when the index is outside
    // the list or the copy fails.
    bool GetIcon(int index, TIcon& icon) const;
    void Clear();
    // Images of another size from now on; the images held so far are removed.
    void SetSize(int width, int height);

private:
    int width_;
    int height_;
    HIMAGELIST handle_ = nullptr;
};

} // namespace toolkit
