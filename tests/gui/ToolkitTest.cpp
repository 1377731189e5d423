// The toolkit's small pieces under Wine: hidden windows, the timer, icons, the image list, the
// popup menu (shown for real and closed by keys the test posts), texts and the real System seam.
#include "support/Recorder.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/HiddenWindow.h"
#include "toolkit/Icon.h"
#include "toolkit/ImageList.h"
#include "toolkit/PopupMenu.h"
#include "toolkit/ResourceText.h"
#include "toolkit/Timer.h"
#include "toolkit/Win32System.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace toolkit;

namespace {

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<Application>(recorder);
        app->Initialize();
        app->SetTitle("Tarnwick");
    }
    void TearDown() override { app.reset(); }

    // Pumps messages until `done` or about two seconds have passed.
    template <class F> bool PumpUntil(F done) {
        for (int i = 0; i < 200 && !done(); ++i) {
            app->ProcessMessages();
            Sleep(10);
        }
        return done();
    }

    testing_support::Recorder recorder;
    std::unique_ptr<Application> app;
};

TEST_F(ToolkitTest, HiddenWindowIsTopLevelGetsBroadcastsAndReportsErrors) {
    const UINT probe = RegisterWindowMessageA("TarnwickToolkitTestBroadcast");
    std::vector<UINT> got;
    HWND hwnd = AllocateHWnd(
        [&](UINT msg, WPARAM, LPARAM) -> LRESULT {
            if (msg == probe)
                got.push_back(msg);
            if (msg == WM_USER + 1)
                throw EOutOfResources("boom");
            return msg == WM_USER ? 77 : 0;
        },
        "TToolkitTestHidden");
    ASSERT_NE(hwnd, nullptr);
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    EXPECT_STREQ(cls, "TToolkitTestHidden");
    EXPECT_EQ(GetParent(hwnd), nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 77);

    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, probe, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    EXPECT_EQ(got.size(), 1u);

    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 1, 0, 0), 0);
    const auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Args[0], "boom.");

    DeallocateHWnd(hwnd);
    EXPECT_FALSE(IsWindow(hwnd));
    DeallocateHWnd(nullptr);
}

TEST_F(ToolkitTest, HiddenWindowMayBeReleasedFromItsOwnHandler) {
    HWND hwnd = nullptr;
    int calls = 0;
    hwnd = AllocateHWnd([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_USER) {
            ++calls;
            DeallocateHWnd(hwnd);
        }
        return 0;
    });
    SendMessageA(hwnd, WM_USER, 0, 0);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(ToolkitTest, TimerTicksOnlyWhenEnabledWithAPeriodAndAHandler) {
    TTimer timer(nullptr);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_FALSE(timer.Running()); // no handler yet
    EXPECT_EQ(timer.Handle(), nullptr) << "no window before a tick is wanted";
    int ticks = 0;
    TComponent* sender = nullptr;
    timer.SetInterval(10);
    timer.SetOnTimer([&](TComponent* s) {
        ++ticks;
        sender = s;
    });
    EXPECT_TRUE(timer.Running());
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    EXPECT_EQ(sender, &timer);

    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Running());
    app->ProcessMessages();
    const int stopped = ticks;
    Sleep(60);
    app->ProcessMessages();
    EXPECT_EQ(ticks, stopped);

    timer.SetEnabled(true);
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Running());
}

