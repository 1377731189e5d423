// The real Tarnwick.exe with names in every script: started from a folder named in Japanese with
// a blank, with entries named and pointing in Greek and Japanese, text typed in them (a character
// beyond the Basic Multilingual Plane among it), and a settings file an ANSI editor wrote.
#include "support/E2e.h"
#include "toolkit/Text.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using e2e::Folder;
using e2e::Launcher;

constexpr int kDatabase = 2; // presses of Down in the tray menu
constexpr int kExit = 4;

std::string Entry(int i, const std::string& name, const std::string& file, const std::string& dir,
                  const std::string& params, const std::string& keyword) {
    const std::string n = std::to_string(i);
    return "Name" + n + "=" + name + "\r\nFilename" + n + "=" + file + "\r\nDirectory" + n + "=" +
           dir + "\r\nParams" + n + "=" + params + "\r\nKeyword" + n + "=" + keyword + "\r\n";
}

// Calls the line up, types `text` and waits until `done` holds and the line has hidden.
void TypeAndWait(Launcher& tarnwick, const std::string& text, const std::function<bool()>& done) {
    tarnwick.HotKey();
    ASSERT_TRUE(tarnwick.CommandVisible());
    tarnwick.Type(text);
    EXPECT_TRUE(e2e::WaitFor(done)) << text;
    EXPECT_TRUE(e2e::WaitFor([&] { return !tarnwick.CommandVisible(); })) << text;
}

// The editor from the tray menu, with its list.
HWND OpenEditor(Launcher& tarnwick, HWND& list) {
    if (!tarnwick.ChooseFromTrayMenu(kDatabase))
        return nullptr;
    std::vector<HWND> editors;
    if (!e2e::WaitFor([&] {
            editors = e2e::ProcessWindows(tarnwick.Pid(), "TF_Database", true);
            return !editors.empty();
        }))
        return nullptr;
    list = FindWindowExW(editors[0], nullptr, L"ListBox", nullptr);
    return editors[0];
}

void Press(HWND window, const char* caption) {
    const HWND button = e2e::ChildOf(window, "Button", caption);
    ASSERT_NE(button, nullptr) << caption;
    SendMessageW(button, BM_CLICK, 0, 0);
}

// Whether the marker's log (it logs beside itself) has reached `lines` lines.
bool Logged(const std::string& log, std::size_t lines) {
    std::size_t n = 0;
    for (const char c : e2e::ReadFile(log))
        n += c == '\n';
    return n >= lines;
}

// The test's own folder, named after the test and `suffix`.
class UnicodeTest : public ::testing::Test {
protected:
    explicit UnicodeTest(const std::string& suffix = "")
        : folder(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                 suffix) {}
    void SetUp() override {
        ASSERT_TRUE(folder.Ready()) << "TARNWICK_EXE and TARNWICK_MARKER must name the programs";
    }
    Folder folder;
};

// ユニ コード: Japanese, with a blank.
class JapaneseFolder : public UnicodeTest {
protected:
    JapaneseFolder()
        : UnicodeTest(" \xE3\x83\xA6\xE3\x83\x8B \xE3\x82\xB3\xE3\x83\xBC\xE3\x83\x89") {}
};

