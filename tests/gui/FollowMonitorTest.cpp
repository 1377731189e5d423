// The command window on the monitor that holds the mouse pointer ("FollowMonitor"), in-process
// under Wine. Wine shows one monitor; the monitor look-up plays three, of different sizes and
// scales, that tile Wine's screen, so that nothing pulls the window back onto a real one.
#include "app/FollowMonitor.h"
#include "support/LauncherInFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TWorkArea gMonitors[3];
int gPointerOn = 0;

TWorkArea PointerMonitor() {
    return gMonitors[gPointerOn];
}
TWorkArea MainMonitor() {
    return gMonitors[0];
}

class FollowMonitorTest : public testing_support::LauncherInFolder {
protected:
    void SetUp() override {
        LauncherInFolder::SetUp();
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        // The main monitor on the left with a taskbar; at 150 % top right; at 125 % below it.
        gMonitors[0] = {0, 0, w / 2, h - 30, 96};
        gMonitors[1] = {w / 2, 0, w, h / 2, 144};
        gMonitors[2] = {w / 2, h / 2, w, h, 120};
        gPointerOn = 0;
        savedPointer_ = TMonitorLookup::CursorMonitor;
        savedMain_ = TMonitorLookup::MainMonitor;
        TMonitorLookup::CursorMonitor = &PointerMonitor;
        TMonitorLookup::MainMonitor = &MainMonitor;
    }
    void TearDown() override {
        TMonitorLookup::CursorMonitor = savedPointer_;
        TMonitorLookup::MainMonitor = savedMain_;
        LauncherInFolder::TearDown();
    }
    // The hot key with the pointer on monitor m; where the line shows.
    POINT CallUpOn(int m) {
        Tarnwick->Hide();
        gPointerOn = m;
        (void)PostMessageW(Tarnwick->Handle(), WM_HOTKEY, 1, 0);
        Pump();
        EXPECT_TRUE(Tarnwick->Visible());
        return {Tarnwick->Left(), Tarnwick->Top()};
    }
    static POINT Expected(POINT stored, int m) {
        const TPlace p = PlaceOnMonitor({stored.x, stored.y}, gMonitors[0], gMonitors[m], 129, 18);
        return {p.X, p.Y};
    }
    int Stored(const char* key) const { return e2e::IniInt(Ini(), "SYSTEM", key, -9999); }

    TWorkArea (*savedPointer_)() = nullptr;
    TWorkArea (*savedMain_)() = nullptr;
};

bool operator==(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

TEST_F(FollowMonitorTest, TheLineComesUpWhereThePointerIsAtTheStoredPlaceOfThatMonitor) {
    Settings("[SYSTEM]\r\nLeft=40\r\nTop=30\r\nFollowMonitor=1\r\n");
    Start();
    EXPECT_TRUE(CallUpOn(0) == (POINT{40, 30}));
    for (const int m : {1, 2, 0, 2}) {
        const POINT at = CallUpOn(m);
        const POINT want = Expected({40, 30}, m);
        EXPECT_TRUE(at == want) << m << ": " << at.x << "," << at.y << " not " << want.x << ","
                                << want.y;
        EXPECT_GE(at.x, gMonitors[m].Left);
        EXPECT_GE(at.y, gMonitors[m].Top);
    }
    EXPECT_EQ(Stored("Left"), 40) << "call-ups store nothing";

    // Dragged on monitor 1 and let go there: stored as the place it stands for on the main one,
    // so that the next call-up on any monitor keeps it.
    const POINT there = CallUpOn(1);
    gPointerOn = 1;
    Tarnwick->SetLeft(there.x + 60);
    Tarnwick->SetTop(there.y + 20);
    Tarnwick->Edit1MouseUp(toolkit::TMouseButton::Left, {}, 5, 5);
    const TPlace main =
        PlaceOnMonitor({there.x + 60, there.y + 20}, gMonitors[1], gMonitors[0], 129, 18);
    EXPECT_EQ(Stored("Left"), main.X);
    EXPECT_EQ(Stored("Top"), main.Y);
    EXPECT_TRUE(CallUpOn(0) == (POINT{main.X, main.Y}));
    const POINT back = CallUpOn(1);
    EXPECT_NEAR(back.x, there.x + 60, 2);
    EXPECT_NEAR(back.y, there.y + 20, 2);
}

TEST_F(FollowMonitorTest, WithTheOptionOffTheLineKeepsItsOnePlace) {
    Settings("[SYSTEM]\r\nLeft=40\r\nTop=30\r\n");
    Start();
    for (const int m : {1, 2, 0})
        EXPECT_TRUE(CallUpOn(m) == (POINT{40, 30})) << m;
    gPointerOn = 2;
    Tarnwick->SetLeft(70);
    Tarnwick->Edit1MouseUp(toolkit::TMouseButton::Left, {}, 5, 5);
    EXPECT_EQ(Stored("Left"), 70);
    EXPECT_EQ(Stored("Top"), 30);
}

} // namespace
