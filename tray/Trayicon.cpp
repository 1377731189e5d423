#include "tray/Trayicon.h"

#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/HiddenWindow.h"
#include "toolkit/ResourceText.h"
#include "toolkit/Screen.h"
#include "toolkit/Text.h"

#include <algorithm>
#include <cstring>
#include <iterator>

using toolkit::App;
using toolkit::TComponent;
using toolkit::TMouseButton;
using toolkit::TShiftFlag;
using toolkit::TShiftState;

static_assert(sizeof(NOTIFYICONDATAW::szTip) == 128 * sizeof(WCHAR),
              "the hint field holds 127 characters");

namespace {
TShiftState With(TShiftState shift, TShiftFlag button) {
    shift += button;
    return shift;
}

// Icon ids count from 1 in the order the components are made: the same on every run, which is
// how Windows remembers the user's choice to keep the icon visible on the taskbar.
constexpr UINT_PTR kRetryTimerId = 1;

UINT NextIconId() {
    static UINT next = 0;
    return ++next;
}

POINT Cursor() {
    POINT p{0, 0};
    (void)GetCursorPos(&p);
    return p;
}
} // namespace

TTrayIcon::TTrayIcon(TComponent* owner)
    : TComponent(owner), ShellNotify([](DWORD message, NOTIFYICONDATAW* data) {
          return Shell_NotifyIconW(message, data);
      }),
      TaskbarPresent([] { return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }),
      MessageFilter([](HWND window, UINT message, DWORD action) {
          return ChangeWindowMessageFilterEx(window, message, action, nullptr);
      }) {
    TakeApplicationIcon();
    timer_ = std::make_unique<toolkit::TTimer>(nullptr);
    timer_->SetEnabled(false);
    timer_->SetOnTimer([this](TComponent* sender) { DoOnAnimate(sender); });
    timer_->SetInterval(1000);

    // The shell tells every top-level window when the taskbar is made anew (Explorer restarted).
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    handle_ = toolkit::AllocateHWnd(
        [this](UINT msg, WPARAM wParam, LPARAM lParam) { return DoMessage(msg, wParam, lParam); },
        "TTrayIcon");
    std::memset(&iconData_, 0, sizeof iconData_);
    iconData_.cbSize = RecordSize;
    iconData_.hWnd = handle_;
    iconData_.uID = NextIconId();
    iconData_.hIcon = icon_.Handle();
    iconData_.uFlags = NIF_MESSAGE | NIF_ICON;
    iconData_.uCallbackMessage = CallbackMessage;
    Update();
}

TTrayIcon::~TTrayIcon() {
    (void)Notify(NIM_DELETE);
    SetRetryTimer(false);
    toolkit::DeallocateHWnd(handle_);
    handle_ = nullptr;
    timer_.reset();
    // The hook must never outlive the component, whatever state the icon was left in.
    UnhookApplication();
}

BOOL TTrayIcon::Notify(DWORD message) {
    return ShellNotify ? ShellNotify(message, &iconData_) : FALSE;
}

void TTrayIcon::TakeApplicationIcon() {
    if (App != nullptr)
        icon_.Assign(App->Icon());
}

void TTrayIcon::HookApplication() {
    if (hookId_ != 0 || App == nullptr)
        return; // once: a second registration would outlive the unhook in the destructor
    hookId_ = App->HookMainWindow([this](UINT msg, WPARAM wParam, LPARAM lParam) {
        return ApplicationHookProc(msg, wParam, lParam);
    });
}

void TTrayIcon::UnhookApplication() {
    if (hookId_ != 0 && App != nullptr)
        App->UnhookMainWindow(hookId_);
    hookId_ = 0;
}

