// The database editor under Wine: its layout, browsing, adding, applying and deleting with the list
// and Entries in step, the file and folder buttons, saving to a real settings file in a temporary
// folder, and a close request that hides instead of ending the launcher. The Recorder answers the
// delete question and both dialogs.
#include "app/KeyEntry.h"
#include "app/Tarnwick.h"
#include "forms/Database.h"
#include "support/Capture.h"
#include "support/LauncherWindows.h"
#include "support/Recorder.h"
#include "toolkit/Application.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using toolkit::App;
using toolkit::Application;

namespace {

std::string MakeTempFolder() {
    static int serial = 0;
    char temp[MAX_PATH + 1] = {};
    (void)GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "tarnwick-db-" +
                               std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++serial);
    (void)CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..")
                (void)DeleteFileA((folder + "\\" + name).c_str());
        } while (FindNextFileA(find, &found));
        (void)FindClose(find);
    }
    (void)RemoveDirectoryA(folder.c_str());
}

// One key as the platform's own reader sees it; "<missing>" when it is not there.
std::string IniValue(const std::string& path, const char* section, const std::string& key) {
    char value[512] = {};
    (void)GetPrivateProfileStringA(section, key.c_str(), "<missing>", value, sizeof value,
                                   path.c_str());
    return value;
}

// A test entry; its keyword is upper-case, as the upper-case keyword box would show it anyway.
TDBItem Item(const std::string& name) {
    std::string keyword = name + "KEY";
    for (char& c : keyword)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return {name, "C:\\Apps\\" + name + ".exe", "C:\\Apps\\", "/" + name, keyword};
}

class DatabaseWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTempFolder();
        recorder.ModulePath = folder + "\\Tarnwick.exe";
        app = std::make_unique<Application>(recorder);
        app->Initialize();
        app->SetTitle("Tarnwick");
        form = app->CreateForm<TF_Database>();
        testing_support::MakeHiddenWindowsControls();
    }
    void TearDown() override {
        app.reset();
        RemoveFolder(folder);
    }

    std::string IniPath() const { return folder + "\\\\Tarnwick.ini"; }

    void Load(const std::vector<std::string>& names) {
        for (const auto& name : names)
            form->Entries.Append(Item(name));
    }
    void Open() {
        form->Show();
        app->ProcessMessages();
    }
    // The user picks an item with the mouse, as the list box reports it.
    void ClickItem(int index) {
        RECT rc{};
        ASSERT_NE(SendMessageA(form->ListBox1.Handle(), LB_GETITEMRECT, index,
                               reinterpret_cast<LPARAM>(&rc)),
                  LB_ERR);
        const LPARAM at = MAKELPARAM(rc.left + 4, (rc.top + rc.bottom) / 2);
        (void)SendMessageA(form->ListBox1.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        (void)SendMessageA(form->ListBox1.Handle(), WM_LBUTTONUP, 0, at);
        app->ProcessMessages();
    }
    void Type(const toolkit::Edit& edit, const std::string& text) {
        for (const char c : text)
            (void)SendMessageA(edit.Handle(), WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    void SetBoxes(const TDBItem& item) {
        form->Edit1.SetText(item.Name);
        form->Edit2.SetText(item.Filename);
        form->Edit3.SetText(item.Directory);
        form->Edit4.SetText(item.Params);
        form->Edit5.SetText(item.Keyword);
    }
    std::vector<std::string> Boxes() const {
        return {form->Edit1.Text(), form->Edit2.Text(), form->Edit3.Text(), form->Edit4.Text(),
                form->Edit5.Text()};
    }
    static std::vector<std::string> Fields(const TDBItem& item) {
        return {item.Name, item.Filename, item.Directory, item.Params, item.Keyword};
    }
    std::vector<std::string> ListItems() const {
        std::vector<std::string> items;
        for (int i = 0; i < form->ListBox1.Count(); ++i)
            items.push_back(form->ListBox1.Item(i));
        return items;
    }
    std::vector<std::string> EntryNames() const {
        std::vector<std::string> names;
        for (int i = 0; i < form->Entries.Count(); ++i)
            names.push_back(form->Entries.At(i).Name);
        return names;
    }
    // The list box and Entries run in parallel, and the boxes show the selected entry.
    void ExpectInStep() const {
        EXPECT_EQ(ListItems(), EntryNames());
        const int k = form->ListBox1.ItemIndex();
        if (k >= 0)
            EXPECT_EQ(Boxes(), Fields(form->Entries.At(k)));
        else
            EXPECT_EQ(Boxes(), std::vector<std::string>(5));
    }
    void ExpectBrowsing() const {
        EXPECT_EQ(form->Button1.Text(), "New");
        EXPECT_EQ(form->Button2.Text(), "Delete");
        EXPECT_TRUE(form->Button1.Enabled());
        EXPECT_TRUE(form->Button2.Enabled());
        EXPECT_TRUE(form->Button3.Enabled());
        EXPECT_TRUE(form->Button4.Enabled());
        EXPECT_TRUE(form->ListBox1.Enabled());
    }

    const std::vector<std::string> none = std::vector<std::string>(5);
    std::string folder;
    testing_support::Recorder recorder;
    std::unique_ptr<Application> app;
    TF_Database* form = nullptr;
};

// ---- layout ------------------------------------------------------------------------------------

LOGFONTA FontOf(HWND control) {
    LOGFONTA lf{};
    const auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    (void)GetObjectA(font, sizeof lf, &lf);
    return lf;
}

TEST_F(DatabaseWindowTest, WindowIsACentredCaptionedDialogFrameWithoutTitleBarButtons) {
    char caption[64] = {};
    (void)GetWindowTextA(form->Handle(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Tarnwick database");
    char cls[64] = {};
    (void)GetClassNameA(form->Handle(), cls, sizeof cls);
    EXPECT_STREQ(cls, "TF_Database");
    EXPECT_EQ(F_Database, form);
    EXPECT_EQ(app->MainForm(), form); // the first form complete, as at start
    EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), app->Handle());

    const LONG_PTR style = GetWindowLongPtrA(form->Handle(), GWL_STYLE);
    const LONG_PTR ex = GetWindowLongPtrA(form->Handle(), GWL_EXSTYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(ex & WS_EX_DLGMODALFRAME, 0);
    EXPECT_FALSE(form->Visible()); // built hidden

    EXPECT_EQ(form->ClientWidth(), form->Scale(317));
    EXPECT_EQ(form->ClientHeight(), form->Scale(337));
    RECT work{};
    (void)SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(form->Left() + form->Width() / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR(form->Top() + form->Height() / 2, (work.top + work.bottom) / 2, 1);
}

bool SystemHasFont(const char* face) {
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    (void)EnumFontFamiliesExA(
        dc, &wanted,
        [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    (void)ReleaseDC(nullptr, dc);
    return found;
}

// The face the system really draws a control's text with.
std::string RealizedFace(HWND control) {
    HDC dc = GetDC(control);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    char face[LF_FACESIZE] = {};
    (void)GetTextFaceA(dc, sizeof face, face);
    (void)SelectObject(dc, old);
    (void)ReleaseDC(control, dc);
    return face;
}

TEST_F(DatabaseWindowTest, HeaderPicturesBevelsAndTheBoxesAreBuiltAsTheLayoutAsks) {
    for (const char* name : {"Image1", "Image2", "Image3", "Label2", "Label8"})
        EXPECT_EQ(GetParent(form->Control(name)), form->Panel1.Handle()) << name;
    // The three pictures are decoded from the program's resources.
    for (const auto* image : {&form->Image1, &form->Image2, &form->Image3})
        EXPECT_NE(image->Picture(), nullptr);
    EXPECT_NE(GetWindowLongPtrA(form->Label8.Handle(), GWL_STYLE) & SS_RIGHT, 0);
    // The bevels are lines along their top edges across the whole window (the system may add an
    // edge to an etched line, which the window then clips).
    for (const auto& [name, top] : {std::pair{"Bevel1", 85}, std::pair{"Bevel2", 200}}) {
        const RECT r = toolkit::TWinControl(form->Control(name)).Bounds();
        EXPECT_EQ(r.top, form->Scale(top)) << name;
        EXPECT_EQ(r.left, 0) << name;
        EXPECT_GE(r.right, form->ClientWidth()) << name;
        EXPECT_LE(r.bottom - r.top, 2) << name;
    }
    EXPECT_TRUE(form->Edit5.UpperCase());
    for (const auto* edit : {&form->Edit1, &form->Edit2, &form->Edit3, &form->Edit4})
        EXPECT_FALSE(edit->UpperCase());
    EXPECT_GE(FontOf(form->Edit5.Handle()).lfWeight, FW_BOLD);
    EXPECT_LT(FontOf(form->Edit4.Handle()).lfWeight, FW_BOLD);

    // The folder buttons show "1" in Wingdings, an open folder. Asked for with the default
    // character set, Wine hands out a text font instead: they must ask for the symbol set, and
    // really get the font where the system has it.
    for (const auto* button : {&form->SpeedButton1, &form->SpeedButton2}) {
        EXPECT_EQ(button->Text(), "1");
        const LOGFONTA lf = FontOf(button->Handle());
        EXPECT_STREQ(lf.lfFaceName, "Wingdings");
        EXPECT_EQ(lf.lfCharSet, SYMBOL_CHARSET);
        EXPECT_EQ(lf.lfHeight, form->Scale(-13));
        if (SystemHasFont("Wingdings")) {
            EXPECT_EQ(RealizedFace(button->Handle()), "Wingdings");
        }
    }
}

// What a control is painted with: its parent's answer to WM_CTLCOLORSTATIC, and the pixels that
// answer paints the control's background with, on a memory DC of the control's size.
struct Painted {
    COLORREF Text;
    int BackMode;
    std::vector<COLORREF> Back; // row by row
    int Width;
    COLORREF At(int x, int y) const { return Back[static_cast<std::size_t>(y * Width + x)]; }
};
Painted PaintedWith(HWND control) {
    Painted p{};
    p.Back = testing_support::CaptureClient(control, [&](HDC dc, const RECT& rc) {
        testing_support::FillWithStaticBrush(control, dc, rc);
        p.Text = GetTextColor(dc);
        p.BackMode = GetBkMode(dc);
        p.Width = rc.right;
    });
    return p;
}

// One pixel of a picture control's bitmap.
COLORREF PicturePixel(const toolkit::Image& image, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, image.Picture());
    const COLORREF colour = GetPixel(dc, x, y);
    (void)SelectObject(dc, old);
    (void)DeleteDC(dc);
    return colour;
}

COLORREF ErasedColour(HWND window) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    HGDIOBJ old = SelectObject(dc, bitmap);
    (void)SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const COLORREF colour = GetPixel(dc, 2, 2);
    (void)SelectObject(dc, old);
    (void)DeleteObject(bitmap);
    (void)DeleteDC(dc);
    (void)ReleaseDC(nullptr, screen);
    return colour;
}

TEST_F(DatabaseWindowTest, HeaderIsWhiteWithItsLabelsDrawnInTheirColoursOverThePictures) {
    constexpr COLORREF white = RGB(255, 255, 255);
    EXPECT_EQ(ErasedColour(form->Panel1.Handle()), white);
    EXPECT_EQ(ErasedColour(form->Handle()), GetSysColor(COLOR_BTNFACE));

    // "ver 1.0" sits on the badge in the lower part of Image3 and reaches below the picture:
    // its background is the picture where the picture is, and the picture's last row carried
    // on under it, so that the light text never stands on the white panel.
    const Painted version = PaintedWith(form->Label2.Handle());
    EXPECT_EQ(version.Text, RGB(255, 206, 206));
    EXPECT_EQ(version.BackMode, TRANSPARENT);
    const RECT label = form->Label2.Bounds();
    const RECT image = form->Image3.Bounds();
    int differing = 0;
    for (int y = 0; y < label.bottom - label.top; ++y) {
        for (int x = 0; x < label.right - label.left; ++x) {
            const int px = label.left + x - image.left;
            const int py = label.top + y - image.top;
            const COLORREF expected =
                PicturePixel(form->Image3, px, std::min<int>(py, image.bottom - image.top - 1));
            differing += version.At(x, y) != expected;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_NE(version.At(2, 2), white); // the picture's badge is really there
    EXPECT_NE(version.At(2, label.bottom - label.top - 1), white); // down to the last row

    const Painted freeware = PaintedWith(form->Label8.Handle());
    EXPECT_EQ(freeware.Text, RGB(192, 192, 192));
    EXPECT_EQ(freeware.BackMode, TRANSPARENT);
    EXPECT_EQ(freeware.At(0, 0), white);
    EXPECT_EQ(PaintedWith(form->Label1.Handle()).Text, GetSysColor(COLOR_WINDOWTEXT));
}

TEST_F(DatabaseWindowTest, TabVisitsTheControlsInLayoutOrderAndSkipsTheFolderButtons) {
    Open();
    const std::vector<HWND> expected = {form->ListBox1.Handle(), form->Button1.Handle(),
                                        form->Button2.Handle(),  form->Button3.Handle(),
                                        form->Edit1.Handle(),    form->Edit2.Handle(),
                                        form->Edit3.Handle(),    form->Edit4.Handle(),
                                        form->Edit5.Handle(),    form->Button4.Handle()};
    std::vector<HWND> visited;
    HWND at = GetNextDlgTabItem(form->Handle(), nullptr, FALSE);
    for (std::size_t i = 0; i < expected.size() && at; ++i) {
        visited.push_back(at);
        at = GetNextDlgTabItem(form->Handle(), at, FALSE);
    }
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(at, expected.front()); // and round again
    for (const auto* button : {&form->SpeedButton1, &form->SpeedButton2}) {
        EXPECT_EQ(GetWindowLongPtrA(button->Handle(), GWL_STYLE) & WS_TABSTOP, 0);
        // A click on it leaves the focus where it was.
        form->Edit4.SetFocus();
        (void)SendMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        (void)SendMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        EXPECT_TRUE(form->Edit4.Focused());
    }
}

// ---- browsing ----------------------------------------------------------------------------------

TEST_F(DatabaseWindowTest, OpensWithEveryNameNothingSelectedAndEmptyBoxesEvenAfterASelection) {
    Load({"Alpha", "Beta", "Gamma"});
    Open();
    EXPECT_EQ(ListItems(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(form->ListBox1.ItemIndex(), -1);
    EXPECT_EQ(Boxes(), none); // the design texts never show
    ExpectBrowsing();

    ClickItem(1);
    EXPECT_EQ(form->ListBox1.ItemIndex(), 1);
    EXPECT_EQ(Boxes(), Fields(Item("Beta")));
    (void)SendMessageA(form->ListBox1.Handle(), WM_KEYDOWN, VK_DOWN, 0); // keyboard too
    EXPECT_EQ(Boxes(), Fields(Item("Gamma")));

    form->Button4.Click(); // OK hides it with Gamma selected
    EXPECT_FALSE(form->Visible());
    form->Entries.Append(Item("Delta")); // the command window may change the list meanwhile
    Open();
    EXPECT_EQ(ListItems(), (std::vector<std::string>{"Alpha", "Beta", "Gamma", "Delta"}));
    EXPECT_EQ(form->ListBox1.ItemIndex(), -1);
    EXPECT_EQ(Boxes(), none);

    // Showing it again while shown does not rebuild it.
    ClickItem(0);
    form->Show();
    EXPECT_EQ(form->ListBox1.ItemIndex(), 0);
}

TEST_F(DatabaseWindowTest, AnUnappliedEditIsLostWhenTheSelectionChanges) {
    Load({"Alpha", "Beta"});
    Open();
    ClickItem(0);
    form->Edit1.SetText("Changed");
    form->Edit5.SetText("OTHER");
    ClickItem(1);
    ClickItem(0);
    EXPECT_EQ(Boxes(), Fields(Item("Alpha")));
    EXPECT_EQ(form->Entries.At(0).Name, "Alpha");
    EXPECT_EQ(form->ListBox1.Item(0), "Alpha");
}

TEST_F(DatabaseWindowTest, AListReadAgainIsShownUnlessTheUserHasChangesOfTheirOwn) {
    Load({"Alpha", "Beta"});
    Open();
    ClickItem(1);
    EXPECT_FALSE(form->HoldsChanges());
    Type(form->Edit4, "x"); // typed, not applied
    EXPECT_TRUE(form->HoldsChanges());
    ClickItem(0);
    EXPECT_FALSE(form->HoldsChanges());
    TEntries read;
    read.Append(Item("Gamma"));
    read.Append(Item("Delta"));
    form->TakeUp(read); // the shown list follows, at the same place
    EXPECT_EQ(ListItems(), (std::vector<std::string>{"Gamma", "Delta"}));
    EXPECT_EQ(form->ListBox1.ItemIndex(), 0);
    ExpectInStep();
    form->Button1.Click(); // adding
    EXPECT_TRUE(form->HoldsChanges());
    form->Button2.Click();
    form->Button3.Click(); // applied
    EXPECT_TRUE(form->HoldsChanges());
}

TEST_F(DatabaseWindowTest, ApplyRenamesInPlaceKeepsTheSelectionAndDoesNothingWithoutOne) {
    Load({"Alpha", "Beta", "Gamma"});
    Open();
    SetBoxes(Item("Zeta"));
    form->Button3.Click(); // nothing selected: nothing happens
    EXPECT_EQ(EntryNames(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(ListItems(), EntryNames());

    ClickItem(1);
    SetBoxes({"Renamed", "D:\\new.exe", "", "", ""});
    form->Button3.Click();
    EXPECT_EQ(ListItems(), (std::vector<std::string>{"Alpha", "Renamed", "Gamma"}));
    EXPECT_EQ(form->ListBox1.ItemIndex(), 1);
    EXPECT_EQ(Fields(form->Entries.At(1)),
              (std::vector<std::string>{"Renamed", "D:\\new.exe", "", "", ""}));
    EXPECT_EQ(form->Entries.Count(), 3);
    ExpectInStep();
    EXPECT_TRUE(recorder.Calls.empty()); // nothing saved, nothing asked
}

TEST_F(DatabaseWindowTest, AKeywordTypedInLowerCaseIsShownAndStoredInUpperCase) {
    Load({"Alpha"});
    Open();
    ClickItem(0);
    form->Edit5.SetText("");
    Type(form->Edit5, "notepad");
    EXPECT_EQ(form->Edit5.Text(), "NOTEPAD");
    form->Button3.Click();
    EXPECT_EQ(form->Entries.At(0).Keyword, "NOTEPAD");

    // A keyword stored in lower case by hand shows in upper case, and Apply stores it so.
    form->Entries.At(0).Keyword = "calc";
    form->ListBox1Click();
    EXPECT_EQ(form->Edit5.Text(), "CALC");
    form->Button3.Click();
    EXPECT_EQ(form->Entries.At(0).Keyword, "CALC");
}

// ---- deleting ----------------------------------------------------------------------------------

TEST_F(DatabaseWindowTest, DeleteWithoutASelectionAsksNothingAndChangesNothing) {
    Open(); // an empty database
    form->Button2.Click();
    form->Button3.Click();
    EXPECT_TRUE(recorder.Only("messagebox").empty());
    EXPECT_EQ(form->Entries.Count(), 0);

    Load({"Alpha", "Beta"});
    form->Hide();
    Open();
    form->Button2.Click();
    EXPECT_TRUE(recorder.Only("messagebox").empty());
    EXPECT_EQ(form->Entries.Count(), 2);
    ExpectInStep();
}

TEST_F(DatabaseWindowTest, DeleteAnsweredNoKeepsEverything) {
    Load({"Alpha", "Beta", "Gamma"});
    Open();
    ClickItem(1);
    recorder.MessageBoxAnswers = {IDNO};
    form->Button2.Click();
    const auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Owner, form->Handle());
    EXPECT_EQ(boxes[0].Args, (std::vector<std::string>{"Are you sure?", "Delete?"}));
    EXPECT_EQ(boxes[0].Number, 0x34);
    EXPECT_EQ(EntryNames(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(form->ListBox1.ItemIndex(), 1);
    ExpectInStep();
}

TEST_F(DatabaseWindowTest, DeletingSelectsTheNeighbourThatTookThePlaceOrTheNewLast) {
    Load({"A", "B", "C"});
    Open();
    recorder.MessageBoxAnswers = {IDYES, IDYES, IDYES, IDYES};

    ClickItem(1); // the middle: C moves up and is selected
    form->Button2.Click();
    EXPECT_EQ(EntryNames(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(form->ListBox1.ItemIndex(), 1);
    EXPECT_EQ(form->Edit1.Text(), "C");
    ExpectInStep();

    ClickItem(1); // the last: the new last is selected
    form->Button2.Click();
    EXPECT_EQ(EntryNames(), (std::vector<std::string>{"A"}));
    EXPECT_EQ(form->ListBox1.ItemIndex(), 0);
    EXPECT_EQ(form->Edit1.Text(), "A");
    ExpectInStep();

    form->Button2.Click(); // the only one: nothing left to select
    EXPECT_EQ(form->Entries.Count(), 0);
    EXPECT_EQ(form->ListBox1.Count(), 0);
    EXPECT_EQ(form->ListBox1.ItemIndex(), -1);
    EXPECT_EQ(Boxes(), none);
    EXPECT_EQ(recorder.Only("messagebox").size(), 3u);
    ExpectBrowsing();
}

// ---- adding ------------------------------------------------------------------------------------

TEST_F(DatabaseWindowTest, NewLocksEverythingButOkAndCancelThenCancelShowsTheOldSelection) {
    Load({"A", "B", "C"});
    Open();
    ClickItem(1);
    form->Button1.Click();
    EXPECT_EQ(form->Button1.Text(), "OK");
    EXPECT_EQ(form->Button2.Text(), "Cancel");
    EXPECT_FALSE(form->Button3.Enabled());
    EXPECT_FALSE(form->Button4.Enabled());
    EXPECT_FALSE(form->ListBox1.Enabled());
    EXPECT_TRUE(form->Button1.Enabled());
    EXPECT_TRUE(form->Button2.Enabled());
    EXPECT_EQ(form->ListBox1.ItemIndex(), 1); // kept for a Cancel
    EXPECT_EQ(Boxes(), none);
    EXPECT_TRUE(form->Edit1.Focused());

    Type(form->Edit1, "Draft");
    form->Button2.Click(); // Cancel
    ExpectBrowsing();
    EXPECT_EQ(EntryNames(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(form->ListBox1.ItemIndex(), 1);
    EXPECT_EQ(Boxes(), Fields(Item("B")));
    EXPECT_TRUE(recorder.Only("messagebox").empty()); // Cancel asks nothing

    // Cancel with nothing selected empties the boxes.
    form->Hide();
    Open();
    form->Button1.Click();
    Type(form->Edit1, "Draft");
    form->Button2.Click();
    EXPECT_EQ(Boxes(), none);
    EXPECT_EQ(form->Entries.Count(), 3);
}

TEST_F(DatabaseWindowTest, NewThenOkAppendsTheBoxesAsTheSelectedLastEntry) {
    Open(); // an empty database: the first entry
    form->Button1.Click();
    Type(form->Edit1, "Notepad");
    Type(form->Edit2, "C:\\Windows\\notepad.exe");
    Type(form->Edit3, "C:\\Windows\\");
    Type(form->Edit4, "readme.txt");
    Type(form->Edit5, "np");
    form->Button1.Click();
    ExpectBrowsing();
    ASSERT_EQ(form->Entries.Count(), 1);
    EXPECT_EQ(Fields(form->Entries.At(0)),
              (std::vector<std::string>{"Notepad", "C:\\Windows\\notepad.exe", "C:\\Windows\\",
                                        "readme.txt", "NP"}));
    EXPECT_EQ(form->ListBox1.ItemIndex(), 0);
    ExpectInStep();

    // Five empty boxes are accepted as they are, and so is a keyword another entry has.
    form->Button1.Click();
    form->Button1.Click();
    form->Button1.Click();
    SetBoxes({"Second", "", "", "", "NP"});
    form->Button1.Click();
    EXPECT_EQ(ListItems(), (std::vector<std::string>{"Notepad", "", "Second"}));
    EXPECT_EQ(Fields(form->Entries.At(1)), none);
    EXPECT_EQ(form->Entries.At(2).Keyword, "NP");
    EXPECT_EQ(form->ListBox1.ItemIndex(), 2);
    ExpectInStep();
}

TEST_F(DatabaseWindowTest, TheCommandWindowLaunchesANewKeywordBeforeOk) {
    Load({"Alpha"});
    Open();
    form->Button1.Click();
    SetBoxes({"Calc", "C:\\Windows\\calc.exe", "C:\\Windows\\", "-x", ""});
    Type(form->Edit5, "calc");
    form->Button1.Click();

    // The command window's key handler, over the editor's live list, typing "calc".
    std::string line;
    bool hide = false;
    for (const char c : std::string("calc")) {
        char key = c;
        hide =
            CommandKeyPress(key, line, TCommandOptions{}, F_Database->Entries, recorder, nullptr);
        line += key;
    }
    EXPECT_TRUE(hide);
    const auto launches = recorder.Only("execute");
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].Args,
              (std::vector<std::string>{"open", "C:\\Windows\\calc.exe", "-x", "C:\\Windows\\"}));
    // Nothing was saved.
    EXPECT_EQ(GetFileAttributesA(IniPath().c_str()), INVALID_FILE_ATTRIBUTES);

    // Applied changes count at once as well.
    form->Edit5.SetText("");
    Type(form->Edit5, "rechner");
    form->Button3.Click();
    recorder.Calls.clear();
    line = "RECHNE";
    char key = 'r';
    EXPECT_TRUE(
        CommandKeyPress(key, line, TCommandOptions{}, F_Database->Entries, recorder, nullptr));
    EXPECT_EQ(recorder.Only("execute").size(), 1u);
}

// The editor inside the launcher as the program builds it: the command window makes it at start,
// loads the settings file into it, shows it from the tray menu and matches its live list.
TEST(DatabaseInTheLauncher, ANewKeywordLaunchesBeforeOkAndIsLostWithoutIt) {
    const std::string folder = MakeTempFolder();
    const std::string ini = folder + "\\Tarnwick.ini";
    (void)WritePrivateProfileStringA("DBSYSTEM", "Count", "1", ini.c_str());
    (void)WritePrivateProfileStringA("DATABASE", "Name0", "Alpha", ini.c_str());
    (void)WritePrivateProfileStringA("DATABASE", "Keyword0", "ALPHA", ini.c_str());
    testing_support::Recorder recorder;
    recorder.ModulePath = folder + "\\Tarnwick.exe";
    {
        Application app(recorder);
        app.Initialize();
        app.SetTitle("Tarnwick");
        TTarnwick* tarnwick = app.CreateForm<TTarnwick>();
        ASSERT_NE(F_Database, nullptr);
        EXPECT_EQ(app.MainForm(), F_Database);

        tarnwick->Database1Click();
        app.ProcessMessages();
        ASSERT_TRUE(F_Database->Visible());
        EXPECT_EQ(F_Database->ListBox1.Item(0), "Alpha");
        F_Database->Button1.Click();
        F_Database->Edit1.SetText("Calc");
        F_Database->Edit2.SetText("C:\\Windows\\calc.exe");
        for (const char c : std::string("calc"))
            (void)SendMessageA(F_Database->Edit5.Handle(), WM_CHAR, static_cast<unsigned char>(c),
                               1);
        F_Database->Button1.Click();

        // Typed into the command window's input line, before the editor's OK.
        tarnwick->Execute1Click();
        for (const char c : std::string("calc"))
            (void)SendMessageA(tarnwick->Edit1.Handle(), WM_CHAR, static_cast<unsigned char>(c), 1);
        const auto launches = recorder.Only("execute");
        ASSERT_EQ(launches.size(), 1u);
        EXPECT_EQ(launches[0].Args[1], "C:\\Windows\\calc.exe");
        EXPECT_FALSE(tarnwick->Visible());

        // Alt+F4 at the editor, the main window: the launcher runs on.
        F_Database->Edit1.SetFocus();
        (void)PostMessageA(F_Database->Edit1.Handle(), WM_SYSKEYDOWN, VK_F4, 0x203E0001);
        app.ProcessMessages();
        EXPECT_FALSE(F_Database->Visible());
        EXPECT_FALSE(app.Terminated());
        EXPECT_TRUE(IsWindow(tarnwick->Handle()));
    }
    // Ended without OK: the file holds the old database.
    EXPECT_EQ(IniValue(ini, "DBSYSTEM", "Count"), "1");
    EXPECT_EQ(IniValue(ini, "DATABASE", "Name1"), "<missing>");
    RemoveFolder(folder);
}

// ---- the file and folder buttons ---------------------------------------------------------------

TEST_F(DatabaseWindowTest, FileButtonAsksWithThePresetNameAndFillsStartInOnlyWhenEmpty) {
    Open();
    form->Edit2.SetText("C:\\Old\\old.exe");
    recorder.ChosenFiles = {"C:\\Tools\\run.exe"};
    form->SpeedButton1.Click();
    ASSERT_EQ(recorder.FileRequests.size(), 1u);
    const auto& request = recorder.FileRequests[0];
    EXPECT_EQ(request.Owner, form->Handle());
    EXPECT_EQ(request.Title, "Select file");
    EXPECT_EQ(request.FileName, "C:\\Old\\old.exe");
    EXPECT_EQ(request.Flags,
              static_cast<unsigned long>(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                                         OFN_ENABLESIZING | OFN_EXPLORER));
    EXPECT_EQ(form->Edit2.Text(), "C:\\Tools\\run.exe");
    EXPECT_EQ(form->Edit3.Text(), "C:\\Tools\\");

    // "Start in" already filled stays as it is.
    form->Edit3.SetText("D:\\Work");
    recorder.ChosenFiles = {"E:\\Other\\x.bat"};
    form->SpeedButton1.Click();
    EXPECT_EQ(recorder.FileRequests.back().FileName, "C:\\Tools\\run.exe");
    EXPECT_EQ(form->Edit2.Text(), "E:\\Other\\x.bat");
    EXPECT_EQ(form->Edit3.Text(), "D:\\Work");

    // Cancelled: nothing changes.
    form->Edit3.SetText("");
    form->SpeedButton1.Click();
    EXPECT_EQ(form->Edit2.Text(), "E:\\Other\\x.bat");
    EXPECT_EQ(form->Edit3.Text(), "");
    // The boxes only: Entries is untouched.
    EXPECT_EQ(form->Entries.Count(), 0);
}

TEST_F(DatabaseWindowTest, FolderButtonStartsAtStartInOrTheRootOfC) {
    Open();
    form->SpeedButton2.Click(); // "Start in" empty, cancelled
    ASSERT_EQ(recorder.FolderRequests.size(), 1u);
    EXPECT_EQ(recorder.FolderRequests[0].Owner, form->Handle());
    EXPECT_EQ(recorder.FolderRequests[0].Title, "Select Directory");
    EXPECT_EQ(recorder.FolderRequests[0].StartFolder, "C:\\");
    EXPECT_EQ(form->Edit3.Text(), "");

    recorder.ChosenFolders = {"C:\\windows\\system32"};
    form->SpeedButton2.Click();
    EXPECT_EQ(form->Edit3.Text(), "C:\\windows\\system32");

    form->SpeedButton2.Click(); // cancelled again: kept
    EXPECT_EQ(recorder.FolderRequests.back().StartFolder, "C:\\windows\\system32");
    EXPECT_EQ(form->Edit3.Text(), "C:\\windows\\system32");
}

// ---- saving ------------------------------------------------------------------------------------

TEST_F(DatabaseWindowTest, OkWritesTheDatabaseBesideTheExeAndHides) {
    Load({"Alpha", "Beta"});
    form->Entries.At(1).Params = "\"quoted\" args";
    form->Entries.At(1).Directory = "";
    Open();
    form->Button4.Click();
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(recorder.Only("messagebox").empty());
    const std::string ini = IniPath();
    EXPECT_EQ(IniValue(ini, "DBSYSTEM", "Count"), "2");
    for (int i = 0; i < 2; ++i) {
        const std::string n = std::to_string(i);
        const TDBItem& item = form->Entries.At(i);
        EXPECT_EQ(IniValue(ini, "DATABASE", "Name" + n), item.Name);
        EXPECT_EQ(IniValue(ini, "DATABASE", "Filename" + n), item.Filename);
        EXPECT_EQ(IniValue(ini, "DATABASE", "Keyword" + n), item.Keyword);
    }
    EXPECT_EQ(IniValue(ini, "DATABASE", "Directory1"), "");  // written, empty
    EXPECT_EQ(IniValue(ini, "SYSTEM", "Left"), "<missing>"); // options untouched
}

TEST_F(DatabaseWindowTest, ShrinkingFromFiveToThreeLeavesTheOldKeysBehindTheNewCount) {
    Load({"A", "B", "C", "D", "E"});
    Open();
    form->Button4.Click();
    ASSERT_EQ(IniValue(IniPath(), "DBSYSTEM", "Count"), "5");

    Open();
    recorder.MessageBoxAnswers = {IDYES, IDYES};
    ClickItem(4);
    form->Button2.Click();
    ClickItem(3);
    form->Button2.Click();
    ClickItem(0);
    form->Edit1.SetText("A2");
    form->Button3.Click();
    form->Button4.Click();

    EXPECT_EQ(IniValue(IniPath(), "DBSYSTEM", "Count"), "3");
    EXPECT_EQ(IniValue(IniPath(), "DATABASE", "Name0"), "A2");
    EXPECT_EQ(IniValue(IniPath(), "DATABASE", "Name2"), "C");
    EXPECT_EQ(IniValue(IniPath(), "DATABASE", "Name3"), "D");
    EXPECT_EQ(IniValue(IniPath(), "DATABASE", "Keyword4"), "EKEY");
}

TEST_F(DatabaseWindowTest, AnUnwritableSettingsFileKeepsTheWindowOpenAndEntriesIntact) {
    // The exe's folder does not exist, so the settings file cannot be written.
    recorder.ModulePath = folder + "\\gone\\Tarnwick.exe";
    Load({"Alpha", "Beta"});
    Open();
    ClickItem(1);
    form->Button4.Click(); // the error leaves the handler; the general report shows it
    const auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Args[0], "Unable to write to " + folder + "\\gone\\\\Tarnwick.ini.");
    EXPECT_EQ(boxes[0].Args[1], "Tarnwick");
    EXPECT_EQ(boxes[0].Number, MB_OK | MB_ICONERROR);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(EntryNames(), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(form->ListBox1.ItemIndex(), 1);
    ExpectInStep();
}

// ---- closing -----------------------------------------------------------------------------------

TEST_F(DatabaseWindowTest, AltF4HidesTheEditorAndKeepsTheLauncherRunning) {
    Load({"Alpha"});
    Open();
    ASSERT_EQ(app->MainFormHandle(), form->Handle());
    ClickItem(0);
    form->Edit1.SetFocus();
    // Alt+F4 as the keyboard delivers it to the focused box.
    (void)PostMessageA(form->Edit1.Handle(), WM_SYSKEYDOWN, VK_F4, 0x203E0001);
    app->ProcessMessages();
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(app->Terminated());
    EXPECT_TRUE(IsWindow(form->Handle()));

    Open();
    (void)SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(app->Terminated());
    EXPECT_EQ(form->Entries.Count(), 1);
}

TEST_F(DatabaseWindowTest, ClosingWhileAddingAbandonsTheNewEntrySoItReopensBrowsing) {
    Load({"Alpha"});
    Open();
    form->Button1.Click();
    Type(form->Edit1, "Draft");
    (void)SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(app->Terminated());
    Open();
    ExpectBrowsing();
    EXPECT_EQ(EntryNames(), (std::vector<std::string>{"Alpha"}));
    ExpectInStep();
}

// Shows the editor as a user sees it for a while, so that a screenshot can be taken:
// TARNWICK_SHOWCASE_SECONDS=20 gui_DatabaseWindowTest --gtest_filter=*Showcase*
TEST_F(DatabaseWindowTest, Showcase) {
    const char* seconds = std::getenv("TARNWICK_SHOWCASE_SECONDS");
    if (!seconds)
        GTEST_SKIP() << "set TARNWICK_SHOWCASE_SECONDS to look at the window";
    Load({"Notepad", "Calculator", "Command prompt", "Windows folder", "Readme"});
    form->Entries.At(1) = {"Calculator", "C:\\Windows\\system32\\calc.exe",
                           "C:\\Windows\\system32\\", "", "CALC"};
    Open();
    ClickItem(1);
    (void)SetForegroundWindow(form->Handle());
    const DWORD end = GetTickCount() + static_cast<DWORD>(std::atoi(seconds)) * 1000;
    while (GetTickCount() < end) {
        app->ProcessMessages();
        Sleep(20);
    }
}

} // namespace
