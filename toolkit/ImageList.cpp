#include "toolkit/ImageList.h"

#include "toolkit/Errors.h"
#include "toolkit/SystemDll.h"
#include "toolkit/Text.h"

#include <string>

namespace toolkit {

SIZE SmallIconSize(int dpi) {
    static const auto forDpi =
        OptionalSystemFunction<int WINAPI(int, UINT)>("user32.dll", "GetSystemMetricsForDpi");
    const bool scaled = dpi > 0 && forDpi != nullptr;
    const int width =
        scaled ? forDpi(SM_CXSMICON, static_cast<UINT>(dpi)) : GetSystemMetrics(SM_CXSMICON);
    const int height =
        scaled ? forDpi(SM_CYSMICON, static_cast<UINT>(dpi)) : GetSystemMetrics(SM_CYSMICON);
    return {width > 0 ? width : 16, height > 0 ? height : 16};
}

int NotificationAreaPixelsPerInch() {
    static const auto forMonitor =
        OptionalSystemFunction<HRESULT WINAPI(HMONITOR, int, UINT*, UINT*)>("shcore.dll",
                                                                            "GetDpiForMonitor");
    if (forMonitor == nullptr)
        return 0;
    UINT x = 0, y = 0;
    const HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    // 0: MDT_EFFECTIVE_DPI, the scale the user chose for that monitor.
    return SUCCEEDED(forMonitor(primary, 0, &x, &y)) ? static_cast<int>(y) : 0;
}

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), width_(width), height_(height) {
    handle_ = ImageList_Create(width_, height_, ILC_COLOR32 | ILC_MASK, 4, 4);
    if (handle_ == nullptr)
        throw EOutOfResources("Cannot create an image list");
}

TImageList::~TImageList() {
    if (handle_ != nullptr)
        (void)ImageList_Destroy(handle_);
}

int TImageList::Count() const {
    return ImageList_GetImageCount(handle_);
}

int TImageList::AddIcon(HICON icon) {
    const int index = icon != nullptr ? ImageList_ReplaceIcon(handle_, -1, icon) : -1;
    if (index < 0)
        throw EOutOfResources("Cannot add an image to the image list");
    return index;
}

int TImageList::AddIconResource(HINSTANCE module, const char* name) {
    // A resource may be named by a number rather than a text.
    const std::wstring wide = IS_INTRESOURCE(name) ? std::wstring() : Widen(name);
    const wchar_t* resource =
        IS_INTRESOURCE(name) ? MAKEINTRESOURCEW(reinterpret_cast<ULONG_PTR>(name)) : wide.c_str();
    auto icon = static_cast<HICON>(LoadImageW(module, resource, IMAGE_ICON, width_, height_, 0));
    if (icon == nullptr)
        throw EOutOfResources("Cannot load an icon of the program");
    int index = -1;
    try {
        index = AddIcon(icon);
    } catch (...) {
        (void)DestroyIcon(icon);
        throw;
    }
    (void)DestroyIcon(icon);
    return index;
}

bool TImageList::GetIcon(int index, TIcon& icon) const {
    if (index < 0 || index >= Count())
        return false;
    const HICON copy = ImageList_GetIcon(handle_, index, ILD_NORMAL);
    if (copy == nullptr)
        return false;
    icon.TakeHandle(copy);
    return true;
}

void TImageList::Clear() {
    (void)ImageList_RemoveAll(handle_);
}

void TImageList::SetSize(int width, int height) {
    if (!ImageList_SetIconSize(handle_, width, height))
        throw EOutOfResources("Cannot create an image list");
    width_ = width;
    height_ = height;
}

} // namespace toolkit