void TTrayIcon::SetVisible(bool visible) {
    visible_ = visible;
    if (visible) {
        AllowTaskbarCreated();
        SetLastError(ERROR_SUCCESS);
        if (Notify(NIM_ADD)) {
            Added();
            return;
        }
        // Started at logon, the program often comes before the taskbar: keep trying rather
        // than end. The shell documents no error for a refusal, so while the program starts
        // (the icon loads from its layout) every refusal counts as a shell not ready yet, and
        // only tries that run out are reported; later, a taskbar that is there and refuses the
        // icon is an error at once.
        if (!Loading() && !ShellNotReady(GetLastError()))
            throw toolkit::EOutOfResources(toolkit::LoadResourceText(
                IdsCannotCreate, "Cannot Create System Shell Notification Icon"));
        StartRetrying();
        startingUp_ = Loading();
    } else if (addPending_) {
        StopRetrying(); // never added: there is nothing to remove
        hide_ = false;
    } else {
        if (!Notify(NIM_DELETE))
            throw toolkit::EOutOfResources(toolkit::LoadResourceText(
                IdsCannotRemove, "Cannot Remove System Shell Notification Icon"));
        hide_ = false;
        UnhookApplication();
    }
}

void TTrayIcon::Added() {
    StopRetrying();
    hide_ = true;
    HookApplication();
}

void TTrayIcon::AllowTaskbarCreated() {
    // An elevated program is sent no message from the unelevated shell unless it lets that
    // message through: without this an elevated copy never hears that Explorer came back, and its
    // icon stays away. For a program that is not elevated the call changes nothing.
    if (taskbarCreatedAllowed_ || taskbarCreated_ == 0 || !MessageFilter)
        return;
    taskbarCreatedAllowed_ = MessageFilter(handle_, taskbarCreated_, MSGFLT_ALLOW) != FALSE;
}

bool TTrayIcon::HasTaskbar() const {
    return TaskbarPresent && TaskbarPresent();
}

bool TTrayIcon::ShellNotReady(DWORD error) const {
    return error == ERROR_TIMEOUT || !HasTaskbar();
}

void TTrayIcon::StartRetrying() {
    addPending_ = true;
    retriesLeft_ = AddRetries;
    SetRetryTimer(true);
}

void TTrayIcon::SetRetryTimer(bool running) {
    if (running)
        retryTimerRunning_ = SetTimer(handle_, kRetryTimerId, AddRetryMs, nullptr) != 0;
    else if (retryTimerRunning_)
        retryTimerRunning_ = KillTimer(handle_, kRetryTimerId) == FALSE;
}

void TTrayIcon::StopRetrying() {
    addPending_ = false;
    startingUp_ = false;
    retriesLeft_ = 0;
    SetRetryTimer(false);
}

void TTrayIcon::RetryAdd() {
    if (!addPending_ || !visible_) {
        StopRetrying();
        return;
    }
    SetLastError(ERROR_SUCCESS);
    if (Notify(NIM_ADD)) {
        Added();
        return;
    }
    const DWORD error = GetLastError();
    // An add that timed out may have arrived all the same: then the icon takes a modify.
    if (Notify(NIM_MODIFY)) {
        Added();
        return;
    }
    if (--retriesLeft_ > 0 && (startingUp_ || ShellNotReady(error)))
        return; // the timer brings the next try
    SetRetryTimer(false);
    if (!HasTaskbar())
        return; // still none: its "TaskbarCreated" message starts the next round
    StopRetrying();
    throw toolkit::EOutOfResources(
        toolkit::LoadResourceText(IdsCannotCreate, "Cannot Create System Shell Notification Icon"));
}

void TTrayIcon::Update() {
    iconData_.hIcon = icon_.Handle();
    if (visible_ && !addPending_)
        (void)Notify(NIM_MODIFY);
}

void TTrayIcon::SetHint(const std::string& hint) {
    // Characters as the record counts them: UTF-16 units.
    const std::wstring tip = toolkit::Widen(hint);
    if (hint == hint_ || tip.size() >= 64)
        return;
    hint_ = hint;
    std::memset(iconData_.szTip, 0, sizeof iconData_.szTip);
    tip.copy(iconData_.szTip, std::size(iconData_.szTip) - 1);
    if (hint_.empty())
        iconData_.uFlags &= ~static_cast<UINT>(NIF_TIP);
    else
        iconData_.uFlags |= NIF_TIP;
    Update();
}

