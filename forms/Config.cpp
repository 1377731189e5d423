#include "forms/Config.h"

#include "app/Tarnwick.h"
#include "data/Settings.h"
#include "toolkit/Registry.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

using namespace toolkit;

TF_Config* F_Config = nullptr;

namespace {

enum ControlId : int {
    idPanel1 = 100,
    idImage1,
    idImage2,
    idImage3,
    idLabel2,
    idLabel8,
    idBevel1,
    idLabel3,
    idCheckBox1,
    idCheckBox2,
    idCheckBox3,
    idLabel1,
    idEdit1,
    idCheckBox4,
    idBevel2,
    idLabel4,
    idLabel5,
    idTrackBar1,
    idLabel6,
    idLabel7,
    idLabel9,
    idBevel3,
    idButton1,
    idButton2,
};

TControlLayout ControlAt(TControlKind kind, const char* name, int id, int left, int top, int width,
                         int height, std::string caption = {}) {
    TControlLayout s;
    s.Kind = kind;
    s.Name = name;
    s.Id = id;
    s.Left = left;
    s.Top = top;
    s.Width = width;
    s.Height = height;
    s.Caption = std::move(caption);
    return s;
}

TFont Font(const char* name, int height, bool bold, TColor color = kColorWindowText) {
    TFont f;
    f.Name = name;
    f.Height = height;
    f.Bold = bold;
    f.Color = color;
    return f;
}

TVersionRecord RunningVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    (void)GetVersionExA(&info);
    return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

std::uint16_t Low16(std::int32_t value) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

const char* const kExeName = "Tarnwick.exe";

} // namespace

TFormLayout TF_Config::Layout() {
    TFormLayout form;
    form.ClassName = "TF_Config";
    form.Caption = "Tarnwick configuration";
    form.Border = TBorderStyle::Dialog;
    form.Position = TFormPosition::ScreenCenter;
    form.ClientWidth = 317;
    form.ClientHeight = 365;
    form.Color = kColorBtnFace;

    auto& c = form.Controls;
    TControlLayout panel = ControlAt(TControlKind::Panel, "Panel1", idPanel1, 0, 0, 317, 85);
    panel.Color = kColorWhite;
    c.push_back(panel);
    // The header, as in the database editor: pictures from the program's resources.
    const struct {
        const char* Name;
        int Id, Left, Top, Width, Height;
        const char* Picture;
    } pictures[] = {{"Image1", idImage1, 12, 0, 73, 85, "HEADER1"},
                    {"Image2", idImage2, 84, 4, 172, 30, "HEADER2"},
                    {"Image3", idImage3, 84, 32, 200, 45, "HEADER3"}};
    for (const auto& p : pictures) {
        TControlLayout image =
            ControlAt(TControlKind::Image, p.Name, p.Id, p.Left, p.Top, p.Width, p.Height);
        image.Parent = "Panel1";
        image.Picture = p.Picture;
        c.push_back(image);
    }
    TControlLayout version =
        ControlAt(TControlKind::Label, "Label2", idLabel2, 92, 68, 46, 13, "ver 1.0");
    version.Parent = "Panel1";
    version.Font = Font("Verdana", -11, true, RGB(255, 206, 206));
    version.Transparent = true;
    c.push_back(version);
    TControlLayout freeware =
        ControlAt(TControlKind::Label, "Label8", idLabel8, 252, 0, 65, 14, "Freeware");
    freeware.Parent = "Panel1";
    freeware.Alignment = TAlignment::Right;
    freeware.Font = Font("Arial", -11, true, kColorSilver);
    freeware.Transparent = true;
    c.push_back(freeware);

    c.push_back(ControlAt(TControlKind::Bevel, "Bevel1", idBevel1, 0, 85, 317, 8));
    TControlLayout general =
        ControlAt(TControlKind::Label, "Label3", idLabel3, 20, 92, 0, 0, "General options");
    general.Font = Font("Verdana", -16, true);
    c.push_back(general);

    const char* const boxes[] = {
        "Do not want Enter key for completion",
        "Detect and open web/internet addresses and \"mailto:\"",
        "Use sound effect to notify about successfull operation",
    };
    const char* const boxNames[] = {"CheckBox1", "CheckBox2", "CheckBox3"};
    for (int i = 0; i < 3; ++i) {
        TControlLayout box = ControlAt(TControlKind::CheckBox, boxNames[i], idCheckBox1 + i, 16,
                                       116 + 20 * i, 281, 17, boxes[i]);
        box.TabOrder = i;
        c.push_back(box);
    }
    c.push_back(ControlAt(TControlKind::Label, "Label1", idLabel1, 16, 184, 0, 0,
                          "Global hot key for Tarnwick:"));
    // Reached only by clicking it: Tab would otherwise land in it and be captured as a key.
    TControlLayout hotKey =
        ControlAt(TControlKind::Edit, "Edit1", idEdit1, 156, 180, 141, 21, "None");
    hotKey.MaxLength = 1;
    c.push_back(hotKey);
    TControlLayout startup = ControlAt(TControlKind::CheckBox, "CheckBox4", idCheckBox4, 16, 204,
                                       281, 17, "Start Tarnwick with Windows");
    startup.TabOrder = 3;
    c.push_back(startup);

    c.push_back(ControlAt(TControlKind::Bevel, "Bevel2", idBevel2, 0, 228, 317, 13));
    TControlLayout effects =
        ControlAt(TControlKind::Label, "Label4", idLabel4, 20, 236, 0, 0, "Translucency effects");
    effects.Font = Font("Verdana", -16, true);
    c.push_back(effects);
    c.push_back(
        ControlAt(TControlKind::Label, "Label5", idLabel5, 28, 260, 0, 0, "Visibility of window:"));
    TControlLayout slider =
        ControlAt(TControlKind::TrackBar, "TrackBar1", idTrackBar1, 16, 276, 281, 29);
    slider.Min = 1;
    slider.Max = 255;
    slider.Position = 1;
    slider.TabOrder = 4;
    c.push_back(slider);
    c.push_back(ControlAt(TControlKind::Label, "Label6", idLabel6, 20, 304, 0, 0, "1%"));
    c.push_back(ControlAt(TControlKind::Label, "Label7", idLabel7, 148, 304, 0, 0, "50%"));
    c.push_back(ControlAt(TControlKind::Label, "Label9", idLabel9, 272, 304, 0, 0, "100%"));
    c.push_back(ControlAt(TControlKind::Bevel, "Bevel3", idBevel3, 0, 324, 317, 9));

    TControlLayout ok =
        ControlAt(TControlKind::Button, "Button1", idButton1, 156, 336, 75, 25, "OK");
    ok.Default = true;
    ok.TabOrder = 5;
    c.push_back(ok);
    TControlLayout cancel =
        ControlAt(TControlKind::Button, "Button2", idButton2, 232, 336, 75, 25, "Cancel");
    cancel.TabOrder = 6;
    c.push_back(cancel);
    return form;
}

