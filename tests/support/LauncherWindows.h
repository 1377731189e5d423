// The launcher's windows made in-process as the program makes them: the command window (which
// makes the database editor), then the configuration window. The editor and the configuration
// window make their controls only when they are first shown; a test that works the boxes of one
// never shown makes them first, as its first showing would.
#pragma once

#include "app/Tarnwick.h"
#include "forms/Config.h"
#include "forms/Database.h"
#include "toolkit/Application.h"

#include <windows.h>

namespace testing_support {

inline void MakeHiddenWindowsControls() {
    if (F_Database != nullptr)
        F_Database->MakeControls();
    if (F_Config != nullptr)
        F_Config->MakeControls();
}

inline void CreateLauncherWindows(toolkit::Application& app, bool makeControls) {
    app.CreateForm<TTarnwick>();
    app.CreateForm<TF_Config>();
    if (makeControls)
        MakeHiddenWindowsControls();
}

// Whether a window has any child window at all.
inline bool HasChildWindows(HWND window) {
    return GetWindow(window, GW_CHILD) != nullptr;
}

} // namespace testing_support
