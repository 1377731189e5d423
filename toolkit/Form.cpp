#include "toolkit/Form.h"

#include "toolkit/Accessible.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/SystemDll.h"
#include "toolkit/Text.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>

namespace toolkit {

COLORREF ToColorRef(TColor color) {
    if (color & 0x80000000u)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0xFFFFFF);
}

COLORREF LookColor(TColor color, bool text) {
    const TLook look = CurrentLook();
    if (look == TLook::Light)
        return ToColorRef(color);
    if (color & 0x80000000u)
        return ThemeColor(static_cast<int>(color & 0xFF));
    if (look == TLook::HighContrast)
        return GetSysColor(text ? COLOR_WINDOWTEXT : COLOR_WINDOW);
    const auto rgb = static_cast<COLORREF>(color & 0xFFFFFF);
    return text ? rgb : DarkCounterpart(rgb);
}

TControlLayout ControlAt(TControlKind kind, std::string name, int id, int left, int top, int width,
                         int height, std::string caption, int tabOrder) {
    TControlLayout s;
    s.Kind = kind;
    s.Name = std::move(name);
    s.Id = id;
    s.Left = left;
    s.Top = top;
    s.Width = width;
    s.Height = height;
    s.Caption = std::move(caption);
    s.TabOrder = tabOrder;
    return s;
}

int ScreenPixelsPerInch() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc)
        (void)ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

int WindowPixelsPerInch(HWND window) {
    static const auto dpiForWindow =
        OptionalSystemFunction<UINT WINAPI(HWND)>("user32.dll", "GetDpiForWindow");
    const UINT dpi = dpiForWindow && window ? dpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : ScreenPixelsPerInch();
}

namespace {

// WM_GETDPISCALEDSIZE, Windows 10 from version 1703: the size wanted at a new scale, asked before
// WM_DPICHANGED suggests its rectangle.
constexpr UINT kGetDpiScaledSize = 0x02E4;

DWORD FormStyle(const TFormLayout& layout) {
    DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    if (layout.Border == TBorderStyle::Dialog)
        style |= WS_CAPTION; // a title bar without system menu or buttons
    return style;
}

DWORD FormExStyle(const TFormLayout& layout) {
    DWORD ex = WS_EX_CONTROLPARENT;
    if (layout.Border == TBorderStyle::Dialog)
        ex |= WS_EX_DLGMODALFRAME;
    if (layout.StayOnTop)
        ex |= WS_EX_TOPMOST;
    return ex;
}

std::wstring ControlClass(TControlKind kind) {
    switch (kind) {
    case TControlKind::Edit:
        return L"EDIT";
    case TControlKind::ListBox:
        return L"LISTBOX";
    case TControlKind::Button:
    case TControlKind::CheckBox:
        return L"BUTTON";
    case TControlKind::SpeedButton:
        return Widen(kSpeedButtonClass);
    case TControlKind::TrackBar:
        return TRACKBAR_CLASSW;
    case TControlKind::Panel:
        return Widen(kPanelClass);
    case TControlKind::Label:
    case TControlKind::Bevel:
    case TControlKind::Image:
        return L"STATIC";
    }
    return L"STATIC";
}

DWORD ControlStyle(const TControlLayout& s) {
    DWORD style = WS_CHILD | (s.Visible ? WS_VISIBLE : 0);
    if (s.TabOrder >= 0 && s.TabStop)
        style |= WS_TABSTOP;
    switch (s.Kind) {
    case TControlKind::Edit:
        style |= ES_AUTOHSCROLL;
        if (s.UpperCase)
            style |= ES_UPPERCASE;
        if (s.CenterText)
            style |= ES_MULTILINE; // only a multi-line box takes a text rectangle of ours
        break;
    case TControlKind::ListBox:
        style |= WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        if (s.OwnerDraw)
            style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
        break;
    case TControlKind::Button:
        style |= s.Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        break;
    case TControlKind::CheckBox:
        style |= BS_AUTOCHECKBOX;
        break;
    case TControlKind::TrackBar:
        style |= TBS_HORZ | TBS_BOTTOM;
        break;
    case TControlKind::Panel:
        style |= WS_CLIPCHILDREN;
        break;
    case TControlKind::Label:
        style |= SS_NOPREFIX | (s.Alignment == TAlignment::Right    ? SS_RIGHT
                                : s.Alignment == TAlignment::Center ? SS_CENTER
                                                                    : SS_LEFT);
        break;
    case TControlKind::Bevel:
        style |= SS_ETCHEDHORZ;
        break;
    case TControlKind::Image:
        style |= SS_BITMAP;
        break;
    case TControlKind::SpeedButton:
        break;
    }
    return style;
}

DWORD ControlExStyle(const TControlLayout& s) {
    switch (s.Kind) {
    case TControlKind::Edit:
        return s.Flat ? 0 : WS_EX_CLIENTEDGE;
    case TControlKind::ListBox:
        return WS_EX_CLIENTEDGE;
    case TControlKind::Panel:
        return WS_EX_CONTROLPARENT;
    default:
        return 0;
    }
}

// The text flags a left-aligned static control with SS_NOPREFIX draws its caption with, less the
// word break (measured on an empty rectangle it would break at every space).
constexpr UINT kLabelTextFlags = DT_LEFT | DT_EXPANDTABS | DT_NOPREFIX;

// The box an auto-sized label needs to show all of `text` in `font`. The measure alone is not
// enough: under Wine the drawn text can reach several pixels past the width that every measuring
// call reports (DrawText, GetTextExtentPoint32, the character widths), smoothing such as
// ClearType may ink a column beyond the last glyph, and the static control clips whatever its
// window does not hold. So the text is also drawn as the control draws it, and the box widened
// (or heightened) to the last pixel inked.
SIZE LabelTextSize(HWND window, HFONT font, const std::string& utf8) {
    const std::wstring text = Widen(utf8);
    HDC dc = GetDC(window);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    RECT measured{0, 0, 0, 0};
    (void)DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured,
                    DT_CALCRECT | kLabelTextFlags);
    SIZE size{measured.right, measured.bottom};
    TEXTMETRICW tm{};
    (void)GetTextMetricsW(dc, &tm);
    (void)SelectObject(dc, oldFont);
    (void)ReleaseDC(window, dc);

