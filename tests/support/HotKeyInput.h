// Key messages into a hot key box as the keyboard would send them, for the windows that capture a
// combination.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <iterator>

namespace testing_support {

// Key messages as the keyboard would send them to the focused box; Alt's come as system keys.
inline void KeyDown(HWND box, WORD vk, bool alt = false) {
    (void)SendMessageA(box, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, alt ? (1 << 29) | 1 : 1);
}
inline void KeyUp(HWND box, WORD vk, bool alt = false) {
    (void)SendMessageA(box, alt ? WM_SYSKEYUP : WM_KEYUP, vk,
                       (alt ? (1 << 29) : 0) | (1u << 30) | (1u << 31) | 1);
}

// A combination pressed in the box and let go, as the keyboard would send it: the keys down in
// order, then up in reverse; Alt's and every key's while Alt is held come as system keys.
inline void PressInBox(HWND box, std::initializer_list<WORD> keys) {
    bool alt = false;
    for (const WORD vk : keys) {
        alt = alt || vk == VK_MENU;
        KeyDown(box, vk, alt);
    }
    for (auto vk = std::rbegin(keys); vk != std::rend(keys); ++vk) {
        KeyUp(box, *vk, alt);
        alt = alt && *vk != VK_MENU;
    }
}

} // namespace testing_support
