// Forms built from layout tables and the control wrappers, in-process under Wine: window class and
// styles, DPI scaling, tab order, show and close rules, the edit box's key and mouse events, the
// handler bindings, the pictures and the colours.
#include "support/E2e.h"
#include "support/Recorder.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Form.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

using namespace toolkit;

namespace {

enum Ids {
    kEdit = 100,
    kFlatEdit,
    kList,
    kOk,
    kOther,
    kSpeed,
    kCheck,
    kTrack,
    kLabel,
    kBevel,
    kPanel,
    kPanelLabel,
    kImage,
    kNoStop
};

TFormLayout DialogLayout(const char* className) {
    TFormLayout f;
    f.ClassName = className;
    f.Caption = "Probe dialog";
    f.Border = TBorderStyle::Dialog;
    f.Position = TFormPosition::ScreenCenter;
    f.ClientWidth = 317;
    f.ClientHeight = 240;
    // Listed out of tab order on purpose: the Tab key must follow TabOrder, not the table.
    f.Controls.push_back(ControlAt(TControlKind::Button, "Ok", kOk, 236, 200, 75, 25, "OK", 3));
    f.Controls.back().Default = true;
    f.Controls.push_back(ControlAt(TControlKind::Edit, "Edit1", kEdit, 80, 10, 129, 21, "abc", 0));
    f.Controls.back().UpperCase = true;
    f.Controls.push_back(ControlAt(TControlKind::Edit, "Flat", kFlatEdit, 80, 40, 129, 18, "", 1));
    f.Controls.back().Flat = true;
    f.Controls.push_back(ControlAt(TControlKind::Edit, "NoStop", kNoStop, 80, 70, 129, 21, "", 2));
    f.Controls.back().TabStop = false;
    f.Controls.push_back(ControlAt(TControlKind::ListBox, "List", kList, 4, 100, 225, 60, "", 4));
    f.Controls.back().ItemHeight = 13;
    f.Controls.push_back(
        ControlAt(TControlKind::Button, "Other", kOther, 236, 170, 75, 25, "Other", 5));
    f.Controls.push_back(
        ControlAt(TControlKind::CheckBox, "Check", kCheck, 16, 170, 150, 17, "Tick", 6));
    f.Controls.push_back(
        ControlAt(TControlKind::TrackBar, "Track", kTrack, 16, 200, 150, 25, "", 7));
    f.Controls.back().Min = 1;
    f.Controls.back().Max = 255;
    f.Controls.back().Position = 200;
    f.Controls.push_back(
        ControlAt(TControlKind::SpeedButton, "Speed", kSpeed, 283, 10, 23, 22, "1"));
    f.Controls.back().Font =
        TFont{.Name = "Wingdings", .Height = -13, .Bold = true, .Charset = SYMBOL_CHARSET};
    f.Controls.push_back(ControlAt(TControlKind::Label, "Label", kLabel, 8, 14, 0, 0, "Keyword:"));
    f.Controls.push_back(ControlAt(TControlKind::Bevel, "Bevel", kBevel, 0, 95, 317, 8));
    // A child listed before its panel: the panel must still be made first.
    f.Controls.push_back(
        ControlAt(TControlKind::Label, "PanelLabel", kPanelLabel, 4, 2, 60, 14, "ver"));
    f.Controls.back().Parent = "Panel";
    f.Controls.back().Transparent = true;
    f.Controls.back().Font = TFont{"Arial", -11, true, RGB(255, 206, 206)};
    f.Controls.push_back(ControlAt(TControlKind::Panel, "Panel", kPanel, 230, 40, 80, 50));
    f.Controls.back().Color = kColorWhite;
    f.Controls.push_back(ControlAt(TControlKind::Image, "Image", kImage, 4, 20, 40, 20));
    f.Controls.back().Parent = "Panel";
    return f;
}

class ProbeForm : public TForm {
public:
    explicit ProbeForm(TFormLayout layout, bool deferControls = false)
        : TForm(nullptr, std::move(layout), deferControls) {
        OnShow = [this] { ++Shows; };
        OnCreate = [this] { Created = true; };
        FinishCreate();
    }
    using TForm::Bind;
    using TForm::Events;
    int Shows = 0;
    bool Created = false;
    int ControlsTakenUp = 0; // of a form whose controls waited

protected:
    void ControlsCreated() override { ++ControlsTakenUp; }
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<Application>(recorder);
        app->Initialize();
        app->SetTitle("Tarnwick");
    }
    void TearDown() override { app.reset(); }

