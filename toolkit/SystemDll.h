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

} // namespace toolkit
