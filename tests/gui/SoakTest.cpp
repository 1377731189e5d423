// Thousands of call-ups of the command window in-process under Wine, each by WM_HOTKEY and each
// typing a keyword that launches (the recorder stands in for the shell), with the process's USER
// and GDI objects, its private memory and the bytes in use in its heaps taken after every tenth of
// the run. From the first tenth to the last they must stay flat: whatever a call-up, a keystroke
// or a launch creates must go again. A call-up costs Wine some 15 to 30 ms (showing and hiding a
// layered window), so the test run makes 3,000 of them, within a minute;
// TARNWICK_SOAK_CALLUPS=10000 makes the long run.
#include "app/Tarnwick.h"
#include "forms/Config.h"
#include "forms/Database.h"
#include "support/E2e.h"
#include "support/GuiObjects.h"
#include "support/Recorder.h"
#include "toolkit/Application.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

using toolkit::App;
using toolkit::Application;

namespace {

constexpr int kCallUps = 3000;
constexpr int kEntries = 100;
// What the counts may grow by from the first tenth of the run to the last. A leak of one object
// per call-up would add thousands; of 100 bytes, over 260 KB in 2,700 call-ups. Private memory
// (resident) moves in the heap's steps and only for memory that was written; the bytes in use in
// the heaps show even a few bytes per call-up.
constexpr long kObjectTolerance = 2;
constexpr long long kMemoryToleranceKb = 192; // three of the heap's 64 KB commit steps
constexpr long long kHeapToleranceBytes = 4 * 1024;

struct Sample {
    int CallUps;
    long User, Gdi;
    long long PrivateKb;
    long long HeapBytes;
};

// The process's private (committed) memory. Wine leaves PrivateUsage at 0 and fills
// PagefileUsage, which is the same commit charge.
long long PrivateKb() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                              sizeof pmc))
        return -1;
    return static_cast<long long>(pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / 1024;
}

// Bytes in use in the blocks of all the process's heaps: where a small leak shows long before the
// heap asks the system for more.
long long HeapBytesInUse() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    long long used = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                used += entry.cbData;
        HeapUnlock(heap);
    }
    return used;
}

// "A0" to "J9": short, so that a call-up is mostly the window's work, and all of one length, so
// that no keyword begins another.
std::string Keyword(int i) {
    return {static_cast<char>('A' + i / 10 % 10), static_cast<char>('0' + i % 10)};
}

// TARNWICK_SOAK_CALLUPS overrides the number of call-ups (rounded down to tens; at least 100).
int CallUps() {
    const char* env = std::getenv("TARNWICK_SOAK_CALLUPS");
    const int n = env ? std::atoi(env) : kCallUps;
    return n < 100 ? kCallUps : n / 10 * 10;
}

TEST(Soak, CallUpsThatLaunchKeepObjectsAndMemoryFlat) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "tarnwick-soak-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string ini = "[DBSYSTEM]\r\nCount=" + std::to_string(kEntries) + "\r\n[DATABASE]\r\n";
    for (int i = 0; i < kEntries; ++i) {
        const std::string n = std::to_string(i);
        ini += "Name" + n + "=Entry " + n + "\r\nFilename" + n + "=C:\\Tools\\tool" + n +
               ".exe\r\nDirectory" + n + "=C:\\Tools\r\nParams" + n + "=/x " + n + "\r\nKeyword" +
               n + "=" + Keyword(i) + "\r\n";
    }
    HANDLE f = CreateFileA((folder + "Tarnwick.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
    CloseHandle(f);

    testing_support::Recorder recorder;
    recorder.ModulePath = folder + "Tarnwick.exe";
    {
        Application app(recorder);
        app.Initialize();
        app.SetTitle("Tarnwick");
        app.CreateForm<TTarnwick>();
        app.CreateForm<TF_Config>();
        app.ShowMainForm = false;
        ASSERT_EQ(F_Database->Entries.Count(), kEntries);
        const HWND command = Tarnwick->Handle();
        const HWND edit = Tarnwick->Edit1.Handle();
        app.ProcessMessages();
        recorder.Calls.clear();

        // The counting itself allocates the first time; not in a sample.
        long user = 0, gdi = 0;
        testing_support::CountGuiObjects(user, gdi);

        const int callUps = CallUps();
        const int step = callUps / 10;
        std::vector<Sample> samples;
        samples.reserve(10); // grown in the run, it would count against the heap figures
        int failures = 0;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 1; i <= callUps; ++i) {
            const int entry = (i * 37) % kEntries;
            PostMessageA(command, WM_HOTKEY, 1, 0);
            for (const char c : Keyword(entry))
                PostMessageA(edit, WM_CHAR, std::tolower(static_cast<unsigned char>(c)), 1);
            app.ProcessMessages();
            // One launch of that entry, after its beep, and the window gone again.
            const bool launched =
                recorder.Calls.size() == 2 && recorder.Calls[1].What == "execute" &&
                recorder.Calls[1].Args[1] == "C:\\Tools\\tool" + std::to_string(entry) + ".exe" &&
                !Tarnwick->Visible();
            if (!launched && ++failures <= 3)
                ADD_FAILURE() << "call-up " << i << " (" << Keyword(entry)
                              << "): " << recorder.Calls.size() << " calls";
            recorder.Calls.clear(); // keeps its storage: the recorder must not grow either
            if (i % step == 0) {
                Sample s{i, 0, 0, PrivateKb(), HeapBytesInUse()};
                testing_support::CountGuiObjects(s.User, s.Gdi);
                samples.push_back(s);
            }
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(failures, 0);

        std::printf("%10s %8s %8s %12s %12s\n", "call-ups", "USER", "GDI", "private KB",
                    "heap bytes");
        for (const Sample& s : samples)
            std::printf("%10d %8ld %8ld %12lld %12lld\n", s.CallUps, s.User, s.Gdi, s.PrivateKb,
                        s.HeapBytes);
        std::printf("%.2f ms per call-up\n", seconds * 1000 / callUps);

        ASSERT_EQ(samples.size(), 10u);
        const Sample& first = samples.front();
        const Sample& last = samples.back();
        EXPECT_GT(first.User, 0);
        EXPECT_GT(first.Gdi, 0);
        EXPECT_LE(last.User - first.User, kObjectTolerance);
        EXPECT_LE(last.Gdi - first.Gdi, kObjectTolerance);
        EXPECT_LE(last.PrivateKb - first.PrivateKb, kMemoryToleranceKb);
        EXPECT_LE(last.HeapBytes - first.HeapBytes, kHeapToleranceBytes);
    }
    e2e::RemoveTree(folder);
}

} // namespace
