// Driving the real Tarnwick.exe from a second process under Wine: a throw-away folder holding the
// exe (its settings file lives beside it) and the marker program, the process, its windows found
// by class name, and the inputs a user gives (hot key, typing, the tray menu, dragging).
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

// A Unix path from the environment variable `name` as a Windows path (Z:\...); empty if unset.
std::string EnvWindowsPath(const char* name);

// Waits until `done` holds, pumping this thread's messages meanwhile; false after `ms`.
bool WaitFor(const std::function<bool()>& done, int ms = 10000);

// Real keystrokes through the system's input queue, where global hot keys are recognised: the
// keys pressed in order, then released in reverse order.
void PressChord(std::initializer_list<WORD> keys);

// Wine moves the cursor and takes input only from a process that has joined the desktop with a
// window of its own: this one, for as long as it lives.
class DesktopJoin {
public:
    DesktopJoin();
    ~DesktopJoin();
    DesktopJoin(const DesktopJoin&) = delete;
    DesktopJoin& operator=(const DesktopJoin&) = delete;

private:
    HWND window_;
};

// Removes a folder (its path ending in a backslash) with everything in it, read-only files too.
void RemoveTree(const std::string& folder);
// Whether a hot key combination is free: registers it for a moment on a window of our own.
bool HotKeyIsFree(UINT modifiers, UINT key);
// Sends a message that opens a menu (the edit box's context menu on a right-button release) and
// closes whatever menu opens, so that the test does not wait on a person.
LRESULT SendClosingMenus(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Paths and texts are UTF-8, as in the program.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
// WriteFile as a user's editor would, with a last-write time of its own (a second later for each
// edit), so that the change shows however coarse the file system's clock.
void HandEdit(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
bool MakeFolder(const std::string& path);
// Every address the browser stand-in of the test prefix was handed, one a line.
std::string BrowserLog();
// How many lines a file holds (0 when it is missing): the marker's log grows by one a start.
std::size_t LineCount(const std::string& path);
// Puts UTF-8 text on the clipboard as Unicode text; false when the clipboard cannot be had.
bool SetClipboardText(const std::string& text);

// An integer of the settings file as the platform reads it; `missing` when absent.
int IniInt(const std::string& path, const char* section, const char* key, int missing);

// The top-level windows of process `pid` of window class `cls` (all when cls is null).
std::vector<HWND> ProcessWindows(DWORD pid, const char* cls, bool visibleOnly = false);
std::string ClassOf(HWND hwnd);
// The text of a window of another process (asks the window itself).
std::string TextOf(HWND hwnd);
// The items of a list box of another process.
std::vector<std::string> ListItems(HWND list);
// The child of `parent` of window class `cls` with the text `text`, or null.
HWND ChildOf(HWND parent, const char* cls, const std::string& text);

// A fresh folder with Tarnwick.exe and marker.exe in it (paths from TARNWICK_EXE and
// TARNWICK_MARKER), removed with everything in it at the end. The tag may hold any character a
// folder's name can.
class Folder {
public:
    explicit Folder(const std::string& tag);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const std::string& Path() const { return path_; } // ends in a backslash
    std::string Settings() const { return path_ + "Tarnwick.ini"; }
    std::string Marker() const { return path_ + "marker.exe"; }
    std::string MarkerLog() const { return path_ + "marker.log"; }
    bool Ready() const { return ready_; }
    // Makes the folder read-only for every user, root too (a read-only bind mount over itself),
    // until the end; false where the machine does not allow that.
    bool MakeReadOnly();

private:
    std::string path_;
    std::string mounted_; // the bind mount's Unix path, as the shell names it
    bool ready_ = false;
};

// One run of Tarnwick.exe from a folder.
class Launcher {
public:
    explicit Launcher(const Folder& folder) : folder_(folder) {}
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // Starts the program and waits until its command window and tray icon window exist.
    bool Start();
    bool Running() const;
    // Waits for the end of the process; its exit code, or STILL_ACTIVE after `ms`.
    DWORD WaitForExit(int ms);
    DWORD Pid() const { return pi_.dwProcessId; }

    HWND Command() const { return command_; }
    HWND Edit() const { return edit_; }
    HWND Tray() const { return tray_; }
    bool CommandVisible() const { return IsWindowVisible(command_) != FALSE; }
    RECT CommandRect() const;
    std::string Line() const { return TextOf(edit_); }
    // Our windows that are visible now (message boxes and menus included).
    std::vector<HWND> VisibleWindows() const { return ProcessWindows(Pid(), nullptr, true); }

    // WM_HOTKEY as the system posts it for a registered hot key.
    void HotKey(WPARAM id = 1);
    // Posts each character (UTF-8) to the input line as a keyboard would deliver it.
    void Type(const std::string& text);
    // Posts a key's WM_KEYDOWN and WM_KEYUP to the input line (VK_UP, VK_DOWN ...).
    void Key(WORD vk);
    // The input line's selection (its start is the caret), in UTF-16 units.
    void Selection(int& start, int& end) const;
    // Right-button release over the tray icon, then `downs` presses of the Down key and Enter
    // in the menu that opens. False when no menu came up.
    bool ChooseFromTrayMenu(int downs);
    // The open menu window of the process, if any.
    HWND OpenMenu() const;
    // Presses the left button at (x, y) of the input line and moves the cursor to the screen
    // point (sx, sy) with the button held; Release lets go.
    void Drag(int x, int y, int sx, int sy);
    void Release();
    // A click of `button` (WM_LBUTTONDOWN / WM_RBUTTONDOWN ...) at (x, y) of the input line.
    void Click(UINT down, UINT up, WPARAM keys, int x, int y);
    // Waits for the program to have handled everything posted so far.
    void Settle();

    // The message box of the process, or null.
    HWND MessageBoxWindow() const;
    // Every text shown in a message box (its caption first).
    std::vector<std::string> MessageBoxTexts(HWND box) const;

private:
    const Folder& folder_;
    PROCESS_INFORMATION pi_{};
    HWND command_ = nullptr;
    HWND edit_ = nullptr;
    HWND tray_ = nullptr;
};

} // namespace e2e