    // Room for any drift or bleed: a few characters to the right, a line below.
    const int width = size.cx + 4 * std::max<int>(tm.tmMaxCharWidth, 1);
    const int height = size.cy + std::max<int>(tm.tmHeight, 1);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    if (bitmap && bits && memory) {
        const HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        const HGDIOBJ oldMemoryFont = SelectObject(memory, font);
        RECT all{0, 0, width, height};
        (void)FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        (void)SetBkMode(memory, TRANSPARENT);
        (void)SetTextColor(memory, RGB(0, 0, 0));
        (void)DrawTextW(memory, text.c_str(), static_cast<int>(text.size()), &all, kLabelTextFlags);
        (void)GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if ((pixels[y * width + x] & 0xFFFFFF) == 0xFFFFFF)
                    continue;
                size.cx = std::max<LONG>(size.cx, x + 1);
                size.cy = std::max<LONG>(size.cy, y + 1);
            }
        }
        (void)SelectObject(memory, oldMemoryFont);
        (void)SelectObject(memory, oldBitmap);
    }
    if (memory)
        (void)DeleteDC(memory);
    if (bitmap)
        (void)DeleteObject(bitmap);
    return size;
}

// The program's picture resource `name` decoded and scaled to width x height; nullptr when the
// resource is missing or no picture.
HBITMAP LoadScaledPicture(const std::string& name, int width, int height) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, Widen(name).c_str(), MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!res)
        return nullptr;
    HGLOBAL data = LoadResource(module, res);
    const void* bytes = data ? LockResource(data) : nullptr;
    HBITMAP decoded = DecodePicture(bytes, SizeofResource(module, res));
    if (!decoded)
        return nullptr;
    HBITMAP scaled = ScalePicture(decoded, width, height);
    (void)DeleteObject(decoded);
    return scaled;
}

std::string FontKey(const TFont& f) {
    return f.Name + '|' + std::to_string(f.Height) + (f.Bold ? "|b|" : "|n|") +
           std::to_string(f.Charset);
}

} // namespace

