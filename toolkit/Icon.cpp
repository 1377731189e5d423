#include "toolkit/Icon.h"

#include "toolkit/SystemDll.h"

namespace toolkit {

TIcon::~TIcon() {
    Clear();
}

void TIcon::Assign(const TIcon& other) {
    if (&other != this)
        Assign(other.handle_);
}

void TIcon::Assign(HICON icon) {
    // Copy before letting go of the old one: the source may be our own picture.
    TakeHandle(icon != nullptr ? CopyIcon(icon) : nullptr);
}

void TIcon::TakeHandle(HICON icon) {
    if (icon == handle_)
        return;
    Clear();
    handle_ = icon;
}

void TIcon::Clear() {
    if (handle_ != nullptr)
        (void)DestroyIcon(handle_);
    handle_ = nullptr;
}

HICON LoadShieldIcon(int size) {
    const auto shield = MAKEINTRESOURCEW(32518); // IDI_SHIELD
    // In the version 6 controls only, which the manifest asks for.
    if (const auto scaleDown =
            OptionalSystemFunction<HRESULT WINAPI(HINSTANCE, PCWSTR, int, int, HICON*)>(
                "comctl32.dll", "LoadIconWithScaleDown")) {
        HICON icon = nullptr;
        if (SUCCEEDED(scaleDown(nullptr, shield, size, size, &icon)) && icon)
            return icon;
    }
    return static_cast<HICON>(LoadImageW(nullptr, shield, IMAGE_ICON, size, size, 0));
}

} // namespace toolkit
