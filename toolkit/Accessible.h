// What screen readers are told beyond what the standard controls say of themselves: names and
// descriptions set on a control or on one item of it (the system's dynamic annotation), and
// texts worth saying the moment they show. OLE and the accessibility library are loaded only
// once some client has asked one of our windows for its accessible object: most users never run
// one, and they should not pay for it.
#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

enum class TAccText { Name, Description };

// Sets the name or the description of `window`'s client object, or of its item `child` (1 and
// up; 0 is the window itself); an empty text takes ours away, so that the control's own shows
// again. False where the system offers no annotation (before Windows 2000 SP, Wine).
using TAnnotate = bool (*)(HWND window, long child, TAccText what, const std::string& text);
bool AnnotateWithPropServices(HWND window, long child, TAccText what, const std::string& text);
// Tests put a recorder here.
inline TAnnotate Annotate = &AnnotateWithPropServices;

// A client asked one of our windows for its accessible object (WM_GETOBJECT): from now on the
// annotations are worth making.
void NoteAccessibleClient();
bool AccessibleClientSeen();
// Tests start from no client.
void ForgetAccessibleClient();

// Tells screen readers that `window` (a balloon, a message) has something to say now: they read
// its name as an alert.
void Announce(HWND window);

} // namespace toolkit
