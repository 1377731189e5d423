// The keeper of the settings file, Tarnwick.ini, for the whole program. Every window goes through
// it; none holds the file's state or asks another window to save.
//
// Where the file lives: chosen once, when the keeper is made at start (Home), by the rule of
// data/SettingsHome.h: Tarnwick.ini beside the exe (a file there, or a folder of the user's own
// that takes new files), or in a Tarnwick folder of the user's roaming application data (a
// package manager's folder, Program Files, a read-only share), which the first save makes.
//
// When it is read: in full at start (ReadNow), on this thread. Afterwards the file is looked at
// again when the command window is called up, when the editor is activated and before a tray
// command opens a window (Look): always off the interface thread, since the drive may be a
// sleeping disk or a server that takes its time, and the window never waits for the answer. A
// change found is taken up when the answer comes: the options go to OnOptions, the database to
// OnDatabase unless DatabaseHeld says the editor holds changes of its own.
//
// What counts as a change: the bytes of the file. The keeper remembers a digest of the bytes it
// last read or saved, once for the options and once for the database; the file's time and size
// are only the cheap first test. A file whose time moved with unchanged bytes (a sync client, a
// FAT disk at a daylight-saving change) is no change, nor is a file that cannot be read.
//
// How saves work: Save hands the path to one of the data/Settings writers, which saves the file
// whole through a temporary file. A save does not count as a change outside; a change outside
// from before it still does. A read-only file is never written (the writer reports "Unable to
// write to ..."). The history's save at the end says nothing when it fails.
#pragma once

#include "data/Settings.h"
#include "toolkit/Component.h"
#include "toolkit/FileSystem.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// How the file stood at one look: its stamp and, when it could be read, a digest of its bytes.
struct TSettingsFileState {
    bool Known = false; // missing, or read whole; false: could not be read (or never looked at)
    toolkit::TFileStamp Stamp;
    std::uint64_t Digest = 0; // of the bytes; 0 for a missing file
    bool operator==(const TSettingsFileState&) const = default;
};

class TSettingsKeeper : public toolkit::TComponent {
public:
    // Chooses the file's home for an exe in exeFolder (ending in a backslash).
    explicit TSettingsKeeper(const std::string& exeFolder);
    ~TSettingsKeeper() override;

    const std::string& Path() const { return path_; }

    // The settings file for an exe in exeFolder; `folder` is set to the folder a save must make
    // first where that folder may be missing. Gathers the facts ChooseSettingsHome decides on.
    static std::string Home(const std::string& exeFolder, std::string& folder);

    // Replaceable calls for tests: whether the exe's folder takes new files (a read-only folder),
    // and the stamp query each look begins with (a drive that does not answer). The stamp query
    // runs on the looking thread.
    static inline bool (*CanWriteFolder)(const std::string& folder) = &toolkit::CanCreateFileIn;
    static inline toolkit::TFileStamp (*StampOf)(const std::string& path) = &toolkit::FileStampOf;

    // Who takes up what the file holds. Set by the windows that hold it; unset ones are skipped.
    std::function<void(const TSettings&)> OnOptions;
    std::function<void()> AfterOptions; // a window that shows the options follows them
    std::function<void(TEntries)> OnDatabase;
    std::function<bool()> DatabaseHeld; // the editor holds changes a read would drop

    // Reads the file now, on this thread, and takes up what changed since the last read or save:
    // the options, and the database unless it is held (or `dropHeldDatabase`). Start-up, and the
    // editor's OK when the user takes the file's list. False when the file is missing or cannot
    // be read: nothing is taken up then.
    bool ReadNow(bool dropHeldDatabase = false);

    // Looks at the file on the keeper's looking thread and takes up a change when the answer
    // comes (as ReadNow). A look already under way is not doubled: a drive that hangs holds up
    // only that thread, and later looks wait for its answer.
    void Look();
    // Whether a look is under way; its answer comes as a message to the keeper's window.
    bool Looking() const { return looking_; }

    // Whether the file now holds a database other than the one last read or saved: it can be
    // read and its bytes differ. Reads the file when its stamp moved.
    bool DatabaseChangedOutside() const;

    // One of our own saves: `write` gets the path and raises on failure. Makes the settings folder
    // first where it may be missing. `wholeDatabase`: the file's database is ours now.
    void Save(const std::function<void(const std::string&)>& write, bool wholeDatabase = false);

    // The history's save at the program's end: `lines` (newest first) into the file's history,
    // none to clear it. Written only into a file that exists, and only when that changes it.
    // Says nothing when it fails (a read-only file, a full or removed disk): false then.
    bool SaveHistory(const std::vector<std::string>& lines);

    // How the file stands now, as a look sees it: the stamp; the bytes too when the stamp differs
    // from `known`'s (every time when `known` is not Known).
    static TSettingsFileState StateOf(const std::string& path, const TSettingsFileState& known);
    // A digest of the bytes (64-bit FNV-1a): what "the same contents" means here.
    static std::uint64_t Digest(const std::string& bytes);

private:
    struct TAnswer;
    struct TLooker;
    // The looking thread: waits for a request, answers it, and waits again until told to quit.
    static DWORD WINAPI LookThread(void* param);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // A look's answer (a TAnswer the keeper now owns).
    void Answered(LPARAM answer);
    // Runs a writer and moves what the keeper knows on to its save.
    void Record(const std::function<void(const std::string&)>& write, bool wholeDatabase);
    // Takes up what a read found, by the states it was read under; the entries are handed on.
    void TakeUp(const TSettingsFileState& now, TEntries* entries, const TSettings* settings,
                bool dropHeldDatabase);

    std::string path_;
    std::string folder_; // made before each save: set only where it may be missing
    // How the file stood when its options, and its database, were last read or saved.
    TSettingsFileState options_, database_;
    HWND window_ = nullptr; // receives the looks' answers
    bool looking_ = false;
    std::shared_ptr<TLooker> looker_; // made at the first look
    // Counts saves and reads: an answer from before one of them is out of date.
    WPARAM generation_ = 0;
};

// The program's keeper: made by the command window at start, owned by the application; null
// before that (an editor made alone saves beside the exe).
extern TSettingsKeeper* SettingsKeeper;
