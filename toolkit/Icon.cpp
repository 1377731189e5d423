#include "toolkit/Icon.h"

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

} // namespace toolkit
