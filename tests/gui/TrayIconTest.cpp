// The tray icon component under Wine: its record and the shell calls (through a stand-in shell
// that can refuse), every mouse message of the callback with and without handlers, the restore
// and menu triggers and their order, the hint rules, animation, loading, removal notifications,
// the session-end and taskbar-created messages, the application hook and destruction.
#include "support/Recorder.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/ImageList.h"
#include "toolkit/PopupMenu.h"
#include "tray/Trayicon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace toolkit;

namespace {

struct ShellCall {
    DWORD Message;
    NOTIFYICONDATAW Data;
};

// The picture of an icon as 16 x 16 pixels, to tell images apart.
std::vector<std::uint32_t> Pixels(HICON icon) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = 16;
    bmi.bmiHeader.biHeight = -16;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bmp);
    std::memset(bits, 0x5A, 16 * 16 * 4);
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<std::uint32_t> out(static_cast<std::uint32_t*>(bits),
                                   static_cast<std::uint32_t*>(bits) + 256);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return out;
}

std::string ShiftText(TShiftState s) {
    std::string t;
    if (s.Contains(TShiftFlag::Shift))
        t += "S";
    if (s.Contains(TShiftFlag::Ctrl))
        t += "C";
    if (s.Contains(TShiftFlag::Alt))
        t += "A";
    if (s.Contains(TShiftFlag::Left))
        t += "l";
    if (s.Contains(TShiftFlag::Right))
        t += "r";
    if (s.Contains(TShiftFlag::Middle))
        t += "m";
    return t;
}

std::string ButtonText(TMouseButton b) {
    return b == TMouseButton::Left ? "L" : b == TMouseButton::Right ? "R" : "M";
}

constexpr LPARAM kMouseMessages[] = {
    WM_MOUSEMOVE, WM_LBUTTONDOWN,   WM_LBUTTONUP,   WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
    WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP,     WM_MBUTTONDBLCLK};

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<Application>(recorder);
        app->Initialize();
        app->SetTitle("Tarnwick");
        owner = std::make_unique<TComponent>(nullptr);
        tray = new TTrayIcon(owner.get());
        tray->ShellNotify = [this](DWORD message, NOTIFYICONDATAW* data) -> BOOL {
            calls.push_back({message, *data});
            if (refuse.empty())
                return TRUE;
            const BOOL answer = refuse.front() ? FALSE : TRUE;
            refuse.erase(refuse.begin());
            if (!answer)
                SetLastError(refuseError);
            return answer;
        };
        menu = new TPopupMenu(owner.get());
        menu->Add(
            "Execute1", "Execute", [this](TComponent*) { log.push_back("Execute1Click"); }, true);
        menu->Add("Exit1", "Exit", [this](TComponent*) { log.push_back("Exit1Click"); });
        menu->OnPopup = [this](TComponent*) { log.push_back("menu"); };
        menu->Track = [this](HMENU, int x, int y, HWND) -> UINT {
            menuAt = {x, y};
            return 0;
        };
    }
    void TearDown() override {
        delete tray; // before the stand-in shell's state goes
        owner.reset();
        app.reset();
    }

    LRESULT Mouse(LPARAM mouseMessage) {
        return SendMessageA(tray->GetHandle(), TTrayIcon::CallbackMessage, 0, mouseMessage);
    }
    void LogEverything() {
        tray->OnClick = [this](TComponent* s) { log.push_back(s == tray ? "click" : "click?"); };
        tray->OnDblClick = [this](TComponent*) { log.push_back("dbl"); };
        tray->OnMouseMove = [this](TComponent*, TShiftState, int, int) { log.push_back("move"); };
        tray->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState, int, int) {
            log.push_back("down " + ButtonText(b));
        };
        tray->OnMouseUp = [this](TComponent*, TMouseButton b, TShiftState, int, int) {
            log.push_back("up " + ButtonText(b));
        };
    }
    void LogRestore() {
        tray->OnRestore = [this](TComponent*) { log.push_back("restore"); };
    }
    std::vector<DWORD> Messages() const {
        std::vector<DWORD> m;
        for (const ShellCall& c : calls)
            m.push_back(c.Message);
        return m;
    }
    std::unique_ptr<TImageList> ThreeImages(TComponent* listOwner = nullptr) {
        auto list = std::make_unique<TImageList>(listOwner);
        list->AddIcon(LoadIconA(nullptr, IDI_APPLICATION));
        list->AddIcon(LoadIconA(nullptr, IDI_HAND));
        list->AddIcon(LoadIconA(nullptr, IDI_QUESTION));
        return list;
    }
    std::vector<std::uint32_t> ImagePixels(TImageList& list, int index) {
        TIcon icon;
        EXPECT_TRUE(list.GetIcon(index, icon));
        return Pixels(icon.Handle());
    }

    testing_support::Recorder recorder;
    std::unique_ptr<Application> app;
    std::unique_ptr<TComponent> owner;
    TTrayIcon* tray = nullptr;
    TPopupMenu* menu = nullptr;
    std::vector<ShellCall> calls;
    std::vector<bool> refuse; // scripted refusals, first to last
    DWORD refuseError = 0;    // the error a refusal leaves
    std::vector<std::string> log;
    POINT menuAt{-1, -1};
};

