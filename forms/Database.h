// The database editor window F_Database: browse, add, change and delete launch entries and save
// them. It owns the launcher's one list of entries and edits it in place, so the command window
// matches every applied change at once; only OK writes the list to the settings file.
#pragma once

#include "app/KeyEntry.h"
#include "data/Entries.h"
#include "forms/Header.h"
#include "toolkit/BalloonTip.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/Icon.h"
#include "toolkit/PathCheck.h"
#include "toolkit/PopupMenu.h"

#include <functional>
#include <string>
#include <vector>

// The file-open dialog of the layout. It is not a window of its own: Execute asks the System
// seam, so tests answer it.
struct TOpenDialog {
    std::string Title;
    std::string FileName;      // preset before Execute, the chosen file after it
    unsigned long Options = 0; // OFN_...
    // True, with FileName holding the chosen path, unless the user cancelled.
    bool Execute(HWND owner);
};

class TF_Database : public toolkit::TForm {
public:
    TF_Database();
    ~TF_Database() override;

    // Components of the layout.
    toolkit::Panel Panel1;
    toolkit::Image Image1, Image2, Image3;
    toolkit::Label Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8;
    toolkit::Bevel Bevel1, Bevel2;
    toolkit::ListBox ListBox1;
    toolkit::Button Button1, Button2, Button3, Button4;
    toolkit::Edit Edit1, Edit2, Edit3, Edit4, Edit5;
    toolkit::SpeedButton SpeedButton1, SpeedButton2;
    TOpenDialog OpenDialog1;
    // The list's right-click menu: Launch1, Openfilelocation1, Runasadministrator1, Hotkey1.
    toolkit::TPopupMenu* PopupMenu1 = nullptr;
    // Balloons on the keyword box (a keyword typing cannot reach) and on the Filename or "Start
    // in" box (a file or folder that is not there).
    toolkit::TBalloonTip KeywordTip, TargetTip;
    // A balloon on the list for an entry whose hot key is taken.
    toolkit::TBalloonTip HotKeyTip;

    // The launcher's launch entries; ListBox1 shows their names in the same order.
    TEntries Entries;
    // Entries were added, applied or deleted since the list was last saved or read.
    bool Modified = false;

    // Event handlers.
    void FormShow();
    void ListBox1Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void ListBox1ContextPopup(int x, int y); // screen point; -1, -1: from the keyboard
    void ListBox1DrawItem(const DRAWITEMSTRUCT& item);
    void Launch1Click();
    void Openfilelocation1Click();
    void Runasadministrator1Click();
    void Hotkey1Click();
    void WMDropFiles(toolkit::TMessage& message);

    // A file, folder or shortcut dropped onto the launcher: the editor shown, adding an entry
    // made from it, with the keyword box focused for the keyword still to come. Where Windows
    // refuses to bring it to the front, it flashes instead.
    void AddDroppedFile(const std::string& path);
    // SetForegroundWindow and FlashWindowEx. During a drag the input belongs to the program the
    // file came from, and Windows may refuse the activation where Wine grants it: tests replace
    // these to play that answer.
    BOOL(WINAPI* ForegroundCall)(HWND) = &SetForegroundWindow;
    BOOL(WINAPI* FlashCall)(PFLASHWINFO) = &FlashWindowEx;

    // The command window's options, for what the editor does as the command window would:
    // launching, the keywords typing reaches, paths from the exe's folder. Unset: the defaults.
    std::function<TCommandOptions()> CommandOptions;
    // Looks for the entries' files and folders on the checking threads; tests replace it.
    toolkit::TPathProbe TargetProbe = &toolkit::PathAbsent;
    // Whether entry k's file or folder was found missing by the last look.
    bool TargetMissing(int k) const;
    // Entry k gets the hot key `stored` (in the stored encoding; 0: none), registered at once.
    void SetEntryHotKey(int k, std::int32_t stored);
    // Whether entry k has a hot key that the system would not give.
    bool HotKeyRefused(int k) const;
    // The entries' hot keys registered again after entries changed, the list and the selected
    // entry's balloon brought up to date.
    void HotKeysChanged();

    // The settings file OK writes: the settings keeper's, or beside the executable when the
    // editor runs without one.
    std::string SettingsPath() const;

    // Whether a list read again would take something of the user's: Modified, an entry being
    // added, or boxes edited and not applied yet.
    bool HoldsChanges() const;
    // The list read again from the settings file replaces Entries; a shown editor follows it,
    // keeping the selected place.
    void TakeUp(TEntries entries);

    // A close request only hides the editor; the tray menu's Exit ends the program. Coming back
    // to the editor takes up hand edits of the settings file. The two header labels draw over the
    // pictures behind them.
    void Dispatch(toolkit::TMessage& message) override;

private:
    static toolkit::TFormLayout Layout();
    // Browsing mode: Apply enabled, or an editor never shown. Adding mode: Apply disabled.
    bool Browsing() const { return !ControlsMade() || Button3.Enabled(); }
    // The components, the header's backdrops and the aids, once the controls are made (when the
    // editor is first shown: most runs never show it).
    void ControlsCreated() override;
    // The list redrawn, marks and all; nothing while there is no list yet.
    void RepaintList() const;
    void ClearBoxes() const;
    // The entry the five boxes show.
    TDBItem BoxesItem() const;
    void ShowInBoxes(const TDBItem& item) const;
    // Browsing again, the boxes showing the list's selection: after a new entry is committed or
    // abandoned.
    void EndAdding();
    // Fills ListBox1 from Entries, selects item k (none when out of range) and shows it.
    void ShowEntries(int k);

    // The menu, the drops and the balloons' hiding, once the controls exist.
    void CreateAids();
    // Messages for them, before the form's own dispatch; true when handled.
    bool DispatchAids(toolkit::TMessage& message);
    TCommandOptions Options() const;
    // Looks for every entry's file and folder anew, off this thread; the answers come back as
    // messages, and those of an earlier look are dropped.
    void CheckTargets();
    // Takes the answers waiting for the current look; those of an earlier look are dropped.
    void TargetChecked(WPARAM generation);
    void ShowTargetTip(int k);
    void ShowHotKeyTip(int k);
    // Entry k's hot key text, with a mark when it is taken, at the right end of `room` (the
    // marks' height); where the name's room now ends.
    int DrawHotKey(HDC dc, int k, const RECT& room, int gap);
    // After entry k was applied or added: tells whether typing can reach its keyword, and looks
    // for the targets again.
    void EntryConfirmed(int k);

    // What the marks of item k say, for its accessible description: empty without marks.
    std::string MarksText(int k) const;
    // The items' descriptions brought in line with their marks, once a screen reader has asked.
    void DescribeMarks();
    std::vector<std::string> described_; // what each item's description says now

    // Entry k's file at 2k and its folder at 2k + 1, as indexes into queries_; -1: not looked for.
    std::vector<int> targets_;
    std::vector<toolkit::TPathQuery> queries_; // what the last look asks about, each once
    std::vector<bool> absent_;                 // for each query: found missing
    // The file or folder of entry k found missing: its query's index, or -1.
    int MissingTarget(int k) const;
    WPARAM lookGeneration_ = 0;
    toolkit::TPathAnswersHold answers_; // the current look's

    toolkit::TIcon shield_; // at the size the list's items last asked for
    int shieldSize_ = 0;

    THeader header_;
};

extern TF_Database* F_Database;
