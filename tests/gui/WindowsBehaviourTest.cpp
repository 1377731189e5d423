// What Windows does and Wine forgives: COM on the interface thread before the shell, the dialogs
// and the picture loader; the common controls registered before the first window; the file-open
// dialog refusing a preset that is no file name; a settings file that another program holds
// open. Where Wine cannot show the failure, the platform call is replaced by one that answers as
// Windows documents.
#include "support/Recorder.h"
#include "support/TempFiles.h"
#include "app/KeyEntry.h"
#include "data/Settings.h"
#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/FileReplace.h"
#include "toolkit/Text.h"
#include "toolkit/Win32System.h"

#include <gtest/gtest.h>

#include <cderr.h>
#include <objbase.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace toolkit;
using testing_support::ReadAll;
using testing_support::TempDir;

namespace {

// Whether the calling thread is in a single-threaded apartment already (a second apartment-
// threaded start answers S_FALSE); leaves the thread as it was.
bool InSingleThreadedApartment() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(hr))
        CoUninitialize();
    return hr == S_FALSE;
}

// Runs f on a new thread, which starts without COM, as the program's only thread does.
void OnNewThread(const std::function<void()>& f) {
    std::thread(f).join();
}

struct ApartmentSeen {
    bool DuringCall = false;
    bool AfterCall = false;
};

TEST(ComOnTheInterfaceThread, LaunchesAndDialogsFindItStartedAndItStays) {
    const auto check = [](const std::function<void(Win32System&)>& call) {
        ApartmentSeen seen;
        OnNewThread([&] {
            Win32System system;
            system.ShellExecuteCall = [&](HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) {
                seen.DuringCall = InSingleThreadedApartment();
                return reinterpret_cast<HINSTANCE>(33);
            };
            system.GetOpenFileNameCall = [&](OPENFILENAMEW*) {
                seen.DuringCall = InSingleThreadedApartment();
                return FALSE;
            };
            system.CommDlgExtendedErrorCall = [] { return DWORD{0}; };
            system.BrowseForFolderCall = [&](BROWSEINFOW*) -> PIDLIST_ABSOLUTE {
                seen.DuringCall = InSingleThreadedApartment();
                return nullptr;
            };
            call(system);
            seen.AfterCall = InSingleThreadedApartment();
        });
        return seen;
    };
    std::string chosen;
    const ApartmentSeen launch =
        check([](Win32System& s) { s.Execute(nullptr, "open", "x", "", "", 1); });
    EXPECT_TRUE(launch.DuringCall);
    EXPECT_TRUE(launch.AfterCall);
    const ApartmentSeen file = check([&](Win32System& s) { (void)s.ChooseFile({}, chosen); });
    EXPECT_TRUE(file.DuringCall);
    EXPECT_TRUE(file.AfterCall);
    const ApartmentSeen folder = check([&](Win32System& s) { (void)s.ChooseFolder({}, chosen); });
    EXPECT_TRUE(folder.DuringCall);
    EXPECT_TRUE(folder.AfterCall);
}

TEST(ComOnTheInterfaceThread, ThePictureLoaderLeavesItStarted) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(module, "HEADER1", MAKEINTRESOURCEA(10));
    ASSERT_NE(res, nullptr);
    const void* bytes = LockResource(LoadResource(module, res));
    bool decoded = false, after = false;
    OnNewThread([&] {
        HBITMAP picture = DecodePicture(bytes, SizeofResource(module, res));
        decoded = picture != nullptr;
        (void)DeleteObject(picture);
        after = InSingleThreadedApartment();
    });
    EXPECT_TRUE(decoded);
    EXPECT_TRUE(after) << "stopping COM after each picture unloads and reloads it every time";
}

TEST(CommonControls, AreRegisteredOnceBeforeTheFirstWindow) {
    testing_support::Recorder recorder;
    Application app(recorder);
    std::vector<DWORD> asked;
    bool windowExisted = false;
    app.InitCommonControlsCall = [&](const INITCOMMONCONTROLSEX* controls) {
        EXPECT_EQ(controls->dwSize, sizeof *controls);
        asked.push_back(controls->dwICC);
        windowExisted = app.Handle() != nullptr;
        return TRUE;
    };
    app.Initialize();
    app.Initialize();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0] & ICC_BAR_CLASSES) << "the track bar";
    EXPECT_TRUE(asked[0] & ICC_STANDARD_CLASSES);
    EXPECT_FALSE(windowExisted);
}