    ProbeForm* Make(TFormLayout layout) { return app->CreateForm<ProbeForm>(std::move(layout)); }

    static std::string ClassOf(HWND hwnd) {
        char name[64] = "";
        GetClassNameA(hwnd, name, sizeof name);
        return name;
    }
    static LONG_PTR Style(HWND h) { return GetWindowLongPtrA(h, GWL_STYLE); }
    static LONG_PTR ExStyle(HWND h) { return GetWindowLongPtrA(h, GWL_EXSTYLE); }

    testing_support::Recorder recorder;
    std::unique_ptr<Application> app;
};

TEST(ScaleToDpi, ScalesFromNinetySixPixelsPerInchRoundingHalfAway) {
    EXPECT_EQ(ScaleToDpi(129, 96), 129);
    EXPECT_EQ(ScaleToDpi(129, 144), 194); // 193.5
    EXPECT_EQ(ScaleToDpi(18, 120), 23);   // 22.5
    EXPECT_EQ(ScaleToDpi(-11, 144), -17); // font heights stay negative: -16.5
    EXPECT_EQ(ScaleToDpi(-11, 192), -22);
    EXPECT_EQ(ScaleToDpi(0, 144), 0);
}

TEST_F(FormTest, LayoutBuildsTheWindowUnderItsClassNameWithEveryControl) {
    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    HWND hwnd = form->Handle();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(form->Created);
    EXPECT_EQ(ClassOf(hwnd), "TProbeDialog");
    EXPECT_EQ(form->Caption(), "Probe dialog");
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), app->Handle()); // no taskbar button of its own
    EXPECT_EQ(app->MainForm(), form);
    EXPECT_EQ(app->MainFormHandle(), hwnd);
    // A dialog frame with a title bar and no system menu or buttons.
    EXPECT_TRUE((Style(hwnd) & WS_CAPTION) == WS_CAPTION);
    EXPECT_FALSE(Style(hwnd) & WS_SYSMENU);
    EXPECT_TRUE(ExStyle(hwnd) & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(form->ClientWidth(), form->Scale(317));
    EXPECT_EQ(form->ClientHeight(), form->Scale(240));
    // Centred on the work area.
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(form->Left() + form->Width() / 2, (work.left + work.right) / 2, 1);

    // Controls are found by name and by id; a panel's children live in the panel.
    EXPECT_EQ(form->ControlById(kTrack), form->Control("Track"));
    EXPECT_EQ(ClassOf(form->Control("Speed")), kSpeedButtonClass);
    EXPECT_EQ(form->Control("Missing"), nullptr);
    EXPECT_EQ(GetParent(form->Control("PanelLabel")), form->Control("Panel"));

    const RECT edit = Edit(form->Control("Edit1")).Bounds();
    EXPECT_EQ(edit.left, form->Scale(80));
    EXPECT_EQ(edit.right - edit.left, form->Scale(129));
    EXPECT_TRUE(Edit(form->Control("Edit1")).UpperCase());
    EXPECT_TRUE(ExStyle(form->Control("Edit1")) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(ExStyle(form->Control("Flat")) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(Style(form->Control("Flat")) & WS_BORDER);
    EXPECT_TRUE(Button(form->Control("Ok")).Default());
    EXPECT_FALSE(Button(form->Control("Other")).Default());
    EXPECT_EQ(SendMessageA(hwnd, DM_GETDEFID, 0, 0), MAKELRESULT(kOk, DC_HASDEFID));
    EXPECT_EQ(ListBox(form->Control("List")).ItemHeight(), form->Scale(13));
    const TrackBar track(form->Control("Track"));
    EXPECT_EQ(track.Min(), 1);
    EXPECT_EQ(track.Max(), 255);
    EXPECT_EQ(track.Position(), 200);

    // A label without a size fits its text; a bevel is a line along its top edge.
    const RECT label = Label(form->Control("Label")).Bounds();
    EXPECT_GT(label.right - label.left, 20);
    EXPECT_GT(label.bottom - label.top, 5);
    const RECT bevel = Bevel(form->Control("Bevel")).Bounds();
    EXPECT_LE(bevel.bottom - bevel.top, 2);
    EXPECT_EQ(bevel.top, form->Scale(95));

    // The layout's fonts: Wingdings by its symbol character set on the speed button, bold on
    // request.
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form->Control("Speed"), WM_GETFONT, 0, 0)),
               sizeof lf, &lf);
    EXPECT_STREQ(lf.lfFaceName, "Wingdings");
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, form->Scale(-13));
    EXPECT_EQ(lf.lfCharSet, SYMBOL_CHARSET);
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form->Control("Edit1"), WM_GETFONT, 0, 0)),
               sizeof lf, &lf);
    EXPECT_STREQ(lf.lfFaceName, "Microsoft Sans Serif"); // scalable, unlike MS Sans Serif
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
}