TEST_F(ToolkitTest, IconsCopyAndOwnTheirPictures) {
    TIcon a;
    EXPECT_TRUE(a.Empty());
    a.Assign(app->Icon());
    ASSERT_FALSE(a.Empty());
    EXPECT_NE(a.Handle(), app->Icon()); // a copy, not the shared one
    TIcon b;
    b.Assign(a);
    EXPECT_NE(b.Handle(), a.Handle());
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(b.Handle(), &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    a.Assign(a); // assigning itself keeps the picture
    EXPECT_FALSE(a.Empty());
    b.Clear();
    EXPECT_TRUE(b.Empty());
}

TEST_F(ToolkitTest, ImageListHoldsSmallImagesAndRefusesIndexesOutside) {
    TImageList list(nullptr);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.AddIcon(LoadIconA(nullptr, IDI_APPLICATION)), 0);
    EXPECT_EQ(list.AddIcon(LoadIconA(nullptr, IDI_HAND)), 1);
    EXPECT_EQ(list.AddIcon(LoadIconA(nullptr, IDI_QUESTION)), 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_THROW(list.AddIcon(nullptr), EOutOfResources);

    TIcon icon;
    ASSERT_TRUE(list.GetIcon(2, icon));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.Handle(), &info));
    BITMAP bm{};
    GetObjectA(info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 16);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    const HICON before = icon.Handle();
    EXPECT_FALSE(list.GetIcon(3, icon));
    EXPECT_FALSE(list.GetIcon(-1, icon));
    EXPECT_EQ(icon.Handle(), before); // untouched
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(ResourceText, FallsBackToTheBuiltInTextWithoutAStringTable) {
    EXPECT_EQ(LoadResourceText(65000, "Cannot Create System Shell Notification Icon"),
              "Cannot Create System Shell Notification Icon");
}

TPopupMenu* MakeTrayLikeMenu(TComponent* owner, std::vector<std::string>& log) {
    auto* menu = new TPopupMenu(owner);
    auto record = [&log](const std::string& what) {
        return [&log, what](TComponent*) { log.push_back(what); };
    };
    menu->Add("Execute1", "Execute", record("Execute1Click"), true);
    menu->Add("Database1", "Database", record("Database1Click"));
    menu->Add("Cofiguration1", "Cofiguration", record("Cofiguration1Click"));
    menu->Add("N1", "-");
    menu->Add("Exit1", "Exit", record("Exit1Click"));
    return menu;
}

TEST_F(ToolkitTest, PopupMenuBuildsItsItemsWithTheDefaultOneBold) {
    std::vector<std::string> log;
    TComponent owner(nullptr);
    TPopupMenu* menu = MakeTrayLikeMenu(&owner, log);
    EXPECT_EQ(menu->Count(), 5);
    ASSERT_NE(menu->Find("Exit1"), nullptr);
    EXPECT_EQ(menu->Find("Exit1")->Caption, "Exit");
    EXPECT_EQ(menu->Find("nothing"), nullptr);
    EXPECT_TRUE(menu->Items(3).IsSeparator());

    HMENU built = menu->BuildMenu();
    EXPECT_EQ(GetMenuItemCount(built), 5);
    EXPECT_EQ(GetMenuDefaultItem(built, FALSE, 0), 1u); // Execute1's command
    char text[64] = {};
    GetMenuStringA(built, 3, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Cofiguration");
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE;
    GetMenuItemInfoA(built, 3, TRUE, &mii);
    EXPECT_TRUE(mii.fType & MFT_SEPARATOR);
    GetMenuItemInfoA(built, 0, TRUE, &mii);
    EXPECT_TRUE(mii.fState & MFS_DEFAULT);
    DestroyMenu(built);
}

TEST_F(ToolkitTest, PopupMenuTracksAtTheScreenPointFromTheForegroundAndRunsTheChoice) {
    std::vector<std::string> log;
    TComponent owner(nullptr);
    TPopupMenu* menu = MakeTrayLikeMenu(&owner, log);
    menu->OnPopup = [&](TComponent* s) { log.push_back(s == menu ? "popup" : "popup?"); };
    HWND foreground = nullptr;
    menu->Track = [&](HMENU m, int x, int y, HWND owner) -> UINT {
        log.push_back("track " + std::to_string(x) + "," + std::to_string(y) + " items " +
                      std::to_string(GetMenuItemCount(m)));
        foreground = GetForegroundWindow();
        EXPECT_EQ(owner, menu->WindowHandle());
        return 5; // Exit
    };
    menu->Popup(120, 340);
    EXPECT_EQ(foreground, menu->WindowHandle());
    const std::vector<std::string> expected = {"popup", "track 120,340 items 5", "Exit1Click"};
    EXPECT_EQ(log, expected);

    log.clear();
    menu->Track = [](HMENU, int, int, HWND) -> UINT { return 0; }; // dismissed
    menu->Popup(0, 0);
    menu->Track = [](HMENU, int, int, HWND) -> UINT { return 4; }; // the separator
    menu->Popup(0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"popup", "popup"}));

    menu->Find("Database1")->Enabled = false;
    menu->Click(1);
    menu->Click(99);
    EXPECT_EQ(log.size(), 2u);
}

