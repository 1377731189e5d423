#include "toolkit/Screen.h"

#include "toolkit/Application.h"

namespace toolkit {

HWND ActiveFormHandle() {
    const HWND active = GetActiveWindow();
    if (active == nullptr || App == nullptr || !App->IsFormWindow(active))
        return nullptr;
    return active;
}

} // namespace toolkit
