// The command window in-process under Wine: start-up on prepared settings files, the call-up
// rules, the tray menu's commands, Escape through the message loop, dragging and the error report
// when the settings file cannot be written. Launches, beeps and message boxes go to the recorder.
#include "app/Tarnwick.h"
#include "forms/Config.h"
#include "forms/Database.h"
#include "support/E2e.h"
#include "support/Recorder.h"
#include "toolkit/Application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

using toolkit::App;
using toolkit::Application;

namespace {

using e2e::HotKeyIsFree;
using e2e::RemoveTree;
using e2e::SendClosingMenus;

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    return names;
}

// Drops every hold on the global atom, so that each test starts without it.
void ReleaseHotKeyAtom() {
    for (int i = 0; i < 1000; ++i) {
        const ATOM atom = GlobalFindAtomA("TARNWICK");
        if (atom == 0)
            return;
        GlobalDeleteAtom(atom);
    }
}

class CommandWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "tarnwick-cw-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RemoveTree(folder + "\\");
        CreateDirectoryA(folder.c_str(), nullptr);
        recorder.ModulePath = folder + "\\Tarnwick.exe";
        ReleaseHotKeyAtom();
        app = std::make_unique<Application>(recorder);
        app->Initialize();
        app->SetTitle("Tarnwick");
    }
    void TearDown() override {
        app.reset();
        EXPECT_EQ(Tarnwick, nullptr);
        EXPECT_EQ(F_Database, nullptr);
        EXPECT_EQ(F_Config, nullptr);
        ReleaseHotKeyAtom();
        RemoveTree(folder + "\\");
        TTarnwick::CanWriteFolder = &toolkit::CanCreateFileIn;
    }

    // The entry sequence's steps 3 to 5, in a fresh application when `again`.
    void Start(bool again = false) {
        if (again) {
            app.reset();
            app = std::make_unique<Application>(recorder);
            app->Initialize();
            app->SetTitle("Tarnwick");
        }
        app->CreateForm<TTarnwick>();
        app->CreateForm<TF_Config>();
        app->ShowMainForm = false;
        ASSERT_NE(Tarnwick, nullptr);
        ASSERT_NE(F_Database, nullptr);
        ASSERT_NE(F_Config, nullptr);
        edit = Tarnwick->Edit1.Handle();
    }
    void Settings(const std::string& text) {
        HANDLE f = CreateFileA(Ini().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(f);
    }
    std::string Ini() const { return folder + "\\Tarnwick.ini"; }
    int Stored(const char* key) const {
        return static_cast<int>(GetPrivateProfileIntA("SYSTEM", key, -9999, Ini().c_str()));
    }
    void Pump() { app->ProcessMessages(); }
    void Type(const std::string& text) {
        for (const char c : text)
            SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    void CallUpByHotKey(WPARAM id = 1) {
        PostMessageA(Tarnwick->Handle(), WM_HOTKEY, id, 0);
        Pump();
    }
    // Puts the cursor at a screen point and waits until the system keeps it there: the display's
    // late reports of an earlier move must not put it back while a handler reads it.
    void CursorTo(int x, int y) {
        SetCursorPos(x, y);
        POINT p{};
        int steady = 0;
        for (int i = 0; i < 200 && steady < 5; ++i) {
            Pump();
            Sleep(10);
            GetCursorPos(&p);
            if (p.x == x && p.y == y) {
                ++steady;
            } else {
                steady = 0;
                SetCursorPos(x, y);
            }
        }
        if (steady < 5)
            ADD_FAILURE() << "the cursor stays at " << p.x << "," << p.y << ", not " << x << ","
                          << y;
    }

    testing_support::Recorder recorder;
    std::unique_ptr<Application> app;
    std::string folder; // no trailing backslash
    HWND edit = nullptr;
};

TEST_F(CommandWindowTest, FirstStartWithoutSettingsUsesTheDefaultsAndShowsAndWritesNothing) {
    Start();
    EXPECT_EQ(Tarnwick->ExeFolder, folder + "\\\\"); // the folder's backslash and one more
    EXPECT_EQ(Tarnwick->SettingsPath(), folder + "\\\\Tarnwick.ini");
    // The database editor finished its creation first: it is the main form.
    EXPECT_EQ(app->MainForm(), F_Database);
    EXPECT_EQ(F_Database->Entries.Count(), 0);

    EXPECT_EQ(Tarnwick->Left(), 100);
    EXPECT_EQ(Tarnwick->Top(), 70);
    EXPECT_EQ(Tarnwick->Width(), Tarnwick->Scale(129));
    EXPECT_EQ(Tarnwick->Height(), Tarnwick->Scale(18));
    EXPECT_TRUE(Tarnwick->AlphaBlend());
    EXPECT_EQ(Tarnwick->AlphaBlendValue(), 255);
    EXPECT_TRUE(Tarnwick->Web);
    EXPECT_TRUE(Tarnwick->NoEnter);
    EXPECT_TRUE(Tarnwick->Sound);
    EXPECT_EQ(Tarnwick->hKey, 0);
    EXPECT_EQ(Tarnwick->HotKeyAtom, 0);
    EXPECT_EQ(GlobalFindAtomA("TARNWICK"), 0);
    EXPECT_EQ(Tarnwick->GrabX, 0);
    EXPECT_EQ(Tarnwick->GrabY, 0);

    EXPECT_FALSE(Tarnwick->Visible());
    EXPECT_FALSE(F_Database->Visible());
    EXPECT_FALSE(F_Config->Visible());
    EXPECT_TRUE(FilesIn(folder + "\\").empty());

    // The window itself: borderless, on top, layered; the input line flat and upper-case.
    HWND hwnd = Tarnwick->Handle();
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    EXPECT_STREQ(cls, "TTarnwick");
    EXPECT_FALSE(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(Tarnwick->Edit1.UpperCase());
    EXPECT_FALSE(GetWindowLongPtrA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    const RECT line = Tarnwick->Edit1.Bounds();
    EXPECT_EQ(line.left, 0);
    EXPECT_EQ(line.top, 0);
    EXPECT_EQ(line.right, Tarnwick->Scale(129));
    EXPECT_EQ(line.bottom, Tarnwick->Scale(18));
    EXPECT_EQ(Tarnwick->Edit1.Text(), "TEXT");

    // The tray icon, its menu and its picture, as the layout sets them up.
    ASSERT_NE(Tarnwick->TrayIcon1, nullptr);
    EXPECT_TRUE(Tarnwick->TrayIcon1->Visible());
    EXPECT_TRUE(Tarnwick->TrayIcon1->Hide());
    EXPECT_EQ(Tarnwick->TrayIcon1->PopupMenu(), Tarnwick->PopupMenu1);
    EXPECT_EQ(Tarnwick->TrayIcon1->RestoreOn(), imNone);
    EXPECT_EQ(Tarnwick->TrayIcon1->PopupMenuOn(), imRightClickUp);
    EXPECT_EQ(Tarnwick->TrayIcon1->Icons(), Tarnwick->ImageList1);
    EXPECT_EQ(Tarnwick->ImageList1->Count(), 1);
    EXPECT_EQ(Tarnwick->ImageList1->Width(), 16);
    toolkit::TPopupMenu& menu = *Tarnwick->PopupMenu1;
    ASSERT_EQ(menu.Count(), 5);
    const char* names[] = {"Execute1", "Database1", "Cofiguration1", "N1", "Exit1"};
    const char* captions[] = {"Execute", "Database", "Cofiguration", "-", "Exit"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(menu.Items(i).Name, names[i]);
        EXPECT_EQ(menu.Items(i).Caption, captions[i]);
        EXPECT_EQ(menu.Items(i).Default, i == 0);
    }
    EXPECT_TRUE(menu.Items(3).IsSeparator());
}

TEST_F(CommandWindowTest, StoredSettingsPlaceFadeAndConfigureTheWindowAndRegisterTheHotKey) {
    Settings("[DBSYSTEM]\r\nCount=2\r\n[DATABASE]\r\n"
             "Name0=Notes\r\nFilename0=notepad.exe\r\nDirectory0=C:\\\r\nParams0=a.txt\r\n"
             "Keyword0=note\r\nName1=Editor\r\nKeyword1=REG\r\n"
             "[SYSTEM]\r\nLeft=300\r\nTop=-40\r\nAlphaBlendValue=300\r\nWeb=0\r\nNoEnter=0\r\n"
             "Sound=0\r\nhKey=3070\r\n");
    ASSERT_TRUE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'F'));
    Start();
    ASSERT_EQ(F_Database->Entries.Count(), 2);
    EXPECT_EQ(F_Database->Entries.At(0).Filename, "notepad.exe");
    EXPECT_EQ(F_Database->Entries.At(1).Keyword, "REG");
    EXPECT_EQ(Tarnwick->Left(), 300);
    EXPECT_EQ(Tarnwick->Top(), -40);            // no check against the screen
    EXPECT_EQ(Tarnwick->AlphaBlendValue(), 44); // the low 8 bits of 300
    EXPECT_FALSE(Tarnwick->Web);
    EXPECT_FALSE(Tarnwick->NoEnter);
    EXPECT_FALSE(Tarnwick->Sound);
    EXPECT_EQ(Tarnwick->hKey, 3070);
    ASSERT_NE(Tarnwick->HotKeyAtom, 0);
    EXPECT_EQ(GlobalFindAtomA("TARNWICK"), Tarnwick->HotKeyAtom);
    EXPECT_FALSE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'F')); // Ctrl + Alt + F is ours now
    BYTE alpha = 0;
    GetLayeredWindowAttributes(Tarnwick->Handle(), nullptr, &alpha, nullptr);
    EXPECT_EQ(alpha, 44);

    // The options reach the key handler: without NoEnter only Enter launches.
    CallUpByHotKey();
    Type("note");
    EXPECT_TRUE(recorder.Only("execute").empty());
    EXPECT_TRUE(Tarnwick->Visible());
    Type("\r");
    EXPECT_EQ(recorder.Lines(),
              (std::vector<std::string>{"module", "execute open|notepad.exe|a.txt|C:\\|1"}));
    EXPECT_EQ(recorder.Only("execute")[0].Owner, Tarnwick->Handle());
    EXPECT_FALSE(Tarnwick->Visible());
}

