// The process's USER and GDI objects, counted the same way on Windows and under Wine: for the
// tests that check that nothing of the kind is left behind.
#pragma once

#include <windows.h>

#include <cstdint>

namespace testing_support {

inline BOOL CALLBACK CountChild(HWND, LPARAM lp) {
    ++*reinterpret_cast<long*>(lp);
    return TRUE;
}

inline BOOL CALLBACK CountOwnWindow(HWND hwnd, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*reinterpret_cast<long*>(lp);
        EnumChildWindows(hwnd, CountChild, lp);
    }
    return TRUE;
}

// The process's USER and GDI objects. GetGuiResources answers on Windows; Wine has it as a stub
// that gives 0, and there they are counted here: Wine takes a handle's table index alone (upper
// half 0) for the object in that slot, so every slot can be asked for its kind. USER objects are
// our windows (with their children), menus, and icons and cursors.
inline void CountGuiObjects(long& user, long& gdi) {
    user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    if (user != 0 || gdi != 0)
        return;
    for (std::uintptr_t slot = 0; slot <= 0xFFFF; ++slot)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0)
            ++gdi;
    EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&user));
    using FrameInfoFn = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);
    const auto frameInfo = reinterpret_cast<FrameInfoFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    for (std::uintptr_t slot = 0x20; slot <= 0xFFFF; slot += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(slot)))
            ++user;
        DWORD rate = 0, steps = 0;
        if (frameInfo && frameInfo(reinterpret_cast<HCURSOR>(slot), 0, 0, &rate, &steps))
            ++user;
    }
}

} // namespace testing_support