TEST_F(TrayIconTest, ConstructionFillsTheRecordAndTouchesNoShell) {
    const NOTIFYICONDATAW& d = tray->IconData();
    // The record up to its balloon fields as this build's platform lays it out.
    EXPECT_EQ(d.cbSize, sizeof(void*) == 8 ? 952u : 936u);
    EXPECT_EQ(d.hWnd, tray->GetHandle());
    EXPECT_EQ(d.uFlags, 3u);
    EXPECT_EQ(d.uCallbackMessage, 1025u);
    EXPECT_EQ(d.hIcon, tray->CurrentIcon().Handle());
    EXPECT_EQ(d.szTip[0], '\0');
    NOTIFYICONDATAW rest = d; // every other byte is zero
    rest.cbSize = 0;
    rest.hWnd = nullptr;
    rest.uID = 0;
    rest.uFlags = 0;
    rest.uCallbackMessage = 0;
    rest.hIcon = nullptr;
    NOTIFYICONDATAW zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_EQ(std::memcmp(&rest, &zero, sizeof zero), 0);

    // The application's icon, copied.
    ASSERT_NE(tray->CurrentIcon().Handle(), nullptr);
    EXPECT_NE(tray->CurrentIcon().Handle(), app->Icon());
    EXPECT_EQ(Pixels(tray->CurrentIcon().Handle()), Pixels(app->Icon()));

    EXPECT_FALSE(tray->Visible());
    EXPECT_TRUE(tray->Hide());
    EXPECT_EQ(tray->Hint(), "");
    EXPECT_EQ(tray->RestoreOn(), imDoubleClick);
    EXPECT_EQ(tray->PopupMenuOn(), imNone);
    EXPECT_EQ(tray->IconIndex(), 0);
    EXPECT_EQ(tray->GetAnimateInterval(), 1000);
    EXPECT_FALSE(tray->GetAnimate());
    EXPECT_FALSE(tray->AnimationTimer().Running());
    EXPECT_FALSE(tray->Hooked());
    EXPECT_EQ(tray->PopupMenu(), nullptr);
    EXPECT_EQ(tray->Icons(), nullptr);
    EXPECT_TRUE(calls.empty());

    // A real top-level hidden window of class TTrayIcon, so that tools can find it.
    char cls[32] = {};
    GetClassNameA(tray->GetHandle(), cls, sizeof cls);
    EXPECT_STREQ(cls, "TTrayIcon");
    EXPECT_EQ(FindWindowA("TTrayIcon", nullptr), tray->GetHandle());
    EXPECT_FALSE(IsWindowVisible(tray->GetHandle()));

    // Ids count up from 1 in the order the components are made, so that a program's icon has
    // the same id on every run.
    TTrayIcon second(nullptr);
    second.ShellNotify = nullptr;
    EXPECT_GE(d.uID, 1u);
    EXPECT_EQ(second.IconData().uID, d.uID + 1);
    EXPECT_NE(second.GetHandle(), tray->GetHandle());
}

TEST_F(TrayIconTest, VisibleAddsAndRemovesTheIconAndTheHook) {
    tray->SetHide(false);
    tray->SetVisible(true);
    ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD}));
    EXPECT_EQ(calls[0].Data.hWnd, tray->GetHandle());
    EXPECT_EQ(calls[0].Data.uFlags, 3u);
    EXPECT_TRUE(tray->Visible());
    EXPECT_TRUE(tray->Hide());
    EXPECT_TRUE(tray->Hooked());
    EXPECT_EQ(app->HookCount(), 1);

    tray->SetVisible(true); // the shell is asked again; the hook stays single
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
    EXPECT_EQ(app->HookCount(), 1);

    tray->SetVisible(false);
    EXPECT_EQ(Messages().back(), static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(tray->Visible());
    EXPECT_FALSE(tray->Hide());
    EXPECT_FALSE(tray->Hooked());
    EXPECT_EQ(app->HookCount(), 0);
}

TEST_F(TrayIconTest, RefusedAddRaisesAndLeavesHideAndTheHookAlone) {
    tray->SetHide(false);
    refuse = {true};
    try {
        tray->SetVisible(true);
        FAIL() << "no error";
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.what(), "Cannot Create System Shell Notification Icon");
    }
    EXPECT_TRUE(tray->Visible());
    EXPECT_FALSE(tray->Hide());
    EXPECT_FALSE(tray->Hooked());

    // Escaping a handler, the general report shows it.
    refuse = {true};
    Guard([&] { tray->SetVisible(true); });
    const auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Args[0], "Cannot Create System Shell Notification Icon.");
    EXPECT_EQ(boxes[0].Args[1], "Tarnwick");
    EXPECT_EQ(boxes[0].Number, MB_OK | MB_ICONERROR);
}

TEST_F(TrayIconTest, RefusedRemoveRaisesAndKeepsTheHook) {
    tray->SetVisible(true);
    refuse = {true};
    try {
        tray->SetVisible(false);
        FAIL() << "no error";
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.what(), "Cannot Remove System Shell Notification Icon");
    }
    EXPECT_FALSE(tray->Visible());
    EXPECT_TRUE(tray->Hide());
    EXPECT_TRUE(tray->Hooked());
    delete tray; // the destructor takes the hook away all the same
    tray = nullptr;
    EXPECT_EQ(app->HookCount(), 0);
}

