// TTrayIcon: keeps one icon in the notification area, turns its mouse messages into events, a
// popup menu and restore actions, can animate through an image list, and while shown watches the
// application window's minimise and restore commands.
//
// Loading from a layout: BeginLoading(), set the properties in their stored order (Visible,
// Hint, PopupMenu, Hide, RestoreOn, PopupMenuOn, Icons, IconIndex, AnimateInterval, Animate),
// then Loaded().
#pragma once

#include "toolkit/Component.h"
#include "toolkit/Controls.h"
#include "toolkit/Icon.h"
#include "toolkit/ImageList.h"
#include "toolkit/PopupMenu.h"
#include "toolkit/Timer.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

// The mouse action that restores the application (RestoreOn) or pops up the menu (PopupMenuOn).
enum TTrayIconMessage {
    imClick,            // left release, and only with an OnClick handler
    imDoubleClick,      // double click of any button
    imMouseDown,        // press of any button
    imMouseUp,          // release of any button
    imLeftClickUp,      // left release
    imLeftDoubleClick,  // left double click
    imRightClickUp,     // right release
    imRightDoubleClick, // right double click
    imNone              // never
};

class TTrayIcon : public toolkit::TComponent {
public:
    // The icon's mouse messages arrive as this message to the hidden window.
    static constexpr UINT CallbackMessage = WM_USER + 1; // 1025
    // The record's size with the balloon fields, as the platform has it for this build (936 on
    // 32-bit Windows, 952 on 64-bit); a size the shell does not know is read as the oldest record.
    static constexpr DWORD RecordSize = NOTIFYICONDATAW_V2_SIZE;
    // String-table ids of the two error texts (the built-in texts serve where the program has no
    // string table).
    static constexpr unsigned IdsCannotCreate = 0xFE00;
    static constexpr unsigned IdsCannotRemove = 0xFE05;

    using TMouseEvent = std::function<void(toolkit::TComponent* sender, toolkit::TMouseButton,
                                           toolkit::TShiftState, int x, int y)>;
    using TMouseMoveEvent =
        std::function<void(toolkit::TComponent* sender, toolkit::TShiftState, int x, int y)>;
    // The shell call; Shell_NotifyIconW unless a test replaces it.
    using ShellNotifyFn = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;

    explicit TTrayIcon(toolkit::TComponent* owner);
    ~TTrayIcon() override;

    // ---- properties
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    toolkit::TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(toolkit::TPopupMenu* menu);
    bool Hide() const { return hide_; }
    void SetHide(bool hide) { hide_ = hide; }
    TTrayIconMessage RestoreOn() const { return restoreOn_; }
    void SetRestoreOn(TTrayIconMessage trigger) { restoreOn_ = trigger; }
    TTrayIconMessage PopupMenuOn() const { return popupMenuOn_; }
    void SetPopupMenuOn(TTrayIconMessage trigger) { popupMenuOn_ = trigger; }
    toolkit::TImageList* Icons() const { return icons_; }
    void SetIcons(toolkit::TImageList* icons);
    int IconIndex() const { return iconIndex_; }
    virtual void SetIconIndex(int index);
    int GetAnimateInterval() const;
    void SetAnimateInterval(int milliseconds);
    bool GetAnimate() const { return animate_; }
    void SetAnimate(bool animate);
    HWND GetHandle() const { return handle_; }

    // ---- events, each with this component as the sender
    toolkit::TNotifyEvent OnMinimize;
    toolkit::TNotifyEvent OnRestore;
    toolkit::TNotifyEvent OnClick;
    toolkit::TNotifyEvent OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    // Explorer came back (its "TaskbarCreated" message), before a shown icon adds itself again:
    // the place to make the picture at the notification area's present scale.
    toolkit::TNotifyEvent OnTaskbarCreated;