TEST_F(CommandWindowTest, AHotKeyValueWithoutAKeyRegistersNothing) {
    Settings("[SYSTEM]\r\nhKey=3000\r\n"); // Ctrl + Alt and no key
    Start();
    EXPECT_EQ(Tarnwick->hKey, 3000);
    EXPECT_EQ(Tarnwick->HotKeyAtom, 0);
    EXPECT_EQ(GlobalFindAtomA("TARNWICK"), 0);
}

TEST_F(CommandWindowTest, OnlyTheLowSixteenBitsOfTheStoredHotKeyCount) {
    Settings("[SYSTEM]\r\nhKey=65652\r\n"); // 65536 + 116: F5 alone
    ASSERT_TRUE(HotKeyIsFree(0, VK_F5));
    Start();
    EXPECT_NE(Tarnwick->HotKeyAtom, 0);
    EXPECT_FALSE(HotKeyIsFree(0, VK_F5));
}

TEST_F(CommandWindowTest, AHotKeyHeldElsewhereIsIgnoredSilently) {
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(RegisterHotKey(other, 5, MOD_CONTROL | MOD_ALT, 'F'));
    Settings("[SYSTEM]\r\nhKey=3070\r\n");
    Start();
    EXPECT_NE(Tarnwick->HotKeyAtom, 0); // the atom stays held
    EXPECT_TRUE(recorder.Only("messagebox").empty());
    UnregisterHotKey(other, 5);
    DestroyWindow(other);
}