TEST_F(TrayIconTest, UpdateModifiesOnlyWhileShownAndIgnoresRefusal) {
    tray->Update();
    EXPECT_TRUE(calls.empty());
    tray->SetVisible(true);
    refuse = {false, true};
    tray->Update();
    tray->Update(); // refused: not an error
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_MODIFY}));
    EXPECT_EQ(calls.back().Data.hIcon, tray->CurrentIcon().Handle());
}

TEST_F(TrayIconTest, HintUpTo63CharactersIsShownLongerIsRefusedEmptyDropsTheTipFlag) {
    tray->SetVisible(true);
    calls.clear();
    const std::string hint63(63, 'h');
    tray->SetHint(hint63);
    EXPECT_EQ(tray->Hint(), hint63);
    ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY}));
    EXPECT_EQ(calls[0].Data.uFlags, 7u);
    EXPECT_EQ(std::wstring(calls[0].Data.szTip), std::wstring(hint63.begin(), hint63.end()));

    tray->SetHint(std::string(64, 'x'));
    tray->SetHint(std::string(300, 'y'));
    tray->SetHint(hint63); // unchanged: nothing sent
    EXPECT_EQ(tray->Hint(), hint63);
    EXPECT_EQ(calls.size(), 1u);

    tray->SetHint("Tarnwick");
    EXPECT_STREQ(tray->IconData().szTip, L"Tarnwick"); // the longer old hint is gone entirely
    tray->SetHint("");
    EXPECT_EQ(tray->Hint(), "");
    EXPECT_EQ(calls.back().Data.uFlags, 3u);
    EXPECT_EQ(calls.back().Data.szTip[0], '\0');
    // Characters, not bytes: 63 of a script beyond ASCII are shown, as the shell's text.
    std::string japanese;
    for (int i = 0; i < 63; ++i)
        japanese += "\xE6\x97\xA5";
    tray->SetHint(japanese);
    EXPECT_EQ(tray->Hint(), japanese);
    EXPECT_EQ(std::wstring(calls.back().Data.szTip), std::wstring(63, L'\x65E5'));

    TTrayIcon hidden(nullptr); // while hidden the hint is kept for the next add
    hidden.ShellNotify = nullptr;
    hidden.SetHint("tip");
    EXPECT_EQ(hidden.IconData().uFlags, 7u);
}

TEST_F(TrayIconTest, MouseMessagesFireTheirEventsWithButtonShiftAndCursor) {
    LogEverything();
    tray->SetRestoreOn(imNone);
    const std::vector<std::vector<std::string>> expected = {
        {"move"}, {"down L"}, {"click", "up L"}, {"dbl"},  {"down R"},
        {"up R"}, {"dbl"},    {"down M"},        {"up M"}, {"dbl"}};
    for (size_t i = 0; i < std::size(kMouseMessages); ++i) {
        log.clear();
        EXPECT_EQ(Mouse(kMouseMessages[i]), 0);
        EXPECT_EQ(log, expected[i]) << "lParam " << std::hex << kMouseMessages[i];
    }
    log.clear();
    Mouse(WM_MOUSEWHEEL);
    Mouse(WM_USER);
    Mouse(WM_LBUTTONUP | (5 << 16)); // only the whole lParam is a mouse message
    EXPECT_TRUE(log.empty());

    // The arguments: the button's own shift member, and the cursor in screen coordinates.
    std::vector<std::string> args;
    tray->OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState s, int x, int y) {
        POINT p;
        GetCursorPos(&p);
        args.push_back(ButtonText(b) + " " + ShiftText(s) +
                       (x == p.x && y == p.y ? " at" : " off"));
    };
    tray->OnMouseUp = tray->OnMouseDown;
    tray->OnMouseMove = [&](TComponent*, TShiftState s, int, int) {
        args.push_back("move " + ShiftText(s));
    };
    SetCursorPos(321, 123);
    for (LPARAM m : {WM_LBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MOUSEMOVE})
        Mouse(m);
    EXPECT_EQ(args, (std::vector<std::string>{"L l at", "R r at", "M m at", "M m at", "move "}));
}

TEST_F(TrayIconTest, WithoutHandlersNothingRunsAndMouseMoveNeedsAnOnClick) {
    tray->SetRestoreOn(imNone);
    for (LPARAM m : kMouseMessages)
        EXPECT_EQ(Mouse(m), 0);

    tray->OnMouseMove = [this](TComponent*, TShiftState, int, int) { log.push_back("move"); };
    tray->OnMouseUp = [this](TComponent*, TMouseButton, TShiftState, int, int) {
        log.push_back("up");
    };
    Mouse(WM_MOUSEMOVE);
    EXPECT_TRUE(log.empty());
    tray->OnClick = [this](TComponent*) { log.push_back("click"); };
    Mouse(WM_MOUSEMOVE);
    EXPECT_EQ(log, (std::vector<std::string>{"move"}));
}

TEST_F(TrayIconTest, ShiftStateReadsTheKeyboard) {
    BYTE saved[256];
    GetKeyboardState(saved);
    BYTE keys[256];
    std::memcpy(keys, saved, sizeof keys);
    keys[VK_SHIFT] = 0x80;
    keys[VK_CONTROL] = 0x80;
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(ShiftText(tray->ShiftState()), "SC");
    std::string seen;
    tray->OnMouseDown = [&](TComponent*, TMouseButton, TShiftState s, int, int) {
        seen = ShiftText(s);
    };
    Mouse(WM_RBUTTONDOWN);
    EXPECT_EQ(seen, "SCr");
    keys[VK_SHIFT] = 0;
    keys[VK_CONTROL] = 0x01; // toggled, not down
    keys[VK_MENU] = 0x81;
    SetKeyboardState(keys);
    EXPECT_EQ(ShiftText(tray->ShiftState()), "A");
    SetKeyboardState(saved);
}

