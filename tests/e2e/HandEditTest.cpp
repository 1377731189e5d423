// The real Tarnwick.exe under Wine with its settings file changed on disk while it runs, as a
// user's text editor or a synchronising client changes it, and run from a folder it cannot write.
#include "support/E2e.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using e2e::Folder;
using e2e::Launcher;

constexpr int kDatabase = 2; // presses of Down in the tray menu

class HandEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ready()) << "TARNWICK_EXE and TARNWICK_MARKER must name the programs";
    }

    // One marker entry per keyword, the keyword as its parameter.
    std::string Settings(std::initializer_list<const char*> keywords, const char* system = "") {
        std::string text =
            "[DBSYSTEM]\r\nCount=" + std::to_string(keywords.size()) + "\r\n[DATABASE]\r\n";
        int i = 0;
        for (const std::string k : keywords) {
            const std::string n = std::to_string(i++);
            text += "Name" + n + "=" + k + "\r\nFilename" + n + "=" + folder.Marker() +
                    "\r\nParams" + n + "=" + k + "\r\nKeyword" + n + "=" + k + "\r\n";
        }
        return text + "[SYSTEM]\r\nSound=0\r\n" + system;
    }
    // Calls the window up, types the keyword and tells whether the marker started with it.
    bool Launches(Launcher& tarnwick, const std::string& keyword) {
        const std::size_t logged = e2e::ReadFile(folder.MarkerLog()).size();
        tarnwick.HotKey();
        tarnwick.Type(keyword);
        const bool launched = e2e::WaitFor(
            [&] {
                return e2e::ReadFile(folder.MarkerLog()).find("params=" + keyword + "|", logged) !=
                       std::string::npos;
            },
            2000);
        tarnwick.Type("\x1b");
        return launched;
    }
    static void Press(Launcher& tarnwick, HWND button) {
        PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        tarnwick.Settle();
    }
    // New, the five boxes, and New's OK, as a user adds an entry in the editor.
    void Add(Launcher& tarnwick, HWND editor, const std::string& keyword) {
        const HWND button = FindWindowExA(editor, nullptr, "Button", "New");
        Press(tarnwick, button);
        HWND box = nullptr;
        for (const std::string& text : {keyword, folder.Marker(), std::string(), keyword, keyword})
            SendMessageA(box = FindWindowExA(editor, box, "Edit", nullptr), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(text.c_str()));
        Press(tarnwick, button);
    }
    // The editor's OK, and `answer` to the question it asks.
    static void Answer(Launcher& tarnwick, HWND ok, int answer) {
        Press(tarnwick, ok);
        HWND box = nullptr;
        ASSERT_TRUE(e2e::WaitFor([&] { return (box = tarnwick.MessageBoxWindow()) != nullptr; }));
        EXPECT_EQ(tarnwick.MessageBoxTexts(box),
                  (std::vector<std::string>{"Tarnwick", "Tarnwick.ini was changed outside Tarnwick "
                                                        "since it was read. Save this list over "
                                                        "it?"}));
        PostMessageA(box, WM_COMMAND, answer, 0);
        ASSERT_TRUE(e2e::WaitFor([&] { return tarnwick.MessageBoxWindow() == nullptr; }));
        tarnwick.Settle();
    }

    Folder folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    e2e::DesktopJoin joined_;
};

TEST_F(HandEditTest, AHandAddedEntryLaunchesIsListedAndKeptAndAHandChangedHotKeyWorks) {
    e2e::WriteFile(folder.Settings(), Settings({"ONE"}));
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    // Ctrl + Shift + K, and a new place.
    e2e::HandEdit(folder.Settings(), Settings({"ONE", "TWO"}, "hKey=5075\r\nLeft=300\r\nTop=200"));
    EXPECT_TRUE(Launches(tarnwick, "TWO"));

    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kDatabase));
    const auto editors = e2e::ProcessWindows(tarnwick.Pid(), "TF_Database", true);
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(
        SendMessageA(FindWindowExA(editors[0], nullptr, "ListBox", nullptr), LB_GETCOUNT, 0, 0), 2);
    Press(tarnwick, FindWindowExA(editors[0], nullptr, "Button", "OK"));
    EXPECT_FALSE(IsWindowVisible(editors[0]));
    EXPECT_EQ(e2e::IniInt(folder.Settings(), "DBSYSTEM", "Count", 0), 2);

    e2e::PressChord({VK_CONTROL, VK_SHIFT, 'K'});
    ASSERT_TRUE(e2e::WaitFor([&] { return tarnwick.CommandVisible(); }, 5000));
    EXPECT_EQ(tarnwick.CommandRect().left, 300);
    EXPECT_EQ(tarnwick.CommandRect().top, 200);
    tarnwick.Type("\x1b");

    // A file that has gone leaves everything as it was.
    DeleteFileA(folder.Settings().c_str());
    EXPECT_TRUE(Launches(tarnwick, "TWO"));
}

