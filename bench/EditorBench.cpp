// Prints what the database editor costs on the interface thread with a large list: showing it
// (the list filled and every entry's file and folder looked for), Apply on one entry and Delete of
// one, at 1,000 and 10,000 entries whose targets share a hundred folders, as a list grown over
// the years does. The looks themselves run on worker threads and are played by a probe that
// answers at once, so that the figures are the editor's own work.
#include "forms/Database.h"
#include "toolkit/Application.h"
#include "toolkit/Win32System.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

// Starts nothing and answers Yes to Delete's question.
class QuietSystem : public toolkit::Win32System {
public:
    void Execute(toolkit::WindowHandle, const std::string&, const std::string&, const std::string&,
                 const std::string&, int) override {}
    void Beep(unsigned) override {}
    int ShowMessageBox(toolkit::WindowHandle, const std::string&, const std::string&,
                       unsigned) override {
        return IDYES;
    }
};

TEntries LargeList(int n) {
    TEntries entries;
    entries.Resize(n);
    for (int i = 0; i < n; ++i) {
        TDBItem& e = entries.At(i);
        const std::string folder = "C:\\Programs\\Suite " + std::to_string(i % 100) + "\\";
        e.Name = "Entry " + std::to_string(i);
        e.Filename = folder + "tool" + std::to_string(i) + ".exe";
        e.Directory = folder;
        e.Keyword = "kw" + std::to_string(i);
    }
    return entries;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        (void)TranslateMessage(&msg);
        (void)DispatchMessageW(&msg);
    }
}

template <class F> double Millis(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main() {
    QuietSystem system;
    toolkit::Application app(system);
    app.Initialize();
    app.SetTitle("Tarnwick");
    TF_Database* form = app.CreateForm<TF_Database>();
    form->TargetProbe = [](const std::wstring&, bool) { return false; };
    std::printf("%-10s %12s %12s %12s\n", "entries", "show ms", "apply ms", "delete ms");
    for (const int n : {1'000, 10'000}) {
        double show = 1e300, apply = 1e300, remove = 1e300;
        // The best of five: other work on the machine only ever slows a round down.
        for (int round = 0; round < 5; ++round) {
            form->Hide();
            Pump();
            form->Entries = LargeList(n);
            show = std::min(show, Millis([&] { form->Show(); }));
            Pump();
            form->ListBox1.SetItemIndex(n / 2);
            form->ListBox1Click();
            form->Edit1.SetText("Renamed " + std::to_string(round));
            apply = std::min(apply, Millis([&] { form->Button3Click(); }));
            Pump();
            remove = std::min(remove, Millis([&] { form->Button2Click(); }));
            Pump();
        }
        std::printf("%-10d %12.2f %12.2f %12.2f\n", n, show, apply, remove);
    }
    form->Hide();
    return 0;
}
