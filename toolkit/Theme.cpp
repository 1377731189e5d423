#include "toolkit/Theme.h"

#include "toolkit/SystemDll.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <vector>

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

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(COLORREF c) {
    return 0.2126 * Linear(GetRValue(c)) + 0.7152 * Linear(GetGValue(c)) +
           0.0722 * Linear(GetBValue(c));
}

BYTE Clamp(double v) {
    return static_cast<BYTE>(std::clamp(std::lround(v), 0L, 255L));
}

// Swaps red and blue: a DIB's pixels are blue, green, red.
COLORREF DarkCounterpartOfPixel(DWORD bgr) {
    const COLORREF rgb = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    const COLORREF dark = DarkCounterpart(rgb);
    return RGB(GetBValue(dark), GetGValue(dark), GetRValue(dark));
}

constexpr UINT_PTR kCheckBoxSubclassId = 0x54434B42; // any fixed value of ours

void PaintCheckBox(HWND box, HDC dc) {
    RECT rc{};
    (void)GetClientRect(box, &rc);
    const auto ground = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(box), WM_CTLCOLORSTATIC,
                                                              reinterpret_cast<WPARAM>(dc),
                                                              reinterpret_cast<LPARAM>(box)));
    (void)FillRect(dc, &rc, ground ? ground : ThemeBrush(COLOR_BTNFACE));

    const auto font = reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0));
    const HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics{};
    (void)GetTextMetricsW(dc, &metrics);
    const int size = std::max<int>(13, metrics.tmHeight);
    RECT mark{0, (rc.bottom - size) / 2, size, (rc.bottom - size) / 2 + size};
    const bool checked = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const bool enabled = IsWindowEnabled(box) != FALSE;

    using OpenFn = HANDLE WINAPI(HWND, LPCWSTR);
    using DrawFn = HRESULT WINAPI(HANDLE, HDC, int, int, const RECT*, const RECT*);
    using CloseFn = HRESULT WINAPI(HANDLE);
    static const auto open = OptionalSystemFunction<OpenFn>("uxtheme.dll", "OpenThemeData");
    static const auto draw = OptionalSystemFunction<DrawFn>("uxtheme.dll", "DrawThemeBackground");
    static const auto close = OptionalSystemFunction<CloseFn>("uxtheme.dll", "CloseThemeData");
    HANDLE theme = open && draw && close ? open(box, L"Button") : nullptr;
    if (theme) {
        // BP_CHECKBOX; CBS_UNCHECKEDNORMAL, CBS_UNCHECKEDDISABLED, CBS_CHECKEDNORMAL,
        // CBS_CHECKEDDISABLED: the dark theme's box, as the control itself would draw it.
        const int state = checked ? (enabled ? 5 : 8) : (enabled ? 1 : 4);
        (void)draw(theme, dc, 3, state, &mark, nullptr);
        (void)close(theme);
    } else {
        (void)DrawFrameControl(dc, &mark, DFC_BUTTON,
                               DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0) |
                                   (enabled ? 0 : DFCS_INACTIVE));
    }

    wchar_t text[256] = L"";
    (void)GetWindowTextW(box, text, static_cast<int>(std::size(text)));
    RECT at{mark.right + size / 3, rc.top, rc.right, rc.bottom};
    (void)SetBkMode(dc, TRANSPARENT);
    (void)SetTextColor(dc, ThemeColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    (void)DrawTextW(dc, text, -1, &at, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (GetFocus() == box) {
        RECT used = at;
        (void)DrawTextW(dc, text, -1, &used, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
        const int height = used.bottom - used.top;
        used.top = (rc.bottom - height) / 2 - 1;
        used.bottom = used.top + height + 2;
        used.left -= 1;
        used.right += 1;
        (void)DrawFocusRect(dc, &used);
    }
    if (oldFont)
        (void)SelectObject(dc, oldFont);
}

LRESULT CALLBACK CheckBoxSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR) {
    if (msg == WM_NCDESTROY) {
        (void)RemoveWindowSubclass(hwnd, CheckBoxSubclassProc, id);
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    if (CurrentLook() != TLook::Dark)
        return DefSubclassProc(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintCheckBox(hwnd, dc);
        (void)EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintCheckBox(hwnd, reinterpret_cast<HDC>(wp));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
    case WM_LBUTTONUP:
    case WM_KEYUP: {
        // The control draws a change of state at once, in its own colours: ours again.
        const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        (void)InvalidateRect(hwnd, nullptr, FALSE);
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
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
    static std::vector<std::pair<int, HBRUSH>> brushes;
    for (const auto& [i, brush] : brushes)
        if (i == index)
            return brush;
    HBRUSH brush = CreateSolidBrush(DarkSystemColor(index));
    brushes.emplace_back(index, brush);
    return brush;
}

double ContrastRatio(COLORREF a, COLORREF b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
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
    std::vector<DWORD> pixels(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
    HDC dc = GetDC(nullptr);
    if (GetDIBits(dc, picture, 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS) ==
        info.bmHeight) {
        for (DWORD& p : pixels)
            p = DarkCounterpartOfPixel(p);
        (void)SetDIBits(dc, picture, 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
    }
    (void)ReleaseDC(nullptr, dc);
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

TThemeCalls& ThemeCalls() {
    static TThemeCalls calls = [] {
        TThemeCalls c;
        c.SetWindowTheme = OptionalSystemFunction<HRESULT WINAPI(HWND, LPCWSTR, LPCWSTR)>(
            "uxtheme.dll", "SetWindowTheme");
        c.DwmSetWindowAttribute =
            OptionalSystemFunction<HRESULT WINAPI(HWND, DWORD, LPCVOID, DWORD)>(
                "dwmapi.dll", "DwmSetWindowAttribute");
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

void SetDarkControlTheme(HWND control, bool dark, bool field) {
    const auto set = ThemeCalls().SetWindowTheme;
    if (!set)
        return;
    if (dark)
        (void)set(control, field ? L"DarkMode_CFD" : L"DarkMode_Explorer", nullptr);
    else
        (void)set(control, nullptr, nullptr);
}

void PaintCheckBoxInLook(HWND checkBox) {
    // A second call with the same procedure and id only replaces the reference data.
    (void)SetWindowSubclass(checkBox, CheckBoxSubclassProc, kCheckBoxSubclassId, 0);
}

bool IsColourSetChange(UINT msg, LPARAM lParam) {
    return msg == WM_SETTINGCHANGE && lParam != 0 &&
           std::wcscmp(reinterpret_cast<const wchar_t*>(lParam), L"ImmersiveColorSet") == 0;
}

} // namespace toolkit
