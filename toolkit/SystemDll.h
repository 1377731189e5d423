// Functions of the system's DLLs that only some windows or commands need, looked up when first
// called rather than imported: a DLL imported by the exe is loaded, with everything it imports
// itself, at every start, while the file dialog (comdlg32), OLE (ole32) and the picture loader
// (oleaut32) are needed only once a dialog opens, a program is launched or a header is shown.
#pragma once

#include <windows.h>

namespace toolkit {

// The address of `name` in the system DLL `library`, which is loaded from the system folder on
// first use and kept for the rest of the run. Throws EOutOfResources when either is missing.
FARPROC SystemProc(const char* library, const char* name);

template <class F> F* SystemFunction(const char* library, const char* name) {
    return reinterpret_cast<F*>(reinterpret_cast<void*>(SystemProc(library, name)));
}

// The same for a function that only newer systems have: nullptr where it is missing.
FARPROC OptionalSystemProc(const char* library, const char* name);

template <class F> F* OptionalSystemFunction(const char* library, const char* name) {
    return reinterpret_cast<F*>(reinterpret_cast<void*>(OptionalSystemProc(library, name)));
}

// The process's DLL search from now on: the exe's folder, the system folder and the folders added
// with AddDllDirectory, never the current folder (where a planted DLL would otherwise be found).
// Process-wide: the shell extensions that the dialogs and the launches load into the process
// keep the folders they add for their own DLLs. Systems that predate the call keep their order.
void RestrictDllSearch();

} // namespace toolkit
