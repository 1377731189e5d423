// The real Tarnwick.exe's input line beyond keywords: earlier lines recalled by Up and Down and
// kept across runs, typed commands, and the clipboard's text as a parameter.
#include "support/E2e.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using e2e::Folder;
using e2e::Launcher;

constexpr int kExit = 4; // presses of Down in the tray menu

// Three entries that start the marker: MK with the text after it, PL plain, CB with the
// clipboard's text.
std::string MarkerSettings(const Folder& folder, const std::string& system = "") {
    std::string file = "[DBSYSTEM]\r\nCount=3\r\n[DATABASE]\r\n";
    const char* const keywords[] = {"mk", "pl", "cb"};
    const char* const params[] = {"$W$", "plain", "$C$"};
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i);
        file += "Filename" + n + "=" + folder.Marker() + "\r\nParams" + n + "=" + params[i] +
                "\r\nKeyword" + n + "=" + keywords[i] + "\r\n";
    }
    return file + "[SYSTEM]\r\nSound=0\r\n" + system;
}

class InputLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ready()) << "TARNWICK_EXE and TARNWICK_MARKER must name the programs";
    }
    // Calls the line up and types; true once the marker has logged `starts` starts in all.
    bool TypeAndWait(Launcher& tarnwick, const std::string& text, std::size_t starts) {
        tarnwick.HotKey();
        tarnwick.Type(text);
        return e2e::WaitFor([&] { return e2e::LineCount(folder.MarkerLog()) >= starts; });
    }
    std::string LastStart() const {
        const std::string log = e2e::ReadFile(folder.MarkerLog());
        const std::size_t end = log.rfind('|');
        const std::size_t before = log.rfind('\n', log.size() - 2);
        const std::size_t begin = before == std::string::npos ? 0 : before + 1;
        return log.substr(begin, end - begin);
    }
    Folder folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

TEST_F(InputLineTest, UpAndDownRecallWhatBeganWithTheTypedTextLaunchOnlyOnEnterAndOutliveExit) {
    e2e::WriteFile(folder.Settings(), MarkerSettings(folder));
    {
        Launcher tarnwick(folder);
        ASSERT_TRUE(tarnwick.Start());
        ASSERT_TRUE(TypeAndWait(tarnwick, "mk alpha\r", 1));
        ASSERT_TRUE(TypeAndWait(tarnwick, "pl", 2)); // completed without Enter
        ASSERT_TRUE(TypeAndWait(tarnwick, "mk beta\r", 3));

        tarnwick.HotKey();
        tarnwick.Type("mk ");
        tarnwick.Key(VK_UP);
        EXPECT_EQ(tarnwick.Line(), "MK BETA");
        int start = 0, end = 0;
        tarnwick.Selection(start, end);
        EXPECT_EQ(start, 7) << "the caret at the end";
        EXPECT_EQ(end, 7);
        tarnwick.Key(VK_UP);
        EXPECT_EQ(tarnwick.Line(), "MK ALPHA") << "PL does not begin with MK";
        tarnwick.Key(VK_UP);
        EXPECT_EQ(tarnwick.Line(), "MK ALPHA");
        tarnwick.Key(VK_DOWN);
        EXPECT_EQ(tarnwick.Line(), "MK BETA");
        Sleep(300);
        EXPECT_EQ(e2e::LineCount(folder.MarkerLog()), 3u) << "a recall launches nothing";
        EXPECT_TRUE(tarnwick.CommandVisible());
        tarnwick.Type("\r");
        ASSERT_TRUE(e2e::WaitFor([&] { return e2e::LineCount(folder.MarkerLog()) == 4; }));
        EXPECT_EQ(LastStart(), "params=BETA");

        // A recalled keyword, even edited back to itself, waits for Enter.
        tarnwick.HotKey();
        tarnwick.Key(VK_UP);
        tarnwick.Key(VK_UP);
        EXPECT_EQ(tarnwick.Line(), "PL");
        tarnwick.Type("\bl");
        Sleep(300);
        EXPECT_EQ(e2e::LineCount(folder.MarkerLog()), 4u);
        EXPECT_EQ(tarnwick.Line(), "PL");
        tarnwick.Type("\r");
        ASSERT_TRUE(e2e::WaitFor([&] { return e2e::LineCount(folder.MarkerLog()) == 5; }));

        ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kExit));
        EXPECT_EQ(tarnwick.WaitForExit(10000), 0u);
    }
    EXPECT_NE(e2e::ReadFile(folder.Settings())
                  .find("[HISTORY]\r\nCount=3\r\nLine0=PL\r\nLine1=MK BETA\r\nLine2=MK ALPHA\r\n"),
              std::string::npos)
        << e2e::ReadFile(folder.Settings());
    Launcher again(folder);
    ASSERT_TRUE(again.Start());
    again.HotKey();
    again.Type("m");
    again.Key(VK_UP);
    EXPECT_EQ(again.Line(), "MK BETA");
}

TEST_F(InputLineTest, ATypedPathStartsWithItsParametersAndANameFoundNowhereLeavesTheLine) {
    const std::string command = "\"" + folder.Marker() + "\" one two\r";
    e2e::WriteFile(folder.Settings(), MarkerSettings(folder, "RunTyped=1\r\n"));
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    ASSERT_TRUE(TypeAndWait(tarnwick, command, 1));
    EXPECT_EQ(LastStart(), "params=ONE TWO");
    EXPECT_TRUE(e2e::WaitFor([&] { return !tarnwick.CommandVisible(); }));

    tarnwick.HotKey();
    tarnwick.Type("tarnwick-no-such-program x\r");
    Sleep(500);
    EXPECT_TRUE(tarnwick.CommandVisible());
    EXPECT_EQ(tarnwick.Line(), "TARNWICK-NO-SUCH-PROGRAM X");
    EXPECT_EQ(tarnwick.VisibleWindows().size(), 1u) << "no box of the shell's";
    EXPECT_EQ(e2e::LineCount(folder.MarkerLog()), 1u);
}

// The exe's folder is the current one, and a portable copy's may be written by anyone: a program
// lying there answers its bare name only when the line names the folder.
TEST_F(InputLineTest, AProgramBesideTheExeStartsOnlyWhenTheLineNamesItsFolder) {
    e2e::WriteFile(folder.Settings(), MarkerSettings(folder, "RunTyped=1\r\n"));
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    tarnwick.HotKey();
    tarnwick.Type("marker planted\r");
    Sleep(500);
    EXPECT_TRUE(tarnwick.CommandVisible());
    EXPECT_EQ(tarnwick.Line(), "MARKER PLANTED");
    EXPECT_EQ(e2e::LineCount(folder.MarkerLog()), 0u);

    tarnwick.Type("\x1b"); // the next call-up starts with an empty line
    ASSERT_TRUE(TypeAndWait(tarnwick, ".\\marker typed\r", 1));
    EXPECT_EQ(LastStart(), "params=TYPED");
}

TEST_F(InputLineTest, TheClipboardsFirstLineIsTheParameterInAnyScript) {
    e2e::WriteFile(folder.Settings(), MarkerSettings(folder));
    const std::string text = "\xC3\x9C"
                             "ber \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"; // Über 日本 😀
    ASSERT_TRUE(e2e::SetClipboardText("  " + text + " \r\nsecond line"));
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    ASSERT_TRUE(TypeAndWait(tarnwick, "cb", 1));
    EXPECT_EQ(LastStart(), "params=" + text);
}

} // namespace
