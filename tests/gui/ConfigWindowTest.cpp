// The configuration window under Wine: the real command window behind it, a real settings file in
// a temporary folder, the prefix's real registry (the current user's Run key) and real global hot
// keys and atoms.
#include <gtest/gtest.h>

#include "app/Tarnwick.h"
#include "forms/Config.h"
#include "support/E2e.h"
#include "support/HotKeyInput.h"
#include "support/LauncherWindows.h"
#include "support/Recorder.h"
#include "toolkit/Application.h"

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using testing_support::KeyDown;
using testing_support::KeyUp;
using testing_support::PressInBox;

const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kValue = "Orvalen Tarnwick";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// One registry value as stored: whether it is there, its type and its raw bytes.
struct RawValue {
    bool Present = false;
    DWORD Type = 0;
    std::string Bytes;
    bool operator==(const RawValue&) const = default;
};

bool RunKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

RawValue ReadRunValue() {
    RawValue v;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return v;
    DWORD size = 0;
    if (RegQueryValueExA(key, kValue, nullptr, &v.Type, nullptr, &size) == ERROR_SUCCESS) {
        v.Bytes.assign(size, '\0');
        v.Present =
            RegQueryValueExA(key, kValue, nullptr, &v.Type, reinterpret_cast<BYTE*>(v.Bytes.data()),
                             &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return v;
}

void PutRunValue(DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, kValue, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void PutRunText(const std::string& text) {
    PutRunValue(REG_SZ, text + '\0');
}

void DeleteRunValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        (void)RegDeleteValueA(key, kValue);
        RegCloseKey(key);
    }
}

// Whether some window holds the global hot key: a second registration of it is refused then.
bool HotKeyTaken(UINT modifiers, UINT vk) {
    constexpr int kProbeId = 0xBEEF;
    if (!RegisterHotKey(nullptr, kProbeId, modifiers, vk))
        return true;
    (void)UnregisterHotKey(nullptr, kProbeId);
    return false;
}

void ReleaseAllAtoms() {
    for (int i = 0; i < 1000; ++i) {
        const ATOM atom = GlobalFindAtomA("TARNWICK");
        if (atom == 0)
            return;
        (void)GlobalDeleteAtom(atom);
    }
}

// Another program holding a global hot key for as long as it lives.
class HeldElsewhere {
public:
    HeldElsewhere(UINT modifiers, UINT vk) : held_(RegisterHotKey(nullptr, kId, modifiers, vk)) {}
    ~HeldElsewhere() {
        if (held_)
            (void)UnregisterHotKey(nullptr, kId);
    }
    HeldElsewhere(const HeldElsewhere&) = delete;
    HeldElsewhere& operator=(const HeldElsewhere&) = delete;
    bool Held() const { return held_; }

private:
    static constexpr int kId = 0xB0B;
    bool held_;
};

class ConfigWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        folder_ = std::string(temp) + "TarnwickConfig" + std::to_string(GetCurrentProcessId()) +
                  "_" + std::to_string(++serial);
        CreateDirectoryA(folder_.c_str(), nullptr);
        ini_ = folder_ + "\\Tarnwick.ini";
        exe_ = folder_ + "\\\\Tarnwick.exe";        // ExeFolder ends in two backslashes
        run_ = "\"" + folder_ + "\\Tarnwick.exe\""; // what OK writes: the exe's path, quoted
        recorder_.ModulePath = folder_ + "\\Tarnwick.exe";

        // The program never makes the Run key; a fresh prefix may lack it, so the test does.
        hadRunKey_ = RunKeyExists();
        if (!hadRunKey_) {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS,
                                      nullptr, &key, nullptr),
                      ERROR_SUCCESS);
            RegCloseKey(key);
        }
        DeleteRunValue();
        ReleaseAllAtoms();
    }

    void TearDown() override {
        app_.reset();
        DeleteRunValue();
        if (!hadRunKey_)
            (void)RegDeleteKeyA(HKEY_CURRENT_USER, kRun);
        else if (!RunKeyExists())
            RestoreRunKey();
        ReleaseAllAtoms();
        DeleteFileA(ini_.c_str());
        RemoveDirectoryA(ini_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    // The launcher as the entry sequence builds it, reading `settings` as its settings file.
    void Start(const std::string& settings) {
        if (!settings.empty())
            WriteFile(ini_, settings);
        app_ = std::make_unique<toolkit::Application>(recorder_);
        app_->Initialize();
        app_->SetTitle("Tarnwick");
        testing_support::CreateLauncherWindows(*app_, true);
        ASSERT_NE(Tarnwick, nullptr);
        ASSERT_NE(F_Config, nullptr);
        ASSERT_EQ(Tarnwick->ExeFolder, folder_ + "\\\\");
    }

    void Pump() {
        for (int i = 0; i < 5; ++i) {
            app_->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // Moves the Run key aside for a test that needs it missing; TearDown puts it back.
    void RemoveRunKey() {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        char name[16384];
        std::vector<BYTE> data(65536);
        for (DWORD i = 0;; ++i) {
            DWORD nameLen = sizeof name;
            DWORD dataLen = static_cast<DWORD>(data.size());
            DWORD type = 0;
            if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data.data(), &dataLen) !=
                ERROR_SUCCESS)
                break;
            savedRun_.push_back({name, type, std::string(data.begin(), data.begin() + dataLen)});
        }
        RegCloseKey(key);
        ASSERT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, kRun), ERROR_SUCCESS);
        ASSERT_FALSE(RunKeyExists());
    }
    void RestoreRunKey() {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return;
        for (const auto& v : savedRun_)
            RegSetValueExA(key, v.Name.c_str(), 0, v.Type,
                           reinterpret_cast<const BYTE*>(v.Bytes.data()),
                           static_cast<DWORD>(v.Bytes.size()));
        RegCloseKey(key);
    }

    int IniInt(const char* key, int missing = -12345) const {
        return static_cast<int>(GetPrivateProfileIntA("SYSTEM", key, missing, ini_.c_str()));
    }

    std::vector<std::string> Reports() const {
        std::vector<std::string> texts;
        for (const auto& call : recorder_.Only("messagebox"))
            texts.push_back(call.Args.at(0));
        return texts;
    }

    struct SavedValue {
        std::string Name;
        DWORD Type;
        std::string Bytes;
    };

    testing_support::Recorder recorder_;
    std::unique_ptr<toolkit::Application> app_;
    std::string folder_, ini_, exe_, run_;
    bool hadRunKey_ = false;
    std::vector<SavedValue> savedRun_;
};

