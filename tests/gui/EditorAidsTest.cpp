// The database editor's aids under Wine, in its real window: the balloon on the keyword box for a
// keyword typing cannot reach, entries whose file or folder is missing found off the interface
// thread and drawn grey with a mark, the list's right-click menu, and files dropped onto the
// editor or the command window through a real WM_DROPFILES.
#include "app/Tarnwick.h"
#include "forms/Database.h"
#include "support/Capture.h"
#include "support/Recorder.h"
#include "support/TempFiles.h"
#include "toolkit/Application.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using toolkit::Application;

namespace {

// A drop as the shell hands it over: DROPFILES and the wide paths after it, in global memory
// that the window's handler releases.
WPARAM MakeDrop(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const auto& path : paths)
        list += path + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
    (void)GlobalUnlock(memory);
    return reinterpret_cast<WPARAM>(memory);
}

// U: and V: are drives that do not answer until the test lets them; then nothing is there.
HANDLE gReleaseU = nullptr, gReleaseV = nullptr;
bool HangingProbe(const std::wstring& path, bool folder) {
    for (const auto& [drive, release] : {std::pair{L"U:", gReleaseU}, std::pair{L"V:", gReleaseV}})
        if (path.rfind(drive, 0) == 0) {
            (void)WaitForSingleObject(release, 30000);
            return true;
        }
    return toolkit::PathAbsent(path, folder);
}

class EditorAidsTest : public ::testing::Test {
protected:
    void SetUp() override {
        recorder.ModulePath = temp.Path("Tarnwick.exe");
        app = std::make_unique<Application>(recorder);
        app->Initialize();
        form = app->CreateForm<TF_Database>();
        form->CommandOptions = [this] { return options; };
    }
    void Add(const std::string& name, const std::string& file, const std::string& dir = "",
             const std::string& keyword = "") {
        form->Entries.Append({name, file, dir, "", keyword});
    }
    void Open() {
        form->Show();
        app->ProcessMessages();
    }
    bool WaitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 500 && !done(); ++i) {
            app->ProcessMessages();
            Sleep(10);
        }
        return done();
    }
    void Select(int k) {
        form->ListBox1.SetItemIndex(k);
        form->ListBox1Click();
    }
    void Type(const std::string& text) {
        for (const char c : text)
            (void)SendMessageW(form->Edit5.Handle(), WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    // The list as it paints itself: the pixels inside row k (clear of a focus rectangle), counted
    // by colour.
    struct Row {
        int Text = 0, Grey = 0;
        int Mark = 0; // at the row's right end, anything but the row's background
    };
    Row Painted(int k) {
        const HWND list = form->ListBox1.Handle();
        const int h = form->ListBox1.ItemHeight();
        RECT rc{};
        (void)GetClientRect(list, &rc);
        const auto pixels = testing_support::CaptureClient(list, [&](HDC dc, const RECT&) {
            (void)SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                               PRF_CLIENT | PRF_ERASEBKGND);
        });
        const auto at = [&](int x, int y) {
            return pixels[static_cast<std::size_t>(y * rc.right + x)];
        };
        const int right = rc.right - form->Scale(2); // where the marks end
        const COLORREF back = at(right, k * h + h / 2);
        Row row;
        for (int y = k * h + 1; y < (k + 1) * h - 1; ++y)
            for (int x = 1; x < right; ++x) {
                row.Text += at(x, y) == GetSysColor(COLOR_WINDOWTEXT);
                row.Grey += at(x, y) == GetSysColor(COLOR_GRAYTEXT);
                row.Mark += x >= right - h && at(x, y) != back;
            }
        return row;
    }

    testing_support::TempDir temp{"tarnwick-aids-"};
    testing_support::Recorder recorder;
    TCommandOptions options;
    std::unique_ptr<Application> app;
    TF_Database* form = nullptr;
};

// ---- keyword clashes ---------------------------------------------------------------------------

