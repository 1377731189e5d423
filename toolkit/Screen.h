// The screen object's one question the program asks: which of our forms is active.
#pragma once

#include <windows.h>

namespace toolkit {

// The active window when it is one of the application's forms, else null.
HWND ActiveFormHandle();

} // namespace toolkit
