#include "toolkit/ResourceText.h"

#include <windows.h>

namespace toolkit {

std::string LoadResourceText(unsigned id, const std::string& fallback) {
    char buffer[1024];
    const int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : fallback;
}

} // namespace toolkit
