// The windows' looks under Wine: light as they always were, dark when Windows' app mode or the
// settings ask for it, and the system's own colours under high contrast. What the windows paint
// is read back; the calls Wine ignores (the dark title bar, the dark control themes, the menus'
// mode) are watched through the replaceable table.
#include <gtest/gtest.h>

#include "app/SettingsKeeper.h"
#include "app/Tarnwick.h"
#include "forms/Config.h"
#include "forms/Database.h"
#include "support/Capture.h"
#include "support/LauncherWindows.h"
#include "support/RedrawProbe.h"
#include "support/Recorder.h"
#include "toolkit/Application.h"
#include "toolkit/Theme.h"

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

// What the look asked of the calls Wine ignores.
struct ThemeCallLog {
    int DarkThemes = 0, LightThemes = 0; // SetWindowTheme with a dark name, or back to none
    std::vector<std::pair<DWORD, BOOL>> TitleBars; // DwmSetWindowAttribute: attribute, value
    std::vector<int> AppModes;                     // SetPreferredAppMode
    int Flushes = 0;                               // FlushMenuThemes
    bool HighContrast = false;
    int Total() const {
        return DarkThemes + LightThemes + static_cast<int>(TitleBars.size() + AppModes.size()) +
               Flushes;
    }
};
ThemeCallLog calls;

HRESULT WINAPI FakeSetWindowTheme(HWND, LPCWSTR name, LPCWSTR) {
    ++(name ? calls.DarkThemes : calls.LightThemes);
    return S_OK;
}
HRESULT WINAPI FakeDwmSetWindowAttribute(HWND, DWORD attribute, LPCVOID value, DWORD) {
    calls.TitleBars.emplace_back(attribute, *static_cast<const BOOL*>(value));
    return S_OK;
}
int WINAPI FakeSetPreferredAppMode(int mode) {
    calls.AppModes.push_back(mode);
    return 0;
}
void WINAPI FakeFlushMenuThemes() {
    ++calls.Flushes;
}
bool FakeHighContrast() {
    return calls.HighContrast;
}

// The relative luminance's order is enough to tell the darkest from the lightest.
double Lightness(COLORREF c) {
    return 0.2126 * GetRValue(c) + 0.7152 * GetGValue(c) + 0.0722 * GetBValue(c);
}

// The colour most pixels of a screen rectangle have: the ground behind what is drawn there.
COLORREF GroundOf(const std::vector<COLORREF>& pixels) {
    std::vector<COLORREF> sorted(pixels);
    std::sort(sorted.begin(), sorted.end());
    COLORREF best = 0;
    std::size_t bestRun = 0;
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t j = i;
        while (j < sorted.size() && sorted[j] == sorted[i])
            ++j;
        if (j - i > bestRun) {
            bestRun = j - i;
            best = sorted[i];
        }
        i = j;
    }
    return best;
}

// The pixels of a control as the screen shows them, cut from its window's capture.
// `inset` pixels in from each edge (a field's border stays out).
std::vector<COLORREF> PixelsOfControl(const std::vector<COLORREF>& shot, HWND window, HWND control,
                                      int inset = 0) {
    RECT outer{}, box{};
    (void)GetWindowRect(window, &outer);
    (void)GetWindowRect(control, &box);
    (void)InflateRect(&box, -inset, -inset);
    const int width = outer.right - outer.left;
    std::vector<COLORREF> pixels;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            pixels.push_back(
                shot.at(static_cast<std::size_t>((y - outer.top) * width + (x - outer.left))));
    return pixels;
}

