// The ANSI decoding of the native build: Windows-1252. Empty on Windows.
#ifndef _WIN32

#include "toolkit/AnsiText.h"

namespace toolkit {

namespace {

// The page's 0x80 to 0x9F; from 0xA0 on it is Latin-1. The five bytes it leaves unassigned (81,
// 8D, 8F, 90, 9D) stand for the control characters of the same number, as Windows has them.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::optional<std::string> AnsiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 8);
    for (const char c : ansi) {
        const unsigned char b = static_cast<unsigned char>(c);
        const char32_t u = b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : b;
        if (u < 0x80) {
            out += c;
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

} // namespace toolkit

#endif
