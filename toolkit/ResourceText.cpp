#include "toolkit/ResourceText.h"

#include "toolkit/Text.h"

#include <windows.h>

namespace toolkit {

std::string LoadResourceText(unsigned id, const std::string& fallback) {
    wchar_t buffer[1024];
    const int n = LoadStringW(GetModuleHandleW(nullptr), id, buffer, 1024);
    return n > 0 ? Narrow(std::wstring_view(buffer, static_cast<size_t>(n))) : fallback;
}

} // namespace toolkit