bool LayeredWindowsAvailable(const TVersionRecord& version) {
    return version.PlatformId == VER_PLATFORM_WIN32_NT && version.MajorVersion >= 5;
}

TF_Config::TF_Config() : TForm(nullptr, Layout()) {
    F_Config = this;
    Panel1 = Panel(Control("Panel1"));
    Image1 = Image(Control("Image1"));
    Image2 = Image(Control("Image2"));
    Image3 = Image(Control("Image3"));
    Label2 = Label(Control("Label2"));
    Label8 = Label(Control("Label8"));
    Bevel1 = Bevel(Control("Bevel1"));
    Label3 = Label(Control("Label3"));
    CheckBox1 = CheckBox(Control("CheckBox1"));
    CheckBox2 = CheckBox(Control("CheckBox2"));
    CheckBox3 = CheckBox(Control("CheckBox3"));
    Label1 = Label(Control("Label1"));
    Edit1 = Edit(Control("Edit1"));
    CheckBox4 = CheckBox(Control("CheckBox4"));
    Bevel2 = Bevel(Control("Bevel2"));
    Label4 = Label(Control("Label4"));
    Label5 = Label(Control("Label5"));
    TrackBar1 = TrackBar(Control("TrackBar1"));
    Label6 = Label(Control("Label6"));
    Label7 = Label(Control("Label7"));
    Label9 = Label(Control("Label9"));
    Bevel3 = Bevel(Control("Bevel3"));
    Button1 = Button(Control("Button1"));
    Button2 = Button(Control("Button2"));

    SetUpSlider();
    MakeBackdrop(Label2);
    MakeBackdrop(Label8);

    TControlEvents& keys = Events(Edit1.Handle());
    keys.OnKeyDown = [this](WORD& key, TShiftState shift) { Edit1KeyDown(key, shift); };
    keys.OnKeyUp = [this](WORD& key, TShiftState shift) { Edit1KeyUp(key, shift); };
    keys.OnKeyPress = [this](char& key) { Edit1KeyPress(key); };
    Bind(idButton1, BN_CLICKED, [this] { Button1Click(); });
    Bind(idButton2, BN_CLICKED, [this] { Button2Click(); });
    OnShow = [this] { FormShow(); };
    FinishCreate();
}

