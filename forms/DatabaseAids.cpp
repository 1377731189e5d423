// What the database editor does to help beyond editing: the list's right-click menu, the marks
// beside the names (run as administrator; file or folder missing) with the look for missing
// targets behind them, the balloons, and adding an entry by dropping a file.
#include "forms/Database.h"

#include "app/EntryChecks.h"
#include "toolkit/Accessible.h"
#include "toolkit/Application.h"
#include "toolkit/DropFiles.h"

#include <windowsx.h>

#include <algorithm>

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
        TargetChecked(m.WParam, m.LParam);
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
        return false;
    default:
        return false;
    }
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
    if (!path.empty())
        toolkit::App->Sys().Execute(Handle(), "open", "explorer.exe", "/select,\"" + path + "\"",
                                    "", SW_SHOWNORMAL);
}

void TF_Database::Runasadministrator1Click() {
    const int k = ListBox1.ItemIndex();
    if (k < 0)
        return;
    // In Entries at once, as Apply would be; OK saves it.
    Entries.At(k).RunAs = !Entries.At(k).RunAs;
    Modified = true; // a change of the editor's own: a reload must not drop it
    (void)InvalidateRect(ListBox1.Handle(), nullptr, TRUE);
    DescribeMarks();
}

// ---- the list's items --------------------------------------------------------------------------

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
    std::wstring text(static_cast<std::size_t>(
                          std::max<LRESULT>(SendMessageW(list, LB_GETTEXTLEN, d.itemID, 0), 0)),
                      L'\0');
    (void)SendMessageW(list, LB_GETTEXT, d.itemID, reinterpret_cast<LPARAM>(text.data()));
    RECT textBox{rc.left + gap, rc.top, right, rc.bottom};
    // The list's own font: not every system hands it over selected.
    const HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    (void)SetTextColor(dc, toolkit::ThemeColor(ink));
    (void)SetBkMode(dc, TRANSPARENT);
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
    targets_.clear();
    for (std::int32_t k = 0; k < Entries.Count(); ++k) {
        const TEntryTargets t = EntryTargets(Entries.At(k), options, toolkit::App->Sys());
        for (const toolkit::TPathQuery& query :
             {toolkit::TPathQuery{t.File, false}, toolkit::TPathQuery{t.Folder, true}}) {
            if (query.Path.empty()) {
                targets_.push_back(-1);
                continue;
            }
            auto found = std::find(queries.begin(), queries.end(), query);
            if (found == queries.end()) {
                // The last answer stands until the new one comes.
                const auto old = std::find(queries_.begin(), queries_.end(), query);
                absent.push_back(old != queries_.end() && absent_[old - queries_.begin()]);
                found = queries.insert(queries.end(), query);
            }
            targets_.push_back(static_cast<int>(found - queries.begin()));
        }
    }
    queries_ = std::move(queries);
    absent_ = std::move(absent);
    toolkit::CheckPathsAsync(Handle(), kTargetsChecked, ++lookGeneration_, queries_, TargetProbe);
    (void)InvalidateRect(ListBox1.Handle(), nullptr, TRUE);
    DescribeMarks();
}

void TF_Database::TargetChecked(WPARAM generation, LPARAM answer) {
    const std::size_t index = toolkit::QueryIndex(answer);
    if (generation != lookGeneration_ || index >= queries_.size())
        return; // an answer to an earlier look
    if (absent_[index] == toolkit::QueryAbsent(answer))
        return;
    const int selected = ListBox1.ItemIndex();
    const bool selectedWasMissing = TargetMissing(selected);
    absent_[index] = toolkit::QueryAbsent(answer);
    (void)InvalidateRect(ListBox1.Handle(), nullptr, TRUE);
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
    (void)SetForegroundWindow(Handle());
    Edit5.SetFocus();
}
