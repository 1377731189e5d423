// The command window Tarnwick: a borderless, always-on-top strip that is nothing but the input
// line. Start-up (FormCreate), call-up by hot key or the tray menu, dragging by the input line,
// and the tray menu's commands.
#pragma once

#include "gen/Gen_func.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/PopupMenu.h"
#include "tray/Trayicon.h"

#include <cstdint>
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

    // Holds the atom "TARNWICK" while hKey names a key and registers that hot key for this
    // window (the result is not looked at: a second copy relies on failing silently); releases
    // the atom when hKey names none. Start-up uses it.
    void ApplyHotKey();
    // Registers `hotKey` (which names a key) for this window under HotKeyAtom, adding the atom
    // first when none is held; whether the system took it.
    bool TakeHotKey(const THotKey& hotKey);
    // Releases HotKeyAtom, if one is held, and sets it to 0.
    void ReleaseHotKeyAtom();
    // The hot key hKey names: only its low 16 bits count.
    THotKey HotKey() const;
    // ExeFolder + "Tarnwick.ini".
    std::string SettingsPath() const { return ExeFolder + "Tarnwick.ini"; }

    // State, in this order; all zero, false or empty until FormCreate.
    std::int32_t GrabX = 0; // where a mouse button last went down in Edit1, client coordinates
    std::int32_t GrabY = 0;
    bool Web = false;
    bool NoEnter = false;
    bool Sound = false;
    std::uint16_t HotKeyAtom = 0; // also the hot key's id
    std::int32_t hKey = 0;        // the stored hot key value
    std::string ExeFolder;        // the exe's folder plus one more backslash

private:
    static toolkit::TFormLayout Layout();
    void CreateComponents();
    void CallUp();
};

extern TTarnwick* Tarnwick;