// The contrast of the text drawn in a control against the ground it is drawn on: the ground is
// the commonest colour, the text the colour that differs most from it.
double TextContrast(const std::vector<COLORREF>& pixels) {
    const COLORREF ground = GroundOf(pixels);
    double best = 1;
    for (COLORREF p : pixels)
        best = std::max(best, testing_support::ContrastRatio(p, ground));
    return best;
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
        saved_ = toolkit::ThemeCalls();
        toolkit::TThemeCalls& table = toolkit::ThemeCalls();
        table.SetWindowTheme = &FakeSetWindowTheme;
        table.DwmSetWindowAttribute = &FakeDwmSetWindowAttribute;
        table.SetPreferredAppMode = &FakeSetPreferredAppMode;
        table.FlushMenuThemes = &FakeFlushMenuThemes;
        table.HighContrastOn = &FakeHighContrast;
        (void)toolkit::SetThemeChoice(0);
        calls = ThemeCallLog();
    }

    void TearDown() override {
        app_.reset();
        SetAppsUseLightTheme(-1);
        toolkit::ThemeCalls() = saved_;
        calls = ThemeCallLog();
        (void)toolkit::SetThemeChoice(0);
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
    // Wine hands what a window drew to the screen a little later, not all at once: the look is
    // the one that stays.
    std::vector<std::vector<COLORREF>> CaptureAll(const std::string& look = "light") {
        std::vector<std::vector<COLORREF>> shots;
        for (toolkit::TForm* form : Forms()) {
            form->Show();
            for (int i = 0; i < 4; ++i)
                Pump(); // the editor's look for missing targets has answered
            shots.push_back(CaptureStable(form->Handle()));
            form->Hide();
            Pump();
        }
        for (std::size_t i = 0; i < shots.size(); ++i)
            Keep(shots[i], Forms()[i]->Handle(), Forms()[i]->ClassName() + "-" + look);
        return shots;
    }

    // Every label, check box and edit box of the three windows (the edit boxes holding text)
    // shows its text at 4.5:1 or more against what is behind it, and the grounds are dark.
    void ExpectDarkAndLegible() {
        F_Database->ListBox1.SetItemIndex(0);
        for (toolkit::TForm* form : Forms()) {
            SCOPED_TRACE(form->ClassName());
            form->Show();
            for (const auto& s : form->DesignLayout().Controls)
                if (s.Kind == toolkit::TControlKind::Edit)
                    toolkit::TWinControl(form->Control(s.Name)).SetText("TEXT 123");
            const std::vector<COLORREF> shot = CaptureStable(form->Handle());
            RECT client{};
            (void)GetClientRect(form->Handle(), &client);
            POINT corner{client.right - 2, client.bottom - 2};
            (void)ClientToScreen(form->Handle(), &corner);
            RECT outer{};
            (void)GetWindowRect(form->Handle(), &outer);
            const COLORREF ground = shot.at(static_cast<std::size_t>(
                (corner.y - outer.top) * (outer.right - outer.left) + corner.x - outer.left));
            EXPECT_LT(Lightness(ground), 60) << std::hex << ground;
            for (const auto& s : form->DesignLayout().Controls) {
                if (s.Kind != toolkit::TControlKind::Label &&
                    s.Kind != toolkit::TControlKind::Edit &&
                    s.Kind != toolkit::TControlKind::CheckBox &&
                    s.Kind != toolkit::TControlKind::ListBox)
                    continue;
                SCOPED_TRACE(s.Name);
                const bool field = s.Kind == toolkit::TControlKind::Edit && !s.Flat;
                const auto pixels =
                    PixelsOfControl(shot, form->Handle(), form->Control(s.Name), field ? 3 : 0);
                EXPECT_GE(TextContrast(pixels), 4.5);
                if (s.Kind != toolkit::TControlKind::Label) {
                    EXPECT_LT(Lightness(GroundOf(pixels)), 60) << "a dark field";
                }
            }
            form->Hide();
            Pump();
        }
    }

    std::vector<COLORREF> CaptureStable(HWND window) {
        Pump();
        std::vector<COLORREF> shot = CaptureWindow(window);
        for (int tries = 0; tries < 6; ++tries) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            std::vector<COLORREF> again = CaptureWindow(window);
            if (again == shot)
                break;
            shot = std::move(again);
        }
        return shot;
    }

    void BroadcastColourSetChange() {
        for (toolkit::TForm* form : Forms())
            (void)SendMessageW(form->Handle(), WM_SETTINGCHANGE, 0,
                               reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
        Pump();
    }

    testing_support::Recorder recorder_;
    std::unique_ptr<toolkit::Application> app_;
    std::string folder_, ini_;
    toolkit::TThemeCalls saved_;
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
    EXPECT_EQ(calls.Total(), 0) << "no dark theme, title bar or menu mode is asked for or undone";
}

TEST_F(ThemeTest, WindowsDarkModeMakesEveryWindowDarkAndLegible) {
    SetAppsUseLightTheme(0);
    Start();
    ExpectDarkAndLegible();
    // The dialogs' title bars dark, the controls' themes dark, the menus' mode dark.
    const std::vector<std::pair<DWORD, BOOL>> titleBars = {{20, TRUE}, {20, TRUE}};
    EXPECT_EQ(calls.TitleBars, titleBars) << "the editor's and the configuration window's";
    EXPECT_GE(calls.DarkThemes, 15);
    EXPECT_EQ(calls.LightThemes, 0);
    EXPECT_EQ(calls.AppModes, std::vector<int>{2});
    EXPECT_EQ(calls.Flushes, 1);
}

