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

// ---- Hot key ---------------------------------------------------------------------------------
// The launcher's one global hot key. Key is a Windows virtual-key code (0: no hot key at all);
// a flag counts as set when it is non-zero, and these functions only ever write 0 or 1.
struct THotKey {
    std::uint16_t Key = 0;
    std::int32_t Ctrl = 0;
    std::int32_t Alt = 0;
    std::int32_t Shift = 0;
    std::int32_t Win = 0;
};

// The display name of a key: the name table for the keys that have one, else the one-character
// text whose byte is the code's low 8 bits (so letters and digits name themselves).
std::string KeyName(std::uint16_t code);

// The stored "hKey" value: Key + 1000 Ctrl + 2000 Alt + 4000 Shift + 8000 Win, kept to 16 bits.
// Decimal weights, not bit fields: the last three digits are the key, the thousands the modifiers.
std::uint16_t EncodeHotKey(const THotKey& hotKey);
// Every value decodes to some record; a key part of 8 (Backspace, the clearing key) gives Key 0.
THotKey DecodeHotKey(std::uint16_t value);
// MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8, as RegisterHotKey wants them.
std::uint32_t HotKeyModifiers(const THotKey& hotKey);
// "None" without a key, else e.g. "Ctrl + Alt + F".
std::string HotKeyText(const THotKey& hotKey);
THotKey EmptyHotKey();

// Capture in the configuration window's hot key box: each key event moves the capture record
// and gives the box's whole new text. While keys go down only the modifiers show; the key-up
// completes the text. The first modifier pressed after a complete hot key starts a new one.
std::string HotKeyKeyDown(std::uint16_t key, THotKey& capture);
std::string HotKeyKeyUp(std::uint16_t key, THotKey& capture);
