// The program's look: light, dark, or the system's own colours under high contrast. It follows
// Windows' app mode unless the settings choose one, and changes while the program runs. The look
// is the process's, as Windows' mode is: every window paints from the one current look.
//
// Dark windows, menus and control themes have no documented calls before Windows 11. The calls
// that Windows' own programs use are looked up at run time and left out where they are missing
// (Windows 7, Wine): nothing fails for want of one.
#pragma once

#include <windows.h>

namespace toolkit {

enum class TLook { Light, Dark, HighContrast };

// The settings' choice: 0 (or anything else) follows Windows, 1 is always light, 2 always dark.
enum : int { kThemeFollowWindows = 0, kThemeLight = 1, kThemeDark = 2 };

// High contrast wins over everything: its colours are the user's need, not a taste.
TLook DecideLook(int choice, bool windowsDark, bool highContrast);

// The current look, decided at the first question from Windows' state and the choice so far.
TLook CurrentLook();
// Takes the settings' choice; true when the look changed with it.
bool SetThemeChoice(int choice);
// Asks Windows again (its mode or high contrast may have changed); true when the look changed.
bool RefreshLook();

// A system colour as the current look shows it: the system's own in the light look and under
// high contrast, a dark counterpart in the dark look.
COLORREF ThemeColor(int index);
// A brush of ThemeColor(index), kept for the run (the system's own where the look is not dark).
HBRUSH ThemeBrush(int index);

// A colour of a light design made for the dark look: its lightness turned over, its hue kept, so
// that the white ground becomes the dark window colour and dark ink becomes light.
COLORREF DarkCounterpart(COLORREF color);
// The same for every pixel of a picture, in place.
void MakeDarkCounterpart(HBITMAP picture);

// The calls the look needs that only some systems have, each null where it is missing. Looked up
// at first use; a test puts its own in their place.
struct TThemeCalls {
    // uxtheme SetWindowTheme: "DarkMode_Explorer" or "DarkMode_CFD" make a control's theme dark.
    HRESULT(WINAPI* SetWindowTheme)(HWND, LPCWSTR, LPCWSTR) = nullptr;
    // dwmapi DwmSetWindowAttribute: the dark title bar.
    HRESULT(WINAPI* DwmSetWindowAttribute)(HWND, DWORD, LPCVOID, DWORD) = nullptr;
    // uxtheme ordinal 135 (Windows 10 1809 on): the process's menus dark or not.
    int(WINAPI* SetPreferredAppMode)(int) = nullptr;
    // uxtheme ordinal 136: menus take up the new mode.
    void(WINAPI* FlushMenuThemes)() = nullptr;
    // Windows' state: the app mode is dark; high contrast is on.
    bool (*WindowsDark)() = nullptr;
    bool (*HighContrastOn)() = nullptr;
};
TThemeCalls& ThemeCalls();

// What the system says, for ThemeCalls' defaults.
bool WindowsAppsUseDarkMode();
bool SystemHighContrastOn();

// A top-level window's title bar dark or light again.
void SetDarkTitleBar(HWND window, bool dark);
// A control's system theme dark (`dark`) or back to its own.
enum class TThemedControl { Field, CheckBox, Other };
void SetDarkControlTheme(HWND control, bool dark, TThemedControl kind);

// True for the WM_SETTINGCHANGE that tells of a change of Windows' colour mode.
bool IsColourSetChange(UINT msg, LPARAM lParam);

} // namespace toolkit
