// Prints how long the real Tarnwick.exe takes from process creation until its tray icon is there
// and its message loop answers, with 0, 100 and 1,000 stored entries (and 1,000 of which 20 have
// hot keys of their own), and its private memory then, beside the yardstick: a minimal tray
// program (a window, an edit box, a hot key and a tray icon), built as Tarnwick.exe is (its
// manifest asks for the version 6 common controls and DPI awareness), measured the same way.
// The same program without the manifest, and a bare window and a message loop, show what the
// common controls and Wine's own process start take. With an earlier build
// named, its 1,000-entry cases run in the same rounds. Then the program's private memory after
// start and after 1,000 call-ups (hot key, two letters typed, Escape). Last the call-up latency:
// from a posted WM_HOTKEY until the command window is visible, is the foreground window and its
// input line has the keyboard focus, beside the minimal tray program without the manifest (as
// the call-up yardstick always was), which shows its window and focuses its edit box on WM_HOTKEY.
//   StartupBench [runs, default 11]
// TARNWICK_EXE names Tarnwick.exe, TARNWICK_TRAY_EXE the minimal tray program
// (bench_tray_program.exe), TARNWICK_TRAY_PLAIN_EXE the one without the manifest
// (bench_tray_program_plain.exe, optional), TARNWICK_TRIVIAL_EXE the bare window (the test
// harness's wine_keepalive.exe) and TARNWICK_BEFORE_EXE, when set, an earlier build's Tarnwick.exe;
// Unix or Windows paths.
// Private memory is GetProcessMemoryInfo's PrivateUsage; Wine leaves that at 0 and fills
// PagefileUsage, which Windows defines as the same commit charge; that is taken then.
#include "bench/BenchEntries.h"
#include "data/Settings.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* kTrivialClass = "TarnwickTestKeepAlive"; // tests/support/keepalive.cpp
constexpr const char* kTrayClass = "TarnwickBenchTrayProgram"; // bench/trivial/
constexpr int kCallUps = 100;
constexpr UINT kTrayCallback = WM_USER + 1; // the tray icon's callback message

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The first top-level window of process `pid` of class `cls`.
HWND WindowOf(DWORD pid, const char* cls) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, cls, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid)
            return w;
    }
    return nullptr;
}

bool Answers(HWND hwnd) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
}

SIZE_T PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                              sizeof pmc))
        return 0;
    return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

// One started program: the trivial one or Tarnwick.exe in its folder.
class Process {
public:
    // Starts `exe` and waits until window `cls` exists, the process has gone idle in its message
    // loop and the window answers a sent message. Seconds taken, or a negative value.
    double Start(const std::string& exe, const char* cls) {
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        const double start = Now();
        if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi_))
            return -1;
        (void)WaitForInputIdle(pi_.hProcess, 20000);
        const double deadline = start + 20;
        while ((window_ = WindowOf(pi_.dwProcessId, cls)) == nullptr || !Answers(window_)) {
            if (Now() > deadline)
                return -1;
            Sleep(1);
        }
        return Now() - start;
    }
    HANDLE Handle() const { return pi_.hProcess; }
    DWORD Pid() const { return pi_.dwProcessId; }
    HWND Window() const { return window_; }
    bool Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

    // Ends Tarnwick the user's way ("Exit" in its tray menu, so that its icon goes), the tray
    // program by ending its loop (it takes its icon away), the bare window (which has no way out)
    // and a program that does not end the hard way.
    void Stop(bool tarnwick) {
        if (!pi_.hProcess)
            return;
        const bool tray = !tarnwick && window_ && WindowOf(pi_.dwProcessId, kTrayClass);
        if (tray) {
            PostMessageA(window_, WM_QUIT, 0, 0);
            if (WaitForSingleObject(pi_.hProcess, 5000) == WAIT_OBJECT_0) {
                Close();
                return;
            }
        }
        HWND trayWindow = tarnwick ? WindowOf(pi_.dwProcessId, "TTrayIcon") : nullptr;
        if (trayWindow) {
            PostMessageA(trayWindow, kTrayCallback, 0, WM_RBUTTONUP);
            HWND menu = nullptr;
            for (int i = 0; i < 250 && !(menu = WindowOf(pi_.dwProcessId, "#32768")); ++i)
                Sleep(20);
            if (menu) {
                for (int i = 0; i < 4; ++i) { // "Exit": the fourth item, past the separator
                    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
                    Sleep(30);
                }
                PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
            }
        }
        if (WaitForSingleObject(pi_.hProcess, trayWindow ? 10000 : 0) != WAIT_OBJECT_0) {
            if (trayWindow || tray)
                std::fprintf(stderr, "a tray program did not end; terminated\n");
            TerminateProcess(pi_.hProcess, 1);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        Close();
    }

private:
    void Close() {
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
        pi_ = {};
    }

    PROCESS_INFORMATION pi_{};
    HWND window_ = nullptr;
};