void TTrayIcon::SetPopupMenu(toolkit::TPopupMenu* menu) {
    popupMenu_ = menu;
    if (menu != nullptr)
        FreeNotification(menu);
}

void TTrayIcon::SetIcons(toolkit::TImageList* icons) {
    icons_ = icons;
    if (icons != nullptr)
        FreeNotification(icons);
}

void TTrayIcon::SetIconIndex(int index) {
    iconIndex_ = index;
    // An index outside the list keeps the picture shown: nothing is read outside the list.
    if (icons_ != nullptr)
        (void)icons_->GetIcon(index, icon_);
    Update();
}

int TTrayIcon::GetAnimateInterval() const {
    return static_cast<int>(timer_->Interval());
}

void TTrayIcon::SetAnimateInterval(int milliseconds) {
    // A negative period would be a period of days for the platform; it stops the timer instead.
    timer_->SetInterval(static_cast<unsigned>(std::max(milliseconds, 0)));
}

void TTrayIcon::SetAnimate(bool animate) {
    if (icons_ != nullptr || Loading())
        animate_ = animate;
    if (icons_ != nullptr)
        timer_->SetEnabled(animate);
}

void TTrayIcon::DoOnAnimate(TComponent*) {
    const int count = icons_ != nullptr ? icons_->Count() : 0;
    // An index outside the list (set from code) starts the round again at 0.
    const int next = (iconIndex_ >= 0 && iconIndex_ < count - 1) ? iconIndex_ + 1 : 0;
    SetIconIndex(next);
    Update();
}

void TTrayIcon::SetDefaultIcon() {
    TakeApplicationIcon();
    Update();
}

void TTrayIcon::Loaded() {
    TComponent::Loaded();
    if (icons_ == nullptr) {
        animate_ = false;
        TakeApplicationIcon();
    } else {
        timer_->SetEnabled(animate_);
        (void)icons_->GetIcon(iconIndex_, icon_);
    }
    Update();
}

void TTrayIcon::Notification(TComponent* component, toolkit::TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != toolkit::TOperation::Remove)
        return;
    if (component == icons_)
        icons_ = nullptr;
    else if (component == popupMenu_)
        popupMenu_ = nullptr;
}

bool TTrayIcon::EndSession() {
    return Notify(NIM_DELETE) != FALSE;
}

TShiftState TTrayIcon::ShiftState() const {
    return toolkit::KeyboardShiftState();
}

void TTrayIcon::ShowMenu() {
    if (popupMenu_ == nullptr)
        return;
    const POINT p = Cursor();
    if (const HWND active = toolkit::ActiveFormHandle())
        (void)SetForegroundWindow(active);
    popupMenu_->Popup(p.x, p.y);
}

void TTrayIcon::Minimize() {
    if (App != nullptr) {
        App->Minimize();
        (void)ShowWindow(App->Handle(), SW_HIDE);
    }
    if (OnMinimize)
        OnMinimize(this);
}

void TTrayIcon::Restore() {
    if (App != nullptr) {
        App->Restore();
        (void)ShowWindow(App->Handle(), SW_RESTORE);
        (void)SetForegroundWindow(App->Handle());
    }
    if (OnRestore)
        OnRestore(this);
}

bool TTrayIcon::ApplicationHookProc(UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_SYSCOMMAND) {
        // The whole parameter: a command with any of its four low bits set is not one of these.
        if (wParam == SC_MINIMIZE)
            Minimize();
        else if (wParam == SC_RESTORE)
            Restore();
    }
    return false;
}

void TTrayIcon::DoClick() {
    if (restoreOn_ == imClick)
        Restore();
    if (popupMenuOn_ == imClick)
        ShowMenu();
    if (OnClick)
        OnClick(this);
}

void TTrayIcon::DoDblClick() {
    if (restoreOn_ == imDoubleClick)
        Restore();
    if (popupMenuOn_ == imDoubleClick)
        ShowMenu();
    if (OnDblClick)
        OnDblClick(this);
}