TEST_F(CommandWindowTest, AnyHotKeyMessageCallsTheWindowUpWithAnEmptyLineThatHasTheFocus) {
    Start();
    CallUpByHotKey(0xBEEF); // the identifier is not looked at
    ASSERT_TRUE(Tarnwick->Visible());
    EXPECT_EQ(Tarnwick->Edit1.Text(), ""); // FormShow emptied the layout's "TEXT"
    EXPECT_EQ(GetActiveWindow(), Tarnwick->Handle());
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_FALSE(F_Database->Visible());

    // Called up again while shown: the typed text stays.
    Type("ab");
    EXPECT_EQ(Tarnwick->Edit1.Text(), "AB");
    CallUpByHotKey(0);
    EXPECT_TRUE(Tarnwick->Visible());
    EXPECT_EQ(Tarnwick->Edit1.Text(), "AB");
    Tarnwick->PopupMenu1->Click(0); // "Execute" behaves the same
    EXPECT_EQ(Tarnwick->Edit1.Text(), "AB");

    // Escape, typed through the message loop, hides without launching; the text stays until
    // the next call-up empties it.
    PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(edit, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    Pump();
    EXPECT_FALSE(Tarnwick->Visible());
    EXPECT_EQ(Tarnwick->Edit1.Text(), "AB");
    EXPECT_TRUE(recorder.Only("execute").empty());
    Tarnwick->PopupMenu1->Click(0);
    EXPECT_TRUE(Tarnwick->Visible());
    EXPECT_EQ(Tarnwick->Edit1.Text(), "");
}

TEST_F(CommandWindowTest, ACallUpBringsAWindowOnNoMonitorOntoOneAndStoresNothing) {
    const std::string settings = "[SYSTEM]\r\nLeft=-5000\r\nTop=-5000\r\n";
    Settings(settings);
    Start();
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const int w = Tarnwick->Width(), h = Tarnwick->Height();
    const struct {
        int Left, Top, ShownLeft, ShownTop;
    } cases[] = {
        {-5000, -5000, work.left, work.top},          // its monitor unplugged
        {work.right + 300, 200, work.right - w, 200}, // beside the screen
        {300, work.bottom, 300, work.bottom - h},     // touching is not meeting
        {work.right - 20, work.bottom - 5, work.right - 20, work.bottom - 5}, // partly on it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Left) + "," + std::to_string(c.Top));
        Tarnwick->Hide();
        Tarnwick->SetLeft(c.Left);
        Tarnwick->SetTop(c.Top);
        CallUpByHotKey();
        EXPECT_TRUE(Tarnwick->Visible());
        EXPECT_EQ(Tarnwick->Left(), c.ShownLeft);
        EXPECT_EQ(Tarnwick->Top(), c.ShownTop);
    }
    EXPECT_EQ(e2e::ReadFile(Ini()), settings) << "the stored place changes only by a drag";
}

TEST_F(CommandWindowTest, OtherMessagesKeepTheirOrdinaryHandling) {
    Start();
    CallUpByHotKey();
    SendMessageA(Tarnwick->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed"));
    EXPECT_EQ(Tarnwick->Caption(), "Renamed");
    SendMessageA(Tarnwick->Handle(), WM_CLOSE, 0, 0); // not the main form: only hides
    EXPECT_FALSE(Tarnwick->Visible());
    EXPECT_FALSE(app->Terminated());
}

TEST_F(CommandWindowTest, TheTrayMenuOpensOnARightButtonReleaseAndItsCommandsAct) {
    Start();
    std::vector<std::string> shown;
    UINT choice = 0;
    Tarnwick->PopupMenu1->Track = [&](HMENU menu, int, int, HWND) -> UINT {
        char text[32] = "";
        GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
        shown.push_back(text);
        EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 0u); // "Execute" is drawn bold
        return choice;
    };
    HWND tray = Tarnwick->TrayIcon1->GetHandle();
    for (const LPARAM mouse :
         {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK})
        SendMessageA(tray, TTrayIcon::CallbackMessage, 0, mouse);
    EXPECT_TRUE(shown.empty()); // no other click pops up the menu or calls the window up
    EXPECT_FALSE(Tarnwick->Visible());

    choice = 1; // Execute
    SendMessageA(tray, TTrayIcon::CallbackMessage, 0, WM_RBUTTONUP);
    EXPECT_EQ(shown, std::vector<std::string>{"Execute"});
    EXPECT_TRUE(Tarnwick->Visible());
    EXPECT_EQ(Tarnwick->Edit1.Text(), "");

    choice = 2; // Database: shown, nothing else changes
    SendMessageA(tray, TTrayIcon::CallbackMessage, 0, WM_RBUTTONUP);
    EXPECT_TRUE(F_Database->Visible());
    EXPECT_TRUE(Tarnwick->Visible());
    Tarnwick->Hide();
    Tarnwick->PopupMenu1->Click(1);
    EXPECT_FALSE(Tarnwick->Visible());

    choice = 3; // Cofiguration
    SendMessageA(tray, TTrayIcon::CallbackMessage, 0, WM_RBUTTONUP);
    EXPECT_TRUE(F_Config->Visible());
    EXPECT_FALSE(app->Terminated());

    choice = 5; // Exit, at once and without asking or saving
    SendMessageA(tray, TTrayIcon::CallbackMessage, 0, WM_RBUTTONUP);
    EXPECT_TRUE(app->Terminated());
    EXPECT_TRUE(recorder.Only("messagebox").empty());
    EXPECT_TRUE(FilesIn(folder + "\\").empty());
}

TEST_F(CommandWindowTest, DraggingTheInputLineKeepsTheGrabPointUnderTheCursor) {
    Start();
    CallUpByHotKey();
    CursorTo(105, 73);
    SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 3));
    EXPECT_EQ(Tarnwick->GrabX, 5);
    EXPECT_EQ(Tarnwick->GrabY, 3);
    CursorTo(400, 300);
    SendMessageA(edit, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1, 1)); // the event's point is unused
    EXPECT_EQ(Tarnwick->Left(), 395);
    EXPECT_EQ(Tarnwick->Top(), 297);
    EXPECT_EQ(Tarnwick->Width(), Tarnwick->Scale(129)); // moving keeps the size
    EXPECT_FALSE(FilesIn(folder + "\\").size());        // saved on release only

    // Moving without the left button moves nothing.
    CursorTo(600, 500);
    SendMessageA(edit, WM_MOUSEMOVE, 0, MAKELPARAM(50, 5));
    SendMessageA(edit, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(50, 5));
    EXPECT_EQ(Tarnwick->Left(), 395);
    EXPECT_EQ(Tarnwick->Top(), 297);

    SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 3));
    EXPECT_EQ(Stored("Left"), 395);
    EXPECT_EQ(Stored("Top"), 297);

    // Off the screen is allowed, and stored as it is.
    CursorTo(20, 5);
    SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 10));
    SendMessageA(edit, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 10));
    EXPECT_EQ(Tarnwick->Left(), -80);
    EXPECT_EQ(Tarnwick->Top(), -5);
    SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(100, 10));
    EXPECT_EQ(Stored("Left"), -80);
    EXPECT_EQ(Stored("Top"), -5);
}

