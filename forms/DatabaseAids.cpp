// What the database editor does to help beyond editing: the list's right-click menu, the marks
// beside the names (run as administrator; file or folder missing; the entry's hot key) with the
// look for missing targets behind them, the balloons, and adding an entry by dropping a file.
#include "forms/Database.h"

#include "app/EntryChecks.h"
#include "app/EntryHotKeys.h"
#include "app/Tarnwick.h"
#include "forms/HotKeyBox.h"
#include "forms/HotKeyWindow.h"
#include "toolkit/Accessible.h"
#include "toolkit/Application.h"
#include "toolkit/DropFiles.h"

#include <windowsx.h>

#include <algorithm>
#include <unordered_map>

namespace {

// The answers of the look for missing targets (toolkit::CheckPathsAsync).
constexpr UINT kTargetsChecked = WM_APP + 1;
constexpr int kTipWidth = 280; // at 96 pixels per inch

constexpr const char* kEnterCheckBox = "Do not want Enter key for completion";

// A ring with a bar across: something that is not there.
void DrawMissingMark(HDC dc, int x, int y, int size, COLORREF ink, int penWidth) {
    HPEN pen = CreatePen(PS_SOLID, penWidth, ink);
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    (void)Ellipse(dc, x, y, x + size, y + size);
    const int inset = size * 3 / 20; // where the diagonal meets the ring
    (void)MoveToEx(dc, x + inset, y + inset, nullptr);
    (void)LineTo(dc, x + size - inset, y + size - inset);
    (void)SelectObject(dc, oldBrush);
    (void)SelectObject(dc, oldPen);
    (void)DeleteObject(pen);
}

} // namespace

void TF_Database::CreateAids() {
    using toolkit::TComponent;
    PopupMenu1 = new toolkit::TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    PopupMenu1->Add("Launch1", "Launch", [this](TComponent*) { Launch1Click(); });
    PopupMenu1->Add("Openfilelocation1", "Open file location",
                    [this](TComponent*) { Openfilelocation1Click(); });
    PopupMenu1->Add("Runasadministrator1", "Run as administrator",
                    [this](TComponent*) { Runasadministrator1Click(); });
    PopupMenu1->Add("Hotkey1", "Hot key...", [this](TComponent*) { Hotkey1Click(); });

    toolkit::AcceptDroppedFiles(Handle());
    Events(ListBox1.Handle()).OnAccessibleQuery = [this] { DescribeMarks(); };
    // Typing into a box the balloon speaks of answers it.
    for (const toolkit::Edit* box : {&Edit2, &Edit3, &Edit5}) {
        const HWND handle = box->Handle();
        Bind(box->Id(), EN_CHANGE, [this, handle] {
            for (toolkit::TBalloonTip* tip : {&KeywordTip, &TargetTip})
                if (tip->Control() == handle)
                    tip->Hide();
        });
    }
}

bool TF_Database::DispatchAids(toolkit::TMessage& m) {
    switch (m.Msg) {
    case WM_DRAWITEM:
        if (reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)->hwndItem != ListBox1.Handle())
            return false;
        ListBox1DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam));
        m.Result = TRUE;
        return true;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(m.WParam) != ListBox1.Handle())
            return false;
        ListBox1ContextPopup(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        return true;
    case WM_DROPFILES:
        WMDropFiles(m);
        return true;
    case kTargetsChecked:
        TargetChecked(m.WParam);
        return true;
    case WM_SHOWWINDOW:
    case WM_MOVE:
    case WM_ACTIVATE:
        // The balloons stand at the screen place of their boxes, above every window.
        if ((m.Msg == WM_SHOWWINDOW && m.WParam) ||
            (m.Msg == WM_ACTIVATE && LOWORD(m.WParam) != WA_INACTIVE))
            return false;
        KeywordTip.Hide();
        TargetTip.Hide();
        HotKeyTip.Hide();
        return false;
    default:
        return false;
    }
}

