// The real System seam's text services under Wine: environment expansion (with the answers
// Windows gives through a stand-in for the platform call) and the ANSI to UTF-8 conversion.
#include "toolkit/Win32System.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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
    // The platform stops at a zero byte; what follows it is kept, not lost.
    EXPECT_EQ(sys.ExpandEnvironment(std::string("%TARNWICK_SHORT%\0%TARNWICK_SHORT%", 33)),
              std::string("C:\\Short\0%TARNWICK_SHORT%", 25));
}

// Windows' ANSI call: a buffer must hold the result, its zero and one byte more, else it answers
// the size it needs; 0 for a failure.
std::string gResult;
unsigned long gCalls = 0;
unsigned long AnsiCall(const char*, char* buffer, unsigned long size) {
    ++gCalls;
    if (size < gResult.size() + 2)
        return static_cast<unsigned long>(gResult.size() + 2);
    memcpy(buffer, gResult.c_str(), gResult.size() + 1);
    return static_cast<unsigned long>(gResult.size() + 1);
}
unsigned long FailingCall(const char*, char*, unsigned long) {
    ++gCalls;
    return 0;
}
unsigned long EverGreedyCall(const char*, char*, unsigned long size) {
    ++gCalls;
    return size + 1;
}

TEST(SystemText, TheExpansionGrowsItsBufferAndKeepsTheTextWhenTheCallFails) {
    gResult = std::string(1000, 'x');
    gCalls = 0;
    EXPECT_EQ(ExpandEnvironmentWith(&AnsiCall, "%A%"), gResult);
    EXPECT_EQ(gCalls, 2u);
    // The first buffer is the source's length and 64: a result of 64 fits with its zero and the
    // extra byte, one of 65 does not.
    for (const std::size_t length : {64u, 65u}) {
        gResult = std::string(length, 'y');
        gCalls = 0;
        EXPECT_EQ(ExpandEnvironmentWith(&AnsiCall, "%%"), gResult);
        EXPECT_EQ(gCalls, length == 64 ? 1u : 2u);
    }

    gCalls = 0;
    EXPECT_EQ(ExpandEnvironmentWith(&FailingCall, "%A%\\b"), "%A%\\b");
    EXPECT_EQ(gCalls, 1u);
    gCalls = 0;
    EXPECT_EQ(ExpandEnvironmentWith(&EverGreedyCall, "%A%\\b"), "%A%\\b");
    EXPECT_LE(gCalls, 8u) << "gives up instead of growing for ever";
}

TEST(SystemText, AnsiTextBecomesUtf8) {
    Win32System sys;
    EXPECT_EQ(sys.AnsiToUtf8(""), "");
    EXPECT_EQ(sys.AnsiToUtf8(std::string("a b\0c", 5)), std::string("a b\0c", 5));
    if (GetACP() != 1252)
        GTEST_SKIP() << "code page " << GetACP();
    EXPECT_EQ(sys.AnsiToUtf8("\xC9t\xE9 \x80"), "\xC3\x89t\xC3\xA9 \xE2\x82\xAC");
}

} // namespace
