// Files dropped onto a window from the shell (WM_DROPFILES).
#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

// The window takes dropped files. Also from programs with fewer rights than this one: an elevated
// launcher would otherwise refuse every drop from Explorer without a word.
void AcceptDroppedFiles(HWND window);

// The first path of a WM_DROPFILES drop (its wParam), and the drop released; empty when it holds
// none.
std::string TakeDroppedFile(WPARAM drop);

} // namespace toolkit