void TF_Database::RepaintList() const {
    // Not before the list is made: a null window would have every window on the desktop redrawn.
    if (ListBox1.Handle())
        (void)InvalidateRect(ListBox1.Handle(), nullptr, TRUE);
}

TCommandOptions TF_Database::Options() const {
    return CommandOptions ? CommandOptions() : TCommandOptions{};
}

// ---- the right-click menu --------------------------------------------------------------------

void TF_Database::ListBox1ContextPopup(int x, int y) {
    if (!Browsing() || !ListBox1.Enabled())
        return;
    const HWND list = ListBox1.Handle();
    int k = ListBox1.ItemIndex();
    RECT item{};
    if (x == -1 && y == -1) {
        // From the keyboard: under the selected entry.
        if (k < 0 ||
            SendMessageW(list, LB_GETITEMRECT, k, reinterpret_cast<LPARAM>(&item)) == LB_ERR)
            return;
        POINT at{item.left + Scale(8), item.bottom};
        (void)ClientToScreen(list, &at);
        x = at.x;
        y = at.y;
    } else {
        // The entry under the mouse, selected first, as a click would.
        POINT at{x, y};
        (void)ScreenToClient(list, &at);
        const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(at.x, at.y));
        const int under = static_cast<int>(LOWORD(hit));
        if (SendMessageW(list, LB_GETITEMRECT, under, reinterpret_cast<LPARAM>(&item)) == LB_ERR ||
            !PtInRect(&item, at))
            return;
        if (under != k) {
            ListBox1.SetItemIndex(under);
            ListBox1Click();
            k = under;
        }
    }
    const TDBItem& entry = Entries.At(k);
    PopupMenu1->Find("Openfilelocation1")->Enabled =
        !EntryFileLocation(entry, Options(), toolkit::App->Sys()).empty();
    PopupMenu1->Find("Runasadministrator1")->Checked = entry.RunAs;
    PopupMenu1->PopupFor(Handle(), x, y);
}

void TF_Database::Launch1Click() {
    const int k = ListBox1.ItemIndex();
    if (k < 0)
        return;
    const TDBItem entry = Entries.At(k); // the shell may pump messages meanwhile
    LaunchEntry(entry, "", Options(), toolkit::App->Sys(), Handle());
}

void TF_Database::Openfilelocation1Click() {
    const int k = ListBox1.ItemIndex();
    if (k < 0)
        return;
    const std::string path = EntryFileLocation(Entries.At(k), Options(), toolkit::App->Sys());
    if (path.empty())
        return;
    // By its full path: a bare "explorer.exe" would be looked for in the current folder first.
    toolkit::System& sys = toolkit::App->Sys();
    const std::string windows = sys.WindowsFolder();
    sys.Execute(Handle(), "open", windows.empty() ? "explorer.exe" : windows + "\\explorer.exe",
                "/select,\"" + path + "\"", "", SW_SHOWNORMAL);
}

void TF_Database::Runasadministrator1Click() {
    const int k = ListBox1.ItemIndex();
    if (k < 0)
        return;
    // In Entries at once, as Apply would be; OK saves it.
    Entries.At(k).RunAs = !Entries.At(k).RunAs;
    Modified = true; // a change of the editor's own: a reload must not drop it
    RepaintList();
    DescribeMarks();
}

void TF_Database::Hotkey1Click() {
    const int k = ListBox1.ItemIndex();
    if (k < 0)
        return;
    if (F_HotKey == nullptr)
        (void)toolkit::App->CreateForm<TF_HotKey>();
    F_HotKey->ShowFor(k);
}

// ---- entry hot keys ----------------------------------------------------------------------------

void TF_Database::SetEntryHotKey(int k, std::int32_t stored) {
    if (Entries.At(k).HotKey == stored)
        return;
    // In Entries at once, as Apply would be; OK saves it.
    Entries.At(k).HotKey = stored;
    Modified = true;
    HotKeysChanged();
}

