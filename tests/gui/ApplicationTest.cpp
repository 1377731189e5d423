// The application object and components under Wine: ownership and notifications, the main form,
// the hooks on the application window, the loop's end, minimise/restore and the error report.
#include "support/Recorder.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Screen.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using toolkit::App;
using toolkit::Application;
using toolkit::TComponent;
using toolkit::TOperation;

namespace {

std::vector<std::string> gLog;

// A component that logs its end and the removals it hears of.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::string name) : TComponent(owner) { SetName(std::move(name)); }
    ~Probe() override { gLog.push_back("~" + Name()); }
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == TOperation::Remove)
            gLog.push_back(Name() + " hears " + c->Name() + " gone");
        if (op == TOperation::Remove && c == Ref)
            Ref = nullptr;
    }
    TComponent* Ref = nullptr;
};

// A stand-in form: a real top-level window owned by the application window.
class TestForm : public TComponent {
public:
    explicit TestForm(std::string name) : TComponent(nullptr) {
        SetName(std::move(name));
        Hwnd = CreateWindowExA(0, "STATIC", Name().c_str(), WS_POPUP | WS_CAPTION, 10, 10, 200, 100,
                               App->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
        App->FormCreated(this, Hwnd);
    }
    ~TestForm() override {
        App->FormDestroying(this);
        gLog.push_back("~" + Name());
        DestroyWindow(Hwnd);
    }
    HWND Hwnd = nullptr;
};

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        gLog.clear();
        app = std::make_unique<Application>(recorder);
        app->Initialize();
        app->SetTitle("Tarnwick");
    }
    void TearDown() override { app.reset(); }

    testing_support::Recorder recorder;
    std::unique_ptr<Application> app;
};

TEST(ErrorReportText, AppendsAFullStopOnlyAfterCharactersAboveIt) {
    EXPECT_EQ(toolkit::ErrorReportText(""), "");
    EXPECT_EQ(toolkit::ErrorReportText("Unable to write to C:\\T\\Tarnwick.ini"),
              "Unable to write to C:\\T\\Tarnwick.ini.");
    EXPECT_EQ(toolkit::ErrorReportText("Done."), "Done.");
    EXPECT_EQ(toolkit::ErrorReportText("Stop!"), "Stop!");      // '!' is below '.'
    EXPECT_EQ(toolkit::ErrorReportText("a-"), "a-");            // '-' is just below
    EXPECT_EQ(toolkit::ErrorReportText("a/"), "a/.");           // '/' is just above
    EXPECT_EQ(toolkit::ErrorReportText("'x'"), "'x'");          // a quote is below
    EXPECT_EQ(toolkit::ErrorReportText("caf\xE9"), "caf\xE9."); // bytes above 127 count as high
    EXPECT_EQ(toolkit::ErrorReportText(std::string("a\0", 2)), std::string("a\0", 2));
}

TEST(Component, OwnerDestroysLastCreatedFirstAndSiblingsHearOfRemovals) {
    gLog.clear();
    {
        Probe owner(nullptr, "owner");
        auto* a = new Probe(&owner, "a");
        auto* b = new Probe(&owner, "b");
        a->Ref = b;
        EXPECT_EQ(owner.ComponentCount(), 2);
        EXPECT_EQ(owner.FindComponent("b"), b);
        EXPECT_EQ(owner.FindComponent("zz"), nullptr);
        EXPECT_EQ(b->Owner(), &owner);
        delete b; // a sibling goes early: a drops its reference
        EXPECT_EQ(a->Ref, nullptr);
        EXPECT_EQ(owner.ComponentCount(), 1);
        new Probe(&owner, "c");
        gLog.clear();
    }
    const std::vector<std::string> expected = {"~owner", "~c", "a hears c gone", "~a"};
    EXPECT_EQ(gLog, expected);
}

TEST(Component, FreeNotificationReachesAcrossOwnersBothWays) {
    gLog.clear();
    auto* left = new Probe(nullptr, "left");
    auto* right = new Probe(nullptr, "right");
    left->Ref = right;
    left->FreeNotification(right);
    delete right;
    EXPECT_EQ(left->Ref, nullptr);
    delete left; // right's entry went with it: nothing dangles
    EXPECT_EQ(gLog.back(), "~left");
}

