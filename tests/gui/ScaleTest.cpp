// The windows at display scales other than 100 %: the header pictures drawn at their controls'
// size with the labels on them, the hot key's text in the middle of its box, and the tray icon
// at the size the system asks for. A process reads the system's pixels per inch once, when it
// starts (Wine's LogPixels), so this program starts itself again for each scale with the
// prefix's value changed, and the copy lays out and paints the real windows. The program carries
// the launcher's own resources (icon, and the manifest that gives it the version 6 controls and
// DPI awareness), so that its windows draw as the launcher's do.
#include <gtest/gtest.h>

#include "app/Tarnwick.h"
#include "forms/Config.h"
#include "forms/Database.h"
#include "support/Capture.h"
#include "support/InProcessLauncher.h"
#include "support/ScaleChecks.h"
#include "toolkit/Application.h"
#include "toolkit/ImageList.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using testing_support::PixelsOf;
using toolkit::TForm;

constexpr const char* kChildVariable = "TARNWICK_SCALE_DPI";
const char* const kDesktopKey = "Control Panel\\Desktop";

int ChildDpi() {
    const char* dpi = std::getenv(kChildVariable);
    return dpi ? std::atoi(dpi) : 0;
}

// The prefix's LogPixels for processes started from now on; the old value comes back at the end.
class LogPixels {
public:
    explicit LogPixels(DWORD dpi) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key_, nullptr) != ERROR_SUCCESS)
            return;
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                                &size) == ERROR_SUCCESS;
        set_ = RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dpi),
                              sizeof dpi) == ERROR_SUCCESS;
    }
    ~LogPixels() {
        if (!key_)
            return;
        if (had_)
            (void)RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&old_),
                                 sizeof old_);
        else
            (void)RegDeleteValueA(key_, "LogPixels");
        (void)RegCloseKey(key_);
    }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;
    bool Set() const { return set_; }

private:
    HKEY key_ = nullptr;
    DWORD old_ = 96;
    bool had_ = false;
    bool set_ = false;
};

// Runs the AtScale tests of this program in a process of its own at `dpi`; its exit code.
DWORD RunAt(int dpi) {
    const LogPixels scale(static_cast<DWORD>(dpi));
    if (!scale.Set())
        return 100;
    char exe[MAX_PATH] = "";
    (void)GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string commandLine = std::string("\"") + exe + "\" --gtest_filter=AtScale.*";
    (void)SetEnvironmentVariableA(kChildVariable, std::to_string(dpi).c_str());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    const bool started = CreateProcessA(exe, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &si, &pi) != FALSE;
    (void)SetEnvironmentVariableA(kChildVariable, nullptr);
    if (!started)
        return 101;
    DWORD code = 102;
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0)
        (void)GetExitCodeProcess(pi.hProcess, &code);
    else
        (void)TerminateProcess(pi.hProcess, 103);
    (void)CloseHandle(pi.hThread);
    (void)CloseHandle(pi.hProcess);
    return code;
}

TEST(Scale, WindowsAt125_150And200Percent) {
    if (ChildDpi() != 0)
        GTEST_SKIP() << "the copy at another scale runs only the AtScale tests";
    for (const int dpi : {120, 144, 192})
        EXPECT_EQ(RunAt(dpi), 0u) << "the windows at " << dpi << " pixels per inch";
}

class AtScale : public ::testing::Test {
protected:
    void SetUp() override {
        dpi_ = ChildDpi();
        if (dpi_ == 0)
            GTEST_SKIP() << "runs in a copy of this program at another scale";
        ASSERT_EQ(toolkit::ScreenPixelsPerInch(), dpi_);
        launcher_ = std::make_unique<testing_support::InProcessLauncher>("TarnwickScale");
        ASSERT_NE(F_Database, nullptr);
        ASSERT_NE(F_Config, nullptr);
    }
    void TearDown() override { launcher_.reset(); }

    int dpi_ = 0;
    std::unique_ptr<testing_support::InProcessLauncher> launcher_;
};

TEST_F(AtScale, HeaderPicturesFillTheirControlsAndTheLabelsLieOnThem) {
    for (TForm* form : std::vector<TForm*>{F_Database, F_Config})
        testing_support::ExpectHeaderAtItsScale(*form);
}

TEST_F(AtScale, HotKeyTextSitsInTheMiddleOfItsBox) {
    testing_support::ExpectHotKeyTextInTheMiddle(F_Config->Edit1);
}

TEST_F(AtScale, TrayIconIsOfTheSmallIconSizeTheSystemAsksFor) {
    const SIZE small{GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
    EXPECT_GT(small.cx, 16); // the system scales its small icons too
    EXPECT_EQ(Tarnwick->ImageList1->Width(), small.cx);
    EXPECT_EQ(Tarnwick->ImageList1->Height(), small.cy);
    // The image is the resource's own image of that size, not another size scaled to it.
    auto own = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, small.cx, small.cy, 0));
    ASSERT_NE(own, nullptr);
    toolkit::TIcon listed;
    ASSERT_TRUE(Tarnwick->ImageList1->GetIcon(0, listed));
    ICONINFO a{}, b{};
    ASSERT_TRUE(GetIconInfo(own, &a));
    ASSERT_TRUE(GetIconInfo(listed.Handle(), &b));
    BITMAP ba{}, bb{};
    (void)GetObjectA(a.hbmColor, sizeof ba, &ba);
    (void)GetObjectA(b.hbmColor, sizeof bb, &bb);
    EXPECT_EQ(bb.bmWidth, small.cx);
    EXPECT_EQ(bb.bmHeight, small.cy);
    EXPECT_EQ(PixelsOf(b.hbmColor, small.cx, small.cy), PixelsOf(a.hbmColor, small.cx, small.cy));
    for (HBITMAP h : {a.hbmColor, a.hbmMask, b.hbmColor, b.hbmMask})
        (void)DeleteObject(h);
    (void)DestroyIcon(own);
}

} // namespace