TEST_F(FormTest, TabFollowsTheTabOrderAndSkipsControlsThatAreNoTabStop) {
    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    std::vector<std::string> order;
    HWND first = GetNextDlgTabItem(form->Handle(), nullptr, FALSE);
    HWND c = first;
    do {
        for (const char* name :
             {"Edit1", "Flat", "NoStop", "Ok", "List", "Other", "Check", "Track", "Speed"})
            if (form->Control(name) == c)
                order.push_back(name);
        c = GetNextDlgTabItem(form->Handle(), c, FALSE);
    } while (c && c != first && order.size() < 20);
    EXPECT_EQ(order,
              (std::vector<std::string>{"Edit1", "Flat", "Ok", "List", "Other", "Check", "Track"}));
}

TEST_F(FormTest, BorderlessStayOnTopFormWithLayeredAlpha) {
    TFormLayout layout;
    layout.ClassName = "TProbeStrip";
    layout.Border = TBorderStyle::None;
    layout.StayOnTop = true;
    layout.AlphaBlend = true;
    layout.AlphaBlendValue = 200;
    layout.Left = 40;
    layout.Top = 30;
    layout.ClientWidth = 129;
    layout.ClientHeight = 18;
    ProbeForm* form = Make(layout);
    HWND hwnd = form->Handle();
    EXPECT_TRUE(Style(hwnd) & WS_POPUP);
    EXPECT_FALSE(Style(hwnd) & (WS_CAPTION | WS_THICKFRAME | WS_BORDER));
    EXPECT_TRUE(ExStyle(hwnd) & WS_EX_TOPMOST);
    EXPECT_EQ(form->Width(), form->Scale(129)); // no frame: outer size is client size
    EXPECT_EQ(form->Left(), 40);                // screen positions are not scaled

    ASSERT_TRUE(ExStyle(hwnd) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 200);
    EXPECT_TRUE(flags & LWA_ALPHA);
    form->SetAlphaBlendValue(0);
    ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 0);
    EXPECT_EQ(form->AlphaBlendValue(), 0);
    form->SetAlphaBlend(false);
    EXPECT_FALSE(ExStyle(hwnd) & WS_EX_LAYERED);

    // Moving keeps the size; resizing keeps the place.
    form->SetLeft(-50);
    form->SetTop(5000);
    EXPECT_EQ(form->Left(), -50);
    EXPECT_EQ(form->Top(), 5000);
    EXPECT_EQ(form->Width(), form->Scale(129));
    form->SetWidth(60);
    form->SetHeight(10);
    EXPECT_EQ(form->Left(), -50);
    EXPECT_EQ(form->Width(), 60);
    EXPECT_EQ(form->Height(), 10);
}

