// The windows' looks under Wine: light as they always were, dark when Windows' app mode or the
// settings ask for it, and the system's own colours under high contrast. What the windows paint
// is read back; the calls Wine ignores (the dark title bar, the dark control themes, the menus'
// mode) are watched through the replaceable table.
#include <gtest/gtest.h>

#include "app/Tarnwick.h"
#include "forms/Config.h"
#include "forms/Database.h"
#include "support/Capture.h"
#include "support/Recorder.h"
#include "toolkit/Application.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using testing_support::CaptureWindow;
using testing_support::DigestOf;

const char* const kPersonalize =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// Windows' app mode as the registry holds it: 0 dark, 1 light, -1 no value.
void SetAppsUseLightTheme(int value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPersonalize, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (value < 0) {
        (void)RegDeleteValueA(key, "AppsUseLightTheme");
    } else {
        const DWORD data = static_cast<DWORD>(value);
        ASSERT_EQ(RegSetValueExA(key, "AppsUseLightTheme", 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&data), sizeof data),
                  ERROR_SUCCESS);
    }
    RegCloseKey(key);
}

// With TARNWICK_THEME_SHOTS set to a folder, each capture is also written there as a PPM picture,
// for looking at.
void Keep(const std::vector<COLORREF>& pixels, HWND window, const std::string& name) {
    const char* folder = std::getenv("TARNWICK_THEME_SHOTS");
    if (!folder)
        return;
    RECT rc{};
    (void)GetWindowRect(window, &rc);
    std::ofstream out(std::string(folder) + "\\" + name + ".ppm", std::ios::binary);
    out << "P6\n" << rc.right - rc.left << " " << rc.bottom - rc.top << "\n255\n";
    for (COLORREF p : pixels)
        out << static_cast<char>(GetRValue(p)) << static_cast<char>(GetGValue(p))
            << static_cast<char>(GetBValue(p));
}

class ThemeTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        folder_ = std::string(temp) + "TarnwickTheme" + std::to_string(GetCurrentProcessId()) +
                  "_" + std::to_string(++serial);
        CreateDirectoryA(folder_.c_str(), nullptr);
        ini_ = folder_ + "\\Tarnwick.ini";
        recorder_.ModulePath = folder_ + "\\Tarnwick.exe";
        SetAppsUseLightTheme(-1);
    }

    void TearDown() override {
        app_.reset();
        SetAppsUseLightTheme(-1);
        DeleteFileA(ini_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    // The launcher with two entries and `system` as the rest of its [SYSTEM] section.
    void Start(const std::string& system = "") {
        std::ofstream(ini_, std::ios::binary)
            << "[DBSYSTEM]\r\nCount=2\r\n[DATABASE]\r\nName0=Notepad\r\nFilename0=notepad.exe\r\n"
               "Keyword0=np\r\nName1=Notes\r\nFilename1=C:\\windows\\notepad.exe\r\nKeyword1=mx\r\n"
               "[SYSTEM]\r\nLeft=10\r\nTop=10\r\n"
            << system;
        app_ = std::make_unique<toolkit::Application>(recorder_);
        app_->Initialize();
        app_->SetTitle("Tarnwick");
        app_->CreateForm<TTarnwick>();
        app_->CreateForm<TF_Config>();
        ASSERT_NE(F_Database, nullptr);
        ASSERT_NE(F_Config, nullptr);
    }

    void Pump() {
        for (int i = 0; i < 5; ++i) {
            app_->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    static std::vector<toolkit::TForm*> Forms() { return {Tarnwick, F_Database, F_Config}; }

    // What each of the three windows shows, each shown alone.
    std::vector<std::vector<COLORREF>> CaptureAll(const std::string& look = "light") {
        std::vector<std::vector<COLORREF>> shots;
        for (toolkit::TForm* form : Forms()) {
            form->Show();
            for (int i = 0; i < 4; ++i)
                Pump(); // the editor's look for missing targets has answered
            // Wine hands what a window drew to the screen a little later, not all at once: the
            // look is the one that stays.
            std::vector<COLORREF> shot = CaptureWindow(form->Handle());
            for (int tries = 0; tries < 6; ++tries) {
                Pump();
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                std::vector<COLORREF> again = CaptureWindow(form->Handle());
                if (again == shot)
                    break;
                shot = std::move(again);
            }
            shots.push_back(std::move(shot));
            form->Hide();
            Pump();
        }
        for (std::size_t i = 0; i < shots.size(); ++i)
            Keep(shots[i], Forms()[i]->Handle(), Forms()[i]->ClassName() + "-" + look);
        return shots;
    }

    testing_support::Recorder recorder_;
    std::unique_ptr<toolkit::Application> app_;
    std::string folder_, ini_;
};

TEST_F(ThemeTest, LightLookIsPixelForPixelTodays) {
    // Digests of the three windows as they were drawn before they had any other look, on this
    // test's Wine prefix at 96 pixels per inch: without a value in the registry, with Windows'
    // app mode light, and with the settings' choice of the light look.
    const unsigned long long todays[] = {0xe970ba22690955f3ull, 0x28e36f7da3df8461ull,
                                         0xff5da6469c87d3dcull};
    for (int mode : {-1, 1, 0}) {
        SCOPED_TRACE(mode);
        SetAppsUseLightTheme(mode);
        Start(mode == 0 ? "Theme=1\r\n" : "");
        const auto shots = CaptureAll(mode < 0 ? "light" : "light" + std::to_string(mode));
        ASSERT_EQ(shots.size(), 3u);
        for (std::size_t i = 0; i < shots.size(); ++i)
            EXPECT_EQ(DigestOf(shots[i]), todays[i]) << Forms()[i]->ClassName();
        app_.reset();
    }
}

} // namespace
