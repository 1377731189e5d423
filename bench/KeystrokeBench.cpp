// Prints the time of one key-press decision of the input line (the keyword scan, no real
// launch) for lists of 10 to 100,000 entries: a key that matches nothing, and Enter on the
// keyword of the last entry.
#include "app/KeyEntry.h"
#ifdef _WIN32
#include "toolkit/Win32System.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

// Counts launches instead of starting anything; upper-cases as the program does (the system's
// case mapping) where it runs on Windows.
#ifdef _WIN32
using BaseSystem = toolkit::Win32System;
#else
class BaseSystem : public toolkit::System {
public:
    int ShowMessageBox(toolkit::WindowHandle, const std::string&, const std::string&,
                       unsigned) override {
        return 1;
    }
    bool ChooseFile(const toolkit::FileDialogRequest&, std::string&) override { return false; }
    bool ChooseFolder(const toolkit::FolderDialogRequest&, std::string&) override { return false; }
    std::string ModuleFileName() override { return {}; }
};
#endif

class NullSystem : public BaseSystem {
public:
    void Execute(toolkit::WindowHandle, const std::string&, const std::string&, const std::string&,
                 const std::string&, int) override {
        ++Launches;
    }
    void Beep(unsigned) override {}
    long Launches = 0;
};

// The best of five batches of key presses, each batch at least 50 ms long: on a busy machine
// other work only ever slows a batch down, so the fastest is the nearest to the decision's cost.
double MicrosPerKey(const TEntries& entries, const std::string& line, char key,
                    const TCommandOptions& options, NullSystem& system) {
    using Clock = std::chrono::steady_clock;
    auto batch = [&](long reps) {
        const auto start = Clock::now();
        for (long r = 0; r < reps; ++r) {
            char k = key;
            (void)CommandKeyPress(k, line, options, entries, system, nullptr);
        }
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    };
    long reps = 1;
    while (batch(reps) < 50'000)
        reps *= 2;
    double best = 1e300;
    for (int i = 0; i < 5; ++i)
        best = std::min(best, batch(reps) / static_cast<double>(reps));
    return best;
}

} // namespace

int main() {
    std::printf("%-10s %16s %16s %18s\n", "entries", "miss us/key", "hit us/key",
                "entries/us (miss)");
    for (const int n : {10, 1'000, 10'000, 100'000}) {
        TEntries entries;
        entries.Resize(n);
        for (int i = 0; i < n; ++i) {
            auto& e = entries.At(i);
            e.Name = "Entry " + std::to_string(i);
            e.Filename = "C:\\Programs\\tool" + std::to_string(i) + ".exe";
            e.Keyword = "kw" + std::to_string(i);
        }
        TCommandOptions options;
        options.NoEnter = true;
        options.Sound = false;
        NullSystem system;
        const double miss = MicrosPerKey(entries, "KW", 'x', options, system);
        const double hit =
            MicrosPerKey(entries, "KW" + std::to_string(n - 1), kKeyEnter, options, system);
        std::printf("%-10d %16.2f %16.2f %18.1f\n", n, miss, hit, n / miss);
    }
    return 0;
}
