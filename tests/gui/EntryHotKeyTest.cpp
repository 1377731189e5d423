// Entries' own hot keys under Wine, in the real windows: registered at start and after every
// change, refused silently at start and with a message in the hot key window, held back while a
// hot key box captures, and pressed. The system's registration of them is played by a stand-in
// that can refuse a combination as if another program held it.
#include "app/EntryHotKeys.h"
#include "forms/HotKeyBox.h"
#include "forms/HotKeyWindow.h"
#include "support/HotKeyInput.h"
#include "support/LauncherInFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::PressInBox;
using testing_support::SystemHotKeys;

constexpr UINT kCtrlAlt = MOD_CONTROL | MOD_ALT;
constexpr UINT kCtrlShift = MOD_CONTROL | MOD_SHIFT;

class EntryHotKeyTest : public testing_support::LauncherInFolder {
protected:
    void Press(UINT modifiers, UINT key) {
        THotKey hotKey;
        hotKey.Key = static_cast<std::uint16_t>(key);
        hotKey.Alt = (modifiers & MOD_ALT) != 0;
        hotKey.Ctrl = (modifiers & MOD_CONTROL) != 0;
        hotKey.Shift = (modifiers & MOD_SHIFT) != 0;
        (void)PostMessageW(Tarnwick->Handle(), WM_HOTKEY, TEntryHotKeys::IdOf(hotKey),
                           MAKELPARAM(modifiers, key));
        Pump();
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& call : recorder.Only("messagebox"))
            texts.push_back(call.Args[0]);
        return texts;
    }
    // The editor shown with entry k selected, and its hot key window opened from the list menu.
    void OpenHotKeyWindow(int k) {
        if (!F_Database->Visible())
            F_Database->Show();
        F_Database->ListBox1.SetItemIndex(k);
        F_Database->ListBox1Click();
        F_Database->Hotkey1Click();
        ASSERT_NE(F_HotKey, nullptr);
        ASSERT_TRUE(F_HotKey->Visible());
    }
};

const std::string kThree = "[DBSYSTEM]\r\nCount=3\r\n[DATABASE]\r\n"
                           "Name0=A\r\nFilename0=a.exe\r\nKeyword0=a\r\nHotKey0=3049\r\n"
                           "Name1=B\r\nFilename1=b.exe\r\nKeyword1=b\r\n"
                           "Name2=C\r\nFilename2=c.exe\r\nKeyword2=c\r\nHotKey2=1112\r\n"
                           "[SYSTEM]\r\nhKey=3070\r\nSound=0\r\n";

TEST_F(EntryHotKeyTest, StartRegistersEachEntrysHotKeyAndRefusesTakenOnesSilently) {
    SystemHotKeys::HeldElsewhere.insert({kCtrlAlt, '2'});
    Settings("[DBSYSTEM]\r\nCount=7\r\n[DATABASE]\r\n"
             "Name0=Mine\r\nHotKey0=3049\r\n"                  // Ctrl + Alt + 1
             "Name1=Held\r\nHotKey1=3050\r\n"                  // another program's
             "Name2=Bad\r\nHotKey2=3000\r\n"                   // modifiers only
             "Name3=Main\r\nHotKey3=3070\r\n"                  // the main hot key's
             "Name4=Twin\r\nHotKey4=3049\r\n"                  // entry 0's
             "Name5=Plain\r\nName6=Beyond\r\nHotKey6=1999\r\n" // no key code
             "[SYSTEM]\r\nhKey=3070\r\n");
    Start();
    EXPECT_EQ(SystemHotKeys::Registered.size(), 1u);
    EXPECT_TRUE(SystemHotKeys::Holds(kCtrlAlt, '1'));
    for (const int k : {1, 3, 4})
        EXPECT_TRUE(F_Database->HotKeyRefused(k)) << k;
    for (const int k : {0, 2, 5, 6})
        EXPECT_FALSE(F_Database->HotKeyRefused(k)) << k;
    EXPECT_TRUE(recorder.Only("messagebox").empty()) << "a second copy relies on silence";
    EXPECT_NE(Tarnwick->HotKeyAtom, 0) << "the main hot key stays the main one";
    // The editor's balloon on a refused entry names its combination.
    F_Database->Show();
    F_Database->ListBox1.SetItemIndex(1);
    F_Database->ListBox1Click();
    EXPECT_EQ(F_Database->HotKeyTip.Control(), F_Database->ListBox1.Handle());
    EXPECT_EQ(F_Database->HotKeyTip.Text(), hotkeybox::RefusalText(DecodeHotKey(3050)));
    F_Database->ListBox1.SetItemIndex(0);
    F_Database->ListBox1Click();
    EXPECT_EQ(F_Database->HotKeyTip.Control(), nullptr);

    // The other program lets go; a hand edit moves entry 0's combination: taken up, each
    // combination follows.
    SystemHotKeys::HeldElsewhere.clear();
    e2e::HandEdit(Ini(), "[DBSYSTEM]\r\nCount=2\r\n[DATABASE]\r\nName0=Mine\r\nHotKey0=3051\r\n"
                         "Name1=Held\r\nHotKey1=3050\r\n[SYSTEM]\r\nhKey=3070\r\n");
    ASSERT_TRUE(Tarnwick->TakeUpHandEdits());
    EXPECT_FALSE(SystemHotKeys::Holds(kCtrlAlt, '1'));
    EXPECT_TRUE(SystemHotKeys::Holds(kCtrlAlt, '3'));
    EXPECT_TRUE(SystemHotKeys::Holds(kCtrlAlt, '2'));
    EXPECT_FALSE(F_Database->HotKeyRefused(1));
}