TEST(Component, LoadedEndsLoading) {
    TComponent c(nullptr);
    EXPECT_FALSE(c.Loading());
    c.BeginLoading();
    EXPECT_TRUE(c.Loading());
    c.Loaded();
    EXPECT_FALSE(c.Loading());
}

TEST_F(ApplicationTest, HasAHiddenTitledWindowAnIconAndTheSeam) {
    EXPECT_EQ(App, app.get());
    ASSERT_NE(app->Handle(), nullptr);
    EXPECT_FALSE(IsWindowVisible(app->Handle()));
    char text[64] = {};
    GetWindowTextA(app->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Tarnwick");
    EXPECT_EQ(app->Title(), "Tarnwick");
    EXPECT_NE(app->Icon(), nullptr);
    EXPECT_EQ(&app->Sys(), &recorder);
    app.reset();
    EXPECT_EQ(App, nullptr);
}

TEST_F(ApplicationTest, OwnsFormsDestroysThemLastFirstAndTheFirstCreatedIsMain) {
    auto* first = app->CreateForm<TestForm>("first");
    auto* second = app->CreateForm<TestForm>("second");
    EXPECT_EQ(app->MainForm(), first);
    EXPECT_EQ(app->MainFormHandle(), first->Hwnd);
    EXPECT_EQ(GetWindow(second->Hwnd, GW_OWNER), app->Handle());
    EXPECT_TRUE(app->IsFormWindow(second->Hwnd));
    EXPECT_FALSE(app->IsFormWindow(app->Handle()));
    gLog.clear();
    app.reset();
    const std::vector<std::string> expected = {"~second", "~first"};
    EXPECT_EQ(gLog, expected);
}

TEST_F(ApplicationTest, ActiveFormIsOnlyOneOfOurs) {
    auto* form = app->CreateForm<TestForm>("form");
    ShowWindow(form->Hwnd, SW_SHOW);
    SetForegroundWindow(form->Hwnd);
    SetActiveWindow(form->Hwnd);
    app->ProcessMessages();
    EXPECT_EQ(toolkit::ActiveFormHandle(), form->Hwnd);
    HWND stranger = CreateWindowExA(0, "STATIC", "x", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                    nullptr, nullptr, nullptr);
    SetActiveWindow(stranger);
    EXPECT_EQ(toolkit::ActiveFormHandle(), nullptr);
    DestroyWindow(stranger);
}

TEST_F(ApplicationTest, HooksSeeAppWindowMessagesFirstAndCanConsumeThem) {
    std::vector<std::string> seen;
    const int first = app->HookMainWindow([&](UINT msg, WPARAM wp, LPARAM) {
        if (msg == WM_SYSCOMMAND)
            seen.push_back("first " + std::to_string(wp));
        return false;
    });
    const int second = app->HookMainWindow([&](UINT msg, WPARAM wp, LPARAM) {
        if (msg == WM_SYSCOMMAND)
            seen.push_back("second " + std::to_string(wp));
        return msg == WM_SYSCOMMAND; // consumes: the application never minimises
    });
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(app->Minimized());
    const std::vector<std::string> expected = {"first 61472", "second 61472"};
    EXPECT_EQ(seen, expected);

    app->UnhookMainWindow(second);
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(app->Minimized()); // nobody consumed it: the application's own handling ran
    app->UnhookMainWindow(first);
    EXPECT_EQ(app->HookCount(), 0);
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(app->Minimized());
}

TEST_F(ApplicationTest, AnErrorInAHookIsReportedAndTheMessageGoesOn) {
    app->HookMainWindow([](UINT msg, WPARAM, LPARAM) -> bool {
        if (msg == WM_USER + 7)
            throw toolkit::EOutOfResources("Cannot Create System Shell Notification Icon");
        return false;
    });
    app->HookMainWindow([](UINT msg, WPARAM, LPARAM) -> bool {
        if (msg == WM_USER + 8)
            throw 42; // not an exception class: reported with an empty message
        return false;
    });
    SendMessageA(app->Handle(), WM_USER + 7, 0, 0);
    SendMessageA(app->Handle(), WM_USER + 8, 0, 0);
    const auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].Args[0], "Cannot Create System Shell Notification Icon.");
    EXPECT_EQ(boxes[0].Args[1], "Tarnwick");
    EXPECT_EQ(boxes[0].Number, MB_OK | MB_ICONERROR);
    EXPECT_EQ(boxes[1].Args[0], "");
    EXPECT_EQ(boxes[1].Args[1], "Tarnwick");
}

