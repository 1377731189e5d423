#include "forms/HotKeyWindow.h"

#include "app/Tarnwick.h"
#include "forms/Config.h"
#include "forms/Database.h"
#include "forms/HotKeyBox.h"
#include "toolkit/Application.h"

TF_HotKey* F_HotKey = nullptr;

namespace {
// Neither is IDOK or IDCANCEL: the dialog navigation would press such a button for Enter or
// Escape, and Escape is a key the box may capture.
enum : int { kLabel1 = 101, kEdit1, kButton1, kButton2 };

// The main hot key is suspended while a hot key box captures, unless the configuration window
// has it suspended already and gives it back itself.
bool MainHotKeyOurs() {
    return Tarnwick != nullptr && Tarnwick->HotKeyAtom != 0 &&
           !(F_Config != nullptr && F_Config->Visible());
}
} // namespace

toolkit::TFormLayout TF_HotKey::Layout() {
    using namespace toolkit;
    TFormLayout layout;
    layout.ClassName = "TF_HotKey";
    layout.Caption = "Hot key";
    layout.Border = TBorderStyle::Dialog;
    layout.Position = TFormPosition::ScreenCenter;
    layout.ClientWidth = 250;
    layout.ClientHeight = 96;
    auto& c = layout.Controls;
    TControlLayout name = ControlAt(TControlKind::Label, "Label1", kLabel1, 8, 10, 234, 14, "");
    name.Font = TFont{.Bold = true};
    c.push_back(name);
    c.push_back(hotkeybox::Layout("Edit1", kEdit1, 8, 30, 234, 21));
    TControlLayout ok =
        ControlAt(TControlKind::Button, "Button1", kButton1, 88, 63, 75, 25, "OK", 0);
    ok.Default = true;
    c.push_back(ok);
    c.push_back(ControlAt(TControlKind::Button, "Button2", kButton2, 167, 63, 75, 25, "Cancel", 1));
    return layout;
}

TF_HotKey::TF_HotKey() : TForm(nullptr, Layout()) {
    F_HotKey = this;
    Label1 = toolkit::Label(Control("Label1"));
    Edit1 = toolkit::Edit(Control("Edit1"));
    Button1 = toolkit::Button(Control("Button1"));
    Button2 = toolkit::Button(Control("Button2"));
    hotkeybox::Attach(Events(Edit1.Handle()), Edit1, Capture);
    Bind(kButton1, BN_CLICKED, [this] { Button1Click(); });
    Bind(kButton2, BN_CLICKED, [this] { Button2Click(); });
    FinishCreate();
}

TF_HotKey::~TF_HotKey() {
    if (F_HotKey == this)
        F_HotKey = nullptr;
}

void TF_HotKey::ShowFor(int k) {
    const TDBItem& entry = F_Database->Entries.At(k);
    Entry = k;
    Label1.SetText(entry.Name);
    Capture = EntryHotKey(entry);
    Edit1.SetText(HotKeyText(Capture));
    if (!holding_ && Tarnwick != nullptr) {
        if (MainHotKeyOurs())
            (void)UnregisterHotKey(Tarnwick->Handle(), Tarnwick->HotKeyAtom);
        Tarnwick->HoldBackEntryHotKeys(this);
        holding_ = true;
    }
    // As a dialog box of the editor's: the list must not change under the entry being set, and a
    // click on the editor brings this window forward.
    (void)SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT,
                            reinterpret_cast<LONG_PTR>(F_Database->Handle()));
    (void)EnableWindow(F_Database->Handle(), FALSE);
    Show();
    (void)SetForegroundWindow(Handle());
    Edit1.SetFocus();
}

void TF_HotKey::Button1Click() {
    if (Entry < 0 || Entry >= F_Database->Entries.Count()) {
        Leave();
        return;
    }
    const std::uint16_t stored = EncodeHotKey(Capture);
    const THotKey wanted = DecodeHotKey(stored);
    if (wanted.Key != 0) {
        // The launcher's own combinations first: held back now, the system would give them.
        const bool ours = (Tarnwick != nullptr && Tarnwick->HotKey().Key != 0 &&
                           SameHotKey(Tarnwick->HotKey(), wanted)) ||
                          EntryWithHotKey(F_Database->Entries, wanted, Entry) >= 0;
        // Asked again only when new, or when it was taken at the last look.
        const bool unchanged = SameHotKey(EntryHotKey(F_Database->Entries.At(Entry)), wanted) &&
                               !F_Database->HotKeyRefused(Entry);
        if (ours || (Tarnwick != nullptr && !unchanged && !Tarnwick->EntryHotKeys.Free(wanted))) {
            hotkeybox::Refuse(Handle(), Edit1, wanted);
            return;
        }
    }
    // Stored before the editor comes back: coming back may take up hand edits of the file, which
    // a change of the editor's own keeps out.
    F_Database->SetEntryHotKey(Entry, wanted.Key == 0 ? 0 : stored);
    Leave();
}

void TF_HotKey::Button2Click() {
    Leave();
}

void TF_HotKey::Leave() {
    Entry = -1;
    (void)EnableWindow(F_Database->Handle(), TRUE);
    Hide();
    if (holding_ && Tarnwick != nullptr) {
        holding_ = false;
        const THotKey main = Tarnwick->HotKey();
        if (MainHotKeyOurs() && main.Key != 0)
            (void)RegisterHotKey(Tarnwick->Handle(), Tarnwick->HotKeyAtom, HotKeyModifiers(main),
                                 main.Key);
        Tarnwick->ResumeEntryHotKeys(this);
        F_Database->HotKeysChanged(); // the system's answers come in only now
    }
    if (F_Database->Visible())
        (void)SetForegroundWindow(F_Database->Handle());
}

void TF_HotKey::Dispatch(toolkit::TMessage& m) {
    if (m.Msg == WM_CLOSE) {
        if (Visible())
            Leave();
        return;
    }
    TForm::Dispatch(m);
}