// Posts keys to the menu's owner from a timer, as a user choosing in the real menu would.
std::vector<WPARAM> gKeys;
HWND gKeyTarget = nullptr;
void CALLBACK PressKeys(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    for (WPARAM key : gKeys)
        PostMessageA(gKeyTarget, WM_KEYDOWN, key, 0);
}

TEST_F(ToolkitTest, RealPopupMenuRunsTheItemChosenByKeyboard) {
    std::vector<std::string> log;
    TComponent owner(nullptr);
    TPopupMenu* menu = MakeTrayLikeMenu(&owner, log);
    menu->OnPopup = [&](TComponent*) {
        gKeyTarget = menu->WindowHandle();
        gKeys = {VK_DOWN, VK_DOWN, VK_RETURN}; // the second item: Database
        SetTimer(nullptr, 0, 100, &PressKeys);
    };
    menu->Popup(200, 200);
    EXPECT_EQ(log, (std::vector<std::string>{"Database1Click"}));

    log.clear();
    menu->OnPopup = [&](TComponent*) {
        gKeyTarget = menu->WindowHandle();
        gKeys = {VK_ESCAPE};
        SetTimer(nullptr, 0, 100, &PressKeys);
    };
    menu->Popup(200, 200);
    EXPECT_TRUE(log.empty());
}

TEST_F(ToolkitTest, PopupMenuHandlerErrorsReachTheCaller) {
    TComponent owner(nullptr);
    auto* menu = new TPopupMenu(&owner);
    menu->Add("Bad1", "Bad", [](TComponent*) { throw std::runtime_error("bad item"); });
    menu->Track = [](HMENU, int, int, HWND) -> UINT { return 1; };
    EXPECT_THROW(menu->Popup(0, 0), std::runtime_error);
}

// Presses a button of the thread's first dialog box (a message box) from a timer.
int gButton = 0;
void CALLBACK PressDialogButton(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM out) -> BOOL {
            char cls[16] = {};
            GetClassNameA(hwnd, cls, sizeof cls);
            if (std::string(cls) == "#32770" && IsWindowVisible(hwnd)) {
                *reinterpret_cast<HWND*>(out) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr)
        return; // not up yet: try on the next tick
    KillTimer(nullptr, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(gButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, gButton)));
}

TEST_F(ToolkitTest, Win32SystemForwardsMessageBoxesAndTheModuleName) {
    Win32System sys;
    gButton = IDNO;
    SetTimer(nullptr, 0, 50, &PressDialogButton);
    EXPECT_EQ(sys.ShowMessageBox(nullptr, "Are you sure?", "Tarnwick", MB_YESNO | MB_ICONQUESTION),
              IDNO);

    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(sys.ModuleFileName(), path);
    EXPECT_NE(sys.ModuleFileName().find("gui_ToolkitTest.exe"), std::string::npos);
}

TEST_F(ToolkitTest, Win32SystemFileDialogCancelledChoosesNothing) {
    Win32System sys;
    gButton = IDCANCEL;
    SetTimer(nullptr, 0, 100, &PressDialogButton);
    FileDialogRequest request;
    request.Title = "Choose";
    request.FileName = "C:\\nothing.exe";
    std::string chosen = "unchanged";
    EXPECT_FALSE(sys.ChooseFile(request, chosen));
    EXPECT_EQ(chosen, "unchanged");
}

} // namespace
