// The command window Tarnwick: a borderless, always-on-top strip that is nothing but the input
// line. Start-up (FormCreate, which makes the settings keeper), call-up by hot key or the tray
// menu, dragging by the input line, and the tray menu's commands. It holds the options the
// settings file gives it; the file itself is the keeper's (app/SettingsKeeper.h).
#pragma once

#include "data/Settings.h"
#include "app/EntryHotKeys.h"
#include "app/History.h"
#include "gen/Gen_func.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/PopupMenu.h"
#include "tray/Trayicon.h"

#include <cstdint>
#include <optional>
#include <string>

class TTarnwick : public toolkit::TForm {
public:
    TTarnwick();
    ~TTarnwick() override;

    // Components of the layout.
    toolkit::Edit Edit1;
    TTrayIcon* TrayIcon1 = nullptr;
    toolkit::TImageList* ImageList1 = nullptr;
    toolkit::TPopupMenu* PopupMenu1 = nullptr;

    // Event handlers.
    void FormCreate();
    void FormShow();
    void Edit1KeyPress(std::string& Key);
    // Up and Down recall earlier lines; Ctrl+Shift+Enter is Enter as administrator.
    void Edit1KeyDown(WORD& Key, toolkit::TShiftState Shift);
    void Edit1MouseDown(toolkit::TMouseButton Button, toolkit::TShiftState Shift, int X, int Y);
    void Edit1MouseMove(toolkit::TShiftState Shift, int X, int Y);
    void Edit1MouseUp(toolkit::TMouseButton Button, toolkit::TShiftState Shift, int X, int Y);
    void Execute1Click();
    void Database1Click();
    void Cofiguration1Click();
    void Exit1Click();

    // WM_HOTKEY calls the window up; every other message takes the form's ordinary way.
    void Dispatch(toolkit::TMessage& message) override;
    void WMHotKey(toolkit::TMessage& message);
    // A file dropped onto the input line opens the editor adding an entry made from it.
    void WMDropFiles(toolkit::TMessage& message);

    // Holds the atom "TARNWICK" while hKey names a key and registers that hot key for this
    // window (the result is not looked at: a second copy relies on failing silently); releases
    // the atom when hKey names none. Start-up uses it; a hand-edited hot key taken up while the
    // configuration window holds the hot key back is only noted (`registerIt` false).
    void ApplyHotKey(bool registerIt = true);
    // Registers `hotKey` (which names a key) for this window under HotKeyAtom, adding the atom
    // first when none is held; whether the system took it.
    bool TakeHotKey(const THotKey& hotKey);
    // Releases HotKeyAtom, if one is held, and sets it to 0.
    void ReleaseHotKeyAtom();
    // The hot key hKey names: only its low 16 bits count.
    THotKey HotKey() const;

    // The entries' own hot keys, registered for this window.
    TEntryHotKeys EntryHotKeys;
    // After the entries or the main hot key changed: the entries' hot keys registered to match.
    void UpdateEntryHotKeys();
    // A hot key box captures: the entries' hot keys are given back until `holder` resumes.
    void HoldBackEntryHotKeys(const void* holder);
    void ResumeEntryHotKeys(const void* holder);

    // Has the settings keeper write the history if it changed (clear it there while History is
    // off). The program's end calls it: Exit, and the end of the session. A failure says nothing:
    // the lines stay unsaved.
    void SaveHistory();

    // State, in this order; all zero, false or empty until FormCreate.
    std::int32_t GrabX = 0; // where a mouse button last went down in Edit1, client coordinates
    std::int32_t GrabY = 0;
    bool Web = false;
    bool NoEnter = false;
    bool Sound = false;
    std::uint16_t HotKeyAtom = 0; // also the hot key's id
    std::int32_t hKey = 0;        // the stored hot key value
    std::string ExeFolder;        // the exe's folder plus one more backslash
    bool History = false;         // keep the lines that launched something
    bool RunTyped = false;        // run a line that launched nothing as a command
    bool FollowMonitor = false;   // come up on the monitor that holds the mouse pointer
    THistory LineHistory;

    // The scale the notification area is drawn at now; tests play a change of display scale.
    int (*TrayPixelsPerInch)() = &toolkit::NotificationAreaPixelsPerInch;
    // Makes the tray icon's picture at the size the notification area draws it now, when that
    // is not its size already: on a change of display scale, and when Explorer comes back.
    void FitTrayIcon();
    // Puts the program's picture at `size` into ImageList1 (the application icon where the exe
    // has none, as in a test), sized so; false when no picture could be made.
    bool PutTrayPicture(SIZE size);

private:
    // A drag crossing to a monitor of another scale: GrabX and GrabY in the new scale's pixels.
    void KeepGrabPointAtScale(int oldDpi, int newDpi);
    static toolkit::TFormLayout Layout();
    void CreateComponents();
    void CallUp();
    // An entry's hot key was pressed: that entry launches; the window stays as it is.
    void PressEntryHotKey(WPARAM id);
    void ApplySettings(const TSettings& settings);
    void MoveToNextPlace();
    // Has the settings keeper look for changes made outside, without waiting for the answer.
    void LookAtSettings();

    // A place taken up while the window was shown, for its next showing.
    std::optional<POINT> nextPlace_;
    // The stored place, for the main monitor: FollowMonitor puts the window where it stands for
    // on the pointer's monitor.
    POINT storedPlace_{100, 70};
    SIZE Size96() const;
    // The key decision for one key (Enter as administrator when `elevate`).
    void DecideKey(std::string& key, bool elevate);
    void Recall(bool older);
    // The line shows a recalled line, or what the user made of one: it launches on Enter only.
    bool recalled_ = false;
    // Ctrl+Shift+Enter was handled on its key-down: the character it may bring is not Enter.
    bool enterHandled_ = false;
    // The window in front before the call-up, and its thread: Escape gives it the focus back.
    void NoteWindowInFront();
    void GiveFocusBack();
    HWND inFront_ = nullptr;
    DWORD inFrontThread_ = 0;
    // The line's name and purpose for screen readers, given when one first asks.
    void DescribeLine();
    bool lineDescribed_ = false;
};

extern TTarnwick* Tarnwick;
