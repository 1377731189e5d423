#include "forms/Database.h"

#include "app/SettingsKeeper.h"
#include "data/Settings.h"
#include "forms/HotKeyWindow.h"
#include "gen/Gen_func.h"
#include "toolkit/Application.h"

#include <commdlg.h>

TF_Database* F_Database = nullptr;

namespace {

// Control ids. None is IDOK or IDCANCEL: the dialog navigation would press such a button for
// Enter or Escape.
enum : int {
    kHeader = 101,
    kLabel1 = kHeader + THeader::kControlCount,
    kListBox1,
    kButton1,
    kButton2,
    kButton3,
    kBevel2,
    kLabel3,
    kEdit1,
    kLabel4,
    kEdit2,
    kSpeedButton1,
    kLabel5,
    kEdit3,
    kSpeedButton2,
    kLabel6,
    kEdit4,
    kLabel7,
    kEdit5,
    kButton4,
};

constexpr const char* kNew = "New";
constexpr const char* kDelete = "Delete";
constexpr const char* kChangedOutside =
    "Tarnwick.ini was changed outside Tarnwick since it was read. Save this list over it?";

} // namespace

bool TOpenDialog::Execute(HWND owner) {
    toolkit::FileDialogRequest request;
    request.Owner = owner;
    request.Title = Title;
    request.FileName = FileName;
    request.Flags = Options;
    std::string chosen;
    if (!toolkit::App->Sys().ChooseFile(request, chosen))
        return false;
    FileName = chosen;
    return true;
}

toolkit::TFormLayout TF_Database::Layout() {
    using namespace toolkit;
    using K = TControlKind;
    TFormLayout layout = THeader::DialogLayout("TF_Database", "Tarnwick database", 337, kHeader);
    auto& c = layout.Controls;
    const TFont bold{.Bold = true};
    // "1" draws an open folder.
    const TFont folderGlyph{
        .Name = "Wingdings", .Height = -13, .Bold = true, .Charset = SYMBOL_CHARSET};

    c.push_back(ControlAt(K::Label, "Label1", kLabel1, 12, 91, 0, 0, "Files in database:"));
    TControlLayout list = ControlAt(K::ListBox, "ListBox1", kListBox1, 4, 104, 225, 89, "", 0);
    list.Font = bold;
    list.ItemHeight = 13;
    list.OwnerDraw = true; // for the marks beside the names
    c.push_back(list);
    c.push_back(ControlAt(K::Button, "Button1", kButton1, 236, 108, 75, 25, kNew, 1));
    c.push_back(ControlAt(K::Button, "Button2", kButton2, 236, 136, 75, 25, kDelete, 2));
    c.push_back(ControlAt(K::Button, "Button3", kButton3, 236, 164, 75, 25, "Apply", 3));
    c.push_back(ControlAt(K::Bevel, "Bevel2", kBevel2, 0, 200, 317, 9));

    // The entry's five boxes. Their design texts never show: FormShow empties them.
    c.push_back(ControlAt(K::Label, "Label3", kLabel3, 8, 212, 0, 0, "Name of file:"));
    TControlLayout name = ControlAt(K::Edit, "Edit1", kEdit1, 80, 208, 225, 21, "Name", 4);
    name.Font = bold;
    c.push_back(name);
    c.push_back(ControlAt(K::Label, "Label4", kLabel4, 8, 236, 0, 0, "Filename:"));
    c.push_back(ControlAt(K::Edit, "Edit2", kEdit2, 80, 232, 201, 21, "Filename", 5));
    TControlLayout fileButton =
        ControlAt(K::SpeedButton, "SpeedButton1", kSpeedButton1, 283, 232, 23, 22, "1");
    fileButton.Font = folderGlyph;
    c.push_back(fileButton);
    c.push_back(ControlAt(K::Label, "Label5", kLabel5, 8, 260, 0, 0, "Start in:"));
    c.push_back(ControlAt(K::Edit, "Edit3", kEdit3, 80, 256, 201, 21, "Work Folder", 6));
    TControlLayout folderButton =
        ControlAt(K::SpeedButton, "SpeedButton2", kSpeedButton2, 283, 256, 23, 22, "1");
    folderButton.Font = folderGlyph;
    c.push_back(folderButton);
    c.push_back(ControlAt(K::Label, "Label6", kLabel6, 8, 284, 0, 0, "Parameters:"));
    c.push_back(ControlAt(K::Edit, "Edit4", kEdit4, 80, 280, 225, 21, "Parameters", 7));
    TControlLayout keywordLabel = ControlAt(K::Label, "Label7", kLabel7, 8, 308, 0, 0, "Keyword:");
    keywordLabel.Font = bold;
    c.push_back(keywordLabel);
    TControlLayout keyword = ControlAt(K::Edit, "Edit5", kEdit5, 80, 304, 129, 21, "KEYWORD", 8);
    keyword.Font = bold;
    keyword.UpperCase = true;
    c.push_back(keyword);
    c.push_back(ControlAt(K::Button, "Button4", kButton4, 224, 308, 75, 25, "OK", 9));
    return layout;
}