TEST_F(FormTest, OnShowRunsOnlyWhenAHiddenFormIsShown) {
    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    EXPECT_EQ(form->Shows, 0); // creation shows nothing
    form->Show();
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->Shows, 1);
    form->Show();
    EXPECT_EQ(form->Shows, 1);
    form->Hide();
    EXPECT_FALSE(form->Visible());
    form->Show();
    EXPECT_EQ(form->Shows, 2);

    // OnShow runs before the window becomes visible.
    bool visibleDuringShow = true;
    form->OnShow = [&] { visibleDuringShow = form->Visible(); };
    form->Hide();
    form->Show();
    EXPECT_FALSE(visibleDuringShow);
}

TEST_F(FormTest, ControlsThatWaitAreMadeOnceWhenTheFormFirstShowsAtTheScaleOfThatMoment) {
    ProbeForm* form = app->CreateForm<ProbeForm>(DialogLayout("TProbeDialog"), true);
    const HWND hwnd = form->Handle();
    EXPECT_TRUE(form->Created);
    EXPECT_FALSE(form->ControlsMade());
    EXPECT_EQ(GetWindow(hwnd, GW_CHILD), nullptr);
    EXPECT_EQ(form->Control("Edit1"), nullptr);
    EXPECT_EQ(form->ControlById(kOk), nullptr);
    std::vector<std::string> log;
    form->Bind(kOk, BN_CLICKED, [&] { log.push_back("ok"); });

    // Moved to a monitor at 150 % meanwhile: the window takes its size there, nothing else.
    SIZE size{};
    ASSERT_TRUE(
        SendMessageW(hwnd, 0x02E4 /* WM_GETDPISCALEDSIZE */, 144, reinterpret_cast<LPARAM>(&size)));
    RECT suggested{0, 0, size.cx, size.cy};
    (void)SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144),
                       reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(form->ClientWidth(), ScaleToDpi(317, 144));
    EXPECT_EQ(GetWindow(hwnd, GW_CHILD), nullptr);

    // Shown straight by the system's call, without Show: made all the same, once, at 150 %.
    (void)ShowWindow(hwnd, SW_SHOWNA);
    ASSERT_TRUE(form->ControlsMade());
    EXPECT_EQ(form->ControlsTakenUp, 1);
    const RECT edit = Edit(form->Control("Edit1")).Bounds();
    EXPECT_EQ(edit.left, ScaleToDpi(80, 144));
    EXPECT_EQ(edit.right - edit.left, ScaleToDpi(129, 144));
    EXPECT_EQ(ListBox(form->Control("List")).ItemHeight(), ScaleToDpi(13, 144));
    EXPECT_EQ(form->ControlById(kOk), form->Control("Ok"));
    EXPECT_EQ(SendMessageA(hwnd, DM_GETDEFID, 0, 0), MAKELRESULT(kOk, DC_HASDEFID));
    Button(form->Control("Ok")).Click();
    EXPECT_EQ(log, std::vector<std::string>{"ok"});
    form->Hide();
    form->Show();
    form->MakeControls();
    EXPECT_EQ(form->ControlsTakenUp, 1);
    EXPECT_EQ(form->Shows, 1);

    // Shown by Show, OnShow finds them there; shown by SetWindowPos, they are there too.
    ProbeForm* shown = app->CreateForm<ProbeForm>(DialogLayout("TProbeDialog"), true);
    HWND seen = nullptr;
    shown->OnShow = [&] { seen = shown->Control("Edit1"); };
    shown->Show();
    EXPECT_NE(seen, nullptr);
    ProbeForm* placed = app->CreateForm<ProbeForm>(DialogLayout("TProbeDialog"), true);
    (void)SetWindowPos(placed->Handle(), nullptr, 0, 0, 0, 0,
                       SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_NE(placed->Control("Edit1"), nullptr);
    EXPECT_EQ(placed->ControlsTakenUp, 1);
}

