#include "app/Tarnwick.h"

#include "app/FollowMonitor.h"
#include "app/KeyEntry.h"
#include "app/SettingsKeeper.h"
#include "data/Settings.h"
#include "forms/Config.h"
#include "forms/Database.h"
#include "gen/Gen_func.h"
#include "toolkit/Accessible.h"
#include "toolkit/Application.h"
#include "toolkit/DropFiles.h"
#include "toolkit/StartupTrace.h"
#include "toolkit/Text.h"
#include "toolkit/Theme.h"

#include <memory>
#include <utility>

TTarnwick* Tarnwick = nullptr;

namespace {
constexpr int kEdit1 = 100;
constexpr int kLabel1 = 101;
constexpr const char* kLineName = "Tarnwick";
constexpr const char* kLineDescription =
    "Type a keyword to start what it stands for. Escape closes the line.";
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

    // Never shown: it gives the line its name for screen readers, which read a box with the
    // label before it.
    TControlLayout name = ControlAt(TControlKind::Label, "Label1", kLabel1, 0, 0, 0, 0, kLineName);
    name.Visible = false;
    layout.Controls.push_back(name);
    TControlLayout edit = ControlAt(TControlKind::Edit, "Edit1", kEdit1, 0, 0, 129, 18, "TEXT", 0);
    edit.Font = TFont{.Bold = true};
    edit.UpperCase = true;
    edit.Flat = true;
    layout.Controls.push_back(edit);
    return layout;
}

TTarnwick::TTarnwick() : TForm(nullptr, Layout()) {
    TARNWICK_STARTUP_MARK("command window and its input line");
    Tarnwick = this;
    Edit1 = toolkit::Edit(Control("Edit1"));
    toolkit::TControlEvents& events = Events(Edit1.Handle());
    events.OnKeyPress = [this](std::string& key) { Edit1KeyPress(key); };
    events.OnKeyDown = [this](WORD& key, toolkit::TShiftState shift) { Edit1KeyDown(key, shift); };
    events.OnMouseDown = [this](toolkit::TMouseButton b, toolkit::TShiftState s, int x, int y) {
        Edit1MouseDown(b, s, x, y);
    };
    events.OnMouseMove = [this](toolkit::TShiftState s, int x, int y) { Edit1MouseMove(s, x, y); };
    events.OnMouseUp = [this](toolkit::TMouseButton b, toolkit::TShiftState s, int x, int y) {
        Edit1MouseUp(b, s, x, y);
    };
    events.OnAccessibleQuery = [this] { DescribeLine(); };
    OnCreate = [this] { FormCreate(); };
    OnShow = [this] { FormShow(); };
    CreateComponents();
    TARNWICK_STARTUP_MARK("tray icon");
    FinishCreate();
}

TTarnwick::~TTarnwick() {
    if (Tarnwick == this)
        Tarnwick = nullptr;
    if (SettingsKeeper != nullptr)
        SettingsKeeper->OnOptions = nullptr;
}

void TTarnwick::CreateComponents() {
    using toolkit::TComponent;

    // Images of the size the notification area asks for, so that the icon is drawn from the
    // resource's own image of that size rather than scaled by the taskbar.
    const SIZE small = toolkit::SmallIconSize();
    ImageList1 = new toolkit::TImageList(this, small.cx, small.cy);
    ImageList1->SetName("ImageList1");
    (void)PutTrayPicture(small);

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
    TrayIcon1->OnTaskbarCreated = [this](TComponent*) { FitTrayIcon(); };
    TrayIcon1->Loaded();
    // The scale may have changed since sign-in, which is the one the metrics above keep.
    FitTrayIcon();
}