// ---- Layout ------------------------------------------------------------------------------------

TEST_F(ConfigWindowTest, WindowIsBuiltAsItsLayoutSays) {
    Start("");
    TF_Config& w = *F_Config;
    char cls[64] = "";
    GetClassNameA(w.Handle(), cls, sizeof cls);
    EXPECT_STREQ(cls, "TF_Config");
    EXPECT_EQ(w.Caption(), "Tarnwick configuration");
    EXPECT_EQ(w.ClientWidth(), w.Scale(317));
    EXPECT_EQ(w.ClientHeight(), w.Scale(365));
    EXPECT_FALSE(w.Visible());
    const LONG_PTR style = GetWindowLongPtrA(w.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    EXPECT_EQ(w.CheckBox1.Text(), "Do not want Enter key for completion");
    EXPECT_EQ(w.CheckBox2.Text(), "Detect and open web/internet addresses and \"mailto:\"");
    EXPECT_EQ(w.CheckBox3.Text(), "Use sound effect to notify about successfull operation");
    EXPECT_EQ(w.CheckBox4.Text(), "Start Tarnwick with Windows");
    EXPECT_EQ(w.Label1.Text(), "Global hot key for Tarnwick:");
    EXPECT_EQ(w.Label2.Text(), "ver 1.0");
    EXPECT_EQ(w.Label3.Text(), "General options");
    EXPECT_EQ(w.Label4.Text(), "Translucency effects");
    EXPECT_EQ(w.Label5.Text(), "Visibility of window:");
    EXPECT_EQ(w.Label6.Text(), "1%");
    EXPECT_EQ(w.Label7.Text(), "50%");
    EXPECT_EQ(w.Label8.Text(), "Freeware");
    EXPECT_EQ(w.Label9.Text(), "100%");
    EXPECT_EQ(w.Button1.Text(), "OK");
    EXPECT_EQ(w.Button2.Text(), "Cancel");
    EXPECT_TRUE(w.Button1.Default());
    EXPECT_FALSE(w.Button2.Default());

    // The hot key box: clicked into, never tabbed into, one character at most.
    EXPECT_EQ(w.Edit1.Text(), "None");
    EXPECT_FALSE(GetWindowLongPtrA(w.Edit1.Handle(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(w.Edit1.MaxLength(), 1);
    for (const auto* box : {&w.CheckBox1, &w.CheckBox2, &w.CheckBox3, &w.CheckBox4})
        EXPECT_TRUE(GetWindowLongPtrA(box->Handle(), GWL_STYLE) & WS_TABSTOP);

    // The slider: 1 to 255, steps of 25, ticks at 1, 128 and 255 below it.
    const HWND slider = w.TrackBar1.Handle();
    EXPECT_EQ(w.TrackBar1.Min(), 1);
    EXPECT_EQ(w.TrackBar1.Max(), 255);
    EXPECT_EQ(w.TrackBar1.Position(), 1);
    EXPECT_EQ(SendMessageA(slider, TBM_GETLINESIZE, 0, 0), 25);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPAGESIZE, 0, 0), 25);
    EXPECT_EQ(SendMessageA(slider, TBM_GETNUMTICS, 0, 0), 3);
    EXPECT_EQ(SendMessageA(slider, TBM_GETTIC, 0, 0), 128);
    EXPECT_EQ(SendMessageA(slider, TBM_GETTHUMBLENGTH, 0, 0), w.Scale(15));
    EXPECT_FALSE(GetWindowLongPtrA(slider, GWL_STYLE) & (TBS_VERT | TBS_TOP | TBS_BOTH));
}

TEST_F(ConfigWindowTest, HeaderShowsThePicturesAtTheirSizes) {
    Start("[SYSTEM]\nhKey=3070\nAlphaBlendValue=200\n");
    PutRunText(exe_);
    F_Config->Show();
    const struct {
        const toolkit::Image* Image;
        LONG Width, Height;
    } pictures[] = {
        {&F_Config->Image1, 73, 85}, {&F_Config->Image2, 172, 30}, {&F_Config->Image3, 200, 45}};
    for (const auto& p : pictures) {
        BITMAP info{};
        ASSERT_NE(p.Image->Picture(), nullptr);
        ASSERT_TRUE(GetObjectA(p.Image->Picture(), sizeof info, &info));
        EXPECT_EQ(info.bmWidth, p.Width);
        EXPECT_EQ(info.bmHeight, p.Height);
    }
    // Set TARNWICK_HOLD_SECONDS to keep the window on screen for a screenshot.
    if (const char* hold = std::getenv("TARNWICK_HOLD_SECONDS")) {
        SetForegroundWindow(F_Config->Handle());
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(hold));
        while (std::chrono::steady_clock::now() < until)
            Pump();
    }
    F_Config->Button2.Click();
}

// ---- Start with Windows ------------------------------------------------------------------------

TEST_F(ConfigWindowTest, RunValueIsRecognisedQuotedUnquotedOrDoubledInAnyLetterCase) {
    Start("");
    struct Case {
        std::string Stored;
        bool Ticked;
    };
    const auto lower = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    const std::string singleBackslash = folder_ + "\\Tarnwick.exe";
    const Case cases[] = {
        {run_, true},
        {lower(run_), true},
        {singleBackslash, true},
        {exe_, true}, // as older versions wrote it
        {lower(exe_), true},
        {"\"" + exe_ + "\"", false},
        {run_ + " /min", false},
        {exe_ + " /min", false},
        {exe_ + " ", false},
        {"\"" + singleBackslash, false},
        {folder_ + "\\Other.exe", false},
        {"", false},
    };
    for (const Case& c : cases) {
        PutRunText(c.Stored);
        F_Config->CheckBox4.SetChecked(!c.Ticked);
        F_Config->Show();
        EXPECT_EQ(F_Config->CheckBox4.Checked(), c.Ticked) << c.Stored;
        F_Config->Button2.Click();
        EXPECT_FALSE(F_Config->Visible());
        EXPECT_EQ(ReadRunValue().Bytes, c.Stored + '\0') << "Cancel leaves the value alone";
    }
    // A REG_EXPAND_SZ value is compared as stored, without expanding it.
    PutRunValue(REG_EXPAND_SZ, exe_ + '\0');
    F_Config->Show();
    EXPECT_TRUE(F_Config->CheckBox4.Checked());
    F_Config->Button2.Click();
    DeleteRunValue();
    F_Config->CheckBox4.SetChecked(true);
    F_Config->Show();
    EXPECT_FALSE(F_Config->CheckBox4.Checked()) << "no value";
    F_Config->Button2.Click();
}

TEST_F(ConfigWindowTest, OkWritesTheRunValueAfreshOrRemovesIt) {
    Start("");
    // As an older version wrote it, in other letter case: ticked, and OK stores the exe's path,
    // quoted, so that Windows never runs a prefix of a path with blanks.
    std::string upper = exe_;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    PutRunText(upper);
    F_Config->Show();
    ASSERT_TRUE(F_Config->CheckBox4.Checked());
    F_Config->Button1.Click();
    EXPECT_EQ(ReadRunValue(), (RawValue{true, REG_SZ, run_ + '\0'}));

    // Naming another folder: unticked; ticking it and OK replaces the value.
    PutRunText("C:\\Elsewhere\\\\Tarnwick.exe");
    F_Config->Show();
    ASSERT_FALSE(F_Config->CheckBox4.Checked());
    F_Config->CheckBox4.Click();
    F_Config->Button1.Click();
    EXPECT_EQ(ReadRunValue(), (RawValue{true, REG_SZ, run_ + '\0'}));

    // Unticking and OK removes it.
    F_Config->Show();
    ASSERT_TRUE(F_Config->CheckBox4.Checked());
    F_Config->CheckBox4.Click();
    F_Config->Button1.Click();
    EXPECT_FALSE(ReadRunValue().Present);
    EXPECT_TRUE(RunKeyExists());
    EXPECT_TRUE(Reports().empty());
}

TEST_F(ConfigWindowTest, MissingRunKeyIsNeitherReadNorMade) {
    RemoveRunKey();
    Start("");
    F_Config->CheckBox4.SetChecked(true);
    F_Config->Show();
    EXPECT_FALSE(F_Config->CheckBox4.Checked());
    F_Config->CheckBox4.Click();
    ASSERT_TRUE(F_Config->CheckBox4.Checked());
    F_Config->Button1.Click();
    EXPECT_FALSE(F_Config->Visible());
    EXPECT_FALSE(RunKeyExists());
    EXPECT_EQ(IniInt("AlphaBlendValue"), 255) << "the rest of OK went on";
    EXPECT_TRUE(Reports().empty());
}

TEST_F(ConfigWindowTest, NonTextRunValueIsReportedAndTheWindowStillOpensToReplaceIt) {
    Start("[SYSTEM]\nhKey=3070\nWeb=0\n");
    ASSERT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F'));
    for (const bool tick : {false, true}) {
        SCOPED_TRACE(tick);
        PutRunValue(tick ? REG_BINARY : REG_DWORD, std::string("\x01\x00\x00\x00", 4));
        F_Config->CheckBox2.SetChecked(true);
        F_Config->CheckBox4.SetChecked(true);
        // The tray menu's handler shows the window; what escapes it goes to the error report.
        toolkit::Guard([] { F_Config->Show(); });
        ASSERT_EQ(Reports().size(), tick ? 2u : 1u);
        // The quote ends the message, so the report adds no full stop.
        EXPECT_EQ(Reports().back(), "Invalid data type for 'Orvalen Tarnwick'");
        EXPECT_EQ(recorder_.Only("messagebox")[0].Args.at(1), "Tarnwick");
        // The window opened all the same, loaded, with the box unticked and the hot key suspended
        // for capture.
        EXPECT_TRUE(F_Config->Visible());
        EXPECT_FALSE(F_Config->CheckBox4.Checked());
        EXPECT_FALSE(F_Config->CheckBox2.Checked());
        EXPECT_EQ(F_Config->Edit1.Text(), "Ctrl + Alt + F");
        EXPECT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F'));
        if (tick)
            F_Config->CheckBox4.Click();
        F_Config->Button1.Click();
        EXPECT_FALSE(F_Config->Visible());
        const auto value = ReadRunValue();
        EXPECT_EQ(value.Present, tick) << "OK removes the value, or replaces it with text";
        if (tick) {
            EXPECT_EQ(value.Type, static_cast<DWORD>(REG_SZ));
        }
    }
}

// ---- Options and translucency ------------------------------------------------------------------

TEST_F(ConfigWindowTest, ShowLoadsTheOptionsAndOkStoresAndAppliesThem) {
    Start("[SYSTEM]\nAlphaBlendValue=200\nWeb=0\nNoEnter=1\nSound=0\n");
    F_Config->Show();
    EXPECT_TRUE(F_Config->Visible());
    EXPECT_TRUE(F_Config->CheckBox1.Checked());  // NoEnter
    EXPECT_FALSE(F_Config->CheckBox2.Checked()); // Web
    EXPECT_FALSE(F_Config->CheckBox3.Checked()); // Sound
    EXPECT_EQ(F_Config->TrackBar1.Position(), 200);
    // Every NT-family system since Windows 2000 draws translucent windows, Wine's included.
    EXPECT_TRUE(F_Config->TrackBar1.Enabled());

    F_Config->CheckBox1.Click();
    F_Config->CheckBox2.Click();
    F_Config->TrackBar1.SetPosition(100);
    F_Config->Button1.Click();
    EXPECT_FALSE(F_Config->Visible());
    EXPECT_EQ(IniInt("AlphaBlendValue"), 100);
    EXPECT_EQ(IniInt("NoEnter"), 0);
    EXPECT_EQ(IniInt("Web"), 1);
    EXPECT_EQ(IniInt("Sound"), 0);
    EXPECT_FALSE(Tarnwick->NoEnter);
    EXPECT_TRUE(Tarnwick->Web);
    EXPECT_FALSE(Tarnwick->Sound);
    EXPECT_EQ(Tarnwick->AlphaBlendValue(), 100);
    EXPECT_TRUE(Tarnwick->AlphaBlend());
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(Tarnwick->Handle(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 100);
}

TEST_F(ConfigWindowTest, OpacityZeroShowsAsOneAndIsStoredAsOne) {
    Start("[SYSTEM]\nAlphaBlendValue=0\n");
    ASSERT_EQ(Tarnwick->AlphaBlendValue(), 0);
    F_Config->Show();
    EXPECT_EQ(F_Config->TrackBar1.Position(), 1);
    F_Config->Button1.Click();
    EXPECT_EQ(IniInt("AlphaBlendValue"), 1);
    EXPECT_EQ(Tarnwick->AlphaBlendValue(), 1);
}

TEST(TranslucencyTest, SliderIsEnabledOnEveryNtSystemFromWindows2000On) {
    const struct {
        TVersionRecord Version;
        bool Enabled;
    } cases[] = {
        {{4, 0, 950, 1}, false},   // Windows 95
        {{4, 10, 1998, 1}, false}, // Windows 98
        {{4, 90, 3000, 1}, false}, // Me
        {{4, 0, 1381, 2}, false},  // NT 4
        {{5, 0, 2195, 2}, true},   // 2000
        {{5, 1, 2600, 2}, true},   // XP
        {{5, 2, 3790, 2}, true},   // Server 2003
        {{6, 0, 6000, 2}, true},   // Vista
        {{6, 2, 9200, 2}, true},   // 8, and what later ones report without a manifest
        {{10, 0, 19045, 2}, true}, // 10
    };
    for (const auto& c : cases)
        EXPECT_EQ(LayeredWindowsAvailable(c.Version), c.Enabled)
            << c.Version.MajorVersion << "." << c.Version.MinorVersion << " platform "
            << c.Version.PlatformId;
}

TEST_F(ConfigWindowTest, OkWithoutChangesRewritesTheFiveKeysInOrder) {
    Start("[SYSTEM]\nLeft=100\nTop=70\nhKey=116\n");
    PutRunText(exe_);
    ASSERT_TRUE(HotKeyTaken(0, VK_F5));
    F_Config->Show();
    EXPECT_FALSE(HotKeyTaken(0, VK_F5)) << "suspended while the window is shown";
    F_Config->Button1.Click();
    EXPECT_TRUE(HotKeyTaken(0, VK_F5)) << "registered again";
    const std::string text = ReadFile(ini_);
    const char* const order[] = {"Left=", "Top=",    "hKey=116", "AlphaBlendValue=255",
                                 "Web=1", "Sound=1", "NoEnter=1"};
    size_t at = 0;
    for (const char* key : order) {
        const size_t found = text.find(key, at);
        ASSERT_NE(found, std::string::npos) << key << " in order in\n" << text;
        at = found;
    }
    EXPECT_EQ(text.find("hKey=", text.find("hKey=116") + 1), std::string::npos)
        << "hKey rewritten in place";
    EXPECT_EQ(ReadRunValue(), (RawValue{true, REG_SZ, run_ + '\0'}));

    // New keys land in the order OK writes them.
    WriteFile(ini_, "[SYSTEM]\nLeft=5\n");
    F_Config->Show();
    F_Config->Button1.Click();
    const std::string fresh = ReadFile(ini_);
    size_t last = 0;
    for (const char* key : {"Left=", "AlphaBlendValue=", "Web=", "Sound=", "NoEnter=", "hKey="}) {
        const size_t found = fresh.find(key);
        ASSERT_NE(found, std::string::npos) << key;
        EXPECT_GE(found, last) << key << " out of order in\n" << fresh;
        last = found;
    }
}

TEST_F(ConfigWindowTest, UnwritableSettingsFileStopsOkAfterTheRegistryStep) {
    CreateDirectoryA(ini_.c_str(), nullptr); // a folder where the file should be
    Start("");
    ASSERT_TRUE(Tarnwick->Web);
    F_Config->Show();
    F_Config->CheckBox2.Click();
    F_Config->CheckBox4.Click();
    PressInBox(F_Config->Edit1.Handle(), {VK_F5});
    F_Config->Button1.Click();
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0], "Unable to write to " + folder_ + "\\\\Tarnwick.ini.");
    EXPECT_TRUE(F_Config->Visible()) << "the window stays for another try";
    EXPECT_TRUE(Tarnwick->Web) << "nothing applied";
    EXPECT_EQ(ReadRunValue().Bytes, run_ + '\0') << "the registry step had been done";
    // The new hot key, taken before the writes, is given back with its atom.
    EXPECT_FALSE(HotKeyTaken(0, VK_F5));
    EXPECT_EQ(Tarnwick->HotKeyAtom, 0);
    EXPECT_EQ(GlobalFindAtomA("TARNWICK"), 0);
    F_Config->Button2.Click();
}