TEST_F(EditorAidsTest, ConfirmingAKeywordThatHidesOrIsHiddenShowsABalloonAndSavesAllTheSame) {
    Add("Note", "note.exe", "", "NOTE");
    Add("Notes", "notes.exe", "", "NOTES");
    Add("Other note", "other.exe", "", "NOTE");
    Open();
    Select(2);
    form->Button3.Click(); // Apply: NOTE is another's keyword exactly, and NOTES begins with it
    ASSERT_TRUE(IsWindowVisible(form->KeywordTip.Handle()));
    EXPECT_EQ(form->KeywordTip.Control(), form->Edit5.Handle());
    EXPECT_EQ(form->KeywordTip.Text(),
              "NOTES cannot be typed: NOTE launches as soon as it is typed. To reach NOTES, turn "
              "off \"Do not want Enter key for completion\", or choose another keyword.");
    // Under the keyword box, where it points.
    RECT box{}, tip{};
    (void)GetWindowRect(form->Edit5.Handle(), &box);
    (void)GetWindowRect(form->KeywordTip.Handle(), &tip);
    EXPECT_GE(tip.top, box.bottom - 2);
    EXPECT_LT(tip.left, box.right);

    Type("X"); // typing into the box answers the balloon
    EXPECT_FALSE(IsWindowVisible(form->KeywordTip.Handle()));

    // Adding the longer one: the new entry is saved and the balloon says why it cannot be typed.
    form->Button1.Click();
    form->Edit1.SetText("Notebook");
    form->Edit5.SetText("NOTEBOOK");
    form->Button1.Click();
    EXPECT_EQ(form->Entries.At(3).Keyword, "NOTEBOOK");
    EXPECT_TRUE(IsWindowVisible(form->KeywordTip.Handle()));
    EXPECT_EQ(form->KeywordTip.Text().substr(0, 26), "NOTEBOOK cannot be typed: ");

    // With Enter needed every keyword is typed to its end: no balloon.
    options.NoEnter = false;
    form->Button3.Click();
    EXPECT_FALSE(IsWindowVisible(form->KeywordTip.Handle()));

    // No balloon stays behind on the screen when the editor goes.
    options.NoEnter = true;
    form->Button3.Click();
    ASSERT_TRUE(IsWindowVisible(form->KeywordTip.Handle()));
    form->Button4.Click(); // OK
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(IsWindowVisible(form->KeywordTip.Handle()));
}

// ---- missing targets ---------------------------------------------------------------------------

TEST_F(EditorAidsTest, MissingFilesAndFoldersAreDrawnGreyWithAMarkAndNamedInABalloon) {
    testing_support::WriteAll(temp.Path("present.exe"), "");
    const std::string absent = temp.Path("absent.exe");
    Add("Present", temp.Path("present.exe"), temp.Dir().string() + "\\");
    Add("Absent", absent);
    Add("No folder", temp.Path("present.exe"), temp.Path("gone"));
    Add("Folder as file", temp.Dir().string(), temp.Path("present.exe"));
    Add("Found on the PATH", "notepad.exe", "relative\\folder");
    Add("Address", "https://example.com/");
    Open();
    ASSERT_TRUE(WaitFor([&] { return form->TargetMissing(1) && form->TargetMissing(2); }));
    EXPECT_TRUE(WaitFor([&] { return form->TargetMissing(3); })) << "a file is no start folder";
    for (int k : {0, 4, 5})
        EXPECT_FALSE(form->TargetMissing(k)) << k;

    const Row present = Painted(0), missing = Painted(1);
    EXPECT_GT(present.Text, 0);
    EXPECT_EQ(present.Mark, 0);
    EXPECT_EQ(missing.Text, 0);
    EXPECT_GT(missing.Grey, 0);
    EXPECT_GT(missing.Mark, 0);
    EXPECT_EQ(form->ListBox1.Item(1), "Absent"); // the item's text stays the name

    Select(1);
    ASSERT_TRUE(IsWindowVisible(form->TargetTip.Handle()));
    EXPECT_EQ(form->TargetTip.Control(), form->Edit2.Handle());
    EXPECT_EQ(form->TargetTip.Text(), absent);
    Select(2);
    EXPECT_EQ(form->TargetTip.Control(), form->Edit3.Handle());
    EXPECT_EQ(form->TargetTip.Text(), temp.Path("gone"));
    Select(0);
    EXPECT_FALSE(IsWindowVisible(form->TargetTip.Handle()));

    // The file made and Apply pressed: looked for again, and found.
    testing_support::WriteAll(absent, "");
    Select(1);
    form->Button3.Click();
    EXPECT_TRUE(WaitFor([&] { return !form->TargetMissing(1); }));
    EXPECT_TRUE(form->TargetMissing(2));
}