TEST_F(FormTest, CloseHidesAFormButEndsTheProgramForTheMainForm) {
    ProbeForm* main = Make(DialogLayout("TProbeDialog"));
    TFormLayout second = DialogLayout("TProbeDialog");
    ProbeForm* other = Make(second);
    ASSERT_EQ(app->MainForm(), main);
    other->Show();
    SendMessageA(other->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(other->Visible());
    EXPECT_FALSE(app->Terminated());

    main->Show();
    SendMessageA(main->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(app->Terminated());
}

TEST_F(FormTest, ControlsThatCannotBePlacedAreAnError) {
    TFormLayout layout = DialogLayout("TProbeDialog");
    layout.Controls.push_back(ControlAt(TControlKind::Label, "Orphan", 999, 0, 0, 10, 10, "x"));
    layout.Controls.back().Parent = "NoSuchPanel";
    EXPECT_THROW(Make(layout), toolkit::Exception);
}

TEST_F(FormTest, EditKeyEventsComeBeforeTheControlAndCanSwallowOrChangeTheKey) {
    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    const Edit edit(form->Control("Edit1"));
    edit.SetText("");
    std::vector<std::string> seen;
    form->Events(edit.Handle()).OnKeyPress = [&](std::string& key) {
        seen.push_back(key);
        if (key == "x")
            key.clear(); // swallowed
        else if (key == "q")
            key = "\xCE\xBB";               // λ
        else if (key == "\xF0\x9F\x98\x8E") // 😎
            key.clear();
    };
    for (char c : std::string("abxq\xE9"))
        SendMessageA(edit.Handle(), WM_CHAR, static_cast<unsigned char>(c), 1);
    // A character beyond the Basic Multilingual Plane comes as the two halves of its pair: the
    // handler sees it once, whole, and the box inserts both halves (😀) or neither (😎).
    for (const wchar_t unit : std::wstring(L"\xD83D\xDE00\xD83D\xDE0E\x65E5"))
        SendMessageW(edit.Handle(), WM_CHAR, unit, 1);
    // The handler sees each key as typed, as UTF-8, before the box upper-cases and inserts it.
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "x", "q", "\xC3\xA9", "\xF0\x9F\x98\x80",
                                              "\xF0\x9F\x98\x8E", "\xE6\x97\xA5"}));
    EXPECT_EQ(edit.Text(), "AB\xCE\x9B\xC3\x89\xF0\x9F\x98\x80\xE6\x97\xA5");

    // Key down and up, including the system (Alt) variants; 0 swallows.
    std::vector<std::string> keys;
    auto& events = form->Events(edit.Handle());
    events.OnKeyDown = [&](WORD& key, TShiftState) {
        keys.push_back("down " + std::to_string(key));
        if (key == VK_HOME)
            key = 0;
    };
    events.OnKeyUp = [&](WORD& key, TShiftState) { keys.push_back("up " + std::to_string(key)); };
    SendMessageA(edit.Handle(), WM_KEYDOWN, 'F', 0);
    SendMessageA(edit.Handle(), WM_SYSKEYDOWN, 'G', 0x20000000);
    SendMessageA(edit.Handle(), WM_SYSKEYUP, 'G', 0xE0000000);
    SendMessageA(edit.Handle(), WM_KEYUP, 'F', 0xC0000000);
    EXPECT_EQ(keys, (std::vector<std::string>{"down 70", "down 71", "up 71", "up 70"}));

    edit.SetSelection(2, 2);
    SendMessageA(edit.Handle(), WM_KEYDOWN, VK_HOME, 0); // swallowed: the caret stays
    int start = -1, end = -1;
    edit.Selection(start, end);
    EXPECT_EQ(start, 2);
    SendMessageA(edit.Handle(), WM_KEYDOWN, VK_END, 0);
    edit.Selection(start, end);
    EXPECT_EQ(start, 7) << "the text's end, in UTF-16 units";
}

