#include "toolkit/DropFiles.h"

#include "toolkit/Text.h"

#include <shellapi.h>

namespace toolkit {

namespace {
// What the system sends along with a drop from a process of other rights.
constexpr UINT kCopyGlobalData = 0x0049;
} // namespace

void AcceptDroppedFiles(HWND window) {
    DragAcceptFiles(window, TRUE);
    for (const UINT message :
         {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData})
        (void)ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
}

std::string TakeDroppedFile(WPARAM drop) {
    const auto handle = reinterpret_cast<HDROP>(drop);
    std::string path;
    if (DragQueryFileW(handle, 0xFFFFFFFF, nullptr, 0) > 0) {
        std::wstring name(DragQueryFileW(handle, 0, nullptr, 0), L'\0');
        name.resize(DragQueryFileW(handle, 0, name.data(), static_cast<UINT>(name.size() + 1)));
        path = Narrow(name);
    }
    DragFinish(handle);
    return path;
}

} // namespace toolkit