TEST_F(HandEditTest, AnEntryAddedInTheEditorStaysLiveThroughAHandEditAndTheQuestionDecides) {
    e2e::WriteFile(folder.Settings(), Settings({"ONE"}));
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kDatabase));
    const auto editors = e2e::ProcessWindows(tarnwick.Pid(), "TF_Database", true);
    ASSERT_EQ(editors.size(), 1u);
    const HWND editor = editors[0];
    const HWND ok = FindWindowExA(editor, nullptr, "Button", "OK");
    Add(tarnwick, editor, "THREE");
    const std::string hand = Settings({"ONE", "TWO"});
    e2e::HandEdit(folder.Settings(), hand);
    EXPECT_TRUE(Launches(tarnwick, "THREE"));
    EXPECT_FALSE(Launches(tarnwick, "TWO"));

    Answer(tarnwick, ok, IDCANCEL);
    EXPECT_TRUE(IsWindowVisible(editor));
    EXPECT_EQ(e2e::ReadFile(folder.Settings()), hand);
    Answer(tarnwick, ok, IDNO);
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(e2e::ReadFile(folder.Settings()), hand);
    EXPECT_TRUE(Launches(tarnwick, "TWO"));
    EXPECT_FALSE(Launches(tarnwick, "THREE"));

    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kDatabase));
    Add(tarnwick, editor, "FOUR");
    e2e::HandEdit(folder.Settings(), Settings({"ONE", "FIVE"}));
    Answer(tarnwick, ok, IDYES);
    EXPECT_FALSE(IsWindowVisible(editor));
    const std::string saved = e2e::ReadFile(folder.Settings());
    EXPECT_NE(saved.find("Count=3\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Keyword2=FOUR\r\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("FIVE"), std::string::npos) << saved;

    // The launcher's own saves are no change outside: the place saved on a click in the input
    // line, and then the editor's OK, ask nothing.
    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kDatabase));
    Add(tarnwick, editor, "SIX");
    tarnwick.Click(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 4, 4);
    Press(tarnwick, ok);
    EXPECT_EQ(tarnwick.MessageBoxWindow(), nullptr);
    EXPECT_FALSE(IsWindowVisible(editor));
}

TEST_F(HandEditTest, AnExeInAFolderItCannotWriteKeepsItsSettingsInTheRoamingAppData) {
    char appData[MAX_PATH] = "";
    ASSERT_GT(GetEnvironmentVariableA("APPDATA", appData, MAX_PATH), 0u);
    const std::string home = std::string(appData) + "\\Tarnwick\\";
    e2e::RemoveTree(home);
    if (!folder.MakeReadOnly())
        GTEST_SKIP() << "this machine gives no read-only bind mount (it needs root); the choice "
                        "itself is tested with a stand-in for the folder probe in "
                        "gui.CommandWindowTest";
    for (int run = 0; run < 2; ++run) {
        Launcher tarnwick(folder);
        ASSERT_TRUE(tarnwick.Start());
        tarnwick.HotKey();
        if (run == 0) {
            tarnwick.Drag(5, 3, 400, 300);
            EXPECT_TRUE(e2e::WaitFor([&] { return tarnwick.CommandRect().left == 395; }, 3000));
            tarnwick.Release();
            EXPECT_EQ(tarnwick.MessageBoxWindow(), nullptr); // no "Unable to write"
        } else {
            EXPECT_EQ(tarnwick.CommandRect().left, 395); // read from there at the next start
        }
    }
    EXPECT_EQ(e2e::IniInt(home + "Tarnwick.ini", "SYSTEM", "Top", -1), 297);
    EXPECT_FALSE(e2e::FileExists(folder.Settings()));
    e2e::RemoveTree(home);
}

} // namespace
