// Thin wrappers over the standard controls the windows use. Each holds only the control's window
// handle and owns nothing: the form that built the control destroys it. One message per method,
// bool instead of BOOL, UTF-8 text (the controls are Unicode windows).
#pragma once

#include "toolkit/Text.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

namespace toolkit {

enum class TMouseButton { Left, Right, Middle };

// The modifier keys and mouse buttons held during a key or mouse event.
enum class TShiftFlag : unsigned {
    Shift = 1,
    Alt = 2,
    Ctrl = 4,
    Left = 8,
    Right = 16,
    Middle = 32,
    Double = 64,
};

class TShiftState {
public:
    constexpr TShiftState() = default;
    constexpr TShiftState(std::initializer_list<TShiftFlag> flags) {
        for (const TShiftFlag f : flags)
            bits_ |= static_cast<unsigned>(f);
    }
    constexpr bool Contains(TShiftFlag f) const { return (bits_ & static_cast<unsigned>(f)) != 0; }
    constexpr TShiftState& operator+=(TShiftFlag f) {
        bits_ |= static_cast<unsigned>(f);
        return *this;
    }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr unsigned Bits() const { return bits_; }
    constexpr bool operator==(const TShiftState&) const = default;

private:
    unsigned bits_ = 0;
};

// The keyboard part of the shift state now (Shift, Ctrl, Alt), from GetKeyState.
TShiftState KeyboardShiftState();
// The shift state a mouse message carries in its wParam (MK_...), plus Alt from the keyboard.
TShiftState MouseShiftState(WPARAM mouseKeys);

// The key and mouse events of a control. A key handler gets the key by reference and swallows it
// by setting it to 0 (a typed character: by emptying it): the control then never sees the
// keystroke. Mouse coordinates are the control's client coordinates.
struct TControlEvents {
    // One typed character as its UTF-8 bytes. A character outside the Basic Multilingual Plane
    // arrives as two WM_CHARs, one half of its UTF-16 pair each; the handler sees it once, whole.
    // Another character put in its place is what the control inserts.
    std::function<void(std::string& key)> OnKeyPress;
    std::function<void(WORD& key, TShiftState shift)> OnKeyDown;
    std::function<void(WORD& key, TShiftState shift)> OnKeyUp;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseDown;
    std::function<void(TShiftState shift, int x, int y)> OnMouseMove;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseUp;
    // A screen reader or another accessibility client asks for the control's object: the moment
    // to give it names and descriptions of ours.
    std::function<void()> OnAccessibleQuery;

    bool HasKeyHandler() const { return OnKeyPress || OnKeyDown || OnKeyUp; }

    // The first half of a character's UTF-16 pair, held until its second half arrives.
    wchar_t PendingHighSurrogate = 0;
};

// Routes the control's key and mouse messages to `events` before the control acts on them. The
// events must outlive the control's window; the routing ends by itself when the window goes.
void AttachEvents(HWND control, TControlEvents* events);

// Decodes a JPEG (or any picture the system's OLE picture loader reads) into a bitmap the caller
// owns. Returns nullptr when the bytes are no picture.
HBITMAP DecodePicture(const void* data, std::size_t size);

// A new bitmap of width x height holding `picture` resized smoothly (halftone), so that a picture
// made for 96 pixels per inch keeps its place in a layout scaled to the system's. The caller owns
// both. Returns nullptr when the system cannot make the bitmap.
HBITMAP ScalePicture(HBITMAP picture, int width, int height);

class TWinControl {
public:
    TWinControl() = default;
    explicit TWinControl(HWND handle) : handle_(handle) {}

    HWND Handle() const { return handle_; }
    int Id() const { return GetDlgCtrlID(handle_); }

    std::string Text() const;
    void SetText(const std::string& text) const {
        (void)SetWindowTextW(handle_, Widen(text).c_str());
    }

    bool Enabled() const { return IsWindowEnabled(handle_) != FALSE; }
    void SetEnabled(bool enabled) const { (void)EnableWindow(handle_, enabled ? TRUE : FALSE); }
    bool Visible() const { return (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_VISIBLE) != 0; }
    void SetVisible(bool visible) const { (void)ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE); }
    void SetFocus() const { (void)::SetFocus(handle_); }
    bool Focused() const { return GetFocus() == handle_; }

    // Position and size in the parent's client coordinates, in device pixels.
    RECT Bounds() const;

protected:
    HWND handle_ = nullptr;
};

