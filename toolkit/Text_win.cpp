// The conversions of toolkit/Text.h over the platform's own (CP_UTF8). Empty in the native build.
#ifdef _WIN32

#include "toolkit/Text.h"

#include <windows.h>

namespace toolkit {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty())
        return {};
    // Explicit lengths throughout: a zero byte does not end the text.
    const int length = static_cast<int>(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (wide <= 0)
        return {};
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    (void)MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, out.data(), wide);
    return out;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty())
        return {};
    const int length = static_cast<int>(utf16.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    (void)WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, out.data(), bytes, nullptr,
                              nullptr);
    return out;
}

} // namespace toolkit

#endif
