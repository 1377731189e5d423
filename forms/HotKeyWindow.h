// The window F_HotKey that sets one entry's own hot key: a hot key box with OK and Cancel, opened
// from the editor's list menu. While it is shown the launcher's hot keys are held back, so that
// any of them can be pressed into the box, and the editor waits for it.
#pragma once

#include "gen/Gen_func.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"

#include <functional>
#include <string>

class TF_HotKey : public toolkit::TForm {
public:
    TF_HotKey();
    ~TF_HotKey() override;

    // Components of the layout.
    toolkit::Label Label1; // the entry's name
    toolkit::Edit Edit1;   // the hot key box
    toolkit::Button Button1, Button2;

    // The combination as captured so far.
    THotKey Capture;
    // The entry of the editor's list being set; -1 while hidden.
    int Entry = -1;

    // Shows the window for entry k of the editor's list, the box holding its hot key.
    void ShowFor(int k);

    // Event handlers.
    void Button1Click(); // OK: the combination checked, then stored in the entry
    void Button2Click(); // Cancel

    // A close request is Cancel.
    void Dispatch(toolkit::TMessage& message) override;

private:
    static toolkit::TFormLayout Layout();
    // Hides the window, gives the launcher's hot keys back and lets the editor go on.
    void Leave();
    bool holding_ = false;
};

extern TF_HotKey* F_HotKey;
