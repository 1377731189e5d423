#include "forms/Config.h"

#include "app/SettingsKeeper.h"
#include "app/Tarnwick.h"
#include "data/Settings.h"
#include "forms/HotKeyBox.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Registry.h"

#include <commctrl.h>

#include <cstdint>
#include <string>

using namespace toolkit;

TF_Config* F_Config = nullptr;

namespace {

enum ControlId : int {
    idHeader = 100,
    idLabel3 = idHeader + THeader::kControlCount,
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

TVersionRecord RunningVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    (void)GetVersionExA(&info);
    return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

// The Run value's command line: the exe's full path in double quotes, so that Windows never takes
// a prefix of a path with blanks for the program (C:\My.exe for C:\My Tools\Tarnwick.exe).
std::string RunCommand(const std::string& exe) {
    return "\"" + exe + "\"";
}

// Whether a stored Run value starts `exe` (a full path with single separators) and nothing more:
// quoted as written now, unquoted, or with the doubled separator older versions wrote; in any
// letter case (the system's, for a folder named in any script). Arguments, blanks or another
// path are not ours.
bool NamesExe(const std::string& stored, const std::string& exe, System& sys) {
    const std::string folder = ExtractFolder(exe);
    const std::string doubled = folder + "\\" + exe.substr(folder.size());
    const std::string value = sys.UpperCase(stored);
    for (const std::string& form : {RunCommand(exe), exe, doubled})
        if (value == sys.UpperCase(form))
            return true;
    return false;
}

} // namespace

TFormLayout TF_Config::Layout() {
    TFormLayout form = THeader::DialogLayout("TF_Config", "Tarnwick configuration", 365, idHeader);
    auto& c = form.Controls;
    TControlLayout general =
        ControlAt(TControlKind::Label, "Label3", idLabel3, 20, 92, 0, 0, "General options");
    general.Font = TFont{"Verdana", -16, true};
    c.push_back(general);

    const char* const boxes[] = {
        "Do not want Enter key for completion",
        "Detect and open web/internet addresses and \"mailto:\"",
        "Use sound effect to notify about successfull operation",
    };
    const char* const boxNames[] = {"CheckBox1", "CheckBox2", "CheckBox3"};
    for (int i = 0; i < 3; ++i) {
        c.push_back(ControlAt(TControlKind::CheckBox, boxNames[i], idCheckBox1 + i, 16,
                              116 + 20 * i, 281, 17, boxes[i], i));
    }
    c.push_back(ControlAt(TControlKind::Label, "Label1", idLabel1, 16, 184, 0, 0,
                          "Global hot key for Tarnwick:"));
    c.push_back(hotkeybox::Layout("Edit1", idEdit1, 156, 180, 141, 21));
    c.push_back(ControlAt(TControlKind::CheckBox, "CheckBox4", idCheckBox4, 16, 204, 281, 17,
                          "Start Tarnwick with Windows", 3));

    c.push_back(ControlAt(TControlKind::Bevel, "Bevel2", idBevel2, 0, 228, 317, 13));
    TControlLayout effects =
        ControlAt(TControlKind::Label, "Label4", idLabel4, 20, 236, 0, 0, "Translucency effects");
    effects.Font = TFont{"Verdana", -16, true};
    c.push_back(effects);
    c.push_back(
        ControlAt(TControlKind::Label, "Label5", idLabel5, 28, 260, 0, 0, "Visibility of window:"));
    TControlLayout slider =
        ControlAt(TControlKind::TrackBar, "TrackBar1", idTrackBar1, 16, 276, 281, 29, {}, 4);
    slider.Min = 1;
    slider.Max = 255;
    slider.Position = 1;
    c.push_back(slider);
    c.push_back(ControlAt(TControlKind::Label, "Label6", idLabel6, 20, 304, 0, 0, "1%"));
    c.push_back(ControlAt(TControlKind::Label, "Label7", idLabel7, 148, 304, 0, 0, "50%"));
    c.push_back(ControlAt(TControlKind::Label, "Label9", idLabel9, 272, 304, 0, 0, "100%"));
    c.push_back(ControlAt(TControlKind::Bevel, "Bevel3", idBevel3, 0, 324, 317, 9));

    TControlLayout ok =
        ControlAt(TControlKind::Button, "Button1", idButton1, 156, 336, 75, 25, "OK", 5);
    ok.Default = true;
    c.push_back(ok);
    c.push_back(
        ControlAt(TControlKind::Button, "Button2", idButton2, 232, 336, 75, 25, "Cancel", 6));
    return form;
}

bool LayeredWindowsAvailable(const TVersionRecord& version) {
    return version.PlatformId == VER_PLATFORM_WIN32_NT && version.MajorVersion >= 5;
}

TF_Config::TF_Config() : TForm(nullptr, Layout(), true) {
    F_Config = this;
    Bind(idButton1, BN_CLICKED, [this] { Button1Click(); });
    Bind(idButton2, BN_CLICKED, [this] { Button2Click(); });
    OnShow = [this] { FormShow(); };
    FinishCreate();
    if (SettingsKeeper != nullptr)
        SettingsKeeper->AfterOptions = [this] { OptionsTakenUp(); };
}

void TF_Config::ControlsCreated() {
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
    header_.MakeBackdrops(*this);

    TControlEvents& keys = Events(Edit1.Handle());
    keys.OnKeyDown = [this](WORD& key, TShiftState shift) { Edit1KeyDown(key, shift); };
    keys.OnKeyUp = [this](WORD& key, TShiftState shift) { Edit1KeyUp(key, shift); };
    keys.OnKeyPress = [this](std::string& key) { Edit1KeyPress(key); };
}

TF_Config::~TF_Config() {
    if (F_Config == this)
        F_Config = nullptr;
    if (SettingsKeeper != nullptr)
        SettingsKeeper->AfterOptions = nullptr;
}

void TF_Config::SetUpSlider() const {
    // What the layout table has no column for: steps of 25 for the arrow keys, Page Up/Down and
    // clicks beside the thumb, a tick every 127 positions (1, 128, 255), and a 15-pixel thumb.
    const HWND slider = TrackBar1.Handle();
    const LONG_PTR style = GetWindowLongPtrW(slider, GWL_STYLE);
    (void)SetWindowLongPtrW(slider, GWL_STYLE, style | TBS_AUTOTICKS | TBS_FIXEDLENGTH);
    (void)SendMessageW(slider, TBM_SETLINESIZE, 0, 25);
    (void)SendMessageW(slider, TBM_SETPAGESIZE, 0, 25);
    (void)SendMessageW(slider, TBM_SETTICFREQ, 127, 0);
    (void)SendMessageW(slider, TBM_SETTHUMBLENGTH, Scale(15), 0);
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
        TForm::Dispatch(m);
        header_.PaintBackdrop(m);
        return;
    case WM_DPICHANGED:
        TForm::Dispatch(m);
        if (ControlsMade())
            SetUpSlider(); // its thumb at the new scale
        return;
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
                System& sys = App->Sys();
                // A value that is no text (another tool wrote a number there) is reported, and
                // the window still opens: OK is what replaces or removes it.
                bool startsUs = false;
                try {
                    startsUs = NamesExe(reg.ReadString(kRunValueName), sys.ModuleFileName(), sys);
                } catch (const ERegistryException&) {
                    ReportCurrentException();
                }
                CheckBox4.SetChecked(startsUs);
            }
        }
    }
    ShowOptions();
    TrackBar1.SetEnabled(LayeredWindowsAvailable(RunningVersion()));
    // Until OK or Cancel the combination reaches the hot key box instead of calling the command
    // window up.
    if (Tarnwick->HotKeyAtom != 0)
        (void)UnregisterHotKey(Tarnwick->Handle(), Tarnwick->HotKeyAtom);
    Tarnwick->HoldBackEntryHotKeys(this);
}

