#include "toolkit/BalloonTip.h"

#include "toolkit/Accessible.h"
#include "toolkit/Text.h"
#include "toolkit/Theme.h"

#include <commctrl.h>

#include <vector>

namespace toolkit {

namespace {

constexpr UINT_PTR kToolId = 1;
// Clear of the ids the tooltip control's own timers use.
constexpr UINT_PTR kHideTimer = 0x54424C54;
constexpr const wchar_t* kOwnerProp = L"TarnwickBalloonTip";

// Version 5 controls (a program without the manifest) refuse the structure's later fields.
TTTOOLINFOW ToolInfo(HWND tip) {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = GetWindow(tip, GW_OWNER);
    info.uId = kToolId;
    return info;
}

} // namespace

TBalloonTip::~TBalloonTip() {
    if (tip_ && IsWindow(tip_)) {
        (void)KillTimer(tip_, kHideTimer);
        (void)RemovePropW(tip_, kOwnerProp);
        (void)DestroyWindow(tip_);
    }
}

void TBalloonTip::Show(HWND control, const std::string& title, const std::string& text, int icon,
                       int maxWidth, unsigned timeoutMs) {
    if (tip_ && !IsWindow(tip_))
        tip_ = nullptr; // went with its owner
    if (!tip_) {
        HWND owner = GetAncestor(control, GA_ROOT);
        tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_BALLOON | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        if (!tip_)
            return; // a hint the system cannot show is no error of the user's
        (void)SetPropW(tip_, kOwnerProp, this);
        dark_ = false;
        TTTOOLINFOW info = ToolInfo(tip_);
        info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        info.lpszText = const_cast<wchar_t*>(L"");
        (void)SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    Hide();
    FollowLook();
    const std::wstring wideTitle = Widen(title);
    std::wstring wideText = Widen(text);
    (void)SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, maxWidth);
    (void)SendMessageW(tip_, TTM_SETTITLEW, icon, reinterpret_cast<LPARAM>(wideTitle.c_str()));
    TTTOOLINFOW info = ToolInfo(tip_);
    info.lpszText = wideText.data();
    (void)SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    // The stem a little in from the box's left edge, where the text begins.
    RECT box{};
    (void)GetWindowRect(control, &box);
    const int x = box.left + (box.bottom - box.top);
    (void)SendMessageW(tip_, TTM_TRACKPOSITION, 0,
                       MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(box.bottom)));
    // A tooltip's own accessible name is its text alone; the reader should hear the title too.
    if (AccessibleClientSeen())
        (void)Annotate(tip_, 0, TAccText::Name, title.empty() ? text : title + ": " + text);
    info = ToolInfo(tip_);
    (void)SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
    (void)SetTimer(tip_, kHideTimer, timeoutMs, &TBalloonTip::TimerProc);
    control_ = control;
    // Nothing takes the focus to it, so the reader is told that it came.
    Announce(tip_);
}

void TBalloonTip::FollowLook() {
    // Asked at each showing: the look may have changed since the balloon was made. The colours
    // are for a tooltip without the system's theme (Wine's, Windows 7's classic look); the dark
    // theme gives a themed one its own.
    const bool dark = CurrentLook() == TLook::Dark;
    if (dark == dark_)
        return;
    dark_ = dark;
    SetDarkControlTheme(tip_, dark, TThemedControl::Other);
    (void)SendMessageW(tip_, TTM_SETTIPBKCOLOR, ThemeColor(COLOR_INFOBK), 0);
    (void)SendMessageW(tip_, TTM_SETTIPTEXTCOLOR, ThemeColor(COLOR_INFOTEXT), 0);
}

void TBalloonTip::Hide() {
    control_ = nullptr;
    if (!tip_ || !IsWindow(tip_))
        return;
    (void)KillTimer(tip_, kHideTimer);
    TTTOOLINFOW info = ToolInfo(tip_);
    (void)SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
}

std::string TBalloonTip::Text() const {
    if (!tip_ || !IsWindow(tip_))
        return {};
    std::vector<wchar_t> buffer(1024, L'\0');
    TTTOOLINFOW info = ToolInfo(tip_);
    info.lpszText = buffer.data();
    (void)SendMessageW(tip_, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    buffer.back() = L'\0';
    return Narrow(buffer.data());
}

void CALLBACK TBalloonTip::TimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    if (auto* tip = static_cast<TBalloonTip*>(GetPropW(hwnd, kOwnerProp)))
        tip->Hide();
}

} // namespace toolkit
