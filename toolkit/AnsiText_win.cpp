// The ANSI decoding over the platform's own conversion. Empty in the native build.
#ifdef _WIN32

#include "toolkit/AnsiText.h"

#include "toolkit/Text.h"

#include <climits>
#include <windows.h>

namespace toolkit {

std::optional<std::string> AnsiToUtf8(std::string_view ansi) {
    if (ansi.empty())
        return std::string();
    if (ansi.size() > static_cast<std::size_t>(INT_MAX))
        return std::nullopt;
    // The page of the running system, whatever the user's locale: the one the A functions used.
    const UINT page = GetACP();
    const int length = static_cast<int>(ansi.size());
    const int wide = MultiByteToWideChar(page, 0, ansi.data(), length, nullptr, 0);
    if (wide <= 0)
        return std::nullopt;
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    if (MultiByteToWideChar(page, 0, ansi.data(), length, utf16.data(), wide) != wide)
        return std::nullopt;
    return Narrow(utf16);
}

} // namespace toolkit

#endif