bool TF_Database::HotKeyRefused(int k) const {
    return Tarnwick != nullptr && Tarnwick->EntryHotKeys.Refused(k);
}

void TF_Database::HotKeysChanged() {
    if (Tarnwick != nullptr)
        Tarnwick->UpdateEntryHotKeys();
    RepaintList();
    DescribeMarks();
    // The selected entry's balloon as it stands now (held back, the answers are the last ones).
    HotKeyTip.Hide();
    if (Visible() && Browsing())
        ShowHotKeyTip(ListBox1.ItemIndex());
}

void TF_Database::ShowHotKeyTip(int k) {
    if (!HotKeyRefused(k))
        return;
    HotKeyTip.Show(ListBox1.Handle(), "Hot key not available",
                   hotkeybox::RefusalText(EntryHotKey(Entries.At(k))), TTI_WARNING,
                   Scale(kTipWidth));
}

// ---- the list's items --------------------------------------------------------------------------

int TF_Database::DrawHotKey(HDC dc, int k, const RECT& room, int gap) {
    const THotKey hotKey = EntryHotKey(Entries.At(k));
    if (hotKey.Key == 0)
        return room.right;
    int right = room.right;
    const int mark = room.bottom - room.top;
    if (HotKeyRefused(k)) {
        right -= mark;
        (void)DrawIconEx(dc, right, room.top,
                         LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WARNING)), mark, mark, 0,
                         nullptr, DI_NORMAL);
        right -= gap;
    }
    const std::wstring text = toolkit::Widen(HotKeyText(hotKey));
    SIZE size{};
    (void)GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    // The name keeps some room however long the combination.
    const int width =
        std::min<int>(size.cx, std::max(right - static_cast<int>(room.left) - Scale(40), 0));
    RECT box{right - width, room.top, right, room.bottom};
    (void)DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_RIGHT);
    return box.left - 2 * gap;
}

