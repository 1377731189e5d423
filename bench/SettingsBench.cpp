// Prints how long the settings file takes to load (the start-up read) and to save (the database
// editor's OK) for 100, 1,000 and 10,000 entries: ReadSettings and WriteDatabase beside the same
// work done with one platform private-profile call per key. A per-key run whose estimate from the
// size before exceeds the budget is skipped: per-key saves rewrite the whole file for every key and
// so grow with the square of the entry count, per-key loads about in step with it. Then our load
// of files whose names are not all ASCII: in UTF-8, and in the ANSI page that older versions
// wrote, which is decoded first.
//   SettingsBench [budget seconds, default 180]
#include "bench/BenchEntries.h"
#include "data/Settings.h"
#include "toolkit/Text.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using toolkit::Widen;

template <class F> double Seconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best of a few runs, for the fast ones.
template <class F> double BestSeconds(int runs, F&& f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double t = Seconds(f);
        best = t < best ? t : best;
    }
    return best;
}

const char* const Fields[] = {"Name", "Filename", "Directory", "Params", "Keyword"};

// Each text converted at the call, as the program would have to.
void PlatformSave(const std::string& path, const TEntries& entries) {
    const std::wstring file = Widen(path);
    (void)WritePrivateProfileStringW(L"DBSYSTEM", L"Count",
                                     Widen(std::to_string(entries.Count())).c_str(), file.c_str());
    for (int i = 0; i < entries.Count(); ++i) {
        const TDBItem& e = entries.At(i);
        const std::string* values[] = {&e.Name, &e.Filename, &e.Directory, &e.Params, &e.Keyword};
        for (int f = 0; f < 5; ++f)
            (void)WritePrivateProfileStringW(L"DATABASE",
                                             Widen(Fields[f] + std::to_string(i)).c_str(),
                                             Widen(*values[f]).c_str(), file.c_str());
    }
    (void)WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
}

// The reads of the start-up, one call per key, into the 2,048-character buffer a key gets.
int PlatformLoad(const std::string& path) {
    const std::wstring file = Widen(path);
    wchar_t buffer[2048];
    auto read = [&](const char* section, const std::string& key, const char* def) {
        return toolkit::Narrow(std::wstring_view(
            buffer, GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                             Widen(def).c_str(), buffer, 2048, file.c_str())));
    };
    const int count = std::atoi(read("DBSYSTEM", "Count", "0").c_str());
    TEntries entries;
    entries.Resize(count);
    for (int i = 0; i < count; ++i) {
        TDBItem& e = entries.At(i);
        std::string* values[] = {&e.Name, &e.Filename, &e.Directory, &e.Params, &e.Keyword};
        for (int f = 0; f < 5; ++f)
            *values[f] = read("DATABASE", Fields[f] + std::to_string(i), f == 0 ? "Unknown" : "");
    }
    for (const char* key : {"Left", "Top", "AlphaBlendValue", "Web", "NoEnter", "Sound", "hKey"})
        (void)read("SYSTEM", key, "");
    (void)WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    return entries.Count();
}

std::string TempFolder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::string folder = toolkit::Narrow(std::wstring_view(temp, n)) + "tarnwick-bench-" +
                         std::to_string(GetCurrentProcessId()) + "\\";
    (void)CreateDirectoryW(Widen(folder).c_str(), nullptr);
    return folder;
}

long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long>(data.nFileSizeLow);
}

void Remove(const std::string& path) {
    (void)DeleteFileW(Widen(path).c_str());
}

// The entries with a name and a folder that are not ASCII (an accented letter, one byte in the
// ANSI page), written in UTF-8 and then once more in Windows-1252 as older versions wrote it.
void WriteNonAsciiFiles(int n, const std::string& utf8, const std::string& ansi) {
    TEntries entries = MakeEntries(n);
    for (int i = 0; i < n; ++i) {
        entries.At(i).Name += " caf\u00E9";
        entries.At(i).Directory += "\\Caf\u00E9";
    }
    WriteDatabase(utf8, entries);
    std::ifstream in(std::filesystem::path(Widen(utf8)), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t at = 0; (at = text.find("\u00E9", at)) != std::string::npos;)
        text.replace(at, 2, "\xE9");
    std::ofstream(std::filesystem::path(Widen(ansi)), std::ios::binary) << text;
}