    // ---- operations
    // Shows the application's own icon again.
    virtual void SetDefaultIcon();
    // Hands the current icon to the shell (while shown).
    virtual void Update();
    // Pops up PopupMenu at the cursor; does nothing without a menu.
    virtual void ShowMenu();
    virtual void Minimize();
    virtual void Restore();
    // Removes the icon from the notification area; the shell call's result.
    bool EndSession();
    // The keyboard part of the shift state: Shift, Ctrl and Alt as GetKeyState has them.
    toolkit::TShiftState ShiftState() const;
    // Every message to the hidden window.
    virtual LRESULT DoMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoMouseMove(toolkit::TShiftState shift, int x, int y);
    virtual void DoMouseDown(toolkit::TMouseButton button, toolkit::TShiftState shift, int x,
                             int y);
    virtual void DoMouseUp(toolkit::TMouseButton button, toolkit::TShiftState shift, int x, int y);
    virtual void DoOnAnimate(toolkit::TComponent* sender);
    // The hook on the application window while shown; never consumes the message.
    bool ApplicationHookProc(UINT msg, WPARAM wParam, LPARAM lParam);

    void Loaded() override;
    void Notification(toolkit::TComponent* component, toolkit::TOperation operation) override;

    // ---- for tests and tools
    ShellNotifyFn ShellNotify;
    // Whether a taskbar is there to take icons: a "Shell_TrayWnd" window, unless a test
    // replaces it.
    std::function<bool()> TaskbarPresent;
    // ChangeWindowMessageFilterEx(window, message, action) without the extended result, unless
    // a test replaces it; asked once, when the icon is first shown, to let "TaskbarCreated" in.
    std::function<BOOL(HWND window, UINT message, DWORD action)> MessageFilter;
    // Visible, but the shell could not take the icon yet: it is being tried again.
    bool AddPending() const { return addPending_; }
    // While no taskbar is there yet, or the shell timed out, or (while the program starts) the
    // shell refused the icon in any way, an add is tried again every AddRetryMs, AddRetries
    // times (about a minute at logon), and whenever a taskbar announces itself.
    unsigned AddRetryMs = 2000;
    int AddRetries = 30;
    // Whether the timer of those tries is running.
    bool AddRetryTimerRunning() const { return retryTimerRunning_; }
    const NOTIFYICONDATAW& IconData() const { return iconData_; }
    const toolkit::TIcon& CurrentIcon() const { return icon_; }
    bool Hooked() const { return hookId_ != 0; }
    const toolkit::TTimer& AnimationTimer() const { return *timer_; }

private:
    BOOL Notify(DWORD message);
    // After a successful add: the hook and the Hide flag, as shown icons have them.
    void Added();
    void AllowTaskbarCreated();
    bool HasTaskbar() const;
    // Whether a failed add came from a shell that is not ready: no taskbar yet, or a time-out.
    bool ShellNotReady(DWORD error) const;
    void RetryAdd();
    void StartRetrying();
    void StopRetrying();
    void SetRetryTimer(bool running);
    void HookApplication();
    void UnhookApplication();
    void TakeApplicationIcon();

    bool visible_ = false;
    std::string hint_;
    toolkit::TPopupMenu* popupMenu_ = nullptr;
    bool hide_ = true;
    TTrayIconMessage restoreOn_ = imDoubleClick;
    TTrayIconMessage popupMenuOn_ = imNone;
    toolkit::TImageList* icons_ = nullptr;
    int iconIndex_ = 0;
    bool animate_ = false;

    NOTIFYICONDATAW iconData_{};
    toolkit::TIcon icon_;
    std::unique_ptr<toolkit::TTimer> timer_;
    bool addPending_ = false;
    bool retryTimerRunning_ = false;
    bool startingUp_ = false; // the tries began while loading: every refusal is "not yet"
    bool taskbarCreatedAllowed_ = false;
    int retriesLeft_ = 0;
    HWND handle_ = nullptr;
    int hookId_ = 0;
    UINT taskbarCreated_ = 0;
};
