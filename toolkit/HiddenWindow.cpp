#include "toolkit/HiddenWindow.h"

#include "toolkit/Application.h"
#include "toolkit/Errors.h"

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
    auto* slot = reinterpret_cast<Slot*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (slot == nullptr || slot->Released)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
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

void RegisterHiddenClass(const char* className) {
    WNDCLASSA existing{};
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoA(instance, className, &existing))
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &HiddenWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    (void)RegisterClassA(&wc);
}

} // namespace

HWND AllocateHWnd(HiddenWindowHandler handler, const char* className) {
    RegisterHiddenClass(className);
    // Created without the handler: the creation messages get the default handling, after which
    // every message goes to the handler.
    const HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, className, "", WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (hwnd == nullptr)
        throw EOutOfResources(std::string("Cannot create a hidden window of class ") + className);
    auto* slot = new Slot{std::move(handler)};
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(slot));
    return hwnd;
}

void DeallocateHWnd(HWND hwnd) {
    if (hwnd == nullptr || !IsWindow(hwnd))
        return;
    auto* slot = reinterpret_cast<Slot*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    (void)DestroyWindow(hwnd);
    if (slot == nullptr)
        return;
    slot->Released = true;
    if (slot->Depth == 0)
        delete slot;
}

} // namespace toolkit