void PrintTime(double seconds) {
    std::printf(" %12.4f", seconds);
}

} // namespace

int main(int argc, char** argv) {
    const double budget = argc > 1 ? std::atof(argv[1]) : 180.0;
    const std::string folder = TempFolder();
    std::printf("Settings file, seconds (per-key runs skipped when estimated above %.0f s)\n",
                budget);
    std::printf("%8s %10s %12s %12s %12s %12s\n", "entries", "bytes", "ours load", "ours save",
                "per-key load", "per-key save");
    double lastLoad = 0, lastSave = 0;
    int lastN = 0;
    for (int n : {100, 1000, 10000}) {
        const TEntries entries = MakeEntries(n);
        const std::string ours = folder + "ours" + std::to_string(n) + ".ini";
        const int runs = n <= 1000 ? 5 : 2;

        const double oursSave = BestSeconds(runs, [&] {
            Remove(ours);
            WriteDatabase(ours, entries);
        });
        TEntries loaded;
        TSettings settings;
        const double oursLoad = BestSeconds(runs, [&] { ReadSettings(ours, loaded, settings); });
        if (loaded.Count() != n) {
            std::printf("ours loaded %d of %d entries\n", loaded.Count(), n);
            return 1;
        }
        std::printf("%8d %10ld", n, FileSize(ours));
        PrintTime(oursLoad);
        PrintTime(oursSave);
        std::fflush(stdout);

        const double growth = lastN ? double(n) / lastN : 0;
        const double loadEstimate = lastLoad * growth, saveEstimate = lastSave * growth * growth;
        const std::string platform = folder + "platform" + std::to_string(n) + ".ini";
        if (lastN && loadEstimate > budget) {
            std::printf(" %12s (about %.0f s estimated)", "skipped", loadEstimate);
            lastLoad = 1e30;
        } else {
            lastLoad = Seconds([&] {
                if (PlatformLoad(ours) != n)
                    std::printf(" (wrong count)");
            });
            PrintTime(lastLoad);
        }
        std::fflush(stdout);
        if (lastN && saveEstimate > budget) {
            std::printf(" %12s (about %.0f s estimated)", "skipped", saveEstimate);
            lastSave = 1e30;
        } else {
            lastSave = Seconds([&] { PlatformSave(platform, entries); });
            PrintTime(lastSave);
        }
        std::printf("\n");
        std::fflush(stdout);
        lastN = n;
        Remove(ours);
        Remove(platform);
    }

    std::printf("\nOurs, a name and a folder not in ASCII in every entry, load in seconds\n");
    std::printf("%8s %12s %12s\n", "entries", "UTF-8", "ANSI page");
    for (int n : {100, 1000, 10000}) {
        const std::string utf8 = folder + "utf8.ini", ansi = folder + "ansi.ini";
        WriteNonAsciiFiles(n, utf8, ansi);
        const int runs = n <= 1000 ? 5 : 2;
        TEntries loaded;
        TSettings settings;
        std::printf("%8d", n);
        PrintTime(BestSeconds(runs, [&] { ReadSettings(utf8, loaded, settings); }));
        PrintTime(BestSeconds(runs, [&] { ReadSettings(ansi, loaded, settings); }));
        std::printf(loaded.At(n - 1).Name == "Program " + std::to_string(n - 1) + " caf\u00E9"
                        ? "\n"
                        : " (the ANSI file read wrong)\n");
        Remove(utf8);
        Remove(ansi);
    }
    (void)RemoveDirectoryW(Widen(folder).c_str());
    return 0;
}
