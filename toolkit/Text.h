// Text at the platform's boundary. Inside the program every text is a std::string of UTF-8; the
// platform's W functions take and give UTF-16. These two are the one way between them.
#pragma once

#include <string>
#include <string_view>

namespace toolkit {

// UTF-8 to UTF-16. A zero byte is a character like any other; an ill-formed sequence becomes
// U+FFFD, as the platform's conversion makes it.
std::wstring Widen(std::string_view utf8);
// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view utf16);

} // namespace toolkit