// Which mouse messages act on each trigger, with and without an OnClick handler.
std::vector<LPARAM> Acting(TTrayIconMessage trigger, bool withOnClick) {
    switch (trigger) {
    case imClick:
        return withOnClick ? std::vector<LPARAM>{WM_LBUTTONUP} : std::vector<LPARAM>{};
    case imDoubleClick:
        return {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    case imMouseDown:
        return {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    case imMouseUp:
        return {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    case imLeftClickUp:
        return {WM_LBUTTONUP};
    case imLeftDoubleClick:
        return {WM_LBUTTONDBLCLK};
    case imRightClickUp:
        return {WM_RBUTTONUP};
    case imRightDoubleClick:
        return {WM_RBUTTONDBLCLK};
    case imNone:
        return {};
    }
    return {};
}

TEST_F(TrayIconTest, EachTriggerRestoresOrPopsUpOnItsMouseMessagesOnly) {
    tray->SetPopupMenu(menu);
    LogRestore();
    for (bool withOnClick : {false, true}) {
        tray->OnClick = withOnClick ? TNotifyEvent([](TComponent*) {}) : TNotifyEvent();
        for (int t = imClick; t <= imNone; ++t) {
            const auto trigger = static_cast<TTrayIconMessage>(t);
            const std::vector<LPARAM> acting = Acting(trigger, withOnClick);
            for (bool restoring : {true, false}) {
                tray->SetRestoreOn(restoring ? trigger : imNone);
                tray->SetPopupMenuOn(restoring ? imNone : trigger);
                std::vector<LPARAM> acted;
                for (LPARAM m : kMouseMessages) {
                    log.clear();
                    Mouse(m);
                    if (!log.empty()) {
                        EXPECT_EQ(log, (std::vector<std::string>{restoring ? "restore" : "menu"}));
                        acted.push_back(m);
                    }
                }
                EXPECT_EQ(acted, acting) << "trigger " << t << (restoring ? " restore" : " menu")
                                         << (withOnClick ? " with OnClick" : "");
            }
        }
    }
}

TEST_F(TrayIconTest, RestoreComesBeforeTheMenuAndTheEventComesLast) {
    tray->SetPopupMenu(menu);
    LogEverything();
    LogRestore();
    struct Case {
        TTrayIconMessage Trigger;
        LPARAM Message;
        std::vector<std::string> Order;
    };
    const std::vector<Case> cases = {
        {imClick, WM_LBUTTONUP, {"restore", "menu", "click", "up L"}},
        {imDoubleClick, WM_RBUTTONDBLCLK, {"restore", "menu", "dbl"}},
        {imMouseDown, WM_MBUTTONDOWN, {"restore", "menu", "down M"}},
        {imMouseUp, WM_RBUTTONUP, {"restore", "menu", "up R"}},
        {imLeftClickUp, WM_LBUTTONUP, {"click", "up L", "restore", "menu"}},
        {imLeftDoubleClick, WM_LBUTTONDBLCLK, {"dbl", "restore", "menu"}},
        {imRightClickUp, WM_RBUTTONUP, {"up R", "restore", "menu"}},
        {imRightDoubleClick, WM_RBUTTONDBLCLK, {"dbl", "restore", "menu"}},
    };
    for (const Case& c : cases) {
        tray->SetRestoreOn(c.Trigger);
        tray->SetPopupMenuOn(c.Trigger);
        log.clear();
        Mouse(c.Message);
        EXPECT_EQ(log, c.Order) << "trigger " << c.Trigger;
    }
}

TEST_F(TrayIconTest, ShowMenuPopsUpAtTheCursorFromTheForeground) {
    tray->ShowMenu(); // no menu: nothing happens
    EXPECT_TRUE(log.empty());

    HWND form = CreateWindowExA(0, "STATIC", "form", WS_POPUP | WS_VISIBLE, 50, 50, 100, 60,
                                app->Handle(), nullptr, nullptr, nullptr);
    TComponent formComponent(nullptr);
    app->FormCreated(&formComponent, form);
    SetForegroundWindow(form);
    SetActiveWindow(form);
    HWND foregroundAtPopup = nullptr;
    HWND foregroundAtTrack = nullptr;
    menu->OnPopup = [&](TComponent*) {
        log.push_back("menu");
        foregroundAtPopup = GetForegroundWindow();
    };
    menu->Track = [&](HMENU, int x, int y, HWND) -> UINT {
        menuAt = {x, y};
        foregroundAtTrack = GetForegroundWindow();
        return 0;
    };
    tray->SetPopupMenu(menu);
    SetCursorPos(400, 300);
    POINT p;
    GetCursorPos(&p);
    tray->ShowMenu();
    EXPECT_EQ(log, (std::vector<std::string>{"menu"}));
    EXPECT_EQ(menuAt.x, p.x);
    EXPECT_EQ(menuAt.y, p.y);
    EXPECT_EQ(foregroundAtPopup, form);
    EXPECT_EQ(foregroundAtTrack, menu->WindowHandle()); // the menu's owner, as tray menus need

    // A stranger in front: our form is not pulled forward over it.
    HWND stranger = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 300, 50, 100, 60,
                                    nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(stranger);
    tray->ShowMenu();
    EXPECT_EQ(foregroundAtPopup, stranger);
    app->FormDestroying(&formComponent);
    DestroyWindow(stranger);
    DestroyWindow(form);
}

TEST_F(TrayIconTest, SystemCommandsToTheApplicationWindowMinimizeAndRestoreWhileShown) {
    tray->OnMinimize = [this](TComponent* s) { log.push_back(s == tray ? "minimize" : "?"); };
    LogRestore();
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(log.empty()); // not shown: no hook
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);

    tray->SetVisible(true);
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"minimize"}));
    EXPECT_TRUE(app->Minimized());
    EXPECT_FALSE(IsWindowVisible(app->Handle())); // no taskbar button left

    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"minimize", "restore"}));
    EXPECT_FALSE(app->Minimized());
    EXPECT_TRUE(IsWindowVisible(app->Handle()));

    // The low four bits make another command for the hook; the application still handles it.
    log.clear();
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_MINIMIZE | 0x2, 0);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(app->Minimized());
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_RESTORE | 0x1, 0);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(app->Minimized());
    EXPECT_FALSE(tray->ApplicationHookProc(WM_SYSCOMMAND, SC_MINIMIZE, 0)); // never consumes
}

