// Text in the system's ANSI code page, as older versions of the program and ANSI editors wrote the
// settings file. Over the platform's conversion in AnsiText_win.cpp (GetACP); natively, in
// AnsiText_posix.cpp, as Windows-1252, the Western page of Wine here and of a Western Windows, so
// that the same tests hold on both.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace toolkit {

// The text as UTF-8. Every byte is read, a zero byte included. Nothing when the platform cannot
// convert it (a text beyond its length limit): the caller must not take that for an empty text.
std::optional<std::string> AnsiToUtf8(std::string_view ansi);

} // namespace toolkit