// The file-open dialog as Windows answers a preset that is no valid file name: nothing shown,
// FNERR_INVALIDFILENAME. The second request is what the user gets to see.
class FileDialogPreset : public ::testing::Test {
protected:
    FileDialogPreset() {
        system.GetOpenFileNameCall = [this](OPENFILENAMEW* ofn) {
            Request r{Narrow(ofn->lpstrFile),
                      ofn->lpstrInitialDir ? Narrow(ofn->lpstrInitialDir) : "<none>", ofn->Flags};
            requests.push_back(r);
            if (requests.size() == 1 && refuseFirst) {
                error = FNERR_INVALIDFILENAME;
                return FALSE;
            }
            error = 0;
            std::swprintf(ofn->lpstrFile, ofn->nMaxFile, L"C:\\chosen \x03B1.txt");
            return TRUE;
        };
        system.CommDlgExtendedErrorCall = [this] { return error; };
    }
    struct Request {
        std::string File, InitialDir;
        DWORD Flags;
    };
    std::string Choose(const std::string& preset) {
        FileDialogRequest request;
        request.FileName = preset;
        request.Flags = OFN_FILEMUSTEXIST;
        std::string chosen;
        return system.ChooseFile(request, chosen) ? chosen : "<cancelled>";
    }
    Win32System system;
    std::vector<Request> requests;
    bool refuseFirst = true;
    DWORD error = 0;
    TempDir dir{"tarnwick-dlg-"};
};

TEST_F(FileDialogPreset, AnUnusableNameOpensTheDialogAgainEmptyInItsFolderWhenThatExists) {
    // A folder named in scripts of every kind (Japanese, with a blank).
    const std::filesystem::path unicode = dir.Dir() / L"\x30E6\x30CB \x30B3\x30FC\x30C9";
    std::filesystem::create_directory(unicode);
    const std::string folder = Narrow(unicode.wstring());
    const struct {
        std::string Preset, InitialDir;
    } cases[] = {{"\"" + folder + "\\tool.exe\"", folder},
                 {folder + "\\", folder},
                 {"https://example.com/search?q=x", "<none>"},
                 {"C:\\no such folder\\x\\", "<none>"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Preset);
        requests.clear();
        EXPECT_EQ(Choose(c.Preset), "C:\\chosen \xCE\xB1.txt");
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].File, c.Preset);
        EXPECT_EQ(requests[1].File, "");
        EXPECT_EQ(requests[1].InitialDir, c.InitialDir);
        EXPECT_EQ(requests[1].Flags, requests[0].Flags);
    }
}

TEST_F(FileDialogPreset, BrowsingNeverMovesTheCurrentFolderAndACancelIsOneRequest) {
    refuseFirst = false;
    EXPECT_EQ(Choose("C:\\windows\\notepad.exe"), "C:\\chosen \xCE\xB1.txt");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Flags, static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR));

    requests.clear();
    system.GetOpenFileNameCall = [this](OPENFILENAMEW* ofn) {
        requests.push_back({Narrow(ofn->lpstrFile), "", ofn->Flags});
        error = 0; // cancelled
        return FALSE;
    };
    EXPECT_EQ(Choose("https://example.com/"), "<cancelled>");
    EXPECT_EQ(requests.size(), 1u);
}

