#include "toolkit/Controls.h"

#include "toolkit/Accessible.h"
#include "toolkit/Application.h"
#include "toolkit/Ole.h"
#include "toolkit/SystemDll.h"
#include "toolkit/Theme.h"

#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstring>
#include <iterator>

namespace toolkit {

const char* const kPanelClass = "TarnwickPanel";
const char* const kSpeedButtonClass = "TarnwickSpeedButton";

TShiftState KeyboardShiftState() {
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0)
        shift += TShiftFlag::Shift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift += TShiftFlag::Ctrl;
    if (GetKeyState(VK_MENU) < 0)
        shift += TShiftFlag::Alt;
    return shift;
}

TShiftState MouseShiftState(WPARAM mouseKeys) {
    TShiftState shift;
    if (mouseKeys & MK_SHIFT)
        shift += TShiftFlag::Shift;
    if (mouseKeys & MK_CONTROL)
        shift += TShiftFlag::Ctrl;
    if (mouseKeys & MK_LBUTTON)
        shift += TShiftFlag::Left;
    if (mouseKeys & MK_RBUTTON)
        shift += TShiftFlag::Right;
    if (mouseKeys & MK_MBUTTON)
        shift += TShiftFlag::Middle;
    // Mouse messages do not carry Alt.
    if (GetKeyState(VK_MENU) < 0)
        shift += TShiftFlag::Alt;
    return shift;
}

namespace {

constexpr UINT_PTR kEventsSubclassId = 0x54574E4B; // any fixed value of ours

int MouseX(LPARAM lp) {
    return static_cast<short>(LOWORD(lp));
}
int MouseY(LPARAM lp) {
    return static_cast<short>(HIWORD(lp));
}

void MouseButtonOf(UINT msg, TMouseButton& button, bool& down, bool& dbl) {
    down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
           msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
    dbl = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_LBUTTONDBLCLK)
        button = TMouseButton::Left;
    else if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK)
        button = TMouseButton::Right;
    else
        button = TMouseButton::Middle;
}

