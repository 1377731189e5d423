// The real Tarnwick.exe under Wine: a new hot key set through the configuration window with the
// keyboard and the mouse, as a user sets it, and then used to call the command window up; an
// entry's own hot key pressed on the keyboard.
#include "support/E2e.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using e2e::Folder;
using e2e::Launcher;

constexpr int kConfiguration = 3; // presses of Down in the tray menu

// Input as the hardware would give it: through the system's input queue, where global hot keys
// are recognised and the keyboard focus decides who gets the rest.
void Send(std::vector<INPUT> input) {
    (void)SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

// A left click in the middle of `window`, the move to it in the same batch of input, so that the
// click cannot land where the cursor was before.
void ClickAt(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    const int x = (r.left + r.right) / 2;
    const int y = (r.top + r.bottom) / 2;
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    move.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    INPUT down = move;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    INPUT up = move;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    Send({move, down, up});
}

HWND ChildOf(HWND parent, const char* cls, const char* text) {
    return FindWindowExA(parent, nullptr, cls, text);
}

class ConfigHotKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ready()) << "TARNWICK_EXE and TARNWICK_MARKER must name the programs";
        e2e::WaitFor([] { return false; }, 50); // the desktop takes the join in
    }

    Folder folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    e2e::DesktopJoin joined_;
};

TEST_F(ConfigHotKeyTest, ANewHotKeySetInTheWindowCallsTheCommandWindowUp) {
    // Ctrl + Alt + F to begin with.
    e2e::WriteFile(folder.Settings(), "[SYSTEM]\r\nhKey=3070\r\n");
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());

    ASSERT_TRUE(tarnwick.ChooseFromTrayMenu(kConfiguration));
    HWND config = nullptr;
    ASSERT_TRUE(e2e::WaitFor([&] {
        const auto shown = e2e::ProcessWindows(tarnwick.Pid(), "TF_Config", true);
        config = shown.empty() ? nullptr : shown.front();
        return config != nullptr;
    }));
    const HWND box = ChildOf(config, "Edit", nullptr);
    const HWND ok = ChildOf(config, "Button", "OK");
    ASSERT_NE(box, nullptr);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(e2e::TextOf(box), "Ctrl + Alt + F");

    ClickAt(box);
    ASSERT_TRUE(e2e::WaitFor([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(config, nullptr), &info) &&
               info.hwndFocus == box;
    })) << "the click put the focus in the hot key box";

    e2e::PressChord({VK_F5});
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(box) == "F5"; }, 3000)) << e2e::TextOf(box);
    // The stored combination, pressed now, lands in the box instead of calling anything up.
    e2e::PressChord({VK_CONTROL, VK_MENU, 'F'});
    tarnwick.Settle();
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(box) == "Ctrl + Alt + F"; }, 3000))
        << e2e::TextOf(box);
    EXPECT_FALSE(tarnwick.CommandVisible());

    e2e::PressChord({VK_CONTROL, VK_SHIFT, 'K'});
    tarnwick.Settle();
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(box) == "Ctrl + Shift + K"; }, 3000))
        << e2e::TextOf(box);
    EXPECT_FALSE(tarnwick.CommandVisible());

    ClickAt(ok);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(config); }));
    EXPECT_EQ(e2e::IniInt(folder.Settings(), "SYSTEM", "hKey", -1), 1000 + 4000 + 'K');

    // The old combination is free now; the new one calls the command window up.
    e2e::PressChord({VK_CONTROL, VK_MENU, 'F'});
    tarnwick.Settle();
    Sleep(300);
    tarnwick.Settle();
    EXPECT_FALSE(tarnwick.CommandVisible());
    e2e::PressChord({VK_CONTROL, VK_SHIFT, 'K'});
    EXPECT_TRUE(e2e::WaitFor([&] { return tarnwick.CommandVisible(); }, 5000));
    EXPECT_EQ(tarnwick.Line(), "");
}

TEST_F(ConfigHotKeyTest, AnEntrysOwnHotKeyStartsItWithoutTheLine) {
    // Ctrl + Alt + J for the marker; Ctrl + Alt + F calls the line up.
    e2e::WriteFile(folder.Settings(),
                   "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nName0=Marker\r\nFilename0=" +
                       folder.Marker() + "\r\nParams0=by-hot-key\r\nKeyword0=mark\r\n" +
                       "HotKey0=3074\r\n[SYSTEM]\r\nhKey=3070\r\nSound=0\r\n");
    Launcher tarnwick(folder);
    ASSERT_TRUE(tarnwick.Start());
    tarnwick.Settle();

    e2e::PressChord({VK_CONTROL, VK_MENU, 'J'});
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::LineCount(folder.MarkerLog()) == 1; }))
        << "the entry did not start";
    EXPECT_NE(e2e::ReadFile(folder.MarkerLog()).find("by-hot-key"), std::string::npos);
    tarnwick.Settle();
    EXPECT_FALSE(tarnwick.CommandVisible());

    e2e::PressChord({VK_CONTROL, VK_MENU, 'F'});
    EXPECT_TRUE(e2e::WaitFor([&] { return tarnwick.CommandVisible(); }, 5000));
    EXPECT_EQ(e2e::LineCount(folder.MarkerLog()), 1u);
}

} // namespace