TEST_F(CommandWindowTest, EveryReleaseWithAnyButtonWritesThePlaceEvenWithoutAMove) {
    Settings("[SYSTEM]\r\nLeft=210\r\nTop=120\r\nWeb=0\r\n");
    Start();
    CallUpByHotKey();
    SendMessageA(edit, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(9, 4));
    EXPECT_EQ(Tarnwick->GrabX, 9); // any button replaces the grab point
    EXPECT_EQ(Tarnwick->GrabY, 4);
    DeleteFileA(Ini().c_str());
    SendClosingMenus(edit, WM_RBUTTONUP, 0, MAKELPARAM(9, 4));
    // The file is made anew with the two keys.
    EXPECT_EQ(Stored("Left"), 210);
    EXPECT_EQ(Stored("Top"), 120);
    SendMessageA(edit, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(2, 2));
    WritePrivateProfileStringA("SYSTEM", "Left", "1", Ini().c_str());
    SendMessageA(edit, WM_MBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(Stored("Left"), 210);
    EXPECT_EQ(Tarnwick->Left(), 210);
}

TEST_F(CommandWindowTest, AnUnwritableSettingsFileIsReportedOnEveryReleaseAndTheProgramGoesOn) {
    // A folder in the settings file's place cannot be written, whatever rights the test has.
    ASSERT_TRUE(CreateDirectoryA(Ini().c_str(), nullptr));
    Start();
    CallUpByHotKey();
    CursorTo(105, 73);
    SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 3));
    CursorTo(300, 200);
    SendMessageA(edit, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 3));
    SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 3));

    auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Args[0], "Unable to write to " + Tarnwick->SettingsPath() + ".");
    EXPECT_EQ(boxes[0].Args[1], "Tarnwick");
    EXPECT_EQ(boxes[0].Number, MB_OK | MB_ICONERROR);
    // The window stays where it was dragged.
    EXPECT_EQ(Tarnwick->Left(), 295);
    EXPECT_EQ(Tarnwick->Top(), 197);

    // The next release tries again, and the window still works.
    SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 3));
    SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 3));
    EXPECT_EQ(recorder.Only("messagebox").size(), 2u);
    Tarnwick->Edit1.SetText("");
    Type("x\x1b");
    EXPECT_FALSE(Tarnwick->Visible());
    CallUpByHotKey();
    EXPECT_TRUE(Tarnwick->Visible());
}