// A folder holding a copy of Tarnwick.exe (of the build `build` names) and a settings file with
// `n` entries (none for 0), `hotKeys` of them with a hot key of their own.
std::string PrepareFolder(const std::string& exe, const std::string& build, int n, int hotKeys) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "tarnwick-startup-" +
                               std::to_string(GetCurrentProcessId()) + "-" +
                               (build == "Tarnwick.exe" ? "this" : "before") + "-" +
                               std::to_string(n) + "-" + std::to_string(hotKeys) + "\\";
    (void)CreateDirectoryA(folder.c_str(), nullptr);
    (void)DeleteFileA((folder + "Tarnwick.ini").c_str());
    if (!CopyFileA(exe.c_str(), (folder + "Tarnwick.exe").c_str(), FALSE))
        return {};
    if (n > 0)
        WriteDatabase(folder + "Tarnwick.ini", MakeEntries(n, hotKeys));
    return folder;
}

void RemoveFolder(const std::string& folder) {
    for (const char* name : {"Tarnwick.exe", "Tarnwick.ini"})
        (void)DeleteFileA((folder + name).c_str());
    (void)RemoveDirectoryA(folder.c_str());
}

struct Case {
    std::string Label;
    std::string Exe;
    bool Tarnwick;
    const char* Class; // the window that tells it is up
    std::vector<double> Seconds;
    std::vector<double> PrivateKb;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Hot key, "AB", Escape, each time waiting until the window has shown and hidden again.
bool CallUps(HWND command, HWND edit, int count) {
    auto waitVisible = [&](bool visible) {
        for (int i = 0; i < 5000; ++i) {
            if ((IsWindowVisible(command) != FALSE) == visible)
                return true;
            Sleep(1);
        }
        return false;
    };
    for (int i = 0; i < count; ++i) {
        PostMessageA(command, WM_HOTKEY, 1, 0);
        if (!waitVisible(true))
            return false;
        for (const char c : {'a', 'b', '\x1b'})
            PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
        if (!waitVisible(false))
            return false;
    }
    return true;
}

// Ready for typing: shown, the foreground window, and the input line holds the keyboard focus
// (read from the window's thread, which may be another process's).
bool ReadyForTyping(HWND window, HWND edit) {
    if (!IsWindowVisible(window) || GetForegroundWindow() != window)
        return false;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
           info.hwndFocus == edit;
}

bool WaitHidden(HWND window) {
    for (int i = 0; i < 5000; ++i) {
        if (!IsWindowVisible(window))
            return true;
        Sleep(1);
    }
    return false;
}

// One call-up by a posted WM_HOTKEY: seconds until the window is ready for typing, or a negative
// value. The state is looked at every 0.2 ms, yielding the processor in between, so that the
// polling neither rounds the figure up to the system's timer tick nor floods the window
// system with questions.
double CallUpSeconds(HWND window, HWND edit) {
    const double start = Now();
    PostMessageA(window, WM_HOTKEY, 1, 0);
    double next = start;
    for (;;) {
        const double now = Now();
        if (now >= next) {
            if (ReadyForTyping(window, edit))
                return Now() - start;
            if (now - start > 5)
                return -1;
            next = now + 0.0002;
        }
        (void)SwitchToThread();
    }
}

struct Percentiles {
    double Median = 0, P90 = 0;
};

Percentiles Spread(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    if (v.empty())
        return {};
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 9 / 10)]};
}