TEST_F(EditorAidsTest, ADriveThatDoesNotAnswerHoldsUpNeitherTheWindowNorOtherDrives) {
    gReleaseU = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    gReleaseV = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    form->TargetProbe = &HangingProbe;
    Add("Unreachable", "U:\\share\\tool.exe");
    Add("Absent", temp.Path("absent.exe"));
    Open(); // the window came up while U: is being asked
    EXPECT_TRUE(WaitFor([&] { return form->TargetMissing(1); }));
    EXPECT_FALSE(form->TargetMissing(0));

    // U: answers only after the entry was changed to a path on V:: the answer to the earlier
    // look is not taken for what the new look asks in its place.
    Select(0);
    form->Edit2.SetText("V:\\tool.exe");
    form->Button3.Click();
    (void)SetEvent(gReleaseU);
    Sleep(200);
    app->ProcessMessages();
    EXPECT_FALSE(form->TargetMissing(0));
    EXPECT_TRUE(form->TargetMissing(1));
    (void)SetEvent(gReleaseV);
    EXPECT_TRUE(WaitFor([&] { return form->TargetMissing(0); }));
    (void)CloseHandle(gReleaseU);
    (void)CloseHandle(gReleaseV);
}

// ---- the right-click menu ----------------------------------------------------------------------

TEST_F(EditorAidsTest, RightClickSelectsTheEntryAndOffersLaunchFileLocationAndRunAsAdministrator) {
    Add("Web", "https://example.com/");
    Add("Tool", "%TOOLS%\\tool.exe", "C:\\Tools\\");
    recorder.Environment["TOOLS"] = "C:\\Tools";
    form->TargetProbe = [](const std::wstring&, bool) { return false; }; // nothing missing
    Open();
    struct Shown {
        std::vector<std::string> Items;
        std::vector<UINT> States;
    } shown;
    UINT choice = 0;
    form->PopupMenu1->Track = [&](HMENU menu, int, int, HWND owner) -> UINT {
        EXPECT_EQ(owner, form->Handle());
        shown = {};
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = L"";
            (void)GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
            shown.Items.push_back(toolkit::Narrow(text));
            shown.States.push_back(GetMenuState(menu, i, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED));
        }
        return choice;
    };
    // A right button click on the second entry, as the list box reports it.
    const HWND list = form->ListBox1.Handle();
    const int h = form->ListBox1.ItemHeight();
    const LPARAM at = MAKELPARAM(5, h + h / 2);
    (void)SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
    (void)SendMessageW(list, WM_RBUTTONUP, 0, at);
    EXPECT_EQ(form->ListBox1.ItemIndex(), 1);
    EXPECT_EQ(form->Edit1.Text(), "Tool");
    EXPECT_EQ(shown.Items, (std::vector<std::string>{"Launch", "Open file location",
                                                     "Run as administrator", "Hot key..."}));
    EXPECT_EQ(shown.States, (std::vector<UINT>{0, 0, 0, 0}));

    choice = 3; // Run as administrator: marked at once, checked next time, shield drawn
    EXPECT_EQ(Painted(1).Mark, 0);
    form->ListBox1ContextPopup(-1, -1); // the keyboard's menu key
    EXPECT_TRUE(form->Entries.At(1).RunAs);
    EXPECT_GT(Painted(1).Mark, 0);
    choice = 1; // Launch: as the key would, with runas
    form->ListBox1ContextPopup(-1, -1);
    EXPECT_EQ(shown.States[2], static_cast<UINT>(MF_CHECKED));
    choice = 2; // Open file location: Explorer with the file selected
    form->ListBox1ContextPopup(-1, -1);
    EXPECT_EQ(recorder.Lines(),
              (std::vector<std::string>{
                  "tryexecute runas|C:\\Tools\\tool.exe||C:\\Tools\\|1", "beep 0",
                  "execute open|C:\\Windows\\explorer.exe|/select,\"C:\\Tools\\tool.exe\"||1"}));

    // An address has no file location; below the last entry there is no menu at all.
    choice = 0;
    Select(0);
    form->ListBox1ContextPopup(-1, -1);
    EXPECT_EQ(shown.States[1], static_cast<UINT>(MF_GRAYED));
    shown = {};
    POINT below{5, 3 * h + 2};
    (void)ClientToScreen(list, &below);
    form->ListBox1ContextPopup(below.x, below.y);
    EXPECT_TRUE(shown.Items.empty());
    form->Button1.Click(); // adding: the list is locked, and so is its menu
    form->ListBox1ContextPopup(-1, -1);
    EXPECT_TRUE(shown.Items.empty());
}

