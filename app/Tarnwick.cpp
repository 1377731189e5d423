#include "app/Tarnwick.h"

#include "app/KeyEntry.h"
#include "data/Settings.h"
#include "forms/Config.h"
#include "forms/Database.h"
#include "gen/Gen_func.h"
#include "toolkit/Application.h"

TTarnwick* Tarnwick = nullptr;

namespace {
constexpr int kEdit1 = 100;
constexpr const wchar_t* kHotKeyAtomName = L"TARNWICK";
} // namespace

toolkit::TFormLayout TTarnwick::Layout() {
    using namespace toolkit;
    TFormLayout layout;
    layout.ClassName = "TTarnwick";
    layout.Caption = "Tarnwick";
    layout.Border = TBorderStyle::None;
    layout.StayOnTop = true;
    layout.AlphaBlend = true;
    layout.Left = 293;
    layout.Top = 236;
    layout.ClientWidth = 213;
    layout.ClientHeight = 49;

    TControlLayout edit = ControlAt(TControlKind::Edit, "Edit1", kEdit1, 0, 0, 129, 18, "TEXT", 0);
    edit.Font = TFont{.Bold = true};
    edit.UpperCase = true;
    edit.Flat = true;
    layout.Controls.push_back(edit);
    return layout;
}

TTarnwick::TTarnwick() : TForm(nullptr, Layout()) {
    Tarnwick = this;
    Edit1 = toolkit::Edit(Control("Edit1"));
    toolkit::TControlEvents& events = Events(Edit1.Handle());
    events.OnKeyPress = [this](std::string& key) { Edit1KeyPress(key); };
    events.OnMouseDown = [this](toolkit::TMouseButton b, toolkit::TShiftState s, int x, int y) {
        Edit1MouseDown(b, s, x, y);
    };
    events.OnMouseMove = [this](toolkit::TShiftState s, int x, int y) { Edit1MouseMove(s, x, y); };
    events.OnMouseUp = [this](toolkit::TMouseButton b, toolkit::TShiftState s, int x, int y) {
        Edit1MouseUp(b, s, x, y);
    };
    OnCreate = [this] { FormCreate(); };
    OnShow = [this] { FormShow(); };
    CreateComponents();
    FinishCreate();
}

TTarnwick::~TTarnwick() {
    if (Tarnwick == this)
        Tarnwick = nullptr;
}

void TTarnwick::CreateComponents() {
    using toolkit::TComponent;

    // Images of the size the notification area asks for, so that the icon is drawn from the
    // resource's own image of that size rather than scaled by the taskbar.
    const SIZE small = toolkit::SmallIconSize();
    ImageList1 = new toolkit::TImageList(this, small.cx, small.cy);
    ImageList1->SetName("ImageList1");
    // The program's own picture; a program without it (a test) shows the application icon.
    if (auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON",
                                                  IMAGE_ICON, small.cx, small.cy, 0))) {
        try {
            (void)ImageList1->AddIcon(icon);
        } catch (...) {
            (void)DestroyIcon(icon);
            throw;
        }
        (void)DestroyIcon(icon);
    } else {
        (void)ImageList1->AddIcon(toolkit::App->Icon());
    }

    PopupMenu1 = new toolkit::TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    PopupMenu1->Add(
        "Execute1", "Execute", [this](TComponent*) { Execute1Click(); }, true);
    PopupMenu1->Add("Database1", "Database", [this](TComponent*) { Database1Click(); });
    PopupMenu1->Add("Cofiguration1", "Cofiguration", [this](TComponent*) { Cofiguration1Click(); });
    PopupMenu1->Add("N1", "-");
    PopupMenu1->Add("Exit1", "Exit", [this](TComponent*) { Exit1Click(); });

    // The tray icon as the layout sets it up: shown at once, then the rest, then Loaded puts
    // image 0 of ImageList1 into it.
    TrayIcon1 = new TTrayIcon(this);
    TrayIcon1->SetName("TrayIcon1");
    TrayIcon1->BeginLoading();
    TrayIcon1->SetVisible(true);
    TrayIcon1->SetPopupMenu(PopupMenu1);
    TrayIcon1->SetHide(true);
    TrayIcon1->SetRestoreOn(imNone);
    TrayIcon1->SetPopupMenuOn(imRightClickUp);
    TrayIcon1->SetIcons(ImageList1);
    TrayIcon1->Loaded();
}