TEST_F(ThemeTest, SettingsChoiceOfDarkWinsOverLightWindowsAndIsTakenUpFromAHandEdit) {
    SetAppsUseLightTheme(1);
    Start("Theme=2\r\n");
    EXPECT_EQ(F_Config->Look(), toolkit::TLook::Dark);
    ExpectDarkAndLegible();
    app_.reset();

    Start();
    calls = ThemeCallLog();
    EXPECT_EQ(F_Database->Look(), toolkit::TLook::Light);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100)); // a new file time
    std::ofstream(ini_, std::ios::app) << "Theme=2\r\n";
    ASSERT_TRUE(SettingsKeeper->ReadNow());
    for (toolkit::TForm* form : Forms())
        EXPECT_EQ(form->Look(), toolkit::TLook::Dark) << form->ClassName();
    EXPECT_EQ(calls.AppModes, std::vector<int>{2});
}

TEST_F(ThemeTest, ChangeOfWindowsModeSwitchesWhileRunningAndTheLightLookComesBackWhole) {
    Start();
    const auto light = CaptureAll();
    SetAppsUseLightTheme(0);
    BroadcastColourSetChange();
    for (toolkit::TForm* form : Forms())
        EXPECT_EQ(form->Look(), toolkit::TLook::Dark) << form->ClassName();
    ExpectDarkAndLegible();
    (void)CaptureAll("dark");

    SetAppsUseLightTheme(1);
    BroadcastColourSetChange();
    EXPECT_EQ(CaptureAll("light-again"), light);
    // What the dark look asked for is given back.
    EXPECT_EQ(calls.AppModes, (std::vector<int>{2, 0}));
    EXPECT_EQ(calls.DarkThemes, calls.LightThemes);
    ASSERT_EQ(calls.TitleBars.size(), 4u);
    EXPECT_EQ(calls.TitleBars.back(), (std::pair<DWORD, BOOL>{20, FALSE}));
}

TEST_F(ThemeTest, AWindowFirstShownAfterTheLookChangedMakesItsControlsInThatLook) {
    Start();
    const testing_support::RedrawProbe probe;
    SetAppsUseLightTheme(0);
    BroadcastColourSetChange();
    // The editor and the configuration window have no controls yet: their title bars turn dark,
    // the input line's theme too, and nothing else is asked for or drawn.
    for (const toolkit::TForm* form : Forms())
        EXPECT_EQ(form->Look(), toolkit::TLook::Dark) << form->ClassName();
    EXPECT_FALSE(testing_support::HasChildWindows(F_Database->Handle()));
    EXPECT_FALSE(testing_support::HasChildWindows(F_Config->Handle()));
    EXPECT_EQ(calls.TitleBars.size(), 2u);
    EXPECT_EQ(calls.DarkThemes, 1) << "the input line's alone";
    EXPECT_FALSE(probe.Redrawn());
    // Shown, they are made dark: fields, lists, buttons and check boxes, the header's panel.
    ExpectDarkAndLegible();
    EXPECT_GE(calls.DarkThemes, 15);
    EXPECT_EQ(calls.LightThemes, 0);
}

TEST_F(ThemeTest, HighContrastWinsOverDarkAndShowsTheHeaderTextsOnTheWindowColour) {
    SetAppsUseLightTheme(0);
    calls.HighContrast = true;
    Start("Theme=2\r\n");
    EXPECT_EQ(calls.Total(), 0) << "nothing dark is asked for";
    for (toolkit::TForm* form :
         {static_cast<toolkit::TForm*>(F_Database), static_cast<toolkit::TForm*>(F_Config)}) {
        SCOPED_TRACE(form->ClassName());
        EXPECT_EQ(form->Look(), toolkit::TLook::HighContrast);
        form->Show();
        Pump();
        for (const char* image : {"Image1", "Image2", "Image3"})
            EXPECT_FALSE(IsWindowVisible(form->Control(image))) << image;
        // The header's labels: the window text on the window colour, nothing of a picture.
        for (const char* name : {"Label2", "Label8"}) {
            SCOPED_TRACE(name);
            const HWND label = form->Control(name);
            const auto back = testing_support::CaptureClient(label, [&](HDC dc, const RECT& rc) {
                testing_support::FillWithStaticBrush(label, dc, rc);
                EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
            });
            for (COLORREF p : back)
                ASSERT_EQ(p, GetSysColor(COLOR_WINDOW));
        }
        form->Hide();
    }
    // Off again: the dark look Windows asks for.
    calls.HighContrast = false;
    (void)SendMessageW(F_Config->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(F_Config->Look(), toolkit::TLook::Dark);
    EXPECT_TRUE(GetWindowLongPtrW(F_Config->Control("Image1"), GWL_STYLE) & WS_VISIBLE);
}

} // namespace