// ---- dropped files -----------------------------------------------------------------------------

TEST_F(EditorAidsTest, AFileDroppedOntoTheEditorStartsANewEntryFromIt) {
    Add("Alpha", "alpha.exe");
    Open();
    Select(0);
    (void)SendMessageW(form->Handle(), WM_DROPFILES,
                       MakeDrop({L"C:\\Links\\Note pad.lnk", L"C:\\second.exe"}), 0);
    EXPECT_FALSE(form->Button3.Enabled()); // adding
    EXPECT_EQ(form->Edit1.Text(), "Note pad");
    EXPECT_EQ(form->Edit2.Text(), "C:\\Links\\Note pad.lnk"); // the shortcut itself
    EXPECT_EQ(form->Edit3.Text(), "C:\\Links\\");
    EXPECT_EQ(form->Edit5.Text(), "");
    EXPECT_TRUE(form->Edit5.Focused());
    form->Button2.Click(); // Cancel
    EXPECT_EQ(form->Entries.Count(), 1);
    EXPECT_NE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
}

// What the replaced activation calls saw, and whether Windows refuses the front.
std::vector<HWND> gFlashed;
std::vector<DWORD> gFlashFlags;
bool gRefuseFront = false;

TEST_F(EditorAidsTest, ADroppedFileFlashesTheEditorWhereWindowsRefusesItTheFront) {
    Open();
    gFlashed.clear();
    gFlashFlags.clear();
    gRefuseFront = false;
    form->FlashCall = [](FLASHWINFO* info) -> BOOL {
        gFlashed.push_back(info->hwnd);
        gFlashFlags.push_back(info->dwFlags);
        return TRUE;
    };
    form->ForegroundCall = [](HWND) -> BOOL { return gRefuseFront ? FALSE : TRUE; };
    std::vector<HWND>& flashed = gFlashed;
    std::vector<DWORD>& flags = gFlashFlags;
    bool& refuse = gRefuseFront;
    form->AddDroppedFile("C:\\a.exe");
    EXPECT_TRUE(flashed.empty()) << "brought to the front: nothing to show";
    form->Button2.Click();
    refuse = true; // the drag's source holds the input, as on Windows
    form->AddDroppedFile("C:\\b.exe");
    EXPECT_EQ(flashed, (std::vector<HWND>{form->Handle()}));
    EXPECT_EQ(flags, (std::vector<DWORD>{FLASHW_ALL | FLASHW_TIMERNOFG}));
    EXPECT_EQ(form->Edit2.Text(), "C:\\b.exe");
}

TEST(DropOntoTheCommandWindow, OpensTheEditorAddingAnEntryFromTheFolder) {
    testing_support::TempDir temp{"tarnwick-drop-"};
    testing_support::Recorder recorder;
    recorder.ModulePath = temp.Path("Tarnwick.exe");
    Application app(recorder);
    app.Initialize();
    TTarnwick* tarnwick = app.CreateForm<TTarnwick>();
    tarnwick->Execute1Click();
    EXPECT_NE(GetWindowLongPtrW(tarnwick->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    const std::string folder = temp.Path("My Tools");
    (void)CreateDirectoryW(toolkit::Widen(folder).c_str(), nullptr);
    (void)SendMessageW(tarnwick->Handle(), WM_DROPFILES, MakeDrop({toolkit::Widen(folder)}), 0);
    EXPECT_FALSE(tarnwick->Visible());
    ASSERT_TRUE(F_Database->Visible());
    EXPECT_FALSE(F_Database->Button3.Enabled());
    EXPECT_EQ(F_Database->Edit1.Text(), "My Tools");
    EXPECT_EQ(F_Database->Edit2.Text(), folder);
    EXPECT_EQ(F_Database->Edit3.Text(), ""); // a folder starts nowhere in particular
    EXPECT_TRUE(F_Database->Edit5.Focused());
}

} // namespace