void TTarnwick::FormCreate() {
    // The window is exactly the input line, at every scale.
    SetDesignClientSize(129, 18);

    ExeFolder = ExtractFolder(toolkit::App->Sys().ModuleFileName()) + "\\";

    toolkit::App->CreateForm<TF_Database>();

    TSettings settings;
    ReadSettings(SettingsPath(), F_Database->Entries, settings);
    SetLeft(settings.Left);
    SetTop(settings.Top);
    SetAlphaBlend(true);
    SetAlphaBlendValue(static_cast<std::uint8_t>(settings.AlphaBlendValue & 0xFF));
    Web = settings.Web;
    NoEnter = settings.NoEnter;
    Sound = settings.Sound;
    hKey = settings.hKey;

    ApplyHotKey();
}

THotKey TTarnwick::HotKey() const {
    return DecodeHotKey(static_cast<std::uint16_t>(hKey & 0xFFFF));
}

void TTarnwick::ApplyHotKey() {
    const THotKey hotKey = HotKey();
    if (hotKey.Key != 0)
        (void)TakeHotKey(hotKey);
    else
        ReleaseHotKeyAtom();
}

bool TTarnwick::TakeHotKey(const THotKey& hotKey) {
    if (HotKeyAtom == 0)
        HotKeyAtom = GlobalAddAtomW(kHotKeyAtomName);
    return RegisterHotKey(Handle(), HotKeyAtom, HotKeyModifiers(hotKey), hotKey.Key) != FALSE;
}

void TTarnwick::ReleaseHotKeyAtom() {
    if (HotKeyAtom == 0)
        return;
    (void)GlobalDeleteAtom(HotKeyAtom);
    HotKeyAtom = 0;
}

void TTarnwick::Dispatch(toolkit::TMessage& message) {
    if (message.Msg == WM_HOTKEY) {
        WMHotKey(message);
        return;
    }
    TForm::Dispatch(message);
}

void TTarnwick::WMHotKey(toolkit::TMessage&) {
    CallUp();
}

void TTarnwick::CallUp() {
    // Typing into a box nobody sees would go on blind. The stored place stays as it is: only a
    // drag changes it.
    KeepOnAMonitor();
    Show();
    (void)SetForegroundWindow(Handle());
    (void)SetActiveWindow(Handle());
}

void TTarnwick::FormShow() {
    Edit1.SetText("");
}

void TTarnwick::Edit1KeyPress(std::string& Key) {
    const TCommandOptions options{Web, NoEnter, Sound, ExeFolder};
    if (CommandKeyPress(Key, Edit1.Text(), options, F_Database->Entries, toolkit::App->Sys(),
                        Handle()))
        Hide();
}

void TTarnwick::Edit1MouseDown(toolkit::TMouseButton, toolkit::TShiftState, int X, int Y) {
    GrabX = X;
    GrabY = Y;
}

void TTarnwick::Edit1MouseMove(toolkit::TShiftState Shift, int, int) {
    if (!Shift.Contains(toolkit::TShiftFlag::Left))
        return;
    // The live cursor, not the event's point: the window moves under the mouse meanwhile.
    std::int32_t x = 0, y = 0;
    GetCursorXY(x, y);
    SetLeft(x - GrabX);
    SetTop(y - GrabY);
}

void TTarnwick::Edit1MouseUp(toolkit::TMouseButton, toolkit::TShiftState, int, int) {
    WritePosition(SettingsPath(), Left(), Top());
}

void TTarnwick::Execute1Click() {
    CallUp();
}

void TTarnwick::Database1Click() {
    F_Database->Show();
}

void TTarnwick::Cofiguration1Click() {
    F_Config->Show();
}

void TTarnwick::Exit1Click() {
    toolkit::App->Terminate();
}
