// The application object: the hidden application window that owns every form (so that the forms
// get no taskbar buttons of their own), the title and icon, the forms and the main form, the
// message loop, and the general error report.
#pragma once

#include "toolkit/Component.h"
#include "toolkit/System.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace toolkit {

class Application {
public:
    // Sets App to this object; the destructor destroys the forms and clears App again.
    explicit Application(System& system);
    ~Application();

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Registers the common control classes the windows use, then creates the application window
    // and loads the icon ("MAINICON" from the exe's resources, else the system's application
    // icon). Safe to call twice.
    void Initialize();
    // InitCommonControlsEx unless a test replaces it.
    std::function<BOOL(const INITCOMMONCONTROLSEX*)> InitCommonControlsCall;

    void SetTitle(const std::string& title);
    const std::string& Title() const { return title_; }
    HWND Handle() const { return handle_; }
    HICON Icon() const { return icon_; }
    System& Sys() const { return *system_; }

    // The application owns its forms and destroys them at its end, last created first.
    template <class T, class... A> T* CreateForm(A&&... args) {
        return Own(std::make_unique<T>(std::forward<A>(args)...));
    }
    template <class T> T* Own(std::unique_ptr<T> form) {
        T* raw = form.get();
        forms_.emplace_back(std::move(form));
        return raw;
    }

    // A form reports that its window exists; the first to do so becomes the main form.
    void FormCreated(TComponent* form, HWND hwnd);
    // A form reports that its window is going away (also called for forms the application does
    // not own); the main form's handle is then forgotten.
    void FormDestroying(TComponent* form);
    HWND MainFormHandle() const { return mainFormHandle_; }
    TComponent* MainForm() const { return mainForm_; }
    // Whether hwnd is the window of one of our forms.
    bool IsFormWindow(HWND hwnd) const;
    // Sends the message to the window of every form that has one, as the system broadcasts its
    // changes to top-level windows.
    void SendToForms(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Run shows the main form (ShowWindow SW_SHOW) first when this is true.
    bool ShowMainForm = true;
    // The message loop, until Terminate or WM_QUIT.
    void Run();
    // Handles one waiting message, if there is one; false when the queue was empty.
    bool ProcessMessage();
    // Handles every waiting message.
    void ProcessMessages();
    // The loop ends after the message being handled.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Application-level minimise and restore: the application window is minimised (its taskbar
    // button shows) and our forms are hidden; restore brings both back and reactivates the form
    // that was active.
    void Minimize();
    void Restore();
    bool Minimized() const;

    // Every message to Handle() passes through the hooks first (in the order they were hooked);
    // a hook that answers true consumes the message.
    using MainWindowHook = std::function<bool(UINT, WPARAM, LPARAM)>;
    int HookMainWindow(MainWindowHook hook);
    void UnhookMainWindow(int id);
    int HookCount() const { return static_cast<int>(hooks_.size()); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT AppMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool IsDialogKeyMessage(MSG& msg);
    void DestroyForms();

    System* system_;
    std::string title_;
    HWND handle_ = nullptr;
    HICON icon_ = nullptr;
    std::vector<std::unique_ptr<TComponent>> forms_;
    std::vector<std::pair<TComponent*, HWND>> formWindows_;
    TComponent* mainForm_ = nullptr;
    HWND mainFormHandle_ = nullptr;
    bool terminated_ = false;
    HWND activeBeforeMinimize_ = nullptr;
    struct Hook {
        int Id;
        MainWindowHook Fn;
    };
    std::vector<Hook> hooks_;
    int nextHookId_ = 1;
};

extern Application* App;

// The general error report, for use inside catch (...): shows the current exception's message
// through the System seam's message box, owner the active window, caption the application
// title, MB_OK | MB_ICONERROR. Never throws.
void ReportCurrentException() noexcept;

// The message text of the report: the message, with "." appended when its last character's code
// is above that of "."; an empty message stays empty.
std::string ErrorReportText(const std::string& message);

// Runs f and reports whatever escapes it. Every window procedure, subclass procedure and hook of
// ours runs its handlers through this, so that no exception unwinds through user32.
template <class F> void Guard(F&& f) noexcept {
    try {
        f();
    } catch (...) {
        ReportCurrentException();
    }
}

} // namespace toolkit