TEST_F(TrayIconTest, SessionEndMessages) {
    tray->SetVisible(true);
    calls.clear();
    EXPECT_EQ(SendMessageA(tray->GetHandle(), WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_TRUE(calls.empty());
    // Cancelled, or refused by another program: the session goes on, and so does the icon.
    SendMessageA(tray->GetHandle(), WM_ENDSESSION, FALSE, 0);
    SendMessageA(tray->GetHandle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(calls.empty());
    SendMessageA(tray->GetHandle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_DELETE}));
    refuse = {true};
    EXPECT_FALSE(tray->EndSession()); // the shell's answer, not an error
    EXPECT_TRUE(tray->Visible());     // the component lives on
}

TEST_F(TrayIconTest, TaskbarCreatedAddsAShownIconAgain) {
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    // Elevated, the program hears the shell's message only once it lets it through.
    std::vector<std::pair<HWND, UINT>> allowed;
    tray->MessageFilter = [&](HWND window, UINT message, DWORD action) {
        EXPECT_EQ(action, static_cast<DWORD>(MSGFLT_ALLOW));
        allowed.emplace_back(window, message);
        return TRUE;
    };
    SendMessageA(tray->GetHandle(), taskbarCreated, 0, 0);
    EXPECT_TRUE(calls.empty()); // not shown: stays away

    tray->SetHint("Tarnwick");
    tray->SetVisible(true);
    tray->SetVisible(true);
    EXPECT_EQ(allowed, (std::vector<std::pair<HWND, UINT>>{{tray->GetHandle(), taskbarCreated}}));
    calls.clear();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD}));
    EXPECT_STREQ(calls[0].Data.szTip, L"Tarnwick");
    EXPECT_EQ(calls[0].Data.uFlags, 7u);
    refuse = {true};
    SendMessageA(tray->GetHandle(), taskbarCreated, 0, 0); // refused: no report, no error
    EXPECT_TRUE(recorder.Only("messagebox").empty());
}

TEST_F(TrayIconTest, AnimationStepsThroughThreeImagesAndWrapsAround) {
    auto list = ThreeImages();
    tray->SetIcons(list.get());
    tray->SetVisible(true);
    tray->SetAnimateInterval(250);
    EXPECT_EQ(tray->GetAnimateInterval(), 250);
    EXPECT_EQ(tray->AnimationTimer().Interval(), 250u);
    tray->SetAnimate(true);
    EXPECT_TRUE(tray->GetAnimate());
    EXPECT_TRUE(tray->AnimationTimer().Running());

    std::vector<int> shown;
    for (int tick = 0; tick < 6; ++tick) {
        calls.clear();
        tray->DoOnAnimate(nullptr);
        shown.push_back(tray->IconIndex());
        EXPECT_EQ(Pixels(tray->CurrentIcon().Handle()), ImagePixels(*list, tray->IconIndex()));
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().Message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(calls.back().Data.hIcon, tray->CurrentIcon().Handle());
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 1, 2, 0}));

    tray->SetAnimate(false);
    EXPECT_FALSE(tray->AnimationTimer().Running());
}

TEST_F(TrayIconTest, AnimationTimerTicksThroughTheMessageLoop) {
    auto list = ThreeImages();
    tray->SetIcons(list.get());
    tray->SetAnimateInterval(10);
    tray->SetAnimate(true);
    std::vector<int> seen{tray->IconIndex()};
    // Looked at after every single message: on a busy machine two ticks can come within one
    // pass over the queue.
    for (int i = 0; i < 300 && seen.size() < 4; ++i) {
        while (seen.size() < 4 && app->ProcessMessage())
            if (seen.back() != tray->IconIndex())
                seen.push_back(tray->IconIndex());
        Sleep(5);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0}));
}