void TTrayIcon::DoMouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TTrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (restoreOn_ == imMouseDown)
        Restore();
    if (popupMenuOn_ == imMouseDown)
        ShowMenu();
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TTrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (restoreOn_ == imMouseUp)
        Restore();
    if (popupMenuOn_ == imMouseUp)
        ShowMenu();
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

LRESULT TTrayIcon::DoMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_QUERYENDSESSION:
        return 1;
    case WM_ENDSESSION:
        // Every program that agreed to end hears this, also when the session goes on after all
        // (cancelled, or refused by another program): only then would the icon be gone for good.
        if (wParam != FALSE)
            (void)EndSession();
        return 0;
    case CallbackMessage:
        break;
    case WM_TIMER:
        if (wParam == kRetryTimerId)
            RetryAdd();
        return 0;
    default:
        // Explorer came back: a shown icon adds itself again rather than silently vanish. A
        // refusal is not reported: the shell may not be ready yet and will announce itself again.
        // An icon still waiting for its first add tries now.
        if (msg == taskbarCreated_ && taskbarCreated_ != 0 && visible_) {
            if (OnTaskbarCreated)
                OnTaskbarCreated(this);
            if (addPending_) {
                StartRetrying();
                RetryAdd();
            } else
                (void)Notify(NIM_ADD);
        }
        return 0;
    }

    switch (lParam) {
    case WM_MOUSEMOVE:
        if (OnClick) {
            const TShiftState shift = ShiftState();
            const POINT p = Cursor();
            DoMouseMove(shift, p.x, p.y);
        }
        break;
    case WM_LBUTTONDOWN: {
        const TShiftState shift = With(ShiftState(), TShiftFlag::Left);
        const POINT p = Cursor();
        DoMouseDown(TMouseButton::Left, shift, p.x, p.y);
        break;
    }
    case WM_LBUTTONUP: {
        const TShiftState shift = With(ShiftState(), TShiftFlag::Left);
        const POINT p = Cursor();
        if (OnClick)
            DoClick();
        DoMouseUp(TMouseButton::Left, shift, p.x, p.y);
        if (restoreOn_ == imLeftClickUp)
            Restore();
        if (popupMenuOn_ == imLeftClickUp)
            ShowMenu();
        break;
    }
    case WM_LBUTTONDBLCLK:
        DoDblClick();
        if (restoreOn_ == imLeftDoubleClick)
            Restore();
        if (popupMenuOn_ == imLeftDoubleClick)
            ShowMenu();
        break;
    case WM_RBUTTONDOWN: {
        const TShiftState shift = With(ShiftState(), TShiftFlag::Right);
        const POINT p = Cursor();
        DoMouseDown(TMouseButton::Right, shift, p.x, p.y);
        break;
    }
    case WM_RBUTTONUP: {
        const TShiftState shift = With(ShiftState(), TShiftFlag::Right);
        const POINT p = Cursor();
        DoMouseUp(TMouseButton::Right, shift, p.x, p.y);
        if (restoreOn_ == imRightClickUp)
            Restore();
        if (popupMenuOn_ == imRightClickUp)
            ShowMenu();
        break;
    }
    case WM_RBUTTONDBLCLK:
        DoDblClick();
        if (restoreOn_ == imRightDoubleClick)
            Restore();
        if (popupMenuOn_ == imRightDoubleClick)
            ShowMenu();
        break;
    case WM_MBUTTONDOWN: {
        const TShiftState shift = With(ShiftState(), TShiftFlag::Middle);
        const POINT p = Cursor();
        DoMouseDown(TMouseButton::Middle, shift, p.x, p.y);
        break;
    }
    case WM_MBUTTONUP: {
        const TShiftState shift = With(ShiftState(), TShiftFlag::Middle);
        const POINT p = Cursor();
        DoMouseUp(TMouseButton::Middle, shift, p.x, p.y);
        break;
    }
    case WM_MBUTTONDBLCLK:
        DoDblClick();
        break;
    default:
        break;
    }
    return 0;
}