void TF_Database::ListBox1DrawItem(const DRAWITEMSTRUCT& d) {
    HDC dc = d.hDC;
    const RECT rc = d.rcItem;
    if (d.itemID == static_cast<UINT>(-1)) {
        if (d.itemState & ODS_FOCUS) // an empty list with the focus
            (void)DrawFocusRect(dc, &rc);
        return;
    }
    const int k = static_cast<int>(d.itemID);
    const bool selected = (d.itemState & ODS_SELECTED) != 0;
    const bool missing = TargetMissing(k);
    (void)FillRect(dc, &rc, toolkit::ThemeBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int ink = (d.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT
                    : selected                   ? COLOR_HIGHLIGHTTEXT
                    : missing                    ? COLOR_GRAYTEXT
                                                 : COLOR_WINDOWTEXT;

    // The marks at the item's right end, from the item's own height: it follows the scale.
    const int height = rc.bottom - rc.top;
    const int mark = std::max(height - 2, 1);
    const int top = rc.top + (height - mark) / 2;
    const int gap = Scale(2);
    int right = rc.right - gap;
    if (k < Entries.Count() && Entries.At(k).RunAs) {
        if (shieldSize_ != mark) {
            shield_.TakeHandle(toolkit::LoadShieldIcon(mark));
            shieldSize_ = mark;
        }
        right -= mark;
        if (!shield_.Empty())
            (void)DrawIconEx(dc, right, top, shield_.Handle(), mark, mark, 0, nullptr, DI_NORMAL);
        right -= gap;
    }
    if (missing) {
        right -= mark;
        DrawMissingMark(dc, right, top, mark, toolkit::ThemeColor(ink), Scale(1));
        right -= gap;
    }

    const HWND list = ListBox1.Handle();
    // The list's own font: not every system hands it over selected.
    const HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    (void)SetTextColor(dc, toolkit::ThemeColor(ink));
    (void)SetBkMode(dc, TRANSPARENT);
    if (k < Entries.Count())
        right = DrawHotKey(dc, k, RECT{rc.left, top, right, top + mark}, gap);

    std::wstring text(static_cast<std::size_t>(
                          std::max<LRESULT>(SendMessageW(list, LB_GETTEXTLEN, d.itemID, 0), 0)),
                      L'\0');
    (void)SendMessageW(list, LB_GETTEXT, d.itemID, reinterpret_cast<LPARAM>(text.data()));
    RECT textBox{rc.left + gap, rc.top, right, rc.bottom};
    (void)DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textBox,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    (void)SelectObject(dc, oldFont);
    if (d.itemState & ODS_FOCUS)
        (void)DrawFocusRect(dc, &rc);
}

// ---- missing targets ---------------------------------------------------------------------------

int TF_Database::MissingTarget(int k) const {
    const std::size_t at = static_cast<std::size_t>(k) * 2;
    if (k < 0 || at + 2 > targets_.size())
        return -1;
    for (const int query : {targets_[at], targets_[at + 1]})
        if (query >= 0 && absent_[static_cast<std::size_t>(query)])
            return query;
    return -1;
}

bool TF_Database::TargetMissing(int k) const {
    return MissingTarget(k) >= 0;
}

void TF_Database::CheckTargets() {
    const TCommandOptions options = Options();
    std::vector<toolkit::TPathQuery> queries;
    std::vector<bool> absent;
    // Thousands of entries share a few folders: each target is looked for once, found by hash.
    // The key is the path with one more character for its kind, so a path cannot pass for
    // another's folder.
    const auto keyOf = [](const toolkit::TPathQuery& query) {
        return query.Path + (query.Folder ? '\1' : '\0');
    };
    std::unordered_map<std::string, std::size_t> asked, before;
    before.reserve(queries_.size());
    for (std::size_t i = 0; i < queries_.size(); ++i)
        before.emplace(keyOf(queries_[i]), i);
    targets_.clear();
    for (std::int32_t k = 0; k < Entries.Count(); ++k) {
        const TEntryTargets t = EntryTargets(Entries.At(k), options, toolkit::App->Sys());
        for (toolkit::TPathQuery query :
             {toolkit::TPathQuery{t.File, false}, toolkit::TPathQuery{t.Folder, true}}) {
            if (query.Path.empty()) {
                targets_.push_back(-1);
                continue;
            }
            std::string key = keyOf(query);
            const auto old = before.find(key);
            const auto [found, added] = asked.try_emplace(std::move(key), queries.size());
            if (added) {
                // The last answer stands until the new one comes.
                absent.push_back(old != before.end() && absent_[old->second]);
                queries.push_back(std::move(query));
            }
            targets_.push_back(static_cast<int>(found->second));
        }
    }
    queries_ = std::move(queries);
    absent_ = std::move(absent);
    answers_ = toolkit::CheckPathsAsync(Handle(), kTargetsChecked, ++lookGeneration_, queries_,
                                        TargetProbe);
    RepaintList();
    DescribeMarks();
}

void TF_Database::TargetChecked(WPARAM generation) {
    if (generation != lookGeneration_ || !answers_)
        return; // an answer to an earlier look
    const int selected = ListBox1.ItemIndex();
    const bool selectedWasMissing = TargetMissing(selected);
    bool changed = false;
    for (const toolkit::TPathAnswers::Answer& answer : answers_->Take()) {
        if (answer.Index >= queries_.size() || absent_[answer.Index] == answer.Absent)
            continue;
        absent_[answer.Index] = answer.Absent;
        changed = true;
    }
    if (!changed)
        return;
    RepaintList();
    DescribeMarks();
    if (!selectedWasMissing && TargetMissing(selected) && Browsing())
        ShowTargetTip(selected);
}

void TF_Database::ShowTargetTip(int k) {
    const int missing = MissingTarget(k);
    if (missing < 0)
        return;
    const toolkit::TPathQuery& target = queries_[static_cast<std::size_t>(missing)];
    TargetTip.Show(target.Folder ? Edit3.Handle() : Edit2.Handle(),
                   target.Folder ? "Folder not found" : "File not found", target.Path, TTI_WARNING,
                   Scale(kTipWidth));
}

// ---- the marks for screen readers ---------------------------------------------------------------

std::string TF_Database::MarksText(int k) const {
    std::string text;
    const int missing = MissingTarget(k);
    if (missing >= 0)
        text = queries_[static_cast<std::size_t>(missing)].Folder ? "Folder not found"
                                                                  : "File not found";
    if (k >= 0 && k < Entries.Count() && Entries.At(k).RunAs)
        text += text.empty() ? "Runs as administrator" : ". Runs as administrator";
    if (k >= 0 && k < Entries.Count()) {
        const THotKey hotKey = EntryHotKey(Entries.At(k));
        if (hotKey.Key != 0) {
            const std::string mark =
                "Hot key " + HotKeyText(hotKey) + (HotKeyRefused(k) ? ", taken" : "");
            text += text.empty() ? mark : ". " + mark;
        }
    }
    return text;
}

void TF_Database::DescribeMarks() {
    // Annotations load OLE: not for users whom no screen reader asked on behalf of.
    if (!toolkit::AccessibleClientSeen())
        return;
    // Items are numbered from 1 for the reader. Items that are gone lose theirs too, so that a
    // later item at that place does not inherit a mark.
    const auto count = static_cast<std::size_t>(std::max(ListBox1.Count(), 0));
    if (described_.size() < count)
        described_.resize(count);
    for (std::size_t k = 0; k < described_.size(); ++k) {
        const std::string text = k < count ? MarksText(static_cast<int>(k)) : std::string();
        if (text == described_[k])
            continue;
        (void)toolkit::Annotate(ListBox1.Handle(), static_cast<long>(k + 1),
                                toolkit::TAccText::Description, text);
        described_[k] = text;
    }
    described_.resize(count);
}

// ---- confirmed entries -------------------------------------------------------------------------

void TF_Database::EntryConfirmed(int k) {
    CheckTargets();
    KeywordTip.Hide();
    const auto clash = FindKeywordClash(Entries, k, Options().NoEnter, [](const std::string& text) {
        return toolkit::App->Sys().UpperCase(text);
    });
    if (!clash)
        return;
    KeywordTip.Show(Edit5.Handle(), "Keyword cannot be reached",
                    clash->Longer + " cannot be typed: " + clash->Shorter +
                        " launches as soon as it is typed. To reach " + clash->Longer +
                        ", turn off \"" + kEnterCheckBox + "\", or choose another keyword.",
                    TTI_WARNING, Scale(kTipWidth));
}

// ---- dropped files -----------------------------------------------------------------------------

void TF_Database::WMDropFiles(toolkit::TMessage& m) {
    AddDroppedFile(toolkit::TakeDroppedFile(m.WParam));
}

void TF_Database::AddDroppedFile(const std::string& path) {
    if (path.empty())
        return;
    const DWORD attributes = GetFileAttributesW(toolkit::Widen(path).c_str());
    const TDBItem item = DroppedEntry(path, attributes != INVALID_FILE_ATTRIBUTES &&
                                                (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    Show();
    if (Browsing())
        Button1Click(); // New
    ShowInBoxes(item);
    if (!ForegroundCall(Handle())) {
        // Without the front, the keyword the user types next would go elsewhere: the caption
        // and the taskbar flash until the editor is clicked, so that the user sees where.
        FLASHWINFO flash{};
        flash.cbSize = sizeof(flash);
        flash.hwnd = Handle();
        flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
        (void)FlashCall(&flash);
    }
    Edit5.SetFocus();
}
