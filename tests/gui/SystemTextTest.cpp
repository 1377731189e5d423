// The real System seam's text services under Wine: environment expansion (with the answers
// Windows gives through a stand-in for the platform call) and the system's upper-casing.
#include "toolkit/Win32System.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using toolkit::ExpandEnvironmentWith;
using toolkit::Win32System;

namespace {

TEST(SystemText, ExpandsDefinedVariablesOfAnyLengthAndKeepsTheRestAsWritten) {
    const std::string longValue(5000, 'v'); // far beyond the first buffer
    ASSERT_TRUE(SetEnvironmentVariableA("TARNWICK_LONG", longValue.c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA("TARNWICK_SHORT", "C:\\Short"));
    (void)SetEnvironmentVariableA("TARNWICK_UNDEFINED", nullptr);
    Win32System sys;
    EXPECT_EQ(sys.ExpandEnvironment("%tarnwick_short%\\a.exe"), "C:\\Short\\a.exe");
    EXPECT_EQ(sys.ExpandEnvironment("<%TARNWICK_LONG%>"), "<" + longValue + ">");
    EXPECT_EQ(sys.ExpandEnvironment("%TARNWICK_UNDEFINED%\\x 100%"),
              "%TARNWICK_UNDEFINED%\\x 100%");
    EXPECT_EQ(sys.ExpandEnvironment(""), "");
    // Names and values in any script come through whole.
    ASSERT_TRUE(SetEnvironmentVariableW(L"TARNWICK_\x65E5", L"C:\\\x30E6\x30CB \x03B1"));
    EXPECT_EQ(sys.ExpandEnvironment("%TARNWICK_\xE6\x97\xA5%\\a"),
              "C:\\\xE3\x83\xA6\xE3\x83\x8B \xCE\xB1\\a");
    // The platform stops at a zero byte; what follows it is kept, not lost.
    EXPECT_EQ(sys.ExpandEnvironment(std::string("%TARNWICK_SHORT%\0%TARNWICK_SHORT%", 33)),
              std::string("C:\\Short\0%TARNWICK_SHORT%", 25));
}

// Windows' call: a buffer must hold the result and its zero, else it answers the size it needs
// (in characters, the zero counted); 0 for a failure.
std::wstring gResult;
unsigned long gCalls = 0;
unsigned long WideCall(const wchar_t*, wchar_t* buffer, unsigned long size) {
    ++gCalls;
    if (size < gResult.size() + 1)
        return static_cast<unsigned long>(gResult.size() + 1);
    memcpy(buffer, gResult.c_str(), (gResult.size() + 1) * sizeof(wchar_t));
    return static_cast<unsigned long>(gResult.size() + 1);
}
unsigned long FailingCall(const wchar_t*, wchar_t*, unsigned long) {
    ++gCalls;
    return 0;
}
unsigned long EverGreedyCall(const wchar_t*, wchar_t*, unsigned long size) {
    ++gCalls;
    return size + 1;
}

TEST(SystemText, TheExpansionGrowsItsBufferAndKeepsTheTextWhenTheCallFails) {
    gResult = std::wstring(1000, L'x');
    gCalls = 0;
    EXPECT_EQ(ExpandEnvironmentWith(&WideCall, "%A%"), std::string(1000, 'x'));
    EXPECT_EQ(gCalls, 2u);
    // The first buffer is the source's length and 64: a result of 65 fits with its zero, one of
    // 66 does not.
    for (const std::size_t length : {65u, 66u}) {
        gResult = std::wstring(length, L'y');
        gCalls = 0;
        EXPECT_EQ(ExpandEnvironmentWith(&WideCall, "%%"), std::string(length, 'y'));
        EXPECT_EQ(gCalls, length == 65 ? 1u : 2u);
    }

    gCalls = 0;
    EXPECT_EQ(ExpandEnvironmentWith(&FailingCall, "%A%\\b"), "%A%\\b");
    EXPECT_EQ(gCalls, 1u);
    gCalls = 0;
    EXPECT_EQ(ExpandEnvironmentWith(&EverGreedyCall, "%A%\\b"), "%A%\\b");
    EXPECT_LE(gCalls, 8u) << "gives up instead of growing for ever";
}

TEST(SystemText, UpperCasingRaisesEveryScriptAndLeavesAsciiAsItWas) {
    Win32System sys;
    EXPECT_EQ(sys.UpperCase(""), "");
    EXPECT_EQ(sys.UpperCase("notepad 1;-) ~"), "NOTEPAD 1;-) ~");
    EXPECT_EQ(sys.UpperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
    // é ł š ř, Greek αβγ and Cyrillic жд; "i" is "I" in every language.
    EXPECT_EQ(
        sys.UpperCase(
            "\xC3\xA9 \xC5\x82 \xC5\xA1 \xC5\x99 \xCE\xB1\xCE\xB2\xCE\xB3 \xD0\xB6\xD0\xB4 i"),
        "\xC3\x89 \xC5\x81 \xC5\xA0 \xC5\x98 \xCE\x91\xCE\x92\xCE\x93 \xD0\x96\xD0\x94 I");
    // Scripts without letter case, and a character beyond the Basic Multilingual Plane, stay.
    EXPECT_EQ(sys.UpperCase("\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"),
              "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80");
}

TEST(SystemText, ALetterTypedWithACombiningMarkMatchesTheComposedLetter) {
    Win32System sys;
    // "e" + U+0301 as a dead key types it, "é" as a keyword holds it; Vietnamese stacks two marks.
    EXPECT_EQ(sys.UpperCase("caf"
                            "e\xCC\x81"),
              sys.UpperCase("caf\xC3\xA9"));
    EXPECT_EQ(sys.UpperCase("caf\xC3\xA9"), "CAF\xC3\x89");
    EXPECT_EQ(sys.UpperCase("Vi\xC3\xAA\xCC\xA3t"), sys.UpperCase("Vi\xE1\xBB\x87t"));
    // A mark with no composed form keeps its place.
    EXPECT_EQ(sys.UpperCase("q\xCC\x81"), "Q\xCC\x81");
}

TEST(SystemText, TheShellGetsEveryTextOfALaunchWhole) {
    Win32System sys;
    std::vector<std::wstring> seen;
    sys.ShellExecuteCall = [&](HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR params, LPCWSTR dir, INT) {
        seen = {verb, file, params, dir};
        return reinterpret_cast<HINSTANCE>(33);
    };
    sys.Execute(nullptr, "open", "C:\\\xE3\x83\xA6\xE3\x83\x8B \xE3\x82\xB3\\\xCE\xB1.txt",
                "\xCE\xB2 \xF0\x9F\x98\x80", "", 1);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"open", L"C:\\\x30E6\x30CB \x30B3\\\x03B1.txt",
                                               L"\x03B2 \xD83D\xDE00", L""}));
}

} // namespace