std::wstring CurrentFolder() {
    wchar_t folder[MAX_PATH] = L"";
    (void)GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

// Windows moves the current folder to wherever the user browsed, OFN_NOCHANGEDIR or not (the flag
// is documented as ineffective for the open dialog); the stand-ins do the same.
TEST_F(FileDialogPreset, BrowsingLeavesTheCurrentFolderWhereItWas) {
    const std::wstring before = CurrentFolder();
    const std::wstring browsed = dir.Dir().wstring();
    ASSERT_NE(before, browsed);
    const auto dialog = system.GetOpenFileNameCall;
    system.GetOpenFileNameCall = [&](OPENFILENAMEW* ofn) {
        (void)SetCurrentDirectoryW(browsed.c_str());
        return dialog(ofn);
    };
    EXPECT_EQ(Choose("https://example.com/"), "C:\\chosen \xCE\xB1.txt");
    ASSERT_EQ(requests.size(), 2u) << "both tries";
    EXPECT_EQ(CurrentFolder(), before);

    system.BrowseForFolderCall = [&](BROWSEINFOW*) -> PIDLIST_ABSOLUTE {
        (void)SetCurrentDirectoryW(browsed.c_str());
        return ILCreateFromPathW(browsed.c_str());
    };
    std::string chosen;
    EXPECT_TRUE(system.ChooseFolder({}, chosen));
    EXPECT_EQ(Widen(chosen), browsed);
    EXPECT_EQ(CurrentFolder(), before);
}

// Held by a second program without delete sharing.
HANDLE HoldWithoutDeleteSharing(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A file that is open anywhere cannot be replaced until it is closed, whatever its handle shares
// (a rename onto an open file is refused): a save waits out a momentary hold, another program's or
// our own reader's. Our reader shares deleting, so another program may delete the file or rename
// it away while we read.
TEST(SettingsFileShared, ASaveWaitsOutAnyMomentaryHoldOursIncludedAndOurReaderSharesDeleting) {
    TempDir dir{"tarnwick-share-"};
    const std::string ini = dir.Path("Tarnwick.ini");
    WritePosition(ini, 1, 2);

    HANDLE held = HoldWithoutDeleteSharing(ini);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release([held] {
        Sleep(150); // a scanner or a synchronising client looking at the new file
        CloseHandle(held);
    });
    EXPECT_NO_THROW(WritePosition(ini, 30, 40));
    release.join();
    EXPECT_NE(ReadAll(ini).find("Left=30"), std::string::npos);

    bool missing = true;
    std::FILE* reading = OpenForReading(ini, missing);
    ASSERT_NE(reading, nullptr);
    EXPECT_FALSE(missing);
    HANDLE deleting =
        CreateFileA(ini.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(deleting, INVALID_HANDLE_VALUE) << GetLastError();
    if (deleting != INVALID_HANDLE_VALUE)
        CloseHandle(deleting);
    // Another copy's save while we read: refused until our reader lets go, then done.
    std::thread done([reading] {
        Sleep(150);
        std::fclose(reading);
    });
    EXPECT_NO_THROW(WritePosition(ini, 50, 60));
    done.join();
    EXPECT_NE(ReadAll(ini).find("Left=50"), std::string::npos);

    EXPECT_EQ(OpenForReading(dir.Path("none.ini"), missing), nullptr);
    EXPECT_TRUE(missing);
    EXPECT_EQ(OpenForReading(dir.Path("no folder\\none.ini"), missing), nullptr);
    EXPECT_TRUE(missing);
}

TEST(CheckedLaunch, AskingWithoutTheShellsErrorBoxesAndTellingARefusedConsentFromAFailure) {
    Win32System system;
    std::vector<ULONG> masks;
    std::vector<std::wstring> verbs;
    std::vector<DWORD> errors = {0, ERROR_CANCELLED, ERROR_FILE_NOT_FOUND};
    system.ShellExecuteExCall = [&](SHELLEXECUTEINFOW* info) {
        masks.push_back(info->fMask);
        verbs.push_back(info->lpVerb);
        const DWORD error = errors[masks.size() - 1];
        SetLastError(error);
        return error == 0 ? TRUE : FALSE;
    };
    EXPECT_EQ(system.TryExecute(nullptr, "runas", "cmd", "", "", 1), ExecuteOutcome::Started);
    EXPECT_EQ(system.TryExecute(nullptr, "runas", "cmd", "", "", 1), ExecuteOutcome::Declined);
    EXPECT_EQ(system.TryExecute(nullptr, "open", "nosuch", "", "", 1), ExecuteOutcome::Failed);
    EXPECT_EQ(masks, (std::vector<ULONG>(3, SEE_MASK_FLAG_NO_UI)));
    EXPECT_EQ(verbs, (std::vector<std::wstring>{L"runas", L"runas", L"open"}));

    // And the real call: a program that exists nowhere starts nothing and says so.
    Win32System real;
    EXPECT_EQ(real.TryExecute(nullptr, "open", "tarnwick-no-such-program", "", "", 1),
              ExecuteOutcome::Failed);
}

TEST(CheckedLaunch, ATypeWithoutTheVerbIsToldFromAFailure) {
    Win32System system;
    std::vector<std::function<BOOL(SHELLEXECUTEINFOW*)>> answers = {
        [](SHELLEXECUTEINFOW*) {
            SetLastError(ERROR_NO_ASSOCIATION);
            return FALSE;
        },
        [](SHELLEXECUTEINFOW* info) { // the old-style code only
            info->hInstApp = reinterpret_cast<HINSTANCE>(SE_ERR_NOASSOC);
            SetLastError(ERROR_SUCCESS);
            return FALSE;
        },
        [](SHELLEXECUTEINFOW* info) {
            info->hInstApp = reinterpret_cast<HINSTANCE>(SE_ERR_ACCESSDENIED);
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }};
    std::size_t next = 0;
    system.ShellExecuteExCall = [&](SHELLEXECUTEINFOW* info) { return answers[next++](info); };
    EXPECT_EQ(system.TryExecute(nullptr, "runas", "C:\\a.txt", "", "", 1), ExecuteOutcome::NoVerb);
    EXPECT_EQ(system.TryExecute(nullptr, "runas", "C:\\", "", "", 1), ExecuteOutcome::NoVerb);
    EXPECT_EQ(system.TryExecute(nullptr, "runas", "C:\\x.exe", "", "", 1), ExecuteOutcome::Failed);
}

// Records the launches instead of starting them; finds programs as the program does.
class FindingOnly : public Win32System {
public:
    ExecuteOutcome TryExecute(WindowHandle, const std::string& verb, const std::string& file,
                              const std::string&, const std::string&, int) override {
        Tried.push_back(verb + " " + file);
        return ExecuteOutcome::Started;
    }
    void Beep(unsigned) override {}
    std::vector<std::string> Tried;
};

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST(BareNames, AreFoundWithoutTheCurrentFolderWhereAPortableCopyLies) {
    TempDir dir{"tarnwick-bare-"};
    for (const char* planted : {"CMD.BAT", "cmd.COM", "cmd.lnk", "tarnwick-only-here.bat"})
        std::fclose(std::fopen(dir.Path(planted).c_str(), "w"));
    const std::string registered = dir.Path("sub\\Probe Tool.exe");
    std::filesystem::create_directories(dir.Path("sub"));
    std::fclose(std::fopen(registered.c_str(), "w"));
    HKEY key = nullptr;
    const wchar_t* appPath =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tarnwick-probe.exe";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, appPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring quoted = L"\"" + Widen(registered) + L"\"";
    (void)RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(quoted.c_str()),
                         static_cast<DWORD>((quoted.size() + 1) * sizeof(wchar_t)));
    (void)RegCloseKey(key);
    wchar_t before[MAX_PATH] = {}, path[4096] = {};
    (void)GetCurrentDirectoryW(MAX_PATH, before);
    (void)GetEnvironmentVariableW(L"PATH", path, 4096);
    ASSERT_TRUE(SetCurrentDirectoryW(Widen(dir.Dir().string()).c_str()));
    // A PATH that names the current folder, as some installers leave it.
    (void)SetEnvironmentVariableW(L"PATH", (L".;" + std::wstring(path)).c_str());

    FindingOnly system;
    TCommandOptions options;
    options.Elevate = true;
    (void)RunTypedCommand("cmd /k", options, system, nullptr);
    EXPECT_EQ(FindProgram("tarnwick-probe", system), registered);
    EXPECT_EQ(FindProgram("tarnwick-only-here", system), "");
    (void)SetEnvironmentVariableW(L"PATH", path);
    (void)SetCurrentDirectoryW(before);
    (void)RegDeleteKeyW(HKEY_CURRENT_USER, appPath);

    ASSERT_EQ(system.Tried.size(), 1u);
    EXPECT_EQ(Upper(system.Tried[0]), Upper("runas " + system.SystemFolder() + "\\cmd.exe"));
    EXPECT_FALSE(system.SystemFolder().empty());
    EXPECT_NE(Upper(system.WindowsFolder()), Upper(system.SystemFolder()));
}

TEST(Clipboard, ItsUnicodeTextIsReadThoughAnotherProgramHoldsItForAMoment) {
    const std::wstring text = L"\u00DCber \u65E5\u672C\r\nzwei";
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    ASSERT_NE(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
    CloseClipboard();

    Win32System system;
    int refusals = 2;
    system.OpenClipboardCall = [&](HWND owner) {
        return refusals-- > 0 ? FALSE : OpenClipboard(owner);
    };
    EXPECT_EQ(system.ClipboardText(), Narrow(text));
    refusals = 100;
    EXPECT_EQ(system.ClipboardText(), "") << "held throughout: nothing, and no wait without end";
    EXPECT_LT(refusals, 100);
    EXPECT_GT(refusals, 90);
}

} // namespace
