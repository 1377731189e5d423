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
#include "support/Recorder.h"
#include "toolkit/Application.h"
#include "toolkit/ImageList.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using testing_support::CaptureClient;
using testing_support::FillWithStaticBrush;
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

// What a control paints of its client area (WM_PRINTCLIENT), row by row; `background` is given
// first, as its parent would have painted it.
std::vector<COLORREF> PaintedBy(HWND control, COLORREF background) {
    return CaptureClient(control, [&](HDC dc, const RECT& rc) {
        HBRUSH brush = CreateSolidBrush(background);
        (void)FillRect(dc, &rc, brush);
        (void)DeleteObject(brush);
        (void)SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

// The brush a header label's background is painted with, as pixels of the label's size.
std::vector<COLORREF> BackdropOf(HWND label) {
    return CaptureClient(label,
                         [&](HDC dc, const RECT& rc) { FillWithStaticBrush(label, dc, rc); });
}

class AtScale : public ::testing::Test {
protected:
    void SetUp() override {
        dpi_ = ChildDpi();
        if (dpi_ == 0)
            GTEST_SKIP() << "runs in a copy of this program at another scale";
        ASSERT_EQ(toolkit::ScreenPixelsPerInch(), dpi_);
        char temp[MAX_PATH] = "";
        (void)GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "TarnwickScale" + std::to_string(GetCurrentProcessId());
        (void)CreateDirectoryA(folder_.c_str(), nullptr);
        recorder_.ModulePath = folder_ + "\\Tarnwick.exe";
        // The launcher as the entry sequence builds it, without a settings file.
        app_ = std::make_unique<toolkit::Application>(recorder_);
        app_->Initialize();
        app_->SetTitle("Tarnwick");
        app_->CreateForm<TTarnwick>();
        app_->CreateForm<TF_Config>();
        ASSERT_NE(F_Database, nullptr);
        ASSERT_NE(F_Config, nullptr);
    }

    void TearDown() override {
        app_.reset();
        // The command window's hot key atom outlives the process; later tests start without it.
        while (const ATOM atom = GlobalFindAtomA("TARNWICK"))
            if (GlobalDeleteAtom(atom) != 0)
                break;
        (void)RemoveDirectoryA(folder_.c_str());
    }

    int dpi_ = 0;
    std::string folder_;
    testing_support::Recorder recorder_;
    std::unique_ptr<toolkit::Application> app_;
};

TEST_F(AtScale, HeaderPicturesFillTheirControlsAndTheLabelsLieOnThem) {
    for (TForm* form : std::vector<TForm*>{F_Database, F_Config}) {
        SCOPED_TRACE(form->ClassName());
        // Each picture is drawn over its whole control, at the layout's scale.
        const struct {
            const char* Name;
            int Width, Height;
        } pictures[] = {{"Image1", 73, 85}, {"Image2", 172, 30}, {"Image3", 200, 45}};
        for (const auto& p : pictures) {
            SCOPED_TRACE(p.Name);
            const toolkit::Image image(form->Control(p.Name));
            RECT client{};
            (void)GetClientRect(image.Handle(), &client);
            EXPECT_EQ(client.right, form->Scale(p.Width));
            EXPECT_EQ(client.bottom, form->Scale(p.Height));
            BITMAP info{};
            ASSERT_TRUE(GetObjectA(image.Picture(), sizeof info, &info));
            ASSERT_EQ(info.bmWidth, client.right);
            ASSERT_EQ(info.bmHeight, client.bottom);
            // What the control paints is its picture, pixel for pixel, and nothing stretched.
            const auto painted = PaintedBy(image.Handle(), RGB(0, 255, 0));
            const auto picture = PixelsOf(image.Picture(), info.bmWidth, info.bmHeight);
            std::size_t differing = 0;
            for (std::size_t i = 0; i < picture.size(); ++i)
                differing += painted[i] != picture[i];
            EXPECT_EQ(differing, 0u);
        }

        // The version label lies on the badge of the lower picture: its whole width, and all
        // but the few rows below the picture's edge that the backdrop carries the badge on to.
        const toolkit::Image image3(form->Control("Image3"));
        const RECT drawn = image3.Bounds();
        const RECT version = toolkit::Label(form->Control("Label2")).Bounds();
        EXPECT_GE(version.left, drawn.left);
        EXPECT_LE(version.right, drawn.right);
        EXPECT_GE(version.top, drawn.top);
        EXPECT_LT(version.top + (version.bottom - version.top) / 2, drawn.bottom);
        // "Freeware" lies on the header's white, right of the word mark.
        RECT header{};
        (void)GetClientRect(form->Control("Panel1"), &header);
        RECT freeware = toolkit::Label(form->Control("Label8")).Bounds();
        RECT inside{};
        EXPECT_TRUE(IntersectRect(&inside, &freeware, &header) && EqualRect(&inside, &freeware));

        // Behind the version label: the scaled picture where it is, its last row below it, and
        // so the dark badge, never the white panel.
        const auto backdrop = BackdropOf(form->Control("Label2"));
        const auto picture =
            PixelsOf(image3.Picture(), drawn.right - drawn.left, drawn.bottom - drawn.top);
        const int width = version.right - version.left;
        const int pictureWidth = drawn.right - drawn.left;
        std::size_t differing = 0, light = 0;
        for (int y = 0; y < version.bottom - version.top; ++y) {
            for (int x = 0; x < width; ++x) {
                const int px = version.left + x - drawn.left;
                const int py =
                    std::min<int>(version.top + y - drawn.top, drawn.bottom - drawn.top - 1);
                const COLORREF shown = backdrop[static_cast<std::size_t>(y * width + x)];
                differing += shown != picture[static_cast<std::size_t>(py * pictureWidth + px)];
                light += GetRValue(shown) > 200 && GetGValue(shown) > 200 && GetBValue(shown) > 200;
            }
        }
        EXPECT_EQ(differing, 0u);
        // The badge's rounded corners and its last column may show the white around it.
        EXPECT_LT(light * 10, backdrop.size()) << light << " of " << backdrop.size();
    }
}

TEST_F(AtScale, HotKeyTextSitsInTheMiddleOfItsBox) {
    const toolkit::Edit box = F_Config->Edit1;
    box.SetText("Ctrl + Alt + K");
    RECT client{};
    (void)GetClientRect(box.Handle(), &client);
    const LRESULT at = SendMessageA(box.Handle(), EM_POSFROMCHAR, 0, 0);
    const int top = static_cast<short>(HIWORD(at));
    HDC dc = GetDC(box.Handle());
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(box.Handle(), WM_GETFONT, 0, 0)));
    TEXTMETRICA tm{};
    (void)GetTextMetricsA(dc, &tm);
    (void)SelectObject(dc, old);
    (void)ReleaseDC(box.Handle(), dc);
    const int above = top - client.top;
    const int below = client.bottom - (top + tm.tmHeight);
    EXPECT_GE(above, 0);
    EXPECT_GE(below, 0);
    EXPECT_LE(std::abs(above - below), 1) << above << " above the line, " << below << " below";
    EXPECT_EQ(box.Text(), "Ctrl + Alt + K"); // one line, nothing wrapped away
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
