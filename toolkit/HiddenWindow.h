// Hidden helper windows whose every message goes to one handler. They are real top-level windows
// (never message-only ones), so that they receive broadcasts such as the shell's "TaskbarCreated"
// and the session-end messages.
#pragma once

#include <windows.h>

#include <functional>

namespace toolkit {

// Gets every message after the window's creation; answers what the window answers.
using HiddenWindowHandler = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

// Creates a hidden window of the given class (registered on first use). Exceptions escaping the
// handler are reported by the general error report and the message is answered with 0. Raises
// EOutOfResources when the window cannot be made.
HWND AllocateHWnd(HiddenWindowHandler handler, const char* className = "TToolkitHiddenWindow");

// Destroys a window made by AllocateHWnd; safe from inside its own handler and with null.
void DeallocateHWnd(HWND hwnd);

} // namespace toolkit
