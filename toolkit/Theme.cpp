#include "toolkit/Theme.h"

#include "toolkit/SystemDll.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace toolkit {

namespace {

// The dark look's colours, after Windows' own dark dialogs: a dark grey ground, darker fields
// and near-white text (12:1 on the ground).
constexpr COLORREF kDarkWindow = RGB(24, 24, 24);

COLORREF DarkSystemColor(int index) {
    switch (index) {
    case COLOR_BTNFACE:
        return RGB(38, 38, 38);
    case COLOR_WINDOW:
        return kDarkWindow;
    case COLOR_MENU:
    case COLOR_INFOBK:
        return RGB(43, 43, 43);
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
    case COLOR_MENUTEXT:
    case COLOR_INFOTEXT:
    case COLOR_CAPTIONTEXT:
        return RGB(235, 235, 235);
    case COLOR_HIGHLIGHT:
        return RGB(0, 84, 153);
    case COLOR_HIGHLIGHTTEXT:
        return RGB(255, 255, 255);
    case COLOR_GRAYTEXT:
        return RGB(150, 150, 150);
    case COLOR_BTNHIGHLIGHT:
        return RGB(90, 90, 90);
    case COLOR_3DLIGHT:
        return RGB(60, 60, 60);
    case COLOR_BTNSHADOW:
        return RGB(20, 20, 20);
    case COLOR_3DDKSHADOW:
        return RGB(0, 0, 0);
    default:
        return GetSysColor(index);
    }
}

struct LookState {
    bool Decided = false;
    int Choice = kThemeFollowWindows;
    TLook Look = TLook::Light;
};

LookState& State() {
    static LookState state;
    return state;
}

// Windows 10 1809 is the first with the menus' mode at uxtheme's ordinals 135 and 136; before
// it those ordinals are other functions, or none.
bool HasMenuModeOrdinals() {
    using RtlGetVersionFn = LONG WINAPI(OSVERSIONINFOW*);
    const auto getVersion = OptionalSystemFunction<RtlGetVersionFn>("ntdll.dll", "RtlGetVersion");
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    return getVersion && getVersion(&info) == 0 && info.dwMajorVersion >= 10 &&
           info.dwBuildNumber >= 17763;
}

// The process's menus follow the dark look (ForceDark, 2) or the system's default (0).
void ApplyLookToMenus(bool dark) {
    TThemeCalls& calls = ThemeCalls();
    if (calls.SetPreferredAppMode)
        (void)calls.SetPreferredAppMode(dark ? 2 : 0);
    if (calls.FlushMenuThemes)
        calls.FlushMenuThemes();
}

bool Decide() {
    LookState& s = State();
    const TThemeCalls& calls = ThemeCalls();
    const TLook before = s.Decided ? s.Look : TLook::Light;
    s.Look = DecideLook(s.Choice, calls.WindowsDark && calls.WindowsDark(),
                        calls.HighContrastOn && calls.HighContrastOn());
    s.Decided = true;
    if ((before == TLook::Dark) == (s.Look == TLook::Dark))
        return before != s.Look;
    ApplyLookToMenus(s.Look == TLook::Dark);
    return true;
}

BYTE Clamp(double v) {
    return static_cast<BYTE>(v <= 0 ? 0 : v >= 255 ? 255 : static_cast<int>(v + 0.5));
}

// Swaps red and blue: a DIB's pixels are blue, green, red.
COLORREF DarkCounterpartOfPixel(DWORD bgr) {
    const COLORREF rgb = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    const COLORREF dark = DarkCounterpart(rgb);
    return RGB(GetBValue(dark), GetGValue(dark), GetRValue(dark));
}

} // namespace

TLook DecideLook(int choice, bool windowsDark, bool highContrast) {
    if (highContrast)
        return TLook::HighContrast;
    if (choice == kThemeDark)
        return TLook::Dark;
    if (choice == kThemeLight)
        return TLook::Light;
    return windowsDark ? TLook::Dark : TLook::Light;
}

TLook CurrentLook() {
    if (!State().Decided)
        (void)Decide();
    return State().Look;
}

bool SetThemeChoice(int choice) {
    LookState& s = State();
    if (choice != kThemeLight && choice != kThemeDark)
        choice = kThemeFollowWindows;
    const bool decided = s.Decided;
    const TLook before = s.Look;
    s.Choice = choice;
    (void)Decide();
    return !decided ? s.Look != TLook::Light : s.Look != before;
}

bool RefreshLook() {
    const bool decided = State().Decided;
    const bool changed = Decide();
    return decided ? changed : State().Look != TLook::Light;
}

COLORREF ThemeColor(int index) {
    return CurrentLook() == TLook::Dark ? DarkSystemColor(index) : GetSysColor(index);
}

HBRUSH ThemeBrush(int index) {
    if (CurrentLook() != TLook::Dark)
        return GetSysColorBrush(index);
    // Kept for the run, as the system keeps its own.
    static HBRUSH brushes[COLOR_MENUBAR + 1] = {};
    if (index < 0 || index > COLOR_MENUBAR)
        return GetSysColorBrush(index);
    if (!brushes[index])
        brushes[index] = CreateSolidBrush(DarkSystemColor(index));
    return brushes[index];
}

