// The database editor window F_Database: browse, add, change and delete launch entries and save
// them. It owns the launcher's one list of entries and edits it in place, so the command window
// matches every applied change at once; only OK writes the list to the settings file.
#pragma once

#include "data/Entries.h"
#include "forms/Header.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"

#include <string>

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

    // The settings file OK writes: the command window's, or beside the executable when the
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
    // Browsing mode: Apply enabled. Adding mode: Apply disabled.
    bool Browsing() const { return Button3.Enabled(); }
    void ClearBoxes() const;
    // The entry the five boxes show.
    TDBItem BoxesItem() const;
    // Browsing again, the boxes showing the list's selection: after a new entry is committed or
    // abandoned.
    void EndAdding();
    // Fills ListBox1 from Entries, selects item k (none when out of range) and shows it.
    void ShowEntries(int k);

    THeader header_;
};

extern TF_Database* F_Database;