TEST_F(FormTest, AnEditWithAKeyHandlerWantsEveryKeyFromTheDialogNavigation) {
    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    HWND edit = form->Control("Edit1");
    HWND flat = form->Control("Flat");
    EXPECT_FALSE(SendMessageA(flat, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
    int clicks = 0;
    form->Bind(kOk, BN_CLICKED, [&] { ++clicks; });

    // Enter in a plain edit box presses the default button.
    MSG msg{flat, WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
    EXPECT_TRUE(IsDialogMessageA(form->Handle(), &msg));
    EXPECT_EQ(clicks, 1);

    // With a key handler the box gets Enter and Escape itself.
    std::vector<WORD> downs;
    form->Events(edit).OnKeyDown = [&](WORD& key, TShiftState) { downs.push_back(key); };
    EXPECT_TRUE(SendMessageA(edit, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
    msg = MSG{edit, WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
    IsDialogMessageA(form->Handle(), &msg);
    msg = MSG{edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {}};
    IsDialogMessageA(form->Handle(), &msg);
    EXPECT_EQ(downs, (std::vector<WORD>{VK_RETURN, VK_ESCAPE}));
    EXPECT_EQ(clicks, 1);
}

TEST_F(FormTest, EditMouseEventsCarryButtonShiftAndClientCoordinates) {
    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    HWND edit = form->Control("Edit1");
    std::vector<std::string> log;
    auto name = [](TMouseButton b) {
        return b == TMouseButton::Left ? "L" : b == TMouseButton::Right ? "R" : "M";
    };
    auto& events = form->Events(edit);
    events.OnMouseDown = [&](TMouseButton b, TShiftState s, int x, int y) {
        log.push_back(std::string("down ") + name(b) + " " + std::to_string(s.Bits()) + " " +
                      std::to_string(x) + "," + std::to_string(y));
    };
    events.OnMouseMove = [&](TShiftState s, int x, int y) {
        log.push_back("move " + std::to_string(s.Bits()) + " " + std::to_string(x) + "," +
                      std::to_string(y));
    };
    events.OnMouseUp = [&](TMouseButton b, TShiftState s, int x, int y) {
        log.push_back(std::string("up ") + name(b) + " " + std::to_string(s.Bits()) + " " +
                      std::to_string(x) + "," + std::to_string(y));
    };
    const unsigned left = TShiftState{TShiftFlag::Left}.Bits();
    const unsigned ctrlRight = TShiftState{TShiftFlag::Ctrl, TShiftFlag::Right}.Bits();
    const unsigned shiftMiddle = TShiftState{TShiftFlag::Shift, TShiftFlag::Middle}.Bits();
    const unsigned leftDouble = TShiftState{TShiftFlag::Left, TShiftFlag::Double}.Bits();
    SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 3));
    SendMessageA(edit, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-20, -7)); // captured, outside
    SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(-20, -7));
    SendMessageA(edit, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, MAKELPARAM(9, 4));
    e2e::SendClosingMenus(edit, WM_RBUTTONUP, MK_CONTROL, MAKELPARAM(9, 4));
    SendMessageA(edit, WM_MBUTTONDOWN, MK_MBUTTON | MK_SHIFT, MAKELPARAM(1, 2));
    SendMessageA(edit, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(7, 8));
    SendMessageA(edit, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "down L " + std::to_string(left) + " 5,3",
                       "move " + std::to_string(left) + " -20,-7",
                       "up L 0 -20,-7",
                       "down R " + std::to_string(ctrlRight) + " 9,4",
                       "up R " + std::to_string(TShiftState{TShiftFlag::Ctrl}.Bits()) + " 9,4",
                       "down M " + std::to_string(shiftMiddle) + " 1,2",
                       "down L " + std::to_string(leftDouble) + " 7,8",
                       "move 0 3,3",
                   }));
    SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
}

