// A popup menu: items with a name, a caption ("-" for a separator line), a default flag (the
// default item is drawn bold), enabled and checked flags and a click handler; popped up at screen
// coordinates.
#pragma once

#include "toolkit/Component.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace toolkit {

struct TMenuItem {
    std::string Name;
    std::string Caption;
    bool Default = false;
    bool Enabled = true;
    bool Checked = false; // drawn with a check mark
    TNotifyEvent OnClick; // the sender is the menu
    bool IsSeparator() const { return Caption == "-"; }
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    TMenuItem& Add(const std::string& name, const std::string& caption, TNotifyEvent onClick = {},
                   bool isDefault = false);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem& Items(int index) { return items_.at(index); }
    // The item of that name, or null.
    TMenuItem* Find(const std::string& name);

    // Fired just before the menu shows.
    TNotifyEvent OnPopup;

    // Shows the menu with its top left corner at the screen point and waits for the choice; the
    // chosen item's handler runs before Popup returns. The menu's owner window is brought to the
    // foreground first, or the menu would not close when the user clicks elsewhere (as a menu
    // popped up from the notification area needs).
    virtual void Popup(int x, int y);
    // The same for a menu of one of the program's own windows (a context menu): `owner` owns it
    // while it is up, and the foreground stays where it is.
    void PopupFor(HWND owner, int x, int y);
    // Runs the handler of item `index`, as choosing it does. Separators and disabled items do
    // nothing.
    void Click(int index);

    // The hidden window that owns the menu while it is up.
    HWND WindowHandle() const { return window_; }

    // What shows the built menu and returns the chosen command (item index + 1, 0 for none).
    // TrackPopupMenu unless replaced, for tests that must not wait on a person.
    using Tracker = std::function<UINT(HMENU menu, int x, int y, HWND owner)>;
    Tracker Track;
    // The platform's menu: TrackPopupMenu, returning the chosen command.
    static UINT TrackPopup(HMENU menu, int x, int y, HWND owner);

    // The platform menu of the items as they are now; the caller destroys it.
    HMENU BuildMenu() const;

private:
    void Show(HWND owner, int x, int y, bool foreground);
    std::vector<TMenuItem> items_;
    HWND window_ = nullptr;
};

} // namespace toolkit