// ---- Hot key -----------------------------------------------------------------------------------

TEST_F(ConfigWindowTest, CapturedCtrlAltFIsStoredAndRegistered) {
    Start("");
    ASSERT_EQ(Tarnwick->HotKeyAtom, 0);
    F_Config->Show();
    EXPECT_EQ(F_Config->Edit1.Text(), "None");
    const HWND box = F_Config->Edit1.Handle();
    KeyDown(box, VK_CONTROL);
    EXPECT_EQ(F_Config->Edit1.Text(), "Ctrl +  ");
    KeyDown(box, VK_MENU, true);
    EXPECT_EQ(F_Config->Edit1.Text(), "Ctrl + Alt +  ");
    KeyDown(box, 'F', true);
    (void)SendMessageA(box, WM_SYSCHAR, 'f', 1 << 29);
    (void)SendMessageA(box, WM_CHAR, 'f', 1);
    EXPECT_EQ(F_Config->Edit1.Text(), "Ctrl + Alt +  ") << "characters are swallowed";
    KeyUp(box, 'F', true);
    EXPECT_EQ(F_Config->Edit1.Text(), "Ctrl + Alt + F");
    KeyUp(box, VK_MENU, true);
    KeyUp(box, VK_CONTROL);
    EXPECT_EQ(F_Config->Edit1.Text(), "Ctrl + Alt + F");

    F_Config->Button1.Click();
    EXPECT_EQ(IniInt("hKey"), 3070);
    EXPECT_EQ(Tarnwick->hKey, 3070);
    EXPECT_NE(Tarnwick->HotKeyAtom, 0);
    EXPECT_EQ(Tarnwick->HotKeyAtom, GlobalFindAtomA("TARNWICK"));
    EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F'));
    EXPECT_FALSE(HotKeyTaken(MOD_CONTROL, 'F')) << "modifiers 3, not some other set";

    // The next show starts from the stored hot key.
    F_Config->Show();
    EXPECT_EQ(F_Config->Edit1.Text(), "Ctrl + Alt + F");
    EXPECT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F'));
    F_Config->Button2.Click();
}

