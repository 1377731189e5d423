// Gen_func: stateless helpers shared by the windows. Nothing here keeps state or reports errors:
// every input gives some result.
#pragma once

#include <cstdint>
#include <string>

// Text: raises a-z and 0xE0-0xFF by 0x20, byte by byte. The locale is never consulted, so the
// result is the same on every system and the length never changes.
std::string UpperCaseText(std::string text);

// The byte mapping of UpperCaseText, for comparisons that need no new text.
constexpr char UpperCaseChar(char c) {
    const auto b = static_cast<unsigned char>(c);
    return ((b >= 0x61 && b <= 0x7A) || b >= 0xE0) ? static_cast<char>(b - 0x20) : c;
}

// The part of a path up to and including its last backslash, without one leading double quote.
// A forward slash is not a separator; a path without a backslash gives the empty text.
std::string ExtractFolder(std::string path);

// The fields of the platform's version record that WindowsVersionCode looks at.
struct TVersionRecord {
    std::uint32_t MajorVersion = 0;
    std::uint32_t MinorVersion = 0;
    std::uint32_t BuildNumber = 0;
    std::uint32_t PlatformId = 0;
};

// 1 Win95, 2 Win95 OSR2, 3 NT 4, 4 Win98, 5 Win98 (other build), 7 Me, 10 Win2000, 11 XP, else 0.
std::uint8_t VersionCodeOf(const TVersionRecord& v);

// Over Win32 (Gen_func_win.cpp): the live cursor position and the running system's version code.
void GetCursorXY(std::int32_t& x, std::int32_t& y);
std::uint8_t WindowsVersionCode();
