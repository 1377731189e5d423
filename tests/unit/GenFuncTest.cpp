#include "gen/Gen_func.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(UpperCaseText, RaisesAsciiAndHighLettersOnly) {
    EXPECT_EQ(UpperCaseText("notepad"), "NOTEPAD");
    EXPECT_EQ(UpperCaseText("Mixed 123 ;-)"), "MIXED 123 ;-)");
    EXPECT_EQ(UpperCaseText(""), "");
    EXPECT_EQ(UpperCaseText("\xE9"), "\xC9");
    EXPECT_EQ(UpperCaseText("\xFF"), "\xDF");
    EXPECT_EQ(UpperCaseText("\xF7"), "\xD7");
    EXPECT_EQ(UpperCaseText("\xB5\x9A\x9C\x9E\x80\xDF"), "\xB5\x9A\x9C\x9E\x80\xDF");
    EXPECT_EQ(UpperCaseText("`{@["), "`{@[") << "neighbours of the letter ranges stay";
}

TEST(UpperCaseText, KeepsLengthAcrossZeroBytes) {
    const auto in = "ab\0cd"s;
    const auto out = UpperCaseText(in);
    EXPECT_EQ(out, "AB\0CD"s);
    EXPECT_EQ(out.size(), 5u);
}

TEST(ExtractFolder, KeepsEverythingUpToTheLastBackslash) {
    EXPECT_EQ(ExtractFolder("C:\\Tools\\app.exe"), "C:\\Tools\\");
    EXPECT_EQ(ExtractFolder("C:\\"), "C:\\");
    EXPECT_EQ(ExtractFolder("D:\\a\\b\\c.txt"), "D:\\a\\b\\");
    EXPECT_EQ(ExtractFolder("\\\\server\\share\\x.exe"), "\\\\server\\share\\");
    EXPECT_EQ(ExtractFolder("D:\\a\\b\\"), "D:\\a\\b\\");
    EXPECT_EQ(ExtractFolder("app.exe"), "");
    EXPECT_EQ(ExtractFolder("C:/Tools/app.exe"), "") << "a forward slash is no separator";
    EXPECT_EQ(ExtractFolder(""), "");
}

TEST(ExtractFolder, DropsOnlyOneLeadingQuote) {
    EXPECT_EQ(ExtractFolder("\"C:\\Program Files\\Tool\\run.exe\""), "C:\\Program Files\\Tool\\");
    EXPECT_EQ(ExtractFolder("\"\"C:\\a\\b"), "\"C:\\a\\");
    EXPECT_EQ(ExtractFolder("C:\\my \"q\"\\b"), "C:\\my \"q\"\\");
    EXPECT_EQ(ExtractFolder("\"noslash"), "");
}

TEST(WindowsVersionCode, MapsEveryRowOfTheTable) {
    struct Row {
        TVersionRecord v;
        int code;
    } rows[] = {
        {{4, 0, 950, 1}, 1},
        {{4, 0, (4u << 24) | 950, 1}, 1}, // 9x: high word carries the version
        {{4, 0, 1111, 1}, 2},
        {{4, 0, 1212, 1}, 0},
        {{4, 0, 1381, 2}, 3},
        {{4, 10, 1998, 1}, 4},
        {{4, 10, 2222, 1}, 5},
        {{4, 90, 3000, 1}, 7},
        {{5, 0, 2195, 2}, 10},
        {{5, 1, 2600, 2}, 11},
        {{5, 2, 3790, 2}, 0},
        {{6, 0, 6000, 2}, 0},
        {{6, 1, 7601, 2}, 0},
        {{10, 0, 19045, 2}, 0},
        {{3, 51, 1057, 2}, 0},
        {{0, 0, 0, 0}, 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(VersionCodeOf(r.v), r.code) << r.v.PlatformId << " " << r.v.MajorVersion << "."
                                              << r.v.MinorVersion << "." << r.v.BuildNumber;
}

} // namespace
