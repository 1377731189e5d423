// The real Tarnwick.exe under Wine, driven from this second process as a user would: the hot
// key's message, typing into the input line, the tray icon's menu and dragging the window. Judged
// by what a user sees: windows shown and hidden, the settings file, programs started.
#include "support/E2e.h"
#include "toolkit/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using e2e::Folder;
using e2e::Launcher;

// Tray menu positions, counted in presses of the Down key ("-" is skipped).
constexpr int kExecute = 1;
constexpr int kDatabase = 2;
constexpr int kExit = 4;

// A settings file with one entry that starts the marker program.
std::string MarkerSettings(const Folder& folder, const std::string& keyword,
                           const std::string& system = "") {
    return "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nName0=Marker\r\nFilename0=" + folder.Marker() +
           "\r\nDirectory0=" + folder.Path() +
           "work\r\nParams0=alpha \"two words\"\r\nKeyword0=" + keyword +
           "\r\n[SYSTEM]\r\nSound=0\r\n" + system;
}

bool SameRect(const RECT& r, int left, int top, int width, int height) {
    return r.left == left && r.top == top && r.right - r.left == width &&
           r.bottom - r.top == height;
}

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ready()) << "TARNWICK_EXE and TARNWICK_MARKER must name the programs";
    }
    Folder folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

TEST_F(LauncherTest, FirstStartShowsNothingWritesNothingAndCallsUpAtTheDefaultPlace) {
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    EXPECT_TRUE(tarnwick.VisibleWindows().empty());
    EXPECT_FALSE(tarnwick.CommandVisible());

    tarnwick.HotKey(0x4242); // any identifier calls the window up
    ASSERT_TRUE(e2e::WaitFor([&] { return tarnwick.CommandVisible(); }));
    const RECT r = tarnwick.CommandRect();
    EXPECT_TRUE(SameRect(r, 100, 70, 129, 18))
        << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top;
    EXPECT_EQ(tarnwick.Line(), ""); // not the layout's "TEXT"
    // Only the input line shows.
    EXPECT_EQ(tarnwick.VisibleWindows().size(), 1u);
    EXPECT_FALSE(e2e::FileExists(folder.Settings()));
}

TEST_F(LauncherTest, AKeywordStartsItsEntryWithItsParametersAndFolderAndTheWindowHides) {
    CreateDirectoryA((folder.Path() + "work").c_str(), nullptr);
    e2e::WriteFile(folder.Settings(), MarkerSettings(folder, "Mark"));
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    tarnwick.HotKey();
    ASSERT_TRUE(tarnwick.CommandVisible());

    tarnwick.Type("mar");
    EXPECT_TRUE(tarnwick.CommandVisible());
    tarnwick.Type("k"); // completes the keyword without Enter
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::FileExists(folder.MarkerLog()); }));
    EXPECT_TRUE(e2e::WaitFor([&] { return !tarnwick.CommandVisible(); }));
    e2e::WaitFor([&] { return e2e::ReadFile(folder.MarkerLog()).find('\n') != std::string::npos; });
    EXPECT_EQ(e2e::ReadFile(folder.MarkerLog()),
              "params=alpha \"two words\"|cwd=" + folder.Path() + "work\n");
    EXPECT_EQ(tarnwick.Line(), "MARK"); // hidden with its text, emptied at the next call-up
    tarnwick.HotKey();
    EXPECT_EQ(tarnwick.Line(), "");
}

TEST_F(LauncherTest, ATypedWebAddressReachesTheBrowserEvenBesideAProgramOfThatName) {
    // .COM is a program's extension, and the shell looks for a file first when a name has no
    // scheme, in the current folder: the exe's.
    ASSERT_TRUE(CopyFileW(toolkit::Widen(folder.Marker()).c_str(),
                          toolkit::Widen(folder.Path() + "WWW.EXAMPLE.COM").c_str(), FALSE));
    e2e::WriteFile(folder.Settings(), "[SYSTEM]\r\nSound=0\r\nNoEnter=0\r\n");
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    const std::size_t logged = e2e::BrowserLog().size();
    tarnwick.HotKey();
    tarnwick.Type("www.example.com\r");
    // The shell hands the browser the address in its canonical form, the host in small letters.
    EXPECT_TRUE(e2e::WaitFor([&] {
        return e2e::BrowserLog().find("http://www.example.com", logged) != std::string::npos;
    })) << e2e::BrowserLog();
    tarnwick.Settle();
    EXPECT_FALSE(e2e::FileExists(folder.MarkerLog())) << "the program of that name ran";
}

