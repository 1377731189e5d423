#include "forms/HotKeyBox.h"

#include "toolkit/Application.h"

namespace hotkeybox {

toolkit::TControlLayout Layout(std::string name, int id, int left, int top, int width, int height) {
    // Reached only by clicking it: Tab would otherwise land in it and be captured as a key.
    toolkit::TControlLayout box = toolkit::ControlAt(toolkit::TControlKind::Edit, std::move(name),
                                                     id, left, top, width, height, "None");
    box.MaxLength = 1;
    // At a larger scale the box grows by more than its font; its text stays in the middle.
    box.CenterText = true;
    return box;
}

void KeyDown(const toolkit::Edit& box, WORD& key, THotKey& capture) {
    box.SetText(HotKeyKeyDown(key, capture));
    key = 0;
}

void KeyUp(const toolkit::Edit& box, WORD& key, THotKey& capture) {
    box.SetText(HotKeyKeyUp(key, capture));
    key = 0;
}

void KeyPress(std::string& key) {
    key.clear();
}

void Attach(toolkit::TControlEvents& events, const toolkit::Edit& box, THotKey& capture) {
    const toolkit::Edit target = box;
    events.OnKeyDown = [target, &capture](WORD& key, toolkit::TShiftState) {
        KeyDown(target, key, capture);
    };
    events.OnKeyUp = [target, &capture](WORD& key, toolkit::TShiftState) {
        KeyUp(target, key, capture);
    };
    events.OnKeyPress = [](std::string& key) { KeyPress(key); };
}

std::string RefusalText(const THotKey& hotKey) {
    return "The hot key " + HotKeyText(hotKey) +
           " is in use by another program or reserved by Windows. Please choose another one.";
}

void Refuse(HWND owner, const toolkit::Edit& box, const THotKey& hotKey) {
    (void)toolkit::App->Sys().ShowMessageBox(owner, RefusalText(hotKey), toolkit::App->Title(),
                                             MB_OK | MB_ICONWARNING);
    box.SetFocus();
}

} // namespace hotkeybox