COLORREF DarkCounterpart(COLORREF c) {
    const double r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    const double y = 0.299 * r + 0.587 * g + 0.114 * b;
    const double cb = -0.168736 * r - 0.331264 * g + 0.5 * b;
    const double cr = 0.5 * r - 0.418688 * g - 0.081312 * b;
    // White lands on the dark window colour, black on white.
    const double ground = GetRValue(kDarkWindow);
    const double dark = ground + (255.0 - y) * (255.0 - ground) / 255.0;
    return RGB(Clamp(dark + 1.402 * cr), Clamp(dark - 0.344136 * cb - 0.714136 * cr),
               Clamp(dark + 1.772 * cb));
}

void MakeDarkCounterpart(HBITMAP picture) {
    BITMAP info{};
    if (!picture || !GetObjectW(picture, sizeof info, &info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    const std::size_t count = static_cast<std::size_t>(info.bmWidth) * info.bmHeight;
    auto* pixels = static_cast<DWORD*>(HeapAlloc(GetProcessHeap(), 0, count * sizeof(DWORD)));
    if (!pixels)
        return; // the light picture stays
    HDC dc = GetDC(nullptr);
    if (GetDIBits(dc, picture, 0, info.bmHeight, pixels, &format, DIB_RGB_COLORS) ==
        info.bmHeight) {
        for (std::size_t i = 0; i < count; ++i)
            pixels[i] = DarkCounterpartOfPixel(pixels[i]);
        (void)SetDIBits(dc, picture, 0, info.bmHeight, pixels, &format, DIB_RGB_COLORS);
    }
    (void)ReleaseDC(nullptr, dc);
    (void)HeapFree(GetProcessHeap(), 0, pixels);
}

bool WindowsAppsUseDarkMode() {
    DWORD value = 1, size = sizeof value, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false; // before Windows 10: light
    const LONG read = RegQueryValueExW(key, L"AppsUseLightTheme", nullptr, &type,
                                       reinterpret_cast<BYTE*>(&value), &size);
    (void)RegCloseKey(key);
    return read == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value == 0;
}

bool SystemHighContrastOn() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

namespace {
// DwmSetWindowAttribute, looked up when a title bar first turns dark: most runs never do, and
// loading dwmapi.dll costs start-up time.
HRESULT WINAPI DwmSetWindowAttributeOnFirstUse(HWND window, DWORD attribute, LPCVOID value,
                                               DWORD size) {
    static const auto set = OptionalSystemFunction<HRESULT WINAPI(HWND, DWORD, LPCVOID, DWORD)>(
        "dwmapi.dll", "DwmSetWindowAttribute");
    return set ? set(window, attribute, value, size) : E_NOTIMPL;
}
} // namespace

TThemeCalls& ThemeCalls() {
    static TThemeCalls calls = [] {
        TThemeCalls c;
        c.SetWindowTheme = OptionalSystemFunction<HRESULT WINAPI(HWND, LPCWSTR, LPCWSTR)>(
            "uxtheme.dll", "SetWindowTheme");
        c.DwmSetWindowAttribute = &DwmSetWindowAttributeOnFirstUse;
        if (HasMenuModeOrdinals()) {
            c.SetPreferredAppMode =
                OptionalSystemFunction<int WINAPI(int)>("uxtheme.dll", MAKEINTRESOURCEA(135));
            c.FlushMenuThemes =
                OptionalSystemFunction<void WINAPI()>("uxtheme.dll", MAKEINTRESOURCEA(136));
        }
        c.WindowsDark = &WindowsAppsUseDarkMode;
        c.HighContrastOn = &SystemHighContrastOn;
        return c;
    }();
    return calls;
}

void SetDarkTitleBar(HWND window, bool dark) {
    const auto set = ThemeCalls().DwmSetWindowAttribute;
    if (!set)
        return;
    const BOOL value = dark ? TRUE : FALSE;
    // DWMWA_USE_IMMERSIVE_DARK_MODE is 20 from Windows 10 20H1 on, 19 before.
    if (FAILED(set(window, 20, &value, sizeof value)))
        (void)set(window, 19, &value, sizeof value);
}

void SetDarkControlTheme(HWND control, bool dark, TThemedControl kind) {
    const auto set = ThemeCalls().SetWindowTheme;
    if (!set)
        return;
    if (!dark)
        (void)set(control, nullptr, nullptr);
    else if (kind == TThemedControl::CheckBox)
        // A themed check box draws its text black whatever colour its parent answers with; one
        // without the system's theme takes that colour (and draws the classic box).
        (void)set(control, L"", L"");
    else
        (void)set(control, kind == TThemedControl::Field ? L"DarkMode_CFD" : L"DarkMode_Explorer",
                  nullptr);
}

bool IsColourSetChange(UINT msg, LPARAM lParam) {
    return msg == WM_SETTINGCHANGE && lParam != 0 &&
           std::wcscmp(reinterpret_cast<const wchar_t*>(lParam), L"ImmersiveColorSet") == 0;
}

} // namespace toolkit
