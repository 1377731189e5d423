// An icon picture the holder owns: copies in, destroys its own handle at its end.
#pragma once

#include <windows.h>

namespace toolkit {

class TIcon {
public:
    TIcon() = default;
    ~TIcon();
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    HICON Handle() const { return handle_; }
    bool Empty() const { return handle_ == nullptr; }

    // Takes a copy of the other's picture (an empty one empties this).
    void Assign(const TIcon& other);
    // Takes a copy of a picture owned elsewhere (a shared resource icon, for instance).
    void Assign(HICON icon);
    // Takes over an icon handle that nobody else will destroy.
    void TakeHandle(HICON icon);
    void Clear();

private:
    HICON handle_ = nullptr;
};

// The system's administrator shield, size x size pixels, for the caller to destroy; null when the
// system has none. Scaled down smoothly from the system's larger image where the version 6
// controls are loaded, else the system's image nearest that size.
HICON LoadShieldIcon(int size);

} // namespace toolkit
