// Checks the Wine test harness itself: a display with a virtual desktop, windows that show and
// hide without waiting for a window manager, and addresses that reach the recording stand-in
// instead of a real browser.
#include "support/E2e.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

TEST(Harness, WindowsShowAndHideOnTheVirtualDesktop) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "HarnessProbe";
    ASSERT_TRUE(RegisterClassA(&wc));
    HWND w = CreateWindowExA(WS_EX_TOPMOST, "HarnessProbe", "probe", WS_POPUP, 10, 10, 50, 20,
                             nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(w, nullptr);
    ShowWindow(w, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(w));
    const auto start = std::chrono::steady_clock::now();
    ShowWindow(w, SW_HIDE);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_FALSE(IsWindowVisible(w));
    std::printf("hide took %lld ms\n", static_cast<long long>(ms));
    // The virtual desktop brings its taskbar, which holds the notification area; without it
    // every hide waits for a window manager and no tray icon can be added.
    EXPECT_NE(FindWindowA("Shell_TrayWnd", nullptr), nullptr);
    DestroyWindow(w);
}

TEST(Harness, AddressesGoToTheRecordingStandIn) {
    const auto before = e2e::BrowserLog();
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", "http://harness.example/", "", "", SW_SHOWNORMAL));
    EXPECT_GT(result, 32);
    std::string after;
    for (int i = 0; i < 100 && after.find("harness.example") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        after = e2e::BrowserLog();
    }
    EXPECT_NE(after.find("http://harness.example/"), std::string::npos) << after;
}

} // namespace