TF_Database::TF_Database() : TForm(nullptr, Layout(), true) {
    F_Database = this;
    OpenDialog1.Title = "Select file";
    OpenDialog1.Options =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER;

    Bind(kListBox1, LBN_SELCHANGE, [this] { ListBox1Click(); });
    Bind(kButton1, BN_CLICKED, [this] { Button1Click(); });
    Bind(kButton2, BN_CLICKED, [this] { Button2Click(); });
    Bind(kButton3, BN_CLICKED, [this] { Button3Click(); });
    Bind(kButton4, BN_CLICKED, [this] { Button4Click(); });
    Bind(kSpeedButton1, BN_CLICKED, [this] { SpeedButton1Click(); });
    Bind(kSpeedButton2, BN_CLICKED, [this] { SpeedButton2Click(); });
    OnShow = [this] { FormShow(); };
    FinishCreate();
    if (SettingsKeeper != nullptr) {
        SettingsKeeper->OnDatabase = [this](TEntries entries) { TakeUp(std::move(entries)); };
        SettingsKeeper->DatabaseHeld = [this] { return HoldsChanges(); };
    }
}

void TF_Database::ControlsCreated() {
    using namespace toolkit;
    Panel1 = Panel(Control("Panel1"));
    Image1 = Image(Control("Image1"));
    Image2 = Image(Control("Image2"));
    Image3 = Image(Control("Image3"));
    Label1 = Label(Control("Label1"));
    Label2 = Label(Control("Label2"));
    Label3 = Label(Control("Label3"));
    Label4 = Label(Control("Label4"));
    Label5 = Label(Control("Label5"));
    Label6 = Label(Control("Label6"));
    Label7 = Label(Control("Label7"));
    Label8 = Label(Control("Label8"));
    Bevel1 = Bevel(Control("Bevel1"));
    Bevel2 = Bevel(Control("Bevel2"));
    ListBox1 = ListBox(Control("ListBox1"));
    Button1 = Button(Control("Button1"));
    Button2 = Button(Control("Button2"));
    Button3 = Button(Control("Button3"));
    Button4 = Button(Control("Button4"));
    Edit1 = Edit(Control("Edit1"));
    Edit2 = Edit(Control("Edit2"));
    Edit3 = Edit(Control("Edit3"));
    Edit4 = Edit(Control("Edit4"));
    Edit5 = Edit(Control("Edit5"));
    SpeedButton1 = SpeedButton(Control("SpeedButton1"));
    SpeedButton2 = SpeedButton(Control("SpeedButton2"));
    header_.MakeBackdrops(*this);
    CreateAids();
}

TF_Database::~TF_Database() {
    if (F_Database == this)
        F_Database = nullptr;
    if (SettingsKeeper != nullptr) {
        SettingsKeeper->OnDatabase = nullptr;
        SettingsKeeper->DatabaseHeld = nullptr;
    }
}

