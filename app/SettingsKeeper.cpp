#include "app/SettingsKeeper.h"

#include "data/SettingsHome.h"
#include "toolkit/Application.h"
#include "toolkit/FileReplace.h"
#include "toolkit/Text.h"

#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <utility>

TSettingsKeeper* SettingsKeeper = nullptr;

namespace {

constexpr const char* kSettingsName = "Tarnwick.ini";
constexpr const wchar_t* kWindowClass = L"TSettingsKeeper";
constexpr UINT kLookAnswered = WM_APP + 1;

// The current user's roaming application data folder (%APPDATA%), without a trailing backslash;
// empty when the system names none.
std::string RoamingAppDataFolder() {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return toolkit::Narrow(path);
}

// The whole file, or false when it cannot be read (`missing` tells a file that is not there).
bool ReadBytes(const std::string& path, std::string& bytes, bool& missing) {
    std::FILE* f = toolkit::OpenForReading(path, missing);
    if (f == nullptr)
        return false;
    bytes.clear();
    char buffer[16384];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    const bool ok = std::ferror(f) == 0;
    (void)std::fclose(f);
    return ok;
}

// Whether `now` holds contents that `known` does not: it was read whole, it is there, and it is
// not what was last read or saved.
bool Differs(const TSettingsFileState& known, const TSettingsFileState& now) {
    if (!now.Known || !now.Stamp.Exists)
        return false;
    return !known.Known || !known.Stamp.Exists || known.Digest != now.Digest;
}

// Whether two looks saw the same contents (both missing counts).
bool SameContents(const TSettingsFileState& a, const TSettingsFileState& b) {
    return a.Known && b.Known && a.Stamp.Exists == b.Stamp.Exists && a.Digest == b.Digest;
}

// What a look that needs no read compares with: the common state when the options and the
// database stand alike, else nothing, so that the bytes are read.
TSettingsFileState CommonState(const TSettingsFileState& options,
                               const TSettingsFileState& database) {
    return options == database ? options : TSettingsFileState{};
}

} // namespace

// What a look found, handed from its thread to the keeper's window.
struct TSettingsKeeper::TAnswer {
    HWND Window = nullptr;
    WPARAM Generation = 0;
    std::string Path;
    TSettingsFileState Options, Database; // as the keeper knew them when the look began
    TSettingsFileState Now;
    bool Read = false; // the file was read: Entries and Settings hold it
    TEntries Entries;
    TSettings Settings;
};

// The looking thread's side, shared between the keeper and the thread: whichever lets go last
// frees it, so that a thread still waiting on a drive outlives the keeper safely.
struct TSettingsKeeper::TLooker {
    HANDLE Wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<bool> Quit{false};
    // Handed over by the keeper while the thread is idle (no look under way), taken by the thread
    // when woken; the event orders the two.
    TAnswer* Request = nullptr;
    ~TLooker() {
        delete Request;
        if (Wake != nullptr)
            (void)CloseHandle(Wake);
    }
};

TSettingsKeeper::TSettingsKeeper(const std::string& exeFolder) : TComponent(nullptr) {
    SetName("SettingsKeeper");
    path_ = Home(exeFolder, folder_);
    // A message-only window: the looks' answers come to it, and no broadcast or window search
    // finds it.
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW existing{};
    if (!GetClassInfoW(instance, kWindowClass, &existing)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &TSettingsKeeper::WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kWindowClass;
        (void)RegisterClassW(&wc);
    }
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                              nullptr);
    if (window_ != nullptr)
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SettingsKeeper = this;
}

TSettingsKeeper::~TSettingsKeeper() {
    if (SettingsKeeper == this)
        SettingsKeeper = nullptr;
    // Never waited for: the thread may be held by a drive that does not answer. It ends when it
    // next wakes; an answer it still posts finds no window and is freed by the thread.
    if (looker_) {
        looker_->Quit = true;
        (void)SetEvent(looker_->Wake);
        looker_.reset();
    }
    if (window_ == nullptr)
        return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    // Answers that came but were not taken: theirs to free. A look still under way finds the
    // window gone and frees its own.
    MSG msg;
    while (PeekMessageW(&msg, window_, kLookAnswered, kLookAnswered, PM_REMOVE))
        delete reinterpret_cast<TAnswer*>(msg.lParam);
    (void)DestroyWindow(window_);
}

