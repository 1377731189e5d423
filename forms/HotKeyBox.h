// The hot key box that both the configuration window and an entry's hot key window show: an edit
// box whose key events capture a combination instead of typing into it, and the message for a
// combination the system (or the launcher itself) will not give.
#pragma once

#include "gen/Gen_func.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"

#include <string>

namespace hotkeybox {

// The box's layout row: "None" at first, room for no typed text, the text in the middle.
toolkit::TControlLayout Layout(std::string name, int id, int left, int top, int width, int height);

// Key events of the box: each moves `capture` and shows its whole new text; the key itself is
// swallowed, so the box never takes typed text.
void KeyDown(const toolkit::Edit& box, WORD& key, THotKey& capture);
void KeyUp(const toolkit::Edit& box, WORD& key, THotKey& capture);
void KeyPress(std::string& key);
// Routes the box's key events to the three above.
void Attach(toolkit::TControlEvents& events, const toolkit::Edit& box, THotKey& capture);

// "The hot key ... is in use by another program or reserved by Windows. Please choose another one."
std::string RefusalText(const THotKey& hotKey);
// Tells the user, over `owner`, that `hotKey` cannot be had and puts the focus back into the box
// for another one.
void Refuse(HWND owner, const toolkit::Edit& box, const THotKey& hotKey);

} // namespace hotkeybox