void TTarnwick::FormCreate() {
    // The window is exactly the input line, at every scale.
    SetDesignClientSize(129, 18);

    EntryHotKeys.SetWindow(Handle());
    ExeFolder = ExtractFolder(toolkit::App->Sys().ModuleFileName()) + "\\";
    // The keeper outlives every window: the application destroys what it owns last made first.
    TSettingsKeeper* keeper = toolkit::App->Own(std::make_unique<TSettingsKeeper>(ExeFolder));
    keeper->OnOptions = [this](const TSettings& settings) { ApplySettings(settings); };

    toolkit::App->CreateForm<TF_Database>();
    TARNWICK_STARTUP_MARK("database editor");
    F_Database->CommandOptions = [this] { return TCommandOptions{Web, NoEnter, Sound, ExeFolder}; };
    toolkit::AcceptDroppedFiles(Handle());

    SetAlphaBlend(true);
    // Read as a later look reads a changed file. A file that is missing or cannot be read gives
    // the defaults; one that cannot be read is tried again at each look.
    if (!keeper->ReadNow(true))
        ApplySettings(TSettings());
    TARNWICK_STARTUP_MARK("settings file");
}

void TTarnwick::ApplySettings(const TSettings& settings) {
    nextPlace_.reset();
    storedPlace_ = POINT{settings.Left, settings.Top};
    FollowMonitor = settings.FollowMonitor;
    if (settings.Left != Left() || settings.Top != Top())
        nextPlace_ = POINT{settings.Left, settings.Top};
    MoveToNextPlace();
    SetAlphaBlendValue(static_cast<std::uint8_t>(settings.AlphaBlendValue & 0xFF));
    Web = settings.Web;
    NoEnter = settings.NoEnter;
    Sound = settings.Sound;
    if (settings.hKey != hKey) {
        // The configuration window holds the hot key back while it is shown; its Cancel then
        // registers the value taken up here, its OK its own.
        const bool heldBack = F_Config != nullptr && F_Config->Visible();
        if (HotKeyAtom != 0 && !heldBack)
            (void)UnregisterHotKey(Handle(), HotKeyAtom);
        hKey = settings.hKey;
        // An entry holding the new combination gives it up first: the main hot key wins.
        UpdateEntryHotKeys();
        ApplyHotKey(!heldBack);
    }
    History = settings.History;
    RunTyped = settings.RunTyped;
    // A look chosen or dropped by hand shows at once, as a change of Windows' mode would.
    // This window first: while it is being made it is not among the application's forms yet.
    if (toolkit::SetThemeChoice(settings.Theme)) {
        ApplyLook();
        toolkit::App->SendToForms(WM_SYSCOLORCHANGE);
    }
    // The history as the file holds it, unless lines launched since are not saved yet: they
    // are kept, to be written at the end. As the line shows them: a line edited by hand in the
    // file is recalled as it would be typed.
    if (!LineHistory.Changed()) {
        std::vector<std::string> lines;
        for (const std::string& line : settings.HistoryLines)
            lines.push_back(toolkit::App->Sys().UpperCase(line));
        LineHistory.Load(lines);
    }
}

void TTarnwick::MoveToNextPlace() {
    if (!nextPlace_ || Visible())
        return;
    SetLeft(nextPlace_->x);
    SetTop(nextPlace_->y);
    nextPlace_.reset();
}

SIZE TTarnwick::Size96() const {
    const int dpi = PixelsPerInch();
    return {MulDiv(Width(), 96, dpi), MulDiv(Height(), 96, dpi)};
}

THotKey TTarnwick::HotKey() const {
    return DecodeHotKey(static_cast<std::uint16_t>(hKey & 0xFFFF));
}

void TTarnwick::ApplyHotKey(bool registerIt) {
    const THotKey hotKey = HotKey();
    if (hotKey.Key == 0)
        ReleaseHotKeyAtom();
    else if (registerIt)
        (void)TakeHotKey(hotKey);
    else if (HotKeyAtom == 0)
        HotKeyAtom = GlobalAddAtomW(kHotKeyAtomName); // registered when it is given back
}

bool TTarnwick::TakeHotKey(const THotKey& hotKey) {
    if (HotKeyAtom == 0)
        HotKeyAtom = GlobalAddAtomW(kHotKeyAtomName);
    return RegisterHotKey(Handle(), HotKeyAtom, HotKeyModifiers(hotKey), hotKey.Key) != FALSE;
}

