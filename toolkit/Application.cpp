#include "toolkit/Application.h"

#include "toolkit/Errors.h"
#include "toolkit/Screen.h"
#include "toolkit/Text.h"

#include <algorithm>
#include <exception>

namespace toolkit {

Application* App = nullptr;

namespace {
constexpr const wchar_t* kAppWindowClass = L"TToolkitApplication";

// The executable's name without folder and extension: the title until the program sets one.
std::string ModuleBaseName() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string name = Narrow(std::wstring_view(path, n));
    const auto slash = name.find_last_of("\\/:");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}
} // namespace

Application::Application(System& system)
    : InitCommonControlsCall(&InitCommonControlsEx), system_(&system), title_(ModuleBaseName()) {
    App = this;
}

Application::~Application() {
    DestroyForms();
    hooks_.clear();
    if (handle_ != nullptr) {
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        (void)DestroyWindow(handle_);
        handle_ = nullptr;
    }
    if (App == this)
        App = nullptr;
}

void Application::DestroyForms() {
    while (!forms_.empty()) {
        std::unique_ptr<TComponent> form = std::move(forms_.back());
        forms_.pop_back();
        form.reset();
    }
    formWindows_.clear();
    mainForm_ = nullptr;
    mainFormHandle_ = nullptr;
}

void Application::Initialize() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (handle_ == nullptr && InitCommonControlsCall) {
        // Windows registers the version 6 controls (the track bar among them) only when asked,
        // and before the first window that uses them.
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        (void)InitCommonControlsCall(&controls);
    }
    if (icon_ == nullptr) {
        icon_ = LoadIconW(instance, L"MAINICON");
        if (icon_ == nullptr)
            icon_ = LoadIconW(nullptr, MAKEINTRESOURCEW(32512)); // IDI_APPLICATION
    }
    if (handle_ != nullptr)
        return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Application::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = icon_;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    wc.lpszClassName = kAppWindowClass;
    (void)RegisterClassW(&wc); // fails harmlessly when a previous Application registered it
    // A zero-sized captioned popup: invisible while hidden, and when minimised it is the
    // application's one taskbar button, carrying the title and the icon.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    handle_ = CreateWindowExW(0, kAppWindowClass, Widen(title_).c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              x, y, 0, 0, nullptr, nullptr, instance, this);
    if (handle_ == nullptr)
        throw EOutOfResources("Cannot create the application window");
}

void Application::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_ != nullptr)
        (void)SetWindowTextW(handle_, Widen(title_).c_str());
}

void Application::FormCreated(TComponent* form, HWND hwnd) {
    for (auto& entry : formWindows_) {
        if (entry.first == form) {
            entry.second = hwnd;
            if (mainForm_ == form)
                mainFormHandle_ = hwnd;
            return;
        }
    }
    formWindows_.emplace_back(form, hwnd);
    if (mainForm_ == nullptr) {
        mainForm_ = form;
        mainFormHandle_ = hwnd;
    }
}

void Application::FormDestroying(TComponent* form) {
    formWindows_.erase(std::remove_if(formWindows_.begin(), formWindows_.end(),
                                      [form](const auto& e) { return e.first == form; }),
                       formWindows_.end());
    if (mainForm_ == form)
        mainFormHandle_ = nullptr; // the main form stays the main form, without a window
}

bool Application::IsFormWindow(HWND hwnd) const {
    if (hwnd == nullptr)
        return false;
    return std::any_of(formWindows_.begin(), formWindows_.end(),
                       [hwnd](const auto& e) { return e.second == hwnd; });
}

void Application::SendToForms(UINT msg, WPARAM wParam, LPARAM lParam) const {
    // A copy: a form's answer may create or destroy forms.
    const auto windows = formWindows_;
    for (const auto& [form, hwnd] : windows)
        if (IsWindow(hwnd))
            (void)SendMessageW(hwnd, msg, wParam, lParam);
}

bool Application::IsDialogKeyMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    const HWND active = ActiveFormHandle();
    if (active == nullptr || (msg.hwnd != active && !IsChild(active, msg.hwnd)))
        return false;
    return IsDialogMessageW(active, &msg) != FALSE;
}

