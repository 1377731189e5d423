// The launcher's start without the controls of the windows it keeps hidden: the database editor
// and the configuration window are made, but make their controls only when first shown. What
// reaches them before then (the settings read, a changed file, a close request) touches no
// control that is not there, and nothing outside them; shown, they work as ever.
#include "app/SettingsKeeper.h"
#include "support/LauncherInFolder.h"
#include "support/RedrawProbe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using testing_support::HasChildWindows;
using testing_support::SystemHotKeys;

class LeanStartTest : public testing_support::LauncherInFolder {
protected:
    void ExpectNoControlsYet() const {
        for (const toolkit::TForm* form :
             {static_cast<toolkit::TForm*>(F_Database), static_cast<toolkit::TForm*>(F_Config)}) {
            SCOPED_TRACE(form->ClassName());
            EXPECT_FALSE(form->ControlsMade());
            EXPECT_FALSE(HasChildWindows(form->Handle()));
        }
    }
};

const std::string kTwo = "[DBSYSTEM]\r\nCount=2\r\n[DATABASE]\r\n"
                         "Name0=Alpha\r\nFilename0=a.exe\r\nKeyword0=ALPHA\r\nHotKey0=3049\r\n"
                         "Name1=Beta\r\nFilename1=b.exe\r\nKeyword1=BETA\r\nHotKey1=3050\r\n"
                         "[SYSTEM]\r\nhKey=3070\r\nWeb=1\r\nNoEnter=0\r\n";

TEST_F(LeanStartTest, StartMakesNoHiddenControlsAndRedrawsNothingOutsideItsWindows) {
    Settings(kTwo);
    const testing_support::RedrawProbe probe;
    Start();
    Pump();
    ExpectNoControlsYet();
    EXPECT_TRUE(HasChildWindows(Tarnwick->Handle())) << "the input line is there at once";
    // The entries and their hot keys are taken up all the same, and nothing reaches for the
    // editor's list: with no list, its redraw would have redrawn every window on the desktop.
    EXPECT_EQ(F_Database->Entries.Count(), 2);
    EXPECT_EQ(SystemHotKeys::Registered.size(), 2u);
    EXPECT_FALSE(probe.Redrawn());
    EXPECT_TRUE(recorder.Only("messagebox").empty());
}

TEST_F(LeanStartTest, AFileChangedBeforeTheFirstShowingIsWhatTheWindowsShowAndTheirControlsWork) {
    Settings(kTwo);
    Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(1100)); // a new file time
    Settings("[DBSYSTEM]\r\nCount=3\r\n[DATABASE]\r\nName0=One\r\nName1=Two\r\nName2=Three\r\n"
             "[SYSTEM]\r\nhKey=3070\r\nWeb=0\r\nNoEnter=1\r\n");
    ASSERT_TRUE(SettingsKeeper->ReadNow());
    ExpectNoControlsYet();
    EXPECT_EQ(F_Database->Entries.Count(), 3);

    Tarnwick->Database1Click();
    Pump();
    ASSERT_TRUE(F_Database->Visible());
    ASSERT_EQ(F_Database->ListBox1.Count(), 3);
    EXPECT_EQ(F_Database->ListBox1.Item(2), "Three");
    F_Database->Button1.Click(); // New
    EXPECT_EQ(F_Database->Button1.Text(), "OK");
    EXPECT_EQ(F_Database->Button2.Text(), "Cancel");
    F_Database->Button2.Click();
    EXPECT_EQ(F_Database->Button1.Text(), "New");

    Tarnwick->Cofiguration1Click();
    Pump();
    ASSERT_TRUE(F_Config->Visible());
    EXPECT_TRUE(F_Config->CheckBox1.Checked()) << "NoEnter as the file has it now";
    EXPECT_FALSE(F_Config->CheckBox2.Checked()) << "Web likewise";
    F_Config->Button2.Click(); // Cancel
    EXPECT_FALSE(F_Config->Visible());
    EXPECT_TRUE(recorder.Only("messagebox").empty());
}

TEST_F(LeanStartTest, ACloseRequestToAWindowNeverShownOnlyKeepsItHidden) {
    // What Windows sends every top-level window of a program that is asked to end.
    Start();
    for (const toolkit::TForm* form :
         {static_cast<toolkit::TForm*>(F_Database), static_cast<toolkit::TForm*>(F_Config)})
        (void)SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(recorder.Only("messagebox").empty()) << "no entry was looked for in no list";
    EXPECT_FALSE(F_Database->Visible());
    EXPECT_FALSE(F_Config->Visible());
    EXPECT_FALSE(app->Terminated());
    ExpectNoControlsYet();
}

} // namespace
