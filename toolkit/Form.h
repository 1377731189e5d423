// Forms: top-level windows built from a layout table. A form's window class is registered under
// the form's own class name, its controls are made from the table at 96 pixels per inch and scaled
// to the window's, and its handlers are bound per (control id, notification). Moved to a monitor
// of another scale (WM_DPICHANGED), a form lays itself out again at that scale. A form that most
// runs never show may leave its controls until it is first shown (or asked for them): they are
// then made at the scale and in the look of that moment.
#pragma once

#include "toolkit/Component.h"
#include "toolkit/Controls.h"
#include "toolkit/Theme.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace toolkit {

// A colour of the layout: an RGB value, or one of the system colours below.
using TColor = std::uint32_t;
constexpr TColor kColorDefault = 0xFF000000; // whatever the control draws
constexpr TColor SystemColor(int index) {
    return 0x80000000u | static_cast<TColor>(index);
}
constexpr TColor kColorBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor kColorWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor kColorWhite = RGB(255, 255, 255);
constexpr TColor kColorSilver = RGB(192, 192, 192);
COLORREF ToColorRef(TColor color);
// A layout colour as the current look shows it: as it is in the light look; a system colour's
// dark counterpart, a background's dark counterpart and a text colour as it is in the dark look;
// the system's window colours under high contrast.
COLORREF LookColor(TColor color, bool text);

struct TFont {
    // The TrueType face drawn to the old bitmap face's metrics: the same at 96 pixels per inch,
    // and smooth at every other scale (GDI would pick the bitmap's nearest size, jagged and of
    // another width than the layout's). Windows links it to fonts for the scripts it lacks.
    std::string Name = "Microsoft Sans Serif";
    int Height = -11; // at 96 pixels per inch, negative: character height
    bool Bold = false;
    TColor Color = kColorWindowText;
    // A symbol font (Wingdings) is found reliably only by its own character set.
    std::uint8_t Charset = DEFAULT_CHARSET;
};

enum class TControlKind {
    Edit,
    ListBox,
    Button,
    SpeedButton,
    CheckBox,
    TrackBar,
    Label,
    Bevel,
    Panel,
    Image
};

enum class TAlignment { Left, Right, Center };

// One control of a layout. Positions and sizes are at 96 pixels per inch; a label with no size
// takes the size of its text.
struct TControlLayout {
    TControlKind Kind = TControlKind::Label;
    std::string Name;
    int Id = 0; // the control id its notifications carry; unique in the form
    int Left = 0, Top = 0, Width = 0, Height = 0;
    std::string Caption;
    std::string Parent;           // the name of a panel of the same form; empty: the form itself
    int TabOrder = -1;            // -1: takes no focus by the Tab key
    bool TabStop = true;          // with a tab order: reached by Tab
    std::optional<TFont> Font;    // none: the form's font
    TColor Color = kColorDefault; // background (panels, labels)
    bool Transparent = false;     // labels: the parent shows through
    TAlignment Alignment = TAlignment::Left;
    bool UpperCase = false;  // edit boxes: letters forced to upper case as they are typed
    bool Flat = false;       // edit boxes: no border at all
    bool CenterText = false; // edit boxes: the line of text in the middle of the box's height
    bool Default = false;    // buttons: pressed by Enter anywhere in the form
    int MaxLength = 0;       // edit boxes; 0: no limit of ours
    int ItemHeight = 0;      // list boxes; 0: the font's
    // List boxes: the form paints the items (WM_DRAWITEM), which keep their text all the same.
    bool OwnerDraw = false;
    int Min = 0, Max = 10, Position = 0; // track bars
    // Images: name of an RCDATA resource holding a JPEG, drawn smoothly at the control's size,
    // so that it follows the layout's scale (made at the control's 96-DPI size, it shows as it
    // is at 96 pixels per inch).
    std::string Picture;
    // False: made hidden. A hidden label still names the box after it for screen readers.
    bool Visible = true;
};

