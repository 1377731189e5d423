#include "gen/Gen_func.h"

#include <windows.h>

void GetCursorXY(std::int32_t& x, std::int32_t& y) {
    // Should the platform refuse, the caller gets the origin rather than stack garbage.
    POINT p{0, 0};
    (void)GetCursorPos(&p);
    x = p.x;
    y = p.y;
}

std::uint8_t WindowsVersionCode() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info); // 148
    // A failed query leaves the record zeroed, which maps to code 0 (unknown system).
    (void)GetVersionExA(&info);
    return VersionCodeOf(
        {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId});
}
