// Prints the time of one key-press decision of the input line (the keyword scan, no real
// launch) for lists of 10 to 100,000 entries, with a full history of 100 lines as the command
// window keeps it: a key that matches nothing, Enter on the keyword of the last entry (the line
// then recorded in the history, as the window does), and one Up that looks through all 100 lines
// and finds none.
#include "app/History.h"
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
template <class F> double MicrosPerCall(F&& call) {
    using Clock = std::chrono::steady_clock;
    auto batch = [&](long reps) {
        const auto start = Clock::now();
        for (long r = 0; r < reps; ++r)
            call();
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

double MicrosPerKey(const TEntries& entries, const std::string& line, char key,
                    const TCommandOptions& options, NullSystem& system, THistory& history) {
    std::string launched;
    return MicrosPerCall([&] {
        std::string k(1, key);
        if (CommandKeyPress(k, line, options, entries, system, nullptr, &launched))
            history.Add(launched);
    });
}

// 100 lines of the length a search after a keyword has.
THistory FullHistory() {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < THistory::kCapacity; ++i)
        lines.push_back("G SOMETHING SEARCHED FOR " + std::to_string(i));
    THistory history;
    history.Load(lines);
    return history;
}

} // namespace

int main() {
    std::printf("%-10s %16s %16s %18s %14s\n", "entries", "miss us/key", "hit us/key",
                "entries/us (miss)", "up us/key");
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
        THistory history = FullHistory();
        const double miss = MicrosPerKey(entries, "KW", 'x', options, system, history);
        const double hit = MicrosPerKey(entries, "KW" + std::to_string(n - 1), kKeyEnter, options,
                                        system, history);
        const double up = MicrosPerCall([&] {
            history.EndRecall();
            (void)history.Older("NO SUCH ");
        });
        std::printf("%-10d %16.2f %16.2f %18.1f %14.2f\n", n, miss, hit, n / miss, up);
    }
    return 0;
}