// A layout row with the place, size, caption and tab order every control has; the rest keep
// their defaults for the caller to set.
TControlLayout ControlAt(TControlKind kind, std::string name, int id, int left, int top, int width,
                         int height, std::string caption = {}, int tabOrder = -1);

enum class TBorderStyle { None, Dialog };
enum class TFormPosition { Designed, ScreenCenter };

struct TFormLayout {
    std::string ClassName; // the window class: TTarnwick, TF_Database, TF_Config
    std::string Caption;
    TBorderStyle Border = TBorderStyle::Dialog;
    bool StayOnTop = false;
    bool AlphaBlend = false;
    std::uint8_t AlphaBlendValue = 255;
    TFormPosition Position = TFormPosition::Designed;
    int Left = 0, Top = 0;                 // at 96 pixels per inch, for a designed position
    int ClientWidth = 0, ClientHeight = 0; // likewise
    TColor Color = kColorBtnFace;
    TFont Font;
    std::vector<TControlLayout> Controls;
};

// A window message on its way through a form's dispatch.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// The notification a track bar's change is bound under (track bars report by WM_HSCROLL).
constexpr UINT kTrackBarChange = WM_HSCROLL;

// The system's pixels per inch and the scaling of 96-DPI layout values to it.
int ScreenPixelsPerInch();
// The pixels per inch of the monitor the window is on (GetDpiForWindow, Windows 10 on); the
// system's where that is not known.
int WindowPixelsPerInch(HWND window);
constexpr int ScaleToDpi(int value, int dpi) {
    // Rounded half away from zero, as MulDiv does.
    const long long scaled = static_cast<long long>(value) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : -((-scaled + 48) / 96));
}

class TForm : public TComponent {
public:
    ~TForm() override;
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND Handle() const { return handle_; }
    const std::string& ClassName() const { return layout_.ClassName; }

    // Show: visible and on top of the program's windows. OnShow runs first, and only when the
    // form was hidden; the controls are made before it.
    void Show();
    void Hide();
    bool Visible() const;
    // A close request (the system's close command): the main form's ends the program, any other
    // form only hides.
    void Close();

    std::string Caption() const;
    void SetCaption(const std::string& caption);

    // The window's outer place and size in screen pixels.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int left);
    void SetTop(int top);
    void SetWidth(int width);
    void SetHeight(int height);
    int ClientWidth() const;
    int ClientHeight() const;

    // A window whose rectangle meets no monitor's work area (its monitor unplugged, the laptop
    // undocked) moves into the nearest monitor's work area, as near its place as it fits; one
    // that lies even partly on a screen stays where it is.
    void KeepOnAMonitor();

    // Layered-window translucency; the level applies while AlphaBlend is on.
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool on);
    std::uint8_t AlphaBlendValue() const { return alphaValue_; }
    void SetAlphaBlendValue(std::uint8_t value);

    // A 96-DPI layout value in this window's pixels, at the scale of the monitor it is on.
    int Scale(int value) const { return ScaleToDpi(value, dpi_); }
    int PixelsPerInch() const { return dpi_; }
    const TFormLayout& DesignLayout() const { return layout_; }

    // The layout's controls, made now unless they are made already. A form whose controls wait
    // makes them too when its window is about to show, however that is shown.
    void MakeControls();
    bool ControlsMade() const { return controlsMade_; }

    // The window of the layout's control `name`; nullptr when there is none (or none made yet).
    HWND Control(const std::string& name) const;
    HWND ControlById(int id) const;

    std::function<void()> OnCreate;
    std::function<void()> OnShow;

    // Every message of the form's window passes through here; the inherited dispatch does the
    // form's own handling. Derived forms route single messages and pass the rest on.
    virtual void Dispatch(TMessage& message);

    // Takes up the program's current look (toolkit/Theme.h), when it is not the one shown.
    void ApplyLook();
    TLook Look() const { return look_; }