// The start-up's steps as an instrumented Tarnwick.exe marked them (toolkit/StartupTrace.h):
// lines of "exe, step, ms since process creation, private KB" in `traceFile`. For each of
// Tarnwick's cases, the median time and memory each step added.
void PrintSteps(const std::string& traceFile, const std::vector<Case>& cases) {
    std::FILE* file = std::fopen(traceFile.c_str(), "r");
    if (!file) {
        std::printf("\nNo start-up steps in %s: is TARNWICK_EXE an instrumented build?\n",
                    traceFile.c_str());
        return;
    }
    struct Step {
        std::string Name;
        std::vector<double> Ms, Kb;
    };
    std::vector<std::pair<std::string, std::vector<Step>>> byExe; // in the order first seen
    char line[1024];
    std::string lastExe;
    double lastMs = 0, lastKb = 0;
    while (std::fgets(line, sizeof line, file)) {
        char* fields[4] = {line};
        int n = 1;
        for (char* c = line; *c && n < 4; ++c)
            if (*c == '\t') {
                *c = '\0';
                fields[n++] = c + 1;
            }
        if (n < 4)
            continue;
        const std::string exe = fields[0], name = fields[1];
        const double ms = std::atof(fields[2]), kb = std::atof(fields[3]);
        auto run =
            std::find_if(byExe.begin(), byExe.end(), [&](const auto& e) { return e.first == exe; });
        if (run == byExe.end())
            run = byExe.insert(byExe.end(), {exe, {}});
        auto step = std::find_if(run->second.begin(), run->second.end(),
                                 [&](const Step& s) { return s.Name == name; });
        if (step == run->second.end())
            step = run->second.insert(run->second.end(), Step{name, {}, {}});
        // A process's first mark counts from its creation; the others from the mark before.
        const bool startsRun = exe != lastExe || step == run->second.begin();
        step->Ms.push_back(startsRun ? ms : ms - lastMs);
        step->Kb.push_back(startsRun ? kb : kb - lastKb);
        lastExe = exe;
        lastMs = ms;
        lastKb = kb;
    }
    std::fclose(file);
    for (const auto& [exe, steps] : byExe) {
        std::string label = exe;
        for (const Case& c : cases)
            if (_stricmp(WindowsPath(c.Exe).c_str(), exe.c_str()) == 0)
                label = c.Label;
        std::printf("\nStart-up steps of %s (medians of %zu starts): ms, private KB added\n",
                    label.c_str(), steps.empty() ? 0 : steps[0].Ms.size());
        for (const Step& s : steps)
            std::printf("  %-62s %8.1f %8.0f\n", s.Name.c_str(), Median(s.Ms), Median(s.Kb));
    }
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    const char* exeEnv = std::getenv("TARNWICK_EXE");
    const char* trayEnv = std::getenv("TARNWICK_TRAY_EXE");
    const char* trivialEnv = std::getenv("TARNWICK_TRIVIAL_EXE");
    const char* beforeEnv = std::getenv("TARNWICK_BEFORE_EXE");
    const char* plainEnv = std::getenv("TARNWICK_TRAY_PLAIN_EXE");
    if (!exeEnv || !*exeEnv || !trayEnv || !*trayEnv || !trivialEnv || !*trivialEnv) {
        std::fprintf(stderr, "TARNWICK_EXE, TARNWICK_TRAY_EXE and TARNWICK_TRIVIAL_EXE must name "
                             "the programs\n");
        return 2;
    }
    const std::string exe = WindowsPath(exeEnv);

    // The yardstick first: every ratio is to it.
    std::vector<Case> cases;
    cases.push_back({"minimal tray program", WindowsPath(trayEnv), false, kTrayClass, {}, {}});
    if (plainEnv && *plainEnv)
        cases.push_back(
            {"tray program, no manifest", WindowsPath(plainEnv), false, kTrayClass, {}, {}});
    cases.push_back({"bare window", WindowsPath(trivialEnv), false, kTrivialClass, {}, {}});
    std::vector<std::string> folders;
    // Tarnwick.exe with n entries, `hotKeys` of them with a hot key; `build` names the exe.
    const auto addCase = [&](const std::string& build, const std::string& from, int n,
                             int hotKeys) {
        const std::string folder = PrepareFolder(from, build, n, hotKeys);
        if (folder.empty()) {
            std::fprintf(stderr, "cannot copy %s\n", from.c_str());
            std::exit(2);
        }
        folders.push_back(folder);
        std::string label = build + ", " + std::to_string(n) + " entries";
        if (hotKeys > 0)
            label += ", " + std::to_string(hotKeys) + " hot keys";
        cases.push_back({label, folder + "Tarnwick.exe", true, "TTrayIcon", {}, {}});
    };
    for (const int n : {0, 100, 1000})
        addCase("Tarnwick.exe", exe, n, 0);
    addCase("Tarnwick.exe", exe, 1000, 20);
    if (beforeEnv && *beforeEnv) {
        addCase("build before", WindowsPath(beforeEnv), 1000, 0);
        addCase("build before", WindowsPath(beforeEnv), 1000, 20);
    }
    const Case& hundred = *std::find_if(cases.begin(), cases.end(), [](const Case& c) {
        return c.Label == "Tarnwick.exe, 100 entries";
    });

    // An instrumented build notes its steps in this file (toolkit/StartupTrace.h).
    const char* traceEnv = std::getenv("TARNWICK_STARTUP_TRACE_FILE");
    const std::string traceFile = traceEnv && *traceEnv ? WindowsPath(traceEnv) : std::string();

    // One round unmeasured (it fills the file cache), then the cases in turn, so that a slow
    // moment of the machine spreads over all of them.
    for (int round = 0; round <= runs; ++round) {
        if (round == 1 && !traceFile.empty())
            (void)DeleteFileA(traceFile.c_str());
        for (Case& c : cases) {
            Process p;
            const double t = p.Start(c.Exe, c.Class);
            if (t < 0) {
                std::fprintf(stderr, "%s did not come up\n", c.Label.c_str());
                p.Stop(c.Tarnwick);
                return 1;
            }
            if (round > 0) {
                c.Seconds.push_back(t);
                c.PrivateKb.push_back(static_cast<double>(PrivateBytes(p.Handle())) / 1024.0);
            }
            p.Stop(c.Tarnwick);
            // The next start begins on a quiet system: the ended program's icon taken away by
            // the taskbar, its windows and its process gone from Wine's server.
            Sleep(250);
        }
    }

    std::printf("Start-up until the tray icon is there and the message loop answers, ms "
                "(median of %d runs); private memory then, KB, and above the minimal tray "
                "program's\n",
                runs);
    std::printf("%-40s %8s %8s %8s %8s %12s %8s\n", "program", "median", "min", "max", "ratio",
                "private KB", "above");
    const double yardstick = Median(cases[0].Seconds);
    const double yardstickKb = Median(cases[0].PrivateKb);
    for (const Case& c : cases) {
        const auto [lo, hi] = std::minmax_element(c.Seconds.begin(), c.Seconds.end());
        std::printf("%-40s %8.1f %8.1f %8.1f %8.2f %12.0f %8.0f\n", c.Label.c_str(),
                    Median(c.Seconds) * 1000, *lo * 1000, *hi * 1000, Median(c.Seconds) / yardstick,
                    Median(c.PrivateKb), Median(c.PrivateKb) - yardstickKb);
    }
    if (!traceFile.empty()) {
        // An instrumented build: its steps are what is asked; its call-ups would be slowed.
        PrintSteps(traceFile, cases);
        return 0;
    }

    // Memory over call-ups, with the 100-entry database.
    Process p;
    if (p.Start(hundred.Exe, "TTrayIcon") < 0) {
        std::fprintf(stderr, "Tarnwick.exe did not come up\n");
        return 1;
    }
    HWND command = WindowOf(p.Pid(), "TTarnwick");
    HWND edit = command ? FindWindowExA(command, nullptr, "Edit", nullptr) : nullptr;
    Sleep(500);
    const SIZE_T afterStart = PrivateBytes(p.Handle());
    const double start = Now();
    const bool done = edit && CallUps(command, edit, 1000);
    const double spent = Now() - start;
    Sleep(500);
    const SIZE_T afterCallUps = PrivateBytes(p.Handle());
    p.Stop(true);
    if (!done) {
        std::fprintf(stderr, "the call-ups did not go through\n");
        return 1;
    }
    std::printf("\nPrivate memory of Tarnwick.exe (100 entries), KB\n");
    std::printf("%-34s %12.0f\n", "after start", afterStart / 1024.0);
    std::printf("%-34s %12.0f   (%.1f ms per call-up)\n", "after 1,000 call-ups",
                afterCallUps / 1024.0, spent * 1000.0 / 1000);

    // Call-up latency: Tarnwick with 100 entries and the tray program without the manifest, both
    // running, called up in turn so that a slow moment of the machine falls on both.
    const char* callUpEnv = plainEnv && *plainEnv ? plainEnv : trayEnv;
    {
        Process trivial, tarnwick;
        if (trivial.Start(WindowsPath(callUpEnv), kTrayClass) < 0 ||
            tarnwick.Start(hundred.Exe, "TTrayIcon") < 0) {
            std::fprintf(stderr, "the call-up programs did not come up\n");
            trivial.Stop(false);
            tarnwick.Stop(true);
            return 1;
        }
        const HWND trivialWindow = trivial.Window();
        const HWND trivialEdit = FindWindowExA(trivialWindow, nullptr, "Edit", nullptr);
        const HWND tarnwickWindow = WindowOf(tarnwick.Pid(), "TTarnwick");
        const HWND tarnwickEdit =
            tarnwickWindow ? FindWindowExA(tarnwickWindow, nullptr, "Edit", nullptr) : nullptr;
        std::vector<double> trivialTimes, tarnwickTimes;
        bool ok = trivialEdit && tarnwickEdit;
        for (int i = 0; ok && i < kCallUps; ++i) {
            const double a = CallUpSeconds(trivialWindow, trivialEdit);
            PostMessageA(trivialWindow, WM_CLOSE, 0, 0);
            ok = a >= 0 && WaitHidden(trivialWindow);
            Sleep(10);
            const double b = ok ? CallUpSeconds(tarnwickWindow, tarnwickEdit) : -1;
            PostMessageA(tarnwickEdit, WM_CHAR, VK_ESCAPE, 1);
            ok = ok && b >= 0 && WaitHidden(tarnwickWindow);
            Sleep(10);
            trivialTimes.push_back(a);
            tarnwickTimes.push_back(b);
        }
        trivial.Stop(false);
        tarnwick.Stop(true);
        if (!ok) {
            std::fprintf(stderr, "a call-up did not come through (call-up %zu of %s)\n",
                         tarnwickTimes.size() + 1,
                         !trivialEdit || !tarnwickEdit ? "neither: no input line found"
                         : trivialTimes.empty() || trivialTimes.back() >= 0
                             ? "Tarnwick.exe"
                             : "the trivial program");
            return 1;
        }
        const Percentiles t = Spread(trivialTimes);
        const Percentiles w = Spread(tarnwickTimes);
        std::printf("\nCall-up latency: posted WM_HOTKEY until shown, in front and the input line "
                    "focused, ms (%d call-ups)\n",
                    kCallUps);
        std::printf("%-34s %8s %8s %8s %8s\n", "program", "median", "90th", "first", "ratio");
        std::printf("%-34s %8.2f %8.2f %8.2f %8.2f\n", "trivial program", t.Median * 1000,
                    t.P90 * 1000, trivialTimes[0] * 1000, 1.0);
        std::printf("%-34s %8.2f %8.2f %8.2f %8.2f\n", "Tarnwick.exe, 100 entries", w.Median * 1000,
                    w.P90 * 1000, tarnwickTimes[0] * 1000, w.Median / t.Median);
    }

    for (const std::string& folder : folders)
        RemoveFolder(folder);
    return 0;
}