TF_Config::~TF_Config() {
    if (F_Config == this)
        F_Config = nullptr;
    for (const Backdrop& b : backdrops_) {
        (void)DeleteObject(b.Brush);
        (void)DeleteObject(b.Bitmap);
    }
}

void TF_Config::SetUpSlider() const {
    // What the layout table has no column for: steps of 25 for the arrow keys, Page Up/Down and
    // clicks beside the thumb, a tick every 127 positions (1, 128, 255), and a 15-pixel thumb.
    const HWND slider = TrackBar1.Handle();
    const LONG_PTR style = GetWindowLongPtrA(slider, GWL_STYLE);
    (void)SetWindowLongPtrA(slider, GWL_STYLE, style | TBS_AUTOTICKS | TBS_FIXEDLENGTH);
    (void)SendMessageA(slider, TBM_SETLINESIZE, 0, 25);
    (void)SendMessageA(slider, TBM_SETPAGESIZE, 0, 25);
    (void)SendMessageA(slider, TBM_SETTICFREQ, 127, 0);
    (void)SendMessageA(slider, TBM_SETTHUMBLENGTH, Scale(15), 0);
}

void TF_Config::MakeBackdrop(const Label& label) {
    // A transparent label over a picture would be wiped whenever the picture repaints after it;
    // instead it paints its background with a copy of the white panel and pictures beneath it.
    const RECT at = label.Bounds();
    const int width = at.right - at.left;
    const int height = at.bottom - at.top;
    if (width <= 0 || height <= 0)
        return;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HDC source = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    (void)ReleaseDC(nullptr, screen);
    if (!dc || !source || !bitmap) {
        if (bitmap)
            (void)DeleteObject(bitmap);
        if (dc)
            (void)DeleteDC(dc);
        if (source)
            (void)DeleteDC(source);
        return; // the panel's plain white stays
    }
    const HGDIOBJ oldTarget = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    HBRUSH white = CreateSolidBrush(ToColorRef(kColorWhite));
    (void)FillRect(dc, &all, white);
    (void)DeleteObject(white);
    for (const Image* image : {&Image1, &Image2, &Image3}) {
        HBITMAP picture = image->Picture();
        BITMAP info{};
        if (!picture || !GetObjectA(picture, sizeof info, &info))
            continue;
        // Pictures show unscaled from their control's top left, clipped to the control.
        const RECT box = image->Bounds();
        RECT shown{box.left, box.top, std::min<LONG>(box.right, box.left + info.bmWidth),
                   std::min<LONG>(box.bottom, box.top + info.bmHeight)};
        RECT overlap{};
        if (!IntersectRect(&overlap, &shown, &at))
            continue;
        const HGDIOBJ oldSource = SelectObject(source, picture);
        (void)BitBlt(dc, overlap.left - at.left, overlap.top - at.top, overlap.right - overlap.left,
                     overlap.bottom - overlap.top, source, overlap.left - box.left,
                     overlap.top - box.top, SRCCOPY);
        // The version label hangs a few pixels below its picture; the picture's last row goes
        // on under it, so that the light text keeps the dark badge behind it to the end.
        if (at.bottom > shown.bottom)
            (void)StretchBlt(dc, overlap.left - at.left, shown.bottom - at.top,
                             overlap.right - overlap.left, at.bottom - shown.bottom, source,
                             overlap.left - box.left, shown.bottom - 1 - box.top,
                             overlap.right - overlap.left, 1, SRCCOPY);
        (void)SelectObject(source, oldSource);
    }
    (void)SelectObject(dc, oldTarget);
    (void)DeleteDC(source);
    (void)DeleteDC(dc);
    HBRUSH brush = CreatePatternBrush(bitmap);
    if (!brush) {
        (void)DeleteObject(bitmap);
        return;
    }
    backdrops_.push_back({label.Handle(), bitmap, brush});
}

