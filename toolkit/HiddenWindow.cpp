#include "toolkit/HiddenWindow.h"

#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Text.h"

#include <string>

namespace toolkit {

namespace {

// Lives as long as the window, or until the last running call of the handler returns when the
// window is released from inside it.
struct Slot {
    HiddenWindowHandler Handler;
    int Depth = 0;
    bool Released = false;
};

LRESULT CALLBACK HiddenWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* slot = reinterpret_cast<Slot*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (slot == nullptr || slot->Released)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    ++slot->Depth;
    try {
        result = slot->Handler(msg, wParam, lParam);
    } catch (...) {
        ReportCurrentException();
        result = 0;
    }
    if (--slot->Depth == 0 && slot->Released)
        delete slot;
    return result;
}

void RegisterHiddenClass(const std::wstring& className) {
    WNDCLASSW existing{};
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoW(instance, className.c_str(), &existing))
        return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &HiddenWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = className.c_str();
    (void)RegisterClassW(&wc);
}

} // namespace

HWND AllocateHWnd(HiddenWindowHandler handler, const char* className) {
    const std::wstring wideClass = Widen(className);
    RegisterHiddenClass(wideClass);
    // Created without the handler: the creation messages get the default handling, after which
    // every message goes to the handler.
    const HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wideClass.c_str(), L"", WS_POPUP, 0, 0, 0,
                                      0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr)
        throw EOutOfResources(std::string("Cannot create a hidden window of class ") + className);
    auto* slot = new Slot{std::move(handler)};
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(slot));
    return hwnd;
}

void DeallocateHWnd(HWND hwnd) {
    if (hwnd == nullptr || !IsWindow(hwnd))
        return;
    auto* slot = reinterpret_cast<Slot*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    (void)DestroyWindow(hwnd);
    if (slot == nullptr)
        return;
    slot->Released = true;
    if (slot->Depth == 0)
        delete slot;
}

} // namespace toolkit