TEST_F(FormTest, AnErrorInAHandlerIsReportedAndTheControlGoesOn) {
    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    const Edit edit(form->Control("Edit1"));
    edit.SetText("");
    form->Events(edit.Handle()).OnKeyPress = [](std::string& key) {
        if (key == "!")
            throw toolkit::EIniFileException("Unable to write to C:\\x\\Tarnwick.ini");
    };
    form->Events(edit.Handle()).OnMouseUp = [](TMouseButton, TShiftState, int, int) {
        throw 42; // not one of ours: an empty message
    };
    SendMessageA(edit.Handle(), WM_CHAR, '!', 1);
    SendMessageA(edit.Handle(), WM_CHAR, 'k', 1);
    SendMessageA(edit.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(edit.Handle(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(edit.Text(), "K"); // the failing key was not inserted, the next one was
    const auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].Args[0], "Unable to write to C:\\x\\Tarnwick.ini.");
    EXPECT_EQ(boxes[0].Args[1], "Tarnwick");
    EXPECT_EQ(boxes[0].Number, MB_OK | MB_ICONERROR);
    EXPECT_EQ(boxes[1].Args[0], "");

    // Likewise for a bound handler reached through the form's window procedure.
    form->Bind(kOther, BN_CLICKED, [] { throw std::runtime_error("Boom"); });
    Button(form->Control("Other")).Click();
    ASSERT_EQ(recorder.Only("messagebox").size(), 3u);
    EXPECT_EQ(recorder.Only("messagebox")[2].Args[0], "Boom.");
}

TEST_F(FormTest, BoundHandlersRunForTheirControlAndNotification) {
    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    form->Show();
    std::vector<std::string> log;
    form->Bind(kOk, BN_CLICKED, [&] { log.push_back("ok"); });
    form->Bind(kSpeed, BN_CLICKED, [&] { log.push_back("speed"); });
    form->Bind(kList, LBN_SELCHANGE, [&] { log.push_back("list"); });
    form->Bind(kTrack, kTrackBarChange, [&] { log.push_back("track"); });
    form->Bind(kCheck, BN_CLICKED, [&] { log.push_back("check"); });

    Button(form->Control("Ok")).Click();
    SpeedButton(form->Control("Speed")).Click();
    const CheckBox check(form->Control("Check"));
    check.Click();
    EXPECT_TRUE(check.Checked());
    check.SetChecked(false);
    EXPECT_FALSE(check.Checked());

    // A mouse click on the speed button presses it without taking the focus.
    HWND speed = form->Control("Speed");
    Edit(form->Control("Flat")).SetFocus();
    SendMessageA(speed, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(speed, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(GetFocus(), form->Control("Flat"));
    // Released outside: no click.
    SendMessageA(speed, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(speed, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 3));
    SendMessageA(speed, WM_LBUTTONUP, 0, MAKELPARAM(300, 3));

    // The user's selection in the list box, and a track bar moved by its keys.
    const ListBox list(form->Control("List"));
    list.Add("one");
    list.Add("two");
    SendMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, list.ItemHeight() + 2));
    SendMessageA(list.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, list.ItemHeight() + 2));
    EXPECT_EQ(list.ItemIndex(), 1);
    list.SetItemIndex(0); // by program: no event
    SendMessageA(form->Control("Track"), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(TrackBar(form->Control("Track")).Position(), 201);

    EXPECT_EQ(log, (std::vector<std::string>{"ok", "speed", "check", "speed", "list", "track"}));
}

TEST_F(FormTest, ListBoxItemsAreReplacedInPlaceKeepingTheSelection) {
    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    const ListBox list(form->Control("List"));
    EXPECT_EQ(list.ItemIndex(), -1);
    for (const char* item : {"alpha", "beta", "gamma"})
        list.Add(item);
    list.SetItemIndex(1);
    list.SetItem(1, "BETA");
    list.SetItem(2, "GAMMA"); // another item: the selection stays on 1
    EXPECT_EQ(list.Item(1), "BETA");
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(7), "");
}

TEST_F(FormTest, TransparentLabelsShowTheirPanelAndKeepTheirFontColour) {
    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    HWND panel = form->Control("Panel");
    HWND label = form->Control("PanelLabel");
    HDC dc = GetDC(label);
    // The label's parent is the panel; the panel passes the question on to the form.
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
        panel, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectA(brush, sizeof lb, &lb));
    EXPECT_EQ(lb.lbColor, RGB(255, 255, 255));
    EXPECT_EQ(GetTextColor(dc), RGB(255, 206, 206));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    ReleaseDC(label, dc);
}

// The pixels that differ from `back` in a bitmap drawn by `draw` on a memory DC of the given
// size, row by row; the DC starts filled with `back`.
template <class Draw> std::vector<bool> InkOf(int width, int height, COLORREF back, Draw draw) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    draw(dc);
    std::vector<bool> ink;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ink.push_back(GetPixel(dc, x, y) != back);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