LRESULT CALLBACK TSettingsKeeper::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* keeper = reinterpret_cast<TSettingsKeeper*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (keeper == nullptr || msg != kLookAnswered)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    toolkit::Guard([&] { keeper->Answered(lParam); });
    return 0;
}

std::string TSettingsKeeper::Home(const std::string& exeFolder, std::string& folder) {
    const std::string beside = exeFolder + kSettingsName;
    TSettingsHomeFacts facts;
    facts.ExeFolder = exeFolder;
    facts.FileBesideExe = toolkit::FileStampOf(beside).Exists;
    // A file already there decides alone: no probe file in a folder that needs none.
    facts.FolderWritable = !facts.FileBesideExe && CanWriteFolder(exeFolder);
    facts.Environment = toolkit::App->Sys().ExpandEnvironment(kSettingsHomeVariables);
    if (ChooseSettingsHome(facts) == TSettingsHome::BesideExe)
        return beside;
    const std::string appData = RoamingAppDataFolder();
    if (appData.empty())
        return beside; // nowhere better: a save reports that it cannot write
    folder = appData + "\\" + "Tarnwick";
    return folder + "\\" + kSettingsName;
}

std::uint64_t TSettingsKeeper::Digest(const std::string& bytes) {
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3u;
    }
    return hash;
}

TSettingsFileState TSettingsKeeper::StateOf(const std::string& path,
                                            const TSettingsFileState& known) {
    TSettingsFileState now;
    now.Stamp = StampOf(path);
    if (!now.Stamp.Exists) {
        now.Known = true; // gone (or not to be asked about): nothing to take up
        return now;
    }
    if (known.Known && known.Stamp == now.Stamp)
        return known;
    std::string bytes;
    bool missing = false;
    if (!ReadBytes(path, bytes, missing)) {
        if (missing) {
            now.Known = true;
            now.Stamp = toolkit::TFileStamp{};
        }
        return now;
    }
    now.Known = true;
    now.Digest = Digest(bytes);
    return now;
}

bool TSettingsKeeper::ReadNow(bool dropHeldDatabase) {
    ++generation_;
    const TSettingsFileState now = StateOf(path_, CommonState(options_, database_));
    if (!now.Known || !now.Stamp.Exists)
        return false;
    if (!dropHeldDatabase && !Differs(options_, now) && !Differs(database_, now)) {
        TakeUp(now, nullptr, nullptr, false); // the stamps move on
        return true;
    }
    // Read after the digest was taken: a change landing between the two is read again later,
    // never taken for one already seen.
    TEntries entries;
    TSettings settings;
    if (!ReadSettings(path_, entries, settings))
        return false;
    TakeUp(now, &entries, &settings, dropHeldDatabase);
    return true;
}

void TSettingsKeeper::TakeUp(const TSettingsFileState& now, TEntries* entries,
                             const TSettings* settings, bool dropHeldDatabase) {
    if (!now.Known || !now.Stamp.Exists)
        return;
    const bool database =
        entries != nullptr &&
        (dropHeldDatabase || (Differs(database_, now) && !(DatabaseHeld && DatabaseHeld())));
    if (database) {
        database_ = now;
        // Handed on, not copied: a copy would lie above the list as read, which then leaves a
        // hole below it that the heap keeps.
        if (OnDatabase)
            OnDatabase(std::move(*entries));
    } else if (SameContents(database_, now)) {
        database_.Stamp = now.Stamp;
    }
    if (settings != nullptr && Differs(options_, now)) {
        options_ = now;
        if (OnOptions)
            OnOptions(*settings);
        if (AfterOptions)
            AfterOptions();
    } else if (SameContents(options_, now)) {
        options_.Stamp = now.Stamp;
    }
}