void TF_Config::Dispatch(TMessage& m) {
    switch (m.Msg) {
    case WM_CLOSE:
        // Alt+F4 or the task list skip OK and Cancel; without this the hot key would stay
        // suspended until the window was next shown and left properly.
        if (Visible())
            ResumeHotKey();
        break;
    case WM_CTLCOLORSTATIC:
        for (const Backdrop& b : backdrops_) {
            if (reinterpret_cast<HWND>(m.LParam) != b.Label)
                continue;
            TForm::Dispatch(m); // the layout's text colour
            const auto dc = reinterpret_cast<HDC>(m.WParam);
            (void)SetBkMode(dc, TRANSPARENT);
            (void)SetBrushOrgEx(dc, 0, 0, nullptr); // the copy starts at the label's corner
            m.Result = reinterpret_cast<LRESULT>(b.Brush);
            return;
        }
        break;
    default:
        break;
    }
    TForm::Dispatch(m);
}

void TF_Config::FormShow() {
    {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.KeyExists(kRunKeyPath)) {
            CheckBox4.SetChecked(false);
        } else {
            (void)reg.OpenKey(kRunKeyPath);
            if (!reg.ValueExists(kRunValueName)) {
                CheckBox4.SetChecked(false);
            } else {
                // Byte for byte after upper-casing: quotes, arguments or another spelling of
                // the folder are not ours.
                const std::string stored = UpperCaseText(reg.ReadString(kRunValueName));
                CheckBox4.SetChecked(stored == UpperCaseText(Tarnwick->ExeFolder + kExeName));
            }
        }
    }
    CheckBox1.SetChecked(Tarnwick->NoEnter);
    CheckBox2.SetChecked(Tarnwick->Web);
    CheckBox3.SetChecked(Tarnwick->Sound);
    // The slider keeps to 1..255, so a stored opacity of 0 shows (and is later stored) as 1.
    TrackBar1.SetPosition(Tarnwick->AlphaBlendValue());
    TrackBar1.SetEnabled(LayeredWindowsAvailable(RunningVersion()));
    Edit1.SetText(HotKeyText(DecodeHotKey(Low16(Tarnwick->hKey))));
    // Until OK or Cancel the combination reaches the hot key box instead of calling the command
    // window up.
    if (Tarnwick->HotKeyAtom != 0)
        (void)UnregisterHotKey(Tarnwick->Handle(), Tarnwick->HotKeyAtom);
    Capture = DecodeHotKey(Low16(Tarnwick->hKey));
}

void TF_Config::Edit1KeyDown(WORD& Key, TShiftState) {
    Edit1.SetText(HotKeyKeyDown(Key, Capture));
    Key = 0;
}

void TF_Config::Edit1KeyUp(WORD& Key, TShiftState) {
    Edit1.SetText(HotKeyKeyUp(Key, Capture));
    Key = 0;
}

void TF_Config::Edit1KeyPress(char& Key) {
    Key = 0;
}

void TF_Config::Button1Click() {
    {
        TRegistry reg(HKEY_CURRENT_USER);
        // The Run key belongs to the system: where it is missing, none is made.
        if (reg.KeyExists(kRunKeyPath)) {
            (void)reg.OpenKey(kRunKeyPath);
            if (reg.ValueExists(kRunValueName))
                (void)reg.DeleteValue(kRunValueName);
            if (CheckBox4.Checked())
                reg.WriteString(kRunValueName, Tarnwick->ExeFolder + kExeName);
        }
    }
    const int level = TrackBar1.Position();
    const std::uint16_t hotKey = EncodeHotKey(Capture);
    WriteOptions(Tarnwick->SettingsPath(), level, CheckBox2.Checked(), CheckBox3.Checked(),
                 CheckBox1.Checked(), hotKey);

    Tarnwick->SetAlphaBlendValue(static_cast<std::uint8_t>(level));
    Tarnwick->NoEnter = CheckBox1.Checked();
    Tarnwick->Web = CheckBox2.Checked();
    Tarnwick->Sound = CheckBox3.Checked();
    Tarnwick->hKey = hotKey;
    // Holds or releases the atom and registers the new hot key; the old one was unregistered
    // when the window was shown.
    Tarnwick->ApplyHotKey();
    Hide();
}

void TF_Config::Button2Click() {
    ResumeHotKey();
    Hide();
}

void TF_Config::ResumeHotKey() const {
    // Only an atom held means FormShow suspended a hot key.
    if (Tarnwick->HotKeyAtom == 0)
        return;
    const THotKey hotKey = DecodeHotKey(Low16(Tarnwick->hKey));
    if (hotKey.Key != 0)
        (void)RegisterHotKey(Tarnwick->Handle(), Tarnwick->HotKeyAtom, HotKeyModifiers(hotKey),
                             hotKey.Key);
}