TEST_F(TrayIconTest, AnimateIsRefusedWithoutAnImageListOutsideLoading) {
    tray->SetAnimate(true);
    EXPECT_FALSE(tray->GetAnimate());
    EXPECT_FALSE(tray->AnimationTimer().Running());

    tray->BeginLoading(); // from a layout the value is kept until Loaded looks at the list
    tray->SetAnimate(true);
    EXPECT_TRUE(tray->GetAnimate());
    tray->Loaded();
    EXPECT_FALSE(tray->GetAnimate());
    EXPECT_FALSE(tray->AnimationTimer().Running());
    EXPECT_EQ(Pixels(tray->CurrentIcon().Handle()), Pixels(app->Icon()));
}

TEST_F(TrayIconTest, AnIndexOutsideTheListKeepsThePictureAndTheNextTickStartsAgain) {
    auto list = ThreeImages();
    tray->SetIcons(list.get());
    tray->SetIconIndex(1);
    const HICON before = tray->CurrentIcon().Handle();
    const auto picture = Pixels(before);
    for (int outside : {3, 7, -1}) {
        tray->SetIconIndex(outside);
        EXPECT_EQ(tray->IconIndex(), outside);
        EXPECT_EQ(tray->CurrentIcon().Handle(), before);
        EXPECT_EQ(Pixels(tray->CurrentIcon().Handle()), picture);
    }
    tray->DoOnAnimate(nullptr);
    EXPECT_EQ(tray->IconIndex(), 0);
    tray->SetIconIndex(5);
    tray->DoOnAnimate(nullptr);
    EXPECT_EQ(tray->IconIndex(), 0);

    tray->SetIcons(nullptr); // no list: only the index is stored
    tray->SetIconIndex(2);
    EXPECT_EQ(tray->IconIndex(), 2);
}

TEST_F(TrayIconTest, LoadingAsTheLauncherDoes) {
    // The launcher's layout: shown, menu, Hide, no restore, menu on right release, one image.
    auto* list = new TImageList(owner.get());
    list->AddIcon(LoadIconA(nullptr, IDI_HAND));
    tray->BeginLoading();
    tray->SetVisible(true);
    ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD}));
    EXPECT_EQ(Pixels(calls[0].Data.hIcon), Pixels(app->Icon())); // still the application's icon
    tray->SetPopupMenu(menu);
    tray->SetHide(true);
    tray->SetRestoreOn(imNone);
    tray->SetPopupMenuOn(imRightClickUp);
    tray->SetIcons(list);
    tray->Loaded();
    EXPECT_FALSE(tray->Loading());
    ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
    EXPECT_EQ(Pixels(calls[1].Data.hIcon), ImagePixels(*list, 0));
    EXPECT_FALSE(tray->AnimationTimer().Running());

    // Right release pops up the menu; other clicks do nothing visible.
    LogRestore();
    for (LPARAM m : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_RBUTTONDOWN,
                     WM_RBUTTONDBLCLK})
        Mouse(m);
    EXPECT_TRUE(log.empty());
    Mouse(WM_RBUTTONUP);
    EXPECT_EQ(log, (std::vector<std::string>{"menu"}));
}

TEST_F(TrayIconTest, LoadedWithAnimationAndIndexTakesThatImageAndStartsTheTimer) {
    auto list = ThreeImages();
    tray->BeginLoading();
    tray->SetIcons(list.get());
    tray->SetIconIndex(2);
    tray->SetAnimate(true);
    tray->Loaded();
    EXPECT_TRUE(tray->AnimationTimer().Running());
    EXPECT_EQ(Pixels(tray->CurrentIcon().Handle()), ImagePixels(*list, 2));

    tray->SetDefaultIcon();
    EXPECT_EQ(Pixels(tray->CurrentIcon().Handle()), Pixels(app->Icon()));
    EXPECT_EQ(tray->IconData().hIcon, tray->CurrentIcon().Handle());
}

TEST_F(TrayIconTest, RemovedImageListAndMenuAreForgotten) {
    auto* list = new TImageList(owner.get()); // a sibling
    tray->SetIcons(list);
    tray->SetPopupMenu(menu);
    delete list;
    EXPECT_EQ(tray->Icons(), nullptr);
    EXPECT_EQ(tray->PopupMenu(), menu);
    delete menu;
    menu = nullptr;
    EXPECT_EQ(tray->PopupMenu(), nullptr);
    tray->ShowMenu(); // nothing to show, nothing breaks
    tray->DoOnAnimate(nullptr);

    TComponent elsewhere(nullptr); // owned by someone else
    auto* foreign = new TImageList(&elsewhere);
    tray->SetIcons(foreign);
    delete foreign;
    EXPECT_EQ(tray->Icons(), nullptr);
}

TEST_F(TrayIconTest, ErrorsInEventsAreReportedAndTheIconGoesOn) {
    tray->OnMouseDown = [](TComponent*, TMouseButton, TShiftState, int, int) {
        throw std::runtime_error("handler failed");
    };
    EXPECT_EQ(Mouse(WM_LBUTTONDOWN), 0);
    const auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Args[0], "handler failed.");
    EXPECT_EQ(SendMessageA(tray->GetHandle(), WM_QUERYENDSESSION, 0, 0), 1);
}