TEST_F(EntryHotKeyTest, PressingLaunchesTheEntryAsEnterOnItsKeywordWithoutShowingTheLine) {
    Settings("[DBSYSTEM]\r\nCount=2\r\n[DATABASE]\r\nName0=Tool\r\nFilename0=tool.exe\r\n"
             "Params0=-w \"$W$\" -c \"$C$\"\r\nDirectory0=C:\\Work\r\nKeyword0=tl\r\nRunAs0=1\r\n"
             "HotKey0=1112\r\nName1=Same keyword\r\nFilename1=other.exe\r\nKeyword1=tl\r\n");
    Start();
    recorder.Clipboard = "  copied text\r\nsecond line";
    Press(MOD_CONTROL, VK_F1);
    const auto launches = recorder.Only("execute");
    ASSERT_EQ(launches.size(), 1u) << "only the entry of the hot key";
    EXPECT_EQ(
        launches[0].Args,
        (std::vector<std::string>{"runas", "tool.exe", "-w \"\" -c \"copied text\"", "C:\\Work"}));
    EXPECT_EQ(recorder.Only("beep").size(), 1u) << "Sound is on when the file says nothing";
    EXPECT_FALSE(Tarnwick->Visible());
    EXPECT_EQ(Tarnwick->LineHistory.Lines(), (std::vector<std::string>{"TL"}));

    // Sound off: no beep. A combination no entry holds launches nothing; other ids call the
    // line up as ever.
    Tarnwick->Sound = false;
    Press(MOD_CONTROL, VK_F1);
    EXPECT_EQ(recorder.Only("beep").size(), 1u);
    EXPECT_EQ(recorder.Only("execute").size(), 2u);
    Press(MOD_CONTROL, VK_F2);
    EXPECT_EQ(recorder.Only("execute").size(), 2u);
    EXPECT_FALSE(Tarnwick->Visible());
    (void)PostMessageW(Tarnwick->Handle(), WM_HOTKEY, 1, 0);
    Pump();
    EXPECT_TRUE(Tarnwick->Visible());
}

TEST_F(EntryHotKeyTest, TheHotKeyWindowRefusesTakenCombinationsAndStoresAFreeOne) {
    Settings(kThree);
    Start();
    ASSERT_EQ(SystemHotKeys::Registered.size(), 2u);
    OpenHotKeyWindow(1);
    EXPECT_EQ(F_HotKey->Label1.Text(), "B");
    EXPECT_EQ(F_HotKey->Edit1.Text(), "None");
    // Held back: every combination reaches the box, the main one too.
    EXPECT_TRUE(SystemHotKeys::Registered.empty());
    EXPECT_TRUE(e2e::HotKeyIsFree(kCtrlAlt, 'F'));
    EXPECT_FALSE(IsWindowEnabled(F_Database->Handle())) << "the editor waits for the window";
    // A hand edit taken up meanwhile must not change the list under the window.
    e2e::HandEdit(Ini(), "[DBSYSTEM]\r\nCount=1\r\n[DATABASE]\r\nName0=Z\r\n"
                         "[SYSTEM]\r\nhKey=3070\r\nSound=0\r\n");
    (void)Tarnwick->TakeUpHandEdits();
    EXPECT_EQ(F_Database->Entries.Count(), 3);

    const HWND box = F_HotKey->Edit1.Handle();
    SystemHotKeys::HeldElsewhere.insert({kCtrlShift, 'K'});
    const struct {
        std::initializer_list<WORD> Keys;
        const char* Text;
    } refused[] = {{{VK_CONTROL, VK_MENU, 'F'}, "Ctrl + Alt + F"},     // the main hot key
                   {{VK_CONTROL, VK_MENU, '1'}, "Ctrl + Alt + 1"},     // entry A's
                   {{VK_CONTROL, VK_SHIFT, 'K'}, "Ctrl + Shift + K"}}; // another program's
    for (const auto& r : refused) {
        PressInBox(box, r.Keys);
        ASSERT_EQ(F_HotKey->Edit1.Text(), r.Text);
        F_HotKey->Button1.Click();
        EXPECT_TRUE(F_HotKey->Visible()) << r.Text;
        EXPECT_EQ(F_Database->Entries.At(1).HotKey, 0) << r.Text;
        EXPECT_EQ(Messages().back(), "The hot key " + std::string(r.Text) +
                                         " is in use by another program or reserved by Windows. "
                                         "Please choose another one.");
    }
    EXPECT_FALSE(F_Database->Modified);

    PressInBox(box, {VK_CONTROL, VK_SHIFT, 'J'});
    F_HotKey->Button1.Click();
    EXPECT_FALSE(F_HotKey->Visible());
    EXPECT_TRUE(IsWindowEnabled(F_Database->Handle()));
    EXPECT_EQ(F_Database->Entries.At(1).HotKey, 1000 + 4000 + 'J');
    EXPECT_TRUE(F_Database->Modified);
    EXPECT_EQ(SystemHotKeys::Registered.size(), 3u) << "registered at once, not at OK";
    EXPECT_TRUE(SystemHotKeys::Holds(kCtrlShift, 'J'));
    EXPECT_FALSE(e2e::HotKeyIsFree(kCtrlAlt, 'F')) << "the main hot key is given back";

    // Cancel changes nothing and gives everything back.
    OpenHotKeyWindow(0);
    EXPECT_EQ(F_HotKey->Edit1.Text(), "Ctrl + Alt + 1");
    PressInBox(box, {VK_CONTROL, VK_SHIFT, 'L'});
    F_HotKey->Button2.Click();
    EXPECT_EQ(F_Database->Entries.At(0).HotKey, 3049);
    EXPECT_EQ(SystemHotKeys::Registered.size(), 3u);
}