LRESULT HandleEvents(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, TControlEvents& ev) {
    switch (msg) {
    case WM_GETDLGCODE: {
        LRESULT code = DefSubclassProc(hwnd, msg, wp, lp);
        // Without this the dialog navigation of the message loop would take Enter, Escape and
        // Tab away before a key handler saw them.
        if (ev.HasKeyHandler())
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_GETOBJECT:
        NoteAccessibleClient();
        if (ev.OnAccessibleQuery)
            ev.OnAccessibleQuery(); // before the system's object for the control reads them
        break;
    case WM_CHAR:
        if (ev.OnKeyPress) {
            // Our controls are Unicode windows: the character comes as UTF-16, a character
            // beyond the Basic Multilingual Plane as its two halves, one message each.
            const auto unit = static_cast<wchar_t>(wp);
            if (IS_HIGH_SURROGATE(unit)) {
                ev.PendingHighSurrogate = unit;
                return 0; // on hold until its other half comes
            }
            std::wstring typed(1, unit);
            if (IS_LOW_SURROGATE(unit) && ev.PendingHighSurrogate != 0)
                typed.insert(typed.begin(), ev.PendingHighSurrogate);
            ev.PendingHighSurrogate = 0; // a half without its partner is no character
            std::string key = Narrow(typed);
            const std::string asTyped = key;
            ev.OnKeyPress(key);
            if (key.empty())
                return 0;
            if (key != asTyped)
                typed = Widen(key);
            if (typed.empty())
                return 0;
            for (std::size_t i = 0; i + 1 < typed.size(); ++i)
                (void)DefSubclassProc(hwnd, WM_CHAR, typed[i], lp);
            wp = typed.back();
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
        auto& handler = down ? ev.OnKeyDown : ev.OnKeyUp;
        if (handler) {
            WORD key = static_cast<WORD>(wp);
            handler(key, KeyboardShiftState());
            if (key == 0)
                return 0;
            wp = key;
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        // The control acts first (caret, selection, capture), the event follows.
        const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        TMouseButton button;
        bool down = false, dbl = false;
        MouseButtonOf(msg, button, down, dbl);
        TShiftState shift = MouseShiftState(wp);
        if (dbl)
            shift += TShiftFlag::Double;
        if (down && ev.OnMouseDown)
            ev.OnMouseDown(button, shift, MouseX(lp), MouseY(lp));
        else if (!down && ev.OnMouseUp)
            ev.OnMouseUp(button, shift, MouseX(lp), MouseY(lp));
        return result;
    }
    case WM_MOUSEMOVE: {
        const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        if (ev.OnMouseMove)
            ev.OnMouseMove(MouseShiftState(wp), MouseX(lp), MouseY(lp));
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK EventsSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                    DWORD_PTR ref) {
    if (msg == WM_NCDESTROY) {
        (void)RemoveWindowSubclass(hwnd, EventsSubclassProc, id);
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    try {
        return HandleEvents(hwnd, msg, wp, lp, *reinterpret_cast<TControlEvents*>(ref));
    } catch (...) {
        // The message ends here; the loop goes on with the next one.
        ReportCurrentException();
        return 0;
    }
}

// ---- Panel: a plain coloured container that hands its children's notifications to its form.

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        const auto color = static_cast<COLORREF>(reinterpret_cast<UINT_PTR>(cs->lpCreateParams));
        (void)SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(CreateSolidBrush(color)));
        break;
    }
    case WM_NCDESTROY:
        (void)DeleteObject(reinterpret_cast<HBRUSH>(GetWindowLongPtrW(hwnd, 0)));
        (void)SetWindowLongPtrW(hwnd, 0, 0);
        break;
    case WM_ERASEBKGND: {
        RECT rc;
        (void)GetClientRect(hwnd, &rc);
        (void)FillRect(reinterpret_cast<HDC>(wp), &rc,
                       reinterpret_cast<HBRUSH>(GetWindowLongPtrW(hwnd, 0)));
        return 1;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return SendMessageW(GetParent(hwnd), msg, wp, lp);
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace

void SetPanelColor(HWND panel, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    if (!brush)
        return;
    const auto old =
        reinterpret_cast<HBRUSH>(SetWindowLongPtrW(panel, 0, reinterpret_cast<LONG_PTR>(brush)));
    if (old)
        (void)DeleteObject(old);
    (void)InvalidateRect(panel, nullptr, TRUE);
}

namespace {

// ---- SpeedButton: flat, raised while the mouse is over it, sunk while pressed, never focused.

struct SpeedButtonState {
    HFONT Font = nullptr;
    bool Hover = false;
    bool Pressed = false;
};

SpeedButtonState* StateOf(HWND hwnd) {
    return reinterpret_cast<SpeedButtonState*>(GetWindowLongPtrW(hwnd, 0));
}

void NotifyClick(HWND hwnd) {
    (void)SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                       reinterpret_cast<LPARAM>(hwnd));
}

void PaintSpeedButton(HWND hwnd, HDC dc, const SpeedButtonState& st) {
    RECT rc;
    (void)GetClientRect(hwnd, &rc);
    (void)FillRect(dc, &rc, ThemeBrush(COLOR_BTNFACE));
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    if (enabled && st.Pressed && st.Hover)
        (void)DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
    else if (enabled && (st.Hover || st.Pressed))
        (void)DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);

    wchar_t text[64] = L"";
    (void)GetWindowTextW(hwnd, text, static_cast<int>(std::size(text)));
    HGDIOBJ old = SelectObject(dc, st.Font ? st.Font : GetStockObject(DEFAULT_GUI_FONT));
    (void)SetBkMode(dc, TRANSPARENT);
    RECT textRect = rc;
    if (st.Pressed && st.Hover)
        (void)OffsetRect(&textRect, 1, 1);
    if (!enabled) {
        (void)OffsetRect(&textRect, 1, 1);
        (void)SetTextColor(dc, ThemeColor(COLOR_BTNHIGHLIGHT));
        (void)DrawTextW(dc, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        (void)OffsetRect(&textRect, -1, -1);
        (void)SetTextColor(dc, ThemeColor(COLOR_GRAYTEXT));
    } else {
        (void)SetTextColor(dc, ThemeColor(COLOR_BTNTEXT));
    }
    (void)DrawTextW(dc, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    (void)SelectObject(dc, old);
}

LRESULT SpeedButtonMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    SpeedButtonState* st = StateOf(hwnd);
    switch (msg) {
    case WM_NCCREATE:
        (void)SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(new SpeedButtonState));
        break;
    case WM_NCDESTROY:
        delete st;
        (void)SetWindowLongPtrW(hwnd, 0, 0);
        break;
    case WM_SETFONT:
        if (st)
            st->Font = reinterpret_cast<HFONT>(wp);
        if (LOWORD(lp))
            (void)InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return st ? reinterpret_cast<LRESULT>(st->Font) : 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (st)
            PaintSpeedButton(hwnd, dc, *st);
        (void)EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE: {
        POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        RECT rc;
        (void)GetClientRect(hwnd, &rc);
        const bool inside = PtInRect(&rc, pt) != FALSE;
        if (st && inside != st->Hover) {
            st->Hover = inside;
            (void)InvalidateRect(hwnd, nullptr, TRUE);
            if (inside) {
                TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
                (void)TrackMouseEvent(&tme);
            }
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        if (st && st->Hover && !st->Pressed) {
            st->Hover = false;
            (void)InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (st) {
            st->Pressed = true;
            st->Hover = true;
            (void)SetCapture(hwnd);
            (void)InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (st && st->Pressed) {
            st->Pressed = false;
            const bool inside = st->Hover;
            (void)ReleaseCapture();
            (void)InvalidateRect(hwnd, nullptr, TRUE);
            if (inside)
                NotifyClick(hwnd);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (st && st->Pressed) {
            st->Pressed = false;
            (void)InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case BM_CLICK:
        if (IsWindowEnabled(hwnd))
            NotifyClick(hwnd);
        return 0;
    case WM_ENABLE:
    case WM_SETTEXT: {
        const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
        (void)InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK SpeedButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return SpeedButtonMessage(hwnd, msg, wp, lp);
    } catch (...) {
        ReportCurrentException();
        return 0;
    }
}

} // namespace

void AttachEvents(HWND control, TControlEvents* events) {
    (void)SetWindowSubclass(control, EventsSubclassProc, kEventsSubclassId,
                            reinterpret_cast<DWORD_PTR>(events));
}

void RegisterControlClasses() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    static const std::wstring panelClass = Widen(kPanelClass);
    static const std::wstring speedButtonClass = Widen(kSpeedButtonClass);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, panelClass.c_str(), &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PanelProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        wc.lpszClassName = panelClass.c_str();
        (void)RegisterClassExW(&wc);
    }
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, speedButtonClass.c_str(), &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = SpeedButtonProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.lpszClassName = speedButtonClass.c_str();
        (void)RegisterClassExW(&wc);
    }
}

HBITMAP DecodePicture(const void* data, std::size_t size) {
    if (data == nullptr || size == 0)
        return nullptr;
    (void)EnsureOle(); // the system's picture loader needs COM on this thread
    static const auto createStream =
        SystemFunction<decltype(CreateStreamOnHGlobal)>("ole32.dll", "CreateStreamOnHGlobal");
    static const auto loadPicture =
        SystemFunction<decltype(OleLoadPicture)>("oleaut32.dll", "OleLoadPicture");
    HBITMAP result = nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory) {
        if (void* p = GlobalLock(memory)) {
            std::memcpy(p, data, size);
            (void)GlobalUnlock(memory);
            IStream* stream = nullptr;
            if (SUCCEEDED(createStream(memory, TRUE, &stream))) {
                memory = nullptr; // the stream frees it now
                IPicture* picture = nullptr;
                if (SUCCEEDED(loadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                          reinterpret_cast<void**>(&picture)))) {
                    OLE_HANDLE handle = 0;
                    short type = PICTYPE_NONE;
                    if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
                        SUCCEEDED(picture->get_Handle(&handle)))
                        result = static_cast<HBITMAP>(
                            CopyImage(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)),
                                      IMAGE_BITMAP, 0, 0, 0));
                    picture->Release();
                }
                stream->Release();
            }
        }
        if (memory)
            (void)GlobalFree(memory);
    }
    return result;
}

HBITMAP ScalePicture(HBITMAP picture, int width, int height) {
    BITMAP info{};
    if (!picture || width <= 0 || height <= 0 || !GetObjectW(picture, sizeof info, &info))
        return nullptr;
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP result = CreateCompatibleBitmap(screen, width, height);
    (void)ReleaseDC(nullptr, screen);
    if (source && target && result) {
        const HGDIOBJ oldSource = SelectObject(source, picture);
        const HGDIOBJ oldTarget = SelectObject(target, result);
        if (info.bmWidth == width && info.bmHeight == height) {
            (void)BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
        } else {
            // Halftone averages the source pixels each target pixel covers; the brush origin
            // must be set again after choosing it.
            (void)SetStretchBltMode(target, HALFTONE);
            (void)SetBrushOrgEx(target, 0, 0, nullptr);
            (void)StretchBlt(target, 0, 0, width, height, source, 0, 0, info.bmWidth, info.bmHeight,
                             SRCCOPY);
        }
        (void)SelectObject(target, oldTarget);
        (void)SelectObject(source, oldSource);
    } else if (result) {
        (void)DeleteObject(result);
        result = nullptr;
    }
    if (target)
        (void)DeleteDC(target);
    if (source)
        (void)DeleteDC(source);
    return result;
}

std::string TWinControl::Text() const {
    const int length = GetWindowTextLengthW(handle_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(handle_, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return Narrow(text);
}

RECT TWinControl::Bounds() const {
    RECT rc{};
    (void)GetWindowRect(handle_, &rc);
    (void)MapWindowPoints(HWND_DESKTOP, GetParent(handle_), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void Edit::Selection(int& start, int& end) const {
    DWORD s = 0, e = 0;
    (void)SendMessageW(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&s),
                       reinterpret_cast<LPARAM>(&e));
    start = static_cast<int>(s);
    end = static_cast<int>(e);
}

void Edit::CenterTextVertically() const {
    RECT client{};
    RECT text{};
    (void)GetClientRect(handle_, &client);
    (void)SendMessageW(handle_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    // The edit box draws a line at its font's full height.
    HDC dc = GetDC(handle_);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(handle_, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    (void)GetTextMetricsW(dc, &tm);
    (void)SelectObject(dc, old);
    (void)ReleaseDC(handle_, dc);
    if (tm.tmHeight <= 0 || tm.tmHeight >= client.bottom)
        return; // no room to spare: the line stays at the top
    text.top = (client.bottom - tm.tmHeight) / 2;
    text.bottom = text.top + tm.tmHeight;
    (void)SendMessageW(handle_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&text));
}

int ListBox::Add(const std::string& item) const {
    const std::wstring text = Widen(item);
    return static_cast<int>(
        SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void ListBox::Insert(int index, const std::string& item) const {
    const std::wstring text = Widen(item);
    (void)SendMessageW(handle_, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string ListBox::Item(int index) const {
    const LRESULT length = SendMessageW(handle_, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(handle_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return Narrow(text);
}

void ListBox::SetItem(int index, const std::string& item) const {
    const int selected = ItemIndex();
    Delete(index);
    Insert(index, item);
    if (selected == index)
        SetItemIndex(index);
}

void SpeedButton::Click() const {
    (void)SendMessageW(handle_, BM_CLICK, 0, 0);
}

void TrackBar::SetRange(int min, int max) const {
    (void)SendMessageW(handle_, TBM_SETRANGEMIN, FALSE, min);
    (void)SendMessageW(handle_, TBM_SETRANGEMAX, TRUE, max);
}

int TrackBar::Min() const {
    return static_cast<int>(SendMessageW(handle_, TBM_GETRANGEMIN, 0, 0));
}

int TrackBar::Max() const {
    return static_cast<int>(SendMessageW(handle_, TBM_GETRANGEMAX, 0, 0));
}

int TrackBar::Position() const {
    return static_cast<int>(SendMessageW(handle_, TBM_GETPOS, 0, 0));
}

void TrackBar::SetPosition(int position) const {
    (void)SendMessageW(handle_, TBM_SETPOS, TRUE, position);
}

HBITMAP Image::SetPicture(HBITMAP bitmap) const {
    const RECT before = Bounds();
    const auto previous = reinterpret_cast<HBITMAP>(
        SendMessageW(handle_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    // The static control sizes itself to the bitmap; the layout's size wins and clips it.
    (void)SetWindowPos(handle_, nullptr, 0, 0, before.right - before.left,
                       before.bottom - before.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return previous;
}

HBITMAP Image::Picture() const {
    return reinterpret_cast<HBITMAP>(SendMessageW(handle_, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

} // namespace toolkit