void TTarnwick::UpdateEntryHotKeys() {
    if (F_Database != nullptr)
        EntryHotKeys.Update(F_Database->Entries, HotKey());
}

void TTarnwick::HoldBackEntryHotKeys(const void* holder) {
    EntryHotKeys.HoldBack(holder);
}

void TTarnwick::ResumeEntryHotKeys(const void* holder) {
    EntryHotKeys.Resume(holder);
    UpdateEntryHotKeys();
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
    if (message.Msg == WM_DROPFILES) {
        WMDropFiles(message);
        return;
    }
    if (message.Msg == WM_DPICHANGED) {
        const int before = PixelsPerInch();
        TForm::Dispatch(message);
        KeepGrabPointAtScale(before, PixelsPerInch());
        FitTrayIcon();
        return;
    }
    // The session ends (wParam TRUE; FALSE: another program refused). No error report then: it
    // would hold the shutdown up, and nobody may be there to read it.
    if (message.Msg == WM_ENDSESSION && message.WParam != 0) {
        try {
            SaveHistory();
        } catch (...) {
        }
    }
    TForm::Dispatch(message);
}

void TTarnwick::WMHotKey(toolkit::TMessage& message) {
    if (TEntryHotKeys::IsEntryId(message.WParam)) {
        PressEntryHotKey(message.WParam);
        return;
    }
    CallUp();
}

void TTarnwick::PressEntryHotKey(WPARAM id) {
    // Launched from the entries as they stand, as a call-up shows the line before the file is
    // looked at: a hot key never waits on the file's drive. A hand edit that gave the combination
    // to another entry is taken up when the look answers, and registers the keys anew.
    const int k = EntryHotKeys.EntryFor(id);
    if (k >= 0 && k < F_Database->Entries.Count())
        TEntryHotKeys::Launch(F_Database->Entries.At(k),
                              TCommandOptions{Web, NoEnter, Sound, ExeFolder}, toolkit::App->Sys(),
                              Handle(), History ? &LineHistory : nullptr);
    if (SettingsKeeper != nullptr)
        SettingsKeeper->Look();
}

void TTarnwick::WMDropFiles(toolkit::TMessage& message) {
    const std::string path = toolkit::TakeDroppedFile(message.WParam);
    if (path.empty())
        return;
    // The strip has done its part: the editor takes the file from here.
    Hide();
    F_Database->AddDroppedFile(path);
}

void TTarnwick::CallUp() {
    MoveToNextPlace();
    if (FollowMonitor && !Visible()) {
        const POINT place = FollowedPlace(storedPlace_, Size96());
        SetLeft(place.x);
        SetTop(place.y);
    }
    // Typing into a box nobody sees would go on blind. The stored place stays as it is: only a
    // drag changes it.
    KeepOnAMonitor();
    NoteWindowInFront();
    Show();
    (void)SetForegroundWindow(Handle());
    (void)SetActiveWindow(Handle());
    // Only now, and off this thread: the file's drive may take seconds to answer. A change is
    // taken up when the answer comes; a place in it is kept for the next showing.
    LookAtSettings();
}

void TTarnwick::NoteWindowInFront() {
    const HWND front = GetForegroundWindow();
    if (front == Handle())
        return; // called up again while up: the window before it still stands
    // A hidden window of ours (the tray's, when the menu called the line up) cannot take the
    // focus back; neither can the desktop's taskbar usefully.
    inFront_ = front && IsWindowVisible(front) ? front : nullptr;
    inFrontThread_ = inFront_ ? GetWindowThreadProcessId(inFront_, nullptr) : 0;
}

void TTarnwick::GiveFocusBack() {
    const HWND front = inFront_;
    inFront_ = nullptr;
    // Gone, or its handle taken by another thread's window since: nobody to give it back to.
    if (!front || !IsWindow(front) || !IsWindowVisible(front) ||
        GetWindowThreadProcessId(front, nullptr) != inFrontThread_)
        return;
    // The window brings back the focus it had in itself, as after any switch back to it.
    (void)SetForegroundWindow(front);
}

