#include "toolkit/SystemDll.h"

#include "toolkit/Errors.h"
#include "toolkit/Text.h"

#include <string>

namespace toolkit {

FARPROC SystemProc(const char* library, const char* name) {
    const std::wstring file = Widen(library);
    HMODULE module = GetModuleHandleW(file.c_str());
    if (module == nullptr) {
        // Only the system folder, whatever lies beside the exe or in the current folder.
        module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER)
            module = LoadLibraryW(file.c_str()); // a system that predates the flag
    }
    const FARPROC proc = module != nullptr ? GetProcAddress(module, name) : nullptr;
    if (proc == nullptr)
        throw EOutOfResources("Cannot find " + std::string(name) + " in " + library);
    return proc;
}

} // namespace toolkit
