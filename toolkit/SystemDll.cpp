#include "toolkit/SystemDll.h"

#include "toolkit/Errors.h"
#include "toolkit/Text.h"

#include <string>

namespace toolkit {

FARPROC OptionalSystemProc(const char* library, const char* name) {
    const std::wstring file = Widen(library);
    HMODULE module = GetModuleHandleW(file.c_str());
    if (module == nullptr) {
        // Only the system folder, whatever lies beside the exe or in the current folder.
        module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER)
            module = LoadLibraryW(file.c_str()); // a system that predates the flag
    }
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

FARPROC SystemProc(const char* library, const char* name) {
    const FARPROC proc = OptionalSystemProc(library, name);
    if (proc == nullptr)
        throw EOutOfResources("Cannot find " + std::string(name) + " in " + library);
    return proc;
}

void RestrictDllSearch() {
    // Not the system folder alone: that would hold for every DLL the process loads, the shell
    // extensions' own included, which then miss the folders they added.
    if (const auto set =
            OptionalSystemFunction<BOOL WINAPI(DWORD)>("kernel32.dll", "SetDefaultDllDirectories"))
        (void)set(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

} // namespace toolkit