class Edit : public TWinControl {
public:
    using TWinControl::TWinControl;
    // A box made multi-line keeps its one line of text in the middle of its height rather than
    // at its top, whatever the font and the border add up to at this scale. Set again after a
    // change of font or size: both reset the text's rectangle.
    void CenterTextVertically() const;
    void SetMaxLength(int length) const { (void)SendMessageW(handle_, EM_SETLIMITTEXT, length, 0); }
    int MaxLength() const { return static_cast<int>(SendMessageW(handle_, EM_GETLIMITTEXT, 0, 0)); }
    void SelectAll() const { (void)SendMessageW(handle_, EM_SETSEL, 0, -1); }
    void SetSelection(int start, int end) const {
        (void)SendMessageW(handle_, EM_SETSEL, start, end);
    }
    // Caret position (the selection's start) and selection end.
    void Selection(int& start, int& end) const;
    bool UpperCase() const { return (GetWindowLongPtrW(handle_, GWL_STYLE) & ES_UPPERCASE) != 0; }
};

class ListBox : public TWinControl {
public:
    using TWinControl::TWinControl;
    int Count() const { return static_cast<int>(SendMessageW(handle_, LB_GETCOUNT, 0, 0)); }
    int Add(const std::string& item) const;
    void Insert(int index, const std::string& item) const;
    void Delete(int index) const { (void)SendMessageW(handle_, LB_DELETESTRING, index, 0); }
    void Clear() const { (void)SendMessageW(handle_, LB_RESETCONTENT, 0, 0); }
    std::string Item(int index) const;
    // Replaces the text of item `index`, keeping the selection where it was.
    void SetItem(int index, const std::string& item) const;
    // -1 when nothing is selected.
    int ItemIndex() const { return static_cast<int>(SendMessageW(handle_, LB_GETCURSEL, 0, 0)); }
    void SetItemIndex(int index) const { (void)SendMessageW(handle_, LB_SETCURSEL, index, 0); }
    int ItemHeight() const {
        return static_cast<int>(SendMessageW(handle_, LB_GETITEMHEIGHT, 0, 0));
    }
};

class Button : public TWinControl {
public:
    using TWinControl::TWinControl;
    // Presses the button as a click would (BN_CLICKED to its form).
    void Click() const { (void)SendMessageW(handle_, BM_CLICK, 0, 0); }
    bool Default() const {
        return (GetWindowLongPtrW(handle_, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    }
};

// A flat button that never takes the focus; draws its caption in its own font (the windows use a
// symbol font for an open-folder glyph).
class SpeedButton : public TWinControl {
public:
    using TWinControl::TWinControl;
    void Click() const;
};

class CheckBox : public TWinControl {
public:
    using TWinControl::TWinControl;
    bool Checked() const { return SendMessageW(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // Toggles the box as a click would, and tells the form (BN_CLICKED).
    void Click() const { (void)SendMessageW(handle_, BM_CLICK, 0, 0); }
    void SetChecked(bool checked) const {
        (void)SendMessageW(handle_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
};

class TrackBar : public TWinControl {
public:
    using TWinControl::TWinControl;
    void SetRange(int min, int max) const;
    int Min() const;
    int Max() const;
    int Position() const;
    void SetPosition(int position) const;
};

class Label : public TWinControl {
public:
    using TWinControl::TWinControl;
};

class Bevel : public TWinControl {
public:
    using TWinControl::TWinControl;
};

class Panel : public TWinControl {
public:
    using TWinControl::TWinControl;
};

class Image : public TWinControl {
public:
    using TWinControl::TWinControl;
    // Shows `bitmap` at the control's top left, as it is: a layout's picture comes already
    // scaled to the control (ScalePicture). The caller keeps owning the bitmap. Returns what the
    // control showed before: a bitmap with alpha is shown from a copy the control makes, and
    // that copy, returned here when it is replaced, is the caller's to free as well.
    HBITMAP SetPicture(HBITMAP bitmap) const;
    HBITMAP Picture() const;
};

// Window classes of our own controls, registered on first use.
extern const char* const kPanelClass;
// A panel's ground in another colour (a change of look); the old brush is freed.
void SetPanelColor(HWND panel, COLORREF color);
extern const char* const kSpeedButtonClass;
void RegisterControlClasses();

} // namespace toolkit