TEST_F(TrayIconTest, DestructionRemovesTheIconTheWindowAndTheHook) {
    tray->SetVisible(true);
    const HWND hwnd = tray->GetHandle();
    calls.clear();
    std::vector<DWORD> last;
    tray->ShellNotify = [&](DWORD m, NOTIFYICONDATAW*) {
        last.push_back(m);
        return FALSE; // not examined
    };
    delete tray;
    tray = nullptr;
    EXPECT_EQ(last, (std::vector<DWORD>{NIM_DELETE}));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(app->HookCount(), 0);
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0); // no dangling hook
}

TEST_F(TrayIconTest, OwnerDestroysTheIcon) {
    tray->SetVisible(true);
    calls.clear();
    tray->ShellNotify = nullptr; // the stand-in's state must not be needed after this
    owner.reset();
    tray = nullptr;
    EXPECT_EQ(app->HookCount(), 0);
}

// The real shell of Wine: add, change and remove an icon.
TEST_F(TrayIconTest, RealShellAcceptsTheRecord) {
    TTrayIcon real(nullptr);
    real.SetHint("Tarnwick");
    real.SetVisible(true);
    real.SetHint("Tarnwick test");
    real.Update();
    real.SetVisible(false);
    EXPECT_FALSE(real.Visible());
    EXPECT_FALSE(real.Hide());
}

// The launcher's picture in Wine's notification area. With TARNWICK_TRAY_HOLD_MS set the icon stays
// that long, for a screenshot of the desktop.
TEST_F(TrayIconTest, RealIconWithTheLauncherPicture) {
    TImageList list(nullptr);
    const char* source = std::getenv("TARNWICK_SOURCE_DIR");
    const std::string ico = std::string(source ? source : ".") + "/resources/Tarnwick.ico";
    auto picture =
        static_cast<HICON>(LoadImageA(nullptr, ico.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
    list.AddIcon(picture != nullptr ? picture : LoadIconA(nullptr, IDI_INFORMATION));
    if (picture != nullptr)
        DestroyIcon(picture);
    TTrayIcon real(nullptr);
    real.BeginLoading();
    real.SetVisible(true);
    real.SetHint("Tarnwick");
    real.SetPopupMenu(menu);
    real.SetRestoreOn(imNone);
    real.SetPopupMenuOn(imRightClickUp);
    real.SetIcons(&list);
    real.Loaded();
    EXPECT_EQ(Pixels(real.CurrentIcon().Handle()), ImagePixels(list, 0));
    if (const char* hold = std::getenv("TARNWICK_TRAY_HOLD_MS")) {
        const DWORD ms = static_cast<DWORD>(std::atoi(hold));
        const DWORD until = GetTickCount() + ms;
        while (static_cast<int>(until - GetTickCount()) > 0) {
            app->ProcessMessages();
            Sleep(20);
        }
        // Then the launcher's menu, popped up by a right release over the icon, for as long.
        TPopupMenu trayMenu(nullptr);
        trayMenu.Add("Execute1", "Execute", {}, true);
        trayMenu.Add("Database1", "Database");
        trayMenu.Add("Cofiguration1", "Cofiguration");
        trayMenu.Add("N1", "-");
        trayMenu.Add("Exit1", "Exit");
        real.SetPopupMenu(&trayMenu);
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 12, GetSystemMetrics(SM_CYSCREEN) - 12);
        SetTimer(nullptr, 0, ms, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            EndMenu();
        });
        SendMessageA(real.GetHandle(), TTrayIcon::CallbackMessage, 0, WM_RBUTTONUP);
        real.SetPopupMenu(nullptr);
    }
    real.SetVisible(false);
}

// Posts keys to the menu's owner from a timer, as a user choosing in the real menu would.
HWND gKeyTarget = nullptr;
void CALLBACK ChooseFirst(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostMessageA(gKeyTarget, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(gKeyTarget, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(TrayIconTest, RightReleaseOverTheIconOpensTheRealMenuAndRunsTheChoice) {
    tray->SetPopupMenu(menu);
    tray->SetRestoreOn(imNone);
    tray->SetPopupMenuOn(imRightClickUp);
    menu->Track = &TPopupMenu::TrackPopup; // the real menu
    menu->OnPopup = [this](TComponent*) {
        log.push_back("menu");
        gKeyTarget = menu->WindowHandle();
        SetTimer(nullptr, 0, 100, &ChooseFirst);
    };
    Mouse(WM_RBUTTONUP);
    EXPECT_EQ(log, (std::vector<std::string>{"menu", "Execute1Click"}));
}

// Started at logon, before the taskbar: the add fails while no taskbar is there, or times out.
// The icon keeps trying, on its timer and whenever a taskbar announces itself, and becomes an
// ordinary shown icon once the shell takes it.
class TrayIconAtLogon : public TrayIconTest {
protected:
    void SetUp() override {
        TrayIconTest::SetUp();
        tray->TaskbarPresent = [this] { return taskbar; };
        tray->AddRetryMs = 10;
    }
    // Runs the message loop until the icon no longer waits, or a bound.
    void PumpWhilePending() {
        for (int i = 0; i < 400 && tray->AddPending(); ++i) {
            app->ProcessMessages();
            Sleep(5);
        }
    }
    bool taskbar = false;
};

TEST_F(TrayIconAtLogon, NoTaskbarYetWaitsQuietlyAndTheTaskbarsArrivalAddsTheIcon) {
    tray->SetHide(false);
    tray->AddRetries = 3;
    refuse = std::vector<bool>(200, true);
    EXPECT_NO_THROW(tray->SetVisible(true));
    EXPECT_TRUE(tray->Visible());
    EXPECT_TRUE(tray->AddPending());
    EXPECT_TRUE(tray->AddRetryTimerRunning());
    EXPECT_FALSE(tray->Hooked());
    EXPECT_FALSE(tray->Hide());

    tray->SetHint("Tarnwick"); // nothing to modify yet
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD}));
    PumpWhilePending();
    // Three more tries, each an add and a look whether a timed-out add arrived after all; then
    // the timer stops, without a report, and the icon waits for the taskbar.
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_MODIFY, NIM_ADD, NIM_MODIFY,
                                              NIM_ADD, NIM_MODIFY}));
    EXPECT_TRUE(tray->AddPending());
    EXPECT_FALSE(tray->AddRetryTimerRunning());
    EXPECT_TRUE(recorder.Only("messagebox").empty());

    taskbar = true;
    refuse.clear();
    calls.clear();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0,
                        SMTO_ABORTIFHUNG, 2000, &result);
    ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD}));
    EXPECT_STREQ(calls[0].Data.szTip, L"Tarnwick");
    EXPECT_FALSE(tray->AddPending());
    EXPECT_FALSE(tray->AddRetryTimerRunning());
    EXPECT_TRUE(tray->Hooked());
    EXPECT_TRUE(tray->Hide());
}

