#include "app/FollowMonitor.h"

#include "toolkit/Form.h"
#include "toolkit/SystemDll.h"

namespace {

TWorkArea WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) {
        RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        (void)SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        return {work.left, work.top, work.right, work.bottom, toolkit::ScreenPixelsPerInch()};
    }
    // The monitor's own scale where the system tells it (Windows 8.1 on), else the system's.
    int dpi = toolkit::ScreenPixelsPerInch();
    static const auto getDpi =
        toolkit::OptionalSystemFunction<HRESULT WINAPI(HMONITOR, int, UINT*, UINT*)>(
            "shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (getDpi != nullptr && SUCCEEDED(getDpi(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x)
        dpi = static_cast<int>(x);
    const RECT& w = info.rcWork;
    return {w.left, w.top, w.right, w.bottom, dpi};
}

TWorkArea PointerMonitor() {
    POINT at{};
    (void)GetCursorPos(&at);
    return WorkAreaOf(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST));
}

TWorkArea PrimaryMonitor() {
    return WorkAreaOf(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

POINT ToPoint(TPlace place) {
    return {place.X, place.Y};
}

} // namespace

TWorkArea (*TMonitorLookup::CursorMonitor)() = &PointerMonitor;
TWorkArea (*TMonitorLookup::MainMonitor)() = &PrimaryMonitor;

POINT FollowedPlace(POINT stored, SIZE size96) {
    return ToPoint(PlaceOnMonitor({stored.x, stored.y}, TMonitorLookup::MainMonitor(),
                                  TMonitorLookup::CursorMonitor(), size96.cx, size96.cy));
}

POINT PlaceOnMainMonitor(POINT dragged, SIZE size96) {
    return ToPoint(PlaceOnMonitor({dragged.x, dragged.y}, TMonitorLookup::CursorMonitor(),
                                  TMonitorLookup::MainMonitor(), size96.cx, size96.cy));
}