TEST_F(CommandWindowTest, AnExeFolderThatTakesNoNewFileKeepsTheSettingsInTheRoamingAppData) {
    char appData[MAX_PATH] = "";
    ASSERT_GT(GetEnvironmentVariableA("APPDATA", appData, MAX_PATH), 0u);
    const std::string home = std::string(appData) + "\\Tarnwick\\";
    RemoveTree(home);
    TTarnwick::CanWriteFolder = [](const std::string&) { return false; };
    Start();
    EXPECT_EQ(Tarnwick->SettingsPath(), home + "Tarnwick.ini");
    EXPECT_EQ(Tarnwick->ExeFolder, folder + "\\\\"); // .\ paths and the Run value keep to it
    Tarnwick->SetLeft(123);
    SendMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 3)); // the first save makes the folder
    Start(true);
    EXPECT_EQ(Tarnwick->Left(), 123);
    EXPECT_TRUE(FilesIn(folder + "\\").empty());

    Settings("[SYSTEM]\r\nLeft=210\r\n"); // one beside the exe wins
    Start(true);
    EXPECT_EQ(Tarnwick->SettingsPath(), folder + "\\\\Tarnwick.ini");
    EXPECT_EQ(Tarnwick->Left(), 210);
    RemoveTree(home);
}

TEST_F(CommandWindowTest, APackageManagersWritableFolderKeepsTheSettingsInTheRoamingAppData) {
    char appData[MAX_PATH] = "";
    ASSERT_GT(GetEnvironmentVariableA("APPDATA", appData, MAX_PATH), 0u);
    const std::string home = std::string(appData) + "\\Tarnwick\\";
    RemoveTree(home);
    // Chocolatey's folder, found through the variable its installer sets.
    const std::string tools = folder + "\\lib\\someones.package\\tools";
    recorder.ModulePath = tools + "\\Tarnwick.exe";
    recorder.Environment["CHOCOLATEYINSTALL"] = folder;
    TTarnwick::CanWriteFolder = [](const std::string&) { return true; };
    Start();
    EXPECT_EQ(Tarnwick->SettingsPath(), home + "Tarnwick.ini");
    EXPECT_EQ(Tarnwick->ExeFolder, tools + "\\\\");

    // A file there already (Scoop's persisted one) wins as ever.
    CreateDirectoryA((folder + "\\lib").c_str(), nullptr);
    CreateDirectoryA((folder + "\\lib\\someones.package").c_str(), nullptr);
    CreateDirectoryA(tools.c_str(), nullptr);
    CloseHandle(CreateFileA((tools + "\\Tarnwick.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr));
    Start(true);
    EXPECT_EQ(Tarnwick->SettingsPath(), tools + "\\\\Tarnwick.ini");
    RemoveTree(home);
}

// What each launch asked of the shell: its verb and file.
std::vector<std::string> Verbs(const testing_support::Recorder& recorder) {
    std::vector<std::string> out;
    for (const auto& call : recorder.Calls)
        if (call.What == "execute" || call.What == "tryexecute")
            out.push_back(call.Args[0] + " " + call.Args[1]);
    return out;
}

TEST_F(CommandWindowTest, CtrlShiftEnterAndAMarkedEntryLaunchAsAdministrator) {
    Settings("[DBSYSTEM]\r\nCount=2\r\n[DATABASE]\r\nFilename0=ed.exe\r\nKeyword0=ed\r\n"
             "Filename1=adm.exe\r\nKeyword1=adm\r\nRunAs1=1\r\n[SYSTEM]\r\nNoEnter=0\r\n");
    Start();
    CallUpByHotKey();
    Type("ed");
    // The chord through the message loop, as the keyboard brings it: whatever character the
    // layout makes of it, one launch.
    BYTE before[256] = {};
    ASSERT_TRUE(GetKeyboardState(before));
    BYTE held[256];
    std::copy(std::begin(before), std::end(before), held);
    held[VK_CONTROL] = held[VK_LCONTROL] = held[VK_SHIFT] = held[VK_LSHIFT] = 0x80;
    ASSERT_TRUE(SetKeyboardState(held));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    Pump();
    SendMessageA(edit, WM_CHAR, '\r', 0x001C0001); // a layout that makes Enter's own character
    SetKeyboardState(before);
    EXPECT_EQ(Verbs(recorder), (std::vector<std::string>{"runas ed.exe"}));
    EXPECT_FALSE(Tarnwick->Visible());

    CallUpByHotKey();
    Type("adm\r");
    CallUpByHotKey();
    Type("ed\r");
    EXPECT_EQ(Verbs(recorder),
              (std::vector<std::string>{"runas ed.exe", "runas adm.exe", "open ed.exe"}));

    // A launch as administrator that did not start is no launch: the line stays for another try
    // and stays out of the history.
    recorder.Calls.clear();
    recorder.TryExecuteAnswers = {toolkit::ExecuteOutcome::Failed};
    Tarnwick->History = true;
    const std::size_t remembered = Tarnwick->LineHistory.Lines().size();
    CallUpByHotKey();
    Type("adm\r");
    EXPECT_TRUE(Tarnwick->Visible());
    EXPECT_EQ(Tarnwick->Edit1.Text(), "ADM");
    EXPECT_EQ(Tarnwick->LineHistory.Lines().size(), remembered);
    EXPECT_EQ(recorder.Only("beep").back().Number, MB_ICONHAND);
}

// Wine draws every monitor at one scale and never changes it, so the change is played: the
// notification area's scale through the replaceable query, the window's through the messages
// Windows sends when it crosses to a monitor of another scale.
int gTrayDpi = 96;

TEST_F(CommandWindowTest, TheTrayIconAndADragFollowAChangeOfDisplayScale) {
    Start();
    int& trayDpi = gTrayDpi;
    trayDpi = 144;
    Tarnwick->TrayPixelsPerInch = [] { return gTrayDpi; };
    ASSERT_GT(toolkit::SmallIconSize(144).cx, toolkit::SmallIconSize(96).cx);
    CallUpByHotKey();
    SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 4));
    SIZE size{};
    ASSERT_TRUE(SendMessageW(Tarnwick->Handle(), 0x02E4 /* WM_GETDPISCALEDSIZE */, 144,
                             reinterpret_cast<LPARAM>(&size)));
    RECT suggested{Tarnwick->Left(), Tarnwick->Top(), Tarnwick->Left() + size.cx,
                   Tarnwick->Top() + size.cy};
    (void)SendMessageW(Tarnwick->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                       reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(Tarnwick->GrabX, 15) << "the same spot of the line, in the new scale's pixels";
    EXPECT_EQ(Tarnwick->GrabY, 6);
    EXPECT_EQ(Tarnwick->ImageList1->Width(), toolkit::SmallIconSize(144).cx);
    EXPECT_EQ(Tarnwick->ImageList1->Count(), 1);

    // Explorer restarted after the scale changed again.
    trayDpi = 192;
    (void)SendMessageW(Tarnwick->TrayIcon1->GetHandle(), RegisterWindowMessageW(L"TaskbarCreated"),
                       0, 0);
    EXPECT_EQ(Tarnwick->ImageList1->Height(), toolkit::SmallIconSize(192).cy);
    EXPECT_EQ(Tarnwick->ImageList1->Count(), 1);
}

TEST_F(CommandWindowTest, TheHistoryIsWrittenWhenTheSessionEndsAndClearedOnceTurnedOff) {
    const std::string file = "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nFilename0=ed.exe\r\n"
                             "Keyword0=ed\r\n[SYSTEM]\r\nSound=0\r\n";
    Settings(file);
    Start();
    CallUpByHotKey();
    Type("ed");
    SendMessageA(Tarnwick->Handle(), WM_ENDSESSION, FALSE, 0); // another program refused
    EXPECT_EQ(e2e::ReadFile(Ini()), file);
    SendMessageA(Tarnwick->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(e2e::ReadFile(Ini()), file + "[HISTORY]\r\nCount=1\r\nLine0=ED\r\n");

    Tarnwick->History = false;
    SendMessageA(Tarnwick->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(e2e::ReadFile(Ini()), file);
}

} // namespace