bool Application::ProcessMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    if (!IsDialogKeyMessage(msg)) {
        (void)TranslateMessage(&msg);
        (void)DispatchMessageW(&msg);
    }
    return true;
}

void Application::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void Application::Run() {
    if (ShowMainForm && mainFormHandle_ != nullptr)
        (void)ShowWindow(mainFormHandle_, SW_SHOW);
    while (!terminated_) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            terminated_ = true;
            break;
        }
        if (!IsDialogKeyMessage(msg)) {
            (void)TranslateMessage(&msg);
            (void)DispatchMessageW(&msg);
        }
    }
}

void Application::Terminate() {
    terminated_ = true;
    // Wakes GetMessage when Terminate was called from outside a message (nothing to do inside).
    if (handle_ != nullptr)
        (void)PostMessageW(handle_, WM_NULL, 0, 0);
}

bool Application::Minimized() const {
    return handle_ != nullptr && IsIconic(handle_);
}

void Application::Minimize() {
    if (handle_ == nullptr || IsIconic(handle_))
        return;
    activeBeforeMinimize_ = ActiveFormHandle();
    (void)ShowOwnedPopups(handle_, FALSE);
    (void)ShowWindow(handle_, SW_MINIMIZE);
}

void Application::Restore() {
    if (handle_ == nullptr || !IsIconic(handle_))
        return;
    (void)ShowWindow(handle_, SW_RESTORE);
    (void)ShowOwnedPopups(handle_, TRUE);
    if (activeBeforeMinimize_ != nullptr && IsWindow(activeBeforeMinimize_) &&
        IsWindowVisible(activeBeforeMinimize_))
        (void)SetForegroundWindow(activeBeforeMinimize_);
    activeBeforeMinimize_ = nullptr;
}

int Application::HookMainWindow(MainWindowHook hook) {
    const int id = nextHookId_++;
    hooks_.push_back({id, std::move(hook)});
    return id;
}

void Application::UnhookMainWindow(int id) {
    hooks_.erase(
        std::remove_if(hooks_.begin(), hooks_.end(), [id](const Hook& h) { return h.Id == id; }),
        hooks_.end());
}

LRESULT CALLBACK Application::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Application*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->handle_ != hwnd)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return self->AppMessage(msg, wParam, lParam);
    } catch (...) {
        ReportCurrentException();
        return 0;
    }
}

LRESULT Application::AppMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Hooks may hook or unhook while they run: walk by id over a snapshot.
    std::vector<int> ids;
    ids.reserve(hooks_.size());
    for (const Hook& h : hooks_)
        ids.push_back(h.Id);
    for (int id : ids) {
        auto it =
            std::find_if(hooks_.begin(), hooks_.end(), [id](const Hook& h) { return h.Id == id; });
        if (it == hooks_.end())
            continue;
        MainWindowHook fn = it->Fn; // the hook may unhook itself
        bool consumed = false;
        try {
            consumed = fn(msg, wParam, lParam);
        } catch (...) {
            ReportCurrentException();
        }
        if (consumed)
            return 0;
    }
    switch (msg) {
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            Minimize();
            return 0;
        case SC_RESTORE:
            Restore();
            return 0;
        default:
            break;
        }
        break;
    case WM_CLOSE:
        // Closing the taskbar button closes the main form, as closing the program.
        if (mainFormHandle_ != nullptr)
            (void)PostMessageW(mainFormHandle_, WM_CLOSE, 0, 0);
        else
            Terminate();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(handle_, msg, wParam, lParam);
}

std::string ErrorReportText(const std::string& message) {
    std::string text = message;
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        text += '.';
    return text;
}

void ReportCurrentException() noexcept {
    try {
        std::string message;
        if (std::exception_ptr current = std::current_exception()) {
            try {
                std::rethrow_exception(current);
            } catch (const std::exception& e) {
                message = e.what();
            } catch (...) {
            }
        }
        const std::string text = ErrorReportText(message);
        const HWND owner = GetActiveWindow();
        if (App != nullptr)
            (void)App->Sys().ShowMessageBox(owner, text, App->Title(), MB_OK | MB_ICONERROR);
        else
            (void)MessageBoxW(owner, Widen(text).c_str(), L"", MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing sensible is left to do when even the report fails.
    }
}

} // namespace toolkit