TEST_F(FormTest, AnAutoSizedLabelShowsAllOfItsText) {
    // The renderer may ink past the width the text measures at (Wine lays glyphs out on
    // unrounded advances, ClearType bleeds a column); a label sized to the measure alone loses
    // its last characters, as "Visibility of window:" lost its colon.
    const struct {
        const char* Caption;
        TFont Font;
    } cases[] = {
        {"Visibility of window:", TFont{}},
        {"Global hot key for Tarnwick:", TFont{}},
        {"Translucency effects", TFont{"Verdana", -16, true}},
        {"Keyword:", TFont{"Microsoft Sans Serif", -11, true}},
        {"Wavy VAW/", TFont{"Tahoma", -13, true}},
    };
    TFormLayout layout = DialogLayout("TProbeDialog");
    int top = 100;
    for (const auto& c : cases) {
        layout.Controls.push_back(
            ControlAt(TControlKind::Label, c.Caption, 400 + top, 8, top, 0, 0, c.Caption));
        top += 24;
        layout.Controls.back().Font = c.Font;
    }
    ProbeForm* form = Make(layout);
    const COLORREF back = GetSysColor(COLOR_BTNFACE);
    for (const auto& c : cases) {
        HWND label = form->Control(c.Caption);
        RECT client{};
        GetClientRect(label, &client);
        const int w = client.right, h = client.bottom;
        // The label as it paints itself.
        const std::vector<bool> shown = InkOf(w, h, back, [&](HDC dc) {
            SendMessageA(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        });
        // The same text with room to spare on every side.
        const auto font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
        const int room = 40;
        const std::vector<bool> whole = InkOf(w + room, h + room, back, [&](HDC dc) {
            SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            RECT rc{0, 0, w + room, h + room};
            DrawTextA(dc, c.Caption, -1, &rc, DT_LEFT | DT_NOPREFIX | DT_SINGLELINE);
        });
        // What the label shows is part of the whole text; as much of it means all of it.
        int right = -1;
        for (int y = 0; y < h + room; ++y)
            for (int x = 0; x < w + room; ++x)
                if (whole[static_cast<std::size_t>(y * (w + room) + x)])
                    right = std::max(right, x);
        EXPECT_GT(right, 0) << c.Caption;
        EXPECT_EQ(std::count(shown.begin(), shown.end(), true),
                  std::count(whole.begin(), whole.end(), true))
            << c.Caption << ": the label is " << w << " pixels wide, its text inks to " << right;
    }
}

std::string ReadSourceFile(const std::string& relative) {
    const char* src = std::getenv("TARNWICK_SOURCE_DIR");
    if (!src)
        return {};
    std::ifstream in(std::string("Z:") + src + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(FormTest, PicturesAreDecodedByTheSystemAndShownUnscaled) {
    const std::string jpeg = ReadSourceFile("resources/header1.jpg");
    ASSERT_GT(jpeg.size(), 100u) << "TARNWICK_SOURCE_DIR must name the sources";
    HBITMAP bitmap = DecodePicture(jpeg.data(), jpeg.size());
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectA(bitmap, sizeof bm, &bm));
    EXPECT_GT(bm.bmWidth, 0);
    EXPECT_GT(bm.bmHeight, 0);

    EXPECT_EQ(DecodePicture("not a picture at all", 20), nullptr);
    EXPECT_EQ(DecodePicture(nullptr, 0), nullptr);

    ProbeForm* form = Make(DialogLayout("TProbeDialog"));
    const Image image(form->Control("Image"));
    EXPECT_EQ(image.Picture(), nullptr); // the layout names no picture
    image.SetPicture(bitmap);
    EXPECT_NE(image.Picture(), nullptr);
    const RECT r = image.Bounds();
    EXPECT_EQ(r.right - r.left, form->Scale(40)); // the layout's size, not the picture's
    EXPECT_EQ(r.bottom - r.top, form->Scale(20));
    image.SetPicture(nullptr);
    DeleteObject(bitmap);
}

} // namespace