TEST_F(JapaneseFolder, SettingsLaunchesTypedTextAndTheEditorKeepEveryCharacter) {
    const std::string work = folder.Path() + "\xE4\xBD\x9C\xE6\xA5\xAD"; // 作業
    ASSERT_TRUE(e2e::MakeFolder(work));
    const std::string greek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";
    const std::string search = "\xE6\xA4\x9C\xE7\xB4\xA2"; // 検索
    e2e::WriteFile(folder.Settings(),
                   "[DBSYSTEM]\r\nCount=2\r\n[DATABASE]\r\n" +
                       Entry(0, greek, folder.Marker(), work,
                             "\xCE\xB1\xCE\xB2\xCE\xB3 \"\xE6\x97\xA5\xE6\x9C\xAC \xE8\xAA\x9E\"",
                             "\xCE\xB3\xCF\x81") + // γρ, in small letters
                       Entry(1, search, "http://search.example/?q=$W$", "", "", "s") +
                       "[SYSTEM]\r\nSound=0\r\nLeft=300\r\nTop=200\r\n");
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());

    // The settings beside the exe were found: the place is theirs.
    tarnwick.HotKey();
    EXPECT_EQ(tarnwick.CommandRect().left, 300);
    EXPECT_EQ(tarnwick.CommandRect().top, 200);
    tarnwick.Type("\x1b");

    // The Greek keyword, typed in small letters, launches the marker in the Japanese folder with
    // its parameters, in the Japanese work folder.
    TypeAndWait(tarnwick, "\xCE\xB3\xCF\x81", [&] { return Logged(folder.MarkerLog(), 1); });
    EXPECT_EQ(e2e::ReadFile(folder.MarkerLog()),
              "params=\xCE\xB1\xCE\xB2\xCE\xB3 \"\xE6\x97\xA5\xE6\x9C\xAC \xE8\xAA\x9E\"|cwd=" +
                  work + "\n");

    // Text after a keyword reaches the address as UTF-8, percent-encoded: an upper-cased ü and
    // an emoji sent as the two halves of its UTF-16 pair.
    const std::string address = "http://search.example/?q=%C3%9C%20%F0%9F%98%80";
    TypeAndWait(tarnwick, "s \xC3\xBC \xF0\x9F\x98\x80\r",
                [&] { return e2e::BrowserLog().find(address) != std::string::npos; });

    // A click into the line saves the place into the file in the Japanese folder.
    tarnwick.HotKey();
    tarnwick.Click(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 4, 4);
    EXPECT_EQ(e2e::IniInt(folder.Settings(), "SYSTEM", "Left", -1), 300);
    tarnwick.Type("\x1b");

    // The editor lists the names as they are, and saves a changed one.
    HWND list = nullptr;
    const HWND editor = OpenEditor(tarnwick, list);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(e2e::ListItems(list), (std::vector<std::string>{greek, search}));
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    SendMessageW(editor, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    // An edit box keeps its text to itself: found by asking each one.
    HWND nameBox = nullptr;
    while ((nameBox = FindWindowExW(editor, nameBox, L"Edit", nullptr)) != nullptr &&
           e2e::TextOf(nameBox) != search) {
    }
    ASSERT_NE(nameBox, nullptr);
    const std::wstring renamed = L"\x691C\x7D22 \x30A6\x30A7\x30D6"; // 検索 ウェブ
    SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(renamed.c_str()));
    Press(editor, "Apply");
    Press(editor, "OK");
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(editor); }));
    const std::string saved = e2e::ReadFile(folder.Settings());
    EXPECT_EQ(saved.rfind("[DBSYSTEM]", 0), 0u) << "UTF-8 without a byte-order mark";
    EXPECT_NE(saved.find("Name0=" + greek + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Name1=" + search + " \xE3\x82\xA6\xE3\x82\xA7\xE3\x83\x96\r\n"),
              std::string::npos)
        << saved;
}

using AnsiFile = UnicodeTest;

TEST_F(AnsiFile, ACodePage1252FileReadsLaunchesAndBecomesUtf8AtItsNextSave) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "the system's code page is " << GetACP();
    // The marker in a folder named "café", written in the ANSI code page as an old editor did.
    const std::string cafe = folder.Path() + "caf\xC3\xA9";
    ASSERT_TRUE(e2e::MakeFolder(cafe));
    ASSERT_TRUE(CopyFileW(toolkit::Widen(folder.Marker()).c_str(),
                          toolkit::Widen(cafe + "\\marker.exe").c_str(), FALSE));
    const std::string ansiFolder = folder.Path() + "caf\xE9";
    e2e::WriteFile(folder.Settings(), "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\n" +
                                          Entry(0, "Caf\xE9", ansiFolder + "\\marker.exe", "",
                                                "d\xE9j\xE0 vu", "\xE9t\xE9") +
                                          "[SYSTEM]\r\nSound=0\r\n");
    const std::string log = cafe + "\\marker.log";
    const std::string launched =
        "params=d\xC3\xA9j\xC3\xA0 vu|cwd=" + folder.Path().substr(0, folder.Path().size() - 1) +
        "\n";
    {
        Launcher tarnwick(folder);
        ASSERT_TRUE(tarnwick.Start());
        TypeAndWait(tarnwick, "\xC3\xA9t\xC3\xA9", [&] { return Logged(log, 1); });
        EXPECT_EQ(e2e::ReadFile(log), launched);

        HWND list = nullptr;
        const HWND editor = OpenEditor(tarnwick, list);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(e2e::ListItems(list), (std::vector<std::string>{"Caf\xC3\xA9"}));
        Press(editor, "OK");
        ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(editor); }));
        ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kExit));
        EXPECT_EQ(tarnwick.WaitForExit(10000), 0u);
    }
    const std::string saved = e2e::ReadFile(folder.Settings());
    EXPECT_NE(saved.find("Params0=d\xC3\xA9j\xC3\xA0 vu\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Filename0=" + cafe + "\\marker.exe\r\n"), std::string::npos) << saved;

    // Read again, now as UTF-8: the same entry launches the same way.
    Launcher again(folder);
    ASSERT_TRUE(again.Start());
    TypeAndWait(again, "\xC3\xA9t\xC3\xA9", [&] { return Logged(log, 2); });
    EXPECT_EQ(e2e::ReadFile(log), launched + launched);
}

} // namespace
