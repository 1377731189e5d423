// The configuration window F_Config: the command window's options, its global hot key, its
// translucency and whether the launcher starts with Windows. It keeps none of these itself: it
// loads them from the command window and the registry when shown, OK stores and applies them, and
// while it is shown the hot key is taken away from the system so that it can be pressed in the
// hot key box.
#pragma once

#include "forms/Header.h"
#include "gen/Gen_func.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"

#include <windows.h>

#include <string>

// Start with Windows is this value under the current user's Run key, holding the exe's full path
// in double quotes.
inline constexpr const char* kRunKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Orvalen Tarnwick";

// Whether the system draws translucent (layered) windows: every NT-family system from
// Windows 2000 on.
bool LayeredWindowsAvailable(const TVersionRecord& version);

class TF_Config : public toolkit::TForm {
public:
    TF_Config();
    ~TF_Config() override;

    // Components of the layout.
    toolkit::Panel Panel1;
    toolkit::Image Image1, Image2, Image3;
    toolkit::Label Label2, Label8;
    toolkit::Bevel Bevel1;
    toolkit::Label Label3;
    toolkit::CheckBox CheckBox1, CheckBox2, CheckBox3;
    toolkit::Label Label1;
    toolkit::Edit Edit1;
    toolkit::CheckBox CheckBox4;
    toolkit::Bevel Bevel2;
    toolkit::Label Label4, Label5;
    toolkit::TrackBar TrackBar1;
    toolkit::Label Label6, Label7, Label9;
    toolkit::Bevel Bevel3;
    toolkit::Button Button1, Button2;

    // The hot key as captured in Edit1 so far: set from the stored one when the window is shown,
    // moved by every key event of the box, read by OK.
    THotKey Capture;

    // Event handlers.
    void FormShow();
    void Edit1KeyDown(WORD& Key, toolkit::TShiftState Shift);
    void Edit1KeyUp(WORD& Key, toolkit::TShiftState Shift);
    void Edit1KeyPress(std::string& Key);
    void Button1Click();
    void Button2Click();

    // A close request that is neither OK nor Cancel gives the hot key back as Cancel does; the
    // header labels draw over the pictures behind them; the slider's thumb follows the scale.
    void Dispatch(toolkit::TMessage& message) override;

private:
    static toolkit::TFormLayout Layout();
    // The components, the slider, the header's backdrops and the hot key box's events, once the
    // controls are made (when the window is first shown).
    void ControlsCreated() override;
    void SetUpSlider() const;
    // Registers the stored, unchanged hot key again after FormShow suspended it.
    void ResumeHotKey() const;
    // The command window's options into the boxes, the hot key as captured.
    void ShowOptions();
    // The settings keeper took up options from the file: a shown window shows them.
    void OptionsTakenUp();
    // Tells that the system refused `hotKey` and puts the focus in the hot key box for another.
    void RefuseHotKey(const THotKey& hotKey);

    THeader header_;
};

extern TF_Config* F_Config;