TForm::TForm(TComponent* owner, TFormLayout layout, bool deferControls)
    : TComponent(owner), layout_(std::move(layout)) {
    dpi_ = ScreenPixelsPerInch();
    designClient_ = {layout_.ClientWidth, layout_.ClientHeight};
    RegisterControlClasses();
    RegisterWindowClass();

    const DWORD style = FormStyle(layout_);
    const DWORD ex = FormExStyle(layout_);
    const SIZE frame = FrameSize(dpi_);
    const int width = frame.cx;
    const int height = frame.cy;
    int x = layout_.Left;
    int y = layout_.Top;
    if (layout_.Position == TFormPosition::ScreenCenter) {
        RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        (void)SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }

    // Owned by the application's hidden window: no taskbar button of the form's own.
    handle_ = CreateWindowExW(ex, Widen(layout_.ClassName).c_str(), Widen(layout_.Caption).c_str(),
                              style, x, y, width, height, App ? App->Handle() : nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (!handle_)
        throw EOutOfResources("Error creating window " + layout_.ClassName);
    // Made on a monitor of another scale than the system's: sized for that one.
    const int windowDpi = WindowPixelsPerInch(handle_);
    if (windowDpi != dpi_) {
        dpi_ = windowDpi;
        const SIZE fitted = FrameSize(dpi_);
        (void)SetWindowPos(handle_, nullptr, 0, 0, fitted.cx, fitted.cy,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!deferControls)
        MakeControls();
    alphaBlend_ = layout_.AlphaBlend;
    alphaValue_ = layout_.AlphaBlendValue;
    ApplyAlpha();
    ApplyLook();
}

TForm::~TForm() {
    if (App)
        App->FormDestroying(this);
    if (handle_) {
        (void)SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        (void)DestroyWindow(handle_);
        handle_ = nullptr;
    }
    for (auto& [key, font] : fonts_)
        (void)DeleteObject(font);
    for (auto& [color, brush] : brushes_)
        (void)DeleteObject(brush);
    for (auto& [control, picture] : pictures_)
        (void)DeleteObject(picture);
}

SIZE TForm::FrameSize(int dpi) const {
    RECT rc{0, 0, ScaleToDpi(designClient_.cx, dpi), ScaleToDpi(designClient_.cy, dpi)};
    const DWORD style = FormStyle(layout_);
    const DWORD ex = FormExStyle(layout_);
    // The frame too is drawn at the window's scale; before Windows 10 there is only the system's.
    static const auto adjustForDpi =
        OptionalSystemFunction<BOOL WINAPI(LPRECT, DWORD, BOOL, DWORD, UINT)>(
            "user32.dll", "AdjustWindowRectExForDpi");
    if (!adjustForDpi || !adjustForDpi(&rc, style, FALSE, ex, static_cast<UINT>(dpi)))
        (void)AdjustWindowRectEx(&rc, style, FALSE, ex);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

void TForm::SetDesignClientSize(int width, int height) {
    designClient_ = {width, height};
    const SIZE frame = FrameSize(dpi_);
    (void)SetWindowPos(handle_, nullptr, 0, 0, frame.cx, frame.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::ChangeScale(int dpi, const RECT& suggested) {
    if (dpi <= 0)
        return;
    dpi_ = dpi;
    (void)SetWindowPos(handle_, nullptr, suggested.left, suggested.top,
                       suggested.right - suggested.left, suggested.bottom - suggested.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    if (!controlsMade_)
        return; // they will be made at this scale
    // The old fonts are freed only once no control uses them any more.
    std::vector<std::pair<std::string, HFONT>> oldFonts;
    oldFonts.swap(fonts_);
    for (const TControlLayout& s : layout_.Controls) {
        const HWND control = Control(s.Name);
        const HFONT font = FontFor(s.Font ? *s.Font : layout_.Font);
        (void)SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        const SIZE size = ControlSize(s, font, TWinControl(control).Text());
        (void)SetWindowPos(control, nullptr, Scale(s.Left), Scale(s.Top), size.cx, size.cy,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        ApplyScale(s, control);
        // A picture not shown yet is made at its control's size when it first paints.
        const auto shown = pictures_.find(control);
        if (shown == pictures_.end())
            continue;
        if (HBITMAP picture = LoadPictureInLook(s.Picture, size.cx, size.cy)) {
            const HBITMAP previous = Image(control).SetPicture(picture);
            if (previous && previous != shown->second)
                (void)DeleteObject(previous); // the control's own copy of the old one
            (void)DeleteObject(shown->second);
            shown->second = picture;
        }
    }
    for (auto& [key, font] : oldFonts)
        (void)DeleteObject(font);
    (void)RedrawWindow(handle_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TForm::RegisterWindowClass() const {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring className = Widen(layout_.ClassName);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, className.c_str(), &wc))
        return;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = App ? App->Icon() : nullptr;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    // The background is painted from the layout's colour (WM_ERASEBKGND).
    wc.hbrBackground = nullptr;
    wc.lpszClassName = className.c_str();
    if (!RegisterClassExW(&wc))
        throw EOutOfResources("Error registering window class " + layout_.ClassName);
}

void TForm::MakeControls() {
    if (controlsMade_ || !handle_)
        return;
    controlsMade_ = true;
    CreateControls();
    if (look_ != TLook::Light)
        LookControls(false);
    ControlsCreated();
}

void TForm::CreateControls() {
    // Panels first, so that their children have a parent to go into.
    for (int pass = 0; pass < 2; ++pass) {
        for (const TControlLayout& s : layout_.Controls) {
            if (s.Parent.empty() != (pass == 0))
                continue;
            HWND parent = handle_;
            if (!s.Parent.empty()) {
                parent = Control(s.Parent);
                if (!parent)
                    throw Exception("Control " + s.Name + " has no parent " + s.Parent);
            }
            controls_[s.Name] = CreateControl(s, parent);
        }
    }

    // The Tab key follows the z-order: put the tab-ordered controls into their order.
    std::vector<const TControlLayout*> tabbed;
    for (const TControlLayout& s : layout_.Controls)
        if (s.TabOrder >= 0)
            tabbed.push_back(&s);
    std::stable_sort(tabbed.begin(), tabbed.end(),
                     [](const auto* a, const auto* b) { return a->TabOrder < b->TabOrder; });
    HWND previous = HWND_TOP;
    const auto placeNext = [&previous](HWND control) {
        (void)SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = control;
    };
    for (const TControlLayout* s : tabbed) {
        // Screen readers name a box, a list or a slider after the label just before it in the
        // z-order, so its label travels with it.
        if (const TControlLayout* label = LabelOf(*s))
            placeNext(controls_[label->Name]);
        placeNext(controls_[s->Name]);
    }
}

const TControlLayout* TForm::LabelOf(const TControlLayout& s) const {
    if (s.Kind != TControlKind::Edit && s.Kind != TControlKind::ListBox &&
        s.Kind != TControlKind::TrackBar)
        return nullptr; // buttons and check boxes carry their own text
    const auto at = static_cast<std::size_t>(&s - layout_.Controls.data());
    if (at == 0 || at >= layout_.Controls.size())
        return nullptr;
    const TControlLayout& before = layout_.Controls[at - 1];
    if (before.Kind != TControlKind::Label || before.Parent != s.Parent || before.TabOrder >= 0)
        return nullptr;
    return &before;
}

HWND TForm::CreateControl(const TControlLayout& s, HWND parent) {
    const TFont& fontSpec = s.Font ? *s.Font : layout_.Font;
    HFONT font = FontFor(fontSpec);
    const SIZE size = ControlSize(s, font, s.Caption);

    LPVOID param = nullptr;
    if (s.Kind == TControlKind::Panel) {
        const TColor back = s.Color == kColorDefault ? layout_.Color : s.Color;
        param = reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(ToColorRef(back)));
    }
    const std::wstring caption = s.Kind == TControlKind::Image ? std::wstring() : Widen(s.Caption);
    HWND control = CreateWindowExW(ControlExStyle(s), ControlClass(s.Kind).c_str(), caption.c_str(),
                                   ControlStyle(s), Scale(s.Left), Scale(s.Top), size.cx, size.cy,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(s.Id)),
                                   GetModuleHandleW(nullptr), param);
    if (!control)
        throw EOutOfResources("Error creating control " + s.Name);
    (void)SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    ControlLook look;
    look.TextColor = s.Font ? s.Font->Color : layout_.Font.Color;
    look.Back = s.Color;
    look.Transparent = s.Transparent;
    looks_[control] = look;

    ApplyScale(s, control);
    switch (s.Kind) {
    case TControlKind::Edit:
        if (s.MaxLength > 0)
            (void)SendMessageW(control, EM_SETLIMITTEXT, s.MaxLength, 0);
        break;
    case TControlKind::Button:
        if (s.Default)
            defaultButton_ = s.Id;
        break;
    case TControlKind::TrackBar:
        TrackBar(control).SetRange(s.Min, s.Max);
        TrackBar(control).SetPosition(s.Position);
        break;
    case TControlKind::Image:
        if (!s.Picture.empty())
            DeferPicture(control, s.Picture);
        break;
    default:
        break;
    }
    return control;
}

SIZE TForm::ControlSize(const TControlLayout& s, HFONT font, const std::string& caption) const {
    if (s.Kind == TControlKind::Label && (s.Width == 0 || s.Height == 0))
        return LabelTextSize(handle_, font, caption); // a label without a size fits its text
    SIZE size{Scale(s.Width), Scale(s.Height)};
    if (s.Kind == TControlKind::Bevel)
        size.cy = std::min<LONG>(size.cy, 2); // a line along the top edge
    return size;
}

void TForm::ApplyScale(const TControlLayout& s, HWND control) const {
    // Both are reset by a change of font or size.
    if (s.Kind == TControlKind::Edit && s.CenterText)
        Edit(control).CenterTextVertically();
    if (s.Kind == TControlKind::ListBox && s.ItemHeight > 0)
        (void)SendMessageW(control, LB_SETITEMHEIGHT, 0, Scale(s.ItemHeight));
}

namespace {
constexpr UINT_PTR kPictureSubclassId = 0x54575043; // any fixed value of ours
} // namespace

void TForm::DeferPicture(HWND control, const std::string& resource) {
    pendingPictures_[control] = resource;
    (void)SetWindowSubclass(control, PictureSubclassProc, kPictureSubclassId,
                            reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK TForm::PictureSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                            DWORD_PTR form) {
    switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
    case STM_GETIMAGE:
        Guard([&] { reinterpret_cast<TForm*>(form)->LoadPicture(hwnd); });
        break;
    case WM_NCDESTROY:
        (void)RemoveWindowSubclass(hwnd, PictureSubclassProc, kPictureSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void TForm::LoadPicture(HWND control) {
    const auto pending = pendingPictures_.find(control);
    if (pending == pendingPictures_.end())
        return;
    const std::string resource = pending->second;
    pendingPictures_.erase(pending);
    (void)RemoveWindowSubclass(control, PictureSubclassProc, kPictureSubclassId);
    // Drawn at the control's size, which the layout scaled to the display.
    RECT box{};
    (void)GetClientRect(control, &box);
    if (HBITMAP picture = LoadPictureInLook(resource, box.right - box.left, box.bottom - box.top)) {
        pictures_[control] = picture;
        Image(control).SetPicture(picture);
    }
}

HFONT TForm::FontFor(const TFont& f) {
    const std::string key = FontKey(f);
    for (auto& [k, font] : fonts_)
        if (k == key)
            return font;
    HFONT font = CreateFontW(Scale(f.Height), 0, 0, 0, f.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                             FALSE, f.Charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Widen(f.Name).c_str());
    if (!font)
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    else
        fonts_.emplace_back(key, font);
    return font;
}

HBRUSH TForm::BrushFor(COLORREF color) {
    auto it = brushes_.find(color);
    if (it != brushes_.end())
        return it->second;
    HBRUSH brush = CreateSolidBrush(color);
    brushes_[color] = brush;
    return brush;
}

LRESULT TForm::ControlColor(HDC dc, HWND control, LRESULT systemBrush) {
    auto it = looks_.find(control);
    if (it == looks_.end())
        return systemBrush;
    const ControlLook& look = it->second;
    if (look.TextColor != kColorDefault)
        (void)SetTextColor(dc, ToColorRef(look.TextColor));
    if (look.Transparent) {
        (void)SetBkMode(dc, TRANSPARENT);
        HWND parent = GetParent(control);
        wchar_t cls[32] = L"";
        (void)GetClassNameW(parent, cls, static_cast<int>(std::size(cls)));
        if (parent != handle_ && Narrow(cls) == kPanelClass)
            return GetWindowLongPtrW(parent, 0); // the panel's own brush
        return reinterpret_cast<LRESULT>(BrushFor(ToColorRef(layout_.Color)));
    }
    if (look.Back != kColorDefault) {
        (void)SetBkColor(dc, ToColorRef(look.Back));
        return reinterpret_cast<LRESULT>(BrushFor(ToColorRef(look.Back)));
    }
    return systemBrush;
}

LRESULT TForm::LookedControlColor(HDC dc, HWND control, bool field) {
    const ControlLook& look = looks_.find(control)->second; // the caller found it
    const HWND parent = GetParent(control);
    wchar_t cls[32] = L"";
    (void)GetClassNameW(parent, cls, static_cast<int>(std::size(cls)));
    const bool onPanel = parent != handle_ && Narrow(cls) == kPanelClass;
    COLORREF back = 0, text = 0;
    if (field) {
        back = ThemeColor(COLOR_WINDOW);
        text = ThemeColor(COLOR_WINDOWTEXT);
    } else {
        TColor ground = layout_.Color;
        if (onPanel) {
            const auto panel = looks_.find(parent);
            if (panel != looks_.end() && panel->second.Back != kColorDefault)
                ground = panel->second.Back;
        }
        if (!look.Transparent && look.Back != kColorDefault)
            ground = look.Back;
        back = LookColor(ground, false);
        // Under high contrast, the text of the system's pair; in the dark look a colour of the
        // layout's own stays (the header's are light enough).
        const TColor wanted = look.TextColor;
        if (look_ == TLook::HighContrast || wanted == kColorDefault || (wanted & 0x80000000u))
            text = ThemeColor(onPanel ? COLOR_WINDOWTEXT : COLOR_BTNTEXT);
        else
            text = LookColor(wanted, true);
    }
    (void)SetTextColor(dc, text);
    (void)SetBkColor(dc, back);
    if (look.Transparent) {
        (void)SetBkMode(dc, TRANSPARENT);
        if (onPanel)
            return GetWindowLongPtrW(parent, 0); // the panel's own brush
    }
    return reinterpret_cast<LRESULT>(BrushFor(back));
}

HBITMAP TForm::LoadPictureInLook(const std::string& resource, int width, int height) const {
    HBITMAP picture = LoadScaledPicture(resource, width, height);
    if (picture && look_ == TLook::Dark)
        MakeDarkCounterpart(picture);
    return picture;
}

void TForm::ApplyLook() {
    const TLook look = CurrentLook();
    if (look == look_ || !handle_)
        return;
    const bool wasDark = look_ == TLook::Dark;
    look_ = look;
    // The system's dark themes are asked for only in the dark look, and given back after it.
    if (layout_.Border == TBorderStyle::Dialog && (look == TLook::Dark || wasDark))
        SetDarkTitleBar(handle_, look == TLook::Dark);
    LookControls(wasDark);
    (void)RedrawWindow(handle_, nullptr, nullptr,
                       RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TForm::LookControls(bool wasDark) {
    if (!controlsMade_)
        return; // made in the look of their time
    const bool dark = look_ == TLook::Dark;
    const bool themes = dark || wasDark;
    for (const TControlLayout& s : layout_.Controls) {
        const HWND control = Control(s.Name);
        switch (s.Kind) {
        case TControlKind::Edit:
            if (themes)
                SetDarkControlTheme(control, dark, TThemedControl::Field);
            break;
        case TControlKind::CheckBox:
            if (themes)
                SetDarkControlTheme(control, dark, TThemedControl::CheckBox);
            break;
        case TControlKind::ListBox:
        case TControlKind::Button:
            if (themes)
                SetDarkControlTheme(control, dark, TThemedControl::Other);
            break;
        case TControlKind::Panel: {
            const TColor back = s.Color == kColorDefault ? layout_.Color : s.Color;
            SetPanelColor(control, LookColor(back, false));
            break;
        }
        case TControlKind::Image: {
            // No picture stands behind text under high contrast.
            (void)ShowWindow(control, look_ == TLook::HighContrast ? SW_HIDE : SW_SHOWNA);
            const auto shown = pictures_.find(control);
            if (shown == pictures_.end())
                break; // made in the look of its first showing
            RECT box{};
            (void)GetClientRect(control, &box);
            if (HBITMAP picture = LoadPictureInLook(s.Picture, box.right, box.bottom)) {
                const HBITMAP previous = Image(control).SetPicture(picture);
                if (previous && previous != shown->second)
                    (void)DeleteObject(previous);
                (void)DeleteObject(shown->second);
                shown->second = picture;
            }
            break;
        }
        default:
            break;
        }
    }
}

LRESULT CALLBACK TForm::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TForm* form = nullptr;
    if (msg == WM_NCCREATE) {
        form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        form->handle_ = hwnd;
        (void)SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    } else {
        form = reinterpret_cast<TForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!form)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        (void)SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->handle_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (msg == WM_GETOBJECT)
        NoteAccessibleClient();
    TMessage message{msg, wp, lp, 0};
    try {
        form->Dispatch(message);
    } catch (...) {
        // Nothing unwinds through the system's frames: report, and go on with the next message.
        ReportCurrentException();
        return 0;
    }
    return message.Result;
}

void TForm::Dispatch(TMessage& m) {
    switch (m.Msg) {
    case WM_COMMAND:
        if (m.LParam != 0) {
            RunBinding(LOWORD(m.WParam), HIWORD(m.WParam));
            return;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (m.LParam != 0) {
            RunBinding(GetDlgCtrlID(reinterpret_cast<HWND>(m.LParam)), kTrackBarChange);
            return;
        }
        break;
    case DM_GETDEFID:
        // Asked by the loop's dialog navigation when Enter is pressed.
        m.Result = defaultButton_ ? MAKELRESULT(defaultButton_, DC_HASDEFID) : 0;
        return;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        if (look_ != TLook::Light && looks_.count(reinterpret_cast<HWND>(m.LParam))) {
            m.Result = LookedControlColor(reinterpret_cast<HDC>(m.WParam),
                                          reinterpret_cast<HWND>(m.LParam),
                                          m.Msg == WM_CTLCOLOREDIT || m.Msg == WM_CTLCOLORLISTBOX);
            return;
        }
        // The system's colours first, then the layout's on top of them.
        const LRESULT system = DefWindowProcW(handle_, m.Msg, m.WParam, m.LParam);
        m.Result =
            ControlColor(reinterpret_cast<HDC>(m.WParam), reinterpret_cast<HWND>(m.LParam), system);
        return;
    }
    case WM_MEASUREITEM: {
        // Asked while an owner-drawn list is made: the layout's item height, at this scale.
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
        for (const TControlLayout& s : layout_.Controls)
            if (item->CtlType == ODT_LISTBOX && s.Id == static_cast<int>(item->CtlID) &&
                s.ItemHeight > 0) {
                item->itemHeight = static_cast<UINT>(Scale(s.ItemHeight));
                m.Result = TRUE;
                return;
            }
        break;
    }
    case WM_ERASEBKGND: {
        RECT rc;
        (void)GetClientRect(handle_, &rc);
        (void)FillRect(reinterpret_cast<HDC>(m.WParam), &rc,
                       BrushFor(LookColor(layout_.Color, false)));
        m.Result = 1;
        return;
    }
    case WM_WINDOWPOSCHANGING:
        // About to show, by Show or straight by ShowWindow or SetWindowPos: never without its
        // controls.
        if (reinterpret_cast<const WINDOWPOS*>(m.LParam)->flags & SWP_SHOWWINDOW)
            MakeControls();
        break;
    case WM_CLOSE:
        Close();
        return;
    case WM_SETTINGCHANGE:
        // Windows' colour mode or high contrast changed, or the settings' choice did.
        if (!IsColourSetChange(m.Msg, m.LParam) && m.WParam != SPI_SETHIGHCONTRAST)
            break;
        [[fallthrough]];
    case WM_SYSCOLORCHANGE:
        (void)RefreshLook();
        ApplyLook();
        break;
    case WM_DPICHANGED:
        // Both halves of wParam hold the new scale; lParam the rectangle suggested for it.
        ChangeScale(HIWORD(m.WParam), *reinterpret_cast<const RECT*>(m.LParam));
        return;
    case kGetDpiScaledSize:
        // The exact size at the new scale, so that the rectangle suggested next is ours.
        *reinterpret_cast<SIZE*>(m.LParam) = FrameSize(static_cast<int>(m.WParam));
        m.Result = TRUE;
        return;
    case WM_ACTIVATE:
        if (LOWORD(m.WParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(handle_, focus))
                lastFocus_ = focus;
        }
        break;
    case WM_SETFOCUS:
        // The form itself takes no keys: the focus goes on to its control.
        FocusFirstControl();
        return;
    default:
        break;
    }
    m.Result = DefWindowProcW(handle_, m.Msg, m.WParam, m.LParam);
}

void TForm::FocusFirstControl() {
    HWND target = nullptr;
    if (lastFocus_ && IsWindow(lastFocus_) && IsChild(handle_, lastFocus_) &&
        IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_))
        target = lastFocus_;
    if (!target)
        target = GetNextDlgTabItem(handle_, nullptr, FALSE);
    if (target && target != handle_)
        (void)SetFocus(target);
}

void TForm::RunBinding(int id, UINT notification) {
    auto it = bindings_.find({id, notification});
    if (it != bindings_.end() && it->second)
        it->second();
}

void TForm::FinishCreate() {
    if (OnCreate)
        OnCreate();
    if (App)
        App->FormCreated(this, handle_);
}

void TForm::Bind(int controlId, UINT notification, std::function<void()> handler) {
    bindings_[{controlId, notification}] = std::move(handler);
}

TControlEvents& TForm::Events(HWND control) {
    auto& slot = events_[control];
    if (!slot) {
        slot = std::make_unique<TControlEvents>();
        AttachEvents(control, slot.get());
    }
    return *slot;
}

HWND TForm::Control(const std::string& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

HWND TForm::ControlById(int id) const {
    for (const auto& [name, hwnd] : controls_)
        if (GetDlgCtrlID(hwnd) == id)
            return hwnd;
    return nullptr;
}

void TForm::Show() {
    if (!Visible()) {
        MakeControls();
        if (OnShow)
            OnShow();
        (void)ShowWindow(handle_, SW_SHOW);
    }
    // To the top of the program's windows; a stay-on-top form stays in the topmost band.
    (void)SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TForm::Hide() {
    (void)ShowWindow(handle_, SW_HIDE);
}

bool TForm::Visible() const {
    return handle_ && (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TForm::Close() {
    if (App && App->MainFormHandle() == handle_)
        App->Terminate();
    Hide();
}

std::string TForm::Caption() const {
    return TWinControl(handle_).Text();
}

void TForm::SetCaption(const std::string& caption) {
    TWinControl(handle_).SetText(caption);
}

namespace {
RECT WindowRect(HWND hwnd) {
    RECT rc{};
    (void)GetWindowRect(hwnd, &rc);
    return rc;
}
} // namespace

namespace {
BOOL CALLBACK MeetsWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& [window, meets] = *reinterpret_cast<std::pair<RECT, bool>*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT overlap{};
    meets = GetMonitorInfoW(monitor, &info) && IntersectRect(&overlap, &window, &info.rcWork);
    return meets ? FALSE : TRUE;
}
} // namespace

void TForm::KeepOnAMonitor() {
    const RECT rc = WindowRect(handle_);
    std::pair<RECT, bool> seek{rc, false};
    (void)EnumDisplayMonitors(nullptr, nullptr, MeetsWorkArea, reinterpret_cast<LPARAM>(&seek));
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (seek.second || !GetMonitorInfoW(MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST), &info))
        return;
    const RECT& work = info.rcWork;
    // Clamped to the right and bottom edges first, so that a window larger than the work area
    // shows its top left corner.
    const LONG x = std::max(work.left, std::min(rc.left, work.right - (rc.right - rc.left)));
    const LONG y = std::max(work.top, std::min(rc.top, work.bottom - (rc.bottom - rc.top)));
    (void)SetWindowPos(handle_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm::Left() const {
    return WindowRect(handle_).left;
}
int TForm::Top() const {
    return WindowRect(handle_).top;
}
int TForm::Width() const {
    const RECT rc = WindowRect(handle_);
    return rc.right - rc.left;
}
int TForm::Height() const {
    const RECT rc = WindowRect(handle_);
    return rc.bottom - rc.top;
}

void TForm::SetLeft(int left) {
    (void)SetWindowPos(handle_, nullptr, left, Top(), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetTop(int top) {
    (void)SetWindowPos(handle_, nullptr, Left(), top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetWidth(int width) {
    (void)SetWindowPos(handle_, nullptr, 0, 0, width, Height(),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetHeight(int height) {
    (void)SetWindowPos(handle_, nullptr, 0, 0, Width(), height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm::ClientWidth() const {
    RECT rc{};
    (void)GetClientRect(handle_, &rc);
    return rc.right;
}

int TForm::ClientHeight() const {
    RECT rc{};
    (void)GetClientRect(handle_, &rc);
    return rc.bottom;
}

void TForm::SetAlphaBlend(bool on) {
    alphaBlend_ = on;
    ApplyAlpha();
}

void TForm::SetAlphaBlendValue(std::uint8_t value) {
    alphaValue_ = value;
    ApplyAlpha();
}

void TForm::ApplyAlpha() {
    const LONG_PTR ex = GetWindowLongPtrW(handle_, GWL_EXSTYLE);
    if (alphaBlend_) {
        if (!(ex & WS_EX_LAYERED))
            (void)SetWindowLongPtrW(handle_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        (void)SetLayeredWindowAttributes(handle_, 0, alphaValue_, LWA_ALPHA);
    } else if (ex & WS_EX_LAYERED) {
        (void)SetWindowLongPtrW(handle_, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    }
}

} // namespace toolkit