std::string TF_Database::SettingsPath() const {
    if (SettingsKeeper != nullptr)
        return SettingsKeeper->Path();
    return ExtractFolder(toolkit::App->Sys().ModuleFileName()) + "\\" + "Tarnwick.ini";
}

bool TF_Database::HoldsChanges() const {
    if (Modified)
        return true;
    if (!Visible())
        return false;
    if (!Browsing() || (F_HotKey != nullptr && F_HotKey->Visible()))
        return true; // an entry being added, or one's hot key being set
    // Typed into a box, or chosen with a dialog, and not applied yet.
    for (const toolkit::Edit* box : {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5})
        if (SendMessageW(box->Handle(), EM_GETMODIFY, 0, 0) != 0)
            return true;
    return false;
}

void TF_Database::TakeUp(TEntries entries) {
    Entries = std::move(entries);
    Modified = false;
    HotKeysChanged();
    if (Visible())
        ShowEntries(ListBox1.ItemIndex());
}

void TF_Database::Dispatch(toolkit::TMessage& m) {
    if (DispatchAids(m))
        return;
    switch (m.Msg) {
    case WM_ACTIVATE:
        if (LOWORD(m.WParam) != WA_INACTIVE && SettingsKeeper != nullptr)
            SettingsKeeper->Look();
        break;
    case WM_CLOSE:
        // The editor is the application's main window, yet closing it must not end the
        // launcher (tray icon, hot key and unsaved edits would go with it). An entry being added
        // is abandoned, so that the editor opens in browsing mode next time.
        if (!Browsing())
            EndAdding();
        Hide();
        return;
    case WM_CTLCOLORSTATIC:
        TForm::Dispatch(m);
        header_.PaintBackdrop(m);
        return;
    default:
        break;
    }
    TForm::Dispatch(m);
}

void TF_Database::ClearBoxes() const {
    Edit1.SetText("");
    Edit2.SetText("");
    Edit3.SetText("");
    Edit4.SetText("");
    Edit5.SetText("");
}

void TF_Database::ShowInBoxes(const TDBItem& item) const {
    Edit1.SetText(item.Name);
    Edit2.SetText(item.Filename);
    Edit3.SetText(item.Directory);
    Edit4.SetText(item.Params);
    Edit5.SetText(item.Keyword);
}

TDBItem TF_Database::BoxesItem() const {
    return {Edit1.Text(), Edit2.Text(), Edit3.Text(), Edit4.Text(), Edit5.Text()};
}

void TF_Database::FormShow() {
    ShowEntries(-1);
}

void TF_Database::ShowEntries(int k) {
    // Drawn once when all are in, not after each: with thousands of entries the list would
    // otherwise paint itself thousands of times.
    (void)SendMessageW(ListBox1.Handle(), WM_SETREDRAW, FALSE, 0);
    ListBox1.Clear();
    for (std::int32_t i = 0; i < Entries.Count(); ++i)
        ListBox1.Add(Entries.At(i).Name);
    (void)SendMessageW(ListBox1.Handle(), WM_SETREDRAW, TRUE, 0);
    RepaintList();
    if (k >= 0 && k < ListBox1.Count())
        ListBox1.SetItemIndex(k);
    ListBox1Click();
    CheckTargets();
}

void TF_Database::ListBox1Click() {
    const int k = ListBox1.ItemIndex();
    KeywordTip.Hide();
    TargetTip.Hide();
    HotKeyTip.Hide();
    if (k < 0) {
        ClearBoxes();
        return;
    }
    ShowInBoxes(Entries.At(k));
    ShowTargetTip(k);
    ShowHotKeyTip(k);
}

void TF_Database::Button1Click() {
    if (Browsing()) {
        // Start adding: the list keeps its selection for a Cancel.
        Button1.SetText("OK");
        Button2.SetText("Cancel");
        Button3.SetEnabled(false);
        ListBox1.SetEnabled(false);
        ClearBoxes();
        Edit1.SetFocus();
        Button4.SetEnabled(false);
        return;
    }
    ListBox1.Add(Edit1.Text());
    Entries.Append(BoxesItem());
    Modified = true;
    ListBox1.SetItemIndex(ListBox1.Count() - 1);
    EndAdding();
    EntryConfirmed(ListBox1.ItemIndex());
}