TEST_F(TrayIconAtLogon, ATimedOutAddIsTriedAgainOnTheTimerAndOneThatArrivedIsKept) {
    taskbar = true;
    refuseError = ERROR_TIMEOUT;
    refuse = {true, true, true, false};
    tray->SetVisible(true);
    EXPECT_TRUE(tray->AddPending());
    PumpWhilePending();
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_MODIFY, NIM_ADD}));
    EXPECT_TRUE(tray->Hooked());

    // The add timed out but reached the shell: the next add is refused, the modify taken.
    delete tray;
    tray = new TTrayIcon(owner.get());
    tray->ShellNotify = [this](DWORD message, NOTIFYICONDATAW*) -> BOOL {
        calls.push_back({message, {}});
        const bool first = calls.size() == 1;
        SetLastError(first ? ERROR_TIMEOUT : ERROR_SUCCESS);
        return message == NIM_MODIFY;
    };
    tray->TaskbarPresent = [] { return true; };
    tray->AddRetryMs = 10;
    calls.clear();
    tray->SetVisible(true);
    PumpWhilePending();
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_MODIFY}));
    EXPECT_FALSE(tray->AddPending());
    EXPECT_TRUE(tray->Hooked());
    EXPECT_TRUE(recorder.Only("messagebox").empty());
}

TEST_F(TrayIconAtLogon, WhileStartingAnyRefusalIsTriedAgainAndOnlyTriesThatRunOutAreReported) {
    // A Run-key start meets a taskbar that is there but refuses, with an error the shell never
    // promised to set: the icon comes on a later try, and nothing is said.
    taskbar = true;
    refuseError = ERROR_ACCESS_DENIED;
    refuse = {true, true, true, false};
    tray->BeginLoading();
    EXPECT_NO_THROW(tray->SetVisible(true));
    tray->Loaded();
    EXPECT_TRUE(tray->AddPending());
    PumpWhilePending();
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_MODIFY, NIM_ADD}));
    EXPECT_FALSE(tray->AddPending());
    EXPECT_TRUE(tray->Hooked());
    EXPECT_TRUE(recorder.Only("messagebox").empty());

    // Refused to the last try: reported once, then the tries stop.
    tray->SetVisible(false);
    tray->AddRetries = 2;
    refuse = std::vector<bool>(200, true);
    tray->BeginLoading();
    EXPECT_NO_THROW(tray->SetVisible(true));
    tray->Loaded();
    PumpWhilePending();
    EXPECT_FALSE(tray->AddPending());
    EXPECT_FALSE(tray->AddRetryTimerRunning());
    const auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Args[0], "Cannot Create System Shell Notification Icon.");
}

TEST_F(TrayIconAtLogon, OnlyATaskbarThatIsThereAndRefusesIsReported) {
    // Once the program runs, refused outright by a taskbar that is there: the error, at once.
    taskbar = true;
    refuse = {true};
    EXPECT_THROW(tray->SetVisible(true), EOutOfResources);
    EXPECT_FALSE(tray->AddPending());

    // Timing out to the end of the tries with a taskbar there: reported once, through the
    // general report, and the tries stop.
    refuseError = ERROR_TIMEOUT;
    refuse = std::vector<bool>(200, true);
    tray->AddRetries = 2;
    tray->SetVisible(true);
    PumpWhilePending();
    EXPECT_FALSE(tray->AddPending());
    EXPECT_FALSE(tray->AddRetryTimerRunning());
    EXPECT_FALSE(tray->Hooked());
    const auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Args[0], "Cannot Create System Shell Notification Icon.");

    // Hidden while still waiting: nothing was added, so nothing is removed and nothing fails.
    taskbar = false;
    tray->SetVisible(true);
    ASSERT_TRUE(tray->AddPending());
    calls.clear();
    EXPECT_NO_THROW(tray->SetVisible(false));
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(tray->AddPending());
    EXPECT_FALSE(tray->AddRetryTimerRunning());
}

} // namespace