TEST_F(EntryHotKeyTest, HotKeysFollowTheirEntriesThroughApplyDeleteAndSave) {
    Settings(kThree);
    Start();
    F_Database->Show();
    // Apply keeps the hot key the boxes do not show.
    F_Database->ListBox1.SetItemIndex(2);
    F_Database->ListBox1Click();
    F_Database->Edit1.SetText("C renamed");
    F_Database->Button3Click();
    EXPECT_EQ(F_Database->Entries.At(2).HotKey, 1112);
    // Deleting A gives its combination back; C's goes on launching C from its new index.
    F_Database->ListBox1.SetItemIndex(0);
    recorder.MessageBoxAnswers.push_back(IDYES);
    F_Database->Button2Click();
    EXPECT_FALSE(SystemHotKeys::Holds(kCtrlAlt, '1'));
    EXPECT_TRUE(SystemHotKeys::Holds(MOD_CONTROL, VK_F1));
    Press(MOD_CONTROL, VK_F1);
    ASSERT_EQ(recorder.Only("execute").size(), 1u);
    EXPECT_EQ(recorder.Only("execute")[0].Args[1], "c.exe");

    // Backspace empties the box: C, entry 1 now, loses its hot key.
    OpenHotKeyWindow(1);
    PressInBox(F_HotKey->Edit1.Handle(), {VK_BACK});
    EXPECT_EQ(F_HotKey->Edit1.Text(), "None");
    F_HotKey->Button1.Click();
    EXPECT_EQ(F_Database->Entries.At(1).HotKey, 0);
    EXPECT_TRUE(SystemHotKeys::Registered.empty());

    F_Database->Button4Click();
    const std::string file = e2e::ReadFile(Ini());
    EXPECT_NE(file.find("HotKey0=0\r\n"), std::string::npos) << "A's stale one cleared\n" << file;
    EXPECT_EQ(file.find("HotKey1="), std::string::npos) << file;
}

TEST_F(EntryHotKeyTest, TheConfigurationWindowHoldsThemBackAndWillNotTakeOneForTheMainHotKey) {
    Settings(kThree);
    Start();
    F_Config->Show();
    EXPECT_TRUE(SystemHotKeys::Registered.empty());
    PressInBox(F_Config->Edit1.Handle(), {VK_CONTROL, VK_MENU, '1'});
    F_Config->Button1.Click();
    EXPECT_TRUE(F_Config->Visible());
    EXPECT_EQ(Tarnwick->hKey, 3070);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back(), hotkeybox::RefusalText(DecodeHotKey(3049)));
    F_Config->Button2.Click();
    EXPECT_EQ(SystemHotKeys::Registered.size(), 2u);

    // A new main hot key: the entries come back, beside it.
    F_Config->Show();
    PressInBox(F_Config->Edit1.Handle(), {VK_CONTROL, VK_MENU, VK_F11});
    F_Config->Button1.Click();
    EXPECT_FALSE(F_Config->Visible());
    EXPECT_EQ(SystemHotKeys::Registered.size(), 2u);
}

} // namespace
