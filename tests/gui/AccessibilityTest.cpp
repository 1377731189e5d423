// What a screen reader hears of the launcher, and where the focus goes when the input line is
// dismissed: the input line's name, every box, the list and the slider read with their labels,
// the editor's marks in its items' descriptions, balloons announced as they show, and Escape
// giving the focus back to the window that was in front.
#include "app/Tarnwick.h"
#include "forms/Config.h"
#include "forms/Database.h"
#include "support/Accessibility.h"
#include "support/InProcessLauncher.h"
#include "support/ScaleChecks.h"
#include "toolkit/Application.h"
#include "toolkit/BalloonTip.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

using testing_support::AccessibleText;
using testing_support::AnnotationRecorder;
using toolkit::TAccText;

namespace {

std::string TextOf(HWND window) {
    wchar_t text[256] = L"";
    (void)GetWindowTextW(window, text, 256);
    return toolkit::Narrow(text);
}

void Pump() {
    toolkit::App->ProcessMessages();
}

// A reader's first question to a control, as the system's object would pass it on.
void AskAsAReader(HWND control) {
    (void)SendMessageW(control, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
}

class AccessibilityTest : public ::testing::Test {
protected:
    AnnotationRecorder annotations; // before the launcher: its windows start unasked
    testing_support::InProcessLauncher launcher{"tarnwick-acc-"};
};

TEST_F(AccessibilityTest, TheInputLineIsNamedTarnwickAndSaysWhatItIsFor) {
    const HWND line = Tarnwick->Edit1.Handle();
    // The name comes from a label nobody sees: the strip stays exactly the line.
    const HWND label = GetWindow(line, GW_HWNDPREV);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(TextOf(label), "Tarnwick");
    EXPECT_FALSE(IsWindowVisible(label));
    EXPECT_EQ(GetNextDlgTabItem(Tarnwick->Handle(), nullptr, FALSE), line);
    RECT client{};
    (void)GetClientRect(Tarnwick->Handle(), &client);
    EXPECT_EQ(client.right, Tarnwick->Scale(129));
    EXPECT_EQ(client.bottom, Tarnwick->Scale(18));

    // Nothing is annotated (nor OLE loaded for it) until a reader asks; then the name and what
    // the line is for, once.
    EXPECT_EQ(annotations.Calls(), 0);
    EXPECT_EQ(AccessibleText(line, 0, TAccText::Name), "Tarnwick"); // the system's own reading
    EXPECT_EQ(annotations.Text(line, 0, TAccText::Name), "Tarnwick");
    EXPECT_NE(annotations.Text(line, 0, TAccText::Description).find("keyword"), std::string::npos);
    const int calls = annotations.Calls();
    AskAsAReader(line);
    EXPECT_EQ(annotations.Calls(), calls);
}

TEST_F(AccessibilityTest, EveryBoxTheListAndTheSliderAreReadWithTheirLabels) {
    struct Case {
        HWND Control;
        const char* Label;
        bool Edit; // the system names edit boxes after their labels under Wine too
    };
    const std::vector<Case> cases = {
        {F_Database->ListBox1.Handle(), "Files in database:", false},
        {F_Database->Edit1.Handle(), "Name of file:", true},
        {F_Database->Edit2.Handle(), "Filename:", true},
        {F_Database->Edit3.Handle(), "Start in:", true},
        {F_Database->Edit4.Handle(), "Parameters:", true},
        {F_Database->Edit5.Handle(), "Keyword:", true},
        {F_Config->Edit1.Handle(), "Global hot key for Tarnwick:", true},
        {F_Config->TrackBar1.Handle(), "Visibility of window:", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        EXPECT_EQ(TextOf(GetWindow(c.Control, GW_HWNDPREV)), c.Label);
        if (c.Edit) {
            EXPECT_EQ(AccessibleText(c.Control, 0, TAccText::Name), c.Label);
        }
    }
    // Now above its box, a label must not cover any of it, at any scale: the windows look as
    // they did. (The hot key box, reached by no Tab, was below its label from the start.)
    for (const int dpi : {144, 192, 96}) {
        testing_support::MoveToScale(*F_Database, dpi);
        testing_support::MoveToScale(*F_Config, dpi);
        for (const Case& c : cases) {
            if (c.Control == F_Config->Edit1.Handle())
                continue;
            SCOPED_TRACE(std::string(c.Label) + " at " + std::to_string(dpi));
            RECT label{}, box{}, both{};
            (void)GetWindowRect(GetWindow(c.Control, GW_HWNDPREV), &label);
            (void)GetWindowRect(c.Control, &box);
            EXPECT_FALSE(IntersectRect(&both, &label, &box));
        }
    }

    // The labels moved with their boxes; the Tab key's order stays as it was.
    const auto tabOrder = [](HWND form) {
        std::vector<HWND> stops;
        for (HWND at = GetWindow(form, GW_CHILD); at; at = GetWindow(at, GW_HWNDNEXT))
            if (GetWindowLongPtrW(at, GWL_STYLE) & WS_TABSTOP)
                stops.push_back(at);
        return stops;
    };
    const TF_Database& d = *F_Database;
    EXPECT_EQ(
        tabOrder(d.Handle()),
        (std::vector<HWND>{d.ListBox1.Handle(), d.Button1.Handle(), d.Button2.Handle(),
                           d.Button3.Handle(), d.Edit1.Handle(), d.Edit2.Handle(), d.Edit3.Handle(),
                           d.Edit4.Handle(), d.Edit5.Handle(), d.Button4.Handle()}));
    const TF_Config& c = *F_Config;
    EXPECT_EQ(tabOrder(c.Handle()),
              (std::vector<HWND>{c.CheckBox1.Handle(), c.CheckBox2.Handle(), c.CheckBox3.Handle(),
                                 c.CheckBox4.Handle(), c.TrackBar1.Handle(), c.Button1.Handle(),
                                 c.Button2.Handle()}));
}

TEST_F(AccessibilityTest, TheEditorsMarksAreInItsItemsDescriptions) {
    TF_Database& editor = *F_Database;
    editor.TargetProbe = [](const std::wstring& path, bool) {
        return path.find(L"Missing") != std::wstring::npos;
    };
    editor.Entries.Append({"Gone", "C:\\Missing\\gone.exe", "", "", "GONE"});
    editor.Entries.Append({"Admin", "C:\\Windows\\regedit.exe", "", "", "ADMIN"});
    editor.Entries.Append({"Plain", "C:\\Windows\\notepad.exe", "", "", "PLAIN"});
    editor.Entries.At(1).RunAs = true;
    editor.Show();
    for (int i = 0; i < 500 && !editor.TargetMissing(0); ++i) {
        Pump();
        Sleep(10);
    }
    ASSERT_TRUE(editor.TargetMissing(0));
    const HWND list = editor.ListBox1.Handle();
    const auto described = [&] {
        std::vector<std::string> texts;
        for (long child = 1; child <= 4; ++child)
            texts.push_back(annotations.Text(list, child, TAccText::Description));
        return texts;
    };
    // Until a reader asks, the marks are only drawn.
    EXPECT_EQ(annotations.Calls(), 0);
    AskAsAReader(list);
    EXPECT_EQ(described(),
              (std::vector<std::string>{"File not found", "Runs as administrator", "", ""}));

    // Both marks on one entry; then the list read again, the marks following their entries.
    editor.ListBox1.SetItemIndex(0);
    editor.ListBox1Click();
    editor.Runasadministrator1Click();
    EXPECT_EQ(described(), (std::vector<std::string>{"File not found. Runs as administrator",
                                                     "Runs as administrator", "", ""}));
    TEntries rest;
    rest.Append(editor.Entries.At(2));
    rest.Append(editor.Entries.At(1));
    editor.TakeUp(std::move(rest));
    EXPECT_EQ(described(), (std::vector<std::string>{"", "Runs as administrator", "", ""}));
}

// The alerts raised in this thread while it pumps, by window.
std::vector<HWND> gAlerts;
void CALLBACK OnAlert(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) {
    if (event == EVENT_SYSTEM_ALERT)
        gAlerts.push_back(window);
}

TEST_F(AccessibilityTest, ABalloonIsAnnouncedWithItsTitleAndText) {
    gAlerts.clear();
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, &OnAlert,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    F_Database->Show();
    toolkit::TBalloonTip tip;
    const HWND box = F_Database->Edit2.Handle();
    tip.Show(box, "File not found", "C:\\Tools\\tool.exe", TTI_WARNING, 280);
    Pump();
    EXPECT_EQ(gAlerts, std::vector<HWND>{tip.Handle()});
    // No reader yet: the tooltip says its text as it stands.
    EXPECT_EQ(annotations.Calls(), 0);
    EXPECT_EQ(AccessibleText(tip.Handle(), 0, TAccText::Name), "C:\\Tools\\tool.exe");

    toolkit::NoteAccessibleClient();
    tip.Show(box, "Folder not found", "C:\\Tools\\", TTI_WARNING, 280);
    Pump();
    EXPECT_EQ(gAlerts.size(), 2u);
    EXPECT_EQ(annotations.Text(tip.Handle(), 0, TAccText::Name), "Folder not found: C:\\Tools\\");
    (void)UnhookWinEvent(hook);
}

// A plain top-level window, shown, in front or not.
HWND MakeWindow(const wchar_t* title, DWORD exStyle, int left) {
    const HWND window = CreateWindowExW(exStyle, L"STATIC", title, WS_POPUP | WS_BORDER, left, 100,
                                        200, 100, nullptr, nullptr, nullptr, nullptr);
    (void)ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

TEST_F(AccessibilityTest, EscapeGivesTheFocusBackToTheWindowInFrontAndALaunchLeavesIt) {
    // The user works in one window; an always-on-top one stands beside it, which the system
    // would otherwise take for the next in line.
    const HWND work = MakeWindow(L"work", 0, 100);
    const HWND onTop = MakeWindow(L"on top", WS_EX_TOPMOST, 400);
    const HWND line = Tarnwick->Edit1.Handle();
    const auto callUp = [&] {
        (void)SetForegroundWindow(work);
        Pump();
        ASSERT_EQ(GetForegroundWindow(), work);
        (void)PostMessageW(Tarnwick->Handle(), WM_HOTKEY, 1, 0);
        Pump();
        ASSERT_EQ(GetForegroundWindow(), Tarnwick->Handle());
    };
    const auto type = [&](const std::string& text) {
        for (const char c : text)
            (void)SendMessageW(line, WM_CHAR, static_cast<unsigned char>(c), 1);
        Pump();
    };

    callUp();
    type("\x1b");
    EXPECT_FALSE(Tarnwick->Visible());
    EXPECT_EQ(GetForegroundWindow(), work);

    // Called up twice: the window before the first call-up still counts.
    callUp();
    (void)PostMessageW(Tarnwick->Handle(), WM_HOTKEY, 1, 0);
    Pump();
    type("\x1b");
    EXPECT_EQ(GetForegroundWindow(), work);

    // A launch: what it started takes the foreground, and the line does not pull it back.
    F_Database->Entries.Append({"Pad", "notepad.exe", "", "", "PAD"});
    callUp();
    type("PAD");
    if (Tarnwick->Visible()) // the keyword completes without Enter when the options say so
        type("\r");
    EXPECT_EQ(launcher.System().Only("execute").size(), 1u);
    EXPECT_FALSE(Tarnwick->Visible());
    EXPECT_NE(GetForegroundWindow(), work);

    // The window in front closed meanwhile: nobody to give the focus to, and no harm.
    callUp();
    (void)DestroyWindow(work);
    type("\x1b");
    EXPECT_FALSE(Tarnwick->Visible());
    EXPECT_TRUE(GetForegroundWindow() == nullptr || IsWindow(GetForegroundWindow()));
    (void)DestroyWindow(onTop);
}

} // namespace