TEST_F(ApplicationTest, GuardReportsWhatEscapesWithTheActiveWindowAsOwner) {
    auto* form = app->CreateForm<TestForm>("form");
    ShowWindow(form->Hwnd, SW_SHOW);
    SetActiveWindow(form->Hwnd);
    toolkit::Guard([] { throw std::runtime_error("Invalid data type for 'x'"); });
    const auto boxes = recorder.Only("messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Args[0], "Invalid data type for 'x'");
    EXPECT_EQ(boxes[0].Owner, static_cast<toolkit::WindowHandle>(GetActiveWindow()));
    bool ran = false;
    toolkit::Guard([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(recorder.Only("messagebox").size(), 1u);
}

TEST_F(ApplicationTest, RunEndsAfterTheMessageThatTerminates) {
    std::vector<int> handled;
    app->HookMainWindow([&](UINT msg, WPARAM wp, LPARAM) {
        if (msg == WM_APP) {
            handled.push_back(static_cast<int>(wp));
            if (wp == 2)
                App->Terminate();
        }
        return false;
    });
    PostMessageA(app->Handle(), WM_APP, 1, 0);
    PostMessageA(app->Handle(), WM_APP, 2, 0);
    PostMessageA(app->Handle(), WM_APP, 3, 0);
    app->Run();
    EXPECT_TRUE(app->Terminated());
    EXPECT_EQ(handled, (std::vector<int>{1, 2}));
    MSG msg; // message 3 waits in the queue; clear it for the next test
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST_F(ApplicationTest, RunShowsTheMainFormOnlyWhenAsked) {
    auto* hidden = app->CreateForm<TestForm>("main");
    app->ShowMainForm = false;
    app->Terminate();
    app->Run();
    EXPECT_FALSE(IsWindowVisible(hidden->Hwnd));
}

TEST_F(ApplicationTest, RunShowsTheMainFormByDefault) {
    auto* shown = app->CreateForm<TestForm>("main");
    app->CreateForm<TestForm>("other");
    app->Terminate();
    app->Run();
    EXPECT_TRUE(IsWindowVisible(shown->Hwnd));
}

TEST_F(ApplicationTest, RunMovesFocusWithTabInsideOurActiveForm) {
    auto* form = app->CreateForm<TestForm>("form");
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER;
    HWND first =
        CreateWindowExA(0, "EDIT", "", style, 5, 5, 80, 20, form->Hwnd, nullptr, nullptr, nullptr);
    HWND second =
        CreateWindowExA(0, "EDIT", "", style, 5, 30, 80, 20, form->Hwnd, nullptr, nullptr, nullptr);
    ShowWindow(form->Hwnd, SW_SHOW);
    SetForegroundWindow(form->Hwnd);
    SetActiveWindow(form->Hwnd);
    SetFocus(first);
    ASSERT_EQ(GetFocus(), first);
    app->HookMainWindow([](UINT msg, WPARAM, LPARAM) {
        if (msg == WM_APP)
            App->Terminate();
        return false;
    });
    PostMessageA(first, WM_KEYDOWN, VK_TAB, 0);
    PostMessageA(app->Handle(), WM_APP, 0, 0);
    app->ShowMainForm = false;
    app->Run();
    EXPECT_EQ(GetFocus(), second);
}

TEST_F(ApplicationTest, MinimizeHidesOurFormsAndRestoreBringsThemBack) {
    auto* form = app->CreateForm<TestForm>("form");
    ShowWindow(form->Hwnd, SW_SHOW);
    app->Minimize();
    EXPECT_TRUE(app->Minimized());
    EXPECT_FALSE(IsWindowVisible(form->Hwnd));
    app->Restore();
    EXPECT_FALSE(app->Minimized());
    EXPECT_TRUE(IsWindowVisible(form->Hwnd));
}

} // namespace
