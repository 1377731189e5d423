// Prints the time of one key-press decision of the input line (the keyword scan, no real
// launch) for lists of 10 to 100,000 entries: a key that matches nothing, and Enter on the
// keyword of the last entry.
#include "app/KeyEntry.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

// Counts launches instead of starting anything.
class NullSystem : public toolkit::System {
public:
    void Execute(toolkit::WindowHandle, const std::string&, const std::string&,
                 const std::string&, const std::string&, int) override {
        ++Launches;
    }
    void Beep(unsigned) override {}
    int ShowMessageBox(toolkit::WindowHandle, const std::string&, const std::string&,
                       unsigned) override {
        return 1;
    }
    bool ChooseFile(const toolkit::FileDialogRequest&, std::string&) override { return false; }
    bool ChooseFolder(const toolkit::FolderDialogRequest&, std::string&) override {
        return false;
    }
    std::string ModuleFileName() override { return {}; }
    long Launches = 0;
};

double MicrosPerKey(const TEntries& entries, const std::string& line, char key,
                    const TCommandOptions& options, NullSystem& system) {
    using Clock = std::chrono::steady_clock;
    // Enough repetitions for about 0.2 s of work at every size.
    const long reps = std::max<long>(20, 2'000'000 / (entries.Count() + 1));
    const auto start = Clock::now();
    for (long r = 0; r < reps; ++r) {
        char k = key;
        (void)CommandKeyPress(k, line, options, entries, system, nullptr);
    }
    const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
    return spent.count() / static_cast<double>(reps);
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