TEST_F(ConfigWindowTest, BackspaceClearsTheHotKeyAndReleasesTheAtom) {
    Start("[SYSTEM]\nhKey=3070\n");
    ASSERT_NE(Tarnwick->HotKeyAtom, 0);
    F_Config->Show();
    EXPECT_EQ(F_Config->Edit1.Text(), "Ctrl + Alt + F");
    KeyDown(F_Config->Edit1.Handle(), VK_BACK);
    (void)SendMessageA(F_Config->Edit1.Handle(), WM_CHAR, '\b', 1);
    KeyUp(F_Config->Edit1.Handle(), VK_BACK);
    EXPECT_EQ(F_Config->Edit1.Text(), "None");
    F_Config->Button1.Click();
    EXPECT_EQ(IniInt("hKey"), 0);
    EXPECT_EQ(Tarnwick->hKey, 0);
    EXPECT_EQ(Tarnwick->HotKeyAtom, 0);
    EXPECT_EQ(GlobalFindAtomA("TARNWICK"), 0);
    EXPECT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F'));
}

TEST_F(ConfigWindowTest, CtrlHeldAtOkStoresAModifierWithoutKey) {
    Start("[SYSTEM]\nhKey=3070\n");
    F_Config->Show();
    KeyDown(F_Config->Edit1.Handle(), VK_CONTROL);
    F_Config->Button1.Click();
    EXPECT_EQ(IniInt("hKey"), 1000);
    EXPECT_EQ(Tarnwick->hKey, 1000);
    EXPECT_EQ(Tarnwick->HotKeyAtom, 0);
    EXPECT_EQ(GlobalFindAtomA("TARNWICK"), 0);
    EXPECT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F'));
    F_Config->Show();
    EXPECT_EQ(F_Config->Edit1.Text(), "None");
    F_Config->Button2.Click();
}

