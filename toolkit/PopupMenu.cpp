#include "toolkit/PopupMenu.h"

#include "toolkit/Errors.h"
#include "toolkit/HiddenWindow.h"
#include "toolkit/Text.h"

namespace toolkit {

UINT TPopupMenu::TrackPopup(HMENU menu, int x, int y, HWND owner) {
    const BOOL chosen =
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y,
                       0, owner, nullptr);
    // Lets the menu's owner see one more message, so that the next popup closes properly when
    // the user clicks elsewhere.
    (void)PostMessageW(owner, WM_NULL, 0, 0);
    return static_cast<UINT>(chosen);
}

namespace {

struct MenuHandle {
    HMENU Menu;
    ~MenuHandle() {
        if (Menu != nullptr)
            (void)DestroyMenu(Menu);
    }
};

} // namespace

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), Track(&TPopupMenu::TrackPopup) {}

TPopupMenu::~TPopupMenu() {
    DeallocateHWnd(window_);
}

TMenuItem& TPopupMenu::Add(const std::string& name, const std::string& caption,
                           TNotifyEvent onClick, bool isDefault) {
    TMenuItem item;
    item.Name = name;
    item.Caption = caption;
    item.OnClick = std::move(onClick);
    item.Default = isDefault;
    items_.push_back(std::move(item));
    return items_.back();
}

TMenuItem* TPopupMenu::Find(const std::string& name) {
    for (TMenuItem& item : items_)
        if (item.Name == name)
            return &item;
    return nullptr;
}

HMENU TPopupMenu::BuildMenu() const {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        throw EOutOfResources("Cannot create a menu");
    for (size_t i = 0; i < items_.size(); ++i) {
        const TMenuItem& item = items_[i];
        const UINT id = static_cast<UINT>(i + 1);
        if (item.IsSeparator()) {
            (void)AppendMenuW(menu, MF_SEPARATOR, id, nullptr);
            continue;
        }
        const UINT flags = MF_STRING | (item.Enabled ? MF_ENABLED : MF_GRAYED) |
                           (item.Checked ? MF_CHECKED : MF_UNCHECKED);
        (void)AppendMenuW(menu, flags, id, Widen(item.Caption).c_str());
        if (item.Default)
            (void)SetMenuDefaultItem(menu, id, FALSE);
    }
    return menu;
}

void TPopupMenu::Popup(int x, int y) {
    if (window_ == nullptr) {
        window_ = AllocateHWnd([this](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (msg == WM_CLOSE)
                return 0; // a helper window lives as long as its menu
            return DefWindowProcW(window_, msg, wParam, lParam);
        });
    }
    Show(window_, x, y, true);
}

void TPopupMenu::PopupFor(HWND owner, int x, int y) {
    Show(owner, x, y, false);
}

void TPopupMenu::Show(HWND owner, int x, int y, bool foreground) {
    if (OnPopup)
        OnPopup(this);
    UINT chosen = 0;
    {
        MenuHandle menu{BuildMenu()};
        if (foreground)
            (void)SetForegroundWindow(owner);
        chosen = Track ? Track(menu.Menu, x, y, owner) : 0;
    }
    if (chosen > 0 && chosen <= items_.size())
        Click(static_cast<int>(chosen - 1));
}

void TPopupMenu::Click(int index) {
    if (index < 0 || index >= Count())
        return;
    const TMenuItem& item = items_[static_cast<size_t>(index)];
    if (item.IsSeparator() || !item.Enabled || !item.OnClick)
        return;
    TNotifyEvent handler = item.OnClick; // the handler may change the menu
    handler(this);
}

} // namespace toolkit