void TF_Config::ShowOptions() {
    CheckBox1.SetChecked(Tarnwick->NoEnter);
    CheckBox2.SetChecked(Tarnwick->Web);
    CheckBox3.SetChecked(Tarnwick->Sound);
    // The slider keeps to 1..255, so a stored opacity of 0 shows (and is later stored) as 1.
    TrackBar1.SetPosition(Tarnwick->AlphaBlendValue());
    Edit1.SetText(HotKeyText(Tarnwick->HotKey()));
    Capture = Tarnwick->HotKey();
}

void TF_Config::OptionsTakenUp() {
    // The window opens at once and the file is looked at meanwhile: what it shows follows the
    // file, so that OK does not write the options from before a hand edit back over it.
    if (Visible() && Tarnwick != nullptr)
        ShowOptions();
}

void TF_Config::Edit1KeyDown(WORD& Key, TShiftState) {
    hotkeybox::KeyDown(Edit1, Key, Capture);
}

void TF_Config::Edit1KeyUp(WORD& Key, TShiftState) {
    hotkeybox::KeyUp(Edit1, Key, Capture);
}

void TF_Config::Edit1KeyPress(std::string& Key) {
    hotkeybox::KeyPress(Key);
}

void TF_Config::Button1Click() {
    const std::uint16_t hotKey = EncodeHotKey(Capture);
    const THotKey wanted = DecodeHotKey(hotKey);
    const bool atomHeld = Tarnwick->HotKeyAtom != 0;
    // The system has the last word on a global hot key: asked before anything is written, so that
    // a combination another program holds, or one Windows keeps, is never stored to fail unseen.
    // The old hot key was unregistered when the window was shown, so an unchanged one is free.
    // An entry's hot key is ours, yet held back now: the system would give it.
    if (wanted.Key != 0 &&
        (Tarnwick->EntryHotKeys.Holds(wanted) || !Tarnwick->TakeHotKey(wanted))) {
        if (!atomHeld)
            Tarnwick->ReleaseHotKeyAtom();
        RefuseHotKey(wanted);
        return;
    }
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        // The Run key belongs to the system: where it is missing, none is made.
        if (reg.KeyExists(kRunKeyPath)) {
            (void)reg.OpenKey(kRunKeyPath);
            if (reg.ValueExists(kRunValueName))
                (void)reg.DeleteValue(kRunValueName);
            if (CheckBox4.Checked())
                reg.WriteString(kRunValueName, RunCommand(App->Sys().ModuleFileName()));
        }
        SettingsKeeper->Save([&](const std::string& path) {
            WriteOptions(path, TrackBar1.Position(), CheckBox2.Checked(), CheckBox3.Checked(),
                         CheckBox1.Checked(), hotKey);
        });
    } catch (...) {
        // Nothing applied: back to the state the window was shown in (the old hot key suspended,
        // the atom as it was), so that Cancel gives the old hot key back.
        if (wanted.Key != 0)
            (void)UnregisterHotKey(Tarnwick->Handle(), Tarnwick->HotKeyAtom);
        if (!atomHeld)
            Tarnwick->ReleaseHotKeyAtom();
        throw;
    }

    Tarnwick->SetAlphaBlendValue(static_cast<std::uint8_t>(TrackBar1.Position()));
    Tarnwick->NoEnter = CheckBox1.Checked();
    Tarnwick->Web = CheckBox2.Checked();
    Tarnwick->Sound = CheckBox3.Checked();
    Tarnwick->hKey = hotKey;
    if (wanted.Key == 0)
        Tarnwick->ReleaseHotKeyAtom();
    Tarnwick->ResumeEntryHotKeys(this);
    Hide();
}

void TF_Config::RefuseHotKey(const THotKey& hotKey) {
    hotkeybox::Refuse(Handle(), Edit1, hotKey);
}

void TF_Config::Button2Click() {
    ResumeHotKey();
    Hide();
}

void TF_Config::ResumeHotKey() const {
    Tarnwick->ResumeEntryHotKeys(this);
    // Only an atom held means FormShow suspended a hot key.
    if (Tarnwick->HotKeyAtom == 0)
        return;
    const THotKey hotKey = Tarnwick->HotKey();
    if (hotKey.Key != 0)
        (void)RegisterHotKey(Tarnwick->Handle(), Tarnwick->HotKeyAtom, HotKeyModifiers(hotKey),
                             hotKey.Key);
}