TEST_F(ConfigWindowTest, AHotKeyTheSystemRefusesIsSaidOnOkAndNothingIsWritten) {
    const std::string settings = "[SYSTEM]\nhKey=3070\nWeb=1\n";
    Start(settings);
    const ATOM atom = Tarnwick->HotKeyAtom;
    ASSERT_NE(atom, 0);
    const HeldElsewhere other(MOD_CONTROL | MOD_ALT, 'K');
    ASSERT_TRUE(other.Held());
    F_Config->Show();
    PressInBox(F_Config->Edit1.Handle(), {VK_CONTROL, VK_MENU, 'K'});
    ASSERT_EQ(F_Config->Edit1.Text(), "Ctrl + Alt + K");
    F_Config->CheckBox2.Click();
    F_Config->CheckBox4.Click();
    F_Config->Button1.Click();

    const auto boxes = recorder_.Only("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Args.at(0), "The hot key Ctrl + Alt + K is in use by another program or "
                                   "reserved by Windows. Please choose another one.");
    EXPECT_EQ(boxes[0].Args.at(1), "Tarnwick");
    EXPECT_EQ(boxes[0].Number, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(boxes[0].Owner, static_cast<toolkit::WindowHandle>(F_Config->Handle()));
    EXPECT_TRUE(F_Config->Visible());
    EXPECT_TRUE(F_Config->Edit1.Focused()) << "ready for another combination";
    // Nothing written, nothing applied, the old hot key still suspended under its atom.
    EXPECT_EQ(ReadFile(ini_), settings);
    EXPECT_FALSE(ReadRunValue().Present);
    EXPECT_TRUE(Tarnwick->Web);
    EXPECT_EQ(Tarnwick->hKey, 3070);
    EXPECT_EQ(Tarnwick->HotKeyAtom, atom);
    EXPECT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F'));

    // Cancel gives the old one back, as ever.
    F_Config->Button2.Click();
    EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F'));
    EXPECT_EQ(Tarnwick->HotKeyAtom, atom);
}

TEST_F(ConfigWindowTest, ARefusedFirstHotKeyHoldsNoAtomAndAnotherChoiceIsStored) {
    Start("");
    {
        const HeldElsewhere other(MOD_CONTROL | MOD_ALT, 'K');
        F_Config->Show();
        PressInBox(F_Config->Edit1.Handle(), {VK_CONTROL, VK_MENU, 'K'});
        F_Config->Button1.Click();
        ASSERT_EQ(recorder_.Only("messagebox").size(), 1u);
        EXPECT_TRUE(F_Config->Visible());
        EXPECT_EQ(Tarnwick->HotKeyAtom, 0);
        EXPECT_EQ(GlobalFindAtomA("TARNWICK"), 0);
        EXPECT_FALSE(e2e::FileExists(ini_));
    }
    PressInBox(F_Config->Edit1.Handle(), {VK_CONTROL, VK_SHIFT, 'K'});
    F_Config->Button1.Click();
    EXPECT_EQ(recorder_.Only("messagebox").size(), 1u);
    EXPECT_FALSE(F_Config->Visible());
    EXPECT_EQ(IniInt("hKey"), 1000 + 4000 + 'K');
    EXPECT_NE(Tarnwick->HotKeyAtom, 0);
    EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_SHIFT, 'K'));
}