void TF_Database::EndAdding() {
    Button1.SetText(kNew);
    Button2.SetText(kDelete);
    Button3.SetEnabled(true);
    Button4.SetEnabled(true);
    ListBox1.SetEnabled(true);
    ListBox1Click();
}

void TF_Database::Button2Click() {
    if (!Browsing()) {
        EndAdding();
        return;
    }
    const int k = ListBox1.ItemIndex();
    if (k < 0)
        return;
    if (toolkit::App->Sys().ShowMessageBox(Handle(), "Are you sure?", "Delete?",
                                           MB_YESNO | MB_ICONEXCLAMATION) == IDNO)
        return;
    ListBox1.Delete(k);
    Entries.Delete(k);
    Modified = true;
    HotKeysChanged(); // its hot key is given back, the others follow their entries
    const int count = ListBox1.Count();
    if (count < k + 1)
        ListBox1.SetItemIndex(count - 1); // the new last item, or none when the list is empty
    else
        ListBox1.SetItemIndex(k);
    ListBox1Click();
    CheckTargets();
}

void TF_Database::Button3Click() {
    const int k = ListBox1.ItemIndex();
    if (k < 0)
        return;
    ListBox1.SetItem(k, Edit1.Text());
    // The boxes hold the five texts; what has no box of its own stays as it was.
    TDBItem item = BoxesItem();
    item.RunAs = Entries.At(k).RunAs;
    item.HotKey = Entries.At(k).HotKey;
    Entries.Replace(k, item);
    Modified = true;
    EntryConfirmed(k);
}

void TF_Database::Button4Click() {
    TSettingsKeeper* keeper = SettingsKeeper;
    if (keeper == nullptr) {
        WriteDatabase(SettingsPath(), Entries);
        Hide();
        return;
    }
    if (keeper->DatabaseChangedOutside()) {
        // Without changes of the editor's own the file's list is taken up without asking. Yes and
        // No each drop somebody's lines, so a stray Enter gives neither.
        const int answer = !Modified ? IDNO
                                     : toolkit::App->Sys().ShowMessageBox(
                                           Handle(), kChangedOutside, toolkit::App->Title(),
                                           MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3);
        if (answer == IDNO && keeper->ReadNow(true)) {
            Hide();
            return;
        }
        // Cancel; or No, or nothing to keep, with a file that cannot be read: then unsaved
        // changes stay, while an unchanged list goes on to be saved (and the save reports).
        if (answer != IDYES && Modified)
            return;
    }
    keeper->Save([this](const std::string& path) { WriteDatabase(path, Entries); }, true);
    Modified = false;
    Hide();
}

void TF_Database::SpeedButton1Click() {
    OpenDialog1.FileName = Edit2.Text();
    if (!OpenDialog1.Execute(Handle()))
        return;
    Edit2.SetText(OpenDialog1.FileName);
    (void)SendMessageW(Edit2.Handle(), EM_SETMODIFY, TRUE, 0); // the user's choice, as if typed
    if (Edit3.Text().empty()) {
        Edit3.SetText(ExtractFolder(Edit2.Text()));
        (void)SendMessageW(Edit3.Handle(), EM_SETMODIFY, TRUE, 0);
    }
}

void TF_Database::SpeedButton2Click() {
    toolkit::FolderDialogRequest request;
    request.Owner = Handle();
    request.Title = "Select Directory";
    request.StartFolder = Edit3.Text();
    if (request.StartFolder.empty())
        request.StartFolder = "C:\\";
    std::string chosen;
    if (toolkit::App->Sys().ChooseFolder(request, chosen)) {
        Edit3.SetText(chosen);
        (void)SendMessageW(Edit3.Handle(), EM_SETMODIFY, TRUE, 0);
    }
}