void TTarnwick::DescribeLine() {
    if (lineDescribed_)
        return;
    lineDescribed_ = true;
    (void)toolkit::Annotate(Edit1.Handle(), 0, toolkit::TAccText::Name, kLineName);
    (void)toolkit::Annotate(Edit1.Handle(), 0, toolkit::TAccText::Description, kLineDescription);
}

void TTarnwick::FormShow() {
    Edit1.SetText("");
    LineHistory.EndRecall();
    recalled_ = false;
}

void TTarnwick::Edit1KeyPress(std::string& Key) {
    if (enterHandled_ && (Key == "\r" || Key == "\n")) {
        enterHandled_ = false;
        Key.clear();
        return;
    }
    DecideKey(Key, false);
}

void TTarnwick::Edit1KeyDown(WORD& Key, toolkit::TShiftState Shift) {
    using toolkit::TShiftFlag;
    enterHandled_ = false;
    if (Key == VK_RETURN && Shift.Contains(TShiftFlag::Ctrl) && Shift.Contains(TShiftFlag::Shift) &&
        !Shift.Contains(TShiftFlag::Alt)) {
        // Handled here: the keyboard layout decides whether a character follows at all (the
        // US layout gives none for this chord, Ctrl+Enter alone gives a line feed).
        Key = 0;
        enterHandled_ = true;
        std::string enter(1, kKeyEnter);
        DecideKey(enter, true);
    } else if ((Key == VK_UP || Key == VK_DOWN) && History && Shift.Empty()) {
        const bool older = Key == VK_UP;
        Key = 0;
        Recall(older);
    }
}

void TTarnwick::DecideKey(std::string& key, bool elevate) {
    const std::string line = Edit1.Text();
    // An empty line is typed afresh: its keywords complete as usual again.
    if (line.empty())
        recalled_ = false;
    TCommandOptions options{Web, NoEnter && !recalled_, Sound, ExeFolder};
    options.RunTyped = RunTyped;
    options.Elevate = elevate;
    std::string launched;
    const bool escape = key.size() == 1 && key[0] == kKeyEscape;
    if (CommandKeyPress(key, line, options, F_Database->Entries, toolkit::App->Sys(), Handle(),
                        &launched)) {
        if (History && !launched.empty())
            LineHistory.Add(launched);
        Hide();
        // What a launch started takes the foreground by itself; after Escape nothing will.
        if (escape)
            GiveFocusBack();
        else
            inFront_ = nullptr;
    }
}

void TTarnwick::Recall(bool older) {
    const std::optional<std::string> line =
        older ? LineHistory.Older(Edit1.Text()) : LineHistory.Newer(Edit1.Text());
    if (!line)
        return;
    Edit1.SetText(*line);
    const int end = static_cast<int>(toolkit::Widen(*line).size());
    Edit1.SetSelection(end, end);
    recalled_ = true;
}

void TTarnwick::SaveHistory() {
    if (SettingsKeeper == nullptr)
        return;
    if (!History) {
        (void)SettingsKeeper->SaveHistory({});
        return;
    }
    if (!LineHistory.Changed())
        return;
    if (SettingsKeeper->SaveHistory(LineHistory.Lines()))
        LineHistory.MarkSaved();
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
    nextPlace_.reset(); // the place the user has just chosen wins over one from the file
    storedPlace_ = POINT{Left(), Top()};
    if (FollowMonitor)
        storedPlace_ = PlaceOnMainMonitor(storedPlace_, Size96());
    SettingsKeeper->Save(
        [this](const std::string& path) { WritePosition(path, storedPlace_.x, storedPlace_.y); });
}

void TTarnwick::Execute1Click() {
    CallUp();
}

void TTarnwick::Database1Click() {
    F_Database->Show();
    LookAtSettings();
}

void TTarnwick::Cofiguration1Click() {
    F_Config->Show();
    LookAtSettings();
}

void TTarnwick::LookAtSettings() {
    if (SettingsKeeper != nullptr)
        SettingsKeeper->Look();
}

void TTarnwick::Exit1Click() {
    toolkit::App->Terminate();
}