TEST_F(ConfigWindowTest, CancelChangesNothingAndGivesTheHotKeyBack) {
    const std::string settings = "[SYSTEM]\nAlphaBlendValue=180\nWeb=1\nNoEnter=0\nSound=1\n"
                                 "hKey=3070\n";
    Start(settings);
    const ATOM atom = Tarnwick->HotKeyAtom;
    ASSERT_NE(atom, 0);
    F_Config->Show();
    EXPECT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F')) << "suspended while shown";
    F_Config->CheckBox1.Click();
    F_Config->CheckBox2.Click();
    F_Config->CheckBox4.Click();
    F_Config->TrackBar1.SetPosition(30);
    KeyDown(F_Config->Edit1.Handle(), VK_F5);
    KeyUp(F_Config->Edit1.Handle(), VK_F5);
    EXPECT_EQ(F_Config->Edit1.Text(), "F5");
    F_Config->Button2.Click();

    EXPECT_FALSE(F_Config->Visible());
    EXPECT_EQ(ReadFile(ini_), settings);
    EXPECT_FALSE(ReadRunValue().Present);
    EXPECT_FALSE(Tarnwick->NoEnter);
    EXPECT_TRUE(Tarnwick->Web);
    EXPECT_TRUE(Tarnwick->Sound);
    EXPECT_EQ(Tarnwick->AlphaBlendValue(), 180);
    EXPECT_EQ(Tarnwick->hKey, 3070);
    EXPECT_EQ(Tarnwick->HotKeyAtom, atom);
    EXPECT_FALSE(HotKeyTaken(0, VK_F5));

    // The old hot key calls the command window up again.
    ASSERT_FALSE(Tarnwick->Visible());
    e2e::PressChord({VK_CONTROL, VK_MENU, 'F'});
    for (int i = 0; i < 50 && !Tarnwick->Visible(); ++i)
        Pump();
    EXPECT_TRUE(Tarnwick->Visible());
    Tarnwick->Hide();

    // Shown again, the window starts from the stored values, not the discarded ones.
    F_Config->Show();
    EXPECT_FALSE(F_Config->CheckBox1.Checked());
    EXPECT_EQ(F_Config->TrackBar1.Position(), 180);
    EXPECT_EQ(F_Config->Edit1.Text(), "Ctrl + Alt + F");
    F_Config->Button2.Click();
}

TEST_F(ConfigWindowTest, CloseRequestGivesTheHotKeyBackAsCancelDoes) {
    Start("[SYSTEM]\nhKey=3070\n");
    F_Config->Show();
    ASSERT_FALSE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F'));
    KeyDown(F_Config->Edit1.Handle(), VK_F5);
    KeyUp(F_Config->Edit1.Handle(), VK_F5);
    (void)SendMessageA(F_Config->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(F_Config->Visible());
    EXPECT_TRUE(HotKeyTaken(MOD_CONTROL | MOD_ALT, 'F'));
    EXPECT_FALSE(HotKeyTaken(0, VK_F5));
    EXPECT_EQ(Tarnwick->hKey, 3070);
    EXPECT_EQ(IniInt("hKey"), 3070);
}

} // namespace