TEST_F(LauncherTest, EscapeHidesWithoutLaunchingAndASecondCallUpKeepsTheText) {
    e2e::WriteFile(folder.Settings(), MarkerSettings(folder, "mark", "NoEnter=0\r\n"));
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    tarnwick.HotKey();
    tarnwick.Type("mark");
    EXPECT_TRUE(tarnwick.CommandVisible()); // NoEnter off: waits for Enter
    tarnwick.HotKey(7);                     // called up again while shown
    EXPECT_TRUE(tarnwick.CommandVisible());
    EXPECT_EQ(tarnwick.Line(), "MARK");
    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kExecute)); // "Execute" behaves the same
    EXPECT_TRUE(tarnwick.CommandVisible());
    EXPECT_EQ(tarnwick.Line(), "MARK");

    tarnwick.Type("\x1b");
    EXPECT_TRUE(e2e::WaitFor([&] { return !tarnwick.CommandVisible(); }));
    EXPECT_EQ(tarnwick.Line(), "MARK");
    Sleep(300);
    EXPECT_FALSE(e2e::FileExists(folder.MarkerLog()));

    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kExecute));
    EXPECT_TRUE(tarnwick.CommandVisible());
    EXPECT_EQ(tarnwick.Line(), "");
}

TEST_F(LauncherTest, ADragIsSavedOnReleaseAndUsedAtTheNextStart) {
    {
        Launcher tarnwick(folder);
        ASSERT_TRUE(tarnwick.Start());
        tarnwick.HotKey();
        ASSERT_TRUE(tarnwick.CommandVisible());
        tarnwick.Drag(5, 3, 400, 300);
        EXPECT_TRUE(e2e::WaitFor([&] { return tarnwick.CommandRect().left == 395; }, 3000));
        EXPECT_TRUE(SameRect(tarnwick.CommandRect(), 395, 297, 129, 18));
        EXPECT_FALSE(e2e::FileExists(folder.Settings())); // not while moving
        tarnwick.Release();
        EXPECT_EQ(e2e::IniInt(folder.Settings(), "SYSTEM", "Left", -1), 395);
        EXPECT_EQ(e2e::IniInt(folder.Settings(), "SYSTEM", "Top", -1), 297);

        ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kExit));
        EXPECT_EQ(tarnwick.WaitForExit(10000), 0u);
    }
    Launcher again(folder);
    ASSERT_TRUE(again.Start());
    EXPECT_FALSE(again.CommandVisible());
    again.HotKey();
    EXPECT_TRUE(SameRect(again.CommandRect(), 395, 297, 129, 18));
}

TEST_F(LauncherTest, ExitEndsTheProgramAtOnceWhateverIsOpen) {
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kDatabase));
    EXPECT_FALSE(tarnwick.CommandVisible()); // only the editor shows
    EXPECT_FALSE(e2e::ProcessWindows(tarnwick.Pid(), "TF_Database", true).empty());
    tarnwick.HotKey();
    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kExit));
    EXPECT_EQ(tarnwick.WaitForExit(10000), 0u);
    EXPECT_FALSE(e2e::FileExists(folder.Settings())); // nothing is saved at exit
}

TEST_F(LauncherTest, AnUnwritableSettingsFileIsReportedOnReleaseAndTheProgramGoesOn) {
    // A folder where the settings file should be: unreadable (the defaults apply) and
    // unwritable, also for a test run with every right.
    ASSERT_TRUE(CreateDirectoryA(folder.Settings().c_str(), nullptr));
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    tarnwick.HotKey();
    ASSERT_TRUE(SameRect(tarnwick.CommandRect(), 100, 70, 129, 18));

    for (int attempt = 0; attempt < 2; ++attempt) { // every release tries again
        tarnwick.Click(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 4, 4);
        HWND box = nullptr;
        ASSERT_TRUE(e2e::WaitFor([&] { return (box = tarnwick.MessageBoxWindow()) != nullptr; }))
            << "no error report, attempt " << attempt;
        const auto texts = tarnwick.MessageBoxTexts(box);
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts[0], "Tarnwick");
        const std::string& message = texts[1];
        EXPECT_EQ(message.rfind("Unable to write to ", 0), 0u) << message;
        EXPECT_NE(message.find("Tarnwick.ini"), std::string::npos) << message;
        EXPECT_EQ(message.back(), '.');
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(e2e::WaitFor([&] { return tarnwick.MessageBoxWindow() == nullptr; }));
    }
    EXPECT_TRUE(tarnwick.Running());
    EXPECT_TRUE(GetFileAttributesA(folder.Settings().c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    // And it still answers: typing, Escape, call-up.
    tarnwick.HotKey();
    tarnwick.Type("ab");
    EXPECT_EQ(tarnwick.Line(), "AB");
    tarnwick.Type("\x1b");
    EXPECT_TRUE(e2e::WaitFor([&] { return !tarnwick.CommandVisible(); }));
}

} // namespace