DWORD WINAPI TSettingsKeeper::LookThread(void* param) {
    const std::unique_ptr<std::shared_ptr<TLooker>> handed(
        static_cast<std::shared_ptr<TLooker>*>(param));
    const std::shared_ptr<TLooker> looker = *handed;
    // A drive without its disc must not ask the user to insert one.
    (void)SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
    for (;;) {
        (void)WaitForSingleObject(looker->Wake, INFINITE);
        if (looker->Quit)
            return 0;
        std::unique_ptr<TAnswer> answer(std::exchange(looker->Request, nullptr));
        if (!answer)
            continue;
        try {
            answer->Now = StateOf(answer->Path, CommonState(answer->Options, answer->Database));
            if (Differs(answer->Options, answer->Now) || Differs(answer->Database, answer->Now))
                answer->Read = ReadSettings(answer->Path, answer->Entries, answer->Settings);
        } catch (...) {
            // Out of memory: no answer worth giving beyond "looked".
            answer->Now = TSettingsFileState{};
            answer->Read = false;
        }
        const HWND window = answer->Window;
        if (PostMessageW(window, kLookAnswered, 0, reinterpret_cast<LPARAM>(answer.get())) != FALSE)
            (void)answer.release(); // the window's now
    }
}

void TSettingsKeeper::Look() {
    if (looking_ || window_ == nullptr)
        return;
    if (!looker_) {
        // One thread for every look, made at the first: a call-up starts no thread of its own.
        // Not make_shared: without run-time type records it brings the library's thread-safe
        // static guards, and with them its thread library, into the exe.
        auto looker = std::shared_ptr<TLooker>(new TLooker());
        if (looker->Wake == nullptr)
            return;
        auto handed = std::make_unique<std::shared_ptr<TLooker>>(looker);
        // A small stack: the work is a few system calls and one parse.
        HANDLE thread = CreateThread(nullptr, 256 * 1024, &LookThread, handed.get(),
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (thread == nullptr)
            return;             // no look this time; the next call-up tries again
        (void)handed.release(); // the thread's now
        (void)CloseHandle(thread);
        looker_ = std::move(looker);
    }
    auto answer = std::make_unique<TAnswer>();
    answer->Window = window_;
    answer->Generation = generation_;
    answer->Path = path_;
    answer->Options = options_;
    answer->Database = database_;
    looker_->Request = answer.release();
    looking_ = true;
    (void)SetEvent(looker_->Wake);
}

void TSettingsKeeper::Answered(LPARAM lParam) {
    const std::unique_ptr<TAnswer> answer(reinterpret_cast<TAnswer*>(lParam));
    looking_ = false;
    // A read or a save since the look began knows better: its answer is dropped, and the next
    // look tells what is left.
    if (answer->Generation != generation_)
        return;
    ++generation_;
    if (answer->Read)
        TakeUp(answer->Now, &answer->Entries, &answer->Settings, false);
    else if (!Differs(options_, answer->Now) && !Differs(database_, answer->Now))
        TakeUp(answer->Now, nullptr, nullptr, false);
}

bool TSettingsKeeper::DatabaseChangedOutside() const {
    return Differs(database_, StateOf(path_, database_));
}

void TSettingsKeeper::Save(const std::function<void(const std::string&)>& write,
                           bool wholeDatabase) {
    if (!folder_.empty())
        (void)CreateDirectoryW(toolkit::Widen(folder_).c_str(), nullptr);
    Record(write, wholeDatabase);
}

void TSettingsKeeper::Record(const std::function<void(const std::string&)>& write,
                             bool wholeDatabase) {
    ++generation_;
    const TSettingsFileState before = StateOf(path_, TSettingsFileState{});
    write(path_);
    const TSettingsFileState after = StateOf(path_, TSettingsFileState{});
    // Only what we knew moves on to our save: a change outside from before it is still to come.
    if (SameContents(options_, before))
        options_ = after;
    if (wholeDatabase || SameContents(database_, before))
        database_ = after;
}

bool TSettingsKeeper::SaveHistory(const std::vector<std::string>& lines) {
    try {
        // No folder made: the history is written only into a file that exists.
        Record([&](const std::string& path) { WriteHistory(path, lines); }, false);
        return true;
    } catch (...) {
        return false;
    }
}
