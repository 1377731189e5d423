#include "app/MonitorPlace.h"

#include <algorithm>

namespace {

long long Scaled(int value96, int dpi) {
    return (static_cast<long long>(value96) * dpi + 48) / 96;
}

// One axis: the offset into the free room of `from`, as a share of it, onto the room of `to`.
int Follow(int at, int fromStart, int fromEnd, int toStart, int toEnd, long long sizeFrom,
           long long sizeTo) {
    const long long roomFrom = std::max(0LL, fromEnd - fromStart - sizeFrom);
    const long long roomTo = std::max(0LL, toEnd - toStart - sizeTo);
    const long long offset =
        std::clamp<long long>(static_cast<long long>(at) - fromStart, 0, roomFrom);
    const long long moved = roomFrom == 0 ? 0 : (offset * roomTo + roomFrom / 2) / roomFrom;
    return static_cast<int>(toStart + moved);
}

} // namespace

TPlace PlaceOnMonitor(TPlace place, const TWorkArea& from, const TWorkArea& to, int width96,
                      int height96) {
    if (from == to)
        return place;
    const int fromDpi = std::max(from.Dpi, 1), toDpi = std::max(to.Dpi, 1);
    return {Follow(place.X, from.Left, from.Right, to.Left, to.Right, Scaled(width96, fromDpi),
                   Scaled(width96, toDpi)),
            Follow(place.Y, from.Top, from.Bottom, to.Top, to.Bottom, Scaled(height96, fromDpi),
                   Scaled(height96, toDpi))};
}