protected:
    // Builds the window and the controls of `layout`, hidden; `deferControls`: the window only,
    // its controls waiting for MakeControls. The derived constructor then binds its handlers (and
    // its components, where the controls are made) and calls FinishCreate.
    TForm(TComponent* owner, TFormLayout layout, bool deferControls = false);

    // Runs once, just after a form whose controls waited has made them: the derived form takes
    // up its components and their events here.
    virtual void ControlsCreated() {}

    // Runs OnCreate and tells the application that this form is complete.
    void FinishCreate();

    // The client size at 96 pixels per inch, when it is not the layout's; the window takes it at
    // its scale now and at every later one.
    void SetDesignClientSize(int width, int height);

    // Handlers: a WM_COMMAND notification of a control (BN_CLICKED, LBN_SELCHANGE, ...) or
    // kTrackBarChange.
    void Bind(int controlId, UINT notification, std::function<void()> handler);
    // The key and mouse events of a control, routed before the control acts.
    TControlEvents& Events(HWND control);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void RegisterWindowClass() const;
    void CreateControls();
    HWND CreateControl(const TControlLayout& layout, HWND parent);
    // The label a box, list or slider is read with: the table's row just before it, when that
    // is a label of the same parent.
    const TControlLayout* LabelOf(const TControlLayout& control) const;
    // The control's size at the form's scale; a label without one fits `caption` in `font`.
    SIZE ControlSize(const TControlLayout& layout, HFONT font, const std::string& caption) const;
    // What else of a control follows the scale: the line of text centred, the items' height.
    void ApplyScale(const TControlLayout& layout, HWND control) const;
    // The window's outer size for the design client size at `dpi`.
    SIZE FrameSize(int dpi) const;
    // WM_DPICHANGED: every control placed, sized and given its font again at the new scale, the
    // pictures made again at their new size, the old fonts and pictures freed, and the window
    // in the place and size the system suggests.
    void ChangeScale(int dpi, const RECT& suggested);
    // A picture waits in the program's resources until its control first paints or is asked
    // for it: most runs never show the forms that carry pictures.
    void DeferPicture(HWND control, const std::string& resource);
    void LoadPicture(HWND control);
    static LRESULT CALLBACK PictureSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                                UINT_PTR id, DWORD_PTR form);
    HFONT FontFor(const TFont& font);
    HBRUSH BrushFor(COLORREF color);
    LRESULT ControlColor(HDC dc, HWND control, LRESULT systemBrush);
    // The colours of a control in the dark look or under high contrast: `field` for edit boxes
    // and lists.
    LRESULT LookedControlColor(HDC dc, HWND control, bool field);
    // A picture at its control's size in the current look.
    HBITMAP LoadPictureInLook(const std::string& resource, int width, int height) const;
    // The current look on the controls: the system's dark themes asked for in the dark look and
    // given back after it (`wasDark`), the panels' colours, the pictures hidden under high
    // contrast.
    void LookControls(bool wasDark);
    void RunBinding(int id, UINT notification);
    void ApplyAlpha();
    void FocusFirstControl();

    struct ControlLook {
        TColor TextColor = kColorDefault;
        TColor Back = kColorDefault;
        bool Transparent = false;
    };

    TFormLayout layout_;
    HWND handle_ = nullptr;
    TLook look_ = TLook::Light;
    bool controlsMade_ = false;
    int dpi_ = 96;
    SIZE designClient_{}; // the client size at 96 pixels per inch
    bool alphaBlend_ = false;
    std::uint8_t alphaValue_ = 255;
    HWND lastFocus_ = nullptr;
    int defaultButton_ = 0;
    std::map<std::string, HWND> controls_;
    std::map<HWND, ControlLook> looks_;
    std::map<std::pair<int, UINT>, std::function<void()>> bindings_;
    std::map<HWND, std::unique_ptr<TControlEvents>> events_;
    std::vector<std::pair<std::string, HFONT>> fonts_;
    std::map<COLORREF, HBRUSH> brushes_;
    std::map<HWND, HBITMAP> pictures_;            // picture control -> the bitmap it shows
    std::map<HWND, std::string> pendingPictures_; // picture control -> its resource's name
};

} // namespace toolkit
